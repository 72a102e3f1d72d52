// zelm disable: switches the cells of ROWS off, as the Disable command does.
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/editorcommands.h"
#include "editor/scenarioeditor.h"

namespace {

int runDisable(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kDisable = {
    "disable",
    "disable PROJECT.sic ROWS",
    "Switches the cells of ROWS off; cells that are off already stay as they are.",
    {},
    {},
    runDisable,
};

int runDisable(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kDisable, "disable takes a PROJECT.sic and ROWS");
    CTerminalProgress progress(args.quiet);
    CZurDoc doc;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress))
        return prompt.FailureStatus();
    CScenarioEditor editor(doc);
    std::vector<int> rows;
    std::string error;
    if (!CliParseRows(args.positional[1], editor.Rows().GetCount(), rows, error))
        return CliUsage(kDisable, error);
    CliSelectRows(editor, rows);
    editor.EnableDisable(EditorCommand::CellDisable);
    return CliSaveIfModified(doc, prompt);
}

const CCliCommandRegistrar registrar(kDisable);

} // namespace
