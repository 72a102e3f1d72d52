// Rows moved by drops, cut and paste between project windows, and the
// selection through a property change.
#include "base/msgid.h"
#include "editor/cellpropdata.h"
#include "gui/dialogs/fileopprogressdlg.h"
#include "model/cellinfolist.h"
#include "viewfixture.h"

#include <QAction>
#include <QDialog>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QTimer>
#include <algorithm>

namespace {

struct MoveCase
{
    const char* name;
    int dropRow; // -1 below the last row
    std::vector<int> expected;
};

class RowMoves : public ViewFixture, public ::testing::WithParamInterface<MoveCase>
{
};

bool ClipboardHasCells()
{
    const QMimeData* data = QGuiApplication::clipboard()->mimeData();
    return data && data->hasFormat(QString::fromLatin1(CCellInfoList::ClipFormat));
}

} // namespace

// Rows 2 and 3 of five dragged and dropped within their window.
TEST_P(RowMoves, TwoOfFiveDroppedOnARow)
{
    const MoveCase& c = GetParam();
    ViewProject p(Folder("a"), {1, 2, 3, 4, 5});
    p.Select({1, 2});
    std::unique_ptr<QMimeData> data(p.view->BeginDrag());
    ASSERT_TRUE(data);
    EXPECT_TRUE(data->hasFormat(QStringLiteral("CellInfo List")));
    const Qt::DropAction taken = p.DropAt(data.get(), c.dropRow);
    EXPECT_EQ(taken, Qt::MoveAction);
    p.view->FinishDrag(taken);
    EXPECT_EQ(p.Rows(), c.expected);
    EXPECT_EQ(p.view->Model()->rowCount(), 5);
    EXPECT_EQ(p.editor->Rows().SelectedCount(), 2);
    EXPECT_FALSE(p.view->IsBusy());
}

