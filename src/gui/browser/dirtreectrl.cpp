#include "gui/browser/dirtreectrl.h"

#include "browser/browserfileops.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QStyle>
#include <QTimer>
#include <QUrl>
#include <algorithm>
#include <unordered_set>

namespace {

QByteArray bytes(const std::string& s)
{
    return QByteArray(s.data(), qsizetype(s.size()));
}

bool isBelow(const QTreeWidgetItem* item, const QTreeWidgetItem* ancestor)
{
    for (const QTreeWidgetItem* up = item ? item->parent() : nullptr; up; up = up->parent()) {
        if (up == ancestor)
            return true;
    }
    return false;
}

} // namespace

CDirTreeCtrl::CDirTreeCtrl(QWidget* parent) : QTreeWidget(parent), m_reader(this)
{
    setAccessibleName(QStringLiteral("Folders"));
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setSelectionMode(QAbstractItemView::SingleSelection);
    // Made once: the style decodes its picture anew on every call.
    m_folderIcon = style()->standardIcon(QStyle::SP_DirIcon);
    connect(this, &QTreeWidget::itemExpanded, this, &CDirTreeCtrl::OnExpanded);
    connect(this, &QTreeWidget::itemCollapsed, this, &CDirTreeCtrl::OnCollapsed);
    connect(this, &QTreeWidget::itemChanged, this, &CDirTreeCtrl::OnItemChanged);
}

CDirTreeCtrl::~CDirTreeCtrl()
{
    m_reader.Cancel();
}

std::string CDirTreeCtrl::NameOf(const QTreeWidgetItem* item)
{
    std::string path = PathOf(item);
    if (!path.empty())
        path.pop_back();
    return path.substr(path.rfind('/') + 1);
}

std::string CDirTreeCtrl::PathOf(const QTreeWidgetItem* item)
{
    return item ? item->data(0, PathRole).toByteArray().toStdString() : std::string();
}

QString CDirTreeCtrl::ShownName(const std::string& name)
{
    QString shown = QString::fromUtf8(name.data(), qsizetype(name.size()));
    for (QChar& c : shown) {
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r'))
            c = QChar(0x21B5);
        else if (c.unicode() < 0x20)
            c = QChar(0x2400 + c.unicode());
        else if (c.unicode() == 0x7F)
            c = QChar(0x2421);
    }
    return shown;
}

QTreeWidgetItem* CDirTreeCtrl::AddPlace(const std::string& path, const QString& text, bool volume)
{
    auto* item = new QTreeWidgetItem(this);
    m_quiet = true;
    item->setText(0, text);
    item->setData(0, PathRole, bytes(path));
    item->setData(0, VolumeRole, volume);
    item->setIcon(0,
                  style()->standardIcon(volume ? QStyle::SP_DriveHDIcon : QStyle::SP_DirHomeIcon));
    item->setToolTip(0, QString::fromStdString(path));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    m_quiet = false;
    return item;
}

QTreeWidgetItem* CDirTreeCtrl::MakeFolderItem(const std::string& parentPath,
                                              const std::string& name) const
{
    auto* item = new QTreeWidgetItem;
    item->setText(0, ShownName(name));
    item->setData(0, PathRole, bytes(parentPath + name + "/"));
    item->setIcon(0, m_folderIcon);
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    // No sign until the check of its first painting found subfolders.
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    return item;
}

QTreeWidgetItem* CDirTreeCtrl::Populate(const std::string& path)
{
    m_reader.Cancel();
    m_reading.clear();
    m_asked.clear();
    m_dropPath.clear();
    clear();
    AddPlace(CFolderListing::WithSlash(QDir::homePath().toStdString()), QDir::home().dirName(),
             false);
    if (m_volumes) {
        for (const CVolumeList::Volume& volume : m_volumes()) {
            const QString text = volume.label.empty() ? QString::fromStdString(volume.root)
                                                      : QString::fromStdString(volume.label);
            AddPlace(volume.root, text, true);
        }
    }
    QTreeWidgetItem* found = path.empty() ? nullptr : FindItemByPath(path, true);
    return found ? found : topLevelItem(0);
}

