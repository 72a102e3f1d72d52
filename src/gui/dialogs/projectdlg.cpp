#include "gui/dialogs/projectdlg.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "document/projectdlgchecks.h"
#include "gui/dialogs/parsededit.h"

#include <QButtonGroup>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPixmap>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace {
QColor FromColorRef(uint32_t color)
{
    return QColor(int(color & 0xFF), int((color >> 8) & 0xFF), int((color >> 16) & 0xFF));
}

QString WithSlash(QString folder)
{
    if (!folder.endsWith('/'))
        folder += '/';
    return folder;
}
} // namespace

CProjectDlg::CProjectDlg(const CProjectSettings& settings, bool editMode, CUserPrompt* prompt,
                         QWidget* parent)
    : QDialog(parent), m_settings(settings), m_editMode(editMode), m_prompt(prompt)
{
    setWindowTitle(editMode ? tr("Project properties") : tr("New project"));
    const QString folder = WithSlash(QString::fromStdString(settings.folder));
    m_base = folder;
    if (editMode) {
        m_currentFolder = folder.chopped(1).toStdString();
        m_base = QString::fromStdString(CProjectDlgChecks::ParentFolder(folder.toStdString()));
    }

    auto* form = new QFormLayout;
    m_name = new CParsedEdit(CParsedEdit::Digits | CParsedEdit::Letters);
    m_name->setObjectName("name");
    m_name->setAccessibleName(tr("Project name"));
    m_name->setText(QString::fromStdString(settings.name));
    // The field takes no more than a name may have; a longer name of an
    // older project stays whole until the user shortens it.
    m_name->setMaxLength(
        std::max(CProjectDlgChecks::MaxNameLength, static_cast<int>(m_name->text().size())));
    auto* rule = new QLabel(QString::fromStdString(CResourceBundle::Format(
        MsgId::ProjectNameRule, std::to_string(CProjectDlgChecks::MaxNameLength))));
    rule->setObjectName("nameRule");
    m_name->setAccessibleDescription(rule->text());
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(rule);
    auto* nameLabel = new QLabel(tr("&Name:"));
    nameLabel->setBuddy(m_name);
    form->addRow(nameLabel, nameRow);

    m_folder = new QLineEdit(editMode ? QString::fromStdString(m_currentFolder) : folder);
    m_folder->setObjectName("folder");
    m_folder->setAccessibleName(tr("Project folder"));
    m_folder->setMinimumWidth(320);
    auto* browse = new QPushButton(tr("&Browse..."));
    browse->setObjectName("browse");
    browse->setAccessibleName(tr("Browse for the folder"));
    auto* folderRow = new QHBoxLayout;
    folderRow->addWidget(m_folder, 1);
    folderRow->addWidget(browse);
    auto* folderLabel = new QLabel(tr("&Folder:"));
    folderLabel->setBuddy(m_folder);
    form->addRow(folderLabel, folderRow);

    m_colour = new QComboBox;
    m_colour->setObjectName("backColor");
    m_colour->setAccessibleName(tr("Background colour"));
    m_colour->setIconSize(QSize(48, 16));
    for (int i = 0; i < CProjectDlgChecks::BackColorCount; ++i) {
        QPixmap swatch(48, 16);
        swatch.fill(FromColorRef(CProjectDlgChecks::BackColorAt(i)));
        m_colour->addItem(QIcon(swatch), QString(), i);
    }
    m_colour->setCurrentIndex(std::max(0, CProjectDlgChecks::BackColorIndex(settings.backColor)));
    form->addRow(tr("Background &colour:"), m_colour);

    m_quality = new QButtonGroup(this);
    auto* qualityBox = new QVBoxLayout;
    const QString qualityTexts[] = {tr("Best (uncompressed pictures)"), tr("High"),
                                    tr("Standard (smallest files)")};
    for (int i = 0; i < 3; ++i) {
        auto* b = new QRadioButton(qualityTexts[i]);
        b->setObjectName(QString("quality%1").arg(i));
        b->setAccessibleName(tr("Image quality: %1").arg(qualityTexts[i]));
        m_quality->addButton(b, i);
        qualityBox->addWidget(b);
    }
    if (QAbstractButton* b = m_quality->button(settings.imageQuality))
        b->setChecked(true);
    form->addRow(tr("Image quality:"), qualityBox);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CProjectDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CProjectDlg::reject);
    connect(browse, &QPushButton::clicked, this, &CProjectDlg::Browse);
    connect(m_name, &QLineEdit::textEdited, this, &CProjectDlg::NameTyped);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_name->setFocus();
}

void CProjectDlg::NameTyped()
{
    m_folder->setText(QString::fromStdString(
        CProjectDlgChecks::ProposedFolder(m_base.toStdString(), m_name->text().toStdString())));
}

void CProjectDlg::Browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QString::fromStdString(CResourceBundle::Text(MsgId::ChooseProjectFolder)), m_base);
    if (!chosen.isEmpty())
        ChooseBaseFolder(chosen);
}

void CProjectDlg::ChooseBaseFolder(const QString& folder)
{
    m_base = WithSlash(folder);
    NameTyped();
}

void CProjectDlg::accept()
{
    std::string name = m_name->text().toStdString();
    std::string folder = m_folder->text().toStdString();
    CProjectDlgChecks::Focus focus = CProjectDlgChecks::FocusNone;
    const CProjectDlgChecks::Outcome outcome =
        CProjectDlgChecks::CheckProject(m_prompt, name, folder, m_editMode, m_currentFolder, focus);
    if (outcome == CProjectDlgChecks::Cancelled) {
        reject();
        return;
    }
    if (outcome == CProjectDlgChecks::Refused) {
        if (!folder.empty() && focus != CProjectDlgChecks::FocusNone)
            m_folder->setText(QString::fromStdString(folder));
        QLineEdit* field = focus == CProjectDlgChecks::FocusFolder ? m_folder : m_name;
        field->setFocus();
        field->selectAll();
        return;
    }
    m_settings.name = name;
    m_settings.folder = folder;
    m_settings.backColor = CProjectDlgChecks::BackColorAt(m_colour->currentIndex());
    m_settings.imageQuality = std::max(0, m_quality->checkedId());
    QDialog::accept();
}
