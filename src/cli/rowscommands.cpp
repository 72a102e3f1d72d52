// zelm enable, disable and delete: one editing command on the cells of
// ROWS, as the window's Enable, Disable and Delete commands do; then the
// project is saved (the save removes the files of deleted cells).
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/editorcommands.h"
#include "editor/scenarioeditor.h"

#include <cstddef>
#include <string>

namespace {

struct RowsCommand
{
    const char* name;
    const char* help;
    void (*apply)(CScenarioEditor& editor);
};

const RowsCommand kRowsCommands[] = {
    {"enable", "Switches the cells of ROWS on; cells that are on already stay as they are.",
     [](CScenarioEditor& editor) { editor.EnableDisable(EditorCommand::CellEnable); }},
    {"disable", "Switches the cells of ROWS off; cells that are off already stay as they are.",
     [](CScenarioEditor& editor) { editor.EnableDisable(EditorCommand::CellDisable); }},
    {"delete", "Deletes the cells of ROWS; their files leave the project folder with the save.",
     [](CScenarioEditor& editor) { editor.Delete(); }},
};

template <size_t Index> int runRows(const CCliArgs& args, CCliPrompt& prompt);

CCliCommand makeCommand(const RowsCommand& rows, int (*run)(const CCliArgs&, CCliPrompt&))
{
    return {rows.name, std::string(rows.name) + " PROJECT.sic ROWS", rows.help, {}, {}, run};
}

const CCliCommand kCommands[] = {
    makeCommand(kRowsCommands[0], runRows<0>),
    makeCommand(kRowsCommands[1], runRows<1>),
    makeCommand(kRowsCommands[2], runRows<2>),
};

template <size_t Index> int runRows(const CCliArgs& args, CCliPrompt& prompt)
{
    const CCliCommand& command = kCommands[Index];
    if (args.positional.size() != 2)
        return CliUsage(command, command.name + " takes a PROJECT.sic and ROWS");
    CCliRowsEdit edit(args);
    if (const int status = edit.Open(command, args, prompt); status != ExitDone)
        return status;
    kRowsCommands[Index].apply(*edit.editor);
    return CliSaveIfModified(edit.doc, prompt);
}

const CCliCommandRegistrar kRegistrars[] = {
    CCliCommandRegistrar(kCommands[0]),
    CCliCommandRegistrar(kCommands[1]),
    CCliCommandRegistrar(kCommands[2]),
};

} // namespace
