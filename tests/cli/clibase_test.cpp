// The frame of `zelm` that every command shares: version, help, usage errors
// and the start without the resource bundle.
#include "support/clirunner.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sstream>
#include <string>

namespace {

// The first command the overview lists ("  zelm NAME ..."), "" when none.
std::string someCommand()
{
    const CCliResult r = RunZelm({"--help"});
    std::istringstream lines(r.out);
    std::string line;
    while (std::getline(lines, line)) {
        const std::string lead = "  zelm ";
        if (line.rfind(lead, 0) == 0)
            return line.substr(lead.size(), line.find(' ', lead.size()) - lead.size());
    }
    return {};
}

} // namespace

TEST(CliBase, VersionPrintsTheVersion)
{
    const CCliResult r = RunZelm({"--version"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, std::string("zelm ") + ZELM_VERSION + "\n");
    EXPECT_EQ(r.err, "");
}

TEST(CliBase, HelpListsTheCommands)
{
    const CCliResult r = RunZelm({"--help"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("usage: zelm COMMAND", 0), 0u) << r.out;
    EXPECT_NE(r.out.find("--version"), std::string::npos);
    EXPECT_FALSE(someCommand().empty()) << r.out;
}

TEST(CliBase, EveryCommandHasItsHelp)
{
    const std::string command = someCommand();
    ASSERT_FALSE(command.empty());
    const CCliResult r = RunZelm({command, "--help"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out.rfind("usage: zelm " + command, 0), 0u) << r.out;
}

struct UsageCase
{
    const char* name;
    std::vector<std::string> args; // "CMD" stands for a command that exists
    const char* error;             // on standard error
};

class CliUsageErrors : public ::testing::TestWithParam<UsageCase>
{
};

TEST_P(CliUsageErrors, EndWithStatusTwo)
{
    const UsageCase& c = GetParam();
    std::vector<std::string> args = c.args;
    for (std::string& a : args)
        if (a == "CMD")
            a = someCommand();
    const CCliResult r = RunZelm(args);
    EXPECT_EQ(r.exitCode, 2) << r.out << r.err;
    EXPECT_NE(r.err.find(c.error), std::string::npos) << r.err;
    EXPECT_NE((r.out + r.err).find("usage: zelm"), std::string::npos) << r.out << r.err;
}

INSTANTIATE_TEST_SUITE_P(
    Table, CliUsageErrors,
    ::testing::Values(UsageCase{"Alone", {}, ""},
                      UsageCase{"OnlyOptions", {"--quiet"}, "no command"},
                      UsageCase{"UnknownCommand", {"frobnicate"}, "unknown command 'frobnicate'"},
                      UsageCase{
                          "UnknownOption", {"CMD", "--frobnicate"}, "unknown option --frobnicate"},
                      UsageCase{"YesWithNo", {"CMD", "--yes", "--no"}, "--yes and --no"},
                      UsageCase{"NoWithYesFirst", {"--no", "CMD", "--yes"}, "--yes and --no"},
                      UsageCase{"FlagWithValue", {"CMD", "--quiet=1"}, "takes no value"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliBase, AloneShowsTheOverviewOnStandardOutput)
{
    const CCliResult r = RunZelm({});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.out.rfind("usage: zelm COMMAND", 0), 0u) << r.out;
}

// Without its resource bundle the program has no texts to speak with: it
// ends at once with the failure status and says nothing.
TEST(CliBase, WithoutItsBundleEndsQuietlyWithFailure)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString copy = dir.filePath(QStringLiteral("zelm"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(ZELM_BIN_DIR "/zelm"), copy));
    ASSERT_TRUE(QFile::setPermissions(copy, QFile::ReadOwner | QFile::ExeOwner));
    ASSERT_FALSE(QFile::exists(dir.filePath(QStringLiteral("ZelmTsRsc.rcc"))));
    const QStringList runs[] = {
        {}, {QStringLiteral("--version")}, {QStringLiteral("drives"), QStringLiteral("--json")}};
    for (const QStringList& args : runs) {
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(copy, args);
        ASSERT_TRUE(p.waitForFinished(30000));
        EXPECT_EQ(p.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(p.exitCode(), 1) << args.join(' ').toStdString();
        EXPECT_TRUE(p.readAllStandardOutput().isEmpty());
        EXPECT_TRUE(p.readAllStandardError().isEmpty());
    }
}
