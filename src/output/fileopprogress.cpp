#include "output/fileopprogress.h"

#include <QMetaObject>
#include <QThread>

CFileOpProgress::CFileOpProgress(int captionId) : m_model(captionId) {}

// A derived front end has already gone when this runs, so its hooks are not
// called here; it ends itself in its own destructor. Calls a worker queued
// and that have not run yet go with m_home.
CFileOpProgress::~CFileOpProgress()
{
    const std::lock_guard lock(m_lock);
    m_model.Destroy();
}

bool CFileOpProgress::OnHomeThread(std::function<void()> call)
{
    if (QThread::currentThread() == m_home.thread())
        return true;
    QMetaObject::invokeMethod(
        &m_home,
        [this, call = std::move(call)] {
            m_inQueuedCall = true;
            call();
            m_inQueuedCall = false;
        },
        Qt::QueuedConnection);
    return false;
}

void CFileOpProgress::Change(const std::function<void(CProgressModel&)>& change)
{
    {
        const std::lock_guard lock(m_lock);
        change(m_model);
    }
    Refresh();
}

CProgressModel CFileOpProgress::Model() const
{
    const std::lock_guard lock(m_lock);
    return m_model;
}

void CFileOpProgress::SetOwner(std::function<bool()> isEnabled,
                               std::function<void(bool)> setEnabled)
{
    const std::lock_guard lock(m_lock);
    m_model.SetOwner(std::move(isEnabled), std::move(setEnabled));
}

void CFileOpProgress::SetRange(int lower, int upper)
{
    auto change = [lower, upper](CProgressModel& m) { m.SetRange(lower, upper); };
    if (OnHomeThread([this, change] { Change(change); }))
        Change(change);
}

void CFileOpProgress::SetStep(int step)
{
    // The step shows nowhere until the next step: nothing to draw.
    auto change = [this, step] {
        const std::lock_guard lock(m_lock);
        m_model.SetStep(step);
    };
    if (OnHomeThread(change))
        change();
}

// Reported from a worker, the front end runs its own events: it is not
// pumped then.
void CFileOpProgress::SetPos(int pos)
{
    auto change = [pos](CProgressModel& m) { m.SetPos(pos); };
    if (!OnHomeThread([this, change] { Change(change); }))
        return;
    Pump();
    Change(change);
}

void CFileOpProgress::StepIt()
{
    auto change = [](CProgressModel& m) { m.StepIt(); };
    if (!OnHomeThread([this, change] { Change(change); }))
        return;
    Pump();
    Change(change);
}

void CFileOpProgress::SetText(const std::string& text)
{
    auto change = [text](CProgressModel& m) { m.SetText(text); };
    if (OnHomeThread([this, change] { Change(change); }))
        Change(change);
}

void CFileOpProgress::SetCaption(const std::string& caption)
{
    auto change = [caption](CProgressModel& m) { m.SetCaption(caption); };
    if (OnHomeThread([this, change] { Change(change); }))
        Change(change);
}

bool CFileOpProgress::IsCancelled()
{
    if (QThread::currentThread() == m_home.thread())
        Pump();
    const std::lock_guard lock(m_lock);
    const bool cancelled = m_model.TakeCancelled();
    m_cancelReported = m_cancelReported || cancelled;
    return cancelled;
}

void CFileOpProgress::Cancel()
{
    const std::lock_guard lock(m_lock);
    m_model.Cancel();
}

void CFileOpProgress::Show(bool visible)
{
    if (OnHomeThread([this, visible] { ShowHere(visible); }))
        ShowHere(visible);
}

void CFileOpProgress::ShowHere(bool visible)
{
    {
        const std::lock_guard lock(m_lock);
        if (!m_model.Exists()) {
            if (!visible)
                return;
            m_model.Create();
        }
        if (m_model.IsVisible() == visible && !visible)
            return;
        m_model.Show(visible);
    }
    Visibility(visible);
}

void CFileOpProgress::Destroy()
{
    {
        const std::lock_guard lock(m_lock);
        if (!m_model.Exists())
            return;
    }
    bool wasVisible = false;
    {
        const std::lock_guard lock(m_lock);
        wasVisible = m_model.IsVisible();
        if (wasVisible)
            m_model.Show(false);
    }
    if (wasVisible)
        Visibility(false);
    const std::lock_guard lock(m_lock);
    m_model.Destroy();
}