void CDirTreeCtrl::ApplyListing(QTreeWidgetItem* item, const CFolderListing::Result& result)
{
    if (!result.exists) {
        // The folder went away meanwhile; a top-level place only empties.
        if (item->parent()) {
            RemoveItem(item);
            return;
        }
        qDeleteAll(item->takeChildren());
        item->setData(0, FilledRole, false);
        return;
    }
    std::vector<std::string> shown;
    shown.reserve(size_t(item->childCount()));
    for (int i = 0; i < item->childCount(); ++i)
        shown.push_back(NameOf(item->child(i)));
    const CFolderListing::Changes changes = CFolderListing::Compare(shown, result.names);
    const std::unordered_set<std::string> gone(changes.gone.begin(), changes.gone.end());
    for (int i = item->childCount() - 1; i >= 0 && !gone.empty(); --i) {
        if (gone.count(shown[size_t(i)]))
            RemoveItem(item->child(i));
    }
    const std::string path = PathOf(item);
    m_quiet = true;
    if (item->childCount() == 0) {
        QList<QTreeWidgetItem*> children;
        children.reserve(qsizetype(result.names.size()));
        for (const std::string& name : result.names)
            children.append(MakeFolderItem(path, name));
        item->addChildren(children);
    } else {
        for (const std::string& name : changes.added) {
            // In its place by the tree's order (the children are kept in it).
            int low = 0;
            int high = item->childCount();
            while (low < high) {
                const int mid = (low + high) / 2;
                if (CFolderListing::Before(NameOf(item->child(mid)), name))
                    low = mid + 1;
                else
                    high = mid;
            }
            item->insertChild(low, MakeFolderItem(path, name));
        }
    }
    item->setData(0, FilledRole, true);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
    m_quiet = false;
}

void CDirTreeCtrl::FillChildren(QTreeWidgetItem* item)
{
    if (!item || item->data(0, FilledRole).toBool())
        return;
    ApplyListing(item, CFolderListing::List(PathOf(item)));
}

void CDirTreeCtrl::OnExpanded(QTreeWidgetItem* item)
{
    if (m_syncFill)
        return;
    // Opening a branch reads it again, off the window's thread.
    const std::string path = PathOf(item);
    if (!m_reading.insert(path).second)
        return;
    m_reader.List(path, [this](const CFolderListing::Result& result) {
        m_reading.erase(result.folder);
        QTreeWidgetItem* found = FindItemByPath(result.folder, false);
        if (!found || !found->isExpanded())
            return;
        ApplyListing(found, result);
        Q_EMIT BranchRead(QString::fromUtf8(bytes(result.folder)));
    });
}

void CDirTreeCtrl::OnCollapsed(QTreeWidgetItem* item)
{
    if (isBelow(currentItem(), item))
        setCurrentItem(item); // the closing branch takes the selection
    const bool had = item->childCount() > 0;
    qDeleteAll(item->takeChildren());
    item->setData(0, FilledRole, false);
    m_quiet = true;
    item->setChildIndicatorPolicy(had || !item->parent()
                                      ? QTreeWidgetItem::ShowIndicator
                                      : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    m_quiet = false;
}

void CDirTreeCtrl::AskProbe(const std::string& path) const
{
    if (!m_asked.insert(path).second)
        return;
    auto* self = const_cast<CDirTreeCtrl*>(this);
    self->m_reader.Probe(
        path, [self](const std::string& folder, bool has) { self->OnProbed(folder, has); });
}

void CDirTreeCtrl::OnProbed(const std::string& path, bool hasSubfolders)
{
    QTreeWidgetItem* item = FindItemByPath(path, false);
    if (!item || item->data(0, FilledRole).toBool())
        return;
    m_quiet = true;
    item->setChildIndicatorPolicy(hasSubfolders ? QTreeWidgetItem::ShowIndicator
                                                : QTreeWidgetItem::DontShowIndicatorWhenChildless);
    m_quiet = false;
}

void CDirTreeCtrl::drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                           const QModelIndex& index) const
{
    const QTreeWidgetItem* item = itemFromIndex(index);
    QStyleOptionViewItem shown = option;
    if (item) {
        const std::string path = PathOf(item);
        if (item->parent() && !item->data(0, FilledRole).toBool())
            AskProbe(path); // only folders that are seen are checked
        if (!m_dropPath.empty() && path == m_dropPath)
            shown.state |= QStyle::State_Selected;
    }
    QTreeWidget::drawRow(painter, shown, index);
}

