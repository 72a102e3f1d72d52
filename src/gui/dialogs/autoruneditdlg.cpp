#include "gui/dialogs/autoruneditdlg.h"

#include "base/msgid.h"
#include "base/userprompt.h"
#include "gui/dialogs/autorunlistwidget.h"
#include "gui/dialogs/cardcombobox.h"
#include "gui/dialogs/cardgone.h"
#include "output/sfcfile.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

std::vector<std::string> ToNames(const QStringList& list)
{
    std::vector<std::string> names;
    for (const QString& s : list)
        names.push_back(s.toStdString());
    return names;
}
} // namespace

CAutorunEditDlg::CAutorunEditDlg(const std::vector<CVolumeList::Volume>& volumes,
                                 const std::string& root, CUserPrompt* prompt, QWidget* parent)
    : QDialog(parent), m_prompt(prompt)
{
    setWindowTitle(tr("Autorun list of the card"));
    m_cards = new CCardComboBox(volumes);
    m_cards->setObjectName("card");
    m_cards->OfferCard(root);

    m_available = new CAutorunListWidget(Qt::CopyAction, false);
    m_available->setObjectName("available");
    m_available->setAccessibleName(tr("Scenarios on the card"));
    m_autorun = new CAutorunListWidget(Qt::CopyAction | Qt::MoveAction, true);
    m_autorun->setObjectName("autorun");
    m_autorun->setAccessibleName(tr("Autorun list"));
    m_repeat = new QCheckBox(tr("&Repeat the list"));
    m_repeat->setObjectName("repeat");
    m_repeat->setAccessibleName(tr("Repeat the autorun list"));

    auto* add = new QPushButton(tr("&Add >>"));
    add->setObjectName("add");
    add->setAccessibleName(tr("Add to the autorun list"));
    auto* remove = new QPushButton(tr("<< &Remove"));
    remove->setObjectName("remove");
    remove->setAccessibleName(tr("Remove from the autorun list"));

    auto* grid = new QGridLayout;
    auto* cardLabel = new QLabel(tr("&Card:"));
    cardLabel->setBuddy(m_cards);
    grid->addWidget(cardLabel, 0, 0);
    grid->addWidget(m_cards, 0, 1, 1, 2);
    grid->addWidget(new QLabel(tr("Scenarios on the card:")), 1, 0);
    grid->addWidget(new QLabel(tr("Started by the player, in this order:")), 1, 2);
    grid->addWidget(m_available, 2, 0);
    auto* middle = new QVBoxLayout;
    middle->addStretch();
    middle->addWidget(add);
    middle->addWidget(remove);
    middle->addStretch();
    grid->addLayout(middle, 2, 1);
    grid->addWidget(m_autorun, 2, 2);
    grid->addWidget(m_repeat, 3, 2);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CAutorunEditDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CAutorunEditDlg::reject);
    connect(add, &QPushButton::clicked, this, &CAutorunEditDlg::AddSelected);
    connect(remove, &QPushButton::clicked, this, &CAutorunEditDlg::RemoveSelected);
    connect(m_cards, &CCardComboBox::RootChanged, this, &CAutorunEditDlg::LoadDrive);
    connect(m_autorun, &CAutorunListWidget::NamesDropped, this, &CAutorunEditDlg::Dropped);
    connect(m_repeat, &QCheckBox::toggled, this, [this](bool on) { m_editor.SetRepeat(on); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addWidget(buttons);
    resize(560, 360);
    LoadDrive();
}

void CAutorunEditDlg::LoadDrive()
{
    m_damaged = false;
    m_mountRoot = false;
    setEnabled(false);
    m_editor.LoadDrive(m_cards->Root(), m_prompt);
    setEnabled(true);
    const std::string root = m_editor.Root();
    m_mountRoot = m_cards->IsVolume();
    if (!root.empty()) {
        const std::string path = CAutorunEditor::AutorunPath(root);
        if (QFile::exists(QString::fromStdString(path)))
            NoteDamaged(path);
    }
    m_available->clear();
    for (const std::string& name : m_editor.Available())
        m_available->addItem(QString::fromStdString(name));
    ShowAutorun();
    const QSignalBlocker block(m_repeat);
    m_repeat->setChecked(m_editor.Repeat());
}

void CAutorunEditDlg::NoteDamaged(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > CSfcFile::MaxFileSize)
        return;
    CSfcFile probe;
    const CSfcFile::ParseResult result = probe.Parse(file.read(CSfcFile::MaxFileSize));
    // Lines the reader dropped (control bytes) make a list that was damaged,
    // even when nothing readable is left of it.
    if (result == CSfcFile::ParseOk && !probe.IsModified())
        return; // a readable list that is empty, or whose scenarios are gone
    m_damaged = true;
    if (result == CSfcFile::ParseTooLarge)
        return; // the reader has told the user already
    // A list cut short by a second header: the editor kept what stands
    // before it (CAutorunEditor::LoadDrive); only the question is ours.
    AskUser(m_prompt, MsgId::AutorunListDamaged, CUserPrompt::Exclamation, CUserPrompt::Ok, path);
}

void CAutorunEditDlg::ShowAutorun(const std::vector<int>& selection)
{
    m_autorun->clear();
    for (const std::string& name : m_editor.Autorun())
        m_autorun->addItem(QString::fromStdString(name));
    for (int row : selection)
        if (QListWidgetItem* item = m_autorun->item(row))
            item->setSelected(true);
}

void CAutorunEditDlg::AddSelected()
{
    const int before = static_cast<int>(m_editor.Autorun().size());
    const int added = m_editor.Add(ToNames(m_available->SelectedNames()), m_prompt);
    std::vector<int> selection;
    for (int i = 0; i < added; ++i)
        selection.push_back(before + i);
    ShowAutorun(selection);
}

void CAutorunEditDlg::RemoveSelected()
{
    m_editor.Remove(m_autorun->SelectedRows());
    ShowAutorun();
}

void CAutorunEditDlg::Dropped(const QStringList& names, int index, Qt::DropAction action,
                              bool withinList)
{
    if (withinList && action == Qt::MoveAction) {
        ShowAutorun(m_editor.Move(m_autorun->SelectedRows(), index));
        return;
    }
    m_autorun->setEnabled(false);
    const std::vector<int> inserted = m_editor.Insert(ToNames(names), index, m_prompt);
    m_autorun->setEnabled(true);
    ShowAutorun(inserted);
}

void CAutorunEditDlg::accept()
{
    if (m_editor.Root().empty())
        return;
    if (CardGone(m_editor.Root(), m_mountRoot)) {
        AskUser(m_prompt, MsgId::CardNotReady, CUserPrompt::Exclamation, CUserPrompt::Ok,
                m_editor.Root());
        return;
    }
    m_editor.SetRepeat(m_repeat->isChecked());
    if (m_damaged && m_editor.Autorun().empty()) {
        const std::string path = CAutorunEditor::AutorunPath(m_editor.Root());
        if (AskUser(m_prompt, MsgId::AutorunReplaceDamaged, CUserPrompt::Question,
                    CUserPrompt::YesNo, path) != CUserPrompt::AnswerYes)
            return;
    }
    m_editor.Apply(m_prompt); // a failure has been shown; the dialog closes anyway
    QDialog::accept();
}
