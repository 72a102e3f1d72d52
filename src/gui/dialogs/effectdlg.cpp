#include "gui/dialogs/effectdlg.h"

#include "editor/celldialogrules.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
// The player's palette of the colour elements, in index order.
const QColor kPalette[CCellDialogRules::ColourCount] = {
    QColor(0, 255, 255), QColor(0, 0, 255),   QColor(255, 0, 0),     QColor(0, 255, 0),
    QColor(255, 255, 0), QColor(255, 0, 255), QColor(255, 255, 255), QColor(255, 204, 102)};

QIcon Swatch(const QColor& colour)
{
    QPixmap pixmap(40, 16);
    pixmap.fill(colour);
    return QIcon(pixmap);
}
} // namespace

CEffectDlg::CEffectDlg(const CEffectData& data, CUserPrompt* prompt, QWidget* parent)
    : QDialog(parent), m_data(data), m_prompt(prompt)
{
    CCellDialogRules::OpenEffect(m_data);
    setWindowTitle(tr("Transition details"));
    auto* layout = new QVBoxLayout(this);

    auto* top = new QHBoxLayout;
    m_pattern = new QComboBox;
    m_pattern->setAccessibleName(tr("Pattern"));
    for (int i = 0; i < CCellDialogRules::PatternCount; ++i)
        m_pattern->addItem(tr("Pattern %1").arg(i + 1));
    m_pattern->setCurrentIndex(m_data.disolve[0] >= 0 && m_data.disolve[0] < 8 ? m_data.disolve[0]
                                                                               : -1);
    Keep(1000, m_pattern);
    top->addWidget(new QLabel(tr("Pattern:")));
    top->addWidget(m_pattern, 1);
    layout->addLayout(top);

    // Patterns 0 to 5: one choice of two.
    auto* low = new QGroupBox;
    auto* lowLayout = new QVBoxLayout(low);
    auto* lowLabel = new QLabel(tr("For patterns 1 to 6: direction"));
    Keep(1100, lowLabel);
    lowLayout->addWidget(lowLabel);
    QButtonGroup* g = RadioGroup(1070, 2, 2, tr("Direction"));
    for (QAbstractButton* b : g->buttons())
        lowLayout->addWidget(b);
    layout->addWidget(low);

    // Patterns 6 and 7: a colour and one choice of two.
    auto* colour = new QGroupBox;
    auto* colourLayout = new QGridLayout(colour);
    auto* colourLabel = new QLabel(tr("For patterns 7 and 8: colour"));
    Keep(1101, colourLabel);
    colourLayout->addWidget(colourLabel, 0, 0);
    colourLayout->addWidget(ColourList(1110, 1, tr("Pattern colour")), 0, 1);
    auto* edgeLabel = new QLabel(tr("Edge"));
    Keep(1103, edgeLabel);
    colourLayout->addWidget(edgeLabel, 1, 0);
    g = RadioGroup(1072, 2, 3, tr("Edge"));
    auto* edgeButtons = new QHBoxLayout;
    for (QAbstractButton* b : g->buttons())
        edgeButtons->addWidget(b);
    colourLayout->addLayout(edgeButtons, 1, 1);
    layout->addWidget(colour);

    auto* more = new QGridLayout;
    more->addWidget(new QLabel(tr("Second colour:")), 0, 0);
    more->addWidget(ColourList(1111, 4, tr("Second colour")), 0, 1);
    more->addWidget(new QLabel(tr("Third colour:")), 1, 0);
    more->addWidget(ColourList(1112, 8, tr("Third colour")), 1, 1);
    m_count = new QSpinBox;
    // A number typed outside the range reaches OK, which refuses it with the
    // range message, as the interval field does; a box bounded to the range
    // would put the old value back without a word.
    m_count->setRange(0, 9999);
    m_count->setValue(m_data.disolve[9]);
    m_count->setAccessibleName(tr("Steps"));
    Keep(1050, m_count);
    more->addWidget(new QLabel(tr("Steps:")), 2, 0);
    more->addWidget(m_count, 2, 1);
    const struct
    {
        int first, count, element;
        QString label;
    } groups[] = {{1074, 3, 5, tr("Speed")},
                  {1020, 2, 6, tr("Start")},
                  {1022, 3, 7, tr("Sound")},
                  {1025, 2, 10, tr("Ending")}};
    int row = 3;
    for (const auto& d : groups) {
        QButtonGroup* group = RadioGroup(d.first, d.count, d.element, d.label);
        auto* line = new QHBoxLayout;
        for (QAbstractButton* b : group->buttons())
            line->addWidget(b);
        more->addWidget(new QLabel(d.label + ":"), row, 0);
        more->addLayout(line, row++, 1);
    }
    layout->addLayout(more);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CEffectDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CEffectDlg::reject);
    layout->addWidget(buttons);

    connect(m_pattern, &QComboBox::currentIndexChanged, this, [this](int index) {
        if (index < 0)
            return;
        m_data.disolve[0] = index;
        ApplyEnabling();
    });
    ApplyEnabling();
}

QWidget* CEffectDlg::Keep(int controlId, QWidget* widget)
{
    widget->setProperty("controlId", controlId);
    widget->setObjectName(QString("control%1").arg(controlId));
    m_controls[controlId] = widget;
    return widget;
}

QWidget* CEffectDlg::Control(int controlId) const
{
    const auto it = m_controls.find(controlId);
    return it == m_controls.end() ? nullptr : it->second;
}

QButtonGroup* CEffectDlg::RadioGroup(int firstId, int count, int element, const QString& label)
{
    auto* group = new QButtonGroup(this);
    for (int i = 0; i < count; ++i) {
        auto* button = new QRadioButton(QString::number(i + 1));
        button->setAccessibleName(QString("%1 %2").arg(label).arg(i + 1));
        Keep(firstId + i, button);
        group->addButton(button, i);
    }
    if (QAbstractButton* chosen = group->button(m_data.disolve[static_cast<size_t>(element)]))
        chosen->setChecked(true);
    m_groups[element] = group;
    return group;
}

QComboBox* CEffectDlg::ColourList(int controlId, int element, const QString& name)
{
    auto* list = new QComboBox;
    list->setAccessibleName(name);
    list->setIconSize(QSize(40, 16));
    for (int i = 0; i < CCellDialogRules::ColourCount; ++i)
        list->addItem(Swatch(kPalette[i]), QString(), kPalette[i]);
    list->setCurrentIndex(m_data.disolve[static_cast<size_t>(element)]);
    Keep(controlId, list);
    m_colours[element] = list;
    return list;
}

void CEffectDlg::ApplyEnabling()
{
    const int pattern = m_data.disolve[0];
    for (const auto& [id, widget] : m_controls)
        widget->setEnabled(CCellDialogRules::EffectControlEnabled(pattern, id));
}

void CEffectDlg::accept()
{
    CEffectData data = m_data;
    for (const auto& [element, list] : m_colours)
        data.disolve[static_cast<size_t>(element)] = list->currentIndex();
    for (const auto& [element, group] : m_groups)
        data.disolve[static_cast<size_t>(element)] = group->checkedId();
    data.disolve[9] = m_count->value();
    const CCellDialogRules::Verdict verdict = CCellDialogRules::CheckEffect(data);
    if (!CCellDialogRules::Report(m_prompt, verdict)) {
        m_count->setFocus();
        m_count->selectAll();
        return;
    }
    m_data = data;
    QDialog::accept();
}
