// zelm from-presentation: a new project made from a presentation, with one
// image cell per slide of its slide show.
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/newprojectfrompresentation.h"
#include "editor/scenarioeditor.h"

#include <cstdio>

namespace {

int runFromPresentation(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kFromPresentation = {
    "from-presentation",
    "from-presentation FILE",
    "Makes a new project from a presentation (.ppt of 1997 or later, .pptx,\n"
    ".pptm, .ppsx, .ppsm, .potx, .potm, .odp, .otp; macros never run) or a PDF\n"
    "document (.pdf, a slide per page) in the next\n"
    "free ZUR0001... folder of the program's home folder, with one image cell per\n"
    "slide of the presentation's slide show. When every name up to ZUR9999 is\n"
    "taken, --yes reuses the first existing folder. Prints the project file's\n"
    "path.",
    {},
    {},
    runFromPresentation,
};

int runFromPresentation(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() != 1)
        return CliUsage(kFromPresentation, "from-presentation takes exactly one FILE");
    CTerminalProgress progress(args.quiet);
    CZurDoc doc(&prompt);
    CScenarioEditor editor(doc);
    editor.SetProgress(&progress);
    std::string projectFile;
    if (!CNewProjectFromPresentation(doc, editor).Run(args.positional[0], projectFile))
        return editor.LastInsertCancelled() ? ExitDeclined : prompt.FailureStatus();
    // The slides came after the project file was first written.
    const int saved = CliSaveIfModified(doc, prompt);
    if (saved != ExitDone)
        return saved;
    std::printf("%s\n", projectFile.c_str());
    return ExitDone;
}

const CCliCommandRegistrar registrar(kFromPresentation);

} // namespace
