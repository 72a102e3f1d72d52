#pragma once

#include "base/volumelist.h"

#include <QDialog>
#include <string>
#include <vector>

class CCardComboBox;
class QListWidget;
class QPushButton;

// The scenarios on a card, each with a check box: the ticked ones are the
// answer. The deletion itself asks for each (CScenarioDeletion).
class CDeleteDlg : public QDialog
{
    Q_OBJECT
public:
    CDeleteDlg(const std::vector<CVolumeList::Volume>& volumes, const std::string& root,
               QWidget* parent = nullptr);

    // After OK: the card's root and the ticked scenario files in list order.
    const std::string& Root() const { return m_root; }
    const std::vector<std::string>& Names() const { return m_names; }
    // The scenarios; a card that has gone shows one line saying so, and OK
    // stays greyed.
    QListWidget* List() const { return m_list; }
    CCardComboBox* Cards() const { return m_cards; }

    void accept() override;

private:
    void Fill();

    std::string m_root;
    std::vector<std::string> m_names;
    CCardComboBox* m_cards = nullptr;
    QListWidget* m_list = nullptr;
    QPushButton* m_ok = nullptr;
};
