#include "gui/browser/browserpanes.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/userprompt.h"
#include "browser/dirfileinfo.h"
#include "browser/dirfilelist.h"
#include "browser/folderlisting.h"
#include "gui/browser/dirtreectrl.h"
#include "gui/browser/drivecombobox.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/filelistctrl.h"
#include "gui/browser/filelistmodel.h"
#include "gui/browser/folderdlgbar.h"
#include "gui/browser/thumbnailwnd.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QAbstractItemView>
#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QDockWidget>
#include <QMainWindow>
#include <QMenu>
#include <QMimeData>
#include <QUrl>
#include <cerrno>
#include <cstring>

namespace {

QString text(int id)
{
    return QString::fromStdString(CResourceBundle::Text(id));
}

QString watchPath(const std::string& folder)
{
    QString path = QString::fromStdString(folder);
    if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
        path.chop(1);
    return path;
}

} // namespace

CBrowserPanes::CBrowserPanes(QMainWindow& frame, CSlidePPTObj* shared, CUserPrompt* prompt)
    : QObject(&frame), m_folderBar(new CFolderDlgBar(&frame)),
      m_fileBar(new CFileDlgBar(&frame, shared)), m_prompt(prompt)
{
    frame.addDockWidget(Qt::LeftDockWidgetArea, m_folderBar);
    frame.addDockWidget(Qt::BottomDockWidgetArea, m_fileBar);
    m_fileBar->SetPrompt(prompt);
    m_folderBar->Tree()->SetPrompt(prompt);
    m_pattern = m_folderBar->GetFileTypePattern();
    SetVolumeSource(&CDirFileList::SystemVolumes);

    m_folderTimer.setSingleShot(true);
    m_branchTimer.setSingleShot(true);
    SetWatchDelay(150);
    m_volumeTimer.setInterval(2000);
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this,
            &CBrowserPanes::OnDirectoryChanged);
    connect(&m_folderTimer, &QTimer::timeout, this, &CBrowserPanes::OnFolderChanged);
    connect(&m_branchTimer, &QTimer::timeout, this, &CBrowserPanes::OnBranchesChanged);
    connect(&m_volumeTimer, &QTimer::timeout, this, &CBrowserPanes::PollVolumes);

    CDirTreeCtrl* tree = m_folderBar->Tree();
    connect(tree->selectionModel(), &QItemSelectionModel::currentChanged, this,
            [this](const QModelIndex& index) { OnTreeSelection(index); });
    connect(tree, &QTreeView::expanded, this, [this] { RearmWatch(); });
    connect(tree, &QTreeView::collapsed, this, [this] { RearmWatch(); });
    connect(&tree->Model(), &CFolderTreeModel::BranchRead, this, [this] { RearmWatch(); });
    connect(tree, &CDirTreeCtrl::FolderRenamed, this,
            [this](const QString& oldPath, const QString& newPath) {
                OnFolderRenamed(oldPath.toStdString(), newPath.toStdString());
            });
    connect(tree, &CDirTreeCtrl::Revealed, this, &CBrowserPanes::OnRevealed);
    connect(tree, &CDirTreeCtrl::Unrevealed, this, [this](const std::string& path) {
        // The way to the shown folder is gone: the watch's fall-back decides.
        if (path == m_current && !m_folderTimer.isActive())
            m_folderTimer.start();
    });
    connect(tree, &CDirTreeCtrl::ShownFolderGone, this, &CBrowserPanes::FallBack);
    connect(tree, &CDirTreeCtrl::PlaceRemoving, this, &CBrowserPanes::OnPlaceRemoving);
    connect(m_folderBar->FileTypes(), &QComboBox::currentIndexChanged, this,
            &CBrowserPanes::OnFileTypeChanged);
    connect(m_folderBar->Drives(), &QComboBox::activated, this, [this] {
        std::string root;
        if (m_folderBar->Drives()->GetSelectedPath(root))
            ShowFolder(root);
    });

    CFileListCtrl* list = m_fileBar->List();
    connect(list, &CFileListCtrl::EntryActivated, this, &CBrowserPanes::OnEntryActivated);
    connect(list, &CFileListCtrl::CurrentEntryChanged, this, [this](CDirFileInfo* entry) {
        if (!m_suppressed)
            m_fileBar->UpdatePreview(entry);
    });
    connect(list, &CFileListCtrl::ContextMenuRequested, this, &CBrowserPanes::ShowContextMenu);
    connect(list, &CFileListCtrl::CopyRequested, this, &CBrowserPanes::Copy);
    connect(m_fileBar->Thumbnails(), &CThumbnailWnd::SlideActivated, this,
            &CBrowserPanes::CellsActivated);

    // Commands of the view menu and the list's own menu.
    auto* styles = new QActionGroup(this);
    const int order[] = {CFileListCtrl::LargeIcons, CFileListCtrl::SmallIcons, CFileListCtrl::List,
                         CFileListCtrl::Details};
    const int commands[] = {32773, 32774, 32775, 32776};
    for (int i = 0; i < 4; ++i) {
        auto* action = new QAction(text(MsgId::ViewLargeIcons + i), this);
        action->setCheckable(true);
        action->setData(commands[i]);
        action->setChecked(order[i] == CFileListCtrl::LargeIcons);
        styles->addAction(action);
        const int style = order[i];
        connect(action, &QAction::triggered, this, [this, style] { SetListViewMode(style); });
        m_viewActions.append(action);
    }
    m_refreshAction = new QAction(text(MsgId::MenuRefresh), this);
    m_refreshAction->setData(32780);
    m_refreshAction->setShortcut(QKeySequence::Refresh);
    connect(m_refreshAction, &QAction::triggered, this, &CBrowserPanes::Refresh);
    m_copyAction = new QAction(text(MsgId::MenuCopy), this);
    m_copyAction->setData(57634);
    m_copyAction->setShortcut(QKeySequence::Copy);
    connect(m_copyAction, &QAction::triggered, this, &CBrowserPanes::Copy);
    for (QDockWidget* pane :
         {static_cast<QDockWidget*>(m_folderBar), static_cast<QDockWidget*>(m_fileBar)})
        connect(pane->toggleViewAction(), &QAction::toggled, this,
                &CBrowserPanes::UpdateCommandStates);
    UpdateCommandStates();
}

