#include "presentation/slidepptobj.h"

#include "base/appfolders.h"
#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/slidesourcetypes.h"
#include "base/userprompt.h"
#include "presentation/pptapplication.h"
#include "presentation/pptpresentation.h"
#include "presentation/presentationreader.h"
#include "presentation/sliderenderer.h"
#include "presentation/sofficeconverter.h"
#include "presentation/thumbnailreceiver.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <unistd.h>

namespace {

// The path of the program's work folder `name`, trailing '/', for the
// message that it cannot be made.
std::string workFolderPath(const std::string& name)
{
    QString root = qEnvironmentVariable("ZELM_HOME");
    if (root.isEmpty())
        root = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
               QStringLiteral("/Pellyx/Zelm Tessara");
    return QDir::cleanPath(root + QLatin1Char('/') + QString::fromStdString(name)).toStdString() +
           "/";
}

std::string programWorkFolder(const std::string& name)
{
    return CAppFolders::WorkFolder(name);
}

} // namespace

std::string CSlidePPTObj::DefaultWorkFolder()
{
    return programWorkFolder("Temp");
}

CSlidePPTObj::CSlidePPTObj(CUserPrompt* prompt) : m_prompt(prompt) {}

CSlidePPTObj::~CSlidePPTObj()
{
    m_retainCount = 0;
    ClosePresentation();
}

void CSlidePPTObj::SetWorkFolder(const std::string& folder)
{
    if (folder.empty())
        return;
    m_workFolder = folder;
    if (m_workFolder.back() != '/')
        m_workFolder += '/';
}

bool CSlidePPTObj::EnsureWorkFolder()
{
    if (!m_workFolder.empty())
        return QDir().mkpath(QString::fromStdString(m_workFolder));
    m_workFolder = programWorkFolder("Temp");
    if (m_workFolder.empty()) {
        AskUser(m_prompt, MsgId::FolderNotCreated, CUserPrompt::Exclamation, CUserPrompt::Ok,
                workFolderPath("Temp"));
        return false;
    }
    return true;
}

void CSlidePPTObj::NoteRenderFailure(const std::string& picture)
{
    switch (m_presentation ? m_presentation->Renderer().LastStatus() : CSlideRenderer::NotReady) {
    case CSlideRenderer::Ready:
        // Converted and rendered: the picture itself could not be written.
        m_failure = {CFileFailure::CannotWrite, picture};
        break;
    case CSlideRenderer::NoProgram:
        m_failure = {CFileFailure::NoOffice, m_path};
        break;
    default:
        m_failure = {CFileFailure::OfficeFailed, m_path};
        break;
    }
}

void CSlidePPTObj::ClearTables()
{
    m_slideCount = 0;
    m_totalSlides = 0;
    m_currentSlide = 0;
    m_resumePosition = 0;
    m_done.clear();
    m_doneCount = 0;
    m_slideNumbers.clear();
    m_hidden.clear();
}

bool CSlidePPTObj::IsDone(int position) const
{
    return position >= 1 && position <= m_slideCount && m_done[static_cast<size_t>(position)];
}

bool CSlidePPTObj::IsHiddenAt(int position) const
{
    return position >= 1 && position <= m_slideCount && m_hidden[static_cast<size_t>(position)];
}

int CSlidePPTObj::SlideNumberAt(int position) const
{
    return position >= 1 && position <= m_slideCount ? m_slideNumbers[static_cast<size_t>(position)]
                                                     : 0;
}

