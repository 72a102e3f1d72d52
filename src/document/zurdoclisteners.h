#pragma once

#include <vector>

class CZurDocListener;

// The listeners of one project document and the calls that tell them a
// change. The document owns one (CZurDoc::Listeners()); the editor, which
// changes the rows, tells through it. A listener may add or remove
// listeners (itself too) from inside a callback; one removed meanwhile is
// not called any more.
class CZurDocListeners
{
public:
    void Add(CZurDocListener* listener);
    void Remove(CZurDocListener* listener);
    void Clear() { m_listeners.clear(); }
    bool IsEmpty() const { return m_listeners.empty(); }

    void RowsAboutToBeInserted(int first, int count);
    void RowsInserted(int first, int count);
    void RowsAboutToBeRemoved(int first, int count);
    void RowsRemoved(int first, int count);
    void RowsChanged(int first, int count);
    // Rows `rows` (ascending) changed: one RowsChanged per contiguous run.
    void RowsChanged(const std::vector<int>& rows);
    // Row notifications between these two are dropped: the reset covers them.
    void ModelAboutToBeReset();
    void ModelReset();
    bool IsResetting() const { return m_resetDepth > 0; }
    void SelectionChanged();
    void TitleChanged();
    void ModifiedChanged(bool modified);
    void SettingsChanged();
    void BusyChanged(bool busy);

private:
    template <typename Call> void Each(const Call& call);

    std::vector<CZurDocListener*> m_listeners;
    int m_resetDepth = 0;
};
