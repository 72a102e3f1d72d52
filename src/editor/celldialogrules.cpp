#include "editor/celldialogrules.h"

#include "base/msgid.h"
#include "base/userprompt.h"
#include "editor/cellpropdata.h"
#include "editor/ctrlpropdata.h"
#include "editor/effectdata.h"

#include <cstdint>
#include <string>

namespace {

bool InRange(int value, int low, int high)
{
    return value >= low && value <= high;
}
} // namespace

void CCellDialogRules::OpenCellProp(CCellPropData& data)
{
    data.initialInterval = data.interval;
    if (!data.multiple && !InRange(data.effect, 0, EffectCount - 1))
        data.effect = 0;
}

CCellDialogRules::Verdict CCellDialogRules::CheckCellProp(const CCellPropData& data)
{
    if (!data.multiple) {
        if (data.motion == 1 && !InRange(data.interval, MinInterval, MaxInterval))
            return IntervalRefused;
        if (data.hasImageCells && !InRange(data.effect, 0, EffectCount - 1))
            return EffectRefused;
        return Accepted;
    }
    if (data.motion == 1) {
        // Taken as unsigned, so a negative entry counts as too large. 0 is
        // accepted only when the cells had different intervals: it keeps
        // each cell's own.
        const uint32_t interval = static_cast<uint32_t>(data.interval);
        if (interval > static_cast<uint32_t>(MaxInterval) ||
            (interval == 0 && data.initialInterval != 0))
            return IntervalRefused;
    }
    // -1 (nothing chosen) keeps each cell's effect.
    if (data.hasImageCells && (data.effect > EffectCount - 1 || data.effect < -1))
        return EffectRefused;
    return Accepted;
}

CCellDialogRules::Verdict CCellDialogRules::CheckCtrlProp(const CCtrlPropData& data)
{
    if (data.motion == 1 && !InRange(data.interval, MinInterval, MaxInterval))
        return IntervalRefused;
    return Accepted;
}

void CCellDialogRules::OpenEffect(CEffectData& data)
{
    for (const int element : {1, 4, 8})
        if (!InRange(data.disolve[static_cast<size_t>(element)], 0, ColourCount - 1))
            data.disolve[static_cast<size_t>(element)] = 0;
}

CCellDialogRules::Verdict CCellDialogRules::CheckEffect(const CEffectData& data)
{
    if (!InRange(data.disolve[9], MinCount, MaxCount))
        return CountRefused;
    return Accepted;
}

bool CCellDialogRules::EffectControlEnabled(int pattern, int controlId)
{
    const bool lowPatterns = InRange(pattern, 0, 5);
    const bool colourPatterns = pattern == 6 || pattern == 7;
    switch (controlId) {
    case 1100:
    case 1070:
    case 1071:
        return !colourPatterns;
    case 1101:
    case 1110:
    case 1103:
    case 1072:
    case 1073:
        return !lowPatterns;
    default:
        return true;
    }
}

bool CCellDialogRules::Report(CUserPrompt* prompt, Verdict verdict)
{
    switch (verdict) {
    case Accepted:
        return true;
    case IntervalRefused:
        AskUser(prompt, MsgId::EnterWholeNumberInRange, CUserPrompt::Exclamation, CUserPrompt::Ok,
                std::to_string(MinInterval), std::to_string(MaxInterval));
        break;
    case CountRefused:
        AskUser(prompt, MsgId::EnterWholeNumberInRange, CUserPrompt::Exclamation, CUserPrompt::Ok,
                std::to_string(MinCount), std::to_string(MaxCount));
        break;
    case EffectRefused:
        break;
    }
    return false;
}
