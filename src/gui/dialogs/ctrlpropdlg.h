#pragma once

#include "editor/ctrlpropdata.h"

#include <QDialog>

class CUserPrompt;
class QButtonGroup;
class QCheckBox;
class QLineEdit;

// Settings of one control step: shown or not, motion, input device and
// interval (1 to 1800 seconds with the automatic motion).
class CCtrlPropDlg : public QDialog
{
    Q_OBJECT
public:
    CCtrlPropDlg(const CCtrlPropData& data, CUserPrompt* prompt, QWidget* parent = nullptr);

    const CCtrlPropData& Data() const { return m_data; }

    void accept() override;

private:
    CCtrlPropData m_data;
    CUserPrompt* m_prompt;
    QCheckBox* m_valid = nullptr;
    QButtonGroup* m_motion = nullptr;
    QButtonGroup* m_input = nullptr;
    QLineEdit* m_interval = nullptr;
};
