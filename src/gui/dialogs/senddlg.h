#pragma once

#include "base/volumelist.h"

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class CCardComboBox;
class CCellInfoList;
class QPushButton;
class CUserPrompt;
class QLabel;

// The choice of the card a project is sent to, with the card's free space
// and the project's settings that decide what is written.
class CSendDlg : public QDialog
{
    Q_OBJECT
public:
    struct ProjectInfo
    {
        std::string name;
        uint32_t backColor = 0; // 0x00BBGGRR
        int imageQuality = 2;
        int slideCount = 0;
        // The cells, for the least room the send takes (none: not checked).
        const CCellInfoList* cells = nullptr;
    };

    // `lastRoot`: the card used last, offered when it is still there and no
    // removable card is (see CCardOffer). Without a card OK waits for one.
    CSendDlg(const ProjectInfo& project, const std::vector<CVolumeList::Volume>& volumes,
             const std::string& lastRoot, CUserPrompt* prompt, QWidget* parent = nullptr);

    // The chosen card's root (trailing '/') after OK.
    const std::string& Root() const { return m_root; }
    CCardComboBox* Cards() const { return m_cards; }

    void accept() override;

private:
    void ShowFreeSpace();

    // Whether the chosen card has room for at least the least the send
    // takes; otherwise says how much is needed against how much is free.
    bool CheckRoom(const std::string& root);

    ProjectInfo m_project;
    std::string m_root;
    CUserPrompt* m_prompt;
    QPushButton* m_ok = nullptr;
    CCardComboBox* m_cards = nullptr;
    QLabel* m_free = nullptr;
};
