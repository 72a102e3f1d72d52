// The photo codecs and the presentation containers load at their first use:
// the command line is not linked to them, finds them when a file needs
// them, and a library that cannot be found is a refusal, not a crash.
#include "base/lazylibrary.h"
#include "document/zurdoc.h"
#include "imaging/phototestfiles.h"
#include "presentation/testpackages.h"
#include "support/clirunner.h"
#include "support/projectmaker.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

TEST(LazyLibraries, TheCommandLineIsNotLinkedToThem)
{
    QProcess objdump;
    objdump.start(QStringLiteral("objdump"),
                  {QStringLiteral("-p"), QStringLiteral(ZELM_BIN_DIR "/zelm")});
    ASSERT_TRUE(objdump.waitForFinished(60000));
    std::istringstream lines(objdump.readAllStandardOutput().toStdString());
    int needed = 0;
    for (std::string line; std::getline(lines, line);) {
        if (line.find("NEEDED") == std::string::npos)
            continue;
        ++needed;
        for (const char* lazy :
             {"libheif", "libwebp", "libtiff", "libzip", "libgsf", "libpoppler", "libavcodec"})
            EXPECT_EQ(line.find(lazy), std::string::npos) << line;
    }
    EXPECT_GT(needed, 0);
}

TEST(LazyLibraries, FilesThatNeedThemAreAddedByTheCommandLine)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString() + "/";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(base + "Trip")));
    CZurDoc doc;
    CProjectSettings settings;
    settings.name = "Trip";
    settings.folder = base + "Trip/";
    ASSERT_TRUE(doc.NewProject(settings));
    const QImage picture = phototest::Halves(64, 48);
    ASSERT_TRUE(phototest::Save(base + "a.heic", phototest::Heic(picture)));
    ASSERT_TRUE(phototest::Save(base + "b.webp", phototest::WebP(picture)));
    ASSERT_TRUE(phototest::Tiff(base + "c.tif", {picture}));
    ASSERT_TRUE(testpackages::WriteColouredPdf(base + "d.pdf", {Qt::red, Qt::blue}));

    const CCliResult added = RunZelm({"add", doc.GetPathName(), base + "a.heic", base + "b.webp",
                                      base + "c.tif", base + "d.pdf", "--quiet"});
    EXPECT_EQ(added.exitCode, 0) << added.err;
    const CCliResult list = RunZelm({"list", doc.GetPathName()});
    for (const char* name : {"a.heic", "b.webp", "c.tif", "d.pdf"})
        EXPECT_NE(list.out.find(name), std::string::npos) << list.out;
    // Both pages of the PDF, through the PDF module.
    EXPECT_NE(list.out.find("Page 2"), std::string::npos) << list.out;
}

// A system without one of them (a broken installation): a file that needs it
// is refused as an unreadable one is (the insertion taken back whole), both
// named, nothing crashes; files that do not need it are still added.
TEST(LazyLibraries, WithoutALibraryOnlyTheFilesThatNeedItAreRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString() + "/";
    const QImage picture = phototest::Halves(64, 48);
    ASSERT_TRUE(phototest::Save(base + "a.heic", phototest::Heic(picture)));
    ASSERT_TRUE(phototest::Save(base + "b.webp", phototest::WebP(picture)));
    ASSERT_TRUE(phototest::Tiff(base + "c.tif", {picture}));
    ASSERT_TRUE(testpackages::WriteColouredPdf(base + "d.pdf", {Qt::red}));
    ASSERT_TRUE(testpackages::WriteZip(base + "f.pptx",
                                       testpackages::Pptx({testpackages::SlideXml(false)})));
    ASSERT_TRUE(picture.save(QString::fromStdString(base + "e.jpg")));

    const struct
    {
        const char* hidden; // a word of the library's file name
        const char* file;
    } rows[] = {
        {"libheif", "a.heic"},    {"libwebp", "b.webp"}, {"libtiff", "c.tif"},
        {"libzelm-pdf", "d.pdf"}, {"libzip", "f.pptx"},
    };
    // Only for the programs this test starts, even when an assertion ends it.
    struct Preload
    {
        Preload() { qputenv("LD_PRELOAD", ZELM_HIDE_LIBRARIES); }
        ~Preload()
        {
            qunsetenv("LD_PRELOAD");
            qunsetenv("ZELM_TEST_HIDDEN_LIBRARIES");
        }
    } preload;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.file);
        const std::string project = base + row.file + "-project/";
        ASSERT_TRUE(QDir().mkpath(QString::fromStdString(project)));
        CZurDoc doc;
        CProjectSettings settings;
        settings.name = "Trip";
        settings.folder = project;
        ASSERT_TRUE(doc.NewProject(settings));

        qputenv("ZELM_TEST_HIDDEN_LIBRARIES", row.hidden);
        // The JPEG before the refused file goes in without the library.
        const CCliResult refused =
            RunZelm({"add", doc.GetPathName(), base + "e.jpg", base + row.file, "--quiet"});
        EXPECT_EQ(refused.exitCode, 1) << refused.err;
        EXPECT_NE(refused.err.find(base + row.file), std::string::npos) << refused.err;
        EXPECT_NE(refused.err.find(row.hidden), std::string::npos) << refused.err;

        const CCliResult list = RunZelm({"list", doc.GetPathName()});
        EXPECT_EQ(list.out.find(row.file), std::string::npos) << list.out;
        // One row of e.jpg (its display files' names, e<hash>.png and
        // e<hash>.jpg, may end in "e.jpg" too: the name stands alone).
        const size_t first = list.out.find("  e.jpg ");
        ASSERT_NE(first, std::string::npos) << list.out;
        EXPECT_EQ(list.out.find("  e.jpg ", first + 1), std::string::npos) << list.out;
    }
}

