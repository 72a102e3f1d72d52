// Thumbnail entries own their picture files.
#include "presentation/slideinfo.h"
#include "presentation/slideinfoarray.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class SlideInfoTest : public ::testing::Test
{
protected:
    std::string Touch(const char* name)
    {
        QFile file(m_dir.filePath(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("jpg");
        return file.fileName().toStdString();
    }
    static bool Exists(const std::string& path)
    {
        return QFileInfo::exists(QString::fromStdString(path));
    }
    QTemporaryDir m_dir;
};

TEST_F(SlideInfoTest, DestroyingAnEntryDeletesItsFile)
{
    const std::string path = Touch("_Thm1.jpg");
    {
        CSlideInfo info(path, 4);
        EXPECT_EQ(info.SlideNumber, 4);
        EXPECT_TRUE(info.Picture.isNull());
    }
    EXPECT_FALSE(Exists(path));
    // An entry without a path deletes nothing.
    {
        CSlideInfo empty;
    }
}

TEST_F(SlideInfoTest, ArrayKeepsEmptySlotsAndOwnsItsEntries)
{
    CSlideInfoArray array;
    array.SetSize(3);
    array.Text = "deck.ppt";
    EXPECT_EQ(array.GetSize(), 3);
    EXPECT_EQ(array.GetAt(1), nullptr);
    EXPECT_EQ(array.GetAt(-1), nullptr);
    EXPECT_EQ(array.GetAt(3), nullptr);

    const std::string a = Touch("a.jpg"), b = Touch("b.jpg"), c = Touch("c.jpg");
    EXPECT_TRUE(array.SetAt(1, std::make_unique<CSlideInfo>(a, 2)));
    EXPECT_FALSE(array.SetAt(3, std::make_unique<CSlideInfo>(c, 9)));
    EXPECT_FALSE(Exists(c)); // refused entries are destroyed too
    ASSERT_NE(array.GetAt(1), nullptr);
    EXPECT_EQ(array.GetAt(1)->Path, a);

    // Replacing an entry deletes the old one's file.
    EXPECT_TRUE(array.SetAt(1, std::make_unique<CSlideInfo>(b, 2)));
    EXPECT_FALSE(Exists(a));
    EXPECT_TRUE(Exists(b));

    // Shrinking drops the entries cut off.
    array.SetSize(1);
    EXPECT_FALSE(Exists(b));

    const std::string d = Touch("d.jpg");
    array.SetSize(2);
    array.SetAt(0, std::make_unique<CSlideInfo>(d, 1));
    array.RemoveAll();
    EXPECT_EQ(array.GetSize(), 0);
    EXPECT_EQ(array.Text, "");
    EXPECT_FALSE(Exists(d));
}

} // namespace
