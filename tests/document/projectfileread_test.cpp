// Reading project texts: tolerated spellings, corrected values, refused files.
#include "projectfiletesting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>
#include <string>

TEST(ProjectFileRead, KeysAndSectionsIgnoreCaseAndBlanks)
{
    const std::string text = lines({
        "some text before the first section",
        "ProjectName=Ignored",
        "  [ PROJECT ]  ",
        "project name = My Show ",
        "\tProjectPath\t=\t/a b/c\t",
        "Unknown Key = whatever",
        "[Other]=1",
        "version=2",
        "[sLiDeS]",
        "CONTROL",
        "Auto Interval Sec = 10",
        "input dev=1",
        "just some words",
        "slide",
        "file name =  x.png",
    });
    CProjectFile file;
    CCellInfoList cells;
    ASSERT_TRUE(file.Read(text, cells));
    EXPECT_EQ(file.ProjectName, "My Show");
    EXPECT_EQ(file.ProjectPath, "/a b/c/");
    EXPECT_EQ(file.Version, 2);
    ASSERT_EQ(cells.GetCount(), 2);
    EXPECT_EQ(cells.GetAt(0)->AutoIntervalSec, 10);
    EXPECT_EQ(controlAt(cells, 0)->InputDev, 1);
    EXPECT_EQ(imageAt(cells, 1)->FileName, "x.png");
}

TEST(ProjectFileRead, CarriageReturnLineFeedReadsAsLineFeed)
{
    std::string crlf;
    for (char c : kExample) {
        if (c == '\n')
            crlf += '\r';
        crlf += c;
    }
    CProjectFile a, b;
    CCellInfoList ca, cb;
    ASSERT_TRUE(a.Read(kExample, ca));
    ASSERT_TRUE(b.Read(crlf, cb));
    QByteArray ta, tb;
    ASSERT_TRUE(a.Write(ca, ta));
    ASSERT_TRUE(b.Write(cb, tb));
    EXPECT_EQ(ta, tb);
}

TEST(ProjectFileRead, ValueCorrections)
{
    struct Case
    {
        const char* line;
        int cellType; // 1 image, 2 control
        int32_t (*get)(const CCellInfo*);
        int32_t expected;
    };
    const auto motion = [](const CCellInfo* c) { return c->MotionType; };
    const auto effect = [](const CCellInfo* c) {
        return static_cast<const CCellBmpInfo*>(c)->Effect;
    };
    const auto page = [](const CCellInfo* c) {
        return static_cast<const CCellBmpInfo*>(c)->RefPage;
    };
    const auto input = [](const CCellInfo* c) {
        return static_cast<const CCellCtrlInfo*>(c)->InputDev;
    };
    const auto interval = [](const CCellInfo* c) { return c->AutoIntervalSec; };
    const auto valid = [](const CCellInfo* c) { return c->CellValid; };
    const Case cases[] = {
        {"MotionType=5", 1, motion, 1},
        {"MotionType=-3", 1, motion, -3},
        {"MotionType=1", 2, motion, 1},
        {"Effect=42", 1, effect, 0},
        {"Effect=-1", 1, effect, 0},
        {"Effect=41", 1, effect, 41},
        {"InputDev=3", 2, input, 0},
        {"InputDev=-1", 2, input, -1},
        {"RefPage=0", 1, page, 1},
        {"RefPage=abc", 1, page, 1},
        {"RefPage=7 pages", 1, page, 7},
        {"AutoIntervalSec=99999999999", 1, interval, INT_MAX},
        {"AutoIntervalSec=-99999999999", 2, interval, INT_MIN},
        {"AutoIntervalSec=+12x", 2, interval, 12},
        {"AutoIntervalSec=", 2, interval, 0},
        {"CellValid=-2", 2, valid, -2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.line);
        const std::string text =
            kHead + (c.cellType == 1 ? "Slide\n" : "Control\n") + c.line + "\n";
        CProjectFile file;
        CCellInfoList cells;
        ASSERT_TRUE(file.Read(text, cells));
        ASSERT_EQ(cells.GetCount(), 1);
        EXPECT_EQ(c.get(cells.GetAt(0)), c.expected);
    }
}