QTreeWidgetItem* CDirTreeCtrl::FindItemByPath(const std::string& path, bool expand)
{
    const std::string target = CFolderListing::WithSlash(path);
    // The longest place that holds the path; the home folder before the
    // volume that holds it.
    QTreeWidgetItem* item = nullptr;
    size_t best = 0;
    for (int i = 0; i < topLevelItemCount(); ++i) {
        const std::string root = PathOf(topLevelItem(i));
        if (target.compare(0, root.size(), root) == 0 && root.size() > best) {
            item = topLevelItem(i);
            best = root.size();
        }
    }
    while (item && PathOf(item) != target) {
        if (!item->data(0, FilledRole).toBool()) {
            if (!expand)
                return nullptr;
            FillChildren(item);
        }
        QTreeWidgetItem* next = nullptr;
        const std::string rest = target.substr(PathOf(item).size());
        const std::string name = rest.substr(0, rest.find('/'));
        for (int i = 0; i < item->childCount() && !next; ++i) {
            if (NameOf(item->child(i)) == name)
                next = item->child(i);
        }
        if (next && expand && !item->isExpanded()) {
            m_syncFill = true;
            item->setExpanded(true);
            m_syncFill = false;
        }
        item = next;
    }
    return item;
}

void CDirTreeCtrl::RefreshBranch(QTreeWidgetItem* item)
{
    if (!item)
        return;
    if (!item->data(0, FilledRole).toBool()) {
        // Not read yet: only whether it has subfolders may have changed.
        m_asked.erase(PathOf(item));
        viewport()->update();
        return;
    }
    const std::string path = PathOf(item);
    ApplyListing(item, CFolderListing::List(path));
    // The item may have left the tree with its folder.
    item = FindItemByPath(path, false);
    for (int i = 0; item && i < item->childCount(); ++i)
        RefreshBranch(item->child(i));
}

void CDirTreeCtrl::RemoveItem(QTreeWidgetItem* item)
{
    if (!item)
        return;
    QTreeWidgetItem* current = currentItem();
    const bool heldCurrent = current && (current == item || isBelow(current, item));
    QTreeWidgetItem* parent = item->parent();
    if (heldCurrent) {
        const QSignalBlocker block(this);
        setCurrentItem(parent ? parent : topLevelItem(0));
    }
    if (!m_dropPath.empty() && m_dropPath.compare(0, PathOf(item).size(), PathOf(item)) == 0)
        m_dropPath.clear();
    if (parent)
        delete parent->takeChild(parent->indexOfChild(item));
    else
        delete takeTopLevelItem(indexOfTopLevelItem(item));
    if (heldCurrent)
        QTimer::singleShot(0, this, [this] { Q_EMIT ShownFolderGone(); });
}

