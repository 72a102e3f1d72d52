#include "gui/browser/slideworker.h"

#include "presentation/presentationconversion.h"
#include "presentation/slidepptobj.h"

#include <QImageReader>

namespace {

// Whether the presentation object can tell hidden slides, and which.
template <typename Object>
auto hiddenAt(const Object& object, int position, int) -> decltype(object.IsHiddenAt(position))
{
    return object.IsHiddenAt(position);
}

template <typename Object> bool hiddenAt(const Object&, int, long)
{
    return false;
}

} // namespace

CSlideWorker::CSlideWorker(CSlidePPTObj* shared, QObject* parent) : QObject(parent)
{
    if (!shared)
        m_own = std::make_unique<CSlidePPTObj>();
    m_object = shared ? shared : m_own.get();
    m_step.setSingleShot(true);
    m_step.setInterval(0);
    connect(&m_step, &QTimer::timeout, this, &CSlideWorker::Step);
}

CSlideWorker::~CSlideWorker()
{
    Stop();
}

void CSlideWorker::Stop()
{
    m_step.stop();
    m_conversion.reset(); // kills LibreOffice and waits for its thread
    if (m_open) {
        m_object->StopThumbnails();
        m_open = false;
    }
    m_made.clear();
}

void CSlideWorker::Open(int generation, const QString& path, int batch, const QString& workFolder)
{
    Stop();
    m_generation = generation;
    m_path = path;
    m_workFolder = workFolder;
    m_from = 1;
    m_count = batch;
    auto done = [this, generation](CSlideRenderer::Status status) {
        QMetaObject::invokeMethod(
            this, [this, generation, status] { OnConverted(generation, status); },
            Qt::QueuedConnection);
    };
    // With the presentation object's cache and time limit.
    m_conversion = std::make_unique<CPresentationConversion>(
        path.toStdString(), m_object->CacheFolder(), m_object->ConversionTimeout());
    m_conversion->Start(done);
}

void CSlideWorker::OnConverted(int generation, CSlideRenderer::Status status)
{
    if (generation != m_generation || !m_conversion)
        return;
    m_conversion.reset();
    if (status != CSlideRenderer::Ready) {
        Q_EMIT Failed(generation);
        return;
    }
    // The PDF is cached: opening only reads the presentation's structure.
    m_object->StopThumbnails();
    if (!m_workFolder.isEmpty())
        m_object->SetWorkFolder(m_workFolder.toStdString());
    m_object->SetBatchSize(1);
    if (!m_object->OpenPresentation(m_path.toStdString(), 160, 120, this, false)) {
        Q_EMIT Failed(generation);
        return;
    }
    m_open = true;
    QVector<int> numbers;
    QVector<bool> hidden;
    for (int k = 1; k <= m_object->SlideCount(); ++k) {
        numbers.append(m_object->SlideNumberAt(k));
        hidden.append(hiddenAt(*m_object, k, 0));
    }
    Q_EMIT Opened(generation, m_object->SlideCount(), numbers, hidden);
    m_step.start();
}

void CSlideWorker::Continue(int generation, int position, int batch)
{
    if (generation != m_generation)
        return;
    m_from = std::max(1, position);
    m_count = std::max(1, batch);
    if (m_open)
        m_step.start();
}

void CSlideWorker::Step()
{
    if (!m_open)
        return;
    const int last = std::min(m_object->SlideCount(), m_from + m_count - 1);
    int position = m_from;
    while (position <= last && m_made.contains(position))
        ++position;
    if (position > last) {
        Q_EMIT Paused(m_generation);
        return;
    }
    // One slide per turn of the event loop.
    m_object->SetBatchSize(1);
    if (!m_object->MakeThumbnails(position)) {
        Fail();
        return;
    }
    m_made.insert(position);
    m_step.start();
}

void CSlideWorker::Fail()
{
    const int generation = m_generation;
    Stop();
    Q_EMIT Failed(generation);
}

void CSlideWorker::ThumbnailMade(CSlidePPTObj*, int position, int slideNumber,
                                 const std::string& path)
{
    if (path.empty())
        return;
    m_made.insert(position);
    // Read now: the work folder's files are written again for the next one.
    QImageReader reader(QString::fromStdString(path));
    Q_EMIT ThumbnailReady(m_generation, position, slideNumber, reader.read());
}
