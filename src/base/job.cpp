#include "base/job.h"

#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>

namespace {
std::atomic<int> s_running{0};
} // namespace

QThreadPool& CJob::Pool()
{
    static QThreadPool pool;
    static const bool sized = [] {
        // Enough that every project window can run its job while others
        // wait for an answer.
        pool.setMaxThreadCount(32);
        return true;
    }();
    (void)sized;
    return pool;
}

CJob::CJob(QObject* context, std::function<void()> done) : QObject(context), m_done(std::move(done))
{}

CJob* CJob::Start(QObject* context, std::function<void()> work, std::function<void()> done)
{
    auto* job = new CJob(context, std::move(done));
    ++s_running;
    connect(&job->m_watcher, &QFutureWatcher<void>::finished, job, &CJob::Ended);
    job->m_watcher.setFuture(QtConcurrent::run(&Pool(), std::move(work)));
    return job;
}

CJob::~CJob()
{
    if (!m_ended)
        --s_running;
}

void CJob::Ended()
{
    m_ended = true;
    --s_running;
    if (m_done)
        m_done();
    Q_EMIT Finished();
    deleteLater();
}

int CJob::Running()
{
    return s_running.load();
}

bool CJob::WaitForWork(int milliseconds)
{
    return Pool().waitForDone(milliseconds);
}
