#include "base/msgid.h"
#include "cardtestutil.h"
#include "output/autoruneditor.h"
#include "support/scriptedprompt.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using Names = std::vector<std::string>;

class AutorunEditor : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        root = m_dir.path().toStdString() + "/";
        MakeScenario(root, "TRIP.SIT", "TRIP");
        MakeScenario(root, "show.sit", "SHOW");
        MakeScenario(root, "ZOO.SIT", "ZOO");
        QDir().mkpath(QString::fromStdString(root + "FOLDER.SIT")); // not a scenario file
        ASSERT_TRUE(WriteBytes(root + "NOTES.TXT", "x"));
    }
    QTemporaryDir m_dir;
    std::string root;
    CScriptedPrompt prompt;
};

TEST_F(AutorunEditor, LoadingListsScenariosAndPrunesTheList)
{
    ASSERT_TRUE(
        WriteBytes(root + "autorun.sfc", "[Autorun]\nshow.sit\nGONE.SIT\n\nTRIP.SIT\nrepeat\n"));
    CAutorunEditor editor;
    editor.LoadDrive(root, &prompt);
    EXPECT_EQ(editor.Available(), (Names{"SHOW.SIT", "TRIP.SIT", "ZOO.SIT"}));
    EXPECT_EQ(editor.Autorun(), (Names{"SHOW.SIT", "TRIP.SIT"}));
    EXPECT_TRUE(editor.Repeat());
    EXPECT_TRUE(prompt.shown.empty());
    // Loading changed nothing on the card; OK writes the pruned list into
    // the file the card already has.
    EXPECT_EQ(ReadBytes(root + "autorun.sfc"),
              QByteArray("[Autorun]\nshow.sit\nGONE.SIT\n\nTRIP.SIT\nrepeat\n"));
    ASSERT_TRUE(editor.Apply(&prompt));
    EXPECT_EQ(ReadBytes(root + "autorun.sfc"),
              QByteArray("[Autorun]\nSHOW.SIT\nTRIP.SIT\nREPEAT\n"));
    EXPECT_FALSE(Exists(root + "AUTORUN.SFC") && !Exists(root + "autorun.sfc"));
}

TEST_F(AutorunEditor, ATooLargeListIsReplacedOnlyWithConsent)
{
    const QByteArray huge(CSfcFile::MaxFileSize + 1, 'A');
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", huge));
    CAutorunEditor editor;
    editor.LoadDrive(root, &prompt);
    EXPECT_TRUE(editor.Autorun().empty());
    EXPECT_TRUE(editor.ListRefused());
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::FileUnreadable});

    editor.Add({"TRIP.SIT"}, &prompt);
    prompt.answers = {CUserPrompt::AnswerNo};
    EXPECT_FALSE(editor.Apply(&prompt));
    EXPECT_TRUE(editor.Declined());
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::FileUnreadable, MsgId::AutorunReplaceUnreadable}));
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"), huge);

    prompt.answers = {CUserPrompt::AnswerYes};
    EXPECT_TRUE(editor.Apply(&prompt));
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"), QByteArray("[Autorun]\nTRIP.SIT\n"));
}

TEST_F(AutorunEditor, BinaryBytesAndARepeatedHeaderKeepTheReadableEntries)
{
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC",
                           QByteArray("[Autorun]\nZOO.SIT\n\0\1\2\3\nTRIP.SIT\n\x1A\0", 34)));
    CAutorunEditor editor;
    editor.LoadDrive(root, &prompt);
    EXPECT_EQ(editor.Autorun(), (Names{"ZOO.SIT", "TRIP.SIT"}));
    EXPECT_TRUE(prompt.shown.empty());

    ASSERT_TRUE(
        WriteBytes(root + "AUTORUN.SFC", "[Autorun]\nTRIP.SIT\n[AUTORUN]\nZOO.SIT\nREPEAT\n"));
    editor.LoadDrive(root, &prompt);
    EXPECT_EQ(editor.Autorun(), Names{"TRIP.SIT"});
    EXPECT_FALSE(editor.Repeat());
    EXPECT_FALSE(editor.ListRefused());
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(AutorunEditor, NoDriveAndEmptyDrive)
{
    CAutorunEditor editor;
    editor.LoadDrive("", &prompt);
    EXPECT_TRUE(editor.Available().empty());
    EXPECT_FALSE(editor.Apply(&prompt));

    QTemporaryDir empty;
    const std::string emptyRoot = empty.path().toStdString() + "/";
    editor.LoadDrive(emptyRoot, &prompt);
    EXPECT_TRUE(editor.Available().empty());
    EXPECT_FALSE(editor.Repeat());
    ASSERT_TRUE(editor.Apply(&prompt));
    EXPECT_EQ(ReadBytes(emptyRoot + "AUTORUN.SFC"), QByteArray("[Autorun]\n"));
}

