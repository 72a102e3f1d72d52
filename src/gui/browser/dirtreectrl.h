#pragma once

#include "base/volumelist.h"
#include "browser/folderlisting.h"
#include "browser/folderreader.h"

#include <QTreeWidget>
#include <functional>
#include <string>
#include <unordered_set>
#include <vector>

class CUserPrompt;

// The folder tree: the home folder and every volume at the top, folders
// below. It only shows what CFolderListing says: opening a branch reads it
// again off the window's thread (CFolderReader), closing one discards its
// children, and a folder shows the expand sign only once a check (made when
// it is first painted, off the window's thread) found subfolders in it.
// Items are found again by path whenever an answer arrives, so a branch that
// changed or went meanwhile is never touched through a stale item. Folders
// can be given a new name in place, and files dropped from other programs
// are moved into the folder under the pointer (copied with Ctrl); a drag
// only highlights that folder, it never changes the current one.
class CDirTreeCtrl : public QTreeWidget
{
    Q_OBJECT
public:
    static constexpr int PathRole = Qt::UserRole + 1;   // folder path with '/' (bytes)
    static constexpr int FilledRole = Qt::UserRole + 2; // children were read
    static constexpr int VolumeRole = Qt::UserRole + 3; // a top-level place

    using VolumeSource = std::function<std::vector<CVolumeList::Volume>()>;

    explicit CDirTreeCtrl(QWidget* parent = nullptr);
    ~CDirTreeCtrl() override;

    void SetPrompt(CUserPrompt* prompt) { m_prompt = prompt; }
    void SetVolumeSource(VolumeSource source) { m_volumes = std::move(source); }
    CFolderReader& Reader() { return m_reader; }
    // Empties the tree and fills the top level; returns the item of `path`
    // (its branch opened), or the home item when it cannot be found.
    QTreeWidgetItem* Populate(const std::string& path);
    // The item of folder `path`, reading and opening branches on the way
    // (on the window's thread) when `expand`.
    QTreeWidgetItem* FindItemByPath(const std::string& path, bool expand);
    static std::string PathOf(const QTreeWidgetItem* item);
    // The folder's own name (the last part of its path).
    static std::string NameOf(const QTreeWidgetItem* item);
    // A name as one line of text: control characters as their symbols,
    // bytes that are no UTF-8 as replacement characters.
    static QString ShownName(const std::string& name);
    // Reads the children of an opened item again: gone folders leave, new
    // ones come in; opened children are refreshed too.
    void RefreshBranch(QTreeWidgetItem* item);
    // Removes the item of a folder that went; when it held the current
    // folder, the current item becomes its parent quietly and
    // ShownFolderGone follows from the event loop.
    void RemoveItem(QTreeWidgetItem* item);
    // Brings the top level in line with the volume source: pulled volumes
    // leave the tree (true when one did), new ones are appended.
    bool UpdateVolumes();
    // The folders whose changes matter to the tree: every opened folder.
    QStringList ExpandedPaths() const;
    // The folder highlighted by a drag ("" when none).
    std::string DropHighlight() const { return m_dropPath; }
    // Listings asked for and not yet applied (tests and benchmarks).
    int PendingReads() const { return int(m_reading.size()); }

Q_SIGNALS:
    // A folder was given a new name in the tree.
    void FolderRenamed(QTreeWidgetItem* item, const QString& oldPath, const QString& newPath);
    // A top-level place is about to leave the tree.
    void PlaceRemoving(QTreeWidgetItem* item);
    // The current folder went away and its item left the tree.
    void ShownFolderGone();
    // A branch read off the window's thread was applied (`path` with '/').
    void BranchRead(const QString& path);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void drawRow(QPainter* painter, const QStyleOptionViewItem& option,
                 const QModelIndex& index) const override;

private:
    QTreeWidgetItem* AddPlace(const std::string& path, const QString& text, bool volume);
    QTreeWidgetItem* MakeFolderItem(const std::string& parentPath, const std::string& name) const;
    void FillChildren(QTreeWidgetItem* item);
    void ApplyListing(QTreeWidgetItem* item, const CFolderListing::Result& result);
    void OnExpanded(QTreeWidgetItem* item);
    void OnCollapsed(QTreeWidgetItem* item);
    void OnProbed(const std::string& path, bool hasSubfolders);
    void AskProbe(const std::string& path) const;
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void SetPathBelow(QTreeWidgetItem* item, const std::string& oldPrefix,
                      const std::string& newPrefix);
    void SetDropHighlight(const std::string& path);
    bool AcceptDrop(QDropEvent* event, std::vector<std::string>* files, std::string* folder);

    CUserPrompt* m_prompt = nullptr;
    VolumeSource m_volumes;
    CFolderReader m_reader;
    bool m_quiet = false;    // item changes made by the tree itself
    bool m_syncFill = false; // branches opened while reading on the window's thread
    std::unordered_set<std::string> m_reading;       // branches being listed
    mutable std::unordered_set<std::string> m_asked; // folders checked for subfolders
    std::string m_dropPath;
    QIcon m_folderIcon;
};
