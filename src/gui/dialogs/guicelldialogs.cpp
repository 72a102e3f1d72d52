#include "gui/dialogs/guicelldialogs.h"

#include "gui/dialogs/cellpropdlg.h"
#include "gui/dialogs/ctrlpropdlg.h"
#include "gui/dialogs/effectdlg.h"

namespace {
// Runs a dialog and copies its values out on OK.
template <class Dialog, class Data> bool RunDialog(QWidget* parent, CUserPrompt* prompt, Data& data)
{
    Dialog dialog(data, prompt, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;
    data = dialog.Data();
    return true;
}
} // namespace

bool CGuiCellDialogs::RunCellProp(CCellPropData& data)
{
    return RunDialog<CCellPropDlg>(m_parent, m_prompt, data);
}

bool CGuiCellDialogs::RunCtrlProp(CCtrlPropData& data)
{
    return RunDialog<CCtrlPropDlg>(m_parent, m_prompt, data);
}

bool CGuiCellDialogs::RunEffect(CEffectData& data)
{
    return RunDialog<CEffectDlg>(m_parent, m_prompt, data);
}
