#include "document/busyguard.h"

#include "base/msgid.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"

#include <atomic>

namespace {
// The projects of the program that are busy now.
std::atomic<int> s_busyProjects{0};
} // namespace

CBusyGuard::CBusyGuard(CZurDoc& doc) : m_doc(doc)
{
    if (m_doc.m_busyDepth++ == 0) {
        ++s_busyProjects;
        m_doc.Listeners().BusyChanged(true);
    }
}

CBusyGuard::~CBusyGuard()
{
    if (--m_doc.m_busyDepth == 0) {
        --s_busyProjects;
        m_doc.Listeners().BusyChanged(false);
    }
}

bool CBusyGuard::AnyRunning()
{
    return s_busyProjects.load() > 0;
}

bool CBusyGuard::RefuseSecondOperation(const CZurDoc& doc)
{
    if (!doc.IsBusy() && !AnyRunning())
        return false;
    AskUser(doc.Prompt(), MsgId::ProjectBusy, CUserPrompt::Exclamation, CUserPrompt::Ok);
    return true;
}
