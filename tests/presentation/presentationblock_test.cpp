// The transfer block of a whole presentation.
#include "base/pathutils.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "model/presentationblock.h"
#include "pptbuilder.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

TEST(PresentationBlock, HoldsOneImageCellWithPageZero)
{
    QTemporaryDir dir;
    const std::string deck = dir.filePath("talk.ppt").toStdString();
    ASSERT_TRUE(CPptBuilder(6).Write(deck));
    const QByteArray block = MakePresentationBlock(deck);
    ASSERT_FALSE(block.isEmpty());

    CCellInfoList list;
    ASSERT_TRUE(list.AppendFromBytes(block));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.ProjectFolder, dir.path().toStdString() + "/");
    const auto* cell = dynamic_cast<const CCellBmpInfo*>(list.GetAt(0));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->CellType, CCellInfo::Type::Image);
    EXPECT_EQ(cell->RefFilePath, deck);
    EXPECT_EQ(cell->RefPage, 0);
    EXPECT_TRUE(cell->FileName.empty());
    CFileStatus status;
    ASSERT_TRUE(GetFileStatus(deck, status));
    EXPECT_EQ(cell->RefFileTime, static_cast<int32_t>(FileTimeToLocalSeconds(status.mtime)));
    EXPECT_TRUE(cell->IsFromPresentation());
}

TEST(PresentationBlock, NoneForAnEmptyPathOrAMissingFile)
{
    QTemporaryDir dir;
    EXPECT_TRUE(MakePresentationBlock("").isEmpty());
    EXPECT_TRUE(MakePresentationBlock(dir.filePath("gone.ppt").toStdString()).isEmpty());
}

} // namespace
