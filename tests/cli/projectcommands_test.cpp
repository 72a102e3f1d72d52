// zelm new, info, list, save-as, properties and check, run as a user runs them.
#include "support/clirunner.h"
#include "support/zurdoctestutil.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

using namespace doctest;

namespace {

class ProjectCommandsTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        dir = QFileInfo(m_dir.path()).canonicalFilePath().toStdString() + "/";
    }

    QJsonObject json(const CCliResult& r)
    {
        const QJsonDocument doc = QJsonDocument::fromJson(QByteArray::fromStdString(r.out));
        EXPECT_TRUE(doc.isObject()) << r.out;
        return doc.object();
    }

    // A saved project "Show" in dir/Show/ with two image cells and a control
    // cell between them, made by the document.
    std::string makeShow()
    {
        const std::string folder = dir + "Show/";
        QDir().mkpath(QString::fromStdString(folder));
        EXPECT_TRUE(makePicture(dir + "beach.jpg", 640, 480));
        EXPECT_TRUE(makePicture(dir + "hill.png", 300, 500));
        CZurDoc doc;
        CProjectSettings settings{"Show", folder, 0x00008000, 1};
        EXPECT_TRUE(doc.NewProject(settings));
        EXPECT_NE(importPicture(doc, dir + "beach.jpg"), nullptr);
        addControl(doc, 2);
        EXPECT_NE(importPicture(doc, dir + "hill.png"), nullptr);
        EXPECT_TRUE(doc.Save());
        return doc.GetPathName();
    }

    std::string dir;

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST_F(ProjectCommandsTest, NewGoesToTheHomeFolderByDefault)
{
    const std::string home = std::getenv("ZELM_HOME");
    const CCliResult r = RunZelm({"new", "Home1"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string path = home + "/Home1/Home1.sic";
    EXPECT_EQ(r.out, path + "\n");
    EXPECT_TRUE(exists(path));
}

TEST_F(ProjectCommandsTest, NewWithColourAndQuality)
{
    CCliResult r = RunZelm({"new", "--color", "ff0000", "Red", "--in", dir, "--quality=0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, dir + "Red/Red.sic\n");
    r = RunZelm({"info", dir + "Red/Red.sic", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonObject o = json(r);
    EXPECT_EQ(o["ProjectName"].toString(), "Red");
    EXPECT_EQ(o["ProjectPath"].toString().toStdString(), dir + "Red/");
    EXPECT_EQ(o["BackColor"].toArray(), (QJsonArray{255, 0, 0}));
    EXPECT_EQ(o["ImageQuality"].toInt(), 0);
    EXPECT_EQ(o["Version"].toInt(), 2);
    EXPECT_EQ(o["cells"].toInt(), 0);
    EXPECT_FALSE(o["CreateDateTime"].toString().isEmpty());

    r = RunZelm({"new", "Teal", "--in", dir, "--color", "6"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    r = RunZelm({"info", dir + "Teal/Teal.sic", "--json"});
    EXPECT_EQ(json(r)["BackColor"].toArray(), (QJsonArray{0, 128, 128}));
}

TEST_F(ProjectCommandsTest, NewUsageErrors)
{
    const std::vector<std::vector<std::string>> cases = {
        {"new"},
        {"new", "A", "B"},
        {"new", "A", "--color", "16"},
        {"new", "A", "--color", "123456"},
        {"new", "A", "--color", "blue"},
        {"new", "A", "--quality", "3"},
        {"new", "A", "--quality", ""},
        {"new", "A", "--bogus"},
    };
    for (const auto& args : cases) {
        const CCliResult r = RunZelm(args);
        EXPECT_EQ(r.exitCode, 2) << args.back() << r.err;
    }
}

TEST_F(ProjectCommandsTest, NewRefusalsAndTheExistingFolderQuestion)
{
    const struct
    {
        std::vector<std::string> args;
        int status;
        const char* message;
        bool printed = true; // false: the message must not appear
    } cases[] = {
        {{"new", "bad.name"}, 1, "[7111]"},
        // The refused argument is named with the rule it breaks.
        {{"new", "bad.name"}, 1, "the NAME 'bad.name' is refused: a project name is 1 to 8"},
        {{"new", "toolong99"}, 1, "[61716]"},
        {{"new", "toolong99"}, 1, "the NAME 'toolong99' is refused"},
        {{"new", "Twice"}, 0, nullptr},
        {{"new", "Twice"}, 3, "[7117]"},
        // Without a terminal the question is answered No, and the note says
        // that --yes answers it.
        {{"new", "Twice"}, 3, "[7495]"},
        {{"new", "Twice", "--no"}, 3, "[7495]", false},
        // The flags answer the question without printing it.
        {{"new", "Twice", "--no"}, 3, "[7117]", false},
        {{"new", "Twice", "--yes"}, 0, "[7117]", false},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.end(), {"--in", dir, "--message-ids"});
        const CCliResult r = RunZelm(args);
        EXPECT_EQ(r.exitCode, c.status) << r.err;
        if (c.message) {
            EXPECT_EQ(r.err.find(c.message) != std::string::npos, c.printed) << r.err;
        }
    }
}

TEST_F(ProjectCommandsTest, InfoAndListOfAProjectWithCells)
{
    const std::string path = makeShow();
    CCliResult r = RunZelm({"info", path, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    QJsonObject o = json(r);
    EXPECT_EQ(o["cells"].toInt(), 3);
    EXPECT_EQ(o["imageCells"].toInt(), 2);
    EXPECT_EQ(o["controlCells"].toInt(), 1);
    EXPECT_EQ(o["ImageQuality"].toInt(), 1);

    r = RunZelm({"list", "--json", path});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const QJsonArray cells = json(r)["cells"].toArray();
    ASSERT_EQ(cells.size(), 3);
    const QJsonObject first = cells[0].toObject();
    EXPECT_EQ(first["row"].toInt(), 1);
    EXPECT_EQ(first["CellType"].toInt(), 1);
    EXPECT_EQ(first["RefFilePath"].toString().toStdString(), dir + "beach.jpg");
    EXPECT_EQ(first["Disolve"].toArray().size(), 11);
    EXPECT_EQ(first["BmpSize"].toArray(), (QJsonArray{1024, 768}));
    EXPECT_EQ(first["SourceKind"].toInt(), 1);
    EXPECT_TRUE(first["label"].toString().contains("beach.jpg"));
    EXPECT_TRUE(exists(dir + "Show/" + first["ThumbFileName"].toString().toStdString()));
    const QJsonObject control = cells[1].toObject();
    EXPECT_EQ(control["CellType"].toInt(), 2);
    EXPECT_EQ(control["InputDev"].toInt(), 2);
    EXPECT_FALSE(control.contains("FileName"));
    EXPECT_EQ(cells[2].toObject()["BmpSize"].toArray(), (QJsonArray{460, 768}));

    r = RunZelm({"list", path});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 3);
    EXPECT_NE(r.out.find("control"), std::string::npos);
    r = RunZelm({"info", path});
    EXPECT_NE(r.out.find("Cells:             3 (2 image, 1 control)"), std::string::npos) << r.out;
}

TEST_F(ProjectCommandsTest, InfoAndListChangeNothing)
{
    const std::string path = makeShow();
    CCliResult r = RunZelm({"list", path, "--json"});
    const QJsonArray cells = json(r)["cells"].toArray();
    ASSERT_EQ(cells.size(), 3);
    // One thumbnail is missing (an open would make it), one cell can have
    // none (an open would drop it).
    const std::string folder = dir + "Show/";
    QFile::remove(QString::fromStdString(
        folder + cells[0].toObject()["ThumbFileName"].toString().toStdString()));
    QFile::remove(QString::fromStdString(
        folder + cells[2].toObject()["ThumbFileName"].toString().toStdString()));
    QFile::remove(
        QString::fromStdString(folder + cells[2].toObject()["FileName"].toString().toStdString()));
    const std::vector<std::string> before = filesOf(folder);
    const std::string text = readAll(path);
    r = RunZelm({"list", path, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json(r)["cells"].toArray().size(), 2);
    r = RunZelm({"info", path, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(json(r)["cells"].toInt(), 2);
    EXPECT_EQ(json(r)["imageCells"].toInt(), 1);
    EXPECT_EQ(filesOf(folder), before);
    EXPECT_EQ(readAll(path), text);
}

TEST_F(ProjectCommandsTest, SaveAsAndProperties)
{
    const std::string path = makeShow();
    const std::string before = readAll(path);
    CCliResult r = RunZelm({"save-as", path, "Copy"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, dir + "Copy/Copy.sic\n");
    EXPECT_EQ(readAll(path), before);
    r = RunZelm({"list", dir + "Copy/Copy.sic", "--json"});
    EXPECT_EQ(json(r)["cells"].toArray().size(), 3);

    r = RunZelm({"save-as", path, "Show", "--message-ids"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("[7158]"), std::string::npos) << r.err;

    r = RunZelm({"properties", path, "--color", "12", "--quality", "0"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, path + "\n");
    r = RunZelm({"info", path, "--json"});
    EXPECT_EQ(json(r)["BackColor"].toArray(), (QJsonArray{0, 0, 255}));
    EXPECT_EQ(json(r)["ImageQuality"].toInt(), 0);

    r = RunZelm({"properties", path, "--name", "Renamed"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, dir + "Renamed/Renamed.sic\n");
    r = RunZelm({"info", dir + "Renamed/Renamed.sic", "--json"});
    EXPECT_EQ(json(r)["ProjectName"].toString(), "Renamed");
    EXPECT_EQ(json(r)["cells"].toInt(), 3);
    EXPECT_EQ(json(r)["BackColor"].toArray(), (QJsonArray{0, 0, 255}));
    EXPECT_TRUE(exists(path));
}

TEST_F(ProjectCommandsTest, CheckReportsWhatOpeningWouldFind)
{
    const std::string path = makeShow();
    CCliResult r = RunZelm({"check", path, "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err << r.out;
    EXPECT_TRUE(json(r)["ok"].toBool());
    EXPECT_TRUE(json(r)["problems"].toArray().isEmpty());

    ASSERT_TRUE(writeAll(dir + "Show/stray.txt", "x"));
    QFile::remove(QString::fromStdString(dir + "hill.png"));
    const std::vector<std::string> before = filesOf(dir + "Show/");
    r = RunZelm({"check", path, "--json"});
    EXPECT_EQ(r.exitCode, 1);
    const QJsonObject o = json(r);
    EXPECT_FALSE(o["ok"].toBool());
    const QJsonArray problems = o["problems"].toArray();
    ASSERT_EQ(problems.size(), 1) << r.out;
    EXPECT_EQ(problems[0].toObject()["row"].toInt(), 3);
    EXPECT_EQ(problems[0].toObject()["file"].toString().toStdString(), dir + "hill.png");
    const QJsonArray notes = o["notes"].toArray();
    ASSERT_EQ(notes.size(), 1) << r.out;
    EXPECT_TRUE(notes[0].toObject()["row"].isNull());
    EXPECT_EQ(notes[0].toObject()["file"].toString(), "stray.txt");
    EXPECT_EQ(filesOf(dir + "Show/"), before); // nothing changed

    r = RunZelm({"check", path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("note: stray.txt"), std::string::npos) << r.out;

    // A file no cell names is only a note: the project still sends.
    ASSERT_TRUE(makePicture(dir + "hill.png", 300, 500));
    r = RunZelm({"check", path, "--json"});
    EXPECT_EQ(r.exitCode, 0) << r.out;
    EXPECT_TRUE(json(r)["ok"].toBool());
    EXPECT_EQ(json(r)["notes"].toArray().size(), 1);

    // A file cut inside its last record: that cell is dropped, not shown
    // with the defaults of the keys the cut took away.
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.resize(file.size() - 4));
    file.close();
    r = RunZelm({"check", path});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.out.find("cell 3 of the project file would be dropped: the file ends inside"),
              std::string::npos)
        << r.out;
    r = RunZelm({"info", path, "--json"});
    EXPECT_EQ(json(r)["cells"].toInt(), 2);
}

TEST_F(ProjectCommandsTest, DamagedProjectsAreRefused)
{
    ASSERT_TRUE(writeAll(dir + "bad.sic", "[Project]\nProjectName=A\n"));
    for (const char* command : {"info", "list", "check", "save-as", "properties"}) {
        std::vector<std::string> args = {command, dir + "bad.sic", "--message-ids"};
        if (std::string(command) == "save-as")
            args.push_back("New");
        const CCliResult r = RunZelm(args);
        EXPECT_EQ(r.exitCode, 1) << command;
        EXPECT_NE(r.err.find("[7126]"), std::string::npos) << command << r.err;
    }
    const CCliResult r = RunZelm({"info", dir + "none.sic", "--message-ids"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("[7300]"), std::string::npos) << r.err;
}
