#include "gui/dialogs/senddlg.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/userprompt.h"
#include "gui/dialogs/cardcombobox.h"
#include "gui/dialogs/cardgone.h"
#include "output/scenarioexport.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QVBoxLayout>

CSendDlg::CSendDlg(const ProjectInfo& project, const std::vector<CVolumeList::Volume>& volumes,
                   const std::string& lastRoot, CUserPrompt* prompt, QWidget* parent)
    : QDialog(parent), m_project(project), m_prompt(prompt)
{
    setWindowTitle(QString::fromStdString(CResourceBundle::Text(MsgId::ChooseCard)));
    auto* form = new QFormLayout;
    m_cards = new CCardComboBox(volumes);
    m_cards->setObjectName("card");
    m_cards->OfferCard(lastRoot);
    form->addRow(tr("&Card:"), m_cards);
    m_free = new QLabel;
    m_free->setObjectName("freeSpace");
    form->addRow(tr("Free space:"), m_free);

    form->addRow(tr("Project:"), new QLabel(QString::fromStdString(project.name)));
    form->addRow(tr("Slides:"), new QLabel(QString::number(project.slideCount)));
    const QString qualities[] = {tr("Best (uncompressed pictures)"), tr("High"),
                                 tr("Standard (smallest files)")};
    const int q = project.imageQuality;
    form->addRow(tr("Image quality:"), new QLabel(q >= 0 && q < 3 ? qualities[q] : QString()));
    QPixmap swatch(48, 16);
    swatch.fill(QColor(int(project.backColor & 0xFF), int((project.backColor >> 8) & 0xFF),
                       int((project.backColor >> 16) & 0xFF)));
    auto* colour = new QLabel;
    colour->setPixmap(swatch);
    form->addRow(tr("Background colour:"), colour);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CSendDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSendDlg::reject);
    connect(m_cards, &CCardComboBox::RootChanged, this, &CSendDlg::ShowFreeSpace);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    ShowFreeSpace();
}

void CSendDlg::ShowFreeSpace()
{
    // Nothing to send to until a card is chosen ("Choose folder..." too).
    m_ok->setEnabled(!m_cards->Root().empty());
    const qint64 free = m_cards->FreeBytes();
    m_free->setText(free < 0 ? tr("unknown") : QLocale().formattedDataSize(free));
}

void CSendDlg::accept()
{
    const std::string root = m_cards->Root();
    if (root.empty())
        return;
    if (CardGone(root, m_cards->IsVolume())) {
        AskUser(m_prompt, MsgId::CardNotReady, CUserPrompt::Exclamation, CUserPrompt::Ok, root);
        ShowFreeSpace();
        return;
    }
    if (!CheckRoom(root))
        return;
    m_root = root;
    QDialog::accept();
}

bool CSendDlg::CheckRoom(const std::string& root)
{
    if (!m_project.cells)
        return true;
    const int64_t free = CScenarioExport::FreeBytes(root);
    const uint64_t need = CScenarioExport::LeastGrowth(*m_project.cells, m_project.imageQuality,
                                                       m_project.name, root);
    if (free < 0 || need <= uint64_t(free))
        return true;
    if (m_prompt)
        m_prompt->Show(MsgId::CardTooSmall,
                       CScenarioExport::SpaceMessage(MsgId::CardTooSmall, root,
                                                     MsgId::SpaceAtLeastFree, need, uint64_t(free)),
                       CUserPrompt::Exclamation, CUserPrompt::Ok);
    return false;
}
