#pragma once

#include "model/cellinfo.h"

// A control cell: a step of the show without a picture that waits, or waits
// for an input device.
class CCellCtrlInfo : public CCellInfo
{
public:
    CCellCtrlInfo();
    ~CCellCtrlInfo() override;

    const char* ClassName() const override;
    void Serialize(CArchive& ar) override;
    std::string GetLabel() const override;
    bool CopyFrom(const CCellInfo* other) override;

    int32_t InputDev = 0;
};
