#pragma once

#include "presentation/sliderenderer.h"

#include <QFuture>
#include <atomic>
#include <functional>
#include <future>
#include <string>

// The slow half of opening a presentation, off the caller's thread: the
// LibreOffice conversion (1-3 s for a small deck, minutes for a large one;
// a LibreOffice without progress is stopped) into the PDF cache. Once it has ended Ready, the
// blocking forms (CSlidePPTObj::OpenPresentation and its thumbnails, ExportPresentationSlide) find
// the cached PDF and only render, which is quick. A window starts one per presentation it is about
// to show, keeps the object, and reacts to the completion; it never waits on the GUI thread.
//
//     auto conversion = std::make_unique<CPresentationConversion>(path, cache);
//     conversion->Start([this](CSlideRenderer::Status status) {
//         // on the conversion's own thread: hop to the GUI thread, e.g.
//         QMetaObject::invokeMethod(window, [=] { ... }, Qt::QueuedConnection);
//     });
//
// Cancel() (or destroying the object) kills LibreOffice's whole process
// group and leaves no cache entry, neither whole nor half written.
class CPresentationConversion
{
public:
    using Status = CSlideRenderer::Status;
    // Called once, on the conversion's thread, with Ready, Cancelled or the
    // reason of the failure, before the result is ready (Wait, Future). It
    // must not destroy this object nor wait for it.
    using Completion = std::function<void(Status)>;

    // `cacheFolder` (trailing '/'; "" for the program's "Temp" work folder)
    // and `timeoutMs` (0 for the default) as for CSlidePPTObj.
    explicit CPresentationConversion(std::string presentation, std::string cacheFolder = {},
                                     int timeoutMs = 0);
    // Cancels and waits for the thread.
    ~CPresentationConversion();
    CPresentationConversion(const CPresentationConversion&) = delete;
    CPresentationConversion& operator=(const CPresentationConversion&) = delete;

    // Starts the work (once); a cached presentation completes at once.
    void Start(Completion done = {});
    // Asks the work to stop; returns at once. The completion then reports
    // Cancelled unless the conversion had already ended.
    void Cancel();
    bool IsCancelled() const { return m_cancel.load(); }
    bool IsFinished() const;
    // Blocks until the work has ended (for tests and the command line).
    Status Wait();
    // The result as a future, for callers that prefer one.
    std::shared_future<Status> Future() const { return m_future; }

    const std::string& Presentation() const { return m_presentation; }
    // Where the PDF is (or will be) cached; "" when the file cannot be read.
    std::string CachedPdf() const;

private:
    std::string m_presentation;
    std::string m_cacheFolder;
    int m_timeoutMs;
    std::atomic<bool> m_cancel{false};
    std::promise<Status> m_promise;
    std::shared_future<Status> m_future;
    QFuture<void> m_work;
    bool m_started = false;
};
