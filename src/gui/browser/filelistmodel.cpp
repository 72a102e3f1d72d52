#include "gui/browser/filelistmodel.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"
#include "browser/browserfileops.h"
#include "browser/celllistdata.h"
#include "browser/dirfilelist.h"
#include "gui/browser/iconloader.h"
#include "model/cellinfolist.h"

#include <QApplication>
#include <QMimeData>
#include <QMimeDatabase>
#include <QPixmap>
#include <QStyle>
#include <QTimer>
#include <algorithm>
#include <strings.h>

namespace {

bool endsWith(const std::string& name, const char* extension)
{
    const size_t length = std::char_traits<char>::length(extension);
    return name.size() > length && strcasecmp(name.c_str() + name.size() - length, extension) == 0;
}

QString pathOf(const CDirFileInfo& entry)
{
    return QString::fromStdString(entry.Path);
}

} // namespace

CFileListModel::CFileListModel(CDirFileList& list, QObject* parent)
    : QAbstractTableModel(parent), m_list(list), m_loader(new CIconLoader(this))
{
    connect(m_loader, &CIconLoader::Loaded, this, &CFileListModel::OnLoaded);
    connect(m_loader, &CIconLoader::Checked, this, &CFileListModel::OnChecked);
}

CFileListModel::~CFileListModel() = default;

bool CFileListModel::IsPictureName(const std::string& name)
{
    return CSlideSourceTypes::IsPicture(name);
}

bool CFileListModel::IsCheckedPictureName(const std::string& name)
{
    for (const char* extension : {".bmp", ".dib", ".jpg", ".jpeg"}) {
        if (endsWith(name, extension))
            return true;
    }
    return false;
}

void CFileListModel::CheckPictures(const std::vector<CDirFileInfo*>& entries)
{
    for (const CDirFileInfo* entry : entries) {
        if (!entry->IsDirectory() && IsCheckedPictureName(entry->Name)) {
            ++m_checks;
            m_loader->Check(pathOf(*entry));
        }
    }
}

void CFileListModel::OnChecked(const QString& path, bool readable)
{
    if (m_checks > 0)
        --m_checks;
    if (!readable)
        RemovePath(path);
}

void CFileListModel::RemovePath(const QString& path)
{
    // Gathered, so a folder of many damaged pictures loses them in one pass.
    m_icons.remove(path);
    m_doomed.insert(path.toStdString());
    if (m_doomed.size() == 1)
        QTimer::singleShot(0, this, &CFileListModel::RemoveDoomed);
}

void CFileListModel::RemoveDoomed()
{
    std::unordered_set<std::string> doomed;
    doomed.swap(m_doomed);
    for (int row = int(m_rows.size()) - 1; row >= 0 && !doomed.empty(); --row) {
        CDirFileInfo* entry = m_rows[size_t(row)];
        if (doomed.erase(entry->Path))
            RemoveEntry(entry);
    }
}

QString CFileListModel::ShownName(const std::string& name)
{
    QString shown = QString::fromUtf8(name.data(), qsizetype(name.size()));
    shown.replace(QLatin1Char('\n'), QChar(0x21B5)).replace(QLatin1Char('\r'), QChar(0x21B5));
    return shown;
}

void CFileListModel::Reset()
{
    beginResetModel();
    m_loader->Cancel();
    m_icons.clear();
    m_rows.clear();
    m_rows.reserve(size_t(m_list.GetCount()));
    for (int i = 0; i < m_list.GetCount(); ++i)
        m_rows.push_back(m_list.GetAt(i));
    const int column = std::abs(m_sortKey);
    const bool descending = m_sortKey < 0;
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](CDirFileInfo* a, CDirFileInfo* b) {
        return a->Compare(*b, column, descending) < 0;
    });
    m_list.ClearFlags();
    m_checks = 0;
    m_doomed.clear();
    endResetModel();
    CheckPictures(m_rows);
}

