#include "base/msgid.h"
#include "document/projectdlgchecks.h"
#include "support/scriptedprompt.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

using Checks = CProjectDlgChecks;

class ProjectDlgChecksTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        // The canonical form: the checks hand back the folder's real path.
        base = QFileInfo(m_dir.path()).canonicalFilePath().toStdString() + "/";
    }
    bool isFolder(const std::string& path) const
    {
        return QFileInfo(QString::fromStdString(path)).isDir();
    }

    std::string base;
    CScriptedPrompt prompt;

private:
    QTemporaryDir m_dir;
};

} // namespace

TEST(ProjectDlgColours, SixteenEntries)
{
    const uint32_t expected[16] = {0x000000, 0x000080, 0x008000, 0x008080, 0x800000, 0x800080,
                                   0x808000, 0xC0C0C0, 0x808080, 0x0000FF, 0x00FF00, 0x00FFFF,
                                   0xFF0000, 0xFF00FF, 0xFFFF00, 0xFFFFFF};
    for (int i = 0; i < 16; ++i) {
        EXPECT_EQ(Checks::BackColorAt(i), expected[i]) << i;
        EXPECT_EQ(Checks::BackColorIndex(expected[i]), i);
    }
    EXPECT_EQ(Checks::BackColorAt(16), 0u);
    EXPECT_EQ(Checks::BackColorAt(-1), 0u);
    EXPECT_EQ(Checks::BackColorIndex(0x123456), -1);
    EXPECT_EQ(Checks::BackColorIndex(0x01000000), -1);
}

TEST(ProjectDlgFolders, ProposedAndParent)
{
    EXPECT_EQ(Checks::ProposedFolder("/home/u/Zelm Tessara/", "Trip"), "/home/u/Zelm Tessara/Trip");
    EXPECT_EQ(Checks::ProposedFolder("/home/u", "Trip"), "/home/u/Trip");
    EXPECT_EQ(Checks::ParentFolder("/home/u/Trip/"), "/home/u/");
    EXPECT_EQ(Checks::ParentFolder("/home/u/Trip"), "/home/u/");
    EXPECT_EQ(Checks::ParentFolder("/Trip/"), "/");
}

TEST_F(ProjectDlgChecksTest, NameRules)
{
    const struct
    {
        const char* name;
        int message;
        Checks::Focus focus;
    } cases[] = {
        {"", 7110, Checks::FocusName},
        {"   ", 7110, Checks::FocusName},
        {"Trip.sic", 7111, Checks::FocusName},
        {"a.b", 7111, Checks::FocusName},
        {"a b", 7111, Checks::FocusName},
        {"a/b", 7111, Checks::FocusName},
        {"a:b", 7111, Checks::FocusName},
        {"Tr-p", 7111, Checks::FocusName},
        {"\xc3\xa9t\xc3\xa9", 7111, Checks::FocusName}, // letters, but not ASCII
        {"abcdefghi", 61716, Checks::FocusName},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::string name = c.name;
        std::string folder = base + "x";
        Checks::Focus focus = Checks::FocusNone;
        prompt.shown.clear();
        EXPECT_EQ(Checks::CheckProject(&prompt, name, folder, false, {}, focus), Checks::Refused);
        EXPECT_EQ(prompt.Ids(), std::vector<int>{c.message});
        EXPECT_EQ(focus, c.focus);
        EXPECT_FALSE(isFolder(base + "x"));
    }
}

TEST_F(ProjectDlgChecksTest, AcceptsAndCreatesTheFolderWithItsParents)
{
    std::string name = "  Trip8";
    std::string folder = base + "a/b/ Trip8/";
    Checks::Focus focus = Checks::FocusNone;
    ASSERT_EQ(Checks::CheckProject(&prompt, name, folder, false, {}, focus), Checks::Accepted);
    EXPECT_EQ(name, "Trip8");
    EXPECT_EQ(folder, base + "a/b/Trip8/"); // blanks leading the last part go
    EXPECT_TRUE(isFolder(folder));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(ProjectDlgChecksTest, RelativeFoldersAndDotsAreResolved)
{
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(base)));
    std::string name = "Rel";
    std::string folder = "sub/../Rel";
    Checks::Focus focus = Checks::FocusNone;
    const Checks::Outcome outcome = Checks::CheckProject(&prompt, name, folder, false, {}, focus);
    QDir::setCurrent(old);
    ASSERT_EQ(outcome, Checks::Accepted);
    EXPECT_EQ(folder, base + "Rel/");
    EXPECT_FALSE(isFolder(base + "sub"));
}

