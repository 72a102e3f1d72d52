#include "model/undocellinfolist.h"

#include "model/archive.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfo.h"

CUndoCellInfoList::CUndoCellInfoList() = default;

CUndoCellInfoList::~CUndoCellInfoList()
{
    DeleteAll();
}

int CUndoCellInfoList::Append(std::unique_ptr<CUndoCellInfo> record)
{
    if (!record)
        return -1;
    m_records.push_back(std::move(record));
    return GetCount() - 1;
}

void CUndoCellInfoList::RestoreAll()
{
    for (const auto& record : m_records) {
        CCellInfo* cell = record->Cell;
        if (!cell)
            continue;
        cell->AutoIntervalSec = record->AutoIntervalSec;
        cell->MotionType = record->MotionType;
        cell->CellValid = record->CellValid;
        if (record->CellType == CCellInfo::Type::Image)
            if (auto* image = dynamic_cast<CCellBmpInfo*>(cell))
                image->Effect = record->Effect;
        cell->StateFlags &= ~uint32_t(CCellInfo::StateUndo);
    }
    DeleteAll();
}

void CUndoCellInfoList::DeleteAll()
{
    m_records.clear();
    m_readCells.clear();
}

void CUndoCellInfoList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteCount(uint32_t(m_records.size()));
        for (const auto& record : m_records)
            ar.WriteObject(record.get());
        return;
    }
    uint32_t count = ar.ReadCount();
    std::vector<std::unique_ptr<CUndoCellInfo>> records;
    while (count--) {
        std::unique_ptr<CUndoCellInfo> record;
        ar.ReadObjectOf<CUndoCellInfo>(record);
        if (!record)
            CArchive::Throw(CArchiveException::BadIndex);
        records.push_back(std::move(record));
    }
    DeleteAll();
    m_records = std::move(records);
    m_readCells = ar.TakeKeptObjects();
}

QByteArray CUndoCellInfoList::ToBytes()
{
    QByteArray bytes;
    CArchive ar(&bytes);
    Serialize(ar);
    return bytes;
}

bool CUndoCellInfoList::LoadFromBytes(const QByteArray& bytes)
{
    try {
        CArchive ar(bytes);
        Serialize(ar);
    } catch (const CArchiveException&) {
        return false;
    }
    return true;
}
