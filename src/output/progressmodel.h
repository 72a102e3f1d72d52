#pragma once

#include <functional>
#include <string>

// The state of a progress window without the window: range, step, position,
// the percentage text, the message text and caption, the user's pending
// Cancel, whether the window exists and is shown, and whether it disabled its
// owner (so that hiding it gives back exactly what it took).
class CProgressModel
{
public:
    // `captionId` names the caption text; 0 means the default caption 7138.
    explicit CProgressModel(int captionId = 0);

    // The owner window, for disabling it while the progress is shown. Without
    // an owner the bookkeeping runs on as if the owner were always enabled.
    void SetOwner(std::function<bool()> isEnabled, std::function<void(bool)> setEnabled);

    // The window comes into existence: an enabled owner is disabled here.
    void Create();
    // The window goes: the owner is enabled again when it was disabled here.
    void Destroy();
    bool Exists() const { return m_exists; }

    // Showing disables an enabled owner, clears a pending cancel and the
    // message text; hiding enables the owner again when it was disabled here.
    // False when the window does not exist.
    bool Show(bool visible);
    bool IsVisible() const { return m_visible; }
    bool OwnerDisabledHere() const { return m_ownerDisabledHere; }

    void SetRange(int lower, int upper);
    void SetStep(int step) { m_step = step; }
    // Both return the previous position. A position is kept inside the
    // range; a step past the upper end starts over from the lower end.
    int SetPos(int pos);
    int StepIt();
    int Lower() const { return m_lower; }
    int Upper() const { return m_upper; }
    int Step() const { return m_step; }
    int Pos() const { return m_pos; }

    // "75%" for the current position.
    std::string PercentText() const { return PercentText(m_pos, m_lower, m_upper); }
    // (pos - lower) x 100 / (upper - lower) written as "%d%%", taken modulo
    // 100 except that exactly 100 stays 100. An empty range reads "0%", and
    // so does a position on the wrong side of the lower end.
    static std::string PercentText(long long pos, long long lower, long long upper);

    void SetText(const std::string& text) { m_text = text; }
    const std::string& Text() const { return m_text; }
    // The caption set last, else the text of the caption number.
    void SetCaption(const std::string& caption) { m_caption = caption; }
    std::string Caption() const;

    // The Cancel button: the window stays; the operation decides.
    void Cancel() { m_cancelled = true; }
    // Whether Cancel was pressed since the last query; the query clears it.
    bool TakeCancelled();
    bool CancelPending() const { return m_cancelled; }

private:
    bool OwnerEnabled() const;
    void DisableOwner();
    void EnableOwner();

    int m_captionId;
    std::string m_caption;
    std::string m_text;
    int m_lower = 0;
    int m_upper = 100;
    int m_step = 10;
    int m_pos = 0;
    bool m_cancelled = false;
    bool m_exists = false;
    bool m_visible = false;
    bool m_ownerDisabledHere = false;
    std::function<bool()> m_ownerIsEnabled;
    std::function<void(bool)> m_ownerSetEnabled;
};
