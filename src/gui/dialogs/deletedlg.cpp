#include "gui/dialogs/deletedlg.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "gui/dialogs/cardcombobox.h"
#include "gui/dialogs/cardgone.h"
#include "output/cardfolder.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>
#include <algorithm>

CDeleteDlg::CDeleteDlg(const std::vector<CVolumeList::Volume>& volumes, const std::string& root,
                       QWidget* parent)
    : QDialog(parent)
{
    setWindowTitle(tr("Delete scenarios from the card"));
    m_cards = new CCardComboBox(volumes);
    m_cards->setObjectName("card");
    m_cards->OfferCard(root);
    m_list = new QListWidget;
    m_list->setObjectName("scenarios");
    m_list->setAccessibleName(tr("Scenarios on the card"));

    auto* form = new QFormLayout;
    form->addRow(tr("&Card:"), m_cards);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    m_ok = buttons->button(QDialogButtonBox::Ok);
    m_ok->setAccessibleName(tr("OK"));
    buttons->button(QDialogButtonBox::Cancel)->setAccessibleName(tr("Cancel"));
    connect(buttons, &QDialogButtonBox::accepted, this, &CDeleteDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CDeleteDlg::reject);
    connect(m_cards, &CCardComboBox::RootChanged, this, &CDeleteDlg::Fill);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_list);
    layout->addWidget(buttons);
    // Wide enough that the window's title shows whole beside its buttons.
    setMinimumWidth(
        std::max(minimumSizeHint().width(), fontMetrics().horizontalAdvance(windowTitle()) + 140));
    Fill();
}

void CDeleteDlg::Fill()
{
    m_list->clear();
    const std::string root = m_cards->Root();
    m_ok->setEnabled(!root.empty());
    if (root.empty())
        return;
    if (CardGone(root, m_cards->IsVolume())) {
        // Not an empty card: one that is no longer there.
        std::string shown = root;
        if (shown.size() > 1)
            shown.pop_back();
        auto* item = new QListWidgetItem(
            QString::fromStdString(CResourceBundle::Format(MsgId::CardGone, shown)));
        item->setFlags(Qt::ItemIsEnabled);
        item->setData(Qt::UserRole, true);
        m_list->addItem(item);
        m_ok->setEnabled(false);
        return;
    }
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
    if (CardGone(root, m_cards->IsVolume())) {
        Fill();
        return;
    }
    m_root = root;
    m_names.clear();
    for (int i = 0; i < m_list->count(); ++i)
        if (m_list->item(i)->checkState() == Qt::Checked)
            m_names.push_back(m_list->item(i)->text().toStdString());
    QDialog::accept();
}
