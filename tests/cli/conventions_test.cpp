// The command line as Unix users expect it: help everywhere, unknown options
// refused, no silent successes, escaped names, plain wording, aligned lists
// and compact JSON.
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "output/sfcfile.h"
#include "support/clirunner.h"
#include "support/zurdoctestutil.h"

#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <vector>

using namespace doctest;

namespace {

const char* const kCommands[] = {
    "add",
    "add-control",
    "autorun",
    "card-check",
    "check",
    "copy",
    "delete",
    "delete-scenario",
    "disable",
    "drives",
    "effect",
    "enable",
    "from-presentation",
    "info",
    "list",
    "move",
    "new",
    "paste",
    "properties",
    "save-as",
    "send",
    "set",
};

class Conventions : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        base = m_dir.path().toStdString() + "/";
        card = base + "card/";
        QDir().mkpath(QString::fromStdString(card));
        QDir().mkpath(QString::fromStdString(base + "Trip/"));
        CZurDoc doc;
        CProjectSettings settings;
        settings.name = "Trip";
        settings.folder = base + "Trip/";
        ASSERT_TRUE(doc.NewProject(settings));
        project = doc.GetPathName();
    }

    std::string Picture(const std::string& name)
    {
        EXPECT_TRUE(makePicture(base + name, 320, 240));
        return base + name;
    }

    QTemporaryDir m_dir;
    std::string base;
    std::string card;
    std::string project;
};

