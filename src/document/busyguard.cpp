#include "document/busyguard.h"

#include "base/msgid.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"

#include <atomic>

namespace {
// The operations of the program running on the window's thread now.
std::atomic<int> s_inPlace{0};
} // namespace

CBusyGuard::CBusyGuard(CZurDoc& doc, Kind kind) : m_doc(doc), m_kind(kind)
{
    if (m_kind == InPlace)
        ++s_inPlace;
    if (m_doc.m_busyDepth++ == 0)
        m_doc.Listeners().BusyChanged(true);
}

CBusyGuard::~CBusyGuard()
{
    if (m_kind == InPlace)
        --s_inPlace;
    if (--m_doc.m_busyDepth == 0)
        m_doc.Listeners().BusyChanged(false);
}

bool CBusyGuard::AnyRunning()
{
    return s_inPlace.load() > 0;
}

bool CBusyGuard::RefuseSecondOperation(const CZurDoc& doc)
{
    if (!doc.IsBusy() && !AnyRunning())
        return false;
    AskUser(doc.Prompt(), MsgId::ProjectBusy, CUserPrompt::Exclamation, CUserPrompt::Ok);
    return true;
}
