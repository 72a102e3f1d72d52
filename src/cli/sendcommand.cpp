// zelm send: the Send command, without the closing offer of the autorun
// editor; --autorun appends the new scenario to the card's autorun list.
#include "base/asciicase.h"
#include "base/msgid.h"
#include "cli/cardroot.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "output/autoruneditor.h"
#include "output/cardfolder.h"
#include "output/scenarioexport.h"

#include <QFileInfo>
#include <algorithm>

namespace {

int runSend(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kSend = {
    "send",
    "send PROJECT.sic CARD [--autorun] [--no-verify]",
    "Sends the project to the card (a mounted volume or any folder standing for one) as a\n"
    "scenario: NAME.sit in the card's root and the folder NAME with the slide pictures.\n"
    "--yes answers the confirmation (or the question to replace the show of that name)\n"
    "and, on a card without room for both shows, the question to remove the old one first.\n"
    "Nothing on the card is written or deleted through a link. A send that is cut short\n"
    "leaves the old show or the new one. What was written is read back from the card and\n"
    "compared, and the card check must pass, before success (--no-verify skips the read).\n"
    "--autorun appends the scenario to the card's autorun list (pruned as the autorun\n"
    "editor prunes it) unless it is listed already. A failure names the row and the\n"
    "file that stopped the send; Ctrl-C cancels it (exit status 3).",
    {},
    {"autorun", "no-verify"},
    runSend,
};

// Appends `entry` to the card's autorun list as the editor's Add and OK do.
bool addToAutorun(const std::string& root, const std::string& entry, CCliPrompt& prompt)
{
    CAutorunEditor editor;
    if (!editor.LockDrive(root, &prompt))
        return false;
    editor.LoadDrive(root, &prompt);
    const auto& listed = editor.Autorun();
    if (std::none_of(listed.begin(), listed.end(),
                     [&](const std::string& e) { return CAsciiCase::Equal(e, entry); }))
        editor.Add({entry}, &prompt);
    return editor.Apply(&prompt);
}

int runSend(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kSend, "send takes a project file and a card");
    const std::string projectFile =
        QFileInfo(QString::fromStdString(args.positional[0])).absoluteFilePath().toStdString();
    const std::string root = CardRootArgument(args.positional[1]);
    if (!CardReadable(root, prompt))
        return ExitFailed;

    CTerminalProgress progress(args.quiet);
    CZurDoc document;
    if (!CliOpenProject(projectFile, document, prompt, &progress))
        return prompt.FailureStatus();
    if (!CScenarioExport::CanSend(document)) {
        prompt.Message(MsgId::SaveBeforeSend, CUserPrompt::Exclamation, CUserPrompt::Ok);
        return ExitFailed;
    }
    CScenarioExport send(&prompt, &progress);
    send.SetOfferAutorun(false);
    send.SetVerify(!args.Has("no-verify"));
    switch (send.Send(document, root)) {
    case CScenarioExport::Declined:
        return ExitDeclined;
    case CScenarioExport::Failed:
        // Ctrl-C stops a send as Cancel does; the status tells it apart.
        return progress.CancelReported() ? ExitDeclined : prompt.FailureStatus();
    case CScenarioExport::Sent:
        break;
    }
    prompt.Message(MsgId::SendDone, CUserPrompt::Information, CUserPrompt::Ok,
                   document.ProjectName);
    if (args.Has("autorun") &&
        !addToAutorun(root, CAsciiCase::Upper(document.ProjectName + ".sit"), prompt))
        return ExitFailed;
    return ExitDone;
}

const CCliCommandRegistrar registrar(kSend);

} // namespace
