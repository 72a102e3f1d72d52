#pragma once

#include "browser/folderlisting.h"
#include "browser/folderreader.h"

#include <QAbstractItemModel>
#include <QByteArray>
#include <functional>
#include <memory>
#include <string>
#include <unordered_set>
#include <vector>

// The folder tree as an item model: the places (the home folder and the
// volumes) at the top, folders below, held by path. A branch is filled from
// CFolderReader answers off the window's thread (fetchMore), an opened
// branch is read again, a closed one drops its children, and the expand
// sign of a folder not read yet comes from a check made when the view asks
// for it (CheckSubfolders). Every answer finds its folder again by path, so
// a branch that changed or went meanwhile is never touched through a stale
// node; a folder found gone leaves the model.
class CFolderTreeModel : public QAbstractItemModel
{
    Q_OBJECT
public:
    static constexpr int PathRole = Qt::UserRole + 1;   // folder path with '/' (bytes)
    static constexpr int FilledRole = Qt::UserRole + 2; // children were read
    static constexpr int VolumeRole = Qt::UserRole + 3; // a top-level volume

    // Gives a folder a new name on disk: `typed` as the user typed it; sets
    // the new path and says whether it was done (and told the user if not).
    using Renamer =
        std::function<bool(const std::string& oldPath, const QString& typed, std::string& newPath)>;

    explicit CFolderTreeModel(QObject* parent = nullptr);
    ~CFolderTreeModel() override;

    CFolderReader& Reader() { return m_reader; }
    void SetRenamer(Renamer renamer) { m_renamer = std::move(renamer); }
    void SetFolderIcon(const QVariant& icon) { m_folderIcon = icon; }

    // Forgets every place and folder, and the answers still on their way.
    void Clear();
    QModelIndex AddPlace(const std::string& path, const QString& text, bool volume,
                         const QVariant& icon = {});
    // The node of `path` as far as it was read; invalid when not (yet) there.
    QModelIndex IndexOf(const std::string& path) const;
    // The place (home folder or volume) that holds `path`.
    QModelIndex PlaceOf(const std::string& path) const;
    static std::string PathOf(const QModelIndex& index);
    static std::string NameOf(const QModelIndex& index);
    bool IsFilled(const QModelIndex& index) const;
    // A name as one line of text: control characters as their symbols,
    // bytes that are no UTF-8 as replacement characters.
    static QString ShownName(const std::string& name);

    // Reads the children of `index` again, off the window's thread: gone
    // folders leave, new ones come in, and filled children are read again
    // too. A branch not read yet only has its expand sign checked again.
    void Refresh(const QModelIndex& index);
    // A closed branch: the children go, the sign stays when there were any.
    void Discard(const QModelIndex& index);
    // Asks once (off the window's thread) whether a folder not read yet has
    // subfolders; the answer sets its expand sign.
    void CheckSubfolders(const QModelIndex& index);
    // Reads the branches down to `path` that are not read yet, one after the
    // other; Revealed follows when its node is there, Unrevealed when a
    // folder on the way is missing. Several ways may be read at once.
    void Reveal(const std::string& path);
    // Removes the node of a folder that went (a place only empties).
    void Remove(const QModelIndex& index);
    // Listings asked for and not yet applied.
    int PendingReads() const { return int(m_reading.size()); }

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role = Qt::EditRole) override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool hasChildren(const QModelIndex& parent = {}) const override;
    bool canFetchMore(const QModelIndex& parent) const override;
    void fetchMore(const QModelIndex& parent) override;

Q_SIGNALS:
    // `index` and what is below it are about to leave the model.
    void FolderRemoving(const QModelIndex& index);
    // The expand sign of `index` changed without its rows changing.
    void SignChanged(const QModelIndex& index);
    // A listing read off the window's thread was applied (`path` with '/').
    void BranchRead(const QByteArray& path);
    void Revealed(const QByteArray& path);
    void Unrevealed(const QByteArray& path);
    // A folder was given a new name through setData.
    void FolderRenamed(const QByteArray& oldPath, const QByteArray& newPath);

private:
    struct Node;
    Node* NodeOf(const QModelIndex& index) const;
    QModelIndex IndexOfNode(const Node* node) const;
    Node* Find(const std::string& path) const;
    void Read(Node* node, bool refreshBelow);
    void OnListed(const CFolderListing::Result& result, bool refreshBelow);
    void Apply(Node* node, const CFolderListing::Result& result);
    void OnProbed(const std::string& path, bool hasSubfolders);
    void ContinueReveal();
    void ContinueReveal(const std::string& target);
    void RemoveChildren(Node* node);
    void SetPathBelow(Node* node, const std::string& oldPrefix, const std::string& newPrefix);

    std::unique_ptr<Node> m_root;
    CFolderReader m_reader;
    Renamer m_renamer;
    QVariant m_folderIcon;
    std::unordered_set<std::string> m_reading; // branches being listed
    std::unordered_set<std::string> m_asked;   // folders checked for subfolders
    std::unordered_set<std::string> m_again;   // branches to read once more
    std::vector<std::string> m_revealing;      // the folders Reveal goes to
};
