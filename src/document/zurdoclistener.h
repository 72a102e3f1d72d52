#pragma once

// What a project document tells the views that show it, at the grain of a
// Qt item model. Any number of listeners may watch one document (see
// CZurDoc::AddListener); every callback has an empty default, so a listener
// overrides only what it needs.
//
// Rows are the rows of the project window: the visible cells of the
// document's cell list, in list order, as CScenarioEditor::Rows() holds them.
// The editor's row list and the document's cell list stay the one source of
// truth; a listener reads them (never a copy) when it is told something
// changed. Row numbers count from 0.
//
// Order and state:
// - "AboutTo..." comes before the row list changes, so a listener can still
//   read the rows that are going; the matching "...Inserted/Removed" comes
//   after, when the row list already shows the change. Pairs never nest and
//   never interleave: each insertion or removal is one contiguous run.
// - Selection, focus and anchor of the row list move with their rows; rows
//   that stay keep their selection across inserts, removals and changes.
// - A move within the list is reported as the removal of the moved rows
//   followed by their insertion at the new place.
// - Reset means: forget everything, read the rows again (the project was
//   opened, closed, replaced, or an undo changed which rows exist). Row
//   notifications are never sent between ModelAboutToBeReset and ModelReset.
// - Every callback comes on the thread that changed the document (the
//   thread of the window that owns it).
class CZurDocListener
{
public:
    virtual ~CZurDocListener() = default;

    // `count` rows are about to enter before row `first` (first == row count:
    // at the end); after RowsInserted they are rows first .. first+count-1.
    virtual void RowsAboutToBeInserted(int /*first*/, int /*count*/) {}
    virtual void RowsInserted(int /*first*/, int /*count*/) {}
    // Rows first .. first+count-1 are about to go / have gone.
    virtual void RowsAboutToBeRemoved(int /*first*/, int /*count*/) {}
    virtual void RowsRemoved(int /*first*/, int /*count*/) {}
    // What rows first .. first+count-1 show changed in place (properties,
    // effect, enabled state, picture); the rows themselves stay.
    virtual void RowsChanged(int /*first*/, int /*count*/) {}
    // Everything is read again (see above).
    virtual void ModelAboutToBeReset() {}
    virtual void ModelReset() {}
    // The editor changed which rows are selected, or the focus row, by itself
    // (after an insertion, Select all, Undo); not sent for changes the view
    // made through CCellRowList.
    virtual void SelectionChanged() {}
    // The window title changed: the project's name or file (GetPathName()).
    virtual void TitleChanged() {}
    // IsModified() changed to `modified`.
    virtual void ModifiedChanged(bool /*modified*/) {}
    // The document's fields that a view paints changed (background colour,
    // image quality) without any row changing.
    virtual void SettingsChanged() {}
    // A long operation began or ended on the project (CZurDoc::IsBusy()):
    // commands that change or close the project are refused meanwhile.
    virtual void BusyChanged(bool /*busy*/) {}
};
