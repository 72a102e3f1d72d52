#include "editorfixture.h"

namespace {

namespace cmd = EditorCommand;
constexpr uint32_t kUndo = CCellInfo::StateUndo;

using ScenarioEditorTest = EditorFixture;

TEST_F(ScenarioEditorTest, RowsShowTheVisibleCellsInOrder)
{
    Open({1, 2, 3});
    doc->Cells.GetAt(1)->StateFlags |= CCellInfo::StateDeleted;
    editor->UpdateAllViews();
    EXPECT_EQ(Rows(), (std::vector<int>{1, 3}));
    Select({0});
    editor->UpdateAllViews();
    EXPECT_EQ(editor->Rows().SelectedCount(), 0) << "an update loses the selection";
}

TEST_F(ScenarioEditorTest, DeleteRows235AndUndo)
{
    Open({1, 2, 3, 4, 5});
    Select({1, 2, 4});
    editor->Delete();
    EXPECT_EQ(Rows(), (std::vector<int>{1, 4}));
    EXPECT_EQ(editor->UndoCode(), cmd::Delete);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_EQ(doc->Cells.GetCount(), 5) << "deleted cells stay in the list";
    for (int i : {1, 2, 4})
        EXPECT_EQ(doc->Cells.GetAt(i)->StateFlags & 0x14u, 0x14u);
    doc->SetModifiedFlag(false);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(editor->UndoCode(), 0);
    EXPECT_FALSE(doc->IsModified()) << "undo does not mark the document modified";
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(doc->Cells.GetAt(i)->StateFlags, 0u);
    EXPECT_FALSE(editor->Undo()) << "there is no second undo";
}

TEST_F(ScenarioEditorTest, DeleteWithoutSelectionRecordsNothing)
{
    Open({1, 2});
    Select({0});
    editor->EnableDisable(cmd::CellDisable);
    Select({});
    editor->Delete();
    EXPECT_EQ(editor->UndoCode(), 0) << "the earlier step is forgotten as well";
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2}));
}

TEST_F(ScenarioEditorTest, DisableMixedSelectionAndUndo)
{
    Open({1, 2, 3, 4});
    doc->Cells.GetAt(1)->CellValid = 0;
    Select({0, 1, 2});
    ASSERT_TRUE(editor->EnableDisable(cmd::CellDisable));
    EXPECT_EQ(doc->Cells.GetAt(0)->CellValid, 0);
    EXPECT_EQ(doc->Cells.GetAt(2)->CellValid, 0);
    EXPECT_EQ(doc->Cells.GetAt(1)->StateFlags, 0u) << "an already disabled cell is untouched";
    EXPECT_EQ(doc->Cells.GetAt(0)->StateFlags, 0x12u);
    EXPECT_EQ(doc->Cells.GetAt(3)->CellValid, 1);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(doc->Cells.GetAt(0)->CellValid, 1);
    EXPECT_EQ(doc->Cells.GetAt(2)->CellValid, 1);
    EXPECT_EQ(doc->Cells.GetAt(1)->CellValid, 0) << "undo re-enables exactly the changed cells";
    EXPECT_EQ(doc->Cells.GetAt(0)->StateFlags & kUndo, 0u);
}

TEST_F(ScenarioEditorTest, EnableAndUndo)
{
    Open({1, 2, 3});
    doc->Cells.GetAt(0)->CellValid = 0;
    doc->Cells.GetAt(2)->CellValid = 0;
    Select({0, 1});
    ASSERT_TRUE(editor->EnableDisable(cmd::CellEnable));
    EXPECT_EQ(editor->UndoCode(), cmd::CellEnable);
    EXPECT_EQ(doc->Cells.GetAt(0)->CellValid, 1);
    EXPECT_EQ(doc->Cells.GetAt(2)->CellValid, 0) << "not selected";
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(doc->Cells.GetAt(0)->CellValid, 0);
    EXPECT_EQ(doc->Cells.GetAt(1)->CellValid, 1);
    Select({});
    EXPECT_FALSE(editor->EnableDisable(cmd::CellEnable)) << "not handled without a selection";
}

