// zelm copy: the Copy command on ROWS, pasted into another project or
// written to a file as a transfer block.
#include "base/safefile.h"
#include "base/userprompt.h"
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/memoryclipboard.h"
#include "editor/scenarioeditor.h"

namespace {

int runCopy(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kCopy = {
    "copy",
    "copy PROJECT.sic ROWS (--into OTHER.sic [--before ROW] | --to-file BLOCK)",
    "Copies the cells of ROWS as the Copy command does, then either pastes them\n"
    "into OTHER.sic (before ROW or at the end; the pictures are copied into its\n"
    "folder) or writes the transfer block (\"CellInfo List\" bytes) to BLOCK.",
    {"into", "before", "to-file"},
    {},
    runCopy,
};

int runCopy(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kCopy, "copy takes a PROJECT.sic and ROWS");
    if (args.Has("into") == args.Has("to-file"))
        return CliUsage(kCopy, "give either --into OTHER.sic or --to-file BLOCK");
    if (args.Has("before") && !args.Has("into"))
        return CliUsage(kCopy, "--before goes with --into");
    if (args.Has("into")) {
        if (const int early = CliCheckBeforeEarly(kCopy, args, args.Value("into"));
            early != ExitDone)
            return early;
    }
    CCliRowsEdit edit(args);
    // The source is only read: a project open elsewhere can still be copied from.
    edit.forChange = false;
    if (const int status = edit.Open(kCopy, args, prompt); status != ExitDone)
        return status;
    CScenarioEditor& editor = *edit.editor;
    CMemoryClipboard clipboard;
    editor.SetClipboard(&clipboard);
    if (!editor.Copy())
        return prompt.FailureStatus();
    const QByteArray bytes = clipboard.Data(CCellInfoList::ClipFormat);

    if (args.Has("to-file")) {
        const std::string path = args.Value("to-file");
        int error = 0;
        if (!CSafeFile::WriteAll(path, bytes, &error)) {
            CSafeFile::ReportFailure(&prompt, path, error);
            return prompt.FailureStatus();
        }
        return ExitDone;
    }

    CZurDoc target;
    if (!CliOpenProject(args.Value("into"), target, prompt, &edit.progress))
        return prompt.FailureStatus();
    CScenarioEditor targetEditor(target);
    // Ctrl-C keeps nothing of an insertion here.
    targetEditor.SetTellStoppedInsertions(false);
    targetEditor.SetClipboard(&clipboard);
    targetEditor.SetProgress(&edit.progress);
    if (const int status = CliApplyBefore(kCopy, args, targetEditor); status != ExitDone)
        return status;
    const bool ok = targetEditor.Paste();
    return CliFinishInsertion(targetEditor, target, prompt, ok);
}

const CCliCommandRegistrar registrar(kCopy);

} // namespace
