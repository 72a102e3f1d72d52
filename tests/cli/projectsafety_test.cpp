// No command may lose a project: saving commands on a full or nearly full
// disk (a small tmpfs of the test's own), two programs on one project or one
// card, and what a killed program leaves behind. Run through the built zelm.
#include "document/projectlock.h"
#include "document/zurdoc.h"
#include "model/cellctrlinfo.h"
#include "output/cardlock.h"
#include "support/clirunner.h"
#include "support/projectmaker.h"
#include "support/tmpfsmount.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <algorithm>
#include <ctime>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <set>
#include <string>
#include <sys/stat.h>
#include <vector>

namespace {

QByteArray readBytes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool exists(const std::string& path)
{
    return QFileInfo::exists(QString::fromStdString(path));
}

std::set<std::string> entriesOf(const std::string& folder)
{
    std::set<std::string> names;
    const QDir dir(QString::fromStdString(folder));
    for (const QString& n : dir.entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot))
        names.insert(n.toStdString());
    return names;
}

// A file as a program killed some minutes ago left it.
void plantOld(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("half");
    file.close();
    const struct timespec times[2] = {{time(nullptr) - 600, 0}, {time(nullptr) - 600, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, path.c_str(), times, 0), 0);
}

bool hasTemporaries(const std::string& folder)
{
    const std::set<std::string> names = entriesOf(folder);
    return std::any_of(names.begin(), names.end(),
                       [](const std::string& n) { return n.rfind(".zelmcopy-", 0) == 0; });
}

std::string makePicture(const std::string& path, int shade)
{
    QImage image(320, 240, QImage::Format_RGB32);
    image.fill(QColor(shade % 256, 90, 200));
    EXPECT_TRUE(image.save(QString::fromStdString(path)));
    return path;
}

// Several zelm runs at once; their results in order.
std::vector<CCliResult> runTogether(const std::vector<std::vector<std::string>>& runs)
{
    std::vector<std::unique_ptr<QProcess>> processes;
    for (const auto& args : runs) {
        QStringList list;
        for (const std::string& a : args)
            list << QString::fromStdString(a);
        auto process = std::make_unique<QProcess>();
        process->start(QStringLiteral(ZELM_BIN_DIR "/zelm"), list);
        process->closeWriteChannel();
        processes.push_back(std::move(process));
    }
    std::vector<CCliResult> results;
    for (auto& process : processes) {
        CCliResult r;
        if (process->waitForFinished(120000) && process->exitStatus() == QProcess::NormalExit)
            r.exitCode = process->exitCode();
        r.out = process->readAllStandardOutput().toStdString();
        r.err = process->readAllStandardError().toStdString();
        results.push_back(r);
    }
    return results;
}

int visibleCells(const std::string& project)
{
    CZurDoc doc;
    if (!doc.Open(project))
        return -1;
    int n = 0;
    for (int i = 0; i < doc.Cells.GetCount(); ++i)
        n += doc.Cells.GetAt(i)->IsVisible() ? 1 : 0;
    return n;
}

// A project of `controls` control cells (a project file of some 15 KiB for
// 250) and one picture cell at row 1.
std::string makeProject(const std::string& base, const std::string& name, int controls,
                        const std::string& picture)
{
    const std::string project = SaveControlProject(base + name + "/", name, controls);
    if (!picture.empty()) {
        const CCliResult r = RunZelm({"add", project, picture, "--before", "1", "--quiet"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
    }
    return project;
}

// ---------------------------------------------------------------------------
// Full disks

struct SavingCase
{
    const char* name;
    std::vector<std::string> args; // P: project, D: the tmpfs, I: a picture, B: a block
    const char* creates;           // a file the command would make under D, or ""
    bool writesOnlyTheProjectFile; // its message then names the project file
};

const std::vector<SavingCase> kSavingCases = {
    {"move", {"move", "P", "2", "--to", "end"}, "", true},
    {"delete", {"delete", "P", "2"}, "", true},
    {"set", {"set", "P", "2", "--motion", "1", "--interval", "77"}, "", true},
    {"disable", {"disable", "P", "2"}, "", true},
    {"effect", {"effect", "P", "1", "--disolve", "3,2,1,-1,4,50,40,30,2,7,20"}, "", true},
    {"add-control", {"add-control", "P"}, "", true},
    {"properties", {"properties", "P", "--color", "1"}, "", true},
    {"add", {"add", "P", "I"}, "", false},
    {"paste", {"paste", "P", "B"}, "", false},
    {"save-as", {"save-as", "P", "COPY", "--in", "D"}, "COPY/COPY.sic", false},
    {"new", {"new", "FRESH", "--in", "D"}, "FRESH/FRESH.sic", false},
};

class FullDisk : public ::testing::TestWithParam<std::tuple<SavingCase, size_t>>
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        outside = tmp.path().toStdString() + "/";
        disk = outside + "disk/";
        QDir().mkpath(QString::fromStdString(disk));
        mount = std::make_unique<CTmpfsMount>(disk, "3m");
        if (!mount->Mounted())
            GTEST_SKIP() << "a tmpfs cannot be mounted here (needs the right to mount)";
        picture = makePicture(outside + "slide.png", 40);
        project = makeProject(disk, "trip", 250, picture);
        block = outside + "cells.blk";
        const CCliResult copied = RunZelm({"copy", project, "1-3", "--to-file", block});
        ASSERT_EQ(copied.exitCode, 0) << copied.err;
    }

    std::vector<std::string> expand(const std::vector<std::string>& args) const
    {
        std::vector<std::string> out;
        for (const std::string& a : args) {
            if (a == "P")
                out.push_back(project);
            else if (a == "D")
                out.push_back(disk);
            else if (a == "I")
                out.push_back(picture);
            else if (a == "B")
                out.push_back(block);
            else
                out.push_back(a);
        }
        out.push_back("--quiet");
        out.push_back("--yes");
        return out;
    }

    QTemporaryDir tmp;
    std::string outside, disk, picture, project, block;
    std::unique_ptr<CTmpfsMount> mount;
};

} // namespace

