#include "editor/editorcommands.h"

#include <gtest/gtest.h>

namespace {

using State = CommandState;
namespace cmd = EditorCommand;

CEditorState Selection(int count, bool enabled, bool disabled, bool singleImage = false)
{
    CEditorState s;
    s.rowCount = 5;
    s.selectedCount = count;
    s.anySelectedEnabled = enabled;
    s.anySelectedDisabled = disabled;
    s.singleImage = singleImage;
    return s;
}

TEST(EditorCommandsTest, MenuEnablingRules)
{
    struct Case
    {
        const char* what;
        CEditorState state;
        int command;
        State expected;
    };
    CEditorState paste2 = Selection(2, true, false);
    paste2.clipboardHasCells = true;
    CEditorState paste1 = Selection(1, true, false);
    paste1.clipboardHasCells = true;
    CEditorState undo = Selection(0, false, false);
    undo.undoCode = cmd::Delete;
    CEditorState empty;
    const Case cases[] = {
        {"copy without selection", Selection(0, false, false), cmd::Copy, State::Grayed},
        {"copy with selection", Selection(2, true, false), cmd::Copy, State::Enabled},
        {"cut with selection", Selection(1, true, false), cmd::Cut, State::Enabled},
        {"delete without selection", Selection(0, false, false), cmd::Delete, State::Grayed},
        {"disable with selection", Selection(1, false, true), cmd::CellDisable, State::Enabled},
        {"enable always", Selection(0, false, false), cmd::CellEnable, State::Enabled},
        {"properties", Selection(3, true, true), cmd::CellProperties, State::Enabled},
        {"paste with two rows", paste2, cmd::Paste, State::Grayed},
        {"paste with one row", paste1, cmd::Paste, State::Enabled},
        {"paste with empty clipboard", Selection(1, true, false), cmd::Paste, State::Grayed},
        {"effect on one image", Selection(1, true, false, true), cmd::CellEffect, State::Enabled},
        {"effect on a control cell", Selection(1, true, false, false), cmd::CellEffect,
         State::Grayed},
        {"undo with a pending step", undo, cmd::Undo, State::Enabled},
        {"undo with nothing", Selection(0, false, false), cmd::Undo, State::Grayed},
        {"select all with rows", Selection(0, false, false), cmd::SelectAll, State::Enabled},
        {"select all without rows", empty, cmd::SelectAll, State::Grayed},
        {"insert control always", empty, cmd::CellInsertControl, State::Enabled},
        {"unknown command", empty, 12345, State::Grayed},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CEditorCommands::StateOf(c.command, c.state), c.expected) << c.what;
}

TEST(EditorCommandsTest, ContextMenuOnUnselectedRowShowsNothing)
{
    EXPECT_FALSE(CEditorCommands::ContextMenu(2, false, Selection(1, true, false)).show);
    EXPECT_TRUE(CEditorCommands::ContextMenu(2, true, Selection(1, true, false)).show);
    EXPECT_TRUE(CEditorCommands::ContextMenu(-1, false, Selection(1, true, false)).show);
}

TEST(EditorCommandsTest, ContextMenuEnableDisableRules)
{
    struct Case
    {
        const char* what;
        bool enabled, disabled;
        State enable, disable;
    };
    const Case cases[] = {
        {"only enabled cells", true, false, State::Removed, State::Enabled},
        {"only disabled cells", false, true, State::Enabled, State::Removed},
        {"mixed", true, true, State::Enabled, State::Enabled},
    };
    for (const Case& c : cases) {
        const auto menu =
            CEditorCommands::ContextMenu(0, true, Selection(2, c.enabled, c.disabled));
        EXPECT_EQ(menu.items.at(cmd::CellEnable), c.enable) << c.what;
        EXPECT_EQ(menu.items.at(cmd::CellDisable), c.disable) << c.what;
    }
}

TEST(EditorCommandsTest, ContextMenuBelowTheRows)
{
    CEditorState s = Selection(2, true, true);
    s.clipboardHasCells = true;
    const auto menu = CEditorCommands::ContextMenu(-1, false, s);
    for (int id : {cmd::Cut, cmd::Copy, cmd::Delete, cmd::CellProperties, cmd::CellEffect})
        EXPECT_EQ(menu.items.at(id), State::Grayed) << id;
    EXPECT_EQ(menu.items.at(cmd::CellEnable), State::Removed);
    EXPECT_EQ(menu.items.at(cmd::CellDisable), State::Grayed);
    EXPECT_EQ(menu.items.at(cmd::Paste), State::Grayed) << "two rows are still selected";
    EXPECT_EQ(menu.items.at(cmd::CellInsertControl), State::Enabled);
}

TEST(EditorCommandsTest, ContextMenuPasteAndEffect)
{
    CEditorState one = Selection(1, true, false, true);
    one.clipboardHasCells = true;
    auto menu = CEditorCommands::ContextMenu(0, true, one);
    EXPECT_EQ(menu.items.at(cmd::Paste), State::Enabled);
    EXPECT_EQ(menu.items.at(cmd::CellEffect), State::Enabled);
    CEditorState two = Selection(2, true, false);
    two.clipboardHasCells = true;
    menu = CEditorCommands::ContextMenu(1, true, two);
    EXPECT_EQ(menu.items.at(cmd::Paste), State::Grayed);
    EXPECT_EQ(menu.items.at(cmd::CellEffect), State::Grayed);
    EXPECT_EQ(menu.items.at(cmd::Cut), State::Enabled);
}

} // namespace
