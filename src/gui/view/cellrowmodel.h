#pragma once

#include <QAbstractListModel>
#include <QImage>
#include <vector>

class CCellInfo;
class CScenarioEditor;
class CThumbnailCache;

// The rows of a project window as Qt sees them: a thin adapter over the
// editor's rows, which keep the cells, the selection, the focus and the
// anchor. Sync() brings the view in line after the editor changed its rows;
// rows that left or entered are announced as removed or inserted, so the
// list keeps its scroll position and its place in the project.
class CCellRowModel : public QAbstractListModel
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
    };

    CCellRowModel(CScenarioEditor& editor, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;

    void Sync();
    // The cell of `row`, null out of range.
    CCellInfo* CellAt(int row) const;
    // The decoded thumbnail of the row's image cell, or a null image (the
    // decode then runs and the row repaints when it is ready). A cell whose
    // picture cannot be had gives a null image for good.
    QImage Thumbnail(int row) const;
    // Where the thumbnail of the row's image cell lies; empty for none.
    QString ThumbnailPath(int row) const;
    CThumbnailCache& Thumbnails() const { return *m_thumbnails; }

private:
    void ThumbnailLoaded(const QString& path);

    CScenarioEditor& m_editor;
    std::vector<const CCellInfo*> m_shown;
    CThumbnailCache* m_thumbnails;
};