INSTANTIATE_TEST_SUITE_P(ViewFixture, RowMoves,
                         ::testing::Values(MoveCase{"OnRow5", 4, {1, 4, 5, 2, 3}},
                                           MoveCase{"OnRow1", 0, {2, 3, 1, 4, 5}},
                                           MoveCase{"OnThemselves", 2, {1, 2, 3, 4, 5}},
                                           MoveCase{"BelowTheLastRow", -1, {1, 4, 5, 2, 3}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ViewFixture, DragIntoAnotherWindowMovesTheRows)
{
    ViewProject a(Folder("a"), {1, 2, 3, 4, 5});
    ViewProject b(Folder("b"), {10, 20});
    a.Select({1, 2});
    std::unique_ptr<QMimeData> data(a.view->BeginDrag());
    ASSERT_TRUE(data);
    const Qt::DropAction taken = b.DropAt(data.get(), 1);
    EXPECT_EQ(taken, Qt::MoveAction);
    a.view->FinishDrag(taken);
    EXPECT_EQ(b.Rows(), (std::vector<int>{10, 2, 3, 20}));
    EXPECT_EQ(a.Rows(), (std::vector<int>{1, 4, 5}));
    EXPECT_EQ(a.view->Model()->rowCount(), 3);
    EXPECT_EQ(b.view->Model()->rowCount(), 4);
}

TEST_F(ViewFixture, MoveTakenOutsideTheProjectWindowsLeavesTheRows)
{
    ViewProject p(Folder("a"), {1, 2, 3, 4, 5});
    p.Select({3, 4});
    std::unique_ptr<QMimeData> data(p.view->BeginDrag());
    ASSERT_TRUE(data);
    EXPECT_TRUE(p.view->IsBusy()) << "no closing while the drag runs";
    EXPECT_FALSE(p.view->close());
    p.view->FinishDrag(Qt::MoveAction);
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_FALSE(p.view->IsBusy());
}

TEST_F(ViewFixture, CutPasteInAnotherWindowAndUndoOfTheCut)
{
    ViewProject a(Folder("a"), {1, 2, 3, 4, 5});
    ViewProject b(Folder("b"), {10, 20});
    a.Select({1, 2});
    EXPECT_TRUE(a.view->Action(EditorCommand::Cut)->isEnabled());
    a.view->Action(EditorCommand::Cut)->trigger();
    EXPECT_EQ(a.Rows(), (std::vector<int>{1, 4, 5}));
    EXPECT_TRUE(ClipboardHasCells());

    b.Select({1});
    ASSERT_TRUE(b.view->Action(EditorCommand::Paste)->isEnabled());
    b.view->Action(EditorCommand::Paste)->trigger();
    EXPECT_EQ(b.Rows(), (std::vector<int>{10, 2, 3, 20}));
    EXPECT_EQ(b.Selected(), (std::vector<int>{1, 2}));

    // Paste is greyed with two rows selected.
    b.Select({0, 1});
    EXPECT_FALSE(b.view->Action(EditorCommand::Paste)->isEnabled());

    ASSERT_TRUE(a.view->Action(EditorCommand::Undo)->isEnabled());
    a.view->Action(EditorCommand::Undo)->trigger();
    EXPECT_EQ(a.Rows(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_FALSE(ClipboardHasCells());
    EXPECT_EQ(a.view->Model()->rowCount(), 5);
}

TEST_F(ViewFixture, SelectionSurvivesAPropertyChangeOfTwoRows)
{
    ViewProject p(Folder("a"), {1, 2, 3, 4, 5});
    p.Select({1, 3});
    p.dialogs.cellAnswer = [](CCellPropData& d) { d.validMulti = 0; };
    p.view->Action(EditorCommand::CellProperties)->trigger();
    EXPECT_EQ(p.dialogs.runs, 1);
    EXPECT_EQ(p.editor->Rows().GetCell(1)->CellValid, 0);
    EXPECT_EQ(p.editor->Rows().GetCell(3)->CellValid, 0);
    EXPECT_EQ(p.Selected(), (std::vector<int>{1, 3}));
    EXPECT_TRUE(p.view->Model()->index(3).data(CCellRowModel::SelectedRole).toBool());
    EXPECT_FALSE(p.view->Model()->index(3).data(CCellRowModel::ValidRole).toBool());
    // Disabled rows only: the context menu offers Enable and no Disable.
    std::unique_ptr<QMenu> menu(p.view->CreateContextMenu(1, nullptr));
    ASSERT_TRUE(menu);
    std::vector<int> entries;
    for (QAction* a : menu->actions())
        if (!a->isSeparator())
            entries.push_back(a->data().toInt());
    EXPECT_NE(std::find(entries.begin(), entries.end(), EditorCommand::CellEnable), entries.end());
    EXPECT_EQ(std::find(entries.begin(), entries.end(), EditorCommand::CellDisable), entries.end());
    // A right click on a row that is not selected shows no menu.
    EXPECT_EQ(p.view->CreateContextMenu(0, nullptr), nullptr);
}

namespace {
// A progress that looks at the window at each step of an insertion.
class CWatchingProgress : public CScriptedProgress
{
public:
    void StepIt() override
    {
        CScriptedProgress::StepIt();
        if (!view)
            return;
        deleteEnabled = deleteEnabled || view->Action(EditorCommand::Delete)->isEnabled();
        busy = busy && view->IsBusy();
        closed = closed || view->close();
    }
    CScenarioView* view = nullptr;
    bool deleteEnabled = false;
    bool busy = true;
    bool closed = false;
};
} // namespace

TEST_F(ViewFixture, InsertionGreysCommandsAndRefusesToClose)
{
    ViewProject a(Folder("a"), {1, 2, 3});
    ViewProject b(Folder("b"), {10});
    CWatchingProgress watch;
    watch.view = b.view.get();
    b.view->SetProgress(&watch);
    a.Select({0, 1, 2});
    a.view->ExecuteCommand(EditorCommand::Copy);
    b.Select({0});
    ASSERT_TRUE(b.view->ExecuteCommand(EditorCommand::Paste));
    EXPECT_EQ(watch.steps, 3);
    EXPECT_TRUE(watch.busy);
    EXPECT_FALSE(watch.deleteEnabled);
    EXPECT_FALSE(watch.closed);
    EXPECT_TRUE(b.view->isVisible());
    EXPECT_FALSE(b.view->IsBusy());
    EXPECT_TRUE(b.view->Action(EditorCommand::Delete)->isEnabled());
    b.view->SetProgress(nullptr);
}

TEST_F(ViewFixture, DamagedOrForeignBlockInsertsNothing)
{
    ViewProject p(Folder("a"), {1, 2});
    QMimeData damaged;
    damaged.setData(QStringLiteral("CellInfo List"), QByteArray("\x03\x00garbage", 9));
    EXPECT_EQ(p.DropAt(&damaged, 0), Qt::IgnoreAction);
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2}));
    EXPECT_EQ(p.prompt.Ids(), (std::vector<int>{MsgId::InsertFailed}));

    // Text of another program is not taken at all.
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    EXPECT_EQ(p.DropAt(&text, 0), Qt::IgnoreAction);
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2}));
}

