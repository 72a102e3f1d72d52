#include "base/msgid.h"
#include "cardtestutil.h"
#include "output/sfcfile.h"
#include "support/scriptedprompt.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

struct ParseCase
{
    const char* name;
    QByteArray bytes;
    CSfcFile::ParseResult result;
    std::vector<std::string> entries;
    bool repeat;
};

} // namespace

TEST(SfcFile, ParsesByTheGrammar)
{
    const ParseCase cases[] = {
        {"written form",
         "[Autorun]\nTRIP.SIT\nSHOW.SIT\nREPEAT\n",
         CSfcFile::ParseOk,
         {"TRIP.SIT", "SHOW.SIT"},
         true},
        {"crlf and lower case",
         "[autorun]\r\ntrip.sit\r\n  repeat  \r\n",
         CSfcFile::ParseOk,
         {"TRIP.SIT"},
         true},
        {"blanks inside a name are removed",
         "[Autorun]\nMY TRIP.SIT\n\tA B\tC.SIT \n",
         CSfcFile::ParseOk,
         {"MYTRIP.SIT", "ABC.SIT"},
         false},
        {"blanks after '=' stay",
         "[Autorun]\n a b = c d \n",
         CSfcFile::ParseOk,
         {"AB= C D "},
         false},
        {"empty lines are entries",
         "[Autorun]\nA.SIT\n\n   \nB.SIT\n",
         CSfcFile::ParseOk,
         {"A.SIT", "", "", "B.SIT"},
         false},
        {"a last line without line feed", "[Autorun]\nA.SIT", CSfcFile::ParseOk, {"A.SIT"}, false},
        {"lines outside the section are ignored",
         "X.SIT\n[Other]\nY.SIT\nREPEAT\n[Autorun]\nZ.SIT\n",
         CSfcFile::ParseOk,
         {"Z.SIT"},
         false},
        {"the section again after another",
         "[Autorun]\nA.SIT\n[Other]\nB.SIT\n[ AUTORUN ]\nC.SIT\n",
         CSfcFile::ParseOk,
         {"A.SIT", "C.SIT"},
         false},
        {"a repeated header inside the section",
         "[Autorun]\nA.SIT\n[Autorun]\nB.SIT\n",
         CSfcFile::ParseRepeatedHeader,
         {"A.SIT"},
         false},
        {"no section", "A.SIT\nREPEAT\n", CSfcFile::ParseOk, {}, false},
        {"empty file", "", CSfcFile::ParseOk, {}, false},
        {"byte-order mark", "\xEF\xBB\xBF[Autorun]\nA.SIT\n", CSfcFile::ParseOk, {"A.SIT"}, false},
        {"a closing ctrl-z", "[Autorun]\nA.SIT\n\x1A", CSfcFile::ParseOk, {"A.SIT"}, false},
        {"ctrl-z ends the text",
         "[Autorun]\nA.SIT\n\x1A\x01\x02garbage\nB.SIT\n",
         CSfcFile::ParseOk,
         {"A.SIT"},
         false},
        {"a line with a NUL is dropped",
         QByteArray("[Autorun]\nA.SIT\0\nB.SIT\nrepeat\n", 30),
         CSfcFile::ParseOk,
         {"B.SIT"},
         true},
        {"binary", QByteArray("\x89PNG\r\n\x1a\n\0\0\0\rIHDR", 16), CSfcFile::ParseOk, {}, false},
        {"too large",
         QByteArray(CSfcFile::MaxFileSize + 1, 'A'),
         CSfcFile::ParseTooLarge,
         {},
         false},
    };
    for (const ParseCase& c : cases) {
        CSfcFile list;
        EXPECT_EQ(list.Parse(c.bytes), c.result) << c.name;
        EXPECT_EQ(list.Entries(), c.entries) << c.name;
        EXPECT_EQ(list.Repeat(), c.repeat) << c.name;
    }
}

TEST(SfcFile, WritesUpperCaseWithLineFeedsAndWithoutEmptyEntries)
{
    CSfcFile list;
    list.SetEntries({"trip.sit", "", "Show.Sit"});
    EXPECT_EQ(list.ToBytes(), QByteArray("[Autorun]\nTRIP.SIT\nSHOW.SIT\n"));
    list.SetRepeat(true);
    EXPECT_EQ(list.ToBytes(), QByteArray("[Autorun]\nTRIP.SIT\nSHOW.SIT\nREPEAT\n"));
    list.SetEntries({});
    EXPECT_EQ(list.ToBytes(), QByteArray("[Autorun]\nREPEAT\n"));
}

class SfcFileOnCard : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = m_dir.path().toStdString() + "/";
    }
    QTemporaryDir m_dir;
    std::string root;
    CScriptedPrompt prompt;
};

