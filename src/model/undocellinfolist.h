#pragma once

#include "model/undocellinfo.h"

#include <QByteArray>
#include <memory>
#include <vector>

class CArchive;
class CCellInfo;

// The undo records of a property edit of several cells. Owns its records
// (and, after reading an archive, the cells the records were read with).
class CUndoCellInfoList
{
public:
    CUndoCellInfoList();
    ~CUndoCellInfoList();
    CUndoCellInfoList(const CUndoCellInfoList&) = delete;
    CUndoCellInfoList& operator=(const CUndoCellInfoList&) = delete;

    int GetCount() const { return static_cast<int>(m_records.size()); }
    bool IsEmpty() const { return m_records.empty(); }
    CUndoCellInfo* GetAt(int index) const { return m_records[static_cast<size_t>(index)].get(); }
    // Takes ownership; returns the index, -1 for null.
    int Append(std::unique_ptr<CUndoCellInfo> record);

    // Puts the recorded values back into their cells, clears their undo
    // marks, then deletes every record.
    void RestoreAll();
    void DeleteAll();

    // The record count, then the records as archived objects.
    void Serialize(CArchive& ar);
    QByteArray ToBytes();
    // Replaces the records by those of `bytes`; false, with the list
    // unchanged, on any archive error.
    bool LoadFromBytes(const QByteArray& bytes);

private:
    std::vector<std::unique_ptr<CUndoCellInfo>> m_records;
    std::vector<std::unique_ptr<CArchiveObject>> m_readCells;
};