// The HEVC module is a speed-up, not a need: without it (or without the
// FFmpeg library it is linked to) libheif's own decoder reads the photo, and
// nothing is said about the module.
TEST(LazyLibraries, WithoutTheHevcModuleHeicPhotosAreStillAdded)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString() + "/";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(base + "Trip")));
    CZurDoc doc;
    CProjectSettings settings;
    settings.name = "Trip";
    settings.folder = base + "Trip/";
    ASSERT_TRUE(doc.NewProject(settings));
    ASSERT_TRUE(phototest::Save(base + "a.heic", phototest::Heic(phototest::Halves(64, 48))));

    qputenv("LD_PRELOAD", ZELM_HIDE_LIBRARIES);
    qputenv("ZELM_TEST_HIDDEN_LIBRARIES", "libzelm-hevc");
    const CCliResult added = RunZelm({"add", doc.GetPathName(), base + "a.heic", "--quiet"});
    qunsetenv("LD_PRELOAD");
    qunsetenv("ZELM_TEST_HIDDEN_LIBRARIES");
    EXPECT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(added.err, "");
    const CCliResult list = RunZelm({"list", doc.GetPathName()});
    EXPECT_NE(list.out.find("a.heic"), std::string::npos) << list.out;
}

TEST(LazyLibraries, AMissingLibraryIsRefusedAndNamed)
{
    CLazyLibrary missing("libzelm-never-there.so.0");
    EXPECT_FALSE(missing.Load());
    EXPECT_FALSE(missing.Load());
    EXPECT_NE(missing.Error().find("libzelm-never-there.so.0"), std::string::npos);
    EXPECT_EQ(missing.Symbol("anything"), nullptr);

    CLazyLibrary zlib("libz.so.1");
    ASSERT_TRUE(zlib.Load()) << zlib.Error();
    EXPECT_NE(zlib.Symbol("zlibVersion"), nullptr);
    EXPECT_EQ(zlib.Symbol("zelm_no_such_function"), nullptr);
}

// Without the video module (or FFmpeg's libraries it needs) the export is
// refused before any work, naming the packages to install; everything else
// works as before.
TEST(LazyLibraries, WithoutTheVideoModuleTheExportNamesThePackages)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const std::string base = dir.path().toStdString() + "/";
    const std::string project = SaveControlProject(base + "Show/", "Show", 0);
    const QImage picture = phototest::Halves(64, 48);
    ASSERT_TRUE(picture.save(QString::fromStdString(base + "e.jpg")));
    struct Preload
    {
        Preload()
        {
            qputenv("LD_PRELOAD", ZELM_HIDE_LIBRARIES);
            qputenv("ZELM_TEST_HIDDEN_LIBRARIES", "libzelm-video");
        }
        ~Preload()
        {
            qunsetenv("LD_PRELOAD");
            qunsetenv("ZELM_TEST_HIDDEN_LIBRARIES");
        }
    } preload;
    const CCliResult added = RunZelm({"add", project, base + "e.jpg", "--quiet"});
    EXPECT_EQ(added.exitCode, 0) << added.err;
    const CCliResult refused = RunZelm({"export-video", project, base + "show.mp4"});
    EXPECT_EQ(refused.exitCode, 1) << refused.err;
    EXPECT_NE(refused.err.find("libzelm-video"), std::string::npos) << refused.err;
    EXPECT_NE(refused.err.find("libavcodec"), std::string::npos) << refused.err;
    EXPECT_FALSE(QFile::exists(QString::fromStdString(base + "show.mp4")));
}
