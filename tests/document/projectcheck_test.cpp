#include "document/projectcheck.h"
#include "support/zurdoctestutil.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace doctest;

TEST(ProjectCheck, FindsWhatOpeningWouldFindAndChangesNothing)
{
    QTemporaryDir dir;
    const std::string root = str(dir.path()) + "/";
    const std::string folder = root + "P/";
    QDir().mkpath(QString::fromStdString(folder));
    ASSERT_TRUE(makePicture(root + "src.jpg"));
    ASSERT_TRUE(makePicture(folder + "a.png", 1024, 768));
    ASSERT_TRUE(makePicture(folder + "a.jpg", 160, 120));
    ASSERT_TRUE(makePicture(folder + "b.png", 1024, 768)); // thumbnail missing: made on open
    ASSERT_TRUE(writeAll(folder + "c.jpg", "not a picture"));
    ASSERT_TRUE(makePicture(root + "outside.png", 1024, 768));
    ASSERT_TRUE(writeAll(folder + "Old.sic", "another project file"));
    ASSERT_TRUE(writeAll(folder + "Stray.PNG", "x"));
    const std::string cell = "Slide\nRefFilePath=" + root + "src.jpg\n";
    const std::string text =
        "[Project]\nProjectName=P\nProjectPath=/elsewhere/\nVersion=1\n[Slides]\n" + cell +
        "FileName=a.png\nThumbFileName=a.jpg\nControl\n" + cell +
        "FileName=b.png\nThumbFileName=gone.jpg\n" + cell +
        "FileName=x.png\nThumbFileName=c.jpg\n" +
        "Slide\nRefFilePath=/no/such/source.jpg\nFileName=../outside.png\nThumbFileName=a.jpg\n" +
        "Slide\nFileName=../outside.png\n";
    ASSERT_TRUE(writeAll(folder + "P.sic", text));
    const std::vector<std::string> before = filesOf(folder);

    CProjectCheck check;
    ASSERT_EQ(check.Run(folder + "P.sic"), CProjectFile::ReadOk);
    EXPECT_EQ(check.Folder, folder);
    using K = CProjectCheck;
    struct Expected
    {
        K::Kind kind;
        int row;
        int cell;
        std::string file;
    };
    const std::vector<Expected> expected = {
        {K::NeedsUpgrade, 0, 0, ""},
        {K::CellDropped, 0, 4, "c.jpg"},
        {K::DisplayMissing, 4, 5, "../outside.png"},
        {K::SourceMissing, 4, 5, "/no/such/source.jpg"},
        {K::CellDropped, 0, 6, ""},
        {K::UnnamedFile, 0, 0, "Stray.PNG"},
    };
    ASSERT_EQ(check.Problems.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(check.Problems[i].kind, expected[i].kind);
        EXPECT_EQ(check.Problems[i].row, expected[i].row);
        EXPECT_EQ(check.Problems[i].cell, expected[i].cell);
        EXPECT_EQ(check.Problems[i].file, expected[i].file);
    }
    EXPECT_EQ(filesOf(folder), before);

    ASSERT_TRUE(writeAll(folder + "Bad.sic", "[Project]\n"));
    EXPECT_EQ(check.Run(folder + "Bad.sic"), CProjectFile::ReadInvalid);
    EXPECT_EQ(check.Run(folder + "None.sic"), CProjectFile::ReadCannotOpen);
}
