#pragma once

#include "base/volumelist.h"
#include "browser/foldertreemodel.h"

#include <QTreeView>
#include <functional>
#include <string>
#include <vector>

class CUserPrompt;

// The folder tree: a view on CFolderTreeModel, with the home folder and
// every volume at the top. Opening a branch reads it again off the window's
// thread, closing one discards its children, and a folder is checked for
// subfolders (off the window's thread) when it is first painted. Folders
// can be given a new name in place, and files dropped from other programs
// are moved into the folder under the pointer (copied with Ctrl); a drag
// only highlights that folder, it never changes the current one.
class CDirTreeCtrl : public QTreeView
{
    Q_OBJECT
public:
    using VolumeSource = std::function<std::vector<CVolumeList::Volume>()>;

    explicit CDirTreeCtrl(QWidget* parent = nullptr);
    ~CDirTreeCtrl() override;

    void SetPrompt(CUserPrompt* prompt) { m_prompt = prompt; }
    void SetVolumeSource(VolumeSource source) { m_volumes = std::move(source); }
    CFolderTreeModel& Model() { return m_model; }
    CFolderReader& Reader() { return m_model.Reader(); }
    // Empties the tree, fills the top level and starts reading the way to
    // `path`; returns the node of `path` when it is there at once (a place).
    QModelIndex Populate(const std::string& path);
    // The node of folder `path` as far as the tree was read (no reading).
    QModelIndex IndexOf(const std::string& path) const { return m_model.IndexOf(path); }
    // Reads the branches down to `path` off the window's thread and opens
    // them; Revealed follows when its node is there.
    void Reveal(const std::string& path);
    static std::string PathOf(const QModelIndex& index) { return CFolderTreeModel::PathOf(index); }
    static std::string NameOf(const QModelIndex& index) { return CFolderTreeModel::NameOf(index); }
    std::string CurrentPath() const { return PathOf(currentIndex()); }
    // Reads an opened branch again off the window's thread (see
    // CFolderTreeModel::Refresh).
    void RefreshBranch(const QModelIndex& index) { m_model.Refresh(index); }
    // Removes the node of a folder that went; when it held the current
    // folder, the current node becomes its parent quietly and
    // ShownFolderGone follows from the event loop.
    void RemoveItem(const QModelIndex& index) { m_model.Remove(index); }
    // Brings the top level in line with the volume source: pulled volumes
    // leave the tree (true when one did), new ones are appended.
    bool UpdateVolumes();
    int PlaceCount() const { return m_model.rowCount(); }
    // The folders whose changes matter to the tree: every opened folder.
    QStringList ExpandedPaths() const;
    // The folder highlighted by a drag ("" when none).
    std::string DropHighlight() const { return m_dropPath; }
    // Listings asked for and not yet applied (tests and benchmarks).
    int PendingReads() const { return m_model.PendingReads(); }

Q_SIGNALS:
    // A folder was given a new name in the tree.
    void FolderRenamed(const QString& oldPath, const QString& newPath);
    // A top-level place is about to leave the tree.
    void PlaceRemoving(const QModelIndex& index);
    // The current folder went away and its node left the tree.
    void ShownFolderGone();
    // The way to a folder asked for by Reveal was read and opened.
    void Revealed(const std::string& path);
    // A folder on the way asked for by Reveal is not there.
    void Unrevealed(const std::string& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    void OnExpanded(const QModelIndex& index);
    void OnCollapsed(const QModelIndex& index);
    void OnRemoving(const QModelIndex& index);
    void OnRevealed(const QByteArray& path);
    void AddPlace(const std::string& path, const QString& text, bool volume);
    void SetDropHighlight(const std::string& path);
    bool AcceptDrop(QDropEvent* event, std::vector<std::string>* files, std::string* folder);
    // The local files of a drop that may go into `target`; false when any
    // may not.
    bool DroppedFiles(QDropEvent* event, const std::string& target,
                      std::vector<std::string>* files) const;

    CFolderTreeModel m_model;
    CUserPrompt* m_prompt = nullptr;
    VolumeSource m_volumes;
    bool m_opening = false; // branches opened on the way to a revealed folder
    std::string m_dropPath;
};