void CFileListModel::ApplyUpdate()
{
    // Rows of gone entries go first, while their entries still live.
    for (int row = int(m_rows.size()) - 1; row >= 0; --row) {
        const CDirFileInfo* entry = m_rows[size_t(row)];
        if (entry->StateFlags & (CDirFileInfo::FlagAdded | CDirFileInfo::FlagSeen))
            continue;
        int first = row;
        while (first > 0 && !(m_rows[size_t(first - 1)]->StateFlags &
                              (CDirFileInfo::FlagAdded | CDirFileInfo::FlagSeen)))
            --first;
        beginRemoveRows({}, first, row);
        for (int r = first; r <= row; ++r)
            m_icons.remove(pathOf(*m_rows[size_t(r)]));
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + row + 1);
        endRemoveRows();
        row = first;
    }
    m_list.TakeGone();
    std::vector<CDirFileInfo*> added;
    for (int i = 0; i < m_list.GetCount(); ++i) {
        CDirFileInfo* entry = m_list.GetAt(i);
        if ((entry->StateFlags & CDirFileInfo::FlagAdded) && RowOf(entry) < 0)
            added.push_back(entry);
    }
    if (!added.empty()) {
        beginInsertRows({}, int(m_rows.size()), int(m_rows.size() + added.size()) - 1);
        m_rows.insert(m_rows.end(), added.begin(), added.end());
        endInsertRows();
        CheckPictures(added);
    }
    if (!m_rows.empty())
        Q_EMIT dataChanged(index(0, 0), index(int(m_rows.size()) - 1, 3));
    m_list.ClearFlags();
}

void CFileListModel::SortBy(int key)
{
    if (key == 0)
        return;
    m_sortKey = key;
    const int column = std::abs(key);
    const bool descending = key < 0;
    Q_EMIT layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    const QModelIndexList before = persistentIndexList();
    std::vector<CDirFileInfo*> entries;
    for (const QModelIndex& i : before)
        entries.push_back(EntryAt(i.row()));
    std::stable_sort(m_rows.begin(), m_rows.end(), [&](CDirFileInfo* a, CDirFileInfo* b) {
        return a->Compare(*b, column, descending) < 0;
    });
    QModelIndexList after;
    for (int i = 0; i < before.size(); ++i)
        after.append(index(RowOf(entries[size_t(i)]), before[i].column()));
    changePersistentIndexList(before, after);
    Q_EMIT layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void CFileListModel::sort(int column, Qt::SortOrder order)
{
    SortBy(order == Qt::AscendingOrder ? column + 1 : -(column + 1));
}

CDirFileInfo* CFileListModel::EntryAt(int row) const
{
    return row >= 0 && row < int(m_rows.size()) ? m_rows[size_t(row)] : nullptr;
}

int CFileListModel::RowOf(const CDirFileInfo* entry) const
{
    const auto found = std::find(m_rows.begin(), m_rows.end(), entry);
    return found == m_rows.end() ? -1 : int(found - m_rows.begin());
}

void CFileListModel::RemoveEntry(CDirFileInfo* entry)
{
    const int row = RowOf(entry);
    if (row < 0)
        return;
    beginRemoveRows({}, row, row);
    m_rows.erase(m_rows.begin() + row);
    endRemoveRows();
    m_list.Take(entry);
}

int CFileListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int CFileListModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : 4;
}

QIcon CFileListModel::TypeIcon(const CDirFileInfo& entry) const
{
    static QMimeDatabase db;
    const QString key =
        entry.IsDirectory()
            ? QStringLiteral("inode/directory")
            : db.mimeTypeForFile(pathOf(entry), QMimeDatabase::MatchExtension).name();
    auto found = m_typeIcons.find(key);
    if (found != m_typeIcons.end())
        return *found;
    QIcon icon = QIcon::fromTheme(db.mimeTypeForName(key).iconName());
    if (icon.isNull())
        icon = QIcon::fromTheme(db.mimeTypeForName(key).genericIconName());
    if (icon.isNull())
        icon = QApplication::style()->standardIcon(entry.IsDirectory() ? QStyle::SP_DirIcon
                                                                       : QStyle::SP_FileIcon);
    m_typeIcons.insert(key, icon);
    return icon;
}

QVariant CFileListModel::data(const QModelIndex& index, int role) const
{
    const CDirFileInfo* entry = EntryAt(index.row());
    if (!entry)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        switch (index.column()) {
        case 0:
            return ShownName(entry->Name);
        case 1: {
            const std::string size = entry->FormatSize();
            return size.empty() ? QString() : QString::fromStdString(size + "KB");
        }
        case 2:
            return QString::fromStdString(entry->TypeName);
        case 3:
            return QString::fromStdString(entry->FormatDate());
        default:
            return {};
        }
    case Qt::DecorationRole: {
        if (index.column() != 0)
            return {};
        if (!entry->IsDirectory() && IsPictureName(entry->Name)) {
            const auto found = m_icons.find(pathOf(*entry));
            if (found != m_icons.end() && !found->isNull())
                return *found; // scaled to each view's icon size
            if (found == m_icons.end())
                m_loader->Request(pathOf(*entry), m_iconSize);
        }
        return TypeIcon(*entry);
    }
    case Qt::ToolTipRole:
        return ShownName(entry->Name);
    case Qt::TextAlignmentRole:
        return index.column() == 1 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    case Qt::AccessibleTextRole:
        return ShownName(entry->Name);
    case EntryRole:
        return QVariant::fromValue(static_cast<void*>(const_cast<CDirFileInfo*>(entry)));
    default:
        return {};
    }
}

