// The sweep of the pictures a killed program made for cells it never saved:
// which files of a project's journal go, and which stay.
#include "base/createdfilejournal.h"
#include "base/pathutils.h"
#include "document/projectfile.h"
#include "document/unsavedfilesweep.h"
#include "document/zurdoc.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "support/testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

// A project file whose image cells name `names`.
void writeProject(const std::string& path, const std::vector<std::string>& names)
{
    CProjectFile file;
    file.ProjectName = QFileInfo(QString::fromStdString(path)).baseName().toStdString();
    file.ProjectPath = QFileInfo(QString::fromStdString(path)).path().toStdString() + "/";
    file.Version = 2;
    CCellInfoList cells;
    for (const std::string& name : names) {
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->FileName = name;
        cells.Append(std::move(cell));
    }
    ASSERT_EQ(file.WriteFile(path, cells), CProjectFile::WriteOk);
}

long deadPid()
{
    QProcess gone;
    gone.start(QStringLiteral("true"));
    gone.waitForFinished();
    return long(gone.processId() ? gone.processId() : 999999);
}

class UnsavedFileSweep : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        folder = tmp.path().toStdString() + "/P/";
        QDir().mkpath(QString::fromStdString(folder));
        project = folder + "P.sic";
    }

    void Journal(const std::vector<std::pair<long, std::string>>& lines)
    {
        std::ofstream out(CCreatedFileJournal::JournalPathOf(project), std::ios::app);
        for (const auto& [pid, name] : lines)
            out << pid << ' ' << name << '\n';
    }

    QTemporaryDir tmp;
    std::string folder;
    std::string project;
};

} // namespace

TEST_F(UnsavedFileSweep, RemovesOnlyUnnamedPicturesTheProgramMade)
{
    QProcess running;
    running.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(running.waitForStarted());
    const long live = long(running.processId());
    const long dead = deadPid();
    const long me = long(getpid());

    writeProject(project, {"saved.jpg"});
    writeProject(folder + "Q.sic", {"other.jpg"});
    struct Case
    {
        const char* name;
        long pid;
        bool inJournal;
        bool removed;
        bool stillListed;
    };
    const Case cases[] = {
        {"dead.jpg", dead, true, true, false},    // a killed program's picture
        {"mine.png", me, true, true, false},      // this program's, no document uses it
        {"busy.jpg", live, true, false, true},    // another program still inserting
        {"saved.jpg", dead, true, false, false},  // a saved cell names it
        {"other.jpg", dead, true, false, false},  // the folder's other project names it
        {"backup.tmp", dead, true, false, false}, // not a picture: never deleted
        {"user.jpg", 0, false, false, false},     // the journal never named it
        {"UPPER.JPG", dead, true, true, false},   // the case of an extension
    };
    for (const Case& c : cases) {
        TouchFile(folder + c.name, "picture");
        if (c.inJournal)
            Journal({{c.pid, c.name}});
    }
    // A link the journal names is not a file the program made.
    ASSERT_TRUE(QFile::link(QString::fromStdString(folder + "user.jpg"),
                            QString::fromStdString(folder + "link.jpg")));
    // Lines that name nothing in the folder.
    Journal({{dead, "link.jpg"}, {dead, "../outside.jpg"}, {dead, "gone.jpg"}});
    // A note taken back ("-PID NAME") by the process that wrote it, as its
    // file could not be made; one taken back by another process still holds.
    TouchFile(folder + "takenback.jpg", "picture");
    TouchFile(folder + "notback.jpg", "picture");
    Journal({{dead, "takenback.jpg"}, {-dead, "takenback.jpg"}});
    Journal({{dead, "notback.jpg"}, {-live, "notback.jpg"}});
    TouchFile(tmp.path().toStdString() + "/outside.jpg", "picture");

    EXPECT_EQ(CUnsavedFileSweep::Run(project, nullptr), 4);
    for (const Case& c : cases)
        EXPECT_EQ(PathExists(folder + c.name), !c.removed) << c.name;
    EXPECT_TRUE(PathExists(folder + "takenback.jpg"));
    EXPECT_FALSE(PathExists(folder + "notback.jpg"));
    EXPECT_TRUE(PathExists(folder + "link.jpg"));
    EXPECT_TRUE(PathExists(tmp.path().toStdString() + "/outside.jpg"));

    std::vector<std::string> listed;
    for (const auto& e : CCreatedFileJournal::Entries(project))
        listed.push_back(e.name);
    EXPECT_EQ(listed, std::vector<std::string>{"busy.jpg"});
    running.kill();
    running.waitForFinished();
}

