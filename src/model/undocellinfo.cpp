#include "model/undocellinfo.h"

#include "model/cellinfo.h"

CUndoCellInfo::CUndoCellInfo() = default;

CUndoCellInfo::~CUndoCellInfo() = default;

const char* CUndoCellInfo::ClassName() const
{
    return "CUndoCellInfo";
}

void CUndoCellInfo::Serialize(CArchive& ar)
{
    ar.Exchange(AutoIntervalSec);
    ar.Exchange(MotionType);
    ar.Exchange(CellValid);
    ar.Exchange(Effect);
    if (ar.IsStoring()) {
        ar.WriteObject(Cell);
    } else {
        // A cell read here belongs to nobody yet: the archive keeps it for
        // whoever owns the whole read.
        std::unique_ptr<CCellInfo> created;
        Cell = ar.ReadObjectOf<CCellInfo>(created);
        ar.KeepObject(std::move(created));
    }
    auto type = static_cast<int32_t>(CellType);
    ar.Exchange(type);
    CellType = static_cast<CCellInfo::Type>(type);
}

bool CUndoCellInfo::CopyFrom(const CUndoCellInfo* other)
{
    if (!other)
        return false;
    AutoIntervalSec = other->AutoIntervalSec;
    MotionType = other->MotionType;
    CellValid = other->CellValid;
    CellType = other->CellType;
    Effect = other->Effect;
    Cell = other->Cell;
    return true;
}

std::unique_ptr<CArchiveObject> CUndoCellInfo::CreateForArchive(std::string_view className)
{
    if (className == "CUndoCellInfo")
        return std::make_unique<CUndoCellInfo>();
    return nullptr;
}