TEST_F(ScenarioEditorTest, SinglePropertiesOfAnImageCellAndUndo)
{
    Open({1, 2}, {2});
    auto* image = static_cast<CCellBmpInfo*>(doc->Cells.GetAt(1));
    image->RefFilePath = "/pictures/beach.jpg";
    image->RefPage = 1;
    image->Effect = 50;
    Select({1});
    dialogs.cellAnswer = [](CCellPropData& d) {
        d.motion = 1;
        d.interval = 12;
        d.valid = 0;
        d.effect = 7;
    };
    ASSERT_TRUE(editor->Properties());
    EXPECT_EQ(dialogs.shownCell.number, 2);
    EXPECT_EQ(dialogs.shownCell.name, "/pictures/beach.jpg");
    EXPECT_EQ(dialogs.shownCell.page, 1);
    EXPECT_EQ(dialogs.shownCell.effect, 0) << "effect 50 opens as 0";
    EXPECT_FALSE(dialogs.shownCell.multiple);
    EXPECT_EQ(image->MotionType, 1);
    EXPECT_EQ(image->AutoIntervalSec, 12);
    EXPECT_EQ(image->CellValid, 0);
    EXPECT_EQ(image->Effect, 7);
    EXPECT_EQ(image->StateFlags, 0x12u);
    EXPECT_EQ(editor->UndoCode(), cmd::CellProperties);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(image->MotionType, 0);
    EXPECT_EQ(image->AutoIntervalSec, 2);
    EXPECT_EQ(image->CellValid, 1);
    EXPECT_EQ(image->Effect, 50);
    EXPECT_EQ(image->StateFlags & kUndo, 0u);
}

TEST_F(ScenarioEditorTest, SinglePropertiesWithoutChangeRecordNothing)
{
    Open({1, 2});
    Select({0});
    dialogs.ctrlAnswer = [](CCtrlPropData& d) { d.interval = 99; }; // motion stays 0
    ASSERT_TRUE(editor->Properties());
    EXPECT_EQ(editor->UndoCode(), 0) << "the interval does not count without motion";
    EXPECT_EQ(doc->Cells.GetAt(0)->AutoIntervalSec, 1);
    EXPECT_FALSE(doc->IsModified());
    dialogs.cancel = true;
    dialogs.ctrlAnswer = [](CCtrlPropData& d) { d.valid = 0; };
    EXPECT_FALSE(editor->Properties());
    EXPECT_EQ(doc->Cells.GetAt(0)->CellValid, 1) << "cancel writes nothing back";
}

TEST_F(ScenarioEditorTest, SinglePropertiesOfAControlCellAndUndo)
{
    Open({1});
    auto* control = static_cast<CCellCtrlInfo*>(doc->Cells.GetAt(0));
    control->InputDev = 2;
    Select({0});
    dialogs.ctrlAnswer = [](CCtrlPropData& d) { d.inputDev = 1; };
    ASSERT_TRUE(editor->Properties());
    EXPECT_EQ(dialogs.shownCtrl.inputDev, 2);
    EXPECT_EQ(dialogs.shownCtrl.number, 1);
    EXPECT_EQ(control->InputDev, 1);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(control->InputDev, 2);
}

TEST_F(ScenarioEditorTest, MultiplePropertiesKeepEachCellsInterval)
{
    Open({10, 20, 30, 40}, {20, 40});
    doc->Cells.GetAt(1)->MotionType = 1;
    static_cast<CCellBmpInfo*>(doc->Cells.GetAt(1))->Effect = 4;
    static_cast<CCellBmpInfo*>(doc->Cells.GetAt(3))->Effect = 5;
    Select({0, 1, 2});
    dialogs.cellAnswer = [](CCellPropData& d) { d.motion = 1; }; // interval left at 0
    ASSERT_TRUE(editor->Properties());
    const CCellPropData& shown = dialogs.shownCell;
    EXPECT_TRUE(shown.multiple);
    EXPECT_EQ(shown.interval, 0) << "the intervals differ";
    EXPECT_EQ(shown.motion, -1);
    EXPECT_EQ(shown.validMulti, 1);
    EXPECT_TRUE(shown.hasImageCells);
    EXPECT_EQ(shown.effect, 4) << "over the image cells only";
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(doc->Cells.GetAt(i)->MotionType, 1);
        EXPECT_EQ(doc->Cells.GetAt(i)->AutoIntervalSec, (i + 1) * 10);
    }
    EXPECT_EQ(doc->Cells.GetAt(1)->StateFlags, 0u) << "it had motion 1 already";
    EXPECT_EQ(doc->Cells.GetAt(0)->StateFlags, 0x12u);
    EXPECT_EQ(editor->UndoCode(), cmd::CellPropertiesMulti);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(doc->Cells.GetAt(0)->MotionType, 0);
    EXPECT_EQ(doc->Cells.GetAt(1)->MotionType, 1);
    EXPECT_EQ(doc->Cells.GetAt(2)->MotionType, 0);
    EXPECT_EQ(doc->Cells.GetAt(0)->StateFlags & kUndo, 0u);
}