TEST_P(FullDisk, LeavesTheProjectFileAsItWasAndFails)
{
    const SavingCase& c = std::get<0>(GetParam());
    const size_t leave = std::get<1>(GetParam());
    const QByteArray before = readBytes(project);
    const std::set<std::string> filesBefore = entriesOf(disk + "trip/");
    ASSERT_GT(before.size(), 12 * 1024) << "the project must be larger than the room left";
    ASSERT_TRUE(mount->Fill(leave));

    const CCliResult r = RunZelm(expand(c.args));
    const bool madeSomething = *c.creates != '\0';
    if (madeSomething && r.exitCode == 0) {
        // A small new file may fit into a few KiB: then it is whole.
        EXPECT_GT(leave, 0u);
        EXPECT_GT(visibleCells(disk + c.creates), -1);
    } else {
        EXPECT_EQ(r.exitCode, 1) << r.out << r.err;
        // Why: the full disk, and for a project file the file.
        EXPECT_NE(r.err.find("space"), std::string::npos) << r.err;
        if (c.writesOnlyTheProjectFile) {
            EXPECT_NE(r.err.find(project), std::string::npos) << r.err;
        }
        if (madeSomething) {
            EXPECT_FALSE(exists(disk + c.creates));
        }
    }
    EXPECT_EQ(readBytes(project), before);
    // Nothing half-made stays: no temporaries, no pictures of a failed add.
    EXPECT_FALSE(hasTemporaries(disk + "trip/"));
    EXPECT_EQ(entriesOf(disk + "trip/"), filesBefore);
    // The reason reaches the user as the program's message, not an encoder's.
    EXPECT_EQ(r.err.find("libpng"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find("QSaveFile"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Commands, FullDisk,
                         ::testing::Combine(::testing::ValuesIn(kSavingCases),
                                            ::testing::Values(size_t(0), size_t(8192))),
                         [](const ::testing::TestParamInfo<FullDisk::ParamType>& info) {
                             std::string name = std::get<0>(info.param).name;
                             std::replace(name.begin(), name.end(), '-', '_');
                             return name + (std::get<1>(info.param) == 0 ? "_Full" : "_8KiBFree");
                         });

namespace {

class ProjectSafety : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(tmp.isValid());
        root = tmp.path().toStdString() + "/";
    }

    QTemporaryDir tmp;
    std::string root;
};

} // namespace

TEST_F(ProjectSafety, AnAddThatRunsOutOfRoomSavesNothing)
{
    const std::string disk = root + "disk/";
    QDir().mkpath(QString::fromStdString(disk));
    CTmpfsMount mount(disk, "16m");
    if (!mount.Mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here (needs the right to mount)";
    const std::string project = makeProject(disk, "trip", 3, {});
    const QByteArray before = readBytes(project);
    const std::set<std::string> filesBefore = entriesOf(disk + "trip/");
    // Pictures that do not compress (some 2 MiB each as display images):
    // room for two of them, not for all five.
    std::vector<std::string> args{"add", project};
    uint32_t seed = 12345;
    for (int i = 0; i < 5; ++i) {
        QImage image(1024, 768, QImage::Format_RGB32);
        for (int y = 0; y < 768; ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < 1024; ++x) {
                seed = seed * 1664525u + 1013904223u;
                line[x] = 0xFF000000u | (seed >> 8);
            }
        }
        const std::string path = root + "noise" + std::to_string(i) + ".png";
        ASSERT_TRUE(image.save(QString::fromStdString(path)));
        args.push_back(path);
    }
    args.push_back("--quiet");
    ASSERT_TRUE(mount.Fill(6 * 1024 * 1024));
    const CCliResult r = RunZelm(args);
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find("space"), std::string::npos) << r.err;
    EXPECT_EQ(readBytes(project), before);
    EXPECT_EQ(entriesOf(disk + "trip/"), filesBefore);
}

