// The editing commands of zelm, run as a script would run them, checked by
// opening the saved project.
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "document/zurdoc.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "support/clirunner.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>

namespace {

class EditCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path().toStdString() + "/";
        project = NewProject("trip");
    }

    // A new, empty project; returns its project file.
    std::string NewProject(const std::string& name)
    {
        const std::string folder = root + name + "/";
        QDir().mkpath(QString::fromStdString(folder));
        CZurDoc doc;
        CProjectSettings settings;
        settings.name = name;
        settings.folder = folder;
        EXPECT_TRUE(doc.NewProject(settings));
        return folder + name + ".sic";
    }

    std::string Picture(const std::string& name, int w = 300, int h = 200)
    {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(20 * static_cast<int>(name.size()) % 255, 120, 200));
        const std::string path = root + name;
        EXPECT_TRUE(image.save(QString::fromStdString(path)));
        return path;
    }

    // Control cells whose intervals 1..n tell them apart.
    void AddControls(int n)
    {
        for (int i = 1; i <= n; ++i) {
            const CCliResult r = RunZelm({"add-control", project, "--motion", "1", "--interval",
                                          std::to_string(i), "--quiet"});
            ASSERT_EQ(r.exitCode, 0) << r.err;
        }
    }

    // The intervals of the visible cells of a saved project, in order.
    std::vector<int> Intervals(const std::string& path) const
    {
        CZurDoc doc;
        EXPECT_TRUE(doc.Open(path));
        std::vector<int> ids;
        for (int i = 0; i < doc.Cells.GetCount(); ++i)
            if (doc.Cells.GetAt(i)->IsVisible())
                ids.push_back(doc.Cells.GetAt(i)->AutoIntervalSec);
        return ids;
    }

    std::set<std::string> Files(const std::string& path) const
    {
        std::set<std::string> names;
        const QDir folder = QFileInfo(QString::fromStdString(path)).dir();
        for (const QString& n : folder.entryList(QDir::Files))
            names.insert(n.toStdString());
        return names;
    }

    QTemporaryDir dir;
    std::string root;
    std::string project;
};