int CBrowserPanes::ListViewMode() const
{
    return m_fileBar->List()->ViewStyle();
}

void CBrowserPanes::UpdateCommandStates()
{
    const bool files = m_fileBar->toggleViewAction()->isChecked();
    const bool folders = m_folderBar->toggleViewAction()->isChecked();
    for (QAction* style : m_viewActions)
        style->setEnabled(files);
    m_refreshAction->setEnabled(files || folders);
}

CBrowserPanes::~CBrowserPanes()
{
    m_suppressed = true;
    m_volumeTimer.stop();
    m_folderTimer.stop();
}

void CBrowserPanes::SetVolumeSource(VolumeSource source)
{
    m_volumes = std::move(source);
    m_folderBar->Tree()->SetVolumeSource(m_volumes);
    m_fileBar->Listing().SetVolumeSource(m_volumes);
}

void CBrowserPanes::SetWatchDelay(int milliseconds)
{
    m_folderTimer.setInterval(milliseconds);
    m_branchTimer.setInterval(milliseconds);
}

void CBrowserPanes::SetVolumePollInterval(int milliseconds)
{
    m_volumeTimer.setInterval(milliseconds);
}

std::string CBrowserPanes::CurrentFolder() const
{
    return m_current;
}

void CBrowserPanes::Start(const std::string& folder)
{
    CDirTreeCtrl* tree = m_folderBar->Tree();
    m_rebuilding = true;
    m_current.clear();
    std::string shown = folder;
    if (shown.empty() && !m_startFolder.empty())
        shown = CFolderListing::NearestExisting(m_startFolder, "/");
    m_startFolder.clear();
    if (shown.empty())
        shown = QDir::homePath().toStdString();
    // The branches on the way are read off the window's thread; the list
    // of the folder does not wait for them.
    tree->Populate(shown);
    if (m_volumes)
        m_folderBar->Drives()->FillDrives(m_volumes());
    m_rebuilding = false;
    if (!Go(shown))
        Go(tree->PathOf(tree->Model().index(0, 0)));
    m_volumeTimer.start();
}