TEST_F(ProjectDlgChecksTest, FolderRefusals)
{
    std::string name = "Trip";
    Checks::Focus focus = Checks::FocusNone;
    std::string empty;
    EXPECT_EQ(Checks::CheckProject(&prompt, name, empty, false, {}, focus), Checks::Refused);
    EXPECT_EQ(focus, Checks::FocusFolder);

    std::string tooLongField(260, 'f');
    EXPECT_EQ(Checks::CheckProject(&prompt, name, tooLongField, false, {}, focus), Checks::Refused);

    // 259 characters fit the field, but made absolute the folder is longer:
    // the new-project dialog refuses it with 7113, the save-as dialog with
    // 7111 (the project file's path).
    const QString old = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(QString::fromStdString(base)));
    std::string relative(259, 'r');
    prompt.shown.clear();
    const Checks::Outcome project = Checks::CheckProject(&prompt, name, relative, false, {}, focus);
    std::string relative2(259, 'r');
    const Checks::Outcome saveAs = Checks::CheckSaveAs(&prompt, name, relative2, "/", focus);
    QDir::setCurrent(old);
    EXPECT_EQ(project, Checks::Refused);
    EXPECT_EQ(saveAs, Checks::Refused);
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::ProjectFolderUnusable, MsgId::ProjectNameInvalid}));

    // A file standing where a parent folder would be made.
    QFile file(QString::fromStdString(base + "plain"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    std::string blocked = base + "plain/sub/Trip";
    prompt.shown.clear();
    EXPECT_EQ(Checks::CheckProject(&prompt, name, blocked, false, {}, focus), Checks::Refused);
    ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::ProjectFolderUnusable});
}

TEST_F(ProjectDlgChecksTest, LengthLimits)
{
    Checks::Focus focus = Checks::FocusNone;
    // The folder itself: 260 characters or more.
    std::string name = "N";
    std::string folder = base + std::string(260 - base.size(), 'd');
    ASSERT_EQ(folder.size(), 260u);
    folder.resize(259); // fits the field ...
    // ... and the project file path then is 259 + 1 + 1 + 4 characters.
    prompt.shown.clear();
    EXPECT_EQ(Checks::CheckProject(&prompt, name, folder, false, {}, focus), Checks::Refused);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::ProjectNameInvalid});
    EXPECT_EQ(focus, Checks::FocusName);

    // The whole file path just below 260 is accepted.
    std::string shorter = base + std::string(259 - base.size() - 1 - 8 - 4 - 1, 'e');
    std::string eight = "Abcdefgh";
    ASSERT_EQ(shorter.size() + 1 + eight.size() + 4, 258u);
    prompt.shown.clear();
    EXPECT_EQ(Checks::CheckProject(&prompt, eight, shorter, false, {}, focus), Checks::Accepted);
    std::string oneMore = base + std::string(259 - base.size() - 8 - 4 - 1, 'g');
    ASSERT_EQ(oneMore.size() + 1 + eight.size() + 4, 259u);
    EXPECT_EQ(Checks::CheckProject(&prompt, eight, oneMore, false, {}, focus), Checks::Accepted);
    std::string tooMuch = base + std::string(259 - base.size() - 8 - 4, 'h');
    EXPECT_EQ(Checks::CheckProject(&prompt, eight, tooMuch, false, {}, focus), Checks::Refused);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::ProjectNameInvalid});
}

TEST_F(ProjectDlgChecksTest, ExistingFolderQuestion)
{
    QDir().mkpath(QString::fromStdString(base + "Have"));
    const struct
    {
        CUserPrompt::Answer answer;
        Checks::Outcome outcome;
    } cases[] = {
        {CUserPrompt::AnswerYes, Checks::Accepted},
        {CUserPrompt::AnswerNo, Checks::Refused},
        {CUserPrompt::AnswerCancel, Checks::Cancelled},
    };
    for (const auto& c : cases) {
        std::string name = "Have";
        std::string folder = base + "Have";
        Checks::Focus focus = Checks::FocusNone;
        prompt.shown.clear();
        prompt.answers = {c.answer};
        EXPECT_EQ(Checks::CheckProject(&prompt, name, folder, false, {}, focus), c.outcome);
        ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::AskUseExistingFolder});
        EXPECT_EQ(prompt.shown[0].buttons, CUserPrompt::YesNoCancel);
        EXPECT_NE(prompt.shown[0].text.find(base + "Have"), std::string::npos);
    }
    // Without anybody to ask, an existing folder is not used.
    std::string name = "Have";
    std::string folder = base + "Have";
    Checks::Focus focus = Checks::FocusNone;
    EXPECT_NE(Checks::CheckProject(nullptr, name, folder, false, {}, focus), Checks::Accepted);
}

TEST_F(ProjectDlgChecksTest, SameFolderRules)
{
    const std::string current = base + "Cur/";
    QDir().mkpath(QString::fromStdString(current));
    Checks::Focus focus = Checks::FocusNone;
    {
        // Properties with the folder unchanged: accepted at once, no question.
        std::string name = "Cur";
        std::string folder = base + "Cur";
        EXPECT_EQ(Checks::CheckProject(&prompt, name, folder, true, current, focus),
                  Checks::Accepted);
        EXPECT_EQ(folder, current);
        EXPECT_TRUE(prompt.shown.empty());
    }
    {
        // Save as into the project's own folder: 7158.
        std::string name = "Other";
        std::string folder = current;
        EXPECT_EQ(Checks::CheckSaveAs(&prompt, name, folder, current, focus), Checks::Refused);
        EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::ChooseOtherFolder});
        EXPECT_EQ(focus, Checks::FocusFolder);
    }
    {
        // Save as elsewhere makes the folder.
        prompt.shown.clear();
        std::string name = "Copy";
        std::string folder = base + "Copy";
        EXPECT_EQ(Checks::CheckSaveAs(&prompt, name, folder, current, focus), Checks::Accepted);
        EXPECT_EQ(folder, base + "Copy/");
        EXPECT_TRUE(isFolder(folder));
    }
}