TEST_F(EditCommandsTest, AddPicturesAtTheEndAndBeforeARow)
{
    const CCliResult r = RunZelm({"add", project, Picture("a.jpg"), Picture("b.png"), "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const CCliResult before =
        RunZelm({"add", project, "--before", "2", Picture("c.bmp"), "--quiet"});
    ASSERT_EQ(before.exitCode, 0) << before.err;
    CZurDoc doc;
    ASSERT_TRUE(doc.Open(project));
    ASSERT_EQ(doc.Cells.GetCount(), 3);
    const char* names[] = {"a.jpg", "c.bmp", "b.png"};
    for (int i = 0; i < 3; ++i) {
        const auto* cell = static_cast<const CCellBmpInfo*>(doc.Cells.GetAt(i));
        ASSERT_EQ(cell->CellType, CCellInfo::Type::Image);
        EXPECT_EQ(cell->RefFilePath, root + names[i]);
        EXPECT_EQ(cell->RefPage, 1);
        EXPECT_EQ(cell->StateFlags, 0u);
        EXPECT_TRUE(QFile::exists(QString::fromStdString(doc.ProjectPath + cell->FileName)));
        EXPECT_TRUE(QFile::exists(QString::fromStdString(doc.ProjectPath + cell->ThumbFileName)));
    }
    EXPECT_EQ(Files(project).size(), 7u) << "the project file and two files per picture";
}

TEST_F(EditCommandsTest, AddUsageErrors)
{
    struct Case
    {
        std::vector<std::string> args;
    };
    const std::string pic = Picture("x.png");
    const Case cases[] = {
        {{"add", project}},
        {{"add", project, root + "notes.txt"}},
        {{"add", project, pic, "--before", "1"}}, // the project has no rows
        {{"add", project, pic, "--before", "zero"}},
    };
    for (const Case& c : cases) {
        const CCliResult r = RunZelm(c.args);
        EXPECT_EQ(r.exitCode, 2) << r.err;
    }
    EXPECT_EQ(Files(project).size(), 1u) << "nothing was imported";
}

TEST_F(EditCommandsTest, AddStopsAtAnUnreadableFileAndKeepsTheCellsBeforeIt)
{
    const std::string broken = root + "broken.jpg";
    {
        QFile f(QString::fromStdString(broken));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    const std::set<std::string> before = Files(project);
    const CCliResult r = RunZelm({"add", project, Picture("first.png"), broken, Picture("last.png"),
                                  "--quiet", "--message-ids"});
    EXPECT_EQ(r.exitCode, 1);
    // Text saved as a picture: named, with the reason.
    EXPECT_NE(r.err.find("[7301] " + CResourceBundle::Format(MsgId::FileNotAPicture, broken)),
              std::string::npos)
        << r.err;
    // So is every file after it, which did not go in; the one before did.
    EXPECT_NE(
        r.err.find("[7490] " + CResourceBundle::Format(MsgId::FileNotInserted, root + "last.png")),
        std::string::npos)
        << r.err;
    for (const std::string& other : {root + "first.png", broken})
        EXPECT_EQ(r.err.find(CResourceBundle::Format(MsgId::FileNotInserted, other)),
                  std::string::npos)
            << r.err;
    CZurDoc doc;
    ASSERT_TRUE(doc.Open(project));
    ASSERT_EQ(doc.Cells.GetCount(), 1);
    EXPECT_EQ(static_cast<const CCellBmpInfo*>(doc.Cells.GetAt(0))->RefFilePath,
              root + "first.png");
    // Its display image and thumbnail, nothing of the files after it.
    EXPECT_EQ(Files(project).size(), before.size() + 2);
}

TEST_F(EditCommandsTest, AddControlWithItsValues)
{
    CCliResult r =
        RunZelm({"add-control", project, "--input", "2", "--motion", "1", "--interval", "45"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunZelm({"add-control", project, "--motion", "1", "--interval", "1801", "--message-ids"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("[61714]"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("1800"), std::string::npos) << r.err;
    r = RunZelm({"add-control", project, "--input", "3"});
    EXPECT_EQ(r.exitCode, 2);
    CZurDoc doc;
    ASSERT_TRUE(doc.Open(project));
    ASSERT_EQ(doc.Cells.GetCount(), 1);
    const auto* cell = static_cast<const CCellCtrlInfo*>(doc.Cells.GetAt(0));
    EXPECT_EQ(cell->CellType, CCellInfo::Type::Control);
    EXPECT_EQ(cell->InputDev, 2);
    EXPECT_EQ(cell->MotionType, 1);
    EXPECT_EQ(cell->AutoIntervalSec, 45);
}

TEST_F(EditCommandsTest, DeleteEnableDisable)
{
    AddControls(5);
    CCliResult r = RunZelm({"delete", project, "2,3,5"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(Intervals(project), (std::vector<int>{1, 4}));
    r = RunZelm({"disable", project, "1-2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunZelm({"enable", project, "2"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    CZurDoc doc;
    ASSERT_TRUE(doc.Open(project));
    EXPECT_EQ(doc.Cells.GetAt(0)->CellValid, 0);
    EXPECT_EQ(doc.Cells.GetAt(1)->CellValid, 1);
}

TEST_F(EditCommandsTest, RowsOutOfRangeAreUsageErrors)
{
    AddControls(3);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"delete", project, "4"},
                                               {"delete", project, "0"},
                                               {"disable", project, "2-9"},
                                               {"enable", project, "3-1"},
                                               {"set", project, "1,x", "--valid", "0"},
                                               {"move", project, "1", "--to", "7"},
                                               {"move", project, "1"},
                                               {"delete", project}}) {
        const CCliResult r = RunZelm(args);
        EXPECT_EQ(r.exitCode, 2) << args[0] << " " << args[2] << ": " << r.err;
    }
    EXPECT_EQ(Intervals(project), (std::vector<int>{1, 2, 3}));
}

TEST_F(EditCommandsTest, MoveLikeADrag)
{
    AddControls(5);
    struct Case
    {
        std::string rows, to;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {"2,3", "5", {1, 4, 5, 2, 3}},
        {"4-5", "1", {2, 3, 1, 4, 5}},
        {"1", "end", {3, 1, 4, 5, 2}},
        {"1-5", "2", {3, 1, 4, 5, 2}},
    };
    for (const Case& c : cases) {
        const CCliResult r = RunZelm({"move", project, c.rows, "--to", c.to});
        ASSERT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(Intervals(project), c.expected) << c.rows << " to " << c.to;
    }
}

TEST_F(EditCommandsTest, SetSingleAndMultiple)
{
    RunZelm({"add", project, Picture("p.jpg"), "--quiet"});
    AddControls(2);
    CCliResult r = RunZelm({"set", project, "1", "--effect", "12", "--valid", "0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunZelm({"set", project, "1", "--input", "1"});
    EXPECT_EQ(r.exitCode, 2) << "a picture has no input device";
    r = RunZelm({"set", project, "2", "--effect", "1"});
    EXPECT_EQ(r.exitCode, 2) << "a control cell has no effect";
    r = RunZelm({"set", project, "1", "--effect", "42"});
    EXPECT_EQ(r.exitCode, 2);
    r = RunZelm({"set", project, "2", "--motion", "1", "--interval", "0", "--message-ids"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("[61714]"), std::string::npos) << r.err;
    // Several cells with different intervals: 0 keeps each one's own.
    r = RunZelm({"set", project, "1-3", "--motion", "1", "--interval", "0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    CZurDoc doc;
    ASSERT_TRUE(doc.Open(project));
    const auto* picture = static_cast<const CCellBmpInfo*>(doc.Cells.GetAt(0));
    EXPECT_EQ(picture->Effect, 12);
    EXPECT_EQ(picture->CellValid, 0);
    EXPECT_EQ(picture->MotionType, 1);
    EXPECT_EQ(picture->AutoIntervalSec, 30);
    EXPECT_EQ(doc.Cells.GetAt(1)->AutoIntervalSec, 1);
    EXPECT_EQ(doc.Cells.GetAt(2)->AutoIntervalSec, 2);
}

TEST_F(EditCommandsTest, EffectOfOnePicture)
{
    RunZelm({"add", project, Picture("e.png"), "--quiet"});
    AddControls(1);
    // --dissolve, and --disolve as older scripts spell it.
    CCliResult r = RunZelm({"effect", project, "1", "--dissolve", "5,3,0,1,2,0,1,0,4,20,0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunZelm({"effect", project, "1", "--disolve", "6,3,0,1,2,0,1,0,4,20,0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunZelm({"effect", project, "1", "--dissolve", "6,3,0,1,2,0,1,0,4,20,0", "--disolve",
                 "6,3,0,1,2,0,1,0,4,20,0"});
    EXPECT_EQ(r.exitCode, 2) << "given twice";
    r = RunZelm({"effect", project, "1", "--dissolve", "6,3,0,1,2,0,1,0,4,149,0", "--message-ids"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_NE(r.err.find("[61714]"), std::string::npos) << r.err;
    r = RunZelm({"effect", project, "1", "--disolve", "6,3,0,1,2,0,1,0,4,20"});
    EXPECT_EQ(r.exitCode, 2) << "ten numbers";
    r = RunZelm({"effect", project, "1", "--disolve", "6,9,0,1,2,0,1,0,4,20,0"});
    EXPECT_EQ(r.exitCode, 2) << "colour 9";
    r = RunZelm({"effect", project, "2", "--disolve", "6,3,0,1,2,0,1,0,4,20,0"});
    EXPECT_EQ(r.exitCode, 2) << "a control cell";
    CZurDoc doc;
    ASSERT_TRUE(doc.Open(project));
    const auto* picture = static_cast<const CCellBmpInfo*>(doc.Cells.GetAt(0));
    EXPECT_EQ(picture->Disolve, (std::array<int32_t, 11>{6, 3, 0, 1, 2, 0, 1, 0, 4, 20, 0}));
}

TEST_F(EditCommandsTest, CopyIntoAnotherProjectAndThroughAFile)
{
    RunZelm({"add", project, Picture("c1.png"), Picture("c2.jpg"), "--quiet"});
    const std::string other = NewProject("other");
    RunZelm({"add-control", other});
    CCliResult r = RunZelm({"copy", project, "2", "--into", other, "--before", "1", "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string block = root + "cells.block";
    r = RunZelm({"copy", project, "1-2", "--to-file", block});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunZelm({"paste", other, block, "--quiet"});
    ASSERT_EQ(r.exitCode, 0) << r.err;

    CZurDoc doc;
    ASSERT_TRUE(doc.Open(other));
    ASSERT_EQ(doc.Cells.GetCount(), 4);
    const int types[] = {1, 2, 1, 1};
    const char* sources[] = {"c2.jpg", nullptr, "c1.png", "c2.jpg"};
    std::set<std::string> named;
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(static_cast<int>(doc.Cells.GetAt(i)->CellType), types[i]);
        if (!sources[i])
            continue;
        const auto* cell = static_cast<const CCellBmpInfo*>(doc.Cells.GetAt(i));
        EXPECT_EQ(cell->RefFilePath, root + sources[i]);
        EXPECT_TRUE(QFile::exists(QString::fromStdString(doc.ProjectPath + cell->FileName)));
        named.insert(cell->FileName);
        named.insert(cell->ThumbFileName);
    }
    EXPECT_EQ(named.size(), 6u) << "each pasted cell has files of its own";
    EXPECT_EQ(Files(project).size(), 5u) << "the source project is unchanged";
    r = RunZelm({"copy", project, "1", "--to-file", block, "--into", other});
    EXPECT_EQ(r.exitCode, 2);
}

TEST_F(EditCommandsTest, DamagedBlocksInsertNothing)
{
    RunZelm({"add", project, Picture("d.png"), "--quiet"});
    const std::string block = root + "good.block";
    ASSERT_EQ(RunZelm({"copy", project, "1", "--to-file", block}).exitCode, 0);
    QFile f(QString::fromStdString(block));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray good = f.readAll();
    f.close();
    struct Case
    {
        const char* name;
        QByteArray bytes;
    };
    QByteArray escaping = good;
    const QByteArray name = QByteArray::fromStdString([&] {
        CZurDoc doc;
        doc.Open(project);
        return static_cast<const CCellBmpInfo*>(doc.Cells.GetAt(0))->FileName;
    }());
    // A name of the same length that climbs out of the folder.
    QByteArray climbing = "../" + name.mid(3);
    escaping.replace(name, climbing);
    const Case cases[] = {
        {"truncated", good.left(good.size() / 2)},
        {"noise", QByteArray(64, '\x7f')},
        {"escaping", escaping},
    };
    for (const Case& c : cases) {
        const std::string path = root + c.name + ".block";
        QFile out(QString::fromStdString(path));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(c.bytes);
        out.close();
        const CCliResult r = RunZelm({"paste", project, path, "--message-ids"});
        EXPECT_EQ(r.exitCode, 1) << c.name;
        EXPECT_NE(
            r.err.find("[7308] " + CResourceBundle::Format(MsgId::FileNotATransferBlock, path)),
            std::string::npos)
            << c.name << ": " << r.err;
    }
    const CCliResult missing = RunZelm({"paste", project, root + "absent.block", "--message-ids"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("[7300]"), std::string::npos) << missing.err;
    EXPECT_EQ(Intervals(project).size(), 1u);
    EXPECT_EQ(Files(project).size(), 3u);
}

} // namespace
