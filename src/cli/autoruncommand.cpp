// zelm autorun: reads, prunes, edits and writes a card's autorun list as the
// autorun editor's OK does.
#include "base/asciicase.h"
#include "base/msgid.h"
#include "cli/cardroot.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "output/autoruneditor.h"
#include "output/cardfolder.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <algorithm>
#include <cstdio>

namespace {

int runAutorun(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kAutorun = {
    "autorun",
    "autorun CARD [--list] [--add NAME.SIT...] [--remove NAME.SIT...] [--repeat on|off]",
    "Edits the card's autorun list (AUTORUN.SFC), the scenarios the player starts by\n"
    "itself. The list is read and its missing scenarios dropped; --add appends scenarios\n"
    "of the card, --remove takes entries out, --repeat switches repeating; then the list is\n"
    "written. --list prints the list (and --json as {\"entries\", \"repeat\"}); with no\n"
    "option the list is printed and nothing is written. A list that cannot be read is\n"
    "only replaced after a Yes (--yes).",
    {"add*", "remove*", "repeat"},
    {"list"},
    runAutorun,
};

void printList(const CAutorunEditor& editor, bool json)
{
    if (json) {
        const auto array = [](const std::vector<std::string>& names) {
            QJsonArray list;
            for (const std::string& name : names)
                list.append(QString::fromStdString(name));
            return list;
        };
        CliPrintJson(QJsonDocument(QJsonObject{{"entries", array(editor.Autorun())},
                                               {"repeat", editor.Repeat()},
                                               {"pruned", array(editor.Pruned())}}));
        return;
    }
    for (const std::string& e : editor.Autorun())
        std::printf("%s\n", CliEscapeControls(e).c_str());
    std::printf("repeat: %s\n", editor.Repeat() ? "on" : "off");
}

int runAutorun(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 1)
        return CliUsage(kAutorun, "autorun takes one card");
    const std::string repeat = args.Value("repeat");
    if (args.Has("repeat") && repeat != "on" && repeat != "off")
        return CliUsage(kAutorun, "--repeat takes on or off");
    const std::string root = CardRootArgument(args.positional[0]);
    if (!CardReadable(root, prompt))
        return ExitFailed;

    CAutorunEditor editor;
    // A change of the list holds the card from reading the list to writing it.
    const bool edits = args.Has("add") || args.Has("remove") || args.Has("repeat");
    if (edits && !editor.LockDrive(root, &prompt))
        return ExitFailed;
    editor.LoadDrive(root, &prompt);
    // Only scenarios of the card can be added, as in the editor's list.
    std::vector<std::string> toAdd;
    for (const std::string& name : args.All("add")) {
        const auto& available = editor.Available();
        const auto it = std::find_if(available.begin(), available.end(),
                                     [&](const auto& a) { return CAsciiCase::Equal(a, name); });
        if (it == available.end()) {
            // A name the card never had "does not exist"; 7159 would say it
            // had been there.
            prompt.Message(MsgId::FileDoesNotExist, CUserPrompt::Exclamation, CUserPrompt::Ok,
                           root + name);
            return ExitFailed;
        }
        toAdd.push_back(*it);
    }
    editor.Add(toAdd, &prompt);
    std::vector<int> doomed;
    for (const std::string& name : args.All("remove")) {
        const size_t before = doomed.size();
        for (int i = 0; i < static_cast<int>(editor.Autorun().size()); ++i) {
            if (CAsciiCase::Equal(editor.Autorun()[static_cast<size_t>(i)], name))
                doomed.push_back(i);
        }
        // Removing what is not there is no success either; nothing is written.
        if (doomed.size() == before) {
            CliError(name + " is not in the autorun list");
            return ExitFailed;
        }
    }
    editor.Remove(doomed);
    if (args.Has("repeat"))
        editor.SetRepeat(repeat == "on");

    // Without an edit the list is only shown: the card stays as it is.
    if (edits) {
        if (!editor.Apply(&prompt))
            return editor.Declined() ? ExitDeclined : ExitFailed;
        prompt.Message(MsgId::AutorunUpdated, CUserPrompt::Information, CUserPrompt::Ok, root);
    }
    if (args.Has("list") || !edits)
        printList(editor, args.json);
    return ExitDone;
}

const CCliCommandRegistrar registrar(kAutorun);

} // namespace
