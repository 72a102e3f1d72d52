#include "gui/dialogs/deletedlg.h"

#include "base/asciicase.h"
#include "gui/dialogs/cardcombobox.h"
#include "output/cardfolder.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

CDeleteDlg::CDeleteDlg(const std::vector<CVolumeList::Volume>& volumes, const std::string& root,
                       QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Delete scenarios from the card"));
    m_cards = new CCardComboBox(volumes);
    m_cards->setObjectName("card");
    m_cards->SelectRoot(root);
    m_list = new QListWidget;
    m_list->setObjectName("scenarios");
    m_list->setAccessibleName(tr("Scenarios on the card"));

    auto* form = new QFormLayout;
    form->addRow(tr("&Card:"), m_cards);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    buttons->button(QDialogButtonBox::Ok)->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDeleteDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDeleteDlg::reject);
    connect(m_cards, &CCardComboBox::RootChanged, this, &CDeleteDlg::Fill);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    Fill();
}

void CDeleteDlg::Fill()
{
    m_list->clear();
    const std::string root = m_cards->Root();
    if (root.empty())
        return;
    for (const std::string& name : CCardFolder::FilesWithExtension(root, ".SIT")) {
        auto* item = new QListWidgetItem(QString::fromStdString(CAsciiCase::Upper(name)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        m_list->addItem(item);
    }
}

void CDeleteDlg::accept()
{
    const std::string root = m_cards->Root();
    if (root.empty())
        return;
    m_root = root;
    m_names.clear();
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->checkState() == Qt::Checked)
            m_names.push_back(m_list->item(i)->text().toStdString());
    QDialog::accept();
}
