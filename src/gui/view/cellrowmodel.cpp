#include "gui/view/cellrowmodel.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "gui/view/thumbnailcache.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"

#include <QStringList>
#include <algorithm>

CCellRowModel::CCellRowModel(CScenarioEditor& editor, QObject* parent)
    : QAbstractListModel(parent), m_editor(editor), m_thumbnails(new CThumbnailCache(this))
{
    const CCellRowList& rows = m_editor.Rows();
    m_shown.reserve(static_cast<size_t>(rows.GetCount()));
    for (int r = 0; r < rows.GetCount(); ++r)
        m_shown.push_back(rows.GetCell(r));
    connect(m_thumbnails, &CThumbnailCache::Loaded, this, &CCellRowModel::ThumbnailLoaded);
    m_editor.Document().AddListener(this);
}

CCellRowModel::~CCellRowModel()
{
    m_editor.Document().RemoveListener(this);
}

int CCellRowModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_shown.size());
}

const CCellInfo* CCellRowModel::CellAt(int row) const
{
    // What the view was told: between a change of the editor's rows and its
    // announcement the two may differ, and Qt must see the announced rows.
    if (row < 0 || row >= static_cast<int>(m_shown.size()))
        return nullptr;
    return m_shown[static_cast<size_t>(row)];
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
        return QStringLiteral("%1 %2, %3")
            .arg(row + 1)
            .arg(QString::fromStdString(cell->GetLabel()), SettingsText(*cell));
    case SettingsRole:
        return SettingsText(*cell);
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
        return cell->CellType == CCellInfo::Type::Image
                   ? static_cast<const CCellBmpInfo*>(cell)->SourceKind
                   : -1;
    case ValidRole:
        return cell->CellValid != 0;
    default:
        return {};
    }
}

QString CCellRowModel::SettingsText(const CCellInfo& cell)
{
    const auto text = [](int id, const QString& insert = {}) {
        QString t = QString::fromStdString(CResourceBundle::Text(id));
        return insert.isNull() ? t : t.arg(insert);
    };
    QStringList parts;
    const bool timed = cell.MotionType == 1;
    const QString seconds = QString::number(cell.AutoIntervalSec);
    if (cell.CellType == CCellInfo::Type::Control) {
        const int device = static_cast<const CCellCtrlInfo&>(cell).InputDev;
        if (timed)
            parts << text(MsgId::RowWaitsSeconds, seconds);
        else if (device >= 0 && device <= 2)
            parts << text(MsgId::RowWaitsFor, text(MsgId::InputRemoteControl + device));
    } else {
        parts << (timed ? text(MsgId::RowAdvancesAfter, seconds) : text(MsgId::RowAdvancesByHand));
        if (cell.CellType == CCellInfo::Type::Image) {
            const int effect = static_cast<const CCellBmpInfo&>(cell).Effect;
            if (effect >= 0 && effect <= 41)
                parts << text(MsgId::EffectCut + effect);
        }
    }
    if (cell.CellValid == 0)
        parts << text(MsgId::RowSwitchedOff);
    return parts.join(QStringLiteral(" \u00b7 "));
}

Qt::ItemFlags CCellRowModel::flags(const QModelIndex& index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemNeverHasChildren : Qt::NoItemFlags;
}

namespace {
CCellRowModel::RepairReport s_repairReport = nullptr;
} // namespace

void CCellRowModel::SetRepairReport(RepairReport report)
{
    s_repairReport = report;
}

void CCellRowModel::Sync()
{
    // Never inside a change the document is telling.
    if (m_inserting || m_removing || m_resetting)
        return;
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
    if ((removed > 0 || inserted > 0) && s_repairReport)
        s_repairReport(removed, inserted);
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
    AllRowsChanged();
}

void CCellRowModel::AllRowsChanged()
{
    if (!m_shown.empty())
        Q_EMIT dataChanged(index(0), index(static_cast<int>(m_shown.size()) - 1));
}

void CCellRowModel::RowsAboutToBeInserted(int first, int count)
{
    if (m_resetting || count <= 0 || first < 0 || first > static_cast<int>(m_shown.size()))
        return;
    m_inserting = true;
    beginInsertRows({}, first, first + count - 1);
}

void CCellRowModel::RowsInserted(int first, int count)
{
    if (!m_inserting)
        return;
    const CCellRowList& rows = m_editor.Rows();
    std::vector<const CCellInfo*> entering;
    for (int r = first; r < first + count; ++r)
        entering.push_back(rows.GetCell(r));
    m_shown.insert(m_shown.begin() + first, entering.begin(), entering.end());
    m_inserting = false;
    endInsertRows();
}

void CCellRowModel::RowsAboutToBeRemoved(int first, int count)
{
    if (m_resetting || count <= 0 || first < 0 || first + count > static_cast<int>(m_shown.size()))
        return;
    m_removing = true;
    beginRemoveRows({}, first, first + count - 1);
}

void CCellRowModel::RowsRemoved(int first, int count)
{
    if (!m_removing)
        return;
    m_shown.erase(m_shown.begin() + first, m_shown.begin() + first + count);
    m_removing = false;
    endRemoveRows();
}

void CCellRowModel::RowsChanged(int first, int count)
{
    const int last = std::min(first + count, static_cast<int>(m_shown.size())) - 1;
    if (first >= 0 && last >= first)
        Q_EMIT dataChanged(index(first), index(last));
}

void CCellRowModel::ModelAboutToBeReset()
{
    if (m_resetting)
        return;
    m_resetting = true;
    beginResetModel();
}

void CCellRowModel::ModelReset()
{
    if (!m_resetting)
        return;
    const CCellRowList& rows = m_editor.Rows();
    m_shown.clear();
    for (int r = 0; r < rows.GetCount(); ++r)
        m_shown.push_back(rows.GetCell(r));
    m_resetting = false;
    endResetModel();
}

void CCellRowModel::SelectionChanged()
{
    AllRowsChanged();
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
