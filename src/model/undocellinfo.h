#pragma once

#include "model/archive.h"
#include "model/cellinfo.h"

#include <cstdint>
#include <memory>
#include <string_view>

// The old values of one cell before a property edit of several cells, kept
// for the one-step undo.
class CUndoCellInfo : public CArchiveObject
{
public:
    CUndoCellInfo();
    ~CUndoCellInfo() override;
    CUndoCellInfo(const CUndoCellInfo&) = delete;
    CUndoCellInfo& operator=(const CUndoCellInfo&) = delete;

    const char* ClassName() const override;
    // AutoIntervalSec, MotionType, CellValid, Effect, the cell as an
    // archived object, CellType.
    void Serialize(CArchive& ar) override;
    // Copies all six fields; false when `other` is missing.
    bool CopyFrom(const CUndoCellInfo* other);

    static std::unique_ptr<CArchiveObject> CreateForArchive(std::string_view className);

    int32_t AutoIntervalSec = 30;
    int32_t MotionType = 0;
    int32_t CellValid = 1;
    CCellInfo::Type CellType = CCellInfo::Type::Plain;
    int32_t Effect = 0;        // image cells only
    CCellInfo* Cell = nullptr; // the cell to restore; not owned
};
