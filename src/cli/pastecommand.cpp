// zelm paste: a transfer block read from a file, pasted as the Paste
// command pastes the clipboard.
#include "base/filefailure.h"
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

int runPaste(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kPaste = {
    "paste",
    "paste PROJECT.sic BLOCK [--before ROW]",
    "Pastes the cells of a transfer block file (the bytes of either cell format,\n"
    "as 'zelm copy --to-file' writes them) before ROW or at the end; the pictures\n"
    "are copied or made in the project folder. A damaged block inserts nothing.",
    {"before"},
    {},
    runPaste,
};

int runPaste(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kPaste, "paste takes a PROJECT.sic and a BLOCK file");
    const std::string& blockFile = args.positional[1];
    QByteArray bytes;
    CFileFailure failure;
    CCellInfoList cells;
    if (!CliReadFile(blockFile, bytes))
        failure = CFileFailure::ForUnopenable(blockFile);
    else if (!CScenarioEditor::ReadTransferBlock(bytes, cells))
        failure = {CFileFailure::NotATransferBlock, blockFile};
    if (failure.IsFailure()) {
        prompt.Message(failure.MessageId(), CUserPrompt::Exclamation, CUserPrompt::Ok,
                       failure.file());
        return prompt.FailureStatus();
    }
    CCliInsertion insertion(args);
    if (const int status = insertion.Open(kPaste, args, prompt); status != ExitDone)
        return status;
    CScenarioEditor& editor = *insertion.editor;
    CMemoryClipboard clipboard;
    clipboard.SetData(CCellInfoList::ClipFormat, bytes);
    editor.SetClipboard(&clipboard);
    const bool ok = editor.Paste();
    return CliFinishInsertion(editor, insertion.doc, prompt, ok);
}

const CCliCommandRegistrar registrar(kPaste);

} // namespace
