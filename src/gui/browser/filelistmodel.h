#pragma once

#include <QAbstractTableModel>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <string>
#include <unordered_set>
#include <vector>

class CDirFileInfo;
class CDirFileList;
class CIconLoader;
class CUserPrompt;

// The file list's rows over the listing: one row per entry, in the order
// of the last sort; new entries of an update come at the end. Texts and
// icons are made when a view asks for them; picture icons are made off the
// window's thread and arrive later. Dragging rows offers the transfer block
// of the accepted files.
class CFileListModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    static constexpr int EntryRole = Qt::UserRole + 1;
    static constexpr int LargeIcon = 64;

    explicit CFileListModel(CDirFileList& list, QObject* parent = nullptr);
    ~CFileListModel() override;

    void SetPrompt(CUserPrompt* prompt) { m_prompt = prompt; }
    // Takes the listing as filled anew (rows sorted by the current key).
    void Reset();
    // Applies an update of the listing in place: gone entries' rows are
    // removed, new ones appended, the others refreshed. The list's flags are
    // cleared afterwards.
    void ApplyUpdate();
    // Key: column 1..4, negative for descending.
    void SortBy(int key);
    int SortKey() const { return m_sortKey; }
    CDirFileInfo* EntryAt(int row) const;
    int RowOf(const CDirFileInfo* entry) const;
    // The block of the accepted files among `rows` (in row order).
    QByteArray BlockOf(std::vector<int> rows) const;
    void SetIconSize(int size) { m_iconSize = size; }
    // Removes an entry whose picture turned out unreadable.
    void RemoveEntry(CDirFileInfo* entry);
    CIconLoader& Loader() { return *m_loader; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;
    QStringList mimeTypes() const override;
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    void sort(int column, Qt::SortOrder order) override;

    static bool IsPictureName(const std::string& name);
    // Pictures whose files must be readable to be listed (a damaged one is
    // left out); the check runs with the icon work, off the window's thread.
    static bool IsCheckedPictureName(const std::string& name);
    // Checks of the listed pictures still running (tests and benchmarks).
    int PendingChecks() const { return m_checks; }
    // A name as one line of text (line breaks shown as a symbol; bytes that
    // are no UTF-8 as replacement characters).
    static QString ShownName(const std::string& name);

private:
    void OnLoaded(const QString& path, int size, const QImage& image, bool readable);
    void OnChecked(const QString& path, bool readable);
    void CheckPictures(const std::vector<CDirFileInfo*>& entries);
    void RemovePath(const QString& path);
    void RemoveDoomed();
    QIcon TypeIcon(const CDirFileInfo& entry) const;

    CDirFileList& m_list;
    CUserPrompt* m_prompt = nullptr;
    std::vector<CDirFileInfo*> m_rows;
    int m_sortKey = 1;
    int m_iconSize = LargeIcon;
    int m_checks = 0;
    std::unordered_set<std::string> m_doomed; // damaged pictures to leave the list
    CIconLoader* m_loader;
    QHash<QString, QIcon> m_icons; // by path, of the current size; null: unreadable
    mutable QHash<QString, QIcon> m_typeIcons;
};
