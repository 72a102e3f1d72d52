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
#include "presentation/slidepptobj.h"

#include <QFile>

namespace {
constexpr int kSlideWidth = 1024;
constexpr int kSlideHeight = 768;

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
    for (int t = 0; ok && t < count; ++t) {
        if (progress.IsCancelled()) {
            run.SetCancelled();
            ok = !reportCancel;
            break;
        }
        // The slide's picture, then its display image in the project folder.
        const std::string exported = ReserveUniqueName(work, show.RefFilePath, ".png");
        int page = 0;
        ok = !exported.empty() && PresentationInUse()->ExportSlide(work + exported, t + 1,
                                                                   kSlideWidth, kSlideHeight, page);
        const std::string name = ok ? ReserveUniqueName(folder, show.RefFilePath, ".png") : "";
        QSize size(kSlideWidth, kSlideHeight);
        ok =
            ok && !name.empty() && m_doc.CreateWorkImage(work + exported, folder + name, size) != 0;
        if (!exported.empty())
            QFile::remove(QString::fromStdString(work + exported));
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
            for (const std::string* file : {&name, &thumbnail}) {
                if (!file->empty())
                    QFile::remove(QString::fromStdString(folder + *file));
            }
            ok = false;
            break;
        }
        run.Repaint();
        progress.StepIt();
    }
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
