// zelm export-video: a project's show to a file, and the refusals with
// their exit statuses; what the file holds is tested with the core.
#include "document/zurdoc.h"
#include "support/clirunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

std::string makeProject(const std::string& base)
{
    CZurDoc doc;
    CProjectSettings settings;
    settings.name = "Trip";
    settings.folder = base + "Trip/";
    EXPECT_TRUE(QDir().mkpath(QString::fromStdString(settings.folder)));
    EXPECT_TRUE(doc.NewProject(settings));
    std::vector<std::string> add = {"add", doc.GetPathName()};
    for (const QColor& colour : {QColor(Qt::red), QColor(Qt::blue)}) {
        QImage picture(320, 240, QImage::Format_RGB32);
        picture.fill(colour);
        const std::string file = base + colour.name().mid(1).toStdString() + ".jpg";
        EXPECT_TRUE(picture.save(QString::fromStdString(file)));
        add.push_back(file);
    }
    add.push_back("--quiet");
    const CCliResult added = RunZelm(add);
    EXPECT_EQ(added.exitCode, 0) << added.err;
    return doc.GetPathName();
}

} // namespace

TEST(ExportVideoCommand, WritesTheShowAndRefusesBadInputBeforeAnyWork)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString() + "/";
    const std::string project = makeProject(base);

    // Two slides that wait for the remote control, a second each.
    const CCliResult written =
        RunZelm({"export-video", project, base + "trip.mp4", "--size", "160x120", "--fps", "5",
                 "--manual-seconds", "1", "--quiet"});
    EXPECT_EQ(written.exitCode, 0) << written.err;
    EXPECT_NE((written.out + written.err).find(base + "trip.mp4"), std::string::npos)
        << written.out << written.err;
    EXPECT_NE((written.out + written.err).find("0:02"), std::string::npos) << written.out;
    EXPECT_GT(QFileInfo(QString::fromStdString(base + "trip.mp4")).size(), 0);

    const struct
    {
        std::vector<std::string> options;
        const char* out;
        int status;
        const char* said; // a piece of the message
    } rows[] = {
        {{"--size", "1920x1081"}, "a.mp4", 2, "1920x1081"},
        {{"--size", "big"}, "a.mp4", 2, "big"},
        {{"--fps", "0"}, "a.mp4", 2, "frame rate 0"},
        {{"--fps", "61"}, "a.mp4", 2, "frame rate 61"},
        {{"--manual-seconds", "0"}, "a.mp4", 2, "time 0"},
        {{}, "a.gif", 1, ".mp4"},
        {{}, "gone/a.mp4", 1, "gone"},
        {{}, "Trip", 1, "is a folder"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.out + (row.options.empty() ? "" : " " + row.options[0]));
        std::vector<std::string> args = {"export-video", project, base + row.out};
        args.insert(args.end(), row.options.begin(), row.options.end());
        const CCliResult refused = RunZelm(args);
        EXPECT_EQ(refused.exitCode, row.status) << refused.err;
        EXPECT_NE(refused.err.find(row.said), std::string::npos) << refused.err;
    }
    EXPECT_FALSE(QFile::exists(QString::fromStdString(base + "a.mp4")));
    EXPECT_FALSE(QFile::exists(QString::fromStdString(base + "a.gif")));

    // A project whose display image went: the slide is named, status 1.
    QDir trip(QString::fromStdString(base + "Trip"));
    for (const QString& png : trip.entryList({"*.png", "*.PNG"}, QDir::Files))
        ASSERT_TRUE(trip.remove(png));
    const CCliResult missing = RunZelm({"export-video", project, base + "b.mkv"});
    EXPECT_EQ(missing.exitCode, 1) << missing.err;
    EXPECT_NE(missing.err.find("missing"), std::string::npos) << missing.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(base + "b.mkv")));
}

// A program killed half way leaves nothing under the target's name, and an
// older file of that name as it was.
TEST(ExportVideoCommand, AKillLeavesTheTargetAsItWas)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString() + "/";
    const std::string project = makeProject(base);
    QFile old(QString::fromStdString(base + "trip.mkv"));
    ASSERT_TRUE(old.open(QIODevice::WriteOnly));
    old.write("last week's video");
    old.close();

    QProcess zelm;
    // An hour for each slide: far longer than the test waits.
    zelm.start(QStringLiteral(ZELM_BIN_DIR "/zelm"),
               {"export-video", QString::fromStdString(project),
                QString::fromStdString(base + "trip.mkv"), "--size", "160x120", "--manual-seconds",
                "3600", "--quiet"});
    ASSERT_TRUE(zelm.waitForStarted());
    // Killed once the video is being written.
    bool writing = false;
    for (int i = 0; i < 600 && !writing; ++i) {
        QTest::qWait(50);
        for (const QFileInfo& f : QDir(dir.path()).entryInfoList(QDir::Files | QDir::Hidden))
            writing = writing || (f.fileName().endsWith(".part") && f.size() > 0);
    }
    EXPECT_TRUE(writing);
    zelm.kill();
    ASSERT_TRUE(zelm.waitForFinished());
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("last week's video"));
}
