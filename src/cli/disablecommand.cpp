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
    CCliRowsEdit edit(args);
    if (const int status = edit.Open(kDisable, args, prompt); status != ExitDone)
        return status;
    CScenarioEditor& editor = *edit.editor;
    CZurDoc& doc = edit.doc;
    editor.EnableDisable(EditorCommand::CellDisable);
    return CliSaveIfModified(doc, prompt);
}

const CCliCommandRegistrar registrar(kDisable);

} // namespace
