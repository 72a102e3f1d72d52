// The seams of the rows under real window input: what a context menu, a
// second button, Escape or a double click leave behind, and the keyboard's
// way to every row and command.
#include "document/busyguard.h"
#include "gui/view/cellrowdelegate.h"
#include "model/cellbmpinfo.h"
#include "viewfixture.h"
#include "windowinput.h"

#include <QFontMetrics>
#include <QSignalSpy>

using namespace WindowInput;

namespace {

// A project window that is the active window, with its rows focused.
struct ActiveView : ViewProject
{
    ActiveView(const std::string& folder, const std::vector<int>& ids) : ViewProject(folder, ids)
    {
        view->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(view.get()));
        view->ListBox()->setFocus();
    }
    QWidget* List() const { return view->ListBox(); }
    QPoint At(int row) const { return Viewport()->mapTo(List(), RowPoint(row)); }
    // A right click on `row` whose menu is closed with Escape.
    void RightClickAndEscape(int row)
    {
        EscapeNextMenu();
        Press(Viewport(), Qt::RightButton, RowPoint(row));
        Release(Viewport(), Qt::RightButton, RowPoint(row));
    }
};

} // namespace

TEST_F(ViewFixture, RightClickEscapeThenAClickActsAndDeleteTakesOnlyThatRow)
{
    ActiveView p(Folder("a"), {1, 2, 3, 4, 5});
    p.view->SetShortcutsEnabled(true);
    p.RightClickAndEscape(0);
    EXPECT_EQ(p.Selected(), (std::vector<int>{0}));
    EXPECT_FALSE(p.view->ListBox()->IsTracking());
    Click(p.Viewport(), Qt::LeftButton, p.RowPoint(2));
    EXPECT_EQ(p.Selected(), (std::vector<int>{2}));
    Key(p.List(), Qt::Key_Delete);
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2, 4, 5}));
}

TEST_F(ViewFixture, AfterAMenuAPressAndMoveDragsThePressedRowNotTheOldSelection)
{
    ActiveView p(Folder("a"), {1, 2, 3, 4, 5});
    std::vector<int> dragged;
    // The test takes the drag request itself (no drag loop offscreen).
    QObject::disconnect(p.view->ListBox(), &CCellListBox::DragRequested, p.view.get(), nullptr);
    QObject::connect(p.view->ListBox(), &CCellListBox::DragRequested,
                     [&] { dragged = p.Selected(); });
    p.RightClickAndEscape(0);
    const QPoint last = p.RowPoint(4);
    Press(p.Viewport(), Qt::LeftButton, last);
    Move(p.Viewport(), last + QPoint(0, -12));
    Release(p.Viewport(), Qt::LeftButton, last + QPoint(0, -12));
    EXPECT_EQ(dragged, (std::vector<int>{4}));
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2, 3, 4, 5}));
}

TEST_F(ViewFixture, BothButtonsEscapeAndLostReleasesLeaveNothingHeld)
{
    ActiveView p(Folder("a"), {1, 2, 3, 4, 5});
    QSignalSpy drags(p.view->ListBox(), &CCellListBox::DragRequested);
    QObject::disconnect(p.view->ListBox(), &CCellListBox::DragRequested, p.view.get(), nullptr);

    // Left held on row 2, then the right button: its menu opens and goes.
    EscapeNextMenu();
    Press(p.Viewport(), Qt::LeftButton, p.RowPoint(1));
    Press(p.Viewport(), Qt::RightButton, p.RowPoint(1));
    Release(p.Viewport(), Qt::LeftButton, p.RowPoint(1));
    Release(p.Viewport(), Qt::RightButton, p.RowPoint(1));
    EXPECT_EQ(p.Selected(), (std::vector<int>{1}));
    EXPECT_FALSE(p.view->ListBox()->IsTracking());
    EXPECT_EQ(drags.count(), 0);

    // Escape while the button is held gives the press up: no drag follows.
    p.Select({0, 1, 2});
    Press(p.Viewport(), Qt::LeftButton, p.RowPoint(1));
    Key(p.List(), Qt::Key_Escape);
    EXPECT_FALSE(p.view->ListBox()->IsTracking());
    Move(p.Viewport(), p.RowPoint(1) + QPoint(0, 20));
    Release(p.Viewport(), Qt::LeftButton, p.RowPoint(1) + QPoint(0, 20));
    EXPECT_EQ(drags.count(), 0);
    EXPECT_EQ(p.Selected(), (std::vector<int>{0, 1, 2}));

    // A release that went elsewhere (sent to nobody here): the next move
    // without the button drags nothing and the next click acts.
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(p.RowPoint(3)),
                      p.Viewport()->mapToGlobal(QPointF(p.RowPoint(3))), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(p.Viewport(), &press);
    EXPECT_TRUE(p.view->ListBox()->IsTracking());
    QMouseEvent move(QEvent::MouseMove, QPointF(p.RowPoint(0)),
                     p.Viewport()->mapToGlobal(QPointF(p.RowPoint(0))), Qt::NoButton, Qt::NoButton,
                     Qt::NoModifier);
    QApplication::sendEvent(p.Viewport(), &move);
    EXPECT_EQ(drags.count(), 0);
    EXPECT_FALSE(p.view->ListBox()->IsTracking());
    QTest::mouseClick(p.Viewport(), Qt::LeftButton, Qt::NoModifier, p.RowPoint(4));
    EXPECT_EQ(p.Selected(), (std::vector<int>{4}));
}