TEST_F(UnsavedFileSweep, KeepsWhatAnOpenDocumentOfThisProgramStillUses)
{
    writeProject(project, {});
    writeProject(folder + "Q.sic", {});
    TouchFile(folder + "pasted.jpg", "picture");
    Journal({{long(getpid()), "pasted.jpg"}});
    // Q's window holds an unsaved cell with that picture.
    int owner = 0;
    bool named = true;
    CCreatedFileJournal::Attach(
        &owner, folder + "Q.sic",
        [&named](const std::string& n) { return named && n == "pasted.jpg"; },
        [] { return false; });
    EXPECT_EQ(CUnsavedFileSweep::Run(project, nullptr), 0);
    EXPECT_TRUE(PathExists(folder + "pasted.jpg"));
    EXPECT_EQ(CCreatedFileJournal::Entries(project).size(), 1u);
    // Once Q lets it go, the next sweep removes it.
    named = false;
    EXPECT_EQ(CUnsavedFileSweep::Run(project, nullptr), 1);
    CCreatedFileJournal::Detach(&owner);
    EXPECT_FALSE(PathExists(folder + "pasted.jpg"));
    EXPECT_FALSE(PathExists(CCreatedFileJournal::JournalPathOf(project)));
}

TEST_F(UnsavedFileSweep, AnUnreadableProjectOfTheFolderStopsTheSweep)
{
    writeProject(project, {});
    QFile broken(QString::fromStdString(folder + "Broken.sic"));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("not a project");
    broken.close();
    TouchFile(folder + "dead.jpg", "picture");
    Journal({{deadPid(), "dead.jpg"}});
    // It may name the picture: nothing is known to be unnamed.
    EXPECT_EQ(CUnsavedFileSweep::Run(project, nullptr), 0);
    EXPECT_TRUE(PathExists(folder + "dead.jpg"));
}

TEST_F(UnsavedFileSweep, TheDocumentRecordsItsNewFilesAndSweepsAtOpenAndSave)
{
    writeProject(project, {});
    {
        CZurDoc doc;
        ASSERT_TRUE(doc.Open(project));
        // Made for an unsaved cell while the project is open.
        const std::string name = ReserveUniqueName(folder, "/photos/cat.jpg", ".jpg");
        ASSERT_FALSE(name.empty());
        QImage display(64, 48, QImage::Format_RGB32);
        display.fill(Qt::blue);
        ASSERT_TRUE(display.save(QString::fromStdString(folder + name), "PNG"));
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->FileName = name;
        cell->StateFlags |= CCellInfo::StateAdded;
        doc.Cells.Append(std::move(cell));
        const auto entries = CCreatedFileJournal::Entries(project);
        ASSERT_EQ(entries.size(), 1u);
        EXPECT_EQ(entries[0].name, name);
        // Saved, the cell's file is the project's and the journal empties.
        doc.SetModifiedFlag(true);
        ASSERT_TRUE(doc.Save());
        EXPECT_TRUE(CCreatedFileJournal::Entries(project).empty());
        EXPECT_TRUE(PathExists(folder + name));
    }
    // Nothing is recorded once no document has the project open.
    const std::string later = ReserveUniqueName(folder, "/photos/dog.jpg", ".jpg");
    EXPECT_TRUE(CCreatedFileJournal::Entries(project).empty());
    EXPECT_TRUE(PathExists(folder + later));
}
