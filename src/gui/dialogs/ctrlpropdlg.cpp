#include "gui/dialogs/ctrlpropdlg.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "editor/celldialogrules.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <climits>

namespace {
QRadioButton* Radio(const QString& text, const QString& name)
{
    auto* button = new QRadioButton(text);
    button->setObjectName(name);
    button->setAccessibleName(text);
    return button;
}
} // namespace

CCtrlPropDlg::CCtrlPropDlg(const CCtrlPropData& data, CUserPrompt* prompt, QWidget* parent)
    : QDialog(parent), m_data(data), m_prompt(prompt)
{
    setWindowTitle(QString::fromStdString(CResourceBundle::Text(MsgId::ControlStepLabel)));
    auto* form = new QFormLayout;

    auto* number = new QLineEdit(QString::number(m_data.number));
    number->setReadOnly(true);
    number->setObjectName("number");
    number->setAccessibleName(tr("Number"));
    form->addRow(tr("Number:"), number);

    m_valid = new QCheckBox(tr("Use this control step"));
    m_valid->setObjectName("valid");
    m_valid->setAccessibleName(m_valid->text());
    m_valid->setChecked(m_data.valid != 0);
    form->addRow(QString(), m_valid);

    m_motion = new QButtonGroup(this);
    auto* motionBox = new QVBoxLayout;
    const QString motionTexts[] = {tr("Wait for the input device"), tr("Go on automatically")};
    for (int i = 0; i < 2; ++i) {
        QRadioButton* b = Radio(motionTexts[i], i == 0 ? "motionManual" : "motionAutomatic");
        m_motion->addButton(b, i);
        motionBox->addWidget(b);
    }
    if (QAbstractButton* chosen = m_motion->button(m_data.motion))
        chosen->setChecked(true);
    form->addRow(tr("Motion:"), motionBox);

    m_input = new QButtonGroup(this);
    auto* inputBox = new QVBoxLayout;
    for (int i = 0; i < 3; ++i) {
        QRadioButton* b =
            Radio(QString::fromStdString(CResourceBundle::Text(MsgId::InputRemoteControl + i)),
                  QString("input%1").arg(i));
        m_input->addButton(b, i);
        inputBox->addWidget(b);
    }
    if (QAbstractButton* chosen = m_input->button(m_data.inputDev))
        chosen->setChecked(true);
    form->addRow(tr("Input device:"), inputBox);

    m_interval = new QLineEdit(QString::number(m_data.interval));
    m_interval->setObjectName("interval");
    m_interval->setAccessibleName(
        QString::fromStdString(CResourceBundle::Text(MsgId::SecondsBetweenSlides)));
    m_interval->setEnabled(CCellDialogRules::IntervalEnabled(m_data.motion));
    form->addRow(QString::fromStdString(CResourceBundle::Text(MsgId::SecondsBetweenSlides)) + ":",
                 m_interval);
    connect(m_motion, &QButtonGroup::idClicked, this,
            [this](int id) { m_interval->setEnabled(CCellDialogRules::IntervalEnabled(id)); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CCtrlPropDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCtrlPropDlg::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

void CCtrlPropDlg::accept()
{
    CCtrlPropData data = m_data;
    data.valid = m_valid->isChecked() ? 1 : 0;
    data.motion = m_motion->checkedId();
    data.inputDev = m_input->checkedId();
    if (data.motion == 1) {
        bool ok = false;
        const int value = m_interval->text().trimmed().toInt(&ok);
        data.interval = ok ? value : INT_MIN;
    }
    const CCellDialogRules::Verdict verdict = CCellDialogRules::CheckCtrlProp(data);
    if (!CCellDialogRules::Report(m_prompt, verdict)) {
        m_interval->setFocus();
        m_interval->selectAll();
        return;
    }
    m_data = data;
    QDialog::accept();
}
