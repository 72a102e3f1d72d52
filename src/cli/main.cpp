// zelm: the command-line front end. Finds the command, parses its options
// (before or after the arguments) and runs it over the core library.
#include "base/resourcebundle.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "editor/zelmapplication.h"

#include <QCoreApplication>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <malloc.h>

namespace {

const char* const kGlobalFlags[] = {"yes", "no", "quiet", "message-ids", "help"};
// The commands that print a JSON document take --json.
const char* const kJsonCommands[] = {"autorun", "card-check", "check", "drives", "info", "list"};

void printOverview()
{
    std::printf("usage: zelm COMMAND [ARGUMENTS] [--yes|--no] [--quiet] [--message-ids]\n\n"
                "Commands:\n");
    for (const auto& [name, command] : CCliCommandRegistrar::Commands())
        std::printf("  zelm %s\n", command.synopsis.c_str());
    std::printf("\n'zelm help COMMAND' or 'zelm COMMAND --help' tells more; 'zelm help effects'\n"
                "lists the transition effects by number and name; 'zelm --version' prints\n"
                "the version.\n");
}

void printCommandHelp(const CCliCommand& command)
{
    std::printf("usage: zelm %s\n\n%s\n", command.synopsis.c_str(), command.help.c_str());
    if (command.moreHelp)
        std::printf("%s", command.moreHelp().c_str());
}

bool contains(const std::vector<std::string>& list, const std::string& name)
{
    return std::find(list.begin(), list.end(), name) != list.end();
}

// Parses the words after the command name. Returns false with `error` set
// on an unknown option or a missing value.
bool parseArgs(const CCliCommand& command, const std::vector<std::string>& words, CCliArgs& args,
               std::string& error)
{
    bool optionsEnded = false;
    for (size_t i = 0; i < words.size(); ++i) {
        const std::string& w = words[i];
        if (optionsEnded || w == "-" || w.empty() || w[0] != '-') {
            args.positional.push_back(w);
            continue;
        }
        if (w == "--") {
            // Everything after "--" is an argument, even when it starts with '-'.
            optionsEnded = true;
            continue;
        }
        if (w == "-h") {
            args.values["help"];
            continue;
        }
        if (w.compare(0, 2, "--") != 0) {
            error = "unknown option " + w;
            return false;
        }
        std::string name = w.substr(2);
        std::string inlineValue;
        bool hasInline = false;
        if (const size_t eq = name.find('='); eq != std::string::npos) {
            inlineValue = name.substr(eq + 1);
            name.resize(eq);
            hasInline = true;
        }
        const bool global =
            std::any_of(std::begin(kGlobalFlags), std::end(kGlobalFlags),
                        [&](const char* g) { return name == g; }) ||
            (name == "json" && std::any_of(std::begin(kJsonCommands), std::end(kJsonCommands),
                                           [&](const char* c) { return command.name == c; }));
        if (global || contains(command.flagOptions, name)) {
            if (hasInline) {
                error = "option --" + name + " takes no value";
                return false;
            }
            args.values[name];
            continue;
        }
        if (contains(command.valueOptions, name + "*")) {
            auto& list = args.values[name];
            if (hasInline)
                list.push_back(inlineValue);
            while (i + 1 < words.size() && (words[i + 1].empty() || words[i + 1][0] != '-'))
                list.push_back(words[++i]);
            if (list.empty()) {
                error = "option --" + name + " needs a value";
                return false;
            }
            continue;
        }
        if (!contains(command.valueOptions, name)) {
            error = "unknown option --" + name + " for " + command.name;
            return false;
        }
        if (hasInline) {
            args.values[name].push_back(inlineValue);
        } else if (i + 1 < words.size()) {
            args.values[name].push_back(words[++i]);
        } else {
            error = "option --" + name + " needs a value";
            return false;
        }
    }
    args.json = args.Has("json");
    args.quiet = args.Has("quiet");
    args.messageIds = args.Has("message-ids");
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    // A command runs briefly and hands its memory back as it exits: the
    // pictures it decodes and encodes (up to tens of megabytes each) reuse
    // the same heap instead of fresh pages from the system for every photo.
    // The window program keeps the library's defaults, so that a long
    // session gives memory back.
    mallopt(M_MMAP_THRESHOLD, 32 * 1024 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024 * 1024);
    QCoreApplication qt(argc, argv);
    CZelmApplication app;
    if (!app.LoadResources())
        return ExitFailed;

    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.empty()) {
        printOverview();
        return ExitUsage;
    }
    // The command is the first word that is not an option.
    const auto cmdIt = std::find_if(words.begin(), words.end(),
                                    [](const std::string& w) { return w.empty() || w[0] != '-'; });
    if (cmdIt == words.end()) {
        if (contains(words, "--version")) {
            std::printf("zelm %s\n", ZELM_VERSION);
            return ExitDone;
        }
        if (contains(words, "--help") || contains(words, "-h")) {
            printOverview();
            return ExitDone;
        }
        CliError("no command given");
        printOverview();
        return ExitUsage;
    }
    std::string name = *cmdIt;
    words.erase(cmdIt);
    const auto& commands = CCliCommandRegistrar::Commands();
    if (name == "help") {
        // zelm help [COMMAND]
        if (words.empty()) {
            printOverview();
            return ExitDone;
        }
        if (words.size() == 1 && words[0] == "effects") {
            std::printf("The transition effects of a slide (zelm set --effect N):\n%s",
                        CliEffectList().c_str());
            return ExitDone;
        }
        const auto topic = commands.find(words[0]);
        if (words.size() > 1 || topic == commands.end()) {
            CliError("unknown command '" + words[0] + "'");
            printOverview();
            return ExitUsage;
        }
        printCommandHelp(topic->second);
        return ExitDone;
    }
    const auto found = commands.find(name);
    if (found == commands.end()) {
        CliError("unknown command '" + name + "'");
        printOverview();
        return ExitUsage;
    }
    const CCliCommand& command = found->second;
    CCliArgs args;
    std::string error;
    const bool helpAsked = contains(words, "--help") || contains(words, "-h");
    if (!parseArgs(command, words, args, error) && !helpAsked)
        return CliUsage(command, error);
    if (helpAsked) {
        printCommandHelp(command);
        return ExitDone;
    }
    if (args.Has("yes") && args.Has("no"))
        return CliUsage(command, "--yes and --no exclude each other");
    const CCliPrompt::Policy policy = args.Has("yes")  ? CCliPrompt::AlwaysYes
                                      : args.Has("no") ? CCliPrompt::AlwaysNo
                                                       : CCliPrompt::AskTerminal;
    CCliPrompt prompt(policy, args.messageIds);
    app.SetPrompt(&prompt);
    const int status = command.run(args, prompt);
    app.SetPrompt(nullptr);
    return status;
}