TEST_F(ViewFixture, InAFrameTheDropActivatesTheTargetAndTheSourceFrameStaysDuringTheDrag)
{
    ViewProject a(Folder("a"), {1, 2, 3});
    ViewProject b(Folder("b"), {10});
    QMdiArea area;
    QMdiSubWindow* frameA = area.addSubWindow(a.view.get());
    QMdiSubWindow* frameB = area.addSubWindow(b.view.get());
    area.resize(900, 900);
    area.show();
    frameA->show();
    frameB->show();
    area.setActiveSubWindow(frameA);

    a.Select({0});
    std::unique_ptr<QMimeData> data(a.view->BeginDrag());
    ASSERT_TRUE(data);
    EXPECT_FALSE(frameA->close()) << "a frame does not close under a drag";
    const Qt::DropAction taken = b.DropAt(data.get(), -1);
    a.view->FinishDrag(taken);
    EXPECT_EQ(area.activeSubWindow(), frameB);
    EXPECT_EQ(b.Rows(), (std::vector<int>{10, 1}));
    EXPECT_EQ(a.Rows(), (std::vector<int>{2, 3}));
    // The frames give the views back before the test ends.
    frameA->setWidget(nullptr);
    frameB->setWidget(nullptr);
    a.view->setParent(nullptr);
    b.view->setParent(nullptr);
}

TEST_F(ViewFixture, WithoutAProgressWindowOfTheFrameThePasteUsesTheViewsOwn)
{
    ViewProject a(Folder("a"), {1, 2});
    ViewProject b(Folder("b"), {10});
    b.view->SetProgress(nullptr);
    a.Select({0, 1});
    a.view->ExecuteCommand(EditorCommand::Copy);
    b.Select({});
    int shownDuring = 0;
    QTimer during;
    QObject::connect(&during, &QTimer::timeout, [&] {
        shownDuring =
            std::max(shownDuring, int(b.view->findChildren<CFileOpProgressDlg*>().size()));
    });
    during.start(0);
    ASSERT_TRUE(b.view->ExecuteCommand(EditorCommand::Paste));
    during.stop();
    EXPECT_EQ(b.Rows(), (std::vector<int>{10, 1, 2}));
    EXPECT_FALSE(b.view->IsBusy());
    EXPECT_EQ(shownDuring, 1);
    // Each insertion's window goes when it ends; none stays behind hidden.
    b.Select({});
    ASSERT_TRUE(b.view->ExecuteCommand(EditorCommand::Paste));
    EXPECT_TRUE(b.view->findChildren<CFileOpProgressDlg*>().isEmpty());
}
