// What a command changes is the project it was given, whatever way it was
// reached (a link to the file or to its folder), what a killed insertion
// leaves is gone at the next open, and a refusal says which rule it keeps:
// the lock's message number, usage errors before any wait. Run through the
// built zelm.
#include "base/createdfilejournal.h"
#include "document/projectlock.h"
#include "document/zurdoc.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "support/clirunner.h"
#include "support/projectmaker.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>
#include <set>
#include <signal.h>
#include <string>
#include <vector>

namespace {

QByteArray readBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

std::set<std::string> filesOf(const std::string& folder)
{
    std::set<std::string> names;
    for (const QString& n : QDir(QString::fromStdString(folder)).entryList(QDir::Files))
        names.insert(n.toStdString());
    return names;
}

class ProjectIdentity : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        root = tmp.path().toStdString() + "/";
    }

    // proj/NAME/NAME.sic with `controls` control cells.
    std::string MakeProject(const std::string& name, int controls)
    {
        return SaveControlProject(root + "proj/" + name + "/", name, controls);
    }

    std::string Photo(int i)
    {
        QImage image(1600, 1200, QImage::Format_RGB32);
        image.fill(QColor(20 + i % 200, 120, 60));
        const std::string path = root + "photo" + std::to_string(i) + ".jpg";
        EXPECT_TRUE(image.save(QString::fromStdString(path)));
        return path;
    }

    QTemporaryDir tmp;
    std::string root;
};

} // namespace

TEST_F(ProjectIdentity, TheLockRefusalCarriesItsNumber)
{
    const std::string project = MakeProject("P1", 3);
    CProjectLock other;
    ASSERT_TRUE(other.Acquire(project, 0));
    const CCliResult r = RunZelm({"add-control", project, "--message-ids"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("zelm: [7180] "), std::string::npos) << r.err;
}

TEST_F(ProjectIdentity, UsageErrorsComeBeforeTheWaitForTheLock)
{
    const std::string project = MakeProject("P1", 3);
    const std::string other = MakeProject("P2", 2);
    const QByteArray before = readBytes(project);
    const std::string block = root + "block";
    ASSERT_EQ(RunZelm({"copy", other, "1", "--to-file", block}).exitCode, 0);
    // Held by another program for the whole test: a command that waited
    // for it would end with the lock's refusal (status 1), not a usage error.
    CProjectLock lock;
    ASSERT_TRUE(lock.Acquire(project, 0));
    CProjectLock otherLock;
    ASSERT_TRUE(otherLock.Acquire(other, 0));
    const std::vector<std::vector<std::string>> cases = {
        {"enable", project, "4"},
        {"disable", project, "1,9"},
        {"delete", project, "2-7"},
        {"set", project, "5", "--motion", "1"},
        {"move", project, "1", "--to", "4"},
        {"move", project, "8", "--to", "end"},
        {"effect", project, "4", "--disolve", "3,2,1,-1,4,50,40,30,2,7,20"},
        {"add-control", project, "--before", "4"},
        {"paste", project, block, "--before", "0"},
        {"copy", project, "1", "--into", other, "--before", "3"},
    };
    for (const auto& args : cases) {
        const CCliResult r = RunZelm(args);
        EXPECT_EQ(r.exitCode, 2) << args[0] << ": " << r.err;
        EXPECT_EQ(r.err.find("another program"), std::string::npos) << args[0] << ": " << r.err;
        EXPECT_NE(r.err.find("row"), std::string::npos) << args[0] << ": " << r.err;
    }
    EXPECT_EQ(readBytes(project), before);
}

TEST_F(ProjectIdentity, AProjectThroughALinkIsTheRealProject)
{
    const std::string project = MakeProject("P1", 3);
    const std::string real = QFileInfo(QString::fromStdString(project)).path().toStdString();
    QDir().mkpath(QString::fromStdString(root + "alias"));
    const std::string fileLink = root + "alias/X.sic";
    ASSERT_TRUE(QFile::link(QString::fromStdString(project), QString::fromStdString(fileLink)));
    const std::string folderLink = root + "linked";
    ASSERT_TRUE(QFile::link(QString::fromStdString(real), QString::fromStdString(folderLink)));
    const std::string viaFolder = folderLink + "/P1.sic";

    for (const std::string& path : {fileLink, viaFolder}) {
        // The cells are found where the real file is.
        const CCliResult listed = RunZelm({"list", path, "--json"});
        EXPECT_EQ(listed.exitCode, 0) << listed.err;
        const QJsonDocument json = QJsonDocument::fromJson(QByteArray::fromStdString(listed.out));
        EXPECT_EQ(json.object().value(QStringLiteral("cells")).toArray().size(), 3) << listed.out;
        const CCliResult checked = RunZelm({"check", path});
        EXPECT_EQ(checked.exitCode, 0) << checked.out << checked.err;
    }

    // A change through the link writes the real file, and the link stays.
    const CCliResult added = RunZelm({"add-control", fileLink});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_TRUE(QFileInfo(QString::fromStdString(fileLink)).isSymLink());
    EXPECT_EQ(QFileInfo(QString::fromStdString(fileLink)).symLinkTarget().toStdString(), project);
    CZurDoc doc;
    ASSERT_TRUE(doc.Open(project));
    EXPECT_EQ(doc.Cells.VisibleCount(), 4);
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(root + "alias/.X.sic.lock")));

    // One lock, however the project is reached.
    CProjectLock held;
    ASSERT_TRUE(held.Acquire(project, 0));
    for (const std::string& path : {fileLink, viaFolder}) {
        const CCliResult refused = RunZelm({"add-control", path, "--message-ids"});
        EXPECT_EQ(refused.exitCode, 1) << refused.err;
        EXPECT_NE(refused.err.find("[7180]"), std::string::npos) << refused.err;
    }
    held.Release();
    ASSERT_TRUE(held.Acquire(fileLink, 0));
    EXPECT_TRUE(CProjectLock::IsLocked(project));
    EXPECT_EQ(RunZelm({"add-control", project}).exitCode, 1);
}