bool CBrowserPanes::ShowFolder(const std::string& folder)
{
    return Go(folder);
}

bool CBrowserPanes::Go(const std::string& folder)
{
    CDirTreeCtrl* tree = m_folderBar->Tree();
    const std::string path = CFolderListing::WithSlash(folder);
    const QModelIndex index = tree->IndexOf(path);
    if (index.isValid()) {
        if (tree->currentIndex() == index)
            OnTreeSelection(index);
        else
            tree->setCurrentIndex(index);
        return m_current == path;
    }
    if (path.empty() || !tree->Model().PlaceOf(path).isValid())
        return false;
    // Not read into the tree yet: the list now, the tree when its branches
    // have been read.
    if (!ChooseFolder(path))
        return false;
    SelectQuietly({}); // a click on the node selected before still counts
    tree->Reveal(path);
    return m_current == path;
}

void CBrowserPanes::OnRevealed(const std::string& path)
{
    if (path != m_current)
        return;
    CDirTreeCtrl* tree = m_folderBar->Tree();
    const QModelIndex index = tree->IndexOf(path);
    SelectQuietly(index);
    // Once the tree has its size: the shown folder in view.
    QTimer::singleShot(0, tree, [tree] {
        if (tree->currentIndex().isValid())
            tree->scrollTo(tree->currentIndex(), QAbstractItemView::PositionAtCenter);
    });
}

void CBrowserPanes::SelectQuietly(const QModelIndex& index)
{
    CDirTreeCtrl* tree = m_folderBar->Tree();
    {
        const QSignalBlocker block(tree->selectionModel());
        tree->setCurrentIndex(index);
    }
    tree->viewport()->update();
}

void CBrowserPanes::OnTreeSelection(const QModelIndex& index)
{
    if (m_rebuilding || !index.isValid())
        return;
    ChooseFolder(CDirTreeCtrl::PathOf(index));
}

bool CBrowserPanes::ChooseFolder(const std::string& path)
{
    if (path == m_current)
        return true;
    CDirTreeCtrl* tree = m_folderBar->Tree();
    m_suppressed = true;
    const std::string previous = m_current;
    m_current = path;
    bool shown = true;
    if (!m_fileBar->ShowFolder(path, m_folderBar->GetFileTypePattern(),
                               m_folderBar->FileTypeIndex())) {
        shown = false;
        const int error = m_fileBar->Listing().LastError();
        // A folder that went away leaves the tree without a word; one that
        // cannot be read says why.
        const QModelIndex place = tree->Model().PlaceOf(path);
        const bool gone = (error == ENOENT || error == ENOTDIR) && tree->PathOf(place) != path;
        if (!gone)
            AskUser(m_prompt, MsgId::FolderUnreadable, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    watchPath(path).toStdString(), std::strerror(error ? error : EIO));
        // Back to the folder shown before.
        m_current = previous;
        const QModelIndex back = previous.empty() ? QModelIndex() : tree->IndexOf(previous);
        if (!previous.empty())
            m_fileBar->ShowFolder(previous, {}, m_folderBar->FileTypeIndex());
        if (back.isValid())
            SelectQuietly(back);
        if (gone)
            tree->RemoveItem(tree->IndexOf(path));
    }
    m_suppressed = false;
    RearmWatch();
    return shown;
}

