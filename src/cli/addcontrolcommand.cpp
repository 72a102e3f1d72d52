// zelm add-control: the insert-control-cell command, with the new cell's
// values set as its properties dialog would set them.
#include "cli/clicelldialogs.h"
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/celldialogrules.h"
#include "editor/ctrlpropdata.h"
#include "editor/scenarioeditor.h"
#include "model/cellctrlinfo.h"

#include <cstdint>

namespace {

int runAddControl(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kAddControl = {
    "add-control",
    "add-control PROJECT.sic [--before ROW] [--motion 0|1] [--interval S] [--input 0|1|2]",
    "Inserts a control cell before ROW or at the end. --motion 1 makes it wait\n"
    "--interval seconds (1 to 1800); --input chooses the input device it waits\n"
    "for (0 remote control, 1 mouse button, 2 external switch).",
    {"before", "motion", "interval", "input"},
    {},
    runAddControl,
};

int runAddControl(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 1)
        return CliUsage(kAddControl, "add-control takes exactly one PROJECT.sic");
    CCliCellDialogs values(&prompt);
    int v = 0;
    if (args.Has("motion")) {
        if (!CliParseInt(args.Value("motion"), 0, 1, v))
            return CliUsage(kAddControl, "--motion must be 0 or 1");
        values.motion = v;
    }
    if (args.Has("interval")) {
        if (!CliParseInt(args.Value("interval"), INT32_MIN, INT32_MAX, v))
            return CliUsage(kAddControl, "--interval must be a whole number of seconds");
        values.interval = v;
    }
    if (args.Has("input")) {
        if (!CliParseInt(args.Value("input"), 0, 2, v))
            return CliUsage(kAddControl, "--input must be 0, 1 or 2");
        values.inputDev = v;
    }
    // The values are checked before anything changes, as the dialog would.
    CCtrlPropData check;
    CCellCtrlInfo defaults;
    check.motion = values.motion.value_or(defaults.MotionType);
    check.interval = values.interval.value_or(defaults.AutoIntervalSec);
    if (!CCellDialogRules::Report(&prompt, CCellDialogRules::CheckCtrlProp(check)))
        return ExitUsage;

    CTerminalProgress progress(args.quiet);
    CZurDoc doc;
    if (const int early = CliCheckBeforeEarly(kAddControl, args, args.positional[0]);
        early != ExitDone)
        return early;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress))
        return prompt.FailureStatus();
    CScenarioEditor editor(doc);
    if (const int status = CliApplyBefore(kAddControl, args, editor); status != ExitDone)
        return status;
    editor.Rows().ClearSelection();
    if (!editor.InsertControlCell())
        return prompt.FailureStatus();
    // The new row is the one selected; its values go in as its dialog's OK.
    editor.SetDialogs(&values);
    if (values.motion || values.interval || values.inputDev) {
        if (!editor.Properties())
            return values.Refused() ? ExitUsage : prompt.FailureStatus();
    }
    return CliSaveIfModified(doc, prompt);
}

const CCliCommandRegistrar registrar(kAddControl);

} // namespace
