// zelm card-check: checks every scenario on a card and its autorun list.
#include "base/msgid.h"
#include "cli/cardroot.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "output/cardcheck.h"

#include <cstdio>

namespace {

int runCardCheck(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kCardCheck = {
    "card-check",
    "card-check CARD [--json]",
    "Checks every scenario on the card: the scenario file parses, every picture it names\n"
    "exists with the right size and type (1024 x 768 JPEG or BMP, 160 x 120 JPEG\n"
    "thumbnail), no name is longer than 8 + 3 characters, and the autorun list names only\n"
    "scenarios that are on the card. Exit status 1 when something is wrong.\n"
    "--json prints {\"ok\", \"scenarios\": [{\"file\", \"ok\", \"problems\"}],\n"
    "\"autorun\": {\"entries\", \"repeat\", \"problems\"}, \"problems\"}; the last are the\n"
    "card's own: temporaries of an interrupted program, scenario folders without their file;\n"
    "\"notes\" names what a send that was cut short left (the next send removes it).",
    {},
    {},
    runCardCheck,
};

void printText(const CCardCheck& check)
{
    for (const CCardCheck::Scenario& s : check.Scenarios()) {
        // Names on the card come from outside: their control characters
        // are escaped.
        std::printf("%s: %s\n", CliEscapeControls(s.file).c_str(), s.Ok() ? "ok" : "problems");
        for (const std::string& p : s.problems)
            std::printf("  %s\n", CliEscapeControls(p).c_str());
    }
    const std::string entries =
        CliCount(static_cast<long long>(check.AutorunEntries().size()), "entry", "entries");
    std::printf("autorun: %s%s: %s\n", entries.c_str(), check.AutorunRepeat() ? ", repeat" : "",
                check.AutorunProblems().empty() ? "ok" : "problems");
    for (const std::string& p : check.AutorunProblems())
        std::printf("  %s\n", CliEscapeControls(p).c_str());
    if (!check.CardProblems().empty()) {
        std::printf("card: problems\n");
        for (const std::string& p : check.CardProblems())
            std::printf("  %s\n", CliEscapeControls(p).c_str());
    }
    if (!check.CardNotes().empty()) {
        std::printf("card: notes\n");
        for (const std::string& p : check.CardNotes())
            std::printf("  %s\n", CliEscapeControls(p).c_str());
    }
}

int runCardCheck(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 1)
        return CliUsage(kCardCheck, "card-check takes one card");
    const std::string root = CardRootArgument(args.positional[0]);
    CCardCheck check;
    if (!CardReadable(root, prompt) || !check.Run(root))
        return ExitFailed;
    if (check.Scenarios().empty())
        prompt.Message(MsgId::NoScenariosOnCard, CUserPrompt::Exclamation, CUserPrompt::Ok, root);
    if (args.json) {
        const QByteArray json = check.ToJson();
        std::fwrite(json.constData(), 1, static_cast<size_t>(json.size()), stdout);
    } else {
        printText(check);
    }
    return check.Ok() ? ExitDone : ExitFailed;
}

const CCliCommandRegistrar registrar(kCardCheck);

} // namespace
