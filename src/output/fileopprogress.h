#pragma once

#include "base/progress.h"
#include "output/progressmodel.h"

#include <QObject>
#include <functional>
#include <mutex>
#include <string>

// The progress of long file operations as the core sees it, kept in a
// CProgressModel. A front end derives from it and draws: the window program's
// progress dialog, the command line's terminal bar. The hooks are called
// after the model has changed, always on the thread that made the progress:
// a job's worker thread reports through queued calls to that thread, in the
// order it reported, and its cancel query reads the token at once.
class CFileOpProgress : public CProgress
{
public:
    // `captionId`: the caption text's number, 0 for the default.
    explicit CFileOpProgress(int captionId = 0);
    ~CFileOpProgress() override;

    CFileOpProgress(const CFileOpProgress&) = delete;
    CFileOpProgress& operator=(const CFileOpProgress&) = delete;

    void SetRange(int lower, int upper) override;
    void SetStep(int step) override;
    void SetPos(int pos) override;
    void StepIt() override;
    void SetText(const std::string& text) override;
    void SetCaption(const std::string& caption) override;
    // Keeps the front end alive first (it may see the user's Cancel then),
    // then reports a pending Cancel once.
    bool IsCancelled() override;
    // Showing creates the progress when it does not exist yet.
    void Show(bool visible) override;

    // The front end's Cancel button (or Ctrl-C).
    void Cancel();
    // Whether IsCancelled() has ever reported a cancel: a front end tells a
    // cancelled operation from a failed one by it (the command line's exit
    // status 3).
    bool CancelReported() const { return m_cancelReported; }
    // Ends the progress: hides it, gives the owner back.
    void Destroy();

    // A copy of the model as it is now (a worker may be changing it).
    CProgressModel Model() const;
    // The window whose input the progress blocks while it is shown (see
    // CProgressModel::SetOwner). Only on the progress's own thread.
    void SetOwner(std::function<bool()> isEnabled, std::function<void(bool)> setEnabled);

protected:
    // Keep the front end alive (paint, see Cancel): called before every
    // position change, every step and every cancel query.
    virtual void Pump() {}
    // Range, position, text or caption changed.
    virtual void Refresh() {}
    // The progress became visible or hidden.
    virtual void Visibility(bool /*visible*/) {}
    // Whether the hook runs for a report a worker queued: the operation does
    // not hold this thread then, and its event loop paints.
    bool InQueuedCall() const { return m_inQueuedCall; }

private:
    // Whether the caller runs on the progress's own thread; otherwise `call`
    // is queued to it and false comes back.
    bool OnHomeThread(std::function<void()> call);
    // Changes the model, then tells the front end.
    void Change(const std::function<void(CProgressModel&)>& change);
    void ShowHere(bool visible);

    // Guards the model and the cancel report; recursive, as an owner window
    // told to change may come back for the model.
    mutable std::recursive_mutex m_lock;
    CProgressModel m_model;
    bool m_cancelReported = false;
    bool m_inQueuedCall = false; // only touched on the progress's thread
    // Lives on the progress's thread: the queued calls of a worker go there
    // and are dropped with it.
    QObject m_home;
};
