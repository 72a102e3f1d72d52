// zelm properties: the project properties dialog's OK.
#include "cli/clichecks.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/projectdlgchecks.h"
#include "document/zurdoc.h"

#include <cstdio>

namespace {

int runProperties(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kProperties = {
    "properties",
    "properties PROJECT.sic [--name NAME] [--in DIR] [--color N|RRGGBB] [--quality 0|1|2]",
    "Changes the project's properties as the Project Properties dialog does. A new\n"
    "name or --in moves the project to the folder DIR/NAME/ (DIR defaults to the\n"
    "folder that holds the project's folder): its files are copied there and the\n"
    "old folder stays. Options not given keep their values. The project is saved.\n"
    "Prints the project file's path.",
    {"name", "in", "color", "quality"},
    {},
    runProperties,
};

int runProperties(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 1)
        return CliUsage(kProperties, "properties takes exactly one PROJECT.sic");
    uint32_t color = 0;
    std::string error;
    if (args.Has("color") && !CliParseColor(args.Value("color"), color, error))
        return CliUsage(kProperties, error);
    int quality = 2;
    if (args.Has("quality") && !CliParseInt(args.Value("quality"), 0, 2, quality))
        return CliUsage(kProperties, "--quality must be 0, 1 or 2");

    CTerminalProgress progress(args.quiet);
    CZurDoc doc;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress))
        return prompt.FailureStatus();
    std::string name = args.Value("name", doc.ProjectName);
    std::string folder = doc.ProjectPath;
    if (args.Has("name") || args.Has("in")) {
        const std::string base =
            args.Has("in") ? args.Value("in") : CProjectDlgChecks::ParentFolder(doc.ProjectPath);
        folder = CProjectDlgChecks::ProposedFolder(base, name);
    }
    CProjectDlgChecks::Focus focus = CProjectDlgChecks::FocusNone;
    if (const int status = CliCheckStatus(
            CProjectDlgChecks::CheckProject(&prompt, name, folder, true, doc.ProjectPath, focus),
            prompt);
        status != ExitDone)
        return status;
    if (!CliLockProject(folder + name + ".sic", prompt))
        return ExitFailed;
    CProjectSettings settings;
    settings.name = name;
    settings.folder = folder;
    settings.backColor = args.Has("color") ? color : doc.BackColor;
    settings.imageQuality = args.Has("quality") ? quality : doc.ImageQuality;
    if (!doc.ChangeProperties(settings))
        return prompt.FailureStatus();
    // A change that stays in the same file leaves the project modified.
    if (doc.IsModified() && !doc.Save())
        return prompt.FailureStatus();
    std::printf("%s\n", doc.GetPathName().c_str());
    return ExitDone;
}

const CCliCommandRegistrar registrar(kProperties);

} // namespace
