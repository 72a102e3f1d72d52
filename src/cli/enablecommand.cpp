// zelm enable: switches the cells of ROWS on, as the Enable command does.
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/editorcommands.h"
#include "editor/scenarioeditor.h"

namespace {

int runEnable(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kEnable = {
    "enable",
    "enable PROJECT.sic ROWS",
    "Switches the cells of ROWS on; cells that are on already stay as they are.",
    {},
    {},
    runEnable,
};

int runEnable(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kEnable, "enable takes a PROJECT.sic and ROWS");
    CCliRowsEdit edit(args);
    if (const int status = edit.Open(kEnable, args, prompt); status != ExitDone)
        return status;
    CScenarioEditor& editor = *edit.editor;
    CZurDoc& doc = edit.doc;
    editor.EnableDisable(EditorCommand::CellEnable);
    return CliSaveIfModified(doc, prompt);
}

const CCliCommandRegistrar registrar(kEnable);

} // namespace