TEST_F(ProjectSafety, TwoAddsAtOnceKeepBothOrRefuseOneClearly)
{
    const std::string project = makeProject(root, "trip", 2, {});
    std::vector<std::string> first{"add", project}, second{"add", project};
    for (int i = 0; i < 4; ++i) {
        first.push_back(makePicture(root + "a" + std::to_string(i) + ".png", 10 * i));
        second.push_back(makePicture(root + "b" + std::to_string(i) + ".png", 10 * i + 5));
    }
    first.push_back("--quiet");
    second.push_back("--quiet");
    const std::vector<CCliResult> results = runTogether({first, second});
    int done = 0;
    for (const CCliResult& r : results) {
        if (r.exitCode == 0) {
            ++done;
            continue;
        }
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find("another program"), std::string::npos) << r.err;
        EXPECT_NE(r.err.find(project), std::string::npos) << r.err;
    }
    EXPECT_GE(done, 1);
    EXPECT_EQ(visibleCells(project), 2 + 4 * done);
}

TEST_F(ProjectSafety, ALockedProjectCanBeReadButNotChanged)
{
    const std::string project = makeProject(root, "trip", 3, {});
    const QByteArray before = readBytes(project);
    CProjectLock lock;
    ASSERT_TRUE(lock.Acquire(project, 0));
    for (const std::vector<std::string>& reader :
         {std::vector<std::string>{"info", project},
          {"list", project},
          {"check", project},
          {"copy", project, "1", "--to-file", root + "block"}}) {
        const CCliResult r = RunZelm(reader);
        EXPECT_EQ(r.exitCode, 0) << reader[0] << ": " << r.err;
    }
    const CCliResult changed = RunZelm({"set", project, "1", "--motion", "1", "--interval", "9"});
    EXPECT_EQ(changed.exitCode, 1);
    EXPECT_NE(changed.err.find("another program"), std::string::npos) << changed.err;
    EXPECT_NE(changed.err.find("process"), std::string::npos) << changed.err;
    EXPECT_EQ(readBytes(project), before);
    lock.Release();
    EXPECT_EQ(RunZelm({"set", project, "1", "--motion", "1", "--interval", "9"}).exitCode, 0);
}

