#pragma once

#include "editor/cellpropdata.h"

#include <QDialog>

class CUserPrompt;
class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLineEdit;

// Display settings of one image cell, or of several cells at once (multiple
// mode: a blank or unchanged field leaves each cell's own value alone).
// The limits are CCellDialogRules'; a refusal keeps the dialog open with the
// focus in the offending field.
class CCellPropDlg : public QDialog
{
    Q_OBJECT
public:
    CCellPropDlg(const CCellPropData& data, CUserPrompt* prompt, QWidget* parent = nullptr);

    // The values as OK left them (as given before OK).
    const CCellPropData& Data() const { return m_data; }

    void accept() override;

private:
    void MotionChosen(int motion);
    // The interval as typed; blank counts as 0 in multiple mode, and text
    // that is not a number as out of every range.
    int TypedInterval() const;

    CCellPropData m_data;
    CUserPrompt* m_prompt;
    QLineEdit* m_interval = nullptr;
    QButtonGroup* m_motion = nullptr;
    QCheckBox* m_valid = nullptr;
    QComboBox* m_effect = nullptr;
};
