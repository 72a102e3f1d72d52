// zelm effect: the effect dialog applied to one picture cell.
#include "cli/clicelldialogs.h"
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/celldialogrules.h"
#include "editor/scenarioeditor.h"
#include "model/cellinfo.h"

#include <array>
#include <cstdint>

namespace {

int runEffect(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kEffect = {
    "effect",
    "effect PROJECT.sic ROW --dissolve V0,V1,...,V10",
    "Sets the 11 effect elements of one picture cell as the effect dialog does:\n"
    "V0 the pattern (0..7), V1, V4 and V8 colours (0..7), V2 and V3 choices of\n"
    "two (0, 1), V5, V6, V7 and V10 choices (-1 for none), V9 the count (2..148).\n"
    "Which transition a slide uses is `zelm set --effect N` (`zelm help effects`).",
    // --disolve, the project file's own spelling, is kept for older scripts.
    {"dissolve", "disolve"},
    {},
    runEffect,
};

// The values a dialog control can hold for each element.
bool parseDisolve(const std::string& text, std::array<int32_t, 11>& values, std::string& error)
{
    struct Range
    {
        int low, high;
    };
    static const Range ranges[11] = {{0, 7},   {0, 7},   {-1, 1},  {-1, 1}, {0, 7},
                                     {-1, 99}, {-1, 99}, {-1, 99}, {0, 7},  {INT32_MIN, INT32_MAX},
                                     {-1, 99}};
    size_t start = 0;
    for (size_t i = 0; i < values.size(); ++i) {
        const size_t comma = text.find(',', start);
        if ((comma == std::string::npos) != (i == values.size() - 1)) {
            error = "--dissolve takes exactly 11 numbers separated by commas";
            return false;
        }
        const std::string part =
            text.substr(start, comma == std::string::npos ? comma : comma - start);
        int value = 0;
        if (!CliParseInt(part, ranges[i].low, ranges[i].high, value)) {
            error = "--dissolve element " + std::to_string(i) + " must be from " +
                    std::to_string(ranges[i].low) + " to " + std::to_string(ranges[i].high);
            return false;
        }
        values[i] = value;
        start = comma + 1;
    }
    return true;
}

int runEffect(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kEffect, "effect takes a PROJECT.sic and one ROW");
    if (args.Has("dissolve") && args.Has("disolve"))
        return CliUsage(kEffect, "give --dissolve once");
    const std::string option = args.Has("dissolve") ? "dissolve" : "disolve";
    if (!args.Has(option))
        return CliUsage(kEffect, "--dissolve is required");
    std::array<int32_t, 11> disolve{};
    std::string error;
    if (!parseDisolve(args.Value(option), disolve, error))
        return CliUsage(kEffect, error);

    CTerminalProgress progress(args.quiet);
    if (const int early = CliCheckRowsEarly(kEffect, args.positional[0], args.positional[1], true);
        early != ExitDone)
        return early;
    CZurDoc doc;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress))
        return prompt.FailureStatus();
    CScenarioEditor editor(doc);
    int row = 0;
    if (!CliParseRow(args.positional[1], editor.Rows().GetCount(), row, error))
        return CliUsage(kEffect, error);
    if (editor.Rows().GetCell(row - 1)->CellType != CCellInfo::Type::Image)
        return CliUsage(kEffect, "row " + std::to_string(row) + " is not a picture cell");
    CCliCellDialogs values(&prompt);
    values.disolve = disolve;
    CliSelectRows(editor, {row});
    editor.SetDialogs(&values);
    if (!editor.Effect())
        return values.Refused() ? ExitUsage : prompt.FailureStatus();
    return CliSaveIfModified(doc, prompt);
}

const CCliCommandRegistrar registrar(kEffect);

} // namespace
