#pragma once

#include "editor/celldialogs.h"

#include <array>
#include <cstdint>
#include <optional>

class CUserPrompt;

// The property dialogs of the command line: each "dialog" takes the values
// the editor shows, puts the command's options over them and checks them as
// the window's dialog checks its OK. A refused value prints the dialog's
// message and answers Cancel; Refused() tells the command about it.
class CCliCellDialogs : public CCellDialogs
{
public:
    explicit CCliCellDialogs(CUserPrompt* prompt) : m_prompt(prompt) {}

    bool RunCellProp(CCellPropData& data) override;
    bool RunCtrlProp(CCtrlPropData& data) override;
    bool RunEffect(CEffectData& data) override;

    bool Refused() const { return m_refused; }

    std::optional<int> motion;
    std::optional<int> interval;
    std::optional<int> valid;
    std::optional<int> effect;
    std::optional<int> inputDev;
    std::optional<std::array<int32_t, 11>> disolve;

private:
    CUserPrompt* m_prompt;
    bool m_refused = false;
};