TEST_F(ProjectIdentity, PicturesOfAKilledInsertionGoAtTheNextOpen)
{
    const std::string project = MakeProject("P1", 2);
    const std::string folder =
        QFileInfo(QString::fromStdString(project)).path().toStdString() + "/";
    // A saved picture cell, and a picture of the user's own in the folder.
    ASSERT_EQ(RunZelm({"add", project, Photo(999), "--quiet"}).exitCode, 0);
    QImage mine(40, 30, QImage::Format_RGB32);
    mine.fill(Qt::red);
    ASSERT_TRUE(mine.save(QString::fromStdString(folder + "mine.jpg")));
    const std::set<std::string> before = filesOf(folder);
    const QByteArray projectBytes = readBytes(project);

    QStringList args{QStringLiteral("add"), QString::fromStdString(project),
                     QStringLiteral("--quiet")};
    for (int i = 0; i < 60; ++i)
        args << QString::fromStdString(Photo(i));
    QProcess adding;
    adding.start(QStringLiteral(ZELM_BIN_DIR "/zelm"), args);
    ASSERT_TRUE(adding.waitForStarted());
    // Killed once a good part of the pictures is made.
    for (int wait = 0; wait < 1200 && filesOf(folder).size() < before.size() + 12; ++wait)
        QThread::msleep(25);
    ::kill(pid_t(adding.processId()), SIGKILL);
    adding.waitForFinished();
    ASSERT_EQ(adding.exitStatus(), QProcess::CrashExit) << "the insertion ended before the kill";
    const std::set<std::string> left = filesOf(folder);
    ASSERT_GT(left.size(), before.size());
    EXPECT_EQ(readBytes(project), projectBytes);
    EXPECT_FALSE(CCreatedFileJournal::Entries(project).empty());

    // The next open removes what no cell names, and nothing else.
    {
        CZurDoc doc;
        ASSERT_TRUE(doc.Open(project));
        EXPECT_EQ(doc.Cells.VisibleCount(), 3);
    }
    EXPECT_EQ(filesOf(folder), before);
    EXPECT_TRUE(CCreatedFileJournal::Entries(project).empty());
    // Only the user's own picture is a file no cell names.
    const CCliResult checked = RunZelm({"check", project, "--json"});
    std::vector<std::string> unnamed;
    for (const QJsonValue note : QJsonDocument::fromJson(QByteArray::fromStdString(checked.out))
                                     .object()
                                     .value(QStringLiteral("notes"))
                                     .toArray())
        if (note.toObject()
                .value(QStringLiteral("message"))
                .toString()
                .contains(QStringLiteral("no cell names")))
            unnamed.push_back(
                note.toObject().value(QStringLiteral("file")).toString().toStdString());
    EXPECT_EQ(unnamed, std::vector<std::string>{"mine.jpg"}) << checked.out;
}
