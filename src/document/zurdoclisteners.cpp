#include "document/zurdoclisteners.h"

#include "document/zurdoclistener.h"

#include <algorithm>

void CZurDocListeners::Add(CZurDocListener* listener)
{
    if (listener &&
        std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end())
        m_listeners.push_back(listener);
}

void CZurDocListeners::Remove(CZurDocListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener),
                      m_listeners.end());
}

template <typename Call> void CZurDocListeners::Each(const Call& call)
{
    if (m_listeners.empty())
        return;
    // A callback may change the list: walk a copy, skipping the removed.
    const std::vector<CZurDocListener*> listeners = m_listeners;
    for (CZurDocListener* listener : listeners) {
        if (std::find(m_listeners.begin(), m_listeners.end(), listener) != m_listeners.end())
            call(*listener);
    }
}

void CZurDocListeners::RowsAboutToBeInserted(int first, int count)
{
    if (count > 0 && !IsResetting())
        Each([&](CZurDocListener& l) { l.RowsAboutToBeInserted(first, count); });
}

void CZurDocListeners::RowsInserted(int first, int count)
{
    if (count > 0 && !IsResetting())
        Each([&](CZurDocListener& l) { l.RowsInserted(first, count); });
}

void CZurDocListeners::RowsAboutToBeRemoved(int first, int count)
{
    if (count > 0 && !IsResetting())
        Each([&](CZurDocListener& l) { l.RowsAboutToBeRemoved(first, count); });
}

void CZurDocListeners::RowsRemoved(int first, int count)
{
    if (count > 0 && !IsResetting())
        Each([&](CZurDocListener& l) { l.RowsRemoved(first, count); });
}

void CZurDocListeners::RowsChanged(int first, int count)
{
    if (count > 0 && !IsResetting())
        Each([&](CZurDocListener& l) { l.RowsChanged(first, count); });
}

void CZurDocListeners::RowsChanged(const std::vector<int>& rows)
{
    for (size_t i = 0; i < rows.size();) {
        size_t j = i + 1;
        while (j < rows.size() && rows[j] == rows[j - 1] + 1)
            ++j;
        RowsChanged(rows[i], static_cast<int>(j - i));
        i = j;
    }
}

void CZurDocListeners::ModelAboutToBeReset()
{
    if (m_resetDepth++ == 0)
        Each([](CZurDocListener& l) { l.ModelAboutToBeReset(); });
}

void CZurDocListeners::ModelReset()
{
    if (m_resetDepth > 0 && --m_resetDepth == 0)
        Each([](CZurDocListener& l) { l.ModelReset(); });
}

void CZurDocListeners::SelectionChanged()
{
    if (!IsResetting())
        Each([](CZurDocListener& l) { l.SelectionChanged(); });
}

void CZurDocListeners::TitleChanged()
{
    Each([](CZurDocListener& l) { l.TitleChanged(); });
}

void CZurDocListeners::ModifiedChanged(bool modified)
{
    Each([&](CZurDocListener& l) { l.ModifiedChanged(modified); });
}

void CZurDocListeners::SettingsChanged()
{
    Each([](CZurDocListener& l) { l.SettingsChanged(); });
}

void CZurDocListeners::BusyChanged(bool busy)
{
    Each([&](CZurDocListener& l) { l.BusyChanged(busy); });
}
