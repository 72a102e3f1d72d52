#include "model/cellctrlinfo.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"

#include <typeinfo>

CCellCtrlInfo::CCellCtrlInfo()
{
    CellType = CCellInfo::Type::Control;
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
        CellType = CCellInfo::Type::Control;
}

std::string CCellCtrlInfo::GetLabel() const
{
    std::string device;
    if (InputDev >= 0 && InputDev <= 2)
        device = CResourceBundle::Text(MsgId::InputRemoteControl + InputDev);
    return CResourceBundle::Text(MsgId::ControlStepLabel) + "    " + device;
}

bool CCellCtrlInfo::CopyFrom(const CCellInfo* other)
{
    if (!CCellInfo::CopyFrom(other))
        return false;
    InputDev = static_cast<const CCellCtrlInfo*>(other)->InputDev;
    return true;
}
