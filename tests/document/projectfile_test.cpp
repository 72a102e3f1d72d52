#include "document/projectfile.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>
#include <initializer_list>
#include <string>

namespace {

std::string lines(std::initializer_list<const char*> list)
{
    std::string text;
    for (const char* line : list)
        text.append(line).append("\n");
    return text;
}

int32_t localSeconds(int y, int mo, int d, int h, int mi, int s)
{
    return int32_t(QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime).toSecsSinceEpoch());
}

// The example project of the format: one image cell and one control cell.
const std::string kExample = lines({
    "[Project]",
    "ProjectName=Trip",
    "ProjectPath=/shows/Trip/",
    "BackColor=0,0,0",
    "CreateDateTime=2001/10/05 9:03:27",
    "LastWriteDateTime=2001/10/05 9:15:02",
    "ImageQuality=2",
    "Version=2",
    "[Slides]",
    "Slide",
    "FileName=beach3bbd8f1a.png",
    "RefFilePath=/pics/beach.jpg",
    "RefFileTime=2001/09/30 18:22:10",
    "RefPage=1",
    "AutoIntervalSec=30",
    "MotionType=0",
    "CellValid=1",
    "DispFileName=",
    "ThumbFileName=beach3bbd8f1b.jpg",
    "Effect=0",
    "Disolve=0,0,0,0,0,0,0,0,0,2,0",
    "Resize=160,120",
    "BmpSize=1024,768",
    "Control",
    "AutoIntervalSec=30",
    "MotionType=0",
    "CellValid=1",
    "InputDev=0",
});

const std::string kHead =
    lines({"[Project]", "ProjectName=Trip", "ProjectPath=/shows/Trip/", "Version=2", "[Slides]"});

CCellBmpInfo* imageAt(const CCellInfoList& cells, int i)
{
    return dynamic_cast<CCellBmpInfo*>(cells.GetAt(i));
}

CCellCtrlInfo* controlAt(const CCellInfoList& cells, int i)
{
    return dynamic_cast<CCellCtrlInfo*>(cells.GetAt(i));
}

bool readText(const std::string& text, CProjectFile& file, CCellInfoList& cells)
{
    return file.Read(text, cells);
}

} // namespace

TEST(ProjectFileWrite, ExampleProjectByteForByte)
{
    CProjectFile file;
    file.ProjectName = "Trip";
    file.ProjectPath = "/shows/Trip/";
    file.CreateDateTime = QDateTime(QDate(2001, 10, 5), QTime(9, 3, 27), Qt::LocalTime);
    file.LastWriteDateTime = QDateTime(QDate(2001, 10, 5), QTime(9, 15, 2), Qt::LocalTime);
    CCellInfoList cells;
    auto image = std::make_unique<CCellBmpInfo>();
    image->FileName = "beach3bbd8f1a.png";
    image->RefFilePath = "/pics/beach.jpg";
    image->RefFileTime = localSeconds(2001, 9, 30, 18, 22, 10);
    image->RefPage = 1;
    image->ThumbFileName = "beach3bbd8f1b.jpg";
    cells.Append(std::move(image));
    cells.Append(std::make_unique<CCellCtrlInfo>());

    QByteArray text;
    ASSERT_TRUE(file.Write(cells, text));
    EXPECT_EQ(text.toStdString(), kExample);
    EXPECT_EQ(text.indexOf('\r'), -1);
}

TEST(ProjectFileWrite, ValuesAndFormats)
{
    CProjectFile file;
    file.ProjectName = "Show1";
    file.ProjectPath = "/p/";
    file.BackColor = 0x00C08040; // red 0x40, green 0x80, blue 0xC0
    file.ImageQuality = 0;
    file.Version = 2;
    CCellInfoList cells;
    auto image = std::make_unique<CCellBmpInfo>();
    image->RefFileTime = -1; // no calendar date: the line is left out
    image->Effect = 41;
    image->Disolve = {7, 1, -1, 0, 4, 5, 6, 7, 3, 148, -1};
    image->Resize[0] = 160;
    image->Resize[1] = 90;
    image->BmpSize[0] = 1024;
    image->BmpSize[1] = 576;
    image->AutoIntervalSec = 1800;
    image->MotionType = 1;
    image->CellValid = 0;
    cells.Append(std::move(image));
    auto control = std::make_unique<CCellCtrlInfo>();
    control->InputDev = 2;
    cells.Append(std::move(control));

    QByteArray text;
    ASSERT_TRUE(file.Write(cells, text));
    const std::string s = text.toStdString();
    EXPECT_NE(s.find("\nBackColor=64,128,192\n"), std::string::npos);
    // The zero date is written all the same; an empty file time is left out.
    EXPECT_NE(s.find("\nCreateDateTime=1899/12/30 0:00:00\n"), std::string::npos);
    EXPECT_EQ(s.find("RefFileTime"), std::string::npos);
    EXPECT_NE(s.find("\nRefPage=0\nAutoIntervalSec=1800\nMotionType=1\nCellValid=0\n"),
              std::string::npos);
    EXPECT_NE(s.find("\nDisolve=7,1,-1,0,4,5,6,7,3,148,-1\nResize=160,90\nBmpSize=1024,576\n"),
              std::string::npos);
    EXPECT_NE(s.find("\nControl\nAutoIntervalSec=30\nMotionType=0\nCellValid=1\nInputDev=2\n"),
              std::string::npos);
    EXPECT_NE(s.find("\nImageQuality=0\nVersion=2\n[Slides]\n"), std::string::npos);
}

