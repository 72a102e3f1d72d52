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
    CTerminalProgress progress(args.quiet);
    CZurDoc doc;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress))
        return prompt.FailureStatus();
    CScenarioEditor editor(doc);
    std::vector<int> rows;
    std::string error;
    if (!CliParseRows(args.positional[1], editor.Rows().GetCount(), rows, error))
        return CliUsage(kEnable, error);
    CliSelectRows(editor, rows);
    editor.EnableDisable(EditorCommand::CellEnable);
    return CliSaveIfModified(doc, prompt);
}

const CCliCommandRegistrar registrar(kEnable);

} // namespace