TEST(ProjectFileRead, ProjectValueCorrections)
{
    struct Case
    {
        const char* lines;
        uint32_t backColor;
        int32_t quality;
        int32_t version;
    };
    const Case cases[] = {
        {"", 0, 2, 0}, // no Version: 0
        {"Version=-4\nImageQuality=-1\n", 0, 2, 0},
        {"Version=1\nImageQuality=0\n", 0, 0, 1},
        {"Version=3\n", 0, 2, 3},
        {"BackColor=255,128,1\n", 0x000180FF, 2, 0},
        {"BackColor=300,-1,99999999999\n", 0x00FFFF2C, 2, 0},
        {"BackColor=12\n", 12, 2, 0},
        {"BackColor=1 ,2,3\n", 1, 2, 0}, // the list stops where a comma is missing
        {"BackColor=1, 2, 3\n", 0x00030201, 2, 0},
        {"BackColor=red\n", 0, 2, 0},
        {"ImageQuality=1\nImageQuality=0\n", 0, 0, 0}, // repeated numbers: the last one
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lines);
        const std::string text =
            std::string("[Project]\nProjectName=A\nProjectPath=/a\n") + c.lines + "[Slides]\n";
        CProjectFile file;
        CCellInfoList cells;
        ASSERT_TRUE(file.Read(text, cells));
        EXPECT_EQ(file.BackColor, c.backColor);
        EXPECT_EQ(file.ImageQuality, c.quality);
        EXPECT_EQ(file.Version, c.version);
    }
}

TEST(ProjectFileRead, ListsChangeOnlyTheElementsPresent)
{
    const std::string text =
        kHead + lines({"Slide", "Disolve=5,6", "Resize=80", "BmpSize=640,480,99"});
    CProjectFile file;
    CCellInfoList cells;
    ASSERT_TRUE(file.Read(text, cells));
    const CCellBmpInfo* cell = imageAt(cells, 0);
    ASSERT_NE(cell, nullptr);
    const std::array<int32_t, 11> disolve{5, 6, 0, 0, 0, 0, 0, 0, 0, 2, 0};
    EXPECT_EQ(cell->Disolve, disolve);
    EXPECT_EQ(cell->Resize[0], 80);
    EXPECT_EQ(cell->Resize[1], 120);
    EXPECT_EQ(cell->BmpSize[0], 640);
    EXPECT_EQ(cell->BmpSize[1], 480);
}

TEST(ProjectFileRead, RefFileTimeRules)
{
    CProjectFile file;
    {
        CCellInfoList cells;
        ASSERT_TRUE(
            file.Read(kHead + "Slide\nRefFileTime=\nRefFileTime=2001/09/30 18:22:10\n", cells));
        EXPECT_EQ(imageAt(cells, 0)->RefFileTime, localSeconds(2001, 9, 30, 18, 22, 10));
    }
    {
        CCellInfoList cells;
        ASSERT_TRUE(file.Read(kHead + "Slide\nRefFileTime=not a date\n", cells));
        EXPECT_EQ(imageAt(cells, 0)->RefFileTime, 0);
    }
    {
        CCellInfoList cells; // beyond what 32-bit seconds hold: left at 0
        ASSERT_TRUE(file.Read(kHead + "Slide\nRefFileTime=2100/01/01 0:00:00\n", cells));
        EXPECT_EQ(imageAt(cells, 0)->RefFileTime, 0);
    }
    {
        CCellInfoList cells;
        EXPECT_FALSE(file.Read(kHead + "Slide\nRefFileTime=2001/09/30 18:22:10\n"
                                       "RefFileTime=2001/09/30 18:22:11\n",
                               cells));
    }
}

