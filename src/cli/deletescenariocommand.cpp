// zelm delete-scenario: the delete-scenarios command for the named scenarios.
#include "base/msgid.h"
#include "cli/cardroot.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "output/cardfolder.h"
#include "output/scenariodeletion.h"

namespace {

int runDeleteScenario(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kDeleteScenario = {
    "delete-scenario",
    "delete-scenario CARD NAME.SIT...",
    "Deletes scenarios from the card: for each name (asked one by one; --yes answers Yes)\n"
    "the scenario file and its folder. Then the card's autorun list drops the scenarios\n"
    "that are gone.",
    {},
    {},
    runDeleteScenario,
};

int runDeleteScenario(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() < 2)
        return CliUsage(kDeleteScenario, "delete-scenario takes a card and scenario names");
    const std::string root = CardRootArgument(args.positional[0]);
    if (!CardReadable(root, prompt))
        return ExitFailed;
    // A scenario the card does not have is named as missing, not as one
    // that could not be deleted. One whose file is gone but whose folder
    // stands (a send or deletion that was stopped) is still deleted.
    std::vector<std::string> names;
    bool missing = false;
    for (auto it = args.positional.begin() + 1; it != args.positional.end(); ++it) {
        if (CCardFolder::Find(root, *it, CCardFolder::FileEntry).empty() &&
            CCardFolder::Find(root, CCardFolder::BaseName(*it), CCardFolder::FolderEntry).empty()) {
            prompt.Message(MsgId::FileDoesNotExist, CUserPrompt::Exclamation, CUserPrompt::Ok,
                           root + *it);
            missing = true;
        } else {
            names.push_back(*it);
        }
    }
    const CScenarioDeletion::Result result =
        names.empty() ? CScenarioDeletion::Result()
                      : CScenarioDeletion::DeleteScenarios(root, names, &prompt);
    if (result.failed > 0 || missing)
        return ExitFailed;
    return result.declined ? ExitDeclined : ExitDone;
}

const CCliCommandRegistrar registrar(kDeleteScenario);

} // namespace
