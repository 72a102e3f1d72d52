#include "editor/presentationexpander.h"

#include "base/appfolders.h"
#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/progress.h"
#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "editor/cellinserter.h"
#include "model/cellbmpinfo.h"
#include "presentation/pdfpageimages.h"
#include "presentation/slidepptobj.h"

#include <QFile>
#include <memory>
#include <utility>
#include <vector>

namespace {
constexpr int kSlideWidth = 1024;
constexpr int kSlideHeight = 768;

// Removes the pictures of the batch's jobs that no cell took.
void RemoveUnused(const std::vector<CPdfPageImages::Job>& batch)
{
    for (const CPdfPageImages::Job& job : batch)
        for (const std::string* file : {&job.destination, &job.thumbDestination})
            if (!file->empty())
                QFile::remove(QString::fromStdString(*file));
}

} // namespace

CPresentationExpander::CPresentationExpander(CZurDoc& doc, CSlidePPTObj* shared)
    : m_doc(doc), m_sharedPresentation(shared)
{}

CPresentationExpander::~CPresentationExpander() = default;

CUserPrompt* CPresentationExpander::Prompt() const
{
    return m_doc.Prompt();
}

bool CPresentationExpander::IsShowToExpand(const CCellInfo& cell)
{
    return cell.CellType == CCellInfo::Type::Image &&
           CSlideSourceTypes::IsPresentation(static_cast<const CCellBmpInfo&>(cell).RefFilePath) &&
           static_cast<const CCellBmpInfo&>(cell).RefPage == 0;
}

CSlidePPTObj* CPresentationExpander::PresentationInUse() const
{
    return m_borrowingPresentation ? m_sharedPresentation : m_ownPresentation.get();
}

bool CPresentationExpander::OpenPresentation(const std::string& path)
{
    m_borrowingPresentation = false;
    if (m_ownPresentation)
        m_ownPresentation->StopThumbnails();
    // The thumbnail window's presentation, when it shows this very file.
    if (m_sharedPresentation && m_sharedPresentation->IsOpen() &&
        CAsciiCase::Equal(m_sharedPresentation->PresentationPath(), path) &&
        m_sharedPresentation->Retain()) {
        m_borrowingPresentation = true;
        return true;
    }
    const std::string work = CAppFolders::WorkFolder("Temp1");
    if (work.empty())
        return false;
    if (!m_ownPresentation)
        m_ownPresentation = std::make_unique<CSlidePPTObj>(Prompt());
    m_ownPresentation->SetWorkFolder(work);
    return m_ownPresentation->OpenPresentation(path, kSlideWidth, kSlideHeight, nullptr, true) &&
           m_ownPresentation->Retain();
}

int CPresentationExpander::PresentationSlideCount() const
{
    const CSlidePPTObj* in = PresentationInUse();
    return in && in->IsOpen() ? in->SlideCount() : 0;
}

void CPresentationExpander::ReleasePresentation()
{
    if (CSlidePPTObj* in = PresentationInUse())
        in->Release();
    m_borrowingPresentation = false;
}

