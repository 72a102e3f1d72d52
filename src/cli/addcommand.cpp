// zelm add: cells made from image files (and presentations, one cell per
// slide of the show) inserted as a paste inserts them.
#include "base/pathutils.h"
#include "base/slidesourcetypes.h"
#include "cli/clicommand.h"
#include "cli/clieditsupport.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"
#include "document/zurdoc.h"
#include "editor/editorcommands.h"
#include "editor/scenarioeditor.h"
#include "model/cellbmpinfo.h"

#include <QFileInfo>

namespace {

int runAdd(const CCliArgs& args, CCliPrompt& prompt);

const CCliCommand kAdd = {
    "add",
    "add PROJECT.sic FILE... [--before ROW]",
    "Inserts cells made from image files (.bmp .dib .jpg .jpeg .png .heic .heif\n"
    ".webp .tif .tiff; of a TIFF or an animated WebP the first image),\n"
    "presentations (.ppt .pptx .pptm .ppsx .ppsm .potx .potm .odp .otp, one cell\n"
    "per slide of the show; macros never run) and PDF documents (.pdf, one cell\n"
    "per page) before ROW or at the end, as a paste does: each picture is\n"
    "converted into the project folder.\n"
    "A file that cannot be read stops the insertion there; the cells before it\n"
    "are kept.",
    {"before"},
    {},
    runAdd,
};

int runAdd(const CCliArgs& args, CCliPrompt& prompt)
{
    if (args.positional.size() < 2)
        return CliUsage(kAdd, "add takes a PROJECT.sic and at least one FILE");
    for (size_t i = 1; i < args.positional.size(); ++i) {
        if (!CSlideSourceTypes::IsSlideSource(args.positional[i]))
            return CliUsage(
                kAdd, "'" + args.positional[i] + "' is not an image file (" +
                          CSlideSourceTypes::Listed(CSlideSourceTypes::PictureExtensions()) +
                          "), a presentation or a PDF document (" +
                          CSlideSourceTypes::Listed(CSlideSourceTypes::PresentationExtensions()) +
                          ")");
    }
    CCliInsertion insertion(args);
    if (const int status = insertion.Open(kAdd, args, prompt); status != ExitDone)
        return status;
    CScenarioEditor& editor = *insertion.editor;

    // The cells as the file browser offers them: the source path, its time
    // and the page (0 for a whole presentation).
    CCellInfoList list;
    for (size_t i = 1; i < args.positional.size(); ++i) {
        const QFileInfo info(QString::fromStdString(args.positional[i]));
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->RefFilePath = info.absoluteFilePath().toStdString();
        cell->RefPage = CSlideSourceTypes::IsPresentation(args.positional[i]) ? 0 : 1;
        CFileStatus status;
        cell->RefFileTime = GetFileStatus(cell->RefFilePath, status)
                                ? static_cast<int32_t>(FileTimeToLocalSeconds(status.mtime))
                                : -1;
        if (list.IsEmpty())
            list.ProjectFolder = info.absolutePath().toStdString() + "/";
        list.Append(std::move(cell));
    }
    const bool ok = editor.InsertCells(EditorCommand::Paste, list, false);
    return CliFinishInsertion(editor, insertion.doc, prompt, ok);
}

const CCliCommandRegistrar registrar(kAdd);

} // namespace
