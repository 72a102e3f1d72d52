// The undo steps on their own: each puts back what its command did, to the
// cells still in the list, and only to those.
#include "editor/cellvaluesstep.h"
#include "editor/deletedcellsstep.h"
#include "editor/editorcommands.h"
#include "editor/insertedcellsstep.h"
#include "editor/memoryclipboard.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <gtest/gtest.h>

namespace {

class UndoStepTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        image =
            static_cast<CCellBmpInfo*>(cells.GetAt(cells.Append(std::make_unique<CCellBmpInfo>())));
        control = static_cast<CCellCtrlInfo*>(
            cells.GetAt(cells.Append(std::make_unique<CCellCtrlInfo>())));
        other = static_cast<CCellCtrlInfo*>(
            cells.GetAt(cells.Append(std::make_unique<CCellCtrlInfo>())));
    }
    CCellInfoList cells;
    CCellBmpInfo* image = nullptr;
    CCellCtrlInfo* control = nullptr;
    CCellCtrlInfo* other = nullptr;
};

TEST_F(UndoStepTest, ValuesStepPutsBackEveryValueOfTheRememberedCells)
{
    image->AutoIntervalSec = 7;
    image->MotionType = 1;
    image->Effect = 3;
    image->Disolve[4] = 9;
    control->InputDev = 2;
    control->CellValid = 0;
    CCellValuesStep step(EditorCommand::CellPropertiesMulti);
    step.Remember(image);
    step.Remember(control);
    EXPECT_EQ(step.Code(), EditorCommand::CellPropertiesMulti);
    EXPECT_EQ(step.Count(), 2);
    EXPECT_TRUE(image->StateFlags & CCellInfo::StateUndo);
    EXPECT_FALSE(other->StateFlags & CCellInfo::StateUndo);

    image->AutoIntervalSec = 30, image->MotionType = 0, image->Effect = 5, image->Disolve[4] = 1;
    control->InputDev = 0, control->CellValid = 1;
    other->CellValid = 0; // not remembered: stays as it is
    EXPECT_FALSE(step.Undo(cells, nullptr));
    EXPECT_EQ(image->AutoIntervalSec, 7);
    EXPECT_EQ(image->MotionType, 1);
    EXPECT_EQ(image->Effect, 3);
    EXPECT_EQ(image->Disolve[4], 9);
    EXPECT_EQ(control->InputDev, 2);
    EXPECT_EQ(control->CellValid, 0);
    EXPECT_EQ(other->CellValid, 0);
}

TEST_F(UndoStepTest, ValuesStepLeavesCellsThatLeftTheListOrLostTheirMark)
{
    CCellValuesStep step(EditorCommand::CellDisable);
    step.Remember(image);
    step.Remember(control);
    image->CellValid = 0;
    control->CellValid = 0;
    // The image cell leaves the list (its memory is ours now); the control
    // cell loses its mark.
    std::unique_ptr<CCellInfo> gone = cells.RemoveAt(0);
    control->StateFlags &= ~uint32_t(CCellInfo::StateUndo);
    step.Undo(cells, nullptr);
    EXPECT_EQ(gone->CellValid, 0);
    EXPECT_EQ(control->CellValid, 0);
}

TEST_F(UndoStepTest, FlaggingStepsWorkOnMarkedCellsOnly)
{
    CMemoryClipboard clipboard;
    struct Case
    {
        const char* name;
        std::unique_ptr<CUndoStep> step;
        uint32_t before;
        uint32_t after;
        bool clipboardKept;
    };
    Case cases[] = {
        {"insert", std::make_unique<CInsertedCellsStep>(EditorCommand::Paste),
         CCellInfo::StateAdded, CCellInfo::StateAdded | CCellInfo::StateDeleted, true},
        {"delete", std::make_unique<CDeletedCellsStep>(EditorCommand::Delete, false),
         CCellInfo::StateDeleted, 0, true},
        {"cut", std::make_unique<CDeletedCellsStep>(EditorCommand::Cut, true),
         CCellInfo::StateDeleted, 0, false},
    };
    for (Case& c : cases) {
        SCOPED_TRACE(c.name);
        clipboard.SetData(CCellInfoList::ClipFormat, QByteArray("cells"));
        image->StateFlags = c.before | CCellInfo::StateUndo;
        other->StateFlags = c.before;
        EXPECT_TRUE(c.step->Undo(cells, &clipboard));
        EXPECT_EQ(image->StateFlags & ~uint32_t(CCellInfo::StateUndo), c.after);
        EXPECT_EQ(other->StateFlags, c.before);
        EXPECT_EQ(clipboard.HasFormat(CCellInfoList::ClipFormat), c.clipboardKept);
    }
}

} // namespace