TEST_F(ViewFixture, DoubleClickAndEnterOpenThePropertiesOfTheSelection)
{
    ActiveView p(Folder("a"), {1, 2, 3, 4});
    p.dialogs.ctrlAnswer = [](CCtrlPropData& d) { d.inputDev = 2; };
    DoubleClick(p.Viewport(), p.RowPoint(2));
    ASSERT_EQ(p.dialogs.runs, 1);
    // A control row opens its own dialog, with its row number.
    EXPECT_EQ(p.dialogs.shownCtrl.number, 3);
    EXPECT_EQ(static_cast<CCellCtrlInfo*>(p.editor->Rows().GetCell(2))->InputDev, 2);
    EXPECT_FALSE(p.view->ListBox()->IsTracking());

    // Enter on a Shift range: the dialog of several cells.
    Key(p.List(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(p.Selected(), (std::vector<int>{2, 3}));
    Key(p.List(), Qt::Key_Return);
    ASSERT_EQ(p.dialogs.runs, 2);
    EXPECT_TRUE(p.dialogs.shownCell.multiple);
}

TEST_F(ViewFixture, ArrowsPagesHomeAndEndMoveTheFocusAndShiftExtends)
{
    ActiveView p(Folder("a"), std::vector<int>(40, 7));
    Key(p.List(), Qt::Key_Down);
    EXPECT_EQ(p.Selected(), (std::vector<int>{0}));
    Key(p.List(), Qt::Key_Down);
    Key(p.List(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(p.Selected(), (std::vector<int>{1, 2}));
    EXPECT_EQ(p.editor->Rows().FocusRow(), 2);
    Key(p.List(), Qt::Key_End);
    EXPECT_EQ(p.Selected(), (std::vector<int>{39}));
    Key(p.List(), Qt::Key_PageUp);
    const int paged = p.editor->Rows().FocusRow();
    EXPECT_LT(paged, 39);
    EXPECT_GT(paged, 0);
    Key(p.List(), Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(p.Selected().size(), static_cast<size_t>(paged + 1));
    // Ctrl moves the focus alone; Space toggles the focus row.
    Key(p.List(), Qt::Key_Down, Qt::ControlModifier);
    Key(p.List(), Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(p.Selected().size(), static_cast<size_t>(paged + 1));
    EXPECT_EQ(p.editor->Rows().FocusRow(), 2);
    Key(p.List(), Qt::Key_Space);
    EXPECT_FALSE(p.editor->Rows().IsSelected(2));
    // The focus row stays in sight.
    Key(p.List(), Qt::Key_End);
    EXPECT_TRUE(p.Viewport()->rect().contains(p.RowPoint(39)));
}

TEST_F(ViewFixture, MenuKeyAndShiftF10OpenTheMenuAtTheFocusRowAndInsertBeforeIt)
{
    ActiveView p(Folder("a"), {1, 2, 3, 4});
    Click(p.Viewport(), Qt::LeftButton, p.RowPoint(0));
    Key(p.List(), Qt::Key_Down, Qt::ControlModifier);
    Key(p.List(), Qt::Key_Down, Qt::ControlModifier);
    // The focus row (3) is not selected: the menu selects it, as a right
    // press would, and its Insert control step goes before it.
    WhenMenuShown([](QMenu* menu) {
        QAction* insert = EntryOf(menu, EditorCommand::CellInsertControl);
        ASSERT_NE(insert, nullptr);
        menu->setActiveAction(insert);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    Key(p.List(), Qt::Key_Menu);
    ASSERT_EQ(p.editor->Rows().GetCount(), 5);
    EXPECT_EQ(p.Rows()[3], 3);
    EXPECT_EQ(p.Rows()[2], 30); // a new control step has the default interval

    // Copy row 1, then Shift+F10 on row 4 pastes before row 4.
    Click(p.Viewport(), Qt::LeftButton, p.RowPoint(0));
    p.view->ExecuteCommand(EditorCommand::Copy);
    Key(p.List(), Qt::Key_End);
    Key(p.List(), Qt::Key_Up);
    WhenMenuShown([](QMenu* menu) {
        QAction* paste = EntryOf(menu, EditorCommand::Paste);
        ASSERT_NE(paste, nullptr);
        ASSERT_TRUE(paste->isEnabled());
        menu->setActiveAction(paste);
        QTest::keyClick(menu, Qt::Key_Return);
    });
    Key(p.List(), Qt::Key_F10, Qt::ShiftModifier);
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2, 30, 1, 3, 4}));
}

TEST_F(ViewFixture, KeysWhileTheProjectIsBusyAreIgnored)
{
    ActiveView p(Folder("a"), {1, 2, 3});
    p.view->SetShortcutsEnabled(true);
    Click(p.Viewport(), Qt::LeftButton, p.RowPoint(1));
    {
        CBusyGuard busy(*p.doc);
        for (const Qt::Key key :
             {Qt::Key_Delete, Qt::Key_Down, Qt::Key_Return, Qt::Key_Menu, Qt::Key_Space})
            Key(p.List(), key);
        Key(p.List(), Qt::Key_V, Qt::ControlModifier);
        Key(p.List(), Qt::Key_X, Qt::ControlModifier);
        Click(p.Viewport(), Qt::LeftButton, p.RowPoint(2));
    }
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(p.Selected(), (std::vector<int>{1}));
    EXPECT_EQ(p.dialogs.runs, 0);
    EXPECT_TRUE(p.prompt.shown.empty());
    // Idle again, the keys act.
    Key(p.List(), Qt::Key_Delete);
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 3}));
}

TEST_F(ViewFixture, RowsShowTheirSettingsAndTheNumberColumnFitsTheLargestNumber)
{
    ViewProject p(Folder("a"), {5});
    auto* control = static_cast<CCellCtrlInfo*>(p.doc->Cells.GetAt(0));
    control->InputDev = 1;
    EXPECT_EQ(CCellRowModel::SettingsText(*control).toStdString(), "waits for: Mouse button");
    control->MotionType = 1;
    control->CellValid = 0;
    EXPECT_EQ(CCellRowModel::SettingsText(*control).toStdString(), "waits 5 s \xc2\xb7 off");
    CCellBmpInfo image;
    image.Effect = 1;
    EXPECT_EQ(CCellRowModel::SettingsText(image).toStdString(),
              "advances by hand \xc2\xb7 Fade through black");
    image.MotionType = 1;
    image.AutoIntervalSec = 12;
    image.Effect = 99;
    EXPECT_EQ(CCellRowModel::SettingsText(image).toStdString(), "advances after 12 s");

    // 100,000 rows: the number column takes six digits, and the header's
    // first column goes with it.
    const int narrow = p.view->HeaderColumnWidth(0);
    for (int i = 0; i < 99999; ++i)
        p.doc->Cells.Append(std::make_unique<CCellCtrlInfo>());
    p.editor->UpdateAllViews();
    p.view->Refresh();
    const QFontMetrics fm(p.view->Delegate()->Metrics().font);
    EXPECT_GE(p.view->HeaderColumnWidth(0) - 9, fm.horizontalAdvance(QStringLiteral("100000")));
    EXPECT_EQ(p.view->Delegate()->Metrics().numberWidth, p.view->HeaderColumnWidth(0));
    EXPECT_GT(p.view->HeaderColumnWidth(0), narrow);
}