void CBrowserPanes::FallBack()
{
    if (m_current.empty() || m_rebuilding)
        return;
    CDirTreeCtrl* tree = m_folderBar->Tree();
    // The place (home folder or volume) that holds the lost folder.
    const std::string floor = CDirTreeCtrl::PathOf(tree->Model().PlaceOf(m_current));
    std::string target = CFolderListing::NearestExisting(m_current, floor);
    if (target == m_current && tree->CurrentPath() == m_current)
        return; // already there (the watch and the tree both noticed)
    if (target.empty())
        target = CDirTreeCtrl::PathOf(tree->Model().index(0, 0));
    m_current.clear();
    m_fileBar->ClearList();
    if (!target.empty())
        Go(target);
}

void CBrowserPanes::OnFileTypeChanged()
{
    const std::string pattern = m_folderBar->GetFileTypePattern();
    if (QString::fromStdString(pattern).compare(QString::fromStdString(m_pattern),
                                                Qt::CaseInsensitive) == 0)
        return;
    m_pattern = pattern;
    RefillCurrent();
}

void CBrowserPanes::RefillCurrent()
{
    if (m_refreshing || m_current.empty())
        return;
    m_refreshing = true;
    m_suppressed = true;
    m_fileBar->ShowFolder(m_current, m_folderBar->GetFileTypePattern(),
                          m_folderBar->FileTypeIndex());
    m_suppressed = false;
    m_refreshing = false;
    RearmWatch();
}

void CBrowserPanes::OnFolderRenamed(const std::string& oldPath, const std::string& newPath)
{
    if (m_current.empty())
        return;
    if (m_current.compare(0, oldPath.size(), oldPath) == 0) {
        // The shown folder or one above it has a new name.
        m_current = newPath + m_current.substr(oldPath.size());
        RefillCurrent();
        return;
    }
    // Only a subfolder of the shown folder concerns the list.
    std::string parent = oldPath.substr(0, oldPath.size() - 1);
    parent.erase(parent.rfind('/') + 1);
    if (parent == m_current)
        RefillCurrent();
}

void CBrowserPanes::OnPlaceRemoving(const QModelIndex& index)
{
    const std::string place = CDirTreeCtrl::PathOf(index);
    if (m_current.empty() || m_current.compare(0, place.size(), place) != 0)
        return;
    // The shown folder was on a pulled volume.
    m_suppressed = true;
    m_current.clear();
    m_fileBar->ClearList();
    m_suppressed = false;
    QTimer::singleShot(0, this, [this] {
        CDirTreeCtrl* tree = m_folderBar->Tree();
        if (m_current.empty() && tree->PlaceCount() > 0)
            Go(CDirTreeCtrl::PathOf(tree->Model().index(0, 0)));
    });
}

void CBrowserPanes::PollVolumes()
{
    const bool changed = m_folderBar->Tree()->UpdateVolumes();
    if (m_volumes)
        m_folderBar->Drives()->FillDrives(m_volumes());
    if (changed)
        RearmWatch();
}

void CBrowserPanes::OnEntryActivated(CDirFileInfo* entry)
{
    if (m_suppressed || !entry)
        return;
    if (entry->IsFolder()) {
        ShowFolder(entry->Path);
        return;
    }
    CFileListCtrl* list = m_fileBar->List();
    const int row = m_fileBar->Model().RowOf(entry);
    std::vector<int> rows = list->SelectedRows();
    if (std::find(rows.begin(), rows.end(), row) == rows.end())
        rows = {row};
    const QByteArray block = m_fileBar->Model().BlockOf(rows);
    if (!block.isEmpty())
        Q_EMIT CellsActivated(block);
}

void CBrowserPanes::Copy()
{
    const QByteArray block = m_fileBar->List()->SelectedBlock();
    if (block.isEmpty())
        return;
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(CCellInfoList::ClipFormatFiles), block);
    // The same files for other programs, as a file manager copies them.
    CCellInfoList cells;
    if (cells.AppendFromBytes(block)) {
        QList<QUrl> urls;
        for (int i = 0; i < cells.GetCount(); ++i)
            if (const auto* cell = dynamic_cast<const CCellBmpInfo*>(cells.GetAt(i)))
                urls << QUrl::fromLocalFile(QString::fromStdString(cell->RefFilePath));
        data->setUrls(urls);
    }
    cells.DeleteAll();
    QApplication::clipboard()->setMimeData(data);
}

