// zelm move: the rows dragged within the project window and dropped on a row
// (or below the last row).
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/celldragsession.h"
#include "editor/memoryclipboard.h"
#include "editor/scenarioeditor.h"

namespace {

int runMove(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kMove = {
    "move",
    "move PROJECT.sic ROWS --to ROW|end",
    "Moves the cells of ROWS as dragging them onto ROW does: dragged down they\n"
    "land after the row under the drop, dragged up before it; 'end' drops them\n"
    "below the last row.",
    {"to"},
    {},
    runMove,
};

int runMove(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kMove, "move takes a PROJECT.sic and ROWS");
    if (!args.Has("to"))
        return CliUsage(kMove, "--to ROW or --to end is required");
    if (args.Value("to") != "end") {
        if (const int early = CliCheckRowsEarly(kMove, args.positional[0], args.Value("to"), true);
            early != ExitDone)
            return early;
    }
    CCliRowsEdit edit(args);
    if (const int status = edit.Open(kMove, args, prompt); status != ExitDone)
        return status;
    CScenarioEditor& editor = *edit.editor;
    CZurDoc& doc = edit.doc;
    std::string error;
    int dropRow = -1; // below the last row
    if (args.Value("to") != "end") {
        int to = 0;
        if (!CliParseRow(args.Value("to"), editor.Rows().GetCount(), to, error))
            return CliUsage(kMove, error);
        dropRow = to - 1;
    }
    CCellDragSession session;
    CMemoryClipboard dragData;
    const QByteArray bytes = editor.BeginDrag(session);
    if (bytes.isEmpty())
        return prompt.FailureStatus();
    dragData.SetData(CCellInfoList::ClipFormat, bytes);
    if (!editor.Drop(dragData, CScenarioEditor::DropMove, dropRow, &session))
        return prompt.FailureStatus();
    editor.EndDrag(CScenarioEditor::DropMove, session);
    return CliSaveIfModified(doc, prompt);
}

const CCliCommandRegistrar registrar(kMove);

} // namespace