TEST(ProjectFileWrite, DeletedCellsLeftOutAndOrderKept)
{
    CProjectFile file;
    file.ProjectName = "A";
    file.ProjectPath = "/a/";
    CCellInfoList cells;
    for (int i = 0; i < 4; ++i) {
        auto cell = std::make_unique<CCellCtrlInfo>();
        cell->AutoIntervalSec = 10 + i;
        if (i == 1)
            cell->StateFlags = CCellInfo::StateDeleted;
        if (i == 2)
            cell->StateFlags = CCellInfo::StateAdded | CCellInfo::StateChanged;
        cells.Append(std::move(cell));
    }
    QByteArray text;
    ASSERT_TRUE(file.Write(cells, text));
    const std::string s = text.toStdString();
    const size_t a = s.find("AutoIntervalSec=10\n");
    const size_t c = s.find("AutoIntervalSec=12\n");
    const size_t d = s.find("AutoIntervalSec=13\n");
    EXPECT_EQ(s.find("AutoIntervalSec=11\n"), std::string::npos);
    ASSERT_NE(a, std::string::npos);
    EXPECT_LT(a, c);
    EXPECT_LT(c, d);
}

TEST(ProjectFileWrite, RefusesWhatCannotBeReadBack)
{
    CProjectFile file;
    file.ProjectName = "A";
    file.ProjectPath = "/a/";
    QByteArray text;
    {
        CCellInfoList cells;
        cells.Append(CCellInfo::CreateOfType(CCellInfo::Type::Plain)); // neither image nor control
        EXPECT_FALSE(file.Write(cells, text));
        EXPECT_TRUE(text.isEmpty());
    }
    {
        CCellInfoList cells;
        auto image = std::make_unique<CCellBmpInfo>();
        image->RefFilePath = "/pics/a\n[Project]\nb.jpg"; // a name with line breaks
        cells.Append(std::move(image));
        EXPECT_FALSE(file.Write(cells, text));
    }
    {
        CCellInfoList cells;
        cells.Append(std::make_unique<CCellBmpInfo>());
        file.ProjectName = std::string("A\rB");
        EXPECT_FALSE(file.Write(cells, text));
    }
}

TEST(ProjectFileRoundTrip, ReadWriteReadGivesSameTextAndFields)
{
    CProjectFile first;
    CCellInfoList cells;
    ASSERT_TRUE(readText(kExample, first, cells));
    ASSERT_EQ(cells.GetCount(), 2);
    EXPECT_EQ(first.ProjectName, "Trip");
    EXPECT_EQ(first.ProjectPath, "/shows/Trip/");
    EXPECT_EQ(cells.ProjectFolder, "/shows/Trip/");
    EXPECT_EQ(first.Version, 2);
    EXPECT_EQ(first.CreateDateTime, QDateTime(QDate(2001, 10, 5), QTime(9, 3, 27), Qt::LocalTime));
    const CCellBmpInfo* image = imageAt(cells, 0);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->FileName, "beach3bbd8f1a.png");
    EXPECT_EQ(image->RefFilePath, "/pics/beach.jpg");
    EXPECT_EQ(image->SourceKind, CCellBmpInfo::SourceJpeg);
    EXPECT_EQ(image->RefFileTime, localSeconds(2001, 9, 30, 18, 22, 10));
    EXPECT_EQ(image->ThumbFileName, "beach3bbd8f1b.jpg");
    EXPECT_EQ(image->Disolve[9], 2);
    EXPECT_EQ(image->StateFlags, 0u);
    ASSERT_NE(controlAt(cells, 1), nullptr);

    QByteArray again;
    ASSERT_TRUE(first.Write(cells, again));
    EXPECT_EQ(again.toStdString(), kExample);

    // A new LastWriteDateTime changes that line only.
    first.LastWriteDateTime = QDateTime(QDate(2024, 1, 2), QTime(13, 4, 5), Qt::LocalTime);
    ASSERT_TRUE(first.Write(cells, again));
    std::string expected = kExample;
    const std::string oldLine = "LastWriteDateTime=2001/10/05 9:15:02";
    expected.replace(expected.find(oldLine), oldLine.size(),
                     "LastWriteDateTime=2024/01/02 13:04:05");
    EXPECT_EQ(again.toStdString(), expected);
}