TEST_F(Conventions, HelpInEveryForm)
{
    const struct
    {
        std::vector<std::string> args;
        int status;
        const char* out;
    } cases[] = {
        {{"-h"}, 0, "usage: zelm COMMAND"},
        {{"--help"}, 0, "usage: zelm COMMAND"},
        {{"help"}, 0, "usage: zelm COMMAND"},
        {{"help", "list"}, 0, "usage: zelm list PROJECT.sic"},
        {{"list", "-h"}, 0, "usage: zelm list PROJECT.sic"},
        {{"send", "--help"}, 0, "usage: zelm send PROJECT.sic CARD"},
        {{"help", "nope"}, 2, "usage: zelm COMMAND"},
        // The effects by number and name, on their own and with set.
        {{"help", "effects"}, 0, "  41  "},
        {{"help", "effects"}, 0, "   2  Dissolve\n"},
        {{"help", "set"}, 0, "   0  Cut (no transition)\n"},
        {{"--help"}, 0, "'zelm help effects'"},
        {{"help", "effect"}, 0, "--dissolve V0,V1"},
        {{"help", "add"}, 0, ".pdf"},
    };
    for (const auto& c : cases) {
        const CCliResult r = RunZelm(c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.args.back() << ": " << r.err;
        EXPECT_NE(r.out.find(c.out), std::string::npos) << c.args.back() << ": " << r.out;
    }
}

TEST_F(Conventions, EveryCommandRefusesAnOptionItDoesNotKnow)
{
    for (const char* command : kCommands) {
        for (const char* option : {"--bogus", "-x"}) {
            const CCliResult r = RunZelm({command, project, option});
            EXPECT_EQ(r.exitCode, 2) << command << " " << option << ": " << r.err;
            EXPECT_NE(r.err.find(std::string("unknown option ") + option), std::string::npos)
                << command << ": " << r.err;
        }
    }
    // --json belongs to the commands that print JSON.
    EXPECT_EQ(RunZelm({"add-control", project, "--json"}).exitCode, 2);
    EXPECT_EQ(RunZelm({"list", project, "--json"}).exitCode, 0);
    // "--" ends the options.
    EXPECT_EQ(RunZelm({"list", "--", project}).exitCode, 0);
}

TEST_F(Conventions, SetNeverSucceedsSilently)
{
    ASSERT_EQ(RunZelm({"add", project, Picture("a.png"), Picture("b.png"), "--quiet"}).exitCode, 0);
    ASSERT_EQ(RunZelm({"set", project, "2", "--motion", "1", "--interval", "7"}).exitCode, 0);

    const CCliResult none = RunZelm({"set", project, "1"});
    EXPECT_EQ(none.exitCode, 2);
    EXPECT_NE(none.err.find("set needs at least one of"), std::string::npos) << none.err;

    // Row 1 advances by hand: its interval cannot be set, and it is said.
    const CCliResult manual = RunZelm({"set", project, "1", "--interval", "9"});
    EXPECT_EQ(manual.exitCode, 1);
    EXPECT_NE(manual.err.find("row 1 advances by hand"), std::string::npos) << manual.err;
    // Several rows that advance differently: no interval without --motion 1.
    const CCliResult mixed = RunZelm({"set", project, "1-2", "--interval", "9"});
    EXPECT_EQ(mixed.exitCode, 1);
    EXPECT_NE(mixed.err.find("row 2: the rows chosen do not all advance the same way"),
              std::string::npos)
        << mixed.err;
    const CCliResult both = RunZelm({"set", project, "1-2", "--interval", "9", "--motion", "1"});
    EXPECT_EQ(both.exitCode, 0) << both.err;
    EXPECT_EQ(both.err, "");

    CZurDoc doc;
    ASSERT_TRUE(doc.Open(project));
    EXPECT_EQ(doc.Cells.GetAt(0)->AutoIntervalSec, 9);
    EXPECT_EQ(doc.Cells.GetAt(1)->AutoIntervalSec, 9);
}

TEST_F(Conventions, PlainWording)
{
    const std::string empty = project;
    ASSERT_EQ(RunZelm({"add", project, Picture("a.png"), "--quiet"}).exitCode, 0);
    QDir().mkpath(QString::fromStdString(base + "Empty/"));
    CZurDoc doc;
    CProjectSettings settings;
    settings.name = "Empty";
    settings.folder = base + "Empty/";
    ASSERT_TRUE(doc.NewProject(settings));
    const struct
    {
        std::vector<std::string> args;
        int status;
        std::string said;
    } cases[] = {
        {{"set", project, "abc", "--valid", "1"}, 2, "row 'abc' is not a number"},
        {{"set", project, "3", "--valid", "1"}, 2, "there is no row 3: the project has 1 row"},
        {{"enable", doc.GetPathName(), "1"}, 2, "the project has no rows"},
        {{"new", "\xc3\xa9t\xc3\xa9", "--in", base}, 1, "letters A\xe2\x80\x93Z and digits"},
        {{"autorun", card, "--add", "Nope.sit"}, 1, "Nope.sit does not exist"},
        {{"delete-scenario", card, "Nope.sit", "--yes"}, 1, "Nope.sit does not exist"},
        {{"autorun", card, "--remove", "Nope.sit"}, 1, "Nope.sit is not in the autorun list"},
    };
    for (const auto& c : cases) {
        const CCliResult r = RunZelm(c.args);
        EXPECT_EQ(r.exitCode, c.status) << c.args[0] << ": " << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << c.args[0] << ": " << r.err;
    }
}

TEST_F(Conventions, NamesFromOutsideArePrintedWithTheirControlsEscaped)
{
    const std::string name = base + "evil\x1b]2;owned\x07\x1b[2J.jpg";
    const CCliResult r = RunZelm({"add", project, name, "--quiet"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.find('\x1b'), std::string::npos) << "no raw escape reaches the terminal";
    EXPECT_EQ(r.err.find('\x07'), std::string::npos);
    EXPECT_NE(r.err.find("evil\\x1b]2;owned\\x07\\x1b[2J.jpg"), std::string::npos) << r.err;
}

// A pipe named as a picture, a PDF or a presentation is refused at once,
// named, and the project keeps nothing of the attempt.
TEST_F(Conventions, APipeNamedAsASlideIsRefusedAtOnce)
{
    for (const char* name : {"x.jpg", "x.pdf", "x.pptx"}) {
        const std::string pipe = base + name;
        ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
        const CCliResult r = RunZelm({"add", project, pipe, "--quiet"}, {}, {}, 15000);
        EXPECT_EQ(r.exitCode, 1) << name << ": " << r.err;
        EXPECT_NE(r.err.find(pipe + " is not a regular file"), std::string::npos)
            << name << ": " << r.err;
    }
    const QStringList left = QDir(QString::fromStdString(base + "Trip/"))
                                 .entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    EXPECT_EQ(left, QStringList({"Trip.sic"})) << left.join(", ").toStdString();
}

TEST_F(Conventions, ListPrintsAlignedColumnsWithTheEffectsName)
{
    ASSERT_EQ(
        RunZelm({"add", project, Picture("a.png"), Picture("longer-name.png"), "--quiet"}).exitCode,
        0);
    ASSERT_EQ(RunZelm({"add-control", project, "--quiet"}).exitCode, 0);
    ASSERT_EQ(RunZelm({"set", project, "2", "--effect", "3"}).exitCode, 0);
    const CCliResult r = RunZelm({"list", project});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    std::vector<std::string> lines;
    for (size_t at = 0, end; (end = r.out.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(r.out.substr(at, end - at));
    ASSERT_EQ(lines.size(), 3u) << r.out;
    EXPECT_NE(lines[0].find("effect 0 " + CResourceBundle::Text(MsgId::EffectCut)),
              std::string::npos)
        << lines[0];
    EXPECT_NE(lines[1].find("effect 3 " + CResourceBundle::Text(MsgId::EffectWipeFromLeft)),
              std::string::npos)
        << lines[1];
    // The labels start in one column.
    const size_t a = lines[0].find("a.png"), b = lines[1].find("longer-name.png");
    ASSERT_NE(a, std::string::npos);
    EXPECT_EQ(a, b) << r.out;
    EXPECT_EQ(lines[2].find("control"), lines[0].find("image")) << r.out;
}

TEST_F(Conventions, AutorunListsAsCompactJsonWithThePrunedEntries)
{
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(card + "TRIP")));
    {
        QFile sit(QString::fromStdString(card + "TRIP.SIT"));
        ASSERT_TRUE(sit.open(QIODevice::WriteOnly));
    }
    CSfcFile list;
    list.SetEntries({"TRIP.SIT", "GONE.SIT"});
    list.SetRepeat(true);
    ASSERT_TRUE(list.Save(card + CSfcFile::FileName, nullptr));
    const CCliResult r = RunZelm({"autorun", card, "--list", "--json"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    ASSERT_EQ(r.out.find('\n'), r.out.size() - 1) << "one compact line: " << r.out;
    const QJsonObject json = QJsonDocument::fromJson(QByteArray::fromStdString(r.out)).object();
    EXPECT_EQ(json["entries"].toArray(), QJsonArray{QStringLiteral("TRIP.SIT")});
    EXPECT_EQ(json["pruned"].toArray(), QJsonArray{QStringLiteral("GONE.SIT")});
    EXPECT_EQ(json["repeat"], QJsonValue(true));
}

} // namespace
