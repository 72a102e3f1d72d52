#include "output/fileopprogress.h"

CFileOpProgress::CFileOpProgress(int captionId) : m_model(captionId) {}

// A derived front end has already gone when this runs, so its hooks are not
// called here; it ends itself in its own destructor.
CFileOpProgress::~CFileOpProgress()
{
    m_model.Destroy();
}

void CFileOpProgress::SetRange(int lower, int upper)
{
    m_model.SetRange(lower, upper);
    Refresh();
}

void CFileOpProgress::SetStep(int step)
{
    m_model.SetStep(step);
}

void CFileOpProgress::SetPos(int pos)
{
    Pump();
    m_model.SetPos(pos);
    Refresh();
}

void CFileOpProgress::StepIt()
{
    Pump();
    m_model.StepIt();
    Refresh();
}

void CFileOpProgress::SetText(const std::string& text)
{
    m_model.SetText(text);
    Refresh();
}

void CFileOpProgress::SetCaption(const std::string& caption)
{
    m_model.SetCaption(caption);
    Refresh();
}

bool CFileOpProgress::IsCancelled()
{
    Pump();
    const bool cancelled = m_model.TakeCancelled();
    m_cancelReported = m_cancelReported || cancelled;
    return cancelled;
}

void CFileOpProgress::Show(bool visible)
{
    if (!m_model.Exists()) {
        if (!visible)
            return;
        m_model.Create();
    }
    if (m_model.IsVisible() == visible && !visible)
        return;
    m_model.Show(visible);
    Visibility(visible);
}

void CFileOpProgress::Destroy()
{
    if (!m_model.Exists())
        return;
    if (m_model.IsVisible()) {
        m_model.Show(false);
        Visibility(false);
    }
    m_model.Destroy();
}
