#include "base/threadprompt.h"

#include <QMetaObject>
#include <QObject>
#include <QThread>

CUserPrompt::Answer CThreadPrompt::Show(int id, const std::string& text, Icon icon, Buttons buttons)
{
    if (!m_target)
        return AskUser(nullptr, 0, icon, buttons);
    if (!m_home || QThread::currentThread() == m_home->thread())
        return m_target->Show(id, text, icon, buttons);
    // As a closed box answers, should the home object go before it is asked.
    Answer answer = AskUser(nullptr, 0, icon, buttons);
    QMetaObject::invokeMethod(
        m_home, [&] { answer = m_target->Show(id, text, icon, buttons); },
        Qt::BlockingQueuedConnection);
    return answer;
}

std::string CThreadPrompt::FillMessage(int id, const std::string& insert1,
                                       const std::string& insert2) const
{
    return m_target ? m_target->FillMessage(id, insert1, insert2)
                    : CUserPrompt::FillMessage(id, insert1, insert2);
}
