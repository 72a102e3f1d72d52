#pragma once

#include <string>

// The progress window of every long operation: a bar, a line of text and a
// Cancel button. Callers ask IsCancelled() before each unit of work and call
// StepIt() after it. Implementations keep their window alive (repaint, see
// Cancel) at every call, so callers never need to pause for it.
class CProgress
{
public:
    virtual ~CProgress() = default;

    virtual void SetRange(int lower, int upper) = 0;
    virtual void SetStep(int step) = 0;
    virtual void SetPos(int pos) = 0;
    virtual void StepIt() = 0;
    virtual void SetText(const std::string& text) = 0;
    virtual void SetCaption(const std::string& caption) = 0;
    // True once after the user pressed Cancel (reading clears it).
    virtual bool IsCancelled() = 0;
    virtual void Show(bool visible) = 0;
};
