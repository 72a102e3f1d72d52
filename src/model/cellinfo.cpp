#include "model/cellinfo.h"

#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"

#include <typeinfo>

CCellInfo::CCellInfo() = default;

CCellInfo::~CCellInfo() = default;

const char* CCellInfo::ClassName() const
{
    return "CCellInfo";
}

void CCellInfo::Serialize(CArchive& ar)
{
    ar.Exchange(Reserved);
    ar.Exchange(AutoIntervalSec);
    ar.Exchange(MotionType);
    ar.Exchange(CellValid);
    auto type = static_cast<int32_t>(CellType);
    ar.Exchange(type);
    if (ar.IsLoading()) {
        CellType = static_cast<Type>(type);
        StateFlags = 0;
        // The class decides what a cell is: a plain cell never claims to be
        // an image or control cell (the derived classes set their own type).
        if (CellType == Type::Image || CellType == Type::Control)
            CellType = Type::Plain;
    }
}

std::string CCellInfo::GetLabel() const
{
    return {};
}

bool CCellInfo::LoadThumbnailPicture(CCellHost* /*host*/)
{
    return false;
}

bool CCellInfo::CopyFrom(const CCellInfo* other)
{
    if (!other || typeid(*other) != typeid(*this))
        return false;
    Reserved = other->Reserved;
    AutoIntervalSec = other->AutoIntervalSec;
    MotionType = other->MotionType;
    CellValid = other->CellValid;
    StateFlags = other->StateFlags;
    OwnerList = other->OwnerList;
    CellType = other->CellType;
    return true;
}

bool CCellInfo::Validate(CCellHost* /*host*/)
{
    return true;
}

std::unique_ptr<CCellInfo> CCellInfo::CreateOfType(Type cellType)
{
    switch (cellType) {
    case Type::Image:
        return std::make_unique<CCellBmpInfo>();
    case Type::Control:
        return std::make_unique<CCellCtrlInfo>();
    default:
        return std::make_unique<CCellInfo>();
    }
}

std::unique_ptr<CArchiveObject> CCellInfo::CreateForArchive(std::string_view className)
{
    if (className == "CCellBmpInfo")
        return std::make_unique<CCellBmpInfo>();
    if (className == "CCellCtrlInfo")
        return std::make_unique<CCellCtrlInfo>();
    if (className == "CCellInfo")
        return std::make_unique<CCellInfo>();
    return nullptr;
}
