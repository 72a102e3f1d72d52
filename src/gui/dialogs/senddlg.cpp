#include "gui/dialogs/senddlg.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/userprompt.h"
#include "gui/dialogs/cardcombobox.h"
#include "gui/dialogs/cardgone.h"
#include "output/scenarioexport.h"
#include "output/sendestimate.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QPixmap>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>

namespace {
QString Size(uint64_t bytes)
{
    return QLocale().formattedDataSize(qint64(bytes));
}
} // namespace

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
    connect(m_cards, &CCardComboBox::RootChanged, this, &CSendDlg::TakeCard);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    // Wide enough that the window's title shows whole beside its buttons.
    setMinimumWidth(
        std::max(minimumSizeHint().width(), fontMetrics().horizontalAdvance(windowTitle()) + 140));
    // A card can be pulled or filled by another program while the user
    // decides; no mount event reaches a plain folder, so the card is read
    // again every second.
    m_poll = new QTimer(this);
    m_poll->setInterval(kPollMs);
    connect(m_poll, &QTimer::timeout, this, &CSendDlg::ShowFreeSpace);
    m_poll->start();
    TakeCard();
}

void CSendDlg::TakeCard()
{
    m_identity = {};
    ShowFreeSpace();
}

void CSendDlg::ShowFreeSpace()
{
    const std::string root = m_cards->Root();
    // Nothing to send to until a card is chosen ("Choose folder..." too).
    m_ok->setEnabled(!root.empty());
    if (root.empty()) {
        m_free->setText(tr("unknown"));
        return;
    }
    const CCardIdentity now = CCardIdentity::Of(root);
    // Gone, or another card in its place: shown as not ready once, so that
    // a card put in under the same name is never taken unseen.
    if (!now.IsValid() || CardGone(root, m_cards->IsVolume()) ||
        (m_identity.IsValid() && now != m_identity)) {
        m_identity = {};
        m_free->setText(QString::fromStdString(CResourceBundle::Text(MsgId::CardNotReadyShort)));
        return;
    }
    if (!m_identity.IsValid()) {
        m_identity = now;
        m_need = m_project.cells ? CSendEstimate::Growth(*m_project.cells, m_project.imageQuality,
                                                         m_project.name, root)
                                 : 0;
    }
    uint64_t free = 0, need = 0;
    if (Short(free, need)) {
        m_free->setText(QString::fromStdString(CResourceBundle::Format(
            MsgId::FreeSpaceShort, Size(free).toStdString(), Size(need).toStdString())));
        return;
    }
    const int64_t bytes = CScenarioExport::FreeBytes(root);
    m_free->setText(bytes < 0 ? tr("unknown") : Size(uint64_t(bytes)));
}

bool CSendDlg::Short(uint64_t& free, uint64_t& need) const
{
    const int64_t bytes = CScenarioExport::FreeBytes(m_cards->Root());
    if (!m_project.cells || bytes < 0 || m_need <= uint64_t(bytes))
        return false;
    free = uint64_t(bytes);
    need = m_need;
    return true;
}

bool CSendDlg::Ready() const
{
    const std::string root = m_cards->Root();
    const CCardIdentity now = CCardIdentity::Of(root);
    return now.IsValid() && now == m_identity && !CardGone(root, m_cards->IsVolume());
}

void CSendDlg::accept()
{
    const std::string root = m_cards->Root();
    if (root.empty())
        return;
    // A card that was not ready is taken as it is now.
    if (!m_identity.IsValid())
        ShowFreeSpace();
    // Gone, or another card in its place since the dialog last looked.
    if (!Ready()) {
        AskUser(m_prompt, MsgId::CardNotReady, CUserPrompt::Exclamation, CUserPrompt::Ok, root);
        ShowFreeSpace();
        return;
    }
    if (!CheckRoom(root))
        return;
    uint64_t free = 0, need = 0;
    if (Short(free, need)) {
        const std::string figures = CResourceBundle::Format(
            MsgId::SpaceAboutFree, Size(need).toStdString(), Size(free).toStdString());
        std::string shown = root;
        if (shown.size() > 1 && shown.back() == '/')
            shown.pop_back();
        if (AskUser(m_prompt, MsgId::CardMayBeTooSmall, CUserPrompt::Question, CUserPrompt::YesNo,
                    shown, figures) != CUserPrompt::AnswerYes)
            return;
        // The card may have gone while the question was open.
        if (!Ready()) {
            AskUser(m_prompt, MsgId::CardNotReady, CUserPrompt::Exclamation, CUserPrompt::Ok, root);
            ShowFreeSpace();
            return;
        }
    }
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
