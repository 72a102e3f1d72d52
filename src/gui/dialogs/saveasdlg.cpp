#include "gui/dialogs/saveasdlg.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "document/projectdlgchecks.h"
#include "gui/dialogs/parsededit.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

CSaveAsDlg::CSaveAsDlg(const std::string& name, const std::string& folder, CUserPrompt* prompt,
                       QWidget* parent)
    : QDialog(parent), m_name(name), m_prompt(prompt)
{
    setWindowTitle(tr("Save project as"));
    QString current = QString::fromStdString(folder);
    while (current.size() > 1 && current.endsWith('/'))
        current.chop(1);
    m_currentFolder = current.toStdString();
    m_base = QString::fromStdString(CProjectDlgChecks::ParentFolder(m_currentFolder + "/"));

    auto* form = new QFormLayout;
    auto* currentName = new QLabel(QString::fromStdString(name));
    currentName->setObjectName("currentName");
    auto* currentFolder = new QLabel(current);
    currentFolder->setObjectName("currentFolder");
    form->addRow(tr("Current name:"), currentName);
    form->addRow(tr("Current folder:"), currentFolder);

    m_nameEdit = new CParsedEdit(CParsedEdit::Digits | CParsedEdit::Letters);
    m_nameEdit->setObjectName("name");
    m_nameEdit->setAccessibleName(tr("New project name"));
    m_nameEdit->setText(QString::fromStdString(name));
    form->addRow(tr("New &name:"), m_nameEdit);

    m_folderEdit = new QLineEdit(current);
    m_folderEdit->setObjectName("folder");
    m_folderEdit->setAccessibleName(tr("New project folder"));
    m_folderEdit->setMinimumWidth(320);
    auto* browse = new QPushButton(tr("&Browse..."));
    browse->setObjectName("browse");
    browse->setAccessibleName(tr("Browse for the folder"));
    auto* row = new QHBoxLayout;
    row->addWidget(m_folderEdit, 1);
    row->addWidget(browse);
    auto* folderLabel = new QLabel(tr("New &folder:"));
    folderLabel->setBuddy(m_folderEdit);
    form->addRow(folderLabel, row);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CSaveAsDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CSaveAsDlg::reject);
    connect(browse, &QPushButton::clicked, this, &CSaveAsDlg::Browse);
    connect(m_nameEdit, &QLineEdit::textEdited, this, [this] { ChooseBaseFolder(m_base); });

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
    m_nameEdit->setFocus();
}

void CSaveAsDlg::Browse()
{
    const QString chosen = QFileDialog::getExistingDirectory(
        this, QString::fromStdString(CResourceBundle::Text(MsgId::ChooseProjectFolder)), m_base);
    if (!chosen.isEmpty())
        ChooseBaseFolder(chosen);
}

void CSaveAsDlg::ChooseBaseFolder(const QString& folder)
{
    m_base = folder.endsWith('/') ? folder : folder + '/';
    m_folderEdit->setText(QString::fromStdString(
        CProjectDlgChecks::ProposedFolder(m_base.toStdString(), m_nameEdit->text().toStdString())));
}

void CSaveAsDlg::accept()
{
    std::string name = m_nameEdit->text().toStdString();
    std::string folder = m_folderEdit->text().toStdString();
    CProjectDlgChecks::Focus focus = CProjectDlgChecks::FocusNone;
    const CProjectDlgChecks::Outcome outcome =
        CProjectDlgChecks::CheckSaveAs(m_prompt, name, folder, m_currentFolder, focus);
    if (outcome == CProjectDlgChecks::Cancelled) {
        reject();
        return;
    }
    if (outcome == CProjectDlgChecks::Refused) {
        if (!folder.empty() && focus != CProjectDlgChecks::FocusNone)
            m_folderEdit->setText(QString::fromStdString(folder));
        QLineEdit* field = focus == CProjectDlgChecks::FocusFolder ? m_folderEdit : m_nameEdit;
        field->setFocus();
        field->selectAll();
        return;
    }
    m_name = name;
    m_folder = folder;
    QDialog::accept();
}
