// zelm new: a new project as the new-project dialog's OK makes it.
#include "cli/clichecks.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "document/projectdlgchecks.h"
#include "document/zurdoc.h"

#include <cstdio>

namespace {

int runNew(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kNew = {
    "new",
    "new NAME [--in DIR] [--color N|RRGGBB] [--quality 0|1|2]",
    "Makes a new project as the new-project dialog does: the folder DIR/NAME/ (DIR\n"
    "defaults to the program's home folder) with the project file NAME.sic in it.\n"
    "NAME is letters A–Z and digits, at most 8. --color is one of the 16 background\n"
    "entries (0..15) or a hex colour equal to one of them (default 0, black);\n"
    "--quality is the card image quality (default 2). An existing folder is\n"
    "used only when the question is answered Yes (--yes). Prints the project\n"
    "file's path.",
    {"in", "color", "quality"},
    {},
    runNew,
};

int runNew(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 1)
        return CliUsage(kNew, "new takes exactly one NAME");
    std::string name = args.positional[0];
    uint32_t color = 0;
    std::string error;
    if (args.Has("color") && !CliParseColor(args.Value("color"), color, error))
        return CliUsage(kNew, error);
    int quality = 2;
    if (args.Has("quality") && !CliParseInt(args.Value("quality"), 0, 2, quality))
        return CliUsage(kNew, "--quality must be 0, 1 or 2");
    std::string base = args.Value("in");
    if (base.empty()) {
        base = CliHomeFolder();
        if (base.empty()) {
            CliError("the program's home folder cannot be made");
            return ExitFailed;
        }
    }

    std::string folder = CProjectDlgChecks::ProposedFolder(base, name);
    CProjectDlgChecks::Focus focus = CProjectDlgChecks::FocusNone;
    const std::string given = name;
    const CProjectDlgChecks::Outcome outcome =
        CProjectDlgChecks::CheckProject(&prompt, name, folder, false, {}, focus);
    // The dialog puts the cursor in the field it refuses; here the refused
    // argument is named, after the reason.
    if (outcome == CProjectDlgChecks::Refused && focus == CProjectDlgChecks::FocusName)
        CliError("the NAME '" + given + "' is refused: a project name is 1 to " +
                 std::to_string(CProjectDlgChecks::MaxNameLength) +
                 " letters A-Z and digits, nothing else");
    else if (outcome == CProjectDlgChecks::Refused && focus == CProjectDlgChecks::FocusFolder)
        CliError("the folder '" + folder + "' (--in DIR and NAME) is refused");
    if (const int status = CliCheckStatus(outcome, prompt); status != ExitDone)
        return status;
    // Two programs making the same project at once: one of them makes it.
    if (!CliLockProject(folder + name + ".sic", prompt))
        return ExitFailed;
    CZurDoc doc(&prompt);
    CProjectSettings settings;
    settings.name = name;
    settings.folder = folder;
    settings.backColor = color;
    settings.imageQuality = quality;
    if (!doc.NewProject(settings))
        return prompt.FailureStatus();
    std::printf("%s\n", doc.GetPathName().c_str());
    return ExitDone;
}

const CCliCommandRegistrar registrar(kNew);

} // namespace