TEST_F(ScenarioEditorTest, MultiplePropertiesValidAndEffect)
{
    Open({10, 20, 30}, {10, 20});
    doc->Cells.GetAt(0)->CellValid = 0;
    static_cast<CCellBmpInfo*>(doc->Cells.GetAt(0))->Effect = 3;
    static_cast<CCellBmpInfo*>(doc->Cells.GetAt(1))->Effect = 9;
    Select({0, 1, 2});
    dialogs.cellAnswer = [](CCellPropData& d) {
        d.validMulti = 1;
        d.effect = 9;
    };
    ASSERT_TRUE(editor->Properties());
    EXPECT_EQ(dialogs.shownCell.validMulti, 2) << "mixed switches";
    EXPECT_EQ(dialogs.shownCell.effect, -1) << "different effects";
    EXPECT_EQ(doc->Cells.GetAt(0)->CellValid, 1);
    EXPECT_EQ(static_cast<CCellBmpInfo*>(doc->Cells.GetAt(0))->Effect, 9);
    EXPECT_EQ(doc->Cells.GetAt(1)->StateFlags, 0u) << "nothing changed for the second cell";
    EXPECT_EQ(doc->Cells.GetAt(2)->StateFlags, 0u) << "a control cell takes no effect";
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(doc->Cells.GetAt(0)->CellValid, 0);
    EXPECT_EQ(static_cast<CCellBmpInfo*>(doc->Cells.GetAt(0))->Effect, 3);
}

TEST_F(ScenarioEditorTest, MultipleSelectionOfControlCellsHasNoEffect)
{
    Open({10, 10});
    Select({0, 1});
    ASSERT_TRUE(editor->Properties());
    EXPECT_FALSE(dialogs.shownCell.hasImageCells);
    EXPECT_EQ(dialogs.shownCell.effect, -2);
    EXPECT_EQ(dialogs.shownCell.interval, 10);
    EXPECT_EQ(dialogs.shownCell.initialInterval, 10);
    EXPECT_EQ(editor->UndoCode(), 0) << "no change, no undo";
}

TEST_F(ScenarioEditorTest, EffectOfOneImageCellAndUndo)
{
    Open({1, 2}, {1});
    auto* image = static_cast<CCellBmpInfo*>(doc->Cells.GetAt(0));
    image->Disolve = {6, 3, 0, 1, 2, 0, 0, 0, 4, 20, 0};
    const auto before = image->Disolve;
    Select({1});
    EXPECT_EQ(editor->StateOf(cmd::CellEffect), CommandState::Grayed) << "a control cell";
    EXPECT_FALSE(editor->Effect());
    Select({0, 1});
    EXPECT_FALSE(editor->Effect()) << "several rows";
    Select({0});
    dialogs.effectAnswer = [](CEffectData& d) { d.disolve[9] = 100; };
    ASSERT_TRUE(editor->Effect());
    EXPECT_EQ(dialogs.shownEffect.disolve, before);
    EXPECT_EQ(image->Disolve[9], 100);
    EXPECT_EQ(image->StateFlags, 0x12u);
    EXPECT_EQ(editor->UndoCode(), cmd::CellEffect);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(image->Disolve, before);
}