TEST(ProjectFileRead, InvalidFiles)
{
    const std::string project = "[Project]\nProjectName=A\nProjectPath=/a/\n";
    const struct
    {
        const char* what;
        std::string text;
    } cases[] = {
        {"empty file", ""},
        {"no sections", "ProjectName=A\nProjectPath=/a/\n"},
        {"no name", "[Project]\nProjectPath=/a/\n[Slides]\n"},
        {"empty name", "[Project]\nProjectName=  \nProjectPath=/a/\n[Slides]\n"},
        {"no path", "[Project]\nProjectName=A\n[Slides]\n"},
        {"second [Project]", project + "[Slides]\n[project]\n"},
        {"second [Slides]", project + "[Slides]\nControl\n[SLIDES]\n"},
        {"second ProjectName", project + "ProjectName=B\n"},
        {"second ProjectPath", project + "ProjectPath=/b/\n"},
        {"second CreateDateTime",
         project + "CreateDateTime=2001/1/1 1:00:00\nCreateDateTime=2002/1/1 1:00:00\n"},
        {"second LastWriteDateTime",
         project + "LastWriteDateTime=2001/1/1\nLastWriteDateTime=2002/1/1\n"},
        {"key before the first cell", project + "[Slides]\nAutoIntervalSec=3\nControl\n"},
        {"blank line before the first cell", project + "[Slides]\n\nSlide\n"},
        {"comment before the first cell", project + "[Slides]\n; a comment\nSlide\n"},
        {"FileName under Control", project + "[Slides]\nControl\nFileName=a.png\n"},
        {"Disolve under Control", project + "[Slides]\nControl\nDisolve=1\n"},
        {"BmpSize under Control", project + "[Slides]\nControl\nBmpSize=1,1\n"},
        {"InputDev under Slide", project + "[Slides]\nSlide\nInputDev=1\n"},
        {"second FileName", project + "[Slides]\nSlide\nFileName=a\nFileName=b\n"},
        {"second RefFilePath", project + "[Slides]\nSlide\nRefFilePath=a\nRefFilePath=b\n"},
        {"second DispFileName", project + "[Slides]\nSlide\nDispFileName=a\nDispFileName=b\n"},
        {"second ThumbFileName", project + "[Slides]\nSlide\nThumbFileName=a\nThumbFileName=b\n"},
        {"name with a slash", "[Project]\nProjectName=../x\nProjectPath=/a/\n"},
        {"name with a backslash", "[Project]\nProjectName=a\\b\nProjectPath=/a/\n"},
        {"name of dots", "[Project]\nProjectName=..\nProjectPath=/a/\n"},
        {"name with a control character", "[Project]\nProjectName=a\tb\x01\nProjectPath=/a/\n"},
        {"name too long",
         "[Project]\nProjectName=" + std::string(300, 'n') + "\nProjectPath=/a/\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        CProjectFile file;
        CCellInfoList cells;
        EXPECT_FALSE(file.Read(c.text, cells));
    }
}

TEST(ProjectFileRead, RepeatedEmptyStringKeysAreAllowed)
{
    // Only a second non-empty value is a duplicate.
    CProjectFile file;
    CCellInfoList cells;
    ASSERT_TRUE(file.Read(kHead + "Slide\nDispFileName=\nDispFileName=d.png\n", cells));
    EXPECT_EQ(imageAt(cells, 0)->DispFileName, "d.png");
}

TEST(ProjectFileRead, TooManyCellsIsInvalid)
{
    std::string text = kHead;
    text.reserve(text.size() + size_t(CProjectFile::MaxCells + 1) * 8);
    for (int i = 0; i < CProjectFile::MaxCells; ++i)
        text += "Control\n";
    {
        CProjectFile file;
        CCellInfoList cells;
        EXPECT_TRUE(file.Read(text, cells));
        EXPECT_EQ(cells.GetCount(), CProjectFile::MaxCells);
    }
    text += "Control\n";
    CProjectFile file;
    CCellInfoList cells;
    EXPECT_FALSE(file.Read(text, cells));
}

TEST(ProjectFileRead, EndsMidLineAndOddBytes)
{
    CProjectFile file;
    {
        CCellInfoList cells; // last line without a line feed
        ASSERT_TRUE(file.Read(kHead + "Control\nInputDev=2", cells));
        EXPECT_EQ(controlAt(cells, 0)->InputDev, 2);
    }
    {
        CCellInfoList cells; // the file stops inside a key
        ASSERT_TRUE(file.Read(kHead + "Control\nInput", cells));
    }
    {
        CCellInfoList cells; // a NUL ends the line's text
        static const char withNul[] = "[Project]\nProjectName=Tr\0ip\nProjectPath=/a/\n";
        ASSERT_TRUE(file.Read(std::string(withNul, sizeof withNul - 1), cells));
        EXPECT_EQ(file.ProjectName, "Tr");
    }
    {
        CCellInfoList cells; // bytes that are no UTF-8 are kept as they are
        ASSERT_TRUE(file.Read("[Project]\nProjectName=\xff\xfe\nProjectPath=/\xc3\n", cells));
        EXPECT_EQ(file.ProjectName, "\xff\xfe");
    }
}

TEST(ProjectFileRead, HundredMegabyteLines)
{
    const size_t big = 100u * 1024 * 1024;
    std::string text;
    text.reserve(big * 2 + 200);
    text.append(big, 'x'); // before the first section: ignored
    text += "\n[Project]\nProjectName=A\nProjectPath=/a/\n";
    text.append(big, ' '); // a key made of blanks only
    text += "ImageQuality=1\n[Slides]\n";
    CProjectFile file;
    CCellInfoList cells;
    ASSERT_TRUE(file.Read(text, cells));
    EXPECT_EQ(file.ImageQuality, 1);
    text.clear();
    text.shrink_to_fit();

    std::string digits = kHead + "Control\nAutoIntervalSec=";
    digits.append(big / 4, '9');
    digits += "\n";
    CCellInfoList more;
    ASSERT_TRUE(file.Read(digits, more));
    EXPECT_EQ(more.GetAt(0)->AutoIntervalSec, INT_MAX);
}
