// zelm add: cells made from image files (and presentations, one cell per
// slide of the show) inserted as a paste inserts them.
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/slidesourcetypes.h"
#include "base/userprompt.h"
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

// The kinds of file come from the one list the program reads by.
const CCliCommand kAdd = {
    "add",
    "add PROJECT.sic FILE... [--before ROW]",
    "Inserts cells made from image files (" +
        CSlideSourceTypes::Listed(CSlideSourceTypes::PictureExtensions()) +
        ";\nof a TIFF or an animated WebP the first image), presentations and PDF\n"
        "documents (" +
        CSlideSourceTypes::Listed(CSlideSourceTypes::PresentationExtensions()) +
        "; one cell per slide\nof the show, macros never run; per page of a PDF) before ROW or at "
        "the end,\n"
        "as a paste does: each picture is converted into the project folder.\n"
        "A file that cannot be used stops the insertion there: it is named with the\n"
        "reason, the cells before it are kept, and every file after it is named as\n"
        "not inserted.",
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
    if (!ok && !editor.LastInsertCancelled()) {
        // As a paste does, the insertion kept the cells before the file that
        // stopped it (already named with its reason); every file after it is
        // named too, so that nobody takes one of them for inserted.
        const std::string stopped = editor.LastInsertFailure().file();
        bool after = false;
        for (size_t i = 1; i < args.positional.size(); ++i) {
            const std::string path = QFileInfo(QString::fromStdString(args.positional[i]))
                                         .absoluteFilePath()
                                         .toStdString();
            if (after)
                AskUser(&prompt, MsgId::FileNotInserted, CUserPrompt::Information, CUserPrompt::Ok,
                        args.positional[i]);
            after = after || path == stopped;
        }
        const int saved = CliSaveIfModified(insertion.doc, prompt);
        return saved != ExitDone ? saved : prompt.FailureStatus();
    }
    return CliFinishInsertion(editor, insertion.doc, prompt, ok);
}

const CCliCommandRegistrar registrar(kAdd);

} // namespace
