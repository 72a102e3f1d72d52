#include "base/msgid.h"
#include "dialogtestutil.h"
#include "document/zurdoc.h"
#include "editor/celldialogrules.h"
#include "editor/scenarioeditor.h"
#include "gui/dialogs/cellpropdlg.h"
#include "gui/dialogs/ctrlpropdlg.h"
#include "gui/dialogs/effectdlg.h"
#include "gui/dialogs/guicelldialogs.h"
#include "model/cellbmpinfo.h"
#include "support/casename.h"
#include "support/scriptedprompt.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

struct IntervalCase
{
    bool multiple;
    const char* typed;
    bool accepted;
};

class CellPropInterval : public ::testing::TestWithParam<IntervalCase>
{
};

TEST_P(CellPropInterval, RangeRefusedWithFocusBackInTheField)
{
    const IntervalCase c = GetParam();
    CScriptedPrompt prompt;
    CCellPropData data;
    data.multiple = c.multiple;
    data.motion = 1;
    data.interval = 30;
    data.effect = c.multiple ? -1 : 3;
    CCellPropDlg dialog(data, &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    auto* interval = dialog.findChild<QLineEdit*>("interval");
    ASSERT_TRUE(interval && interval->isEnabled());
    interval->clear();
    QTest::keyClicks(interval, c.typed);
    dialog.findChild<QComboBox*>("effect")->setFocus();
    Press(dialog);

    if (c.accepted) {
        EXPECT_EQ(dialog.result(), QDialog::Accepted);
        EXPECT_TRUE(prompt.shown.empty());
        EXPECT_EQ(dialog.Data().interval, QString(c.typed).toInt());
        return;
    }
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::EnterWholeNumberInRange});
    EXPECT_NE(prompt.shown[0].text.find("1800"), std::string::npos);
    EXPECT_EQ(QApplication::focusWidget(), interval);
    EXPECT_EQ(dialog.Data().interval, 30); // nothing taken over
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, CellPropInterval,
    ::testing::Values(IntervalCase{false, "0", false}, IntervalCase{false, "1801", false},
                      IntervalCase{false, "abc", false}, IntervalCase{false, "1", true},
                      IntervalCase{false, "1800", true}, IntervalCase{true, "0", false},
                      IntervalCase{true, "1801", false}, IntervalCase{true, "-5", false},
                      IntervalCase{true, "1800", true}),
    [](const auto& info) {
        return (info.param.multiple ? "Multiple_" : "Single_") + CaseNameSpelled(info.param.typed);
    });

// The steps of the effect dialog: a number typed outside the range is
// refused at OK with the range message, as the interval is, not replaced.
TEST(EffectDlg, StepsOutsideTheRangeAreRefusedWithTheRange)
{
    for (const char* typed : {"1", "0", "149", "2", "148"}) {
        const int value = QString::fromLatin1(typed).toInt();
        const bool accepted =
            value >= CCellDialogRules::MinCount && value <= CCellDialogRules::MaxCount;
        CScriptedPrompt prompt;
        CEffectData data;
        data.disolve[9] = 20;
        CEffectDlg dialog(data, &prompt);
        ASSERT_TRUE(ShowActive(dialog));
        auto* steps = dialog.findChild<QSpinBox*>("control1050");
        ASSERT_NE(steps, nullptr);
        steps->setFocus();
        steps->selectAll();
        QTest::keyClicks(steps, typed);
        Press(dialog);
        if (accepted) {
            EXPECT_EQ(dialog.result(), QDialog::Accepted) << typed;
            EXPECT_EQ(dialog.Data().disolve[9], value);
            continue;
        }
        EXPECT_NE(dialog.result(), QDialog::Accepted) << typed;
        ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::EnterWholeNumberInRange}) << typed;
        EXPECT_NE(prompt.shown[0].text.find("148"), std::string::npos);
        EXPECT_EQ(QApplication::focusWidget(), steps);
        EXPECT_EQ(dialog.Data().disolve[9], 20) << "nothing taken over";
    }
}

TEST(CtrlPropDlg, IntervalRefusedWithFocusBackInTheField)
{
    CScriptedPrompt prompt;
    CCtrlPropData data;
    data.motion = 1;
    CCtrlPropDlg dialog(data, &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    auto* interval = dialog.findChild<QLineEdit*>("interval");
    interval->setText("1801");
    Press(dialog);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::EnterWholeNumberInRange});
    EXPECT_EQ(QApplication::focusWidget(), interval);
    // The manual motion takes no interval: OK closes.
    QTest::mouseClick(dialog.findChild<QRadioButton*>("motionManual"), Qt::LeftButton);
    EXPECT_FALSE(interval->isEnabled());
    Press(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Data().motion, 0);
    EXPECT_EQ(dialog.Data().interval, 30);
}

