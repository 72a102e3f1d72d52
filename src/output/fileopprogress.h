#pragma once

#include "base/progress.h"
#include "output/progressmodel.h"

#include <string>

// The progress of long file operations as the core sees it, kept in a
// CProgressModel. A front end derives from it and draws: the window program's
// progress dialog, the command line's terminal bar. The hooks are called
// after the model has changed.
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
    void Cancel() { m_model.Cancel(); }
    // Whether IsCancelled() has ever reported a cancel: a front end tells a
    // cancelled operation from a failed one by it (the command line's exit
    // status 3).
    bool CancelReported() const { return m_cancelReported; }
    // Ends the progress: hides it, gives the owner back.
    void Destroy();

    const CProgressModel& Model() const { return m_model; }

protected:
    CProgressModel& EditModel() { return m_model; }

    // Keep the front end alive (paint, see Cancel): called before every
    // position change, every step and every cancel query.
    virtual void Pump() {}
    // Range, position, text or caption changed.
    virtual void Refresh() {}
    // The progress became visible or hidden.
    virtual void Visibility(bool /*visible*/) {}

private:
    CProgressModel m_model;
    bool m_cancelReported = false;
};
