#include "base/msgid.h"
#include "dialogtestutil.h"
#include "gui/dialogs/parsededit.h"
#include "gui/dialogs/projectdlg.h"
#include "gui/dialogs/saveasdlg.h"
#include "support/scriptedprompt.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ProjectDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        base = dir.path() + "/";
        settings.folder = base.toStdString();
    }

    QTemporaryDir dir;
    QString base;
    CProjectSettings settings;
    CScriptedPrompt prompt;
};

TEST_F(ProjectDlgTest, FolderFollowsTheNameAsItIsTyped)
{
    CProjectDlg dialog(settings, false, &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    auto* name = dialog.findChild<CParsedEdit*>("name");
    QTest::keyClicks(name, "Trip");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("folder")->text(), base + "Trip");
}

TEST_F(ProjectDlgTest, TheNameFieldShowsItsRuleAndTakesEightCharacters)
{
    CProjectDlg dialog(settings, false, &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    auto* name = dialog.findChild<CParsedEdit*>("name");
    auto* rule = dialog.findChild<QLabel*>("nameRule");
    ASSERT_NE(rule, nullptr);
    EXPECT_TRUE(rule->isVisible());
    EXPECT_TRUE(rule->text().contains(QLatin1String("8")));
    EXPECT_EQ(name->accessibleDescription(), rule->text());
    QTest::keyClicks(name, "Holiday2026");
    EXPECT_EQ(name->text(), QStringLiteral("Holiday2"));

    // A longer name an older project has stays whole in its properties,
    // where OK refuses it until it is shortened.
    settings.name = "LongerOldName";
    QDir().mkpath(base + "LongerOldName");
    settings.folder = (base + "LongerOldName/").toStdString();
    CProjectDlg properties(settings, true, &prompt);
    ASSERT_TRUE(ShowActive(properties));
    auto* oldName = properties.findChild<CParsedEdit*>("name");
    EXPECT_EQ(oldName->text(), QStringLiteral("LongerOldName"));
    Press(properties);
    EXPECT_TRUE(properties.isVisible());
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::EnterFewerCharacters});
    EXPECT_EQ(QApplication::focusWidget(), oldName);
}

TEST_F(ProjectDlgTest, NewFolderIsCreatedOnOk)
{
    CProjectDlg dialog(settings, false, &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    QTest::keyClicks(dialog.findChild<CParsedEdit*>("name"), "Trip");
    dialog.findChild<QComboBox*>("backColor")->setCurrentIndex(9);
    Press(dialog);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(QDir(base + "Trip").exists());
    EXPECT_EQ(dialog.Settings().name, "Trip");
    EXPECT_EQ(dialog.Settings().folder, (base + "Trip/").toStdString());
    EXPECT_EQ(dialog.Settings().backColor, 0x0000FFu); // entry 9: red
    EXPECT_EQ(dialog.Settings().imageQuality, 2);
}

struct ExistingCase
{
    CUserPrompt::Answer answer;
    bool open;  // the dialog stays open
    int result; // when closed
};

class ExistingFolder : public ProjectDlgTest, public ::testing::WithParamInterface<ExistingCase>
{
};

TEST_P(ExistingFolder, QuestionDecides)
{
    const ExistingCase c = GetParam();
    ASSERT_TRUE(QDir().mkpath(base + "Trip"));
    prompt.answers = {c.answer};
    CProjectDlg dialog(settings, false, &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    QTest::keyClicks(dialog.findChild<CParsedEdit*>("name"), "Trip");
    Press(dialog);
    ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::AskUseExistingFolder});
    EXPECT_EQ(prompt.shown[0].buttons, CUserPrompt::YesNoCancel);
    EXPECT_EQ(dialog.isVisible(), c.open);
    if (c.open) {
        EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QLineEdit*>("folder"));
        return;
    }
    EXPECT_EQ(dialog.result(), c.result);
    if (c.result == QDialog::Accepted) {
        EXPECT_EQ(dialog.Settings().folder, (base + "Trip/").toStdString());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, ExistingFolder,
    ::testing::Values(ExistingCase{CUserPrompt::AnswerYes, false, QDialog::Accepted},
                      ExistingCase{CUserPrompt::AnswerNo, true, 0},
                      ExistingCase{CUserPrompt::AnswerCancel, false, QDialog::Rejected}),
    [](const auto& info) {
        const CUserPrompt::Answer a = info.param.answer;
        return std::string(a == CUserPrompt::AnswerYes  ? "Yes"
                           : a == CUserPrompt::AnswerNo ? "No"
                                                        : "Cancel");
    });

TEST_F(ProjectDlgTest, EveryRefusalKeepsTheDialogOpenWithFocus)
{
    struct Case
    {
        QString name, folder;
        int message;
        const char* focus;
    };
    QFile blocker(base + "file");
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    const Case cases[] = {
        {"", base + "x", 7110, "name"},
        {"Trip", "", 7112, "folder"},
        {"Trip", base + "file/Trip", 7113, "folder"},
        {"Trip", "/proc/zelm-no/Trip", 7104, "folder"},
    };
    for (const Case& c : cases) {
        CScriptedPrompt refusals;
        CProjectDlg dialog(settings, false, &refusals);
        ASSERT_TRUE(ShowActive(dialog));
        dialog.findChild<CParsedEdit*>("name")->setText(c.name);
        dialog.findChild<QLineEdit*>("folder")->setText(c.folder);
        Press(dialog);
        EXPECT_TRUE(dialog.isVisible()) << c.message;
        EXPECT_EQ(refusals.Ids(), std::vector<int>{c.message});
        EXPECT_EQ(QApplication::focusWidget()->objectName(), c.focus) << c.message;
    }
}

TEST_F(ProjectDlgTest, SaveAsRefusesTheProjectsOwnFolder)
{
    ASSERT_TRUE(QDir().mkpath(base + "Trip"));
    CSaveAsDlg dialog("Trip", (base + "Trip/").toStdString(), &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<CParsedEdit*>("name"));
    Press(dialog);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::ChooseOtherFolder});
    EXPECT_TRUE(dialog.isVisible());
    auto* name = dialog.findChild<CParsedEdit*>("name");
    name->selectAll();
    QTest::keyClicks(name, "Trip2");
    EXPECT_EQ(dialog.findChild<QLineEdit*>("folder")->text(), base + "Trip2");
    Press(dialog);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Folder(), (base + "Trip2/").toStdString());
    EXPECT_TRUE(QDir(base + "Trip2").exists());
}

TEST(ParsedEdit, RefusesWhatIsNotALetterOrDigitTypedOrPasted)
{
    CParsedEdit edit(CParsedEdit::Digits | CParsedEdit::Letters);
    ASSERT_TRUE(ShowActive(edit));
    int refused = 0;
    QObject::connect(&edit, &CParsedEdit::BadInput, [&] { ++refused; });
    QTest::keyClicks(&edit, "a b-c/1");
    QTest::keyClick(&edit, Qt::Key_Backspace); // control keys pass
    QCoreApplication::processEvents();
    EXPECT_EQ(edit.text(), "abc");
    EXPECT_GE(refused, 3);

    edit.clear();
    QApplication::clipboard()->setText(QString::fromUtf8("ab-12 3\t/\xE6\x97\xA5\n"));
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(edit.text(), "ab123");
}

} // namespace
