#include "gui/dialogs/cellpropdlg.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "editor/celldialogrules.h"

#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <climits>

namespace {

QLineEdit* ReadOnlyField(const QString& text, const QString& name)
{
    auto* edit = new QLineEdit(text);
    edit->setReadOnly(true);
    edit->setObjectName(name);
    edit->setAccessibleName(name);
    return edit;
}
} // namespace

CCellPropDlg::CCellPropDlg(const CCellPropData& data, CUserPrompt* prompt, QWidget* parent)
    : QDialog(parent), m_data(data), m_prompt(prompt)
{
    CCellDialogRules::OpenCellProp(m_data);
    setWindowTitle(m_data.multiple ? tr("Properties of the selected slides")
                                   : tr("Slide properties"));
    auto* form = new QFormLayout;

    if (!m_data.multiple) {
        form->addRow(tr("Number:"), ReadOnlyField(QString::number(m_data.number), "number"));
        form->addRow(tr("Source:"), ReadOnlyField(QString::fromStdString(m_data.name), "source"));
        form->addRow(tr("Page:"), ReadOnlyField(QString::number(m_data.page), "page"));
    }

    m_motion = new QButtonGroup(this);
    auto* manual = new QRadioButton(tr("Advance by hand"));
    auto* automatic = new QRadioButton(tr("Advance automatically"));
    manual->setObjectName("motionManual");
    manual->setAccessibleName(manual->text());
    automatic->setObjectName("motionAutomatic");
    automatic->setAccessibleName(automatic->text());
    m_motion->addButton(manual, 0);
    m_motion->addButton(automatic, 1);
    if (QAbstractButton* chosen = m_motion->button(m_data.motion))
        chosen->setChecked(true);
    auto* motionBox = new QVBoxLayout;
    motionBox->addWidget(manual);
    motionBox->addWidget(automatic);
    form->addRow(tr("Motion:"), motionBox);

    m_interval = new QLineEdit;
    m_interval->setObjectName("interval");
    m_interval->setAccessibleName(
        QString::fromStdString(CResourceBundle::Text(MsgId::SecondsBetweenSlides)));
    // Several cells with different intervals: the field starts blank and a
    // blank field keeps each cell's own interval.
    if (!(m_data.multiple && m_data.initialInterval == 0))
        m_interval->setText(QString::number(m_data.interval));
    else
        m_interval->setPlaceholderText(tr("(each slide keeps its own)"));
    form->addRow(QString::fromStdString(CResourceBundle::Text(MsgId::SecondsBetweenSlides)) + ":",
                 m_interval);

    m_valid = new QCheckBox(tr("Show this slide"));
    m_valid->setObjectName("valid");
    m_valid->setAccessibleName(m_valid->text());
    if (m_data.multiple) {
        m_valid->setTristate(true);
        m_valid->setCheckState(m_data.validMulti == 1   ? Qt::Checked
                               : m_data.validMulti == 0 ? Qt::Unchecked
                                                        : Qt::PartiallyChecked);
    } else {
        m_valid->setChecked(m_data.valid != 0);
    }
    form->addRow(QString(), m_valid);

    m_effect = new QComboBox;
    m_effect->setObjectName("effect");
    m_effect->setAccessibleName(tr("Transition"));
    for (int i = 0; i < CCellDialogRules::EffectCount; ++i)
        m_effect->addItem(QString::fromStdString(CResourceBundle::Text(MsgId::EffectCut + i)));
    if (m_data.hasImageCells)
        m_effect->setCurrentIndex(
            m_data.effect >= 0 && m_data.effect < m_effect->count() ? m_data.effect : -1);
    else
        m_effect->setEnabled(false);
    form->addRow(tr("Transition:"), m_effect);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CCellPropDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CCellPropDlg::reject);
    connect(m_motion, &QButtonGroup::idClicked, this, &CCellPropDlg::MotionChosen);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_interval->setEnabled(CCellDialogRules::IntervalEnabled(m_data.motion));
}

void CCellPropDlg::MotionChosen(int motion)
{
    m_interval->setEnabled(CCellDialogRules::IntervalEnabled(motion));
    if (motion == 1)
        m_interval->setFocus();
}

int CCellPropDlg::TypedInterval() const
{
    const QString text = m_interval->text().trimmed();
    if (text.isEmpty())
        return m_data.multiple ? 0 : INT_MIN;
    bool ok = false;
    const int value = text.toInt(&ok);
    return ok ? value : INT_MIN;
}

void CCellPropDlg::accept()
{
    CCellPropData data = m_data;
    data.motion = m_motion->checkedId();
    if (data.motion == 1)
        data.interval = TypedInterval();
    if (m_data.multiple) {
        const Qt::CheckState state = m_valid->checkState();
        data.validMulti = state == Qt::Checked ? 1 : state == Qt::Unchecked ? 0 : 2;
    } else {
        data.valid = m_valid->isChecked() ? 1 : 0;
    }
    if (data.hasImageCells)
        data.effect = m_effect->currentIndex();

    const CCellDialogRules::Verdict verdict = CCellDialogRules::CheckCellProp(data);
    if (verdict == CCellDialogRules::IntervalRefused) {
        CCellDialogRules::Report(m_prompt, verdict);
        m_interval->setFocus();
        m_interval->selectAll();
        return;
    }
    if (verdict == CCellDialogRules::EffectRefused) {
        QApplication::beep();
        m_effect->setFocus();
        return;
    }
    if (data.motion != 1)
        data.interval = m_data.interval;
    m_data = data;
    QDialog::accept();
}
