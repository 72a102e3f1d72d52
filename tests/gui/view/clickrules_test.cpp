// The click rules of the rows, through mouse events on the list.
#include "viewfixture.h"

#include <QMouseEvent>
#include <QSignalSpy>

namespace {

void Press(QWidget* w, QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QTest::mousePress(w, Qt::LeftButton, m, p);
}

void Release(QWidget* w, QPoint p, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    QTest::mouseRelease(w, Qt::LeftButton, m, p);
}

void MoveWithButton(QWidget* w, QPoint p)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(p), w->mapToGlobal(QPointF(p)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &move);
}

void Click(ViewProject& p, int row, Qt::KeyboardModifiers m = Qt::NoModifier)
{
    Press(p.Viewport(), p.RowPoint(row), m);
    Release(p.Viewport(), p.RowPoint(row), m);
}

} // namespace

TEST_F(ViewFixture, PlainCtrlAndShiftClicksFollowTheAnchor)
{
    ViewProject p(Folder("a"), {1, 2, 3, 4, 5});
    Click(p, 1);
    EXPECT_EQ(p.Selected(), (std::vector<int>{1}));
    Click(p, 3, Qt::ControlModifier);
    EXPECT_EQ(p.Selected(), (std::vector<int>{1, 3}));
    Click(p, 3, Qt::ShiftModifier);
    EXPECT_EQ(p.Selected(), (std::vector<int>{1, 2, 3}));
    // A second Shift click replaces the range; the anchor stays on row 1.
    Click(p, 0, Qt::ShiftModifier);
    EXPECT_EQ(p.Selected(), (std::vector<int>{0, 1}));
    // Ctrl on a selected row deselects it on release.
    Click(p, 0, Qt::ControlModifier);
    EXPECT_EQ(p.Selected(), (std::vector<int>{1}));
    // Below the rows: nothing selected, no anchor.
    Click(p, -1);
    EXPECT_TRUE(p.Selected().empty());
    EXPECT_EQ(p.editor->Rows().AnchorRow(), -1);
    // The painted state follows the editor's rows.
    Click(p, 4);
    EXPECT_TRUE(p.view->Model()->index(4).data(CCellRowModel::SelectedRole).toBool());
    EXPECT_FALSE(p.view->Model()->index(1).data(CCellRowModel::SelectedRole).toBool());
}

TEST_F(ViewFixture, PressOnSelectionDecidesOnReleaseOrStartsDragBeyondThreePixels)
{
    ViewProject p(Folder("a"), {1, 2, 3, 4, 5});
    QSignalSpy drags(p.view->ListBox(), &CCellListBox::DragRequested);
    // The test catches the drag request itself (no drag loop offscreen).
    QObject::disconnect(p.view->ListBox(), &CCellListBox::DragRequested, p.view.get(), nullptr);
    p.Select({0, 1, 2});
    p.editor->Rows().SetAnchorRow(0);

    // Press on a selected row keeps the selection until the release...
    const QPoint at = p.RowPoint(1);
    Press(p.Viewport(), at);
    EXPECT_EQ(p.Selected(), (std::vector<int>{0, 1, 2}));
    MoveWithButton(p.Viewport(), at + QPoint(3, 3));
    EXPECT_EQ(drags.count(), 0);
    // ...which then selects only that row.
    Release(p.Viewport(), at + QPoint(3, 3));
    EXPECT_EQ(p.Selected(), (std::vector<int>{1}));

    // Moving 4 pixels drags the whole selection instead.
    p.Select({0, 1, 2});
    Press(p.Viewport(), at);
    MoveWithButton(p.Viewport(), at + QPoint(0, 4));
    EXPECT_EQ(drags.count(), 1);
    Release(p.Viewport(), at + QPoint(0, 4));
    EXPECT_EQ(p.Selected(), (std::vector<int>{0, 1, 2}));
}

TEST_F(ViewFixture, RowsTellNumberAndLabelToAccessibility)
{
    ViewProject p(Folder("a"), {1, 2});
    const QString text = p.view->Model()->index(1).data(Qt::AccessibleTextRole).toString();
    EXPECT_TRUE(text.startsWith(QStringLiteral("2 ")));
    EXPECT_TRUE(text.contains(p.view->Model()->index(1).data(Qt::DisplayRole).toString()));
    EXPECT_FALSE(p.view->ListBox()->accessibleName().isEmpty());
}

TEST_F(ViewFixture, KeysMoveTheFocusToggleAndReachTheCommands)
{
    ViewProject p(Folder("a"), {1, 2, 3});
    p.view->SetShortcutsEnabled(true);
    QWidget* list = p.view->ListBox();
    p.view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(p.view.get()));
    list->setFocus();
    Click(p, 0);
    // Ctrl moves the focus without the selection.
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    QTest::keyClick(list, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(p.editor->Rows().FocusRow(), 2);
    QTest::keyClick(list, Qt::Key_Space);
    EXPECT_EQ(p.Selected(), (std::vector<int>{0, 2}));
    // The commands' shortcuts work while the rows have the focus.
    QTest::keyClick(list, Qt::Key_C, Qt::ControlModifier);
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->hasFormat(QStringLiteral("CellInfo List")));
    QTest::keyClick(list, Qt::Key_Delete);
    EXPECT_EQ(p.Rows(), (std::vector<int>{2}));
}