QVariant CFileListModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || section < 0 || section > 3)
        return {};
    if (role == Qt::DisplayRole)
        return QString::fromStdString(CResourceBundle::Text(MsgId::ColumnName + section));
    if (role == Qt::TextAlignmentRole)
        return section == 1 ? QVariant(Qt::AlignRight | Qt::AlignVCenter) : QVariant();
    return {};
}

Qt::ItemFlags CFileListModel::flags(const QModelIndex& index) const
{
    const CDirFileInfo* entry = EntryAt(index.row());
    if (!entry)
        return Qt::NoItemFlags;
    Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (!entry->IsFolder() && CCellListData::IsAcceptedName(entry->Name))
        flags |= Qt::ItemIsDragEnabled;
    if (index.column() == 0 && (entry->ShellAttributes & CDirFileInfo::ShellCanRename))
        flags |= Qt::ItemIsEditable;
    return flags;
}

bool CFileListModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    CDirFileInfo* entry = EntryAt(index.row());
    if (!entry || role != Qt::EditRole || index.column() != 0)
        return false;
    const std::string name = value.toString().toStdString();
    if (name.empty() || name == entry->Name)
        return false;
    CBrowserFileOps ops(m_prompt);
    std::string newPath;
    if (!ops.Rename(entry->Path, name, newPath))
        return false;
    const std::string oldName = entry->Name;
    const std::string newName = newPath.substr(newPath.rfind('/') + 1);
    if (!entry->Reload(m_list.GetFolderPath(), newName))
        return false;
    m_list.Rename(entry, oldName);
    Q_EMIT dataChanged(this->index(index.row(), 0), this->index(index.row(), 3));
    return true;
}

QStringList CFileListModel::mimeTypes() const
{
    return {QString::fromLatin1(CCellInfoList::ClipFormatFiles)};
}

QByteArray CFileListModel::BlockOf(std::vector<int> rows) const
{
    std::sort(rows.begin(), rows.end());
    rows.erase(std::unique(rows.begin(), rows.end()), rows.end());
    std::vector<std::string> names;
    for (int row : rows) {
        const CDirFileInfo* entry = EntryAt(row);
        if (entry && !entry->IsFolder() && (entry->ShellAttributes & CDirFileInfo::ShellCanCopy))
            names.push_back(entry->Name);
    }
    return CCellListData::FromFiles(m_list.GetFolderPath(), names);
}

QMimeData* CFileListModel::mimeData(const QModelIndexList& indexes) const
{
    std::vector<int> rows;
    for (const QModelIndex& i : indexes)
        rows.push_back(i.row());
    const QByteArray block = BlockOf(rows);
    if (block.isEmpty())
        return nullptr; // nothing to offer: no drag
    auto* data = new QMimeData;
    data->setData(QString::fromLatin1(CCellInfoList::ClipFormatFiles), block);
    return data;
}

Qt::DropActions CFileListModel::supportedDragActions() const
{
    return Qt::CopyAction;
}

void CFileListModel::OnLoaded(const QString& path, int size, const QImage& image, bool readable)
{
    if (size != m_iconSize)
        return;
    int row = -1;
    for (size_t r = 0; r < m_rows.size(); ++r) {
        if (pathOf(*m_rows[r]) == path) {
            row = int(r);
            break;
        }
    }
    if (row < 0)
        return;
    if (!readable) {
        // A damaged picture of the checked kinds leaves the list; others
        // keep their type icon.
        if (IsCheckedPictureName(m_rows[size_t(row)]->Name)) {
            RemovePath(path);
            return;
        }
        m_icons.insert(path, QIcon());
        return;
    }
    m_icons.insert(path, QIcon(QPixmap::fromImage(image)));
    Q_EMIT dataChanged(index(row, 0), index(row, 0), {Qt::DecorationRole});
}
