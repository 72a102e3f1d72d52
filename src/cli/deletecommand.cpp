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
    CCliRowsEdit edit(args);
    if (const int status = edit.Open(kDelete, args, prompt); status != ExitDone)
        return status;
    CScenarioEditor& editor = *edit.editor;
    CZurDoc& doc = edit.doc;
    editor.Delete();
    return CliSaveIfModified(doc, prompt);
}

const CCliCommandRegistrar registrar(kDelete);

} // namespace
