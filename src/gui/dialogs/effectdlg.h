#pragma once

#include "editor/effectdata.h"

#include <QDialog>
#include <map>

class CUserPrompt;
class QButtonGroup;
class QComboBox;
class QSpinBox;

// The 11 transition parameters of one image cell. Which controls take input
// depends on the chosen pattern (CCellDialogRules::EffectControlEnabled);
// the widgets carry the numbers of the rules as the "controlId" property.
class CEffectDlg : public QDialog
{
    Q_OBJECT
public:
    CEffectDlg(const CEffectData& data, CUserPrompt* prompt, QWidget* parent = nullptr);

    const CEffectData& Data() const { return m_data; }
    // The widget standing for control `controlId` (1000, 1070, 1110...).
    QWidget* Control(int controlId) const;

    void accept() override;

private:
    QWidget* Keep(int controlId, QWidget* widget);
    QButtonGroup* RadioGroup(int firstId, int count, int element, const QString& label);
    QComboBox* ColourList(int controlId, int element, const QString& name);
    void ApplyEnabling();

    CEffectData m_data;
    CUserPrompt* m_prompt;
    QComboBox* m_pattern = nullptr;
    QSpinBox* m_count = nullptr;
    std::map<int, QWidget*> m_controls;
    std::map<int, QComboBox*> m_colours;   // element -> list
    std::map<int, QButtonGroup*> m_groups; // element -> group
};
