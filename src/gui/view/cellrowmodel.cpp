#include "gui/view/cellrowmodel.h"

#include "editor/scenarioeditor.h"
#include "gui/view/thumbnailcache.h"
#include "model/cellbmpinfo.h"

#include <algorithm>

CCellRowModel::CCellRowModel(CScenarioEditor& editor, QObject* parent)
    : QAbstractListModel(parent), m_editor(editor), m_thumbnails(new CThumbnailCache(this))
{
    const CCellRowList& rows = m_editor.Rows();
    m_shown.reserve(static_cast<size_t>(rows.GetCount()));
    for (int r = 0; r < rows.GetCount(); ++r)
        m_shown.push_back(rows.GetCell(r));
    connect(m_thumbnails, &CThumbnailCache::Loaded, this, &CCellRowModel::ThumbnailLoaded);
}

int CCellRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

CCellInfo* CCellRowModel::CellAt(int row) const
{
    // The editor's rows are the truth; the shown list only tells what the
    // view was last told.
    if (row < 0 || row >= static_cast<int>(m_shown.size()))
        return nullptr;
    return m_editor.Rows().GetCell(row);
}

QVariant CCellRowModel::data(const QModelIndex& index, int role) const
{
    const int row = index.row();
    const CCellInfo* cell = CellAt(row);
    if (!cell)
        return {};
    const CCellRowList& rows = m_editor.Rows();
    switch (role) {
    case Qt::DisplayRole:
        return QString::fromStdString(cell->GetLabel());
    case Qt::AccessibleTextRole:
        return QStringLiteral("%1 %2").arg(row + 1).arg(QString::fromStdString(cell->GetLabel()));
    case Qt::AccessibleDescriptionRole:
        return cell->CellValid == 0 ? tr("disabled") : QString();
    case SelectedRole:
        return rows.IsSelected(row);
    case FocusRole:
        return rows.FocusRow() == row;
    case NumberRole:
        return row + 1;
    case CellTypeRole:
        return static_cast<int>(cell->CellType);
    case SourceKindRole:
        return cell->CellType == CCellInfo::Type::Image ? static_cast<const CCellBmpInfo*>(cell)->SourceKind : -1;
    case ValidRole:
        return cell->CellValid != 0;
    default:
        return {};
    }
}

Qt::ItemFlags CCellRowModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

void CCellRowModel::Sync()
{
    const CCellRowList& rows = m_editor.Rows();
    const int newCount = rows.GetCount();
    const int oldCount = static_cast<int>(m_shown.size());
    const int common = std::min(newCount, oldCount);
    int prefix = 0;
    while (prefix < common && m_shown[static_cast<size_t>(prefix)] == rows.GetCell(prefix))
        ++prefix;
    int suffix = 0;
    while (suffix < common - prefix && m_shown[static_cast<size_t>(oldCount - 1 - suffix)] ==
                                           rows.GetCell(newCount - 1 - suffix))
        ++suffix;
    const int removed = oldCount - prefix - suffix;
    const int inserted = newCount - prefix - suffix;
    if (removed > 0) {
        beginRemoveRows({}, prefix, prefix + removed - 1);
        m_shown.erase(m_shown.begin() + prefix, m_shown.begin() + prefix + removed);
        endRemoveRows();
    }
    if (inserted > 0) {
        beginInsertRows({}, prefix, prefix + inserted - 1);
        std::vector<const CCellInfo*> entering;
        entering.reserve(static_cast<size_t>(inserted));
        for (int r = prefix; r < prefix + inserted; ++r)
            entering.push_back(rows.GetCell(r));
        m_shown.insert(m_shown.begin() + prefix, entering.begin(), entering.end());
        endInsertRows();
    }
    // Selection, numbers behind the change and values edited in place: the
    // view repaints only what it shows.
    if (newCount > 0)
        Q_EMIT dataChanged(index(0), index(newCount - 1));
}

QString CCellRowModel::ThumbnailPath(int row) const
{
    const CCellInfo* cell = CellAt(row);
    if (!cell || cell->CellType != CCellInfo::Type::Image)
        return {};
    const auto* image = static_cast<const CCellBmpInfo*>(cell);
    std::string path =
        image->ThumbFileName.empty() ? std::string() : image->ProjectFilePath(image->ThumbFileName);
    if (path.empty())
        path = image->GetPicturePath();
    return QString::fromStdString(path);
}

QImage CCellRowModel::Thumbnail(int row) const
{
    return m_thumbnails->Picture(ThumbnailPath(row));
}

void CCellRowModel::ThumbnailLoaded(const QString& path)
{
    // Only rows on screen asked for it; repainting them all is cheap.
    Q_UNUSED(path);
    if (!m_shown.empty())
        Q_EMIT dataChanged(index(0), index(static_cast<int>(m_shown.size()) - 1),
                           {Qt::DecorationRole});
}
