#pragma once

// What a project document tells its editing controller, the one that must
// act on it. Views follow the document through CZurDocListener.
class CZurDocObserver
{
public:
    virtual ~CZurDocObserver() = default;
    // Forget the one-step undo (a save makes it unavailable).
    virtual void ClearUndo() = 0;
    // Rebuild: the cells or the project's fields changed as a whole.
    virtual void UpdateAllViews() = 0;
};
