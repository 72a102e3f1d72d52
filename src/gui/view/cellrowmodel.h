#pragma once

#include "document/zurdoclistener.h"

#include <QAbstractListModel>
#include <QImage>
#include <vector>

class CCellInfo;
class CScenarioEditor;
class CThumbnailCache;

// The rows of a project window as Qt sees them: a thin adapter over the
// editor's rows, which keep the cells, the selection, the focus and the
// anchor. It follows the document's change notifications row by row, so the
// list keeps its scroll position and the user's selection. Sync() is the
// safety net after every command: it compares the rows shown with the
// editor's and announces any difference as removed and inserted rows.
class CCellRowModel : public QAbstractListModel, public CZurDocListener
{
    Q_OBJECT

public:
    enum Role
    {
        SelectedRole = Qt::UserRole + 1,
        FocusRole,
        NumberRole,
        CellTypeRole,
        SourceKindRole,
        ValidRole,
        SettingsRole, // the settings line under the label
    };

    CCellRowModel(CScenarioEditor& editor, QObject* parent = nullptr);
    ~CCellRowModel() override;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void Sync();
    // Called with the rows removed and inserted whenever Sync() had to
    // repair what a missing notification left behind. The program has none
    // (the repair is quiet); the widget tests fail the test in it.
    using RepairReport = void (*)(int removed, int inserted);
    static void SetRepairReport(RepairReport report);
    // What a row shows under its label: an image cell's interval (or that
    // it advances by hand) and its transition, a control cell's wait, and
    // "off" for a cell switched off.
    static QString SettingsText(const CCellInfo& cell);
    // The cell of `row`, null out of range.
    const CCellInfo* CellAt(int row) const;
    // The decoded thumbnail of the row's image cell, or a null image (the
    // decode then runs and the row repaints when it is ready). A cell whose
    // picture cannot be had gives a null image for good.
    QImage Thumbnail(int row) const;
    // Where the thumbnail of the row's image cell lies; empty for none.
    QString ThumbnailPath(int row) const;
    CThumbnailCache& Thumbnails() const { return *m_thumbnails; }

    // --- document listener ---------------------------------------------------
    void RowsAboutToBeInserted(int first, int count) override;
    void RowsInserted(int first, int count) override;
    void RowsAboutToBeRemoved(int first, int count) override;
    void RowsRemoved(int first, int count) override;
    void RowsChanged(int first, int count) override;
    void ModelAboutToBeReset() override;
    void ModelReset() override;
    void SelectionChanged() override;

private:
    void AllRowsChanged();
    void ThumbnailLoaded(const QString& path);

    CScenarioEditor& m_editor;
    // The cells as the view was last told them, row for row.
    std::vector<const CCellInfo*> m_shown;
    bool m_inserting = false;
    bool m_removing = false;
    bool m_resetting = false;
    CThumbnailCache* m_thumbnails;
};