TEST_F(AutorunEditor, AddReportsNamesAlreadyListed)
{
    CAutorunEditor editor;
    editor.LoadDrive(root, &prompt);
    EXPECT_EQ(editor.Add({"TRIP.SIT", "SHOW.SIT"}, &prompt), 2);
    EXPECT_EQ(editor.Add({"trip.sit", "", "ZOO.SIT"}, &prompt), 1);
    EXPECT_EQ(editor.Autorun(), (Names{"TRIP.SIT", "SHOW.SIT", "ZOO.SIT"}));
    ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::AlreadyInAutorun});
    EXPECT_NE(prompt.shown[0].text.find("trip.sit"), std::string::npos);
}

TEST_F(AutorunEditor, DropsInsertAtThePositionAndAppendBelowTheLast)
{
    CAutorunEditor editor;
    editor.LoadDrive(root, &prompt);
    editor.Add({"TRIP.SIT"}, &prompt);
    EXPECT_EQ(editor.Insert({"ZOO.SIT", "SHOW.SIT"}, 0, &prompt), (std::vector<int>{0, 1}));
    EXPECT_EQ(editor.Autorun(), (Names{"ZOO.SIT", "SHOW.SIT", "TRIP.SIT"}));
    // A drop with Ctrl inside the list copies: every name is listed already.
    EXPECT_TRUE(editor.Insert({"TRIP.SIT", "ZOO.SIT"}, -1, &prompt).empty());
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AlreadyInAutorun, MsgId::AlreadyInAutorun}));
}

TEST_F(AutorunEditor, MovesWithinTheList)
{
    struct Case
    {
        std::vector<int> selected;
        int drop;
        Names after;
        std::vector<int> selection;
    };
    const Case cases[] = {
        {{0}, 2, {"B", "A", "C", "D"}, {1}},        {{3}, 0, {"D", "A", "B", "C"}, {0}},
        {{1}, 1, {"A", "B", "C", "D"}, {1}}, // dropped on itself: stays
        {{0, 2}, -1, {"B", "D", "A", "C"}, {2, 3}}, {{0, 2}, 3, {"B", "A", "C", "D"}, {1, 2}},
        {{1, 2}, 0, {"B", "C", "A", "D"}, {0, 1}},
    };
    for (const Case& c : cases) {
        CAutorunEditor editor;
        editor.LoadDrive("", &prompt);
        editor.Insert({"A", "B", "C", "D"}, -1, &prompt);
        EXPECT_EQ(editor.Move(c.selected, c.drop), c.selection) << "drop " << c.drop;
        EXPECT_EQ(editor.Autorun(), c.after) << "drop " << c.drop;
    }
}

TEST_F(AutorunEditor, RemoveAndRepeatReachTheFileOnlyAtOk)
{
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", "[Autorun]\nTRIP.SIT\nSHOW.SIT\nZOO.SIT\n"));
    CAutorunEditor editor;
    editor.LoadDrive(root, &prompt);
    editor.Remove({0, 2});
    editor.SetRepeat(true);
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"),
              QByteArray("[Autorun]\nTRIP.SIT\nSHOW.SIT\nZOO.SIT\n"));
    ASSERT_TRUE(editor.Apply(&prompt));
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"), QByteArray("[Autorun]\nSHOW.SIT\nREPEAT\n"));
}

TEST_F(AutorunEditor, AReadOnlyListCountsAsAbsent)
{
    ASSERT_TRUE(WriteBytes(root + "AUTORUN.SFC", "[Autorun]\nTRIP.SIT\n"));
    QFile::setPermissions(QString::fromStdString(root + "AUTORUN.SFC"),
                          QFileDevice::ReadOwner | QFileDevice::ReadGroup);
    CAutorunEditor editor;
    editor.LoadDrive(root, &prompt);
    EXPECT_TRUE(editor.Autorun().empty());
    EXPECT_TRUE(prompt.shown.empty());
    // OK cannot replace it either.
    editor.Add({"ZOO.SIT"}, &prompt);
    EXPECT_FALSE(editor.Apply(&prompt));
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::FileNotWritten});
    EXPECT_EQ(ReadBytes(root + "AUTORUN.SFC"), QByteArray("[Autorun]\nTRIP.SIT\n"));
}
