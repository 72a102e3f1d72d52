#include "output/progressmodel.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>

CProgressModel::CProgressModel(int captionId)
    : m_captionId(captionId != 0 ? captionId : MsgId::ProgressCaption)
{}

void CProgressModel::SetOwner(std::function<bool()> isEnabled, std::function<void(bool)> setEnabled)
{
    m_ownerIsEnabled = std::move(isEnabled);
    m_ownerSetEnabled = std::move(setEnabled);
}

bool CProgressModel::OwnerEnabled() const
{
    return !m_ownerIsEnabled || m_ownerIsEnabled();
}

void CProgressModel::DisableOwner()
{
    // Only an owner that is enabled now is ours to enable again later; one
    // that somebody else disabled stays disabled when we go.
    if (m_ownerDisabledHere || !OwnerEnabled())
        return;
    if (m_ownerSetEnabled)
        m_ownerSetEnabled(false);
    m_ownerDisabledHere = true;
}

void CProgressModel::EnableOwner()
{
    if (!m_ownerDisabledHere)
        return;
    m_ownerDisabledHere = false;
    if (m_ownerSetEnabled)
        m_ownerSetEnabled(true);
}

void CProgressModel::Create()
{
    DisableOwner();
    m_exists = true;
}

void CProgressModel::Destroy()
{
    EnableOwner();
    m_exists = false;
    m_visible = false;
}

bool CProgressModel::Show(bool visible)
{
    if (!m_exists)
        return false;
    if (visible) {
        DisableOwner();
        m_cancelled = false;
        m_text.clear();
    } else {
        EnableOwner();
    }
    m_visible = visible;
    return true;
}

void CProgressModel::SetRange(int lower, int upper)
{
    m_lower = lower;
    m_upper = upper;
    m_pos = std::clamp(m_pos, std::min(lower, upper), std::max(lower, upper));
}

int CProgressModel::SetPos(int pos)
{
    const int previous = m_pos;
    m_pos = std::clamp(pos, std::min(m_lower, m_upper), std::max(m_lower, m_upper));
    return previous;
}

int CProgressModel::StepIt()
{
    const int previous = m_pos;
    const int lo = std::min(m_lower, m_upper);
    const int hi = std::max(m_lower, m_upper);
    const long long next = static_cast<long long>(m_pos) + m_step;
    // A full bar starts over, like the window's bar does.
    if (next > hi)
        m_pos = lo;
    else if (next < lo)
        m_pos = hi;
    else
        m_pos = static_cast<int>(next);
    return previous;
}

std::string CProgressModel::PercentText(long long pos, long long lower, long long upper)
{
    const long long span = upper - lower;
    const long long done = pos - lower;
    uint64_t p = 0;
    // An empty range has no share to show; a position before the lower end
    // has none either (the window's unsigned arithmetic would show garbage).
    if (span != 0 && (done == 0 || (done > 0) == (span > 0))) {
        const uint64_t d = static_cast<uint64_t>(done < 0 ? -done : done);
        const uint64_t s = static_cast<uint64_t>(span < 0 ? -span : span);
        p = d * 100 / s;
    }
    if (p != 100)
        p %= 100;
    char buf[24];
    std::snprintf(buf, sizeof buf, "%d%%", static_cast<int>(p));
    return buf;
}

std::string CProgressModel::Caption() const
{
    return m_caption.empty() ? CResourceBundle::Text(m_captionId) : m_caption;
}

bool CProgressModel::TakeCancelled()
{
    const bool cancelled = m_cancelled;
    m_cancelled = false;
    return cancelled;
}
