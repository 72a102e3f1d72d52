#include "presentation/presentationconversion.h"

#include "base/job.h"
#include "presentation/slidepptobj.h"
#include "presentation/sofficeconverter.h"

#include <QtConcurrent/QtConcurrentRun>
#include <chrono>
#include <utility>

CPresentationConversion::CPresentationConversion(std::string presentation, std::string cacheFolder,
                                                 int timeoutMs)
    : m_presentation(std::move(presentation)), m_cacheFolder(std::move(cacheFolder)),
      m_timeoutMs(timeoutMs > 0 ? timeoutMs : CSofficeConverter::DefaultTimeoutMs),
      m_future(m_promise.get_future().share())
{}

CPresentationConversion::~CPresentationConversion()
{
    Cancel();
    if (m_started)
        m_work.waitForFinished();
}

std::string CPresentationConversion::CachedPdf() const
{
    const std::string cache =
        m_cacheFolder.empty() ? CSlidePPTObj::DefaultWorkFolder() : m_cacheFolder;
    return cache.empty() ? std::string() : CSlideRenderer::CachedPdfPath(cache, m_presentation);
}

void CPresentationConversion::Start(Completion done)
{
    if (m_started)
        return;
    m_started = true;
    // On the pool of jobs: a conversion mostly waits for LibreOffice.
    m_work = QtConcurrent::run(&CJob::Pool(), [this, done = std::move(done)] {
        Status status = CSlideRenderer::Cancelled;
        if (!m_cancel.load()) {
            const std::string cache =
                m_cacheFolder.empty() ? CSlidePPTObj::DefaultWorkFolder() : m_cacheFolder;
            status = cache.empty() ? CSlideRenderer::Unreadable
                                   : CSlideRenderer::ConvertToCache(m_presentation, cache,
                                                                    m_timeoutMs, &m_cancel);
        }
        // The completion comes first: once Wait() returns or IsFinished()
        // holds, it has run.
        if (done)
            done(status);
        m_promise.set_value(status);
    });
}

void CPresentationConversion::Cancel()
{
    m_cancel.store(true);
}

bool CPresentationConversion::IsFinished() const
{
    return m_future.wait_for(std::chrono::seconds(0)) == std::future_status::ready;
}

CSlideRenderer::Status CPresentationConversion::Wait()
{
    if (!m_started && !IsFinished())
        return CSlideRenderer::NotReady;
    return m_future.get();
}
