// LibreOffice may take as long as a deck needs while it makes progress; it
// is stopped when it makes none, or on cancel, and it never runs macros.
#include "presentation/sofficeconverter.h"
#include "presentationfixtures.h"
#include "presentationtesting.h"
#include "support/workcopies.h"
#include "testpackages.h"

#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <fstream>
#include <gtest/gtest.h>
#include <vector>

namespace {

class SofficeConverterTest : public ::testing::Test
{
protected:
    std::string Work() const { return m_work.path().toStdString() + "/"; }
    std::string Deck()
    {
        return CopyInto(m_work.path(), CPresentationFixtures::Path("plain6"),
                        QStringLiteral("deck.ppt"));
    }
    // A script line that puts a real PDF where LibreOffice puts its output.
    std::string WritesPdf()
    {
        const std::string pdf = Work() + "made.pdf";
        EXPECT_TRUE(testpackages::WriteColouredPdf(pdf, {Qt::red}));
        return "for a in \"$@\"; do last=$a; done\ncp '" + pdf +
               "' \"$(dirname \"$last\")/slides.pdf\"";
    }
    std::string Registry() const
    {
        QFile file(m_work.filePath(QStringLiteral("lo-profile/user/registrymodifications.xcu")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().toStdString() : std::string();
    }

    QTemporaryDir m_work;
};

struct PaceCase
{
    const char* what;
    std::string script; // before the PDF is written
    CSofficeConverter::Result result;
};

TEST_F(SofficeConverterTest, OnlyAConversionWithoutProgressIsStopped)
{
    const std::string deck = Deck();
    // Each of them takes well over the stall limit in all.
    const PaceCase cases[] = {
        {"writes slowly",
         "i=0; while [ $i -lt 6 ]; do echo more >> \"$TMPDIR/part\"; sleep 0.5; "
         "i=$((i+1)); done",
         CSofficeConverter::Converted},
        {"computes without writing",
         "end=$(($(date +%s) + 3)); while [ $(date +%s) -lt $end ]; do :; done",
         CSofficeConverter::Converted},
        {"neither", "sleep 4", CSofficeConverter::TimedOut},
    };
    for (const PaceCase& c : cases) {
        SCOPED_TRACE(c.what);
        CFakeSoffice fake(c.script + "\n" + WritesPdf());
        CScopedEnv path("PATH", fake.PathValue());
        const std::string pdf = Work() + "out.pdf";
        QFile::remove(QString::fromStdString(pdf));
        QElapsedTimer clock;
        clock.start();
        EXPECT_EQ(CSofficeConverter(Work(), 1500).ConvertToPdf(deck, pdf), c.result);
        EXPECT_EQ(QFileInfo::exists(QString::fromStdString(pdf)),
                  c.result == CSofficeConverter::Converted);
        if (c.result == CSofficeConverter::TimedOut)
            EXPECT_LT(clock.elapsed(), 4000) << "stopped before it would have ended";
    }
}

TEST_F(SofficeConverterTest, WatcherSeesTheTimeAndThePagesWrittenAndMayCancel)
{
    const std::string deck = Deck();
    // Three pages, one at a time, into a PDF among its temporary files; the
    // page tree's own object is no page. Then it hangs.
    CFakeSoffice fake(
        "f=\"$TMPDIR/lu1.tmp\"; printf '%%PDF-1.6\\n2 0 obj <</Type/Pages>>\\n' > \"$f\"\n"
        "for n in 1 2 3; do sleep 0.4; printf '<</Type/Page/Parent 2 0 R>>\\n' >> "
        "\"$f\"; done\nsleep 600 &\necho $! > \"$PIDFILE\"\nwait");
    CScopedEnv path("PATH", fake.PathValue());
    std::vector<std::pair<int, int>> seen;
    const auto watcher = [&](int seconds, int pages) {
        seen.emplace_back(seconds, pages);
        return pages < 3 && seconds < 20;
    };
    EXPECT_EQ(
        CSofficeConverter(Work(), 60000).ConvertToPdf(deck, Work() + "out.pdf", nullptr, watcher),
        CSofficeConverter::Cancelled);
    ASSERT_GE(seen.size(), 2u);
    EXPECT_EQ(seen.back().second, 3);
    for (size_t i = 1; i < seen.size(); ++i) {
        EXPECT_GE(seen[i].first, seen[i - 1].first);
        EXPECT_GE(seen[i].second, seen[i - 1].second);
    }
    std::ifstream pidFile(fake.PidFile());
    long pid = 0;
    ASSERT_TRUE(pidFile >> pid);
    EXPECT_TRUE(ProcessGone(pid));
    EXPECT_FALSE(QFileInfo::exists(m_work.filePath(QStringLiteral("out.pdf"))));
}

TEST_F(SofficeConverterTest, ProfileForbidsMacrosAndKeepsLibreOfficesOtherSettings)
{
    const std::string profile = Work() + "lo-profile";
    const std::string forbid = "<prop oor:name=\"DisableMacrosExecution\" oor:op=\"fuse\">"
                               "<value>true</value>";
    const std::string level = "<prop oor:name=\"MacroSecurityLevel\" oor:op=\"fuse\">"
                              "<value>3</value>";
    // A fresh profile.
    ASSERT_TRUE(CSofficeConverter::ForbidMacros(profile));
    EXPECT_NE(Registry().find(forbid), std::string::npos) << Registry();
    EXPECT_NE(Registry().find(level), std::string::npos);

    // One LibreOffice wrote, with a setting of its own and macros allowed.
    {
        QFile file(m_work.filePath(QStringLiteral("lo-profile/user/registrymodifications.xcu")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
<item oor:path="/org.openoffice.Setup/Office"><prop oor:name="ooSetupInstCompleted" oor:op="fuse"><value>true</value></prop></item>
<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="MacroSecurityLevel" oor:op="fuse"><value>0</value></prop></item>
</oor:items>
)");
    }
    ASSERT_TRUE(CSofficeConverter::ForbidMacros(profile));
    const std::string merged = Registry();
    EXPECT_NE(merged.find("ooSetupInstCompleted"), std::string::npos) << merged;
    EXPECT_NE(merged.find(forbid), std::string::npos) << merged;
    EXPECT_NE(merged.find(level), std::string::npos) << merged;
    EXPECT_EQ(merged.find("<value>0</value>"), std::string::npos) << merged;

    // Every conversion starts from it, and LibreOffice keeps it.
    if (!CSofficeConverter::IsAvailable())
        GTEST_SKIP() << "LibreOffice is not installed";
    EXPECT_EQ(CSofficeConverter(Work()).ConvertToPdf(Deck(), Work() + "out.pdf"),
              CSofficeConverter::Converted);
    EXPECT_NE(Registry().find(forbid), std::string::npos) << Registry();
}

} // namespace
