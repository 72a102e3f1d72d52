#pragma once

struct CCellPropData;
struct CCtrlPropData;
struct CEffectData;

// The property dialogs as the editor runs them: each gets the values to show,
// lets the user change them (validated with CCellDialogRules) and returns
// true for OK with the values changed in place, false for Cancel. The window
// program opens its dialogs; the command line answers from its options.
class CCellDialogs
{
public:
    virtual ~CCellDialogs() = default;
    virtual bool RunCellProp(CCellPropData& data) = 0;
    virtual bool RunCtrlProp(CCtrlPropData& data) = 0;
    virtual bool RunEffect(CEffectData& data) = 0;
};
