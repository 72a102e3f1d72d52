#include "browser/folderreader.h"

#include <QMetaObject>
#include <QObject>

CFolderReader::CFolderReader(QObject* context)
    : m_context(context), m_alive(std::make_shared<bool>(true))
{
    // Listings of opened branches apart from the many small checks, so a
    // slow check never holds up a branch the user opened.
    m_listPool.setMaxThreadCount(2);
    m_probePool.setMaxThreadCount(2);
}

CFolderReader::~CFolderReader()
{
    *m_alive = false;
    Cancel();
    m_listPool.waitForDone();
    m_probePool.waitForDone();
}

void CFolderReader::List(const std::string& folder, ListDone done)
{
    QObject* context = m_context; // outlives the pools (they are waited for)
    std::weak_ptr<bool> alive = m_alive;
    Lister lister = m_lister;
    m_listPool.start([context, alive, lister, folder, done = std::move(done)] {
        CFolderListing::Result result = lister(folder);
        QMetaObject::invokeMethod(
            context,
            [alive, done, result = std::move(result)] {
                const std::shared_ptr<bool> still = alive.lock();
                if (still && *still)
                    done(result);
            },
            Qt::QueuedConnection);
    });
}

void CFolderReader::Probe(const std::string& folder, ProbeDone done)
{
    QObject* context = m_context; // outlives the pools (they are waited for)
    std::weak_ptr<bool> alive = m_alive;
    Prober prober = m_prober;
    m_probePool.start([context, alive, prober, folder, done = std::move(done)] {
        const bool has = prober(folder);
        QMetaObject::invokeMethod(
            context,
            [alive, done, folder, has] {
                const std::shared_ptr<bool> still = alive.lock();
                if (still && *still)
                    done(folder, has);
            },
            Qt::QueuedConnection);
    });
}

void CFolderReader::Cancel()
{
    m_listPool.clear();
    m_probePool.clear();
}

bool CFolderReader::WaitForDone(int milliseconds)
{
    return m_listPool.waitForDone(milliseconds) && m_probePool.waitForDone(milliseconds);
}