bool CPresentationExpander::ExpandPresentation(std::unique_ptr<CCellInfo> cell, CCellInserter& run,
                                               bool reportCancel, CProgress& progress)
{
    const auto& show = static_cast<const CCellBmpInfo&>(*cell);
    std::string folder = m_doc.ProjectPath;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    const std::string work = CAppFolders::WorkFolder("Temp1");
    const int count = PresentationSlideCount();
    progress.SetRange(0, count);
    progress.SetPos(0);
    progress.Show(true);
    progress.SetText(CResourceBundle::Format(MsgId::ReadingSlides, show.RefFilePath));
    // The slides enter as the other cells of the insertion do, so that undo
    // takes them back with the rest.
    const uint32_t flags = run.NewCellFlags();

    // Without a project folder nothing is written anywhere.
    bool ok = !work.empty() && !folder.empty();
    // The display images come straight from the pages of the slides' PDF,
    // several at once; a presentation without one fails on its first slide
    // with the reason the export gives.
    // LibreOffice may take minutes over a large deck: the window tells that
    // it works, and for how long, and Cancel stops it.
    bool stopped = false;
    std::pair<int, int> told(-1, -1);
    const auto watch = [&](int seconds, int pagesDone) {
        if (told != std::make_pair(seconds, pagesDone)) {
            told = {seconds, pagesDone};
            const std::string time = std::to_string(seconds);
            progress.SetText(pagesDone > 0
                                 ? CResourceBundle::FormatAll(
                                       MsgId::ConvertingPresentationPages,
                                       {show.RefFilePath, std::to_string(pagesDone), time})
                                 : CResourceBundle::Format(MsgId::ConvertingPresentation,
                                                           show.RefFilePath, time));
        }
        stopped = progress.IsCancelled();
        return !stopped;
    };
    const std::string pdf = ok ? PresentationInUse()->SlidePdf(watch) : std::string();
    progress.SetText(CResourceBundle::Format(MsgId::ReadingSlides, show.RefFilePath));
    if (stopped) {
        run.SetCancelled();
        ok = !reportCancel;
    }
    std::unique_ptr<CPdfPageImages> pages;
    if (!pdf.empty())
        pages = std::make_unique<CPdfPageImages>(pdf);
    std::vector<CPdfPageImages::Job> batch;
    size_t next = 0;
    for (int t = 0; ok && !stopped && t < count; ++t) {
        if (progress.IsCancelled()) {
            run.SetCancelled();
            ok = !reportCancel;
            break;
        }
        if (next == batch.size()) {
            RemoveUnused(batch);
            batch.clear();
            next = 0;
            for (int k = t; pages && k < count && int(batch.size()) < pages->BatchSize(); ++k) {
                const std::string reserved = ReserveUniqueName(folder, show.RefFilePath, ".png");
                const std::string thumb = reserved.empty()
                                              ? std::string()
                                              : ReserveUniqueName(folder, show.RefFilePath, ".jpg");
                CPdfPageImages::Job job;
                job.page = PresentationInUse()->PdfPageAt(k + 1);
                // The thumbnail is made with the display image, on the
                // same thread, from the same pixels.
                if (!thumb.empty()) {
                    job.destination = folder + reserved;
                    job.thumbDestination = folder + thumb;
                    job.thumbBox = QSize(CCellBmpInfo::ThumbWidth, CCellBmpInfo::ThumbHeight);
                } else if (!reserved.empty()) {
                    QFile::remove(QString::fromStdString(folder + reserved));
                }
                batch.push_back(std::move(job));
            }
            if (pages)
                pages->Run(batch);
        }
        std::string name, thumbName;
        QSize size(kSlideWidth, kSlideHeight), thumbSize;
        const int page = PresentationInUse()->SlideNumberAt(t + 1);
        if (pages) {
            CPdfPageImages::Job& job = batch[next++];
            ok = job.written && page > 0;
            if (ok) {
                name = job.destination.substr(folder.size());
                thumbName = job.thumbDestination.substr(folder.size());
                size = job.size;
                thumbSize = job.thumbSize;
                // The cell owns them now.
                job.destination.clear();
                job.thumbDestination.clear();
            }
        } else {
            int exportedPage = 0;
            const std::string exported = ReserveUniqueName(work, show.RefFilePath, ".png");
            ok = !exported.empty() &&
                 PresentationInUse()->ExportSlide(work + exported, t + 1, kSlideWidth, kSlideHeight,
                                                  exportedPage);
            name = ok ? ReserveUniqueName(folder, show.RefFilePath, ".png") : "";
            ok = ok && !name.empty() &&
                 m_doc.CreateWorkImage(work + exported, folder + name, size) != 0;
            if (!exported.empty())
                QFile::remove(QString::fromStdString(work + exported));
        }
        if (!ok) {
            if (!name.empty())
                QFile::remove(QString::fromStdString(folder + name));
            break;
        }

        auto slide = std::make_unique<CCellBmpInfo>();
        slide->CopyFrom(&show);
        slide->FileName = name;
        slide->BmpSize[0] = size.width();
        slide->BmpSize[1] = size.height();
        // A thumbnail made with the display image is kept; Validate makes
        // one only where there is none.
        if (!thumbName.empty()) {
            slide->ThumbFileName = thumbName;
            slide->Resize[0] = thumbSize.width();
            slide->Resize[1] = thumbSize.height();
        }
        slide->RefPage = page;
        slide->OwnerList = &m_doc.Cells;
        slide->UpdateSourceKind();
        if (!slide->Validate(&m_doc)) {
            slide->DeleteFiles(folder);
            ok = false;
            break;
        }
        slide->StateFlags = flags;
        // A slide the author hid stays in its place, switched off, so the
        // rows still match the show's positions and page numbers.
        if (PresentationInUse()->IsHiddenAt(t + 1))
            slide->CellValid = 0;
        const CCellInfo* raw = slide.get();
        const std::string thumbnail = slide->ThumbFileName;
        bool rowRefused = false;
        if (!run.EnterCell(std::move(slide), rowRefused)) {
            // A cell the rows refused is still in the document's list.
            if (const int at = m_doc.Cells.IndexOf(raw); at >= 0)
                m_doc.Cells.RemoveAt(at);
            for (const std::string* file : {&std::as_const(name), &thumbnail}) {
                if (!file->empty())
                    QFile::remove(QString::fromStdString(folder + *file));
            }
            ok = false;
            break;
        }
        run.Repaint();
        progress.StepIt();
    }
    // Pictures rendered ahead for slides that did not become cells.
    RemoveUnused(batch);
    progress.Show(false);
    CFileFailure failure =
        PresentationInUse() ? PresentationInUse()->LastFailure() : CFileFailure();
    // The slide's picture was made: what failed was writing the project folder.
    if (!ok && !failure.IsFailure() && !folder.empty())
        failure = {CFileFailure::CannotWrite, folder};
    ReleasePresentation();
    // A cancel is no failure to tell: the caller decides what it means.
    if (!ok && !run.Cancelled())
        run.ReportInsertFailure(failure);
    return ok;
}
