#include "cli/clicelldialogs.h"

#include "cli/clicommand.h"
#include "editor/celldialogrules.h"
#include "editor/cellpropdata.h"
#include "editor/ctrlpropdata.h"
#include "editor/effectdata.h"

bool CCliCellDialogs::RunCellProp(CCellPropData& data)
{
    if (motion)
        data.motion = *motion;
    if (interval)
        data.interval = *interval;
    if (valid)
        (data.multiple ? data.validMulti : data.valid) = *valid;
    if (effect)
        data.effect = *effect;
    const CCellDialogRules::Verdict verdict = CCellDialogRules::CheckCellProp(data);
    if (verdict == CCellDialogRules::EffectRefused) {
        // The dialog only beeps here; a script needs words.
        CliError("the effect must be a number from 0 to 41");
    }
    m_refused = !CCellDialogRules::Report(m_prompt, verdict);
    return !m_refused;
}

bool CCliCellDialogs::RunCtrlProp(CCtrlPropData& data)
{
    if (motion)
        data.motion = *motion;
    if (interval)
        data.interval = *interval;
    if (valid)
        data.valid = *valid;
    if (inputDev)
        data.inputDev = *inputDev;
    m_refused = !CCellDialogRules::Report(m_prompt, CCellDialogRules::CheckCtrlProp(data));
    return !m_refused;
}

bool CCliCellDialogs::RunEffect(CEffectData& data)
{
    if (disolve)
        data.disolve = *disolve;
    m_refused = !CCellDialogRules::Report(m_prompt, CCellDialogRules::CheckEffect(data));
    return !m_refused;
}
