#include "editor/editorcommands.h"

CommandState CEditorCommands::StateOf(int command, const CEditorState& s)
{
    using namespace EditorCommand;
    bool on = false;
    switch (command) {
    case Copy:
    case Cut:
    case Delete:
    case CellDisable:
    case CellProperties:
        on = s.selectedCount > 0;
        break;
    case Paste:
        on = s.clipboardHasCells && s.selectedCount <= 1;
        break;
    case SelectAll:
        on = s.rowCount > 0;
        break;
    case Undo:
        on = s.undoCode != 0;
        break;
    case CellEnable:
    case CellInsertControl:
        on = true;
        break;
    case CellEffect:
        on = s.singleImage;
        break;
    default:
        on = false;
        break;
    }
    // While the project is busy only what leaves it as it is stays enabled.
    if (s.busy && command != Copy && command != SelectAll)
        on = false;
    return on ? CommandState::Enabled : CommandState::Grayed;
}

CContextMenuState CEditorCommands::ContextMenu(int hitRow, bool hitRowSelected,
                                               const CEditorState& state)
{
    using namespace EditorCommand;
    CContextMenuState menu;
    if (hitRow >= 0 && !hitRowSelected) {
        menu.show = false;
        return menu;
    }
    // Below the rows the selection is not taken: the menu acts on no cells.
    CEditorState s = state;
    if (hitRow < 0) {
        s.selectedCount = 0;
        s.anySelectedEnabled = s.anySelectedDisabled = s.singleImage = false;
    }
    const bool selection = s.selectedCount > 0;
    const auto enabledIf = [](bool on) {
        return on ? CommandState::Enabled : CommandState::Grayed;
    };
    menu.items[Cut] = enabledIf(selection);
    menu.items[Copy] = enabledIf(selection);
    menu.items[Delete] = enabledIf(selection);
    menu.items[CellProperties] = enabledIf(selection);
    // Paste looks at the real selection: with several rows selected it would
    // do nothing, so it is grayed also when the click fell below the rows.
    menu.items[Paste] = enabledIf(state.clipboardHasCells && state.selectedCount <= 1);
    menu.items[CellEnable] = s.anySelectedDisabled ? CommandState::Enabled : CommandState::Removed;
    if (s.anySelectedEnabled)
        menu.items[CellDisable] = CommandState::Enabled;
    else
        menu.items[CellDisable] =
            s.anySelectedDisabled ? CommandState::Removed : CommandState::Grayed;
    menu.items[CellEffect] = enabledIf(s.singleImage);
    menu.items[CellInsertControl] = CommandState::Enabled;
    return menu;
}
