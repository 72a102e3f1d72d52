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
    CTerminalProgress progress(args.quiet);
    CZurDoc doc;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress))
        return prompt.FailureStatus();
    CScenarioEditor editor(doc);
    std::vector<int> rows;
    std::string error;
    if (!CliParseRows(args.positional[1], editor.Rows().GetCount(), rows, error))
        return CliUsage(kMove, error);
    int dropRow = -1; // below the last row
    if (args.Value("to") != "end") {
        int to = 0;
        if (!CliParseRow(args.Value("to"), editor.Rows().GetCount(), to, error))
            return CliUsage(kMove, error);
        dropRow = to - 1;
    }
    CliSelectRows(editor, rows);
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
