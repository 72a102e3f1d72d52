#include "gui/browser/filelistctrl.h"

#include "browser/dirfileinfo.h"
#include "gui/browser/filelistdelegate.h"
#include "gui/browser/filelistmodel.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QListView>
#include <QStackedLayout>
#include <QTreeView>
#include <algorithm>

CFileListCtrl::CFileListCtrl(CFileListModel& model, QWidget* parent)
    : QWidget(parent), m_model(model), m_stack(new QStackedLayout(this)),
      m_iconView(new QListView(this)), m_detailsView(new QTreeView(this)),
      m_selection(new QItemSelectionModel(&model, this))
{
    setAccessibleName(QStringLiteral("Files"));
    m_stack->setContentsMargins(0, 0, 0, 0);
    m_iconView->setAccessibleName(QStringLiteral("Files"));
    m_detailsView->setAccessibleName(QStringLiteral("Files, details"));
    for (QAbstractItemView* view : {static_cast<QAbstractItemView*>(m_iconView),
                                    static_cast<QAbstractItemView*>(m_detailsView)}) {
        view->setModel(&model);
        view->setSelectionModel(m_selection);
        SetUpView(view);
        m_stack->addWidget(view);
    }
    m_iconDelegate = new CFileListDelegate(m_iconView);
    m_iconView->setItemDelegate(m_iconDelegate);
    // Long folders stay quick: items of one size, laid out in batches.
    m_iconView->setUniformItemSizes(true);
    m_iconView->setLayoutMode(QListView::Batched);
    m_iconView->setBatchSize(500);
    m_iconView->setResizeMode(QListView::Adjust);
    m_detailsView->setRootIsDecorated(false);
    m_detailsView->setUniformRowHeights(true);
    m_detailsView->setItemsExpandable(false);
    m_detailsView->setAllColumnsShowFocus(true);
    m_detailsView->header()->setSectionsClickable(true);
    m_detailsView->header()->setSortIndicatorShown(true);
    m_detailsView->header()->setStretchLastSection(false);
    m_detailsView->header()->resizeSection(0, 260);
    m_detailsView->header()->resizeSection(1, 80);
    m_detailsView->header()->resizeSection(2, 170);
    m_detailsView->header()->resizeSection(3, 150);
    connect(m_detailsView->header(), &QHeaderView::sectionClicked, this,
            [this](int section) { SortByColumn(section + 1); });
    connect(m_selection, &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex&) { Q_EMIT CurrentEntryChanged(SelectedEntry()); });
    connect(m_selection, &QItemSelectionModel::selectionChanged, this,
            [this] { Q_EMIT CurrentEntryChanged(SelectedEntry()); });
    SetViewStyle(LargeIcons);
}

void CFileListCtrl::SetUpView(QAbstractItemView* view)
{
    view->setSelectionMode(QAbstractItemView::ExtendedSelection);
    view->setDragEnabled(true);
    view->setDragDropMode(QAbstractItemView::DragOnly);
    view->setDefaultDropAction(Qt::CopyAction);
    view->setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) {
        if (CDirFileInfo* entry = m_model.EntryAt(index.row()))
            Q_EMIT EntryActivated(entry);
    });
    view->installEventFilter(this);
    connect(view, &QWidget::customContextMenuRequested, this, [this, view](const QPoint& pos) {
        Q_EMIT ContextMenuRequested(view->viewport()->mapToGlobal(pos));
    });
}

void CFileListCtrl::SetViewStyle(int style)
{
    if (style < LargeIcons || style > List || style == m_style)
        return;
    m_style = style;
    switch (style) {
    case LargeIcons:
        m_iconView->setViewMode(QListView::IconMode);
        m_iconView->setFlow(QListView::LeftToRight);
        m_iconView->setWrapping(true);
        m_iconView->setIconSize(QSize(CFileListModel::LargeIcon, CFileListModel::LargeIcon));
        m_iconView->setGridSize(QSize(120, 112));
        m_iconDelegate->SetCellSize(QSize(116, 108));
        m_iconView->setWordWrap(true);
        m_iconView->setTextElideMode(Qt::ElideMiddle);
        m_model.SetIconSize(CFileListModel::LargeIcon);
        break;
    case SmallIcons:
        m_iconView->setViewMode(QListView::ListMode);
        m_iconView->setFlow(QListView::LeftToRight);
        m_iconView->setWrapping(true);
        m_iconView->setIconSize(QSize(16, 16));
        m_iconView->setGridSize(QSize(180, 22));
        m_iconDelegate->SetCellSize(QSize(176, 20));
        m_iconView->setWordWrap(false);
        m_model.SetIconSize(CFileListModel::LargeIcon);
        break;
    case List:
        m_iconView->setViewMode(QListView::ListMode);
        m_iconView->setFlow(QListView::TopToBottom);
        m_iconView->setWrapping(true);
        m_iconView->setIconSize(QSize(16, 16));
        m_iconView->setGridSize(QSize(200, 22));
        m_iconDelegate->SetCellSize(QSize(196, 20));
        m_iconView->setWordWrap(false);
        break;
    case Details:
        m_detailsView->setIconSize(QSize(16, 16));
        break;
    default:
        break;
    }
    // A list view forgets these when its mode changes.
    // (setMovement turns dragging off: it comes first.)
    m_iconView->setMovement(QListView::Static);
    m_iconView->setDragEnabled(true);
    m_iconView->setDragDropMode(QAbstractItemView::DragOnly);
    m_stack->setCurrentWidget(style == Details ? static_cast<QWidget*>(m_detailsView)
                                               : static_cast<QWidget*>(m_iconView));
}

QAbstractItemView* CFileListCtrl::CurrentView() const
{
    return m_style == Details ? static_cast<QAbstractItemView*>(m_detailsView)
                              : static_cast<QAbstractItemView*>(m_iconView);
}

std::vector<int> CFileListCtrl::SelectedRows() const
{
    std::vector<int> rows;
    for (const QModelIndex& index : m_selection->selectedRows(0))
        rows.push_back(index.row());
    if (rows.empty()) {
        for (const QModelIndex& index : m_selection->selectedIndexes())
            rows.push_back(index.row());
    }
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    return rows;
}

CDirFileInfo* CFileListCtrl::SelectedEntry() const
{
    const std::vector<int> rows = SelectedRows();
    return rows.size() == 1 ? m_model.EntryAt(rows.front()) : nullptr;
}

QByteArray CFileListCtrl::SelectedBlock() const
{
    return m_model.BlockOf(SelectedRows());
}

void CFileListCtrl::SortByColumn(int column)
{
    const int key = m_model.SortKey();
    const int next = std::abs(key) == column ? -key : column;
    m_model.SortBy(next);
    m_detailsView->header()->setSortIndicator(column - 1,
                                              next > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
}

bool CFileListCtrl::eventFilter(QObject* watched, QEvent* event)
{
    auto* view = qobject_cast<QAbstractItemView*>(watched);
    // Copy here copies the files, before the window's Copy of project rows.
    if (view && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        event->accept();
        return true;
    }
    if (view && event->type() == QEvent::KeyPress &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::Copy)) {
        Q_EMIT CopyRequested();
        return true;
    }
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (view && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() == Qt::NoModifier && view->currentIndex().isValid()) {
            if (CDirFileInfo* entry = m_model.EntryAt(view->currentIndex().row()))
                Q_EMIT EntryActivated(entry);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
