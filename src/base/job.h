#pragma once

#include <QFutureWatcher>
#include <QObject>
#include <functional>

class QThreadPool;

// Long work on a worker thread, started from the window's thread. The work
// owns (or holds the lock of) everything it reads and reports only through
// channels that cross threads (a CFileOpProgress, a CThreadPrompt); `done`
// runs afterwards on the thread that started the job, as a queued call, and
// then the job deletes itself. The window's thread never waits for a job:
// Cancel is the progress's token, which the work checks between its steps.
class CJob : public QObject
{
    Q_OBJECT
public:
    // Starts `work` on the pool of jobs. `context` is the window (or object)
    // the job belongs to: `done` is not called once it has gone.
    static CJob* Start(QObject* context, std::function<void()> work, std::function<void()> done);

    // The jobs started and not yet finished (their `done` not yet run).
    static int Running();
    // Waits up to `milliseconds` for the work of every job to end; for the
    // end of the program and for tests (it does not run `done`).
    static bool WaitForWork(int milliseconds);

    // The pool the jobs run on. Jobs spend much of their time waiting (for a
    // card, for the user's answer), so it does not share the pool the work
    // inside a job uses for its own parallel steps.
    static QThreadPool& Pool();

Q_SIGNALS:
    void Finished();

private:
    CJob(QObject* context, std::function<void()> done);
    ~CJob() override;
    void Ended();

    QFutureWatcher<void> m_watcher;
    std::function<void()> m_done;
    bool m_ended = false;
};