bool CSlidePPTObj::OpenPresentation(const std::string& path, int width, int height,
                                    CThumbnailReceiver* receiver, bool png)
{
    if (m_state > 0 || m_retainCount > 0)
        return false;
    if (m_open && !ClosePresentation())
        return false;
    ClearTables();
    m_failure = {};
    if (!EnsureWorkFolder())
        return false;
    const QFileInfo file(QString::fromStdString(path));
    if (path.empty() || !file.exists()) {
        m_failure = {CFileFailure::NotFound, path};
        return false;
    }
    if (!CSlideSourceTypes::IsPresentation(path)) {
        m_failure = {CFileFailure::NotAPresentation, path};
        return false;
    }
    if (!file.isFile()) {
        m_failure = {CFileFailure::NotRegular, path};
        return false;
    }

    m_path = path;
    m_width = width;
    m_height = height;
    m_state = StateOpening;
    m_extension = png ? "png" : "jpg";
    m_receiver = receiver;
    if (Open()) {
        m_open = true;
        m_state = StateIdle;
        return true;
    }
    if (m_state == StateOpening)
        m_state = StateIdle;
    m_path.clear();
    return false;
}

bool CSlidePPTObj::Open()
{
    if (!m_application) {
        const std::string cache = m_cacheFolder.empty() ? programWorkFolder("Temp") : m_cacheFolder;
        m_application = CPptApplication::Create(
            cache, m_timeoutMs > 0 ? m_timeoutMs : CSofficeConverter::DefaultTimeoutMs,
            !CPresentationReader::DrawsItself(m_path));
        if (!m_application || cache.empty()) {
            m_application.reset();
            m_state = FailNoProgram;
            m_failure = {CFileFailure::NoOffice, m_path};
            return false;
        }
    }
    CPptPresentations& presentations = m_application->Presentations();
    if (presentations.Count() == 0)
        m_quitOnClose = true;
    m_presentation = presentations.Open(m_path, nullptr, &m_failure);
    if (!m_presentation) {
        if (m_quitOnClose)
            m_application.reset();
        m_quitOnClose = false;
        m_state = FailOpen;
        return false;
    }
    BuildSlideList();
    return true;
}

void CSlidePPTObj::BuildSlideList()
{
    const std::vector<const CPptSlide*> show = m_presentation->ShowSlides();
    const CPptSlides& slides = m_presentation->Slides();
    m_totalSlides = slides.Count();
    m_listed = true;
    m_slideCount = static_cast<int>(show.size());
    m_slideNumbers.assign(show.size() + 1, 0);
    m_hidden.assign(show.size() + 1, 0);
    for (size_t k = 0; k < show.size(); ++k) {
        m_slideNumbers[k + 1] = show[k]->SlideNumber();
        m_hidden[k + 1] = show[k]->Hidden() ? 1 : 0;
    }
    m_done.assign(show.size() + 1, 0);
    m_doneCount = 0;
}

bool CSlidePPTObj::ExportPosition(int position, const std::string& file, const std::string& filter,
                                  int width, int height)
{
    CPptPageSetup& setup = m_presentation->PageSetup();
    const int first = setup.FirstSlideNumber();
    const int number = m_slideNumbers[static_cast<size_t>(position)];
    const CPptSlide* slide = m_presentation->Slides().Item(number - first + 1);
    if (!slide)
        return false;
    setup.SetFirstSlideNumber(number);
    const bool exported = slide->Export(file, filter, width, height);
    setup.SetFirstSlideNumber(first);
    return exported;
}

bool CSlidePPTObj::MakeThumbnails(int start)
{
    if (!m_open || !m_presentation)
        return false;
    if (start <= 0)
        start = 1;
    if (m_batchSize == 0)
        m_batchSize = 5;
    m_state = StateThumbnails;
    int visited = 0;
    int k = start;
    while (m_doneCount < m_slideCount) {
        // Past the last position the walk goes on from the first, so that
        // positions before the start are made too.
        if (k > m_slideCount)
            k = 1;
        if (m_batchSize > 0 && visited == m_batchSize) {
            m_state = StatePaused;
            m_resumePosition = k;
            return true;
        }
        ++visited;
        if (m_done[static_cast<size_t>(k)]) {
            ++k;
            continue;
        }
        m_currentSlide = k;
        const std::string file = m_workFolder + "_Thm" + std::to_string(k) + "." + m_extension;
        std::remove(file.c_str());
        if (!ExportPosition(k, file, m_extension, m_width, m_height)) {
            NoteRenderFailure(file);
            m_state = FailExport;
            return false;
        }
        m_done[static_cast<size_t>(k)] = 1;
        ++m_doneCount;
        if (m_receiver)
            m_receiver->ThumbnailMade(this, k, m_slideNumbers[static_cast<size_t>(k)], file);
        ++k;
    }
    m_state = StateIdle;
    return true;
}

