#pragma once

#include <QWidget>
#include <vector>

class CDirFileInfo;
class CFileListDelegate;
class CFileListModel;
class QAbstractItemView;
class QItemSelectionModel;
class QListView;
class QStackedLayout;
class QTreeView;

// The file list in its four view styles over one model and one selection:
// large icons, small icons and list (a list view), details (a tree view with
// the four columns, sorted by a click on a header). Several items can be
// selected; the selected pictures and presentations are dragged as one
// block; a double click reports the item.
class CFileListCtrl : public QWidget
{
    Q_OBJECT
public:
    // The view styles as the view commands number them.
    enum ViewStyle
    {
        LargeIcons = 0,
        Details = 1,
        SmallIcons = 2,
        List = 3
    };

    CFileListCtrl(CFileListModel& model, QWidget* parent = nullptr);

    void SetViewStyle(int style);
    int ViewStyle() const { return m_style; }
    QAbstractItemView* CurrentView() const;
    QListView* IconView() const { return m_iconView; }
    QTreeView* DetailsView() const { return m_detailsView; }
    QItemSelectionModel* Selection() const { return m_selection; }
    // Rows of the selected items, in row order.
    std::vector<int> SelectedRows() const;
    // The one selected entry, nullptr when none or several are selected.
    CDirFileInfo* SelectedEntry() const;
    // The block of the selected accepted files (empty when none).
    QByteArray SelectedBlock() const;
    // Column click: the same column again reverses the order.
    void SortByColumn(int column);

protected:
    // Enter on a file inserts it, as a double click does; Copy copies the
    // selected files.
    bool eventFilter(QObject* watched, QEvent* event) override;

Q_SIGNALS:
    void EntryActivated(CDirFileInfo* entry);
    void CurrentEntryChanged(CDirFileInfo* entry);
    void ContextMenuRequested(const QPoint& globalPos);
    void CopyRequested();

private:
    void SetUpView(QAbstractItemView* view);

    CFileListModel& m_model;
    QStackedLayout* m_stack;
    QListView* m_iconView;
    CFileListDelegate* m_iconDelegate;
    QTreeView* m_detailsView;
    QItemSelectionModel* m_selection;
    int m_style = -1;
};