TEST(ProjectFileRoundTrip, EveryFieldOfEveryCellSurvives)
{
    CProjectFile file;
    file.ProjectName = "Every";
    file.ProjectPath = "/x/y z/";
    file.BackColor = 0x00FFFF00;
    file.ImageQuality = 1;
    file.Version = 2;
    file.CreateDateTime = QDateTime(QDate(1999, 12, 31), QTime(23, 59, 59), Qt::LocalTime);
    CCellInfoList cells;
    for (int i = 0; i < 6; ++i) {
        if (i % 3 == 2) {
            auto c = std::make_unique<CCellCtrlInfo>();
            c->InputDev = i % 3;
            c->AutoIntervalSec = i * 7;
            c->MotionType = i % 2;
            c->CellValid = (i + 1) % 2;
            cells.Append(std::move(c));
            continue;
        }
        auto c = std::make_unique<CCellBmpInfo>();
        c->FileName = "f" + std::to_string(i) + ".png";
        c->RefFilePath = "/src/Pic " + std::to_string(i) + (i % 2 ? ".PPT" : ".bmp");
        c->RefFileTime = 1000000000 + i * 3600;
        c->RefPage = i + 1;
        c->DispFileName = i == 1 ? "d.png" : "";
        c->ThumbFileName = "t" + std::to_string(i) + ".jpg";
        c->Effect = i * 5;
        for (int k = 0; k < 11; ++k)
            c->Disolve[size_t(k)] = k * i - 3;
        c->Resize[0] = 100 + i;
        c->Resize[1] = 75 + i;
        c->BmpSize[0] = 1000 + i;
        c->BmpSize[1] = 700 + i;
        cells.Append(std::move(c));
    }
    QByteArray text;
    ASSERT_TRUE(file.Write(cells, text));

    CProjectFile back;
    CCellInfoList read;
    ASSERT_TRUE(back.Read(text.toStdString(), read));
    EXPECT_EQ(back.ProjectName, file.ProjectName);
    EXPECT_EQ(back.ProjectPath, file.ProjectPath);
    EXPECT_EQ(back.BackColor, file.BackColor);
    EXPECT_EQ(back.ImageQuality, file.ImageQuality);
    EXPECT_EQ(back.CreateDateTime, file.CreateDateTime);
    EXPECT_FALSE(back.LastWriteDateTime.isValid());
    ASSERT_EQ(read.GetCount(), cells.GetCount());
    for (int i = 0; i < cells.GetCount(); ++i) {
        SCOPED_TRACE(i);
        ASSERT_EQ(read.GetAt(i)->CellType, cells.GetAt(i)->CellType);
        EXPECT_EQ(read.GetAt(i)->AutoIntervalSec, cells.GetAt(i)->AutoIntervalSec);
        EXPECT_EQ(read.GetAt(i)->MotionType, cells.GetAt(i)->MotionType);
        EXPECT_EQ(read.GetAt(i)->CellValid, cells.GetAt(i)->CellValid);
        if (const CCellBmpInfo* a = imageAt(cells, i)) {
            const CCellBmpInfo* b = imageAt(read, i);
            ASSERT_NE(b, nullptr);
            EXPECT_EQ(b->FileName, a->FileName);
            EXPECT_EQ(b->RefFilePath, a->RefFilePath);
            EXPECT_EQ(b->RefFileTime, a->RefFileTime);
            EXPECT_EQ(b->RefPage, a->RefPage);
            EXPECT_EQ(b->DispFileName, a->DispFileName);
            EXPECT_EQ(b->ThumbFileName, a->ThumbFileName);
            EXPECT_EQ(b->Effect, a->Effect);
            EXPECT_EQ(b->Disolve, a->Disolve);
            EXPECT_EQ(b->Resize[0], a->Resize[0]);
            EXPECT_EQ(b->Resize[1], a->Resize[1]);
            EXPECT_EQ(b->BmpSize[0], a->BmpSize[0]);
            EXPECT_EQ(b->BmpSize[1], a->BmpSize[1]);
            EXPECT_EQ(b->SourceKind, i % 2 ? CCellBmpInfo::SourcePpt : CCellBmpInfo::SourceBmp);
        } else {
            EXPECT_EQ(controlAt(read, i)->InputDev, controlAt(cells, i)->InputDev);
        }
    }
    QByteArray again;
    ASSERT_TRUE(back.Write(read, again));
    EXPECT_EQ(again, text);
}

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

