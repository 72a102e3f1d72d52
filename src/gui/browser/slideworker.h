#pragma once

#include "presentation/thumbnailreceiver.h"

#include <QImage>
#include <QObject>
#include <QString>
#include <QVector>
#include <atomic>
#include <memory>

class CSlidePPTObj;

// Runs the presentation object's conversion and thumbnail batches on a
// thread of its own, so the thumbnail window never waits for LibreOffice.
// Requests carry a generation; work for an older generation is skipped, and
// its results are dropped by the window.
class CSlideWorker : public QObject, public CThumbnailReceiver
{
    Q_OBJECT
public:
    // `shared` is the program's presentation object (only this worker's
    // thread calls it while the window uses it); without one the worker
    // keeps its own.
    explicit CSlideWorker(CSlidePPTObj* shared = nullptr);
    ~CSlideWorker() override;

    // The generation of the latest request; set by the window's thread.
    void SetLatest(int generation) { m_latest.store(generation); }

public Q_SLOTS:
    void Open(int generation, const QString& path, int batch, const QString& workFolder);
    void Continue(int generation, int position, int batch);
    void Stop();

Q_SIGNALS:
    void Opened(int generation, int total, const QVector<int>& slideNumbers);
    void Failed(int generation);
    void ThumbnailReady(int generation, int position, int slideNumber, const QImage& image);
    void Paused(int generation);

private:
    void ThumbnailMade(CSlidePPTObj* source, int position, int slideNumber,
                       const std::string& path) override;
    void ReportRun(int generation, bool ok);

    std::unique_ptr<CSlidePPTObj> m_own;
    CSlidePPTObj* m_object;
    std::atomic<int> m_latest{0};
    int m_current = 0;
};