void CBrowserPanes::SetListViewMode(int style)
{
    m_fileBar->SetListViewMode(style);
    const int order[] = {CFileListCtrl::LargeIcons, CFileListCtrl::SmallIcons, CFileListCtrl::List,
                         CFileListCtrl::Details};
    for (int i = 0; i < 4; ++i)
        m_viewActions[i]->setChecked(order[i] == style);
}

void CBrowserPanes::ShowContextMenu(const QPoint& globalPos)
{
    QMenu menu(m_fileBar);
    m_copyAction->setEnabled(!m_fileBar->List()->SelectedBlock().isEmpty());
    menu.addAction(m_copyAction);
    menu.addSeparator();
    menu.addActions(m_viewActions);
    menu.addSeparator();
    menu.addAction(m_refreshAction);
    menu.exec(globalPos);
}

void CBrowserPanes::Refresh()
{
    if (m_refreshing || m_rebuilding)
        return;
    const std::string folder = CurrentFolder();
    m_folderTimer.stop();
    Start(folder);
    if (!folder.empty() && CurrentFolder() == folder)
        RefillCurrent();
}

void CBrowserPanes::OnDirectoryChanged(const QString& path)
{
    if (!m_current.empty() && path == watchPath(m_current)) {
        if (!m_folderTimer.isActive())
            m_folderTimer.start();
    }
    if (!m_changedBranches.contains(path))
        m_changedBranches.append(path);
    if (!m_branchTimer.isActive())
        m_branchTimer.start();
}

void CBrowserPanes::OnFolderChanged()
{
    if (m_current.empty() || m_suppressed)
        return;
    if (m_refreshing) {
        m_folderTimer.start(); // after the running one
        return;
    }
    m_refreshing = true;
    m_suppressed = true;
    const std::string shown = m_current;
    const bool ok = m_fileBar->RefreshList();
    m_suppressed = false;
    m_refreshing = false;
    if (ok) {
        CDirTreeCtrl* tree = m_folderBar->Tree();
        tree->RefreshBranch(tree->IndexOf(shown));
    } else {
        // The shown folder went away (or can no longer be read).
        FallBack();
    }
    RearmWatch();
}

void CBrowserPanes::OnBranchesChanged()
{
    const QStringList paths = m_changedBranches;
    m_changedBranches.clear();
    CDirTreeCtrl* tree = m_folderBar->Tree();
    for (const QString& path : paths) {
        // Looked up anew each time: a refresh may remove branches.
        const QModelIndex index = tree->IndexOf(path.toStdString());
        if (tree->Model().IsFilled(index))
            tree->RefreshBranch(index);
    }
    // A shown folder removed with its parent's change only.
    if (!m_current.empty() && !CFolderListing::IsFolder(m_current) && !m_folderTimer.isActive())
        m_folderTimer.start();
    RearmWatch();
}

QStringList CBrowserPanes::WatchedPaths() const
{
    return m_watcher.directories();
}

void CBrowserPanes::RearmWatch()
{
    QStringList wanted = m_folderBar->Tree()->ExpandedPaths();
    for (QString& path : wanted) {
        if (path.size() > 1 && path.endsWith(QLatin1Char('/')))
            path.chop(1);
    }
    if (!m_current.empty())
        wanted.append(watchPath(m_current));
    wanted.removeDuplicates();
    const QStringList present = m_watcher.directories();
    QStringList drop;
    for (const QString& path : present) {
        if (!wanted.contains(path))
            drop.append(path);
    }
    if (!drop.isEmpty())
        m_watcher.removePaths(drop);
    QStringList add;
    for (const QString& path : wanted) {
        if (!present.contains(path) && QDir(path).exists())
            add.append(path);
    }
    if (!add.isEmpty())
        m_watcher.addPaths(add);
}
