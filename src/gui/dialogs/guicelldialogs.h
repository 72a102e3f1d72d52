#pragma once

#include "editor/celldialogs.h"

class CUserPrompt;
class QWidget;

// The editor's property dialogs as windows: each runs modally over the
// project window and hands the values back on OK.
class CGuiCellDialogs : public CCellDialogs
{
public:
    CGuiCellDialogs(QWidget* parent, CUserPrompt* prompt) : m_parent(parent), m_prompt(prompt) {}

    bool RunCellProp(CCellPropData& data) override;
    bool RunCtrlProp(CCtrlPropData& data) override;
    bool RunEffect(CEffectData& data) override;

private:
    QWidget* m_parent;
    CUserPrompt* m_prompt;
};
