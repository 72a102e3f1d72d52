#include "gui/browser/slideworker.h"

#include "presentation/slidepptobj.h"

#include <QImageReader>

CSlideWorker::CSlideWorker(CSlidePPTObj* shared)
    : m_own(shared ? nullptr : std::make_unique<CSlidePPTObj>()),
      m_object(shared ? shared : m_own.get())
{}

CSlideWorker::~CSlideWorker()
{
    m_object->StopThumbnails();
}

void CSlideWorker::Open(int generation, const QString& path, int batch, const QString& workFolder)
{
    if (generation != m_latest.load())
        return; // another presentation was chosen meanwhile
    m_object->StopThumbnails();
    if (!workFolder.isEmpty())
        m_object->SetWorkFolder(workFolder.toStdString());
    m_object->SetBatchSize(batch);
    m_current = generation;
    if (!m_object->OpenPresentation(path.toStdString(), 160, 120, this, false)) {
        Q_EMIT Failed(generation);
        return;
    }
    QVector<int> numbers;
    for (int k = 1; k <= m_object->SlideCount(); ++k)
        numbers.append(m_object->SlideNumberAt(k));
    Q_EMIT Opened(generation, m_object->SlideCount(), numbers);
    if (generation != m_latest.load())
        return;
    ReportRun(generation, m_object->MakeThumbnails(1));
}

void CSlideWorker::Continue(int generation, int position, int batch)
{
    if (generation != m_latest.load() || generation != m_current)
        return;
    if (batch > m_object->BatchSize())
        m_object->SetBatchSize(batch);
    ReportRun(generation, m_object->ContinueThumbnails(position));
}

void CSlideWorker::Stop()
{
    m_object->StopThumbnails();
    m_current = 0;
}

void CSlideWorker::ReportRun(int generation, bool ok)
{
    if (!ok) {
        m_object->StopThumbnails();
        Q_EMIT Failed(generation);
    } else if (m_object->State() == CSlidePPTObj::StatePaused) {
        Q_EMIT Paused(generation);
    }
}

void CSlideWorker::ThumbnailMade(CSlidePPTObj*, int position, int slideNumber,
                                 const std::string& path)
{
    if (path.empty())
        return;
    // The picture is read here, once: the files of the work folder are
    // written again for the next presentation.
    QImageReader reader(QString::fromStdString(path));
    const QImage image = reader.read();
    Q_EMIT ThumbnailReady(m_current, position, slideNumber, image);
}
