#pragma once

#include "base/volumelist.h"

#include <QTreeWidget>
#include <functional>
#include <string>
#include <vector>

class CUserPrompt;

// The folder tree: the home folder and every volume at the top, folders
// below, filled when a branch is opened. Folders can be given a new name in
// place, and files dropped from other programs are copied into the folder
// under the pointer (moved with Shift).
class CDirTreeCtrl : public QTreeWidget
{
    Q_OBJECT
public:
    static constexpr int PathRole = Qt::UserRole + 1;   // folder path with '/'
    static constexpr int FilledRole = Qt::UserRole + 2; // children were read
    static constexpr int VolumeRole = Qt::UserRole + 3; // a top-level place

    using VolumeSource = std::function<std::vector<CVolumeList::Volume>()>;

    explicit CDirTreeCtrl(QWidget* parent = nullptr);

    void SetPrompt(CUserPrompt* prompt) { m_prompt = prompt; }
    void SetVolumeSource(VolumeSource source) { m_volumes = std::move(source); }
    // Empties the tree and fills the top level; returns the item of `path`
    // (its branch opened), or the home item when it cannot be found.
    QTreeWidgetItem* Populate(const std::string& path);
    // The item of folder `path`, opening branches on the way when `expand`.
    QTreeWidgetItem* FindItemByPath(const std::string& path, bool expand);
    static std::string PathOf(const QTreeWidgetItem* item);
    // The folder's own name (the last part of its path).
    static std::string NameOf(const QTreeWidgetItem* item);
    // Reads the children of an opened item again: gone folders leave, new
    // ones come in; opened children are refreshed too.
    void RefreshBranch(QTreeWidgetItem* item);
    // Brings the top level in line with the volume source: pulled volumes
    // leave the tree (true when one did), new ones are appended.
    bool UpdateVolumes();
    // The folders whose changes matter to the tree: every opened folder.
    QStringList ExpandedPaths() const;

Q_SIGNALS:
    // A folder was given a new name in the tree.
    void FolderRenamed(QTreeWidgetItem* item, const QString& oldPath, const QString& newPath);
    // A top-level place is about to leave the tree.
    void PlaceRemoving(QTreeWidgetItem* item);

protected:
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    QTreeWidgetItem* AddPlace(const std::string& path, const QString& text, bool volume);
    QTreeWidgetItem* AddFolder(QTreeWidgetItem* parent, const std::string& name);
    void FillChildren(QTreeWidgetItem* item);
    void OnItemChanged(QTreeWidgetItem* item, int column);
    void SetPathBelow(QTreeWidgetItem* item, const std::string& oldPrefix,
                      const std::string& newPrefix);
    bool AcceptDrop(QDropEvent* event, std::vector<std::string>* files, std::string* folder);

    CUserPrompt* m_prompt = nullptr;
    VolumeSource m_volumes;
    bool m_quiet = false; // item changes made by the tree itself
};