TEST(ProjectFileNumbers, DecimalPrefix)
{
    const struct
    {
        const char* text;
        int32_t value;
    } cases[] = {
        {"", 0},
        {"abc", 0},
        {"12abc", 12},
        {"  -7x", -7},
        {"+5", 5},
        {"-", 0},
        {"2147483647", INT_MAX},
        {"2147483648", INT_MAX},
        {"-2147483648", INT_MIN},
        {"-2147483649", INT_MIN},
        {"4294967296", INT_MAX},
        {"00000000000000000000000000012", 12},
        {"1 2", 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(CProjectFile::ParseDecimal(c.text), c.value);
    }
    int32_t values[3] = {9, 9, 9};
    EXPECT_EQ(CProjectFile::ParseDecimalList("1,-2,x", values, 3), 2);
    EXPECT_EQ(values[0], 1);
    EXPECT_EQ(values[1], -2);
    EXPECT_EQ(values[2], 9);
    uint32_t u[2] = {7, 7};
    EXPECT_EQ(CProjectFile::ParseUnsignedList("-1,99999999999999999999", u, 2), 2);
    EXPECT_EQ(u[0], 0xFFFFFFFFu);
    EXPECT_EQ(u[1], 0xFFFFFFFFu);
}

TEST(ProjectFileTimes, ParseAndFormat)
{
    QDateTime t;
    ASSERT_TRUE(CProjectFile::ParseDateTime("2001/10/05 9:03:27", t));
    EXPECT_EQ(t, QDateTime(QDate(2001, 10, 5), QTime(9, 3, 27), Qt::LocalTime));
    EXPECT_EQ(CProjectFile::FormatDateTime(t), "2001/10/05 9:03:27");
    ASSERT_TRUE(CProjectFile::ParseDateTime(" 2001-10-05 09:03 ", t));
    EXPECT_EQ(t, QDateTime(QDate(2001, 10, 5), QTime(9, 3), Qt::LocalTime));
    ASSERT_TRUE(CProjectFile::ParseDateTime("2001/1/2", t));
    EXPECT_EQ(CProjectFile::FormatDateTime(t), "2001/01/02 0:00:00");
    for (const char* bad : {"", "x", "2001/13/01", "2001/02/30", "2001/10/05 25:00:00",
                            "2001/10/05 9", "2001/10/05 9:03:27 pm", "20011/1/1", "0/1/1"}) {
        SCOPED_TRACE(bad);
        QDateTime u;
        EXPECT_FALSE(CProjectFile::ParseDateTime(bad, u));
        EXPECT_FALSE(u.isValid());
    }
    EXPECT_EQ(CProjectFile::FormatDateTime(QDateTime()), "");
    EXPECT_EQ(CProjectFile::FormatFileTime(-1), "");
    EXPECT_EQ(CProjectFile::FormatFileTime(localSeconds(2001, 9, 30, 18, 22, 10)),
              "2001/09/30 18:22:10");
}

TEST(ProjectFileDisk, WriteAndReadThroughFiles)
{
    QTemporaryDir dir;
    const std::string path = dir.path().toStdString() + "/Trip.sic";
    CProjectFile file;
    CCellInfoList cells;
    ASSERT_TRUE(file.Read(kExample, cells));
    ASSERT_EQ(file.WriteFile(path, cells), CProjectFile::WriteOk);
    QFile f(QString::fromStdString(path));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), kExample);
    f.close();

    CProjectFile back;
    CCellInfoList read;
    EXPECT_EQ(back.ReadFile(path, read), CProjectFile::ReadOk);
    EXPECT_EQ(read.GetCount(), 2);

    // A write that fails leaves the old file as it was.
    cells.Append(CCellInfo::CreateOfType(CCellInfo::Type::Plain));
    EXPECT_EQ(file.WriteFile(path, cells), CProjectFile::WriteBadCell);
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll().toStdString(), kExample);
    f.close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 1);

    EXPECT_EQ(file.WriteFile(dir.path().toStdString() + "/missing/x.sic", read),
              CProjectFile::WriteCannotCreate);
    EXPECT_EQ(back.ReadFile(dir.path().toStdString() + "/none.sic", read),
              CProjectFile::ReadCannotOpen);
    EXPECT_EQ(back.ReadFile(dir.path().toStdString(), read), CProjectFile::ReadCannotOpen);
}

TEST(ProjectFileDisk, OversizedFileIsRefusedUnread)
{
    QTemporaryDir dir;
    const QString path = dir.path() + "/big.sic";
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray::fromStdString(kExample));
    ASSERT_TRUE(f.resize(CProjectFile::MaxFileSize + 1)); // sparse
    f.close();
    CProjectFile file;
    CCellInfoList cells;
    EXPECT_EQ(file.ReadFile(path.toStdString(), cells), CProjectFile::ReadInvalid);
    EXPECT_EQ(cells.GetCount(), 0);
}
