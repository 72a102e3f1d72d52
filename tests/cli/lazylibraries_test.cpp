// The photo codecs and the presentation containers load at their first use:
// the command line is not linked to them, finds them when a file needs
// them, and a library that cannot be found is a refusal, not a crash.
#include "base/lazylibrary.h"
#include "document/zurdoc.h"
#include "imaging/phototestfiles.h"
#include "presentation/testpackages.h"
#include "support/clirunner.h"

#include <QDir>
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
        for (const char* lazy : {"libheif", "libwebp", "libtiff", "libzip", "libgsf", "libpoppler"})
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