bool CSlidePPTObj::ContinueThumbnails(int position)
{
    if (m_state != StatePaused)
        return true;
    if (position < 1 || position > m_slideCount)
        return false;
    return MakeThumbnails(position);
}

bool CSlidePPTObj::ExportSlide(const std::string& file, int position, int width, int height,
                               int& slideNumber)
{
    slideNumber = 0;
    m_failure = {};
    if (!m_open || !m_presentation ||
        (m_state != StateIdle && m_state != StateOpening && m_state != StatePaused) ||
        position < 1 || position > m_slideCount || file.empty())
        return false;
    const QFileInfo existing(QString::fromStdString(file));
    if (existing.exists()) {
        // A read-only file (no write permission for anyone, or none for this
        // user) is left as it is.
        if (!existing.isFile() || ::access(file.c_str(), W_OK) != 0 ||
            !(existing.permissions() &
              (QFile::WriteOwner | QFile::WriteGroup | QFile::WriteOther)) ||
            std::remove(file.c_str()) != 0)
            return false;
    }
    const int32_t saved = m_state;
    m_state = StateExporting;
    const bool exported = ExportPosition(position, file, "png", width, height);
    if (exported) {
        slideNumber = m_slideNumbers[static_cast<size_t>(position)];
    } else {
        std::remove(file.c_str());
        NoteRenderFailure(file);
    }
    m_state = saved;
    return exported;
}

std::string CSlidePPTObj::SlidePdf(const CSofficeConverter::Watcher& watcher)
{
    m_failure = {};
    if (!m_open || !m_presentation)
        return {};
    CSlideRenderer& renderer = m_presentation->Renderer();
    const CSlideRenderer::Status status = renderer.Prepare(watcher);
    // A cancel is no failure: nothing is noted.
    if (status == CSlideRenderer::Cancelled)
        return {};
    if (status != CSlideRenderer::Ready) {
        NoteRenderFailure(m_path);
        return {};
    }
    return renderer.PdfPath();
}

int CSlidePPTObj::PdfPageAt(int position) const
{
    if (!m_presentation || position < 1 || position > m_slideCount)
        return 0;
    const int first = m_presentation->PageSetup().FirstSlideNumber();
    const int number = m_slideNumbers[static_cast<size_t>(position)];
    const CPptSlide* slide = m_presentation->Slides().Item(number - first + 1);
    return slide ? slide->SlideIndex() : 0;
}

bool CSlidePPTObj::Retain()
{
    if (!m_open)
        return false;
    ++m_retainCount;
    return true;
}

int CSlidePPTObj::Release()
{
    const int before = m_retainCount;
    if (m_retainCount > 0)
        --m_retainCount;
    if (m_open && m_state <= StateOpening && before == 1)
        return ClosePresentation() ? 1 : 0;
    return m_retainCount;
}

bool CSlidePPTObj::StopThumbnails()
{
    if (!m_open)
        return false;
    if (m_state <= 0)
        m_state = StateStopped;
    ClosePresentation();
    return true;
}

bool CSlidePPTObj::ClosePresentation()
{
    if (!m_open)
        return true;
    if (m_retainCount > 0)
        return false;
    if (m_presentation)
        m_presentation->Close();
    m_presentation = nullptr;
    if (m_application && m_application->Presentations().Count() == 0)
        m_quitOnClose = true;
    if (m_quitOnClose)
        m_application.reset();
    m_open = false;
    m_state = StateIdle;
    m_quitOnClose = false;
    m_path.clear();
    m_listed = false;
    ClearTables();
    return true;
}
