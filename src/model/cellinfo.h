#pragma once

#include "model/archive.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class CCellHost;
class CCellInfoList;

// One cell of a project: what every cell has. Image cells (CCellBmpInfo,
// CellType 1) and control cells (CCellCtrlInfo, CellType 2) derive from it;
// a cell of any other type is a plain CCellInfo.
class CCellInfo : public CArchiveObject
{
public:
    // What a cell is. Its archive form is the 32-bit value; a plain cell
    // read from a file keeps whatever other value it had there.
    enum class Type : int32_t
    {
        Plain = 0,
        Image = 1,
        Control = 2,
    };

    // StateFlags bits; the state is never saved.
    enum StateBits : uint32_t
    {
        StateAdded = 0x01,   // added since the last save
        StateChanged = 0x02, // changed since the last save
        StateDeleted = 0x04, // deleted since the last save (still in the list)
        StateUndo = 0x10,    // touched by the pending undo
    };

    CCellInfo();
    ~CCellInfo() override;
    CCellInfo(const CCellInfo&) = delete;
    CCellInfo& operator=(const CCellInfo&) = delete;

    // Archive class name ("CCellInfo", "CCellBmpInfo", "CCellCtrlInfo").
    const char* ClassName() const override;
    // Writes or reads the cell's archive form; throws CArchiveException.
    // Reading clears StateFlags and makes CellType agree with the class.
    void Serialize(CArchive& ar) override;
    virtual std::string GetLabel() const;
    virtual bool LoadThumbnailPicture(CCellHost* host);
    // Copies the fields of a cell of the same type; false for another type.
    virtual bool CopyFrom(const CCellInfo* other);
    virtual bool Validate(CCellHost* host);

    // A new empty cell of the type: image, control, else plain.
    static std::unique_ptr<CCellInfo> CreateOfType(Type cellType);
    // The archive's factory: a new cell of the named class, null for a class
    // that is not a cell.
    static std::unique_ptr<CArchiveObject> CreateForArchive(std::string_view className);

    bool IsVisible() const { return !(StateFlags & StateDeleted); }
    bool IsLive() const { return !(StateFlags & (StateAdded | StateDeleted)); }

    int32_t Reserved = 0;
    int32_t AutoIntervalSec = 30;
    int32_t MotionType = 0;
    int32_t CellValid = 1;
    uint32_t StateFlags = 0;
    CCellInfoList* OwnerList = nullptr;
    Type CellType = Type::Plain;
};
