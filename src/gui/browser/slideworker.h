#pragma once

#include "presentation/sliderenderer.h"
#include "presentation/thumbnailreceiver.h"

#include <QImage>
#include <QObject>
#include <QSet>
#include <QString>
#include <QTimer>
#include <QVector>
#include <memory>

class CPresentationConversion;
class CSlidePPTObj;

// Feeds the thumbnail window: the LibreOffice conversion runs on a thread of
// its own (cancelled when another presentation is chosen, killed when it
// hangs past its time limit); once the PDF is cached, the presentation
// object is opened on the window's thread and the tiles wanted are rendered
// one per turn of the event loop, so the window never waits long. Requests
// carry a generation; results of an older one are never reported.
class CSlideWorker : public QObject, public CThumbnailReceiver
{
    Q_OBJECT
public:
    // `shared` is the program's presentation object, only called on this
    // (the window's) thread; without one the worker keeps its own.
    explicit CSlideWorker(CSlidePPTObj* shared = nullptr, QObject* parent = nullptr);
    ~CSlideWorker() override;

    // Starts showing `path`: conversion, then the slides `1 .. batch`.
    void Open(int generation, const QString& path, int batch, const QString& workFolder);
    // Renders the tiles of positions `position .. position + batch - 1`
    // that are not made yet.
    void Continue(int generation, int position, int batch);
    // Stops the conversion and the tiles; the presentation is closed.
    void Stop();
    bool IsConverting() const { return m_conversion != nullptr; }

Q_SIGNALS:
    // `hidden` marks the positions (from 0) the slide show skips.
    void Opened(int generation, int total, const QVector<int>& slideNumbers,
                const QVector<bool>& hidden);
    void Failed(int generation);
    void ThumbnailReady(int generation, int position, int slideNumber, const QImage& image);
    // The tiles asked for are all there.
    void Paused(int generation);

private:
    void ThumbnailMade(CSlidePPTObj* source, int position, int slideNumber,
                       const std::string& path) override;
    void OnConverted(int generation, CSlideRenderer::Status status);
    void Step();
    void Fail();

    std::unique_ptr<CSlidePPTObj> m_own;
    CSlidePPTObj* m_object;
    std::unique_ptr<CPresentationConversion> m_conversion;
    int m_generation = 0;
    QString m_path;
    QString m_workFolder;
    bool m_open = false;
    int m_from = 1;
    int m_count = 0;
    QSet<int> m_made;
    QTimer m_step;
};
