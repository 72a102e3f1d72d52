#include "gui/browser/dirtreectrl.h"

#include "browser/browserfileops.h"
#include "browser/filetypenames.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QMimeData>
#include <QStyle>
#include <QUrl>
#include <algorithm>
#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

namespace {

// The subfolders of `folder` (not hidden), sorted without regard to case.
std::vector<std::string> subfolders(const std::string& folder)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    if (!dir)
        return names;
    while (dirent* item = ::readdir(dir)) {
        if (item->d_name[0] == '.')
            continue;
        bool isDir = item->d_type == DT_DIR;
        if (item->d_type == DT_LNK || item->d_type == DT_UNKNOWN) {
            struct stat st
            {
            };
            isDir = ::stat((folder + item->d_name).c_str(), &st) == 0 && S_ISDIR(st.st_mode);
        }
        if (isDir)
            names.emplace_back(item->d_name);
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return strcasecmp(a.c_str(), b.c_str()) < 0;
    });
    return names;
}

std::string withSlash(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

} // namespace

CDirTreeCtrl::CDirTreeCtrl(QWidget* parent) : QTreeWidget(parent)
{
    setAccessibleName(QStringLiteral("Folders"));
    setHeaderHidden(true);
    setColumnCount(1);
    setUniformRowHeights(true);
    setEditTriggers(QAbstractItemView::EditKeyPressed | QAbstractItemView::SelectedClicked);
    setAcceptDrops(true);
    setDragDropMode(QAbstractItemView::DropOnly);
    setDropIndicatorShown(true);
    setSelectionMode(QAbstractItemView::SingleSelection);
    connect(this, &QTreeWidget::itemExpanded, this, &CDirTreeCtrl::FillChildren);
    connect(this, &QTreeWidget::itemChanged, this, &CDirTreeCtrl::OnItemChanged);
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
    return item ? item->data(0, PathRole).toString().toStdString() : std::string();
}

QTreeWidgetItem* CDirTreeCtrl::AddPlace(const std::string& path, const QString& text, bool volume)
{
    auto* item = new QTreeWidgetItem(this);
    m_quiet = true;
    item->setText(0, text);
    item->setData(0, PathRole, QString::fromStdString(path));
    item->setData(0, VolumeRole, volume);
    item->setIcon(0,
                  style()->standardIcon(volume ? QStyle::SP_DriveHDIcon : QStyle::SP_DirHomeIcon));
    item->setToolTip(0, QString::fromStdString(path));
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    m_quiet = false;
    return item;
}

QTreeWidgetItem* CDirTreeCtrl::AddFolder(QTreeWidgetItem* parent, const std::string& name)
{
    auto* item = new QTreeWidgetItem(parent);
    m_quiet = true;
    QString shown = QString::fromUtf8(name.data(), qsizetype(name.size()));
    shown.replace(QLatin1Char('\n'), QChar(0x21B5));
    item->setText(0, shown);
    item->setData(0, PathRole, QString::fromStdString(PathOf(parent) + name + "/"));
    item->setIcon(0, style()->standardIcon(QStyle::SP_DirIcon));
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
    m_quiet = false;
    return item;
}

QTreeWidgetItem* CDirTreeCtrl::Populate(const std::string& path)
{
    clear();
    AddPlace(withSlash(QDir::homePath().toStdString()), QDir::home().dirName(), false);
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

void CDirTreeCtrl::FillChildren(QTreeWidgetItem* item)
{
    if (!item || item->data(0, FilledRole).toBool())
        return;
    const std::string path = PathOf(item);
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
        // The folder went away meanwhile.
        qDeleteAll(item->takeChildren());
        item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicator);
        return;
    }
    item->setData(0, FilledRole, true);
    qDeleteAll(item->takeChildren());
    for (const std::string& name : subfolders(path))
        AddFolder(item, name);
    item->setChildIndicatorPolicy(QTreeWidgetItem::DontShowIndicatorWhenChildless);
}

