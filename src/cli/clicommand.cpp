#include "cli/clicommand.h"

#include "cli/clisupport.h"

#include <cstdio>

namespace {
std::map<std::string, CCliCommand>& registry()
{
    static std::map<std::string, CCliCommand> commands;
    return commands;
}
} // namespace

std::string CCliArgs::Value(const std::string& name, const std::string& fallback) const
{
    const auto it = values.find(name);
    return it == values.end() || it->second.empty() ? fallback : it->second.back();
}

const std::vector<std::string>& CCliArgs::All(const std::string& name) const
{
    static const std::vector<std::string> none;
    const auto it = values.find(name);
    return it == values.end() ? none : it->second;
}

CCliCommandRegistrar::CCliCommandRegistrar(const CCliCommand& command)
{
    registry()[command.name] = command;
}

const std::map<std::string, CCliCommand>& CCliCommandRegistrar::Commands()
{
    return registry();
}

void CliError(const std::string& text)
{
    // Usage texts quote the user's words, which may hold control characters.
    std::fprintf(stderr, "zelm: %s\n", CliEscapeControls(text).c_str());
}

int CliUsage(const CCliCommand& command, const std::string& text)
{
    CliError(text);
    std::fprintf(stderr, "usage: zelm %s\n", command.synopsis.c_str());
    return ExitUsage;
}
