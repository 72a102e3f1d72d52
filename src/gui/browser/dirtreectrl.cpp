#include "gui/browser/dirtreectrl.h"

#include "base/msgid.h"
#include "base/userprompt.h"
#include "browser/browserfileops.h"
#include "browser/folderlisting.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <algorithm>

namespace {

bool isBelow(QModelIndex index, const QModelIndex& ancestor)
{
    for (index = index.parent(); index.isValid(); index = index.parent()) {
        if (index == ancestor)
            return true;
    }
    return false;
}

} // namespace

CDirTreeCtrl::CDirTreeCtrl(QWidget* parent) : QTreeView(parent), m_model(this)
{
    setAccessibleName(QStringLiteral("Folders"));
    setHeaderHidden(true);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Made once: the style decodes its picture anew on every call.
    m_model.SetFolderIcon(style()->standardIcon(QStyle::SP_DirIcon));
    m_model.SetRenamer(
        [this](const std::string& oldPath, const QString& typed, std::string& newPath) {
            CBrowserFileOps ops(m_prompt);
            return ops.Rename(oldPath, typed.toStdString(), newPath);
        });
    setModel(&m_model);
    connect(this, &QTreeView::expanded, this, &CDirTreeCtrl::OnExpanded);
    connect(this, &QTreeView::collapsed, this, &CDirTreeCtrl::OnCollapsed);
    connect(&m_model, &CFolderTreeModel::FolderRemoving, this, &CDirTreeCtrl::OnRemoving);
    // The expand sign of a row changed: the view keeps it with its layout.
    connect(&m_model, &CFolderTreeModel::SignChanged, this,
            [this] { scheduleDelayedItemsLayout(); });
    connect(&m_model, &CFolderTreeModel::FolderRenamed, this,
            [this](const QByteArray& oldPath, const QByteArray& newPath) {
                Q_EMIT FolderRenamed(QString::fromUtf8(oldPath), QString::fromUtf8(newPath));
            });
    connect(&m_model, &CFolderTreeModel::Revealed, this, &CDirTreeCtrl::OnRevealed);
    connect(&m_model, &CFolderTreeModel::Unrevealed, this,
            [this](const QByteArray& path) { Q_EMIT Unrevealed(path.toStdString()); });
}

CDirTreeCtrl::~CDirTreeCtrl()
{
    m_model.Reader().Cancel();
}

void CDirTreeCtrl::AddPlace(const std::string& path, const QString& text, bool volume)
{
    m_model.AddPlace(
        path, text, volume,
        style()->standardIcon(volume ? QStyle::SP_DriveHDIcon : QStyle::SP_DirHomeIcon));
}

QModelIndex CDirTreeCtrl::Populate(const std::string& path)
{
    m_dropPath.clear();
    m_model.Clear();
    AddPlace(CFolderListing::WithSlash(QDir::homePath().toStdString()), QDir::home().dirName(),
             false);
    if (m_volumes) {
        for (const CVolumeList::Volume& volume : m_volumes()) {
            const QString text = volume.label.empty() ? QString::fromStdString(volume.root)
                                                      : QString::fromStdString(volume.label);
            AddPlace(volume.root, text, true);
        }
    }
    if (path.empty())
        return m_model.index(0, 0);
    const QModelIndex found = m_model.IndexOf(path);
    if (!found.isValid())
        Reveal(path);
    return found;
}

void CDirTreeCtrl::Reveal(const std::string& path)
{
    m_model.Reveal(path);
}

void CDirTreeCtrl::OnRevealed(const QByteArray& path)
{
    const QModelIndex index = m_model.IndexOf(path.toStdString());
    // Its branches were read just now: opening them reads nothing again.
    m_opening = true;
    for (QModelIndex up = index.parent(); up.isValid(); up = up.parent())
        expand(up);
    m_opening = false;
    Q_EMIT Revealed(path.toStdString());
}

void CDirTreeCtrl::OnExpanded(const QModelIndex& index)
{
    if (m_opening)
        return;
    // Opening a branch reads it again, off the window's thread.
    if (m_model.IsFilled(index))
        m_model.Refresh(index);
    else if (m_model.canFetchMore(index))
        m_model.fetchMore(index);
}

void CDirTreeCtrl::OnCollapsed(const QModelIndex& index)
{
    if (isBelow(currentIndex(), index))
        setCurrentIndex(index); // the closing branch takes the selection
    m_model.Discard(index);
}

void CDirTreeCtrl::OnRemoving(const QModelIndex& index)
{
    const std::string path = PathOf(index);
    if (!m_dropPath.empty() && m_dropPath.compare(0, path.size(), path) == 0)
        m_dropPath.clear();
    if (isExpanded(index)) {
        // Closed first: the view keeps no opened state for a row that goes.
        const QSignalBlocker block(this);
        collapse(index);
    }
    const QModelIndex current = currentIndex();
    if (!current.isValid() || (current != index && !isBelow(current, index)))
        return;
    {
        const QSignalBlocker block(selectionModel());
        const QModelIndex parent = index.parent();
        const QModelIndex home = m_model.index(0, 0);
        setCurrentIndex(parent.isValid() ? parent : (home != index ? home : QModelIndex()));
    }
    viewport()->update();
    QTimer::singleShot(0, this, [this] { Q_EMIT ShownFolderGone(); });
}

void CDirTreeCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const
{
    QStyleOptionViewItem shown = option;
    // Only folders that are seen are checked for subfolders.
    const_cast<CFolderTreeModel&>(m_model).CheckSubfolders(index);
    if (!m_dropPath.empty() && PathOf(index) == m_dropPath)
        shown.state |= QStyle::State_Selected;
    QTreeView::drawRow(painter, shown, index);
}

bool CDirTreeCtrl::UpdateVolumes()
{
    if (!m_volumes)
        return false;
    const std::vector<CVolumeList::Volume> volumes = m_volumes();
    bool removed = false;
    for (int i = m_model.rowCount() - 1; i >= 0; --i) {
        const QModelIndex place = m_model.index(i, 0);
        if (!place.data(CFolderTreeModel::VolumeRole).toBool())
            continue;
        const std::string root = PathOf(place);
        const bool present =
            std::any_of(volumes.begin(), volumes.end(), [&](const CVolumeList::Volume& v) {
                return CFolderListing::WithSlash(v.root) == root;
            });
        if (!present) {
            Q_EMIT PlaceRemoving(place);
            m_model.Remove(place);
            removed = true;
        }
    }
    for (const CVolumeList::Volume& volume : volumes) {
        bool known = false;
        for (int i = 0; i < m_model.rowCount() && !known; ++i) {
            const QModelIndex place = m_model.index(i, 0);
            known = place.data(CFolderTreeModel::VolumeRole).toBool() &&
                    PathOf(place) == CFolderListing::WithSlash(volume.root);
        }
        if (!known)
            AddPlace(volume.root,
                     QString::fromStdString(volume.label.empty() ? volume.root : volume.label),
                     true);
    }
    return removed;
}

QStringList CDirTreeCtrl::ExpandedPaths() const
{
    QStringList paths;
    QList<QModelIndex> pending;
    for (int i = 0; i < m_model.rowCount(); ++i)
        pending.append(m_model.index(i, 0));
    while (!pending.isEmpty()) {
        const QModelIndex index = pending.takeLast();
        if (!isExpanded(index) || !m_model.IsFilled(index))
            continue;
        paths.append(QString::fromUtf8(index.data(CFolderTreeModel::PathRole).toByteArray()));
        for (int i = 0; i < m_model.rowCount(index); ++i)
            pending.append(m_model.index(i, 0, index));
    }
    return paths;
}

void CDirTreeCtrl::SetDropHighlight(const std::string& path)
{
    if (path == m_dropPath)
        return;
    m_dropPath = path;
    viewport()->update();
}

bool CDirTreeCtrl::AcceptDrop(QDropEvent* event, std::vector<std::string>* files,
                              std::string* folder)
{
    if (event->source() == this)
        return false;
    const QModelIndex index = indexAt(event->position().toPoint());
    if (!index.isValid())
        return false;
    const std::string target = PathOf(index);
    if (!DroppedFiles(event, target, files))
        return false;
    if (folder)
        *folder = target;
    return true;
}

bool CDirTreeCtrl::DroppedFiles(QDropEvent* event, const std::string& target,
                                std::vector<std::string>* files) const
{
    if (!event->mimeData()->hasUrls())
        return false;
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            return false;
        paths.push_back(url.toLocalFile().toStdString());
    }
    if (!CBrowserFileOps::CanDropInto(paths, target))
        return false;
    if (files)
        *files = std::move(paths);
    return true;
}

void CDirTreeCtrl::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls() && event->source() != this)
        event->acceptProposedAction();
    else
        event->ignore();
}

void CDirTreeCtrl::dragMoveEvent(QDragMoveEvent* event)
{
    std::string folder;
    if (!AcceptDrop(event, nullptr, &folder)) {
        SetDropHighlight({});
        event->ignore();
        return;
    }
    // Only a highlight: the current folder and the list stay as they are.
    SetDropHighlight(folder);
    // As the file managers of the old desktop did: Ctrl copies, a plain drop moves.
    event->setDropAction((event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction
                                                                    : Qt::MoveAction);
    event->accept();
}

void CDirTreeCtrl::dragLeaveEvent(QDragLeaveEvent* event)
{
    SetDropHighlight({});
    event->accept();
}

void CDirTreeCtrl::dropEvent(QDropEvent* event)
{
    // The files go to the folder that was highlighted, by its path: another
    // program may have added or removed folders meanwhile, so that another
    // row now lies under the pointer.
    const std::string folder = m_dropPath;
    SetDropHighlight({});
    // A refused drop tells the drag's source that nothing moved, so that it
    // removes nothing.
    const auto refuse = [event] {
        event->setDropAction(Qt::IgnoreAction);
        event->ignore();
    };
    if (folder.empty() || event->source() == this) {
        refuse();
        return;
    }
    if (!CFolderListing::IsFolder(folder)) {
        std::string shown = folder;
        if (shown.size() > 1 && shown.back() == '/')
            shown.pop_back();
        AskUser(m_prompt, MsgId::DropFolderGone, CUserPrompt::Exclamation, CUserPrompt::Ok, shown);
        RemoveItem(IndexOf(folder));
        refuse();
        return;
    }
    std::vector<std::string> files;
    if (!DroppedFiles(event, folder, &files)) {
        refuse();
        return;
    }
    const bool move = (event->modifiers() & Qt::ControlModifier) == 0;
    CBrowserFileOps ops(m_prompt);
    const bool done = ops.CopyOrMove(files, folder, move);
    // A folder that went during the copy leaves the tree (the failure was told).
    if (!done && !CFolderListing::IsFolder(folder))
        RemoveItem(IndexOf(folder));
    if (!done) {
        refuse();
        return;
    }
    event->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}
