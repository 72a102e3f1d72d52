#pragma once

#include <map>
#include <string>
#include <vector>

class CCliPrompt;

// Exit statuses of the command line.
enum CliStatus
{
    ExitDone = 0,
    ExitFailed = 1,
    ExitUsage = 2,
    ExitDeclined = 3
};

// The parsed arguments of one command. Options may stand before or after the
// positional arguments; "--name value" and "--name=value" are both accepted
// for options that take a value.
struct CCliArgs
{
    std::vector<std::string> positional;
    std::map<std::string, std::vector<std::string>> values; // option -> values in order
    bool Has(const std::string& name) const { return values.count(name) != 0; }
    // The last value of the option, or `fallback`.
    std::string Value(const std::string& name, const std::string& fallback = {}) const;
    const std::vector<std::string>& All(const std::string& name) const;
    // Values of an option that takes several arguments (--add A B C): every
    // positional-looking word after it up to the next option.
    bool json = false;
    bool quiet = false;
    bool messageIds = false;
};

// One command of `zelm`. Each command file defines one and registers it with
// a static CCliCommandRegistrar.
struct CCliCommand
{
    std::string name;
    std::string synopsis; // usage line after "zelm "
    std::string help;     // what it does, a few lines
    // Options that take a value; "*" after a name marks one that takes every
    // following non-option word (--add A.SIT B.SIT).
    std::vector<std::string> valueOptions;
    std::vector<std::string> flagOptions; // besides the global ones
    int (*run)(const CCliArgs& args, CCliPrompt& prompt) = nullptr;
    // Text the help adds after `help` (a list made from the program's texts).
    std::string (*moreHelp)() = nullptr;
};

class CCliCommandRegistrar
{
public:
    explicit CCliCommandRegistrar(const CCliCommand& command);
    static const std::map<std::string, CCliCommand>& Commands();
};

// Prints "zelm: <text>" to standard error (usage errors and the like that
// are not numbered messages), control characters escaped.
void CliError(const std::string& text);
// Usage error for `command`: prints the text and the synopsis; returns ExitUsage.
int CliUsage(const CCliCommand& command, const std::string& text);
