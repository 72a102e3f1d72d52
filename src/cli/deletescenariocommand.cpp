// zelm delete-scenario: the delete-scenarios command for the named scenarios.
#include "cli/cardroot.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
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
    const std::vector<std::string> names(args.positional.begin() + 1, args.positional.end());
    const CScenarioDeletion::Result result =
        CScenarioDeletion::DeleteScenarios(root, names, &prompt);
    if (result.failed > 0)
        return ExitFailed;
    return result.declined ? ExitDeclined : ExitDone;
}

const CCliCommandRegistrar registrar(kDeleteScenario);

} // namespace