TEST_F(ProjectSafety, AKilledChangerLeavesNoLockBehind)
{
    const std::string project = makeProject(root, "trip", 3, {});
    // A lock file as a killed program leaves it: there, but held by nobody.
    QFile stale(QString::fromStdString(CProjectLock::LockPathOf(project)));
    ASSERT_TRUE(stale.open(QIODevice::WriteOnly));
    stale.write("999999 elsewhere zelm\n");
    stale.close();
    const CCliResult r = RunZelm({"set", project, "1", "--motion", "1", "--interval", "9"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_FALSE(exists(CProjectLock::LockPathOf(project)));
}

TEST_F(ProjectSafety, TwoAutorunAddsAtOnceKeepBothEntries)
{
    const std::string card = root + "card/";
    for (const char* name : {"ALPHA", "BRAVO", "CHARLIE", "DELTA"}) {
        QDir().mkpath(QString::fromStdString(card + name));
        QFile sit(QString::fromStdString(card + name + ".SIT"));
        ASSERT_TRUE(sit.open(QIODevice::WriteOnly));
    }
    for (int round = 0; round < 3; ++round) {
        QFile::remove(QString::fromStdString(card + "AUTORUN.SFC"));
        const std::vector<CCliResult> results =
            runTogether({{"autorun", card, "--add", "ALPHA.SIT", "--quiet"},
                         {"autorun", card, "--add", "BRAVO.SIT", "--quiet"},
                         {"autorun", card, "--add", "CHARLIE.SIT", "--quiet"},
                         {"autorun", card, "--add", "DELTA.SIT", "--quiet"}});
        for (const CCliResult& r : results)
            EXPECT_EQ(r.exitCode, 0) << r.err;
        const QByteArray list = readBytes(card + "AUTORUN.SFC");
        for (const char* name : {"ALPHA.SIT", "BRAVO.SIT", "CHARLIE.SIT", "DELTA.SIT"})
            EXPECT_TRUE(list.contains(name)) << "round " << round << ": " << list.toStdString();
    }
    EXPECT_FALSE(exists(card + CCardLock::kFileName));
}

TEST_F(ProjectSafety, TheNextSendRemovesLeftoversThatCardCheckReported)
{
    const std::string project = makeProject(root, "trip", 1, makePicture(root + "p.png", 70));
    const std::string card = root + "card/";
    QDir().mkpath(QString::fromStdString(card));
    ASSERT_EQ(RunZelm({"send", project, card, "--yes", "--quiet"}).exitCode, 0);
    // What killed programs leave: a copy in the scenario folder, one in the
    // root, an old-style temporary of the autorun list.
    for (const std::string& planted :
         {card + "trip/.zelmcopy-Ab12Cd", card + ".zelmcopy-Xy34Zw", card + "AUTORUN.SFC.q1W2e3"}) {
        QFile file(QString::fromStdString(planted));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("half");
    }
    const CCliResult checked = RunZelm({"card-check", card});
    EXPECT_EQ(checked.exitCode, 1);
    for (const char* name : {".zelmcopy-Ab12Cd", ".zelmcopy-Xy34Zw", "AUTORUN.SFC.q1W2e3"})
        EXPECT_NE(checked.out.find(name), std::string::npos) << checked.out;

    const CCliResult sent = RunZelm({"send", project, card, "--yes", "--quiet"});
    EXPECT_EQ(sent.exitCode, 0) << sent.err;
    EXPECT_FALSE(exists(card + "trip/.zelmcopy-Ab12Cd"));
    EXPECT_FALSE(exists(card + ".zelmcopy-Xy34Zw"));
    EXPECT_FALSE(exists(card + "AUTORUN.SFC.q1W2e3"));
    const CCliResult clean = RunZelm({"card-check", card});
    EXPECT_EQ(clean.exitCode, 0) << clean.out;
}

TEST_F(ProjectSafety, AScenarioWhoseFileIsGoneIsReportedAndDeleted)
{
    const std::string project = makeProject(root, "trip", 1, makePicture(root + "p.png", 70));
    const std::string card = root + "card/";
    QDir().mkpath(QString::fromStdString(card));
    ASSERT_EQ(RunZelm({"send", project, card, "--yes", "--quiet"}).exitCode, 0);
    ASSERT_TRUE(QFile::remove(QString::fromStdString(card + "trip.sit")));
    QFile(QString::fromStdString(card + "trip/.zelmcopy-Ab12Cd")).open(QIODevice::WriteOnly);

    const CCliResult checked = RunZelm({"card-check", card, "--json"});
    EXPECT_EQ(checked.exitCode, 1);
    EXPECT_NE(checked.out.find("trip/"), std::string::npos) << checked.out;

    const CCliResult deleted = RunZelm({"delete-scenario", card, "TRIP.SIT", "--yes"});
    EXPECT_EQ(deleted.exitCode, 0) << deleted.err;
    EXPECT_FALSE(exists(card + "trip"));
}

TEST_F(ProjectSafety, ASaveAsThatWasStoppedHalfWayIsTakenUpAgainWithoutAQuestion)
{
    const std::string project = makeProject(root, "trip", 1, makePicture(root + "p.png", 70));
    const std::string copy = root + "COPY/";
    // What a Save as stopped during its copy leaves: some files and its mark.
    QDir().mkpath(QString::fromStdString(copy));
    plantOld(copy + ".zelmcopy-unfinished");
    plantOld(copy + ".zelmcopy-Qq11Ww");

    const CCliResult r = RunZelm({"save-as", project, "COPY", "--in", root});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(visibleCells(copy + "COPY.sic"), 2);
    EXPECT_FALSE(hasTemporaries(copy));

    // A folder of the user's own still brings the question (answered No here).
    QDir().mkpath(QString::fromStdString(root + "MINE"));
    EXPECT_NE(RunZelm({"save-as", project, "MINE", "--in", root}).exitCode, 0);
}

TEST_F(ProjectSafety, CheckReportsTemporariesOfTheProjectFolderAndTheNextSaveRemovesThem)
{
    const std::string project = makeProject(root, "trip", 2, {});
    const std::string leftover = root + "trip/.zelmcopy-Zz99Yy";
    plantOld(leftover);
    // One being written now by a program on another project of the folder.
    const std::string fresh = root + "trip/.zelmcopy-Fr35h0";
    QFile(QString::fromStdString(fresh)).open(QIODevice::WriteOnly);
    const CCliResult checked = RunZelm({"check", project});
    EXPECT_NE(checked.out.find(".zelmcopy-Zz99Yy"), std::string::npos) << checked.out;
    EXPECT_EQ(RunZelm({"set", project, "1", "--motion", "1", "--interval", "4"}).exitCode, 0);
    EXPECT_FALSE(exists(leftover));
    EXPECT_TRUE(exists(fresh));
}
