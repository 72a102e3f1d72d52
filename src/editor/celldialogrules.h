#pragma once

struct CCellPropData;
struct CCtrlPropData;
struct CEffectData;
class CUserPrompt;

// The limits, opening adjustments and enabling rules of the property
// dialogs, shared by the window program's dialogs and the command line.
class CCellDialogRules
{
public:
    enum Verdict
    {
        Accepted,
        IntervalRefused, // message 61714 with "1" and "1800", focus on the interval
        EffectRefused,   // a beep, focus on the effect list
        CountRefused,    // message 61714 with "2" and "148", focus on the count
    };
    static constexpr int MinInterval = 1;
    static constexpr int MaxInterval = 1800;
    static constexpr int EffectCount = 42; // effects 0..41
    static constexpr int MinCount = 2;     // Disolve element 9
    static constexpr int MaxCount = 148;
    static constexpr int ColourCount = 8; // colour indexes 0..7
    static constexpr int PatternCount = 8;

    // Cell properties dialog as it opens: remembers the initial interval;
    // single mode turns an effect outside 0..41 into 0.
    static void OpenCellProp(CCellPropData& data);
    // The interval field takes input only with the automatic motion.
    static bool IntervalEnabled(int motion) { return motion == 1; }
    static Verdict CheckCellProp(const CCellPropData& data);
    static Verdict CheckCtrlProp(const CCtrlPropData& data);

    // Effect dialog as it opens: a colour index (elements 1, 4, 8) outside
    // 0..7 becomes 0.
    static void OpenEffect(CEffectData& data);
    static Verdict CheckEffect(const CEffectData& data);
    // Whether control `controlId` of the effect dialog takes input with
    // pattern `pattern` (1100, 1070, 1071 for patterns 0..5; 1101, 1110,
    // 1103, 1072, 1073 for 6 and 7; all of them for any other value).
    // Controls outside those eight are always enabled.
    static bool EffectControlEnabled(int pattern, int controlId);

    // Tells the user why a dialog stays open (nothing for Accepted and for
    // the effect list, which only beeps). Returns verdict == Accepted.
    static bool Report(CUserPrompt* prompt, Verdict verdict);
};