TEST(CellPropDlg, AutomaticMotionEnablesTheIntervalAtOnce)
{
    CCellPropData data;
    data.motion = 0;
    CCellPropDlg dialog(data, nullptr);
    ASSERT_TRUE(ShowActive(dialog));
    auto* interval = dialog.findChild<QLineEdit*>("interval");
    EXPECT_FALSE(interval->isEnabled());
    QTest::mouseClick(dialog.findChild<QRadioButton*>("motionAutomatic"), Qt::LeftButton);
    EXPECT_TRUE(interval->isEnabled());
}

// Several cells with different intervals, through the editor: a blank
// interval with the automatic motion keeps each cell's own.
TEST(CellPropDlg, MultipleModeBlankIntervalKeepsEachCellsOwn)
{
    QTemporaryDir dir;
    CScriptedPrompt prompt;
    CZurDoc doc(&prompt);
    doc.Cells.ProjectFolder = dir.path().toStdString() + "/";
    for (int interval : {10, 20, 30}) {
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->AutoIntervalSec = interval;
        cell->MotionType = 0;
        cell->CellValid = interval == 20 ? 0 : 1;
        doc.Cells.Append(std::move(cell));
    }
    CScenarioEditor editor(doc);
    QWidget parent;
    CGuiCellDialogs dialogs(&parent, &prompt);
    editor.SetDialogs(&dialogs);
    editor.Rows().SelectRange(0, 2);

    bool blankShown = false;
    Qt::CheckState validShown = Qt::Checked;
    AnswerNextModal([&](QDialog& dialog) {
        auto* interval = dialog.findChild<QLineEdit*>("interval");
        blankShown = interval->text().isEmpty();
        validShown = dialog.findChild<QCheckBox*>("valid")->checkState();
        QTest::mouseClick(dialog.findChild<QRadioButton*>("motionAutomatic"), Qt::LeftButton);
        Press(dialog);
    });
    EXPECT_TRUE(editor.Properties());
    EXPECT_TRUE(blankShown);
    EXPECT_EQ(validShown, Qt::PartiallyChecked);
    EXPECT_TRUE(prompt.shown.empty());
    const int expected[] = {10, 20, 30};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(doc.Cells.GetAt(i)->AutoIntervalSec, expected[i]);
        EXPECT_EQ(doc.Cells.GetAt(i)->MotionType, 1);
        EXPECT_EQ(doc.Cells.GetAt(i)->CellValid, i == 1 ? 0 : 1); // left mixed
    }
}

struct EnablingCase
{
    int pattern;
    bool lowGroup;    // 1100, 1070, 1071
    bool colourGroup; // 1101, 1110, 1103, 1072, 1073
};

class EffectEnabling : public ::testing::TestWithParam<EnablingCase>
{
};

TEST_P(EffectEnabling, ChosenPatternEnablesItsControls)
{
    const EnablingCase c = GetParam();
    CEffectData data; // opens on pattern 0
    CEffectDlg dialog(data, nullptr);
    ASSERT_TRUE(ShowActive(dialog));
    auto* pattern = qobject_cast<QComboBox*>(dialog.Control(1000));
    ASSERT_TRUE(pattern);
    pattern->setCurrentIndex(c.pattern);
    for (int id : {1100, 1070, 1071})
        EXPECT_EQ(dialog.Control(id)->isEnabled(), c.lowGroup) << "control " << id;
    for (int id : {1101, 1110, 1103, 1072, 1073})
        EXPECT_EQ(dialog.Control(id)->isEnabled(), c.colourGroup) << "control " << id;
    for (int id : {1111, 1112, 1050, 1074, 1020, 1022, 1025})
        EXPECT_TRUE(dialog.Control(id)->isEnabled()) << "control " << id;
    Press(dialog);
    EXPECT_EQ(dialog.Data().disolve[0], c.pattern);
}

INSTANTIATE_TEST_SUITE_P(
    Dialogs, EffectEnabling,
    ::testing::Values(EnablingCase{0, true, false}, EnablingCase{5, true, false},
                      EnablingCase{6, false, true}, EnablingCase{7, false, true}),
    [](const auto& info) { return "Pattern" + std::to_string(info.param.pattern); });

TEST(EffectDlg, ColourOutsideThePaletteOpensAsColourZero)
{
    CEffectData data;
    data.disolve[1] = 9;
    data.disolve[0] = 6;
    CEffectDlg dialog(data, nullptr);
    EXPECT_EQ(qobject_cast<QComboBox*>(dialog.Control(1110))->currentIndex(), 0);
    EXPECT_FALSE(dialog.Control(1070)->isEnabled());
}

} // namespace
