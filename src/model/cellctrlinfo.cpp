#include "model/cellctrlinfo.h"

#include "base/resourcebundle.h"

#include <typeinfo>

namespace {
constexpr int ControlLabelText = 7153;
constexpr int FirstInputDevText = 7154;
} // namespace

CCellCtrlInfo::CCellCtrlInfo()
{
    CellType = 2;
}

CCellCtrlInfo::~CCellCtrlInfo() = default;

const char* CCellCtrlInfo::ClassName() const
{
    return "CCellCtrlInfo";
}

void CCellCtrlInfo::Serialize(CArchive& ar)
{
    CCellInfo::Serialize(ar);
    ar.Exchange(InputDev);
    if (ar.IsLoading())
        CellType = 2;
}

std::string CCellCtrlInfo::GetLabel() const
{
    std::string device;
    if (InputDev >= 0 && InputDev <= 2)
        device = CResourceBundle::Text(FirstInputDevText + InputDev);
    return CResourceBundle::Text(ControlLabelText) + "    " + device;
}

bool CCellCtrlInfo::CopyFrom(const CCellInfo* other)
{
    if (!CCellInfo::CopyFrom(other))
        return false;
    InputDev = static_cast<const CCellCtrlInfo*>(other)->InputDev;
    return true;
}
