// zelm save-as: the project saved under a new name in a new folder.
#include "cli/clichecks.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/projectdlgchecks.h"
#include "document/zurdoc.h"

#include <cstdio>

namespace {

int runSaveAs(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kSaveAs = {
    "save-as",
    "save-as PROJECT.sic NEWNAME [--in DIR]",
    "Saves the project as the Save As command does: its files are copied into the\n"
    "folder DIR/NEWNAME/ (DIR defaults to the folder that holds the project's\n"
    "folder) and the project file NEWNAME.sic is written there. The old project\n"
    "stays as it was. Prints the new project file's path.",
    {"in"},
    {},
    runSaveAs,
};

int runSaveAs(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 2)
        return CliUsage(kSaveAs, "save-as takes PROJECT.sic and NEWNAME");
    CTerminalProgress progress(args.quiet);
    CZurDoc doc;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress))
        return prompt.FailureStatus();
    std::string name = args.positional[1];
    const std::string base =
        args.Has("in") ? args.Value("in") : CProjectDlgChecks::ParentFolder(doc.ProjectPath);
    std::string folder = CProjectDlgChecks::ProposedFolder(base, name);
    CProjectDlgChecks::Focus focus = CProjectDlgChecks::FocusNone;
    if (const int status = CliCheckStatus(
            CProjectDlgChecks::CheckSaveAs(&prompt, name, folder, doc.ProjectPath, focus), prompt);
        status != ExitDone)
        return status;
    if (!CliLockProject(folder + name + ".sic", prompt))
        return ExitFailed;
    if (!doc.SaveAs(name, folder))
        return prompt.FailureStatus();
    std::printf("%s\n", doc.GetPathName().c_str());
    return ExitDone;
}

const CCliCommandRegistrar registrar(kSaveAs);

} // namespace
