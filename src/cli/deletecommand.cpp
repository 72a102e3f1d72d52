// zelm delete: deletes the cells of ROWS, as the Delete command does; the
// save removes their files.
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"

namespace {

int runDelete(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kDelete = {
    "delete",
    "delete PROJECT.sic ROWS",
    "Deletes the cells of ROWS; their files leave the project folder with the save.",
    {},
    {},
    runDelete,
};

int runDelete(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kDelete, "delete takes a PROJECT.sic and ROWS");
    CTerminalProgress progress(args.quiet);
    CZurDoc doc;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress))
        return prompt.FailureStatus();
    CScenarioEditor editor(doc);
    std::vector<int> rows;
    std::string error;
    if (!CliParseRows(args.positional[1], editor.Rows().GetCount(), rows, error))
        return CliUsage(kDelete, error);
    CliSelectRows(editor, rows);
    editor.Delete();
    return CliSaveIfModified(doc, prompt);
}

const CCliCommandRegistrar registrar(kDelete);

} // namespace