TEST_F(ScenarioEditorTest, InsertControlCellRulesAndUndo)
{
    Open({1, 2, 3});
    Select({1, 2});
    EXPECT_FALSE(editor->InsertControlCell()) << "two rows selected: nothing";
    EXPECT_EQ(editor->Rows().GetCount(), 3);

    Select({1});
    ASSERT_TRUE(editor->InsertControlCell());
    ASSERT_EQ(editor->Rows().GetCount(), 4);
    CCellInfo* inserted = CellOfRow(1);
    EXPECT_EQ(inserted->CellType, CCellInfo::Type::Control);
    EXPECT_EQ(inserted->StateFlags, 0x11u);
    EXPECT_EQ(doc->Cells.IndexOf(inserted), 1) << "before the selected row's cell";
    EXPECT_EQ(editor->Rows().SelectedRows(), (std::vector<int>{1}));
    EXPECT_EQ(editor->Rows().FocusRow(), 1) << "the keys go on from the new step";
    EXPECT_EQ(editor->InsertionIndex(), -1);
    EXPECT_EQ(editor->UndoCode(), cmd::CellInsertControl);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2, 3}));
    EXPECT_FALSE(inserted->IsVisible());

    Select({});
    ASSERT_TRUE(editor->InsertControlCell());
    EXPECT_EQ(CellOfRow(3)->CellType, CCellInfo::Type::Control)
        << "without a selection it goes to the end";
    EXPECT_EQ(editor->Rows().SelectedRows(), (std::vector<int>{3}));
}

TEST_F(ScenarioEditorTest, InsertControlCellAtContextMenuRow)
{
    Open({1, 2, 3});
    Select({0, 2});
    const CContextMenuState menu = editor->ContextMenu(2);
    ASSERT_TRUE(menu.show);
    EXPECT_EQ(editor->InsertionIndex(), 2);
    ASSERT_TRUE(editor->InsertControlCell());
    EXPECT_EQ(CellOfRow(2)->CellType, CCellInfo::Type::Control);
    EXPECT_EQ(CellOfRow(3)->AutoIntervalSec, 3);
}

TEST_F(ScenarioEditorTest, ContextMenuOnUnselectedRow)
{
    Open({1, 2, 3});
    Select({0});
    EXPECT_FALSE(editor->ContextMenu(1).show);
    EXPECT_EQ(editor->InsertionIndex(), -1);
    const CContextMenuState below = editor->ContextMenu(-1);
    EXPECT_TRUE(below.show);
    EXPECT_EQ(below.items.at(cmd::Copy), CommandState::Grayed);
}

TEST_F(ScenarioEditorTest, SelectAllAndExecuteRespectsEnabling)
{
    Open({1, 2, 3});
    EXPECT_FALSE(editor->Execute(cmd::Delete)) << "grayed without a selection";
    EXPECT_TRUE(editor->Execute(cmd::SelectAll));
    EXPECT_EQ(editor->Rows().SelectedCount(), 3);
    EXPECT_TRUE(editor->Execute(cmd::Delete));
    EXPECT_EQ(editor->Rows().GetCount(), 0);
    EXPECT_TRUE(editor->Execute(cmd::Undo));
    EXPECT_EQ(editor->Rows().GetCount(), 3);
    EXPECT_FALSE(editor->Execute(cmd::Undo));
}

TEST_F(ScenarioEditorTest, ClearUndoFromTheDocument)
{
    Open({1, 2});
    Select({0});
    editor->Delete();
    ASSERT_EQ(editor->UndoCode(), cmd::Delete);
    ASSERT_EQ(doc->Observer(), editor.get());
    doc->Observer()->ClearUndo();
    EXPECT_EQ(editor->UndoCode(), 0);
    EXPECT_EQ(doc->Cells.GetAt(0)->StateFlags, uint32_t(CCellInfo::StateDeleted))
        << "the mark goes, the deletion stays";
    EXPECT_EQ(editor->StateOf(cmd::Undo), CommandState::Grayed);
}

TEST_F(ScenarioEditorTest, UndoOfPropertiesAfterTheListWasEmptied)
{
    Open({1});
    Select({0});
    dialogs.ctrlAnswer = [](CCtrlPropData& d) { d.valid = 0; };
    ASSERT_TRUE(editor->Properties());
    doc->Cells.DeleteAll();
    editor->UpdateAllViews();
    EXPECT_TRUE(editor->Undo()) << "nothing to restore, and no cell that is gone is touched";
    EXPECT_EQ(editor->UndoCode(), 0);
}

} // namespace
