#include "document/busyguard.h"

#include "document/zurdoc.h"

CBusyGuard::CBusyGuard(CZurDoc& doc) : m_doc(doc)
{
    if (m_doc.m_busyDepth++ == 0)
        m_doc.Listeners().BusyChanged(true);
}

CBusyGuard::~CBusyGuard()
{
    if (--m_doc.m_busyDepth == 0)
        m_doc.Listeners().BusyChanged(false);
}