bool CDirTreeCtrl::UpdateVolumes()
{
    if (!m_volumes)
        return false;
    const std::vector<CVolumeList::Volume> volumes = m_volumes();
    bool removed = false;
    for (int i = topLevelItemCount() - 1; i >= 0; --i) {
        QTreeWidgetItem* item = topLevelItem(i);
        if (!item->data(0, VolumeRole).toBool())
            continue;
        const std::string root = PathOf(item);
        const bool present =
            std::any_of(volumes.begin(), volumes.end(),
                        [&](const CVolumeList::Volume& v) { return v.root == root; });
        if (!present) {
            Q_EMIT PlaceRemoving(item);
            delete takeTopLevelItem(indexOfTopLevelItem(item));
            removed = true;
        }
    }
    for (const CVolumeList::Volume& volume : volumes) {
        bool known = false;
        for (int i = 0; i < topLevelItemCount() && !known; ++i)
            known = topLevelItem(i)->data(0, VolumeRole).toBool() &&
                    PathOf(topLevelItem(i)) == volume.root;
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
    QList<QTreeWidgetItem*> pending;
    for (int i = 0; i < topLevelItemCount(); ++i)
        pending.append(topLevelItem(i));
    while (!pending.isEmpty()) {
        QTreeWidgetItem* item = pending.takeLast();
        if (!item->isExpanded() || !item->data(0, FilledRole).toBool())
            continue;
        paths.append(QString::fromUtf8(item->data(0, PathRole).toByteArray()));
        for (int i = 0; i < item->childCount(); ++i)
            pending.append(item->child(i));
    }
    return paths;
}

void CDirTreeCtrl::SetPathBelow(QTreeWidgetItem* item, const std::string& oldPrefix,
                                const std::string& newPrefix)
{
    const std::string path = PathOf(item);
    if (path.compare(0, oldPrefix.size(), oldPrefix) == 0)
        item->setData(0, PathRole, bytes(newPrefix + path.substr(oldPrefix.size())));
    for (int i = 0; i < item->childCount(); ++i)
        SetPathBelow(item->child(i), oldPrefix, newPrefix);
}

void CDirTreeCtrl::OnItemChanged(QTreeWidgetItem* item, int column)
{
    if (m_quiet || column != 0 || !item->parent())
        return;
    const std::string oldPath = PathOf(item);
    const std::string oldName = NameOf(item);
    const QString typedText = item->text(0);
    if (typedText == ShownName(oldName))
        return;
    const std::string typed = typedText.toStdString();
    CBrowserFileOps ops(m_prompt);
    std::string newPath;
    m_quiet = true;
    if (!ops.Rename(oldPath, typed, newPath)) {
        item->setText(0, ShownName(oldName));
        m_quiet = false;
        return;
    }
    newPath = CFolderListing::WithSlash(newPath);
    const std::string bare = newPath.substr(0, newPath.size() - 1);
    item->setText(0, ShownName(bare.substr(bare.rfind('/') + 1)));
    SetPathBelow(item, oldPath, newPath);
    m_asked.erase(oldPath);
    m_quiet = false;
    Q_EMIT FolderRenamed(item, QString::fromStdString(oldPath), QString::fromStdString(newPath));
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
    if (!event->mimeData()->hasUrls() || event->source() == this)
        return false;
    QTreeWidgetItem* item = itemAt(event->position().toPoint());
    if (!item)
        return false;
    std::vector<std::string> paths;
    for (const QUrl& url : event->mimeData()->urls()) {
        if (!url.isLocalFile())
            return false;
        paths.push_back(url.toLocalFile().toStdString());
    }
    const std::string target = PathOf(item);
    if (!CBrowserFileOps::CanDropInto(paths, target))
        return false;
    if (files)
        *files = std::move(paths);
    if (folder)
        *folder = target;
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
    SetDropHighlight({});
    std::vector<std::string> files;
    std::string folder;
    if (!AcceptDrop(event, &files, &folder)) {
        event->ignore();
        return;
    }
    const bool move = (event->modifiers() & Qt::ControlModifier) == 0;
    CBrowserFileOps ops(m_prompt);
    const bool done = ops.CopyOrMove(files, folder, move);
    // A folder that went before the drop leaves the tree (the failure was told).
    if (!done && !CFolderListing::IsFolder(folder))
        RemoveItem(FindItemByPath(folder, false));
    event->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
    if (done)
        event->accept();
    else
        event->ignore();
}