QTreeWidgetItem* CDirTreeCtrl::FindItemByPath(const std::string& path, bool expand)
{
    const std::string target = withSlash(path);
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
        for (int i = 0; i < item->childCount(); ++i) {
            const std::string child = PathOf(item->child(i));
            if (target.compare(0, child.size(), child) == 0) {
                next = item->child(i);
                break;
            }
        }
        if (next && expand)
            item->setExpanded(true);
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
        item->setChildIndicatorPolicy(QTreeWidgetItem::ShowIndicator);
        return;
    }
    const std::vector<std::string> names = subfolders(PathOf(item));
    std::vector<std::string> present;
    for (int i = item->childCount() - 1; i >= 0; --i) {
        const std::string name = NameOf(item->child(i));
        if (std::find(names.begin(), names.end(), name) == names.end())
            delete item->takeChild(i);
        else
            present.push_back(name);
    }
    for (const std::string& name : names) {
        if (std::find(present.begin(), present.end(), name) != present.end())
            continue;
        // In its place by the order of the first reading.
        QTreeWidgetItem* added = AddFolder(item, name);
        item->removeChild(added);
        int at = 0;
        while (at < item->childCount() &&
               strcasecmp(NameOf(item->child(at)).c_str(), name.c_str()) < 0)
            ++at;
        item->insertChild(at, added);
    }
    for (int i = 0; i < item->childCount(); ++i)
        RefreshBranch(item->child(i));
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
        paths.append(item->data(0, PathRole).toString());
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
        item->setData(0, PathRole,
                      QString::fromStdString(newPrefix + path.substr(oldPrefix.size())));
    for (int i = 0; i < item->childCount(); ++i)
        SetPathBelow(item->child(i), oldPrefix, newPrefix);
}

void CDirTreeCtrl::OnItemChanged(QTreeWidgetItem* item, int column)
{
    if (m_quiet || column != 0 || !item->parent())
        return;
    const std::string oldPath = PathOf(item);
    std::string oldName = oldPath.substr(0, oldPath.size() - 1);
    oldName = oldName.substr(oldName.rfind('/') + 1);
    const std::string typed = item->text(0).toStdString();
    if (typed == oldName)
        return;
    CBrowserFileOps ops(m_prompt);
    std::string newPath;
    m_quiet = true;
    if (!ops.Rename(oldPath, typed, newPath)) {
        item->setText(0, QString::fromUtf8(oldName.data(), qsizetype(oldName.size())));
        m_quiet = false;
        return;
    }
    newPath = withSlash(newPath);
    item->setText(0, QString::fromStdString(newPath.substr(0, newPath.size() - 1))
                         .section(QLatin1Char('/'), -1));
    SetPathBelow(item, oldPath, newPath);
    m_quiet = false;
    Q_EMIT FolderRenamed(item, QString::fromStdString(oldPath), QString::fromStdString(newPath));
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
    if (!AcceptDrop(event, nullptr, nullptr)) {
        event->ignore();
        return;
    }
    setCurrentItem(itemAt(event->position().toPoint()), 0, QItemSelectionModel::NoUpdate);
    // As the file managers of the old desktop did: Ctrl copies, a plain drop moves.
    event->setDropAction((event->modifiers() & Qt::ControlModifier) ? Qt::CopyAction
                                                                    : Qt::MoveAction);
    event->accept();
}

void CDirTreeCtrl::dropEvent(QDropEvent* event)
{
    std::vector<std::string> files;
    std::string folder;
    if (!AcceptDrop(event, &files, &folder)) {
        event->ignore();
        return;
    }
    const bool move = (event->modifiers() & Qt::ControlModifier) == 0;
    CBrowserFileOps ops(m_prompt);
    const bool done = ops.CopyOrMove(files, folder, move);
    event->setDropAction(move ? Qt::MoveAction : Qt::CopyAction);
    if (done)
        event->accept();
    else
        event->ignore();
}
