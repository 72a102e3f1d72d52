#pragma once

#include "base/volumelist.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

class CDirFileInfo;
class CFileDlgBar;
class CFolderDlgBar;
class CSlidePPTObj;
class CUserPrompt;
class QAction;
class QMainWindow;
class QModelIndex;

// The file browser of the main window: makes the "folders" dock (left) and
// the "files" dock (bottom) and coordinates them: which folder is shown,
// when the list is filled anew or updated in place, and the watching of the
// shown folder, the opened branches of the tree and the mounted volumes.
// Files and slides taken into a project leave as CellsActivated with their
// transfer block; the main window hands it to the active project.
class CBrowserPanes : public QObject
{
    Q_OBJECT
public:
    using VolumeSource = std::function<std::vector<CVolumeList::Volume>()>;

    // `shared` is the program's presentation object for the thumbnail
    // window (it keeps its own without one); `prompt` shows the messages.
    explicit CBrowserPanes(QMainWindow& frame, CSlidePPTObj* shared = nullptr,
                           CUserPrompt* prompt = nullptr);
    ~CBrowserPanes() override;

    CFolderDlgBar* FolderBar() const { return m_folderBar; }
    CFileDlgBar* FileBar() const { return m_fileBar; }
    // Where the volumes come from (the mount table unless a test says).
    void SetVolumeSource(VolumeSource source);
    // Fills the tree and shows `folder`; when empty, the start folder (or
    // its nearest existing ancestor), else the home folder.
    void Start(const std::string& folder = {});
    // The folder the next Start without one shows (the last one of a run).
    void SetStartFolder(const std::string& folder) { m_startFolder = folder; }
    int ListViewMode() const;
    // Greys the list styles while the file pane is hidden, and Refresh
    // while both panes are.
    void UpdateCommandStates();
    // Moves the browser into `folder`; false when it is not in the tree.
    bool ShowFolder(const std::string& folder);
    std::string CurrentFolder() const;
    // Delay that gathers a burst of changes into one refresh.
    void SetWatchDelay(int milliseconds);
    void SetVolumePollInterval(int milliseconds);
    // The view-style actions (large icons, details, small icons, list),
    // the refresh action and Copy, for the main window's menus.
    QList<QAction*> ViewActions() const { return m_viewActions; }
    QAction* RefreshAction() const { return m_refreshAction; }
    QAction* CopyAction() const { return m_copyAction; }
    bool IsRefreshing() const { return m_refreshing; }
    QStringList WatchedPaths() const;

public Q_SLOTS:
    // The refresh command: tree and list read anew, the folder kept.
    void Refresh();
    void SetListViewMode(int style);
    // Copies the selected pictures and presentations as one block.
    void Copy();
    // Looks for mounted or pulled volumes.
    void PollVolumes();

Q_SIGNALS:
    void CellsActivated(const QByteArray& block);

private:
    void OnTreeSelection(const QModelIndex& index);
    // Shows `path` in the list; false (and the list as it was) when it
    // cannot be read.
    bool ChooseFolder(const std::string& path);
    // Shows `folder` and selects it in the tree, at once when its node is
    // there, else when the tree has read the way to it.
    bool Go(const std::string& folder);
    void OnRevealed(const std::string& path);
    void OnFileTypeChanged();
    void OnFolderRenamed(const std::string& oldPath, const std::string& newPath);
    void OnPlaceRemoving(const QModelIndex& index);
    void OnEntryActivated(CDirFileInfo* entry);
    void OnDirectoryChanged(const QString& path);
    void OnFolderChanged();
    void OnBranchesChanged();
    void ShowContextMenu(const QPoint& globalPos);
    void RefillCurrent();
    // The shown folder went away: on to its nearest existing ancestor,
    // quietly (the user never chose that folder).
    void FallBack();
    void SelectQuietly(const QModelIndex& index);
    void RearmWatch();

    CFolderDlgBar* m_folderBar;
    CFileDlgBar* m_fileBar;
    CUserPrompt* m_prompt;
    VolumeSource m_volumes;
    // The shown folder, by path: items come and go with outside changes.
    std::string m_current;
    std::string m_pattern;
    std::string m_startFolder;
    bool m_suppressed = false; // the browser is being changed by us
    bool m_refreshing = false; // a change is being handled
    bool m_rebuilding = false; // the tree is being filled anew
    QFileSystemWatcher m_watcher;
    QTimer m_folderTimer;
    QTimer m_branchTimer;
    QTimer m_volumeTimer;
    QStringList m_changedBranches;
    QList<QAction*> m_viewActions;
    QAction* m_refreshAction;
    QAction* m_copyAction;
};
