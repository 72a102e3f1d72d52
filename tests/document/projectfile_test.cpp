// Writing the project file, and texts and files that read back as written.
#include "projectfiletesting.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <climits>
#include <gtest/gtest.h>
#include <string>

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
