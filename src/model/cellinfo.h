#pragma once

#include <cstdint>
#include <memory>
#include <string>

class CArchive;
class CCellHost;
class CCellInfoList;

// One cell of a project: what every cell has. Image cells (CCellBmpInfo,
// CellType 1) and control cells (CCellCtrlInfo, CellType 2) derive from it;
// a cell of any other type is a plain CCellInfo.
class CCellInfo
{
public:
    // StateFlags bits; the state is never saved.
    enum StateBits : uint32_t {
        StateAdded = 0x01,    // added since the last save
        StateChanged = 0x02,  // changed since the last save
        StateDeleted = 0x04,  // deleted since the last save (still in the list)
        StateUndo = 0x10,     // touched by the pending undo
    };

    CCellInfo();
    virtual ~CCellInfo();
    CCellInfo(const CCellInfo&) = delete;
    CCellInfo& operator=(const CCellInfo&) = delete;

    // Archive class name ("CCellInfo", "CCellBmpInfo", "CCellCtrlInfo").
    virtual const char* ClassName() const;
    // Writes or reads the cell's archive form; throws CArchiveException.
    virtual void Serialize(CArchive& ar);
    virtual std::string GetLabel() const;
    virtual bool LoadThumbnailPicture(CCellHost* host);
    // Copies the fields of a cell of the same type; false for another type.
    virtual bool CopyFrom(const CCellInfo* other);
    virtual bool Validate(CCellHost* host);

    // A new empty cell of the type: 1 image, 2 control, else plain.
    static std::unique_ptr<CCellInfo> CreateOfType(int cellType);

    bool IsVisible() const { return !(StateFlags & StateDeleted); }
    bool IsLive() const { return !(StateFlags & (StateAdded | StateDeleted)); }

    int32_t Reserved = 0;
    int32_t AutoIntervalSec = 30;
    int32_t MotionType = 0;
    int32_t CellValid = 1;
    uint32_t StateFlags = 0;
    CCellInfoList* OwnerList = nullptr;
    int32_t CellType = 0;
};
