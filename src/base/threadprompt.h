#pragma once

#include "base/userprompt.h"

class QObject;

// The prompt a job asks through: a question from the job's worker thread is
// put to `target` on the thread of `home` (the window's) through one
// blocking queued call, and the worker waits for the answer. Asked on the
// home thread itself (the command line, which runs its work in place), it
// asks `target` directly.
class CThreadPrompt : public CUserPrompt
{
public:
    // `target` may be null: every question then gets a closed box's answer.
    CThreadPrompt(CUserPrompt* target, QObject* home) : m_target(target), m_home(home) {}

    Answer Show(int id, const std::string& text, Icon icon, Buttons buttons) override;
    std::string FillMessage(int id, const std::string& insert1,
                            const std::string& insert2) const override;

private:
    CUserPrompt* m_target;
    QObject* m_home;
};
