// zelm set: the properties dialog applied to rows (one row: the dialog of
// that cell; several: the dialog of several cells), with its checks.
#include "cli/clicelldialogs.h"
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "model/cellinfo.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

int runSet(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kSet = {
    "set",
    "set PROJECT.sic ROWS [--motion 0|1] [--interval S] [--valid 0|1] [--effect N] [--input N]",
    "Sets the properties of the cells in ROWS as the properties dialog does.\n"
    "One row: the dialog of that cell (--effect for a picture, --input 0..2 for\n"
    "a control cell). Several rows: the dialog of several cells, where an option\n"
    "left out keeps each cell's own value, and --interval 0 with --motion 1\n"
    "keeps each cell's interval when they differ. Intervals are 1 to 1800\n"
    "seconds, effects 0 to 41. A row that advances by hand (motion 0) keeps its\n"
    "interval: give --motion 1 with --interval; when no row takes the interval\n"
    "and nothing else was asked, the exit status is 1.\n"
    "\n"
    "Effects (--effect N):",
    {"motion", "interval", "valid", "effect", "input"},
    {},
    runSet,
    CliEffectList,
};

// "row 3", "rows 1, 4"
std::string rowList(const std::vector<int>& rows)
{
    std::string text = rows.size() == 1 ? "row " : "rows ";
    for (size_t i = 0; i < rows.size(); ++i)
        text += (i == 0 ? "" : ", ") + std::to_string(rows[i]);
    return text;
}

int runSet(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kSet, "set takes a PROJECT.sic and ROWS");
    if (!args.Has("motion") && !args.Has("interval") && !args.Has("valid") && !args.Has("effect") &&
        !args.Has("input"))
        return CliUsage(kSet, "set needs at least one of --motion, --interval, --valid, "
                              "--effect and --input");
    CCliCellDialogs values(&prompt);
    int v = 0;
    if (args.Has("motion")) {
        if (!CliParseInt(args.Value("motion"), 0, 1, v))
            return CliUsage(kSet, "--motion must be 0 or 1");
        values.motion = v;
    }
    if (args.Has("interval")) {
        if (!CliParseInt(args.Value("interval"), INT32_MIN, INT32_MAX, v))
            return CliUsage(kSet, "--interval must be a whole number of seconds");
        values.interval = v;
    }
    if (args.Has("valid")) {
        if (!CliParseInt(args.Value("valid"), 0, 1, v))
            return CliUsage(kSet, "--valid must be 0 or 1");
        values.valid = v;
    }
    if (args.Has("effect")) {
        if (!CliParseInt(args.Value("effect"), INT32_MIN, INT32_MAX, v))
            return CliUsage(kSet, "--effect must be a number from 0 to 41");
        values.effect = v;
    }
    if (args.Has("input")) {
        if (!CliParseInt(args.Value("input"), 0, 2, v))
            return CliUsage(kSet, "--input must be 0, 1 or 2");
        values.inputDev = v;
    }

    CCliRowsEdit edit(args);
    if (const int status = edit.Open(kSet, args, prompt); status != ExitDone)
        return status;
    CScenarioEditor& editor = *edit.editor;
    CZurDoc& doc = edit.doc;
    const std::vector<int>& rows = edit.rows;
    if (rows.size() == 1) {
        const CCellInfo* cell = editor.Rows().GetCell(rows[0] - 1);
        if (values.inputDev && cell->CellType != CCellInfo::Type::Control)
            return CliUsage(kSet, "--input applies to control cells only");
        if (values.effect && cell->CellType != CCellInfo::Type::Image)
            return CliUsage(kSet, "--effect applies to picture cells only");
    } else if (values.inputDev) {
        return CliUsage(kSet, "--input applies to one control cell at a time");
    }
    editor.SetDialogs(&values);
    if (!editor.Properties())
        return values.Refused() ? ExitUsage : prompt.FailureStatus();
    // The dialog sets an interval only on cells that advance on their own,
    // and in several rows only when --motion 1 is chosen: say where it was
    // not set, and why.
    std::vector<int> manual, mixed;
    if (values.interval && *values.interval != 0) {
        for (const int row : rows) {
            const CCellInfo* cell = editor.Rows().GetCell(row - 1);
            if (cell->AutoIntervalSec == *values.interval)
                continue;
            (cell->MotionType != 1 ? manual : mixed).push_back(row);
        }
    }
    if (!manual.empty()) {
        const bool one = manual.size() == 1;
        CliError(rowList(manual) + (one ? " advances" : " advance") +
                 " by hand, so the interval was not set there; add --motion 1 to make " +
                 (one ? "it advance on its own" : "them advance on their own"));
    }
    if (!mixed.empty()) {
        CliError(rowList(mixed) +
                 ": the rows chosen do not all advance the same way, so the interval was not "
                 "set; add --motion 1 to set it on all of them");
    }
    const int saved = CliSaveIfModified(doc, prompt);
    if (saved != ExitDone)
        return saved;
    // Nothing of the request could be honoured: that is no success.
    const bool onlyInterval =
        !args.Has("motion") && !args.Has("valid") && !args.Has("effect") && !args.Has("input");
    return onlyInterval && manual.size() + mixed.size() == rows.size() ? ExitFailed : ExitDone;
}

const CCliCommandRegistrar registrar(kSet);

} // namespace