TEST_F(SfcFileOnCard, LoadSaveRoundTrip)
{
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", "[autorun]\r\n a.sit\r\nRepeat\r\n"));
    CSfcFile list;
    ASSERT_TRUE(list.Load(root + "AUTORUN.SFC", &prompt));
    EXPECT_EQ(list.Path(), root + "AUTORUN.SFC");
    EXPECT_FALSE(list.IsModified());
    ASSERT_TRUE(list.Save(root + "AUTORUN.SFC", &prompt));
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"), QByteArray("[Autorun]\nA.SIT\nREPEAT\n"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(SfcFileOnCard, UnreadableOrTooLargeFilesAreRefusedWith7126)
{
    CSfcFile list;
    EXPECT_FALSE(list.Load("", &prompt));
    EXPECT_TRUE(prompt.shown.empty());

    EXPECT_FALSE(list.Load(root + "AUTORUN.SFC", &prompt));
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::FileUnreadable});
    EXPECT_TRUE(list.IsRefused());

    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", QByteArray(CSfcFile::MaxFileSize + 1, 'A')));
    EXPECT_FALSE(list.Load(root + "AUTORUN.SFC", &prompt));
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::FileUnreadable, MsgId::FileUnreadable}));
    EXPECT_TRUE(list.Entries().empty());
    EXPECT_EQ(list.Path(), "");
    EXPECT_TRUE(list.IsRefused());

    // A NUL costs only its own line.
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", QByteArray("[Autorun]\nA\0B\nC.SIT\n", 20)));
    EXPECT_TRUE(list.Load(root + "AUTORUN.SFC", &prompt));
    EXPECT_EQ(list.Entries(), std::vector<std::string>{"C.SIT"});
    EXPECT_TRUE(list.IsModified());
    EXPECT_FALSE(list.IsRefused());
    EXPECT_EQ(prompt.shown.size(), 2u);

    // A folder where the file should be.
    QDir().mkpath(QString::fromStdString(root + "DIR.SFC"));
    EXPECT_FALSE(list.Load(root + "DIR.SFC", &prompt));
    EXPECT_EQ(prompt.shown.size(), 3u);
    EXPECT_TRUE(list.IsRefused());
}

TEST_F(SfcFileOnCard, RepeatedHeaderKeepsWhatWasRead)
{
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", "[Autorun]\nA.SIT\n[Autorun]\nB.SIT\n"));
    CSfcFile list;
    EXPECT_FALSE(list.Load(root + "AUTORUN.SFC", &prompt));
    EXPECT_EQ(list.Entries(), std::vector<std::string>{"A.SIT"});
    EXPECT_EQ(list.Path(), root + "AUTORUN.SFC");
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(SfcFileOnCard, SaveFailureShows7127AndKeepsTheOldFile)
{
    CSfcFile list;
    list.SetEntries({"A.SIT"});
    EXPECT_FALSE(list.Save("", &prompt));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(list.Save(root + "missing/AUTORUN.SFC", &prompt));
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::FileNotWritten});
    // A file standing where the card's folder should be.
    ASSERT_TRUE(WriteBytes(root + "FILE", "x"));
    EXPECT_FALSE(list.Save(root + "FILE/AUTORUN.SFC", &prompt));
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::FileNotWritten, MsgId::FileNotWritten}));
}

TEST_F(SfcFileOnCard, RemoveMissingDropsEntriesWithoutFileOrFolder)
{
    MakeScenario(root, "TRIP.SIT", "TRIP");
    MakeScenario(root, "show.sit", "Show");                 // other case on the card
    ASSERT_TRUE(WriteBytes(root + "NOFOLDER.SIT", "x"));    // file without folder
    QDir().mkpath(QString::fromStdString(root + "NOFILE")); // folder without file
    MakeScenario(root, "MY TRIP.SIT", "MY TRIP");           // read back without its blank
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC",
                           "[Autorun]\nTRIP.SIT\n\nSHOW.SIT\nNOFOLDER.SIT\nNOFILE.SIT\n"
                           "MY TRIP.SIT\nGONE.SIT\n../" +
                               QByteArray(m_dir.path().section('/', -1).toUtf8()) +
                               "/TRIP.SIT\nREPEAT\n"));
    CSfcFile list;
    ASSERT_TRUE(list.Load(root + "AUTORUN.SFC", &prompt));
    list.RemoveMissing();
    EXPECT_TRUE(list.IsModified());
    EXPECT_EQ(list.Entries(), (std::vector<std::string>{"TRIP.SIT", "", "SHOW.SIT"}));
    EXPECT_TRUE(list.Repeat());
    ASSERT_TRUE(list.Save(root + "AUTORUN.SFC", &prompt));
    EXPECT_FALSE(list.IsModified());
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"),
              QByteArray("[Autorun]\nTRIP.SIT\nSHOW.SIT\nREPEAT\n"));

    CSfcFile unchanged;
    ASSERT_TRUE(unchanged.Load(root + "AUTORUN.SFC", &prompt));
    unchanged.RemoveMissing();
    EXPECT_FALSE(unchanged.IsModified());
}
