#pragma once

#include <map>

// The command numbers of a project window (the undo code of an edit is its
// command number) and the enabling rules of its menu, toolbar and context
// menu as pure functions of the window's state.
namespace EditorCommand {
constexpr int Copy = 57634;
constexpr int Cut = 57635;
constexpr int Delete = 57632;
constexpr int Paste = 57637;
constexpr int SelectAll = 57642;
constexpr int Undo = 57643;
constexpr int CellDisable = 32777;
constexpr int CellProperties = 32778;
constexpr int CellEnable = 32779;
constexpr int CellEffect = 32781;
constexpr int CellInsertControl = 32782;
constexpr int CellPropertiesMulti = 32785;
} // namespace EditorCommand

enum class CommandState
{
    Enabled,
    Grayed,
    Removed
};

// What the enabling rules look at.
struct CEditorState
{
    int rowCount = 0;
    int selectedCount = 0;
    bool anySelectedEnabled = false;  // some selected cell has CellValid != 0
    bool anySelectedDisabled = false; // some selected cell has CellValid == 0
    bool singleImage = false;         // exactly one row selected, an image cell
    bool clipboardHasCells = false;   // either transfer format is offered
    int undoCode = 0;
    bool busy = false; // a long operation runs on the project
};

// The context menu to show: `show` is false when the click fell on a row
// that is not selected.
struct CContextMenuState
{
    bool show = true;
    std::map<int, CommandState> items;
};

class CEditorCommands
{
public:
    // Menu and toolbar: Enabled or Grayed (commands are never removed there).
    static CommandState StateOf(int command, const CEditorState& state);
    // The context menu for a click on `hitRow` (-1: below the rows), which
    // is selected or not. Without a row hit the selection does not count.
    static CContextMenuState ContextMenu(int hitRow, bool hitRowSelected,
                                         const CEditorState& state);
};
