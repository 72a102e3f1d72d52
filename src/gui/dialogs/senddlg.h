#pragma once

#include "base/volumelist.h"
#include "output/cardidentity.h"

#include <QDialog>
#include <cstdint>
#include <string>
#include <vector>

class CCardComboBox;
class CCellInfoList;
class QPushButton;
class CUserPrompt;
class QLabel;
class QTimer;

// The choice of the card a project is sent to, with the card's free space
// and the project's settings that decide what is written. The free space
// follows the card while the dialog is open: "not ready" when it goes, and
// marked as too little, with both sizes, when the project will not fit;
// OK then asks before the send starts. The card's identity is taken when it
// is chosen, so the send can tell when another card stands in its place.
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
    // The identity of the chosen card as it was chosen (valid after OK).
    CCardIdentity Identity() const { return m_identity; }
    CCardComboBox* Cards() const { return m_cards; }
    // How often the free space is read again, in milliseconds.
    static constexpr int kPollMs = 1000;

    void accept() override;

private:
    // Takes the identity and the room estimate of the card chosen now.
    void TakeCard();
    // Reads the chosen card again: ready or not, free space, enough or not.
    void ShowFreeSpace();
    // Whether the chosen card is there as it was chosen.
    bool Ready() const;

    // Whether the chosen card has room for at least the least the send
    // takes; otherwise says how much is needed against how much is free.
    bool CheckRoom(const std::string& root);

    // Whether the send probably needs more than is free (false when either
    // is unknown); `free` and `need` are set when both are known.
    bool Short(uint64_t& free, uint64_t& need) const;

    ProjectInfo m_project;
    std::string m_root;
    CUserPrompt* m_prompt;
    QPushButton* m_ok = nullptr;
    CCardComboBox* m_cards = nullptr;
    QLabel* m_free = nullptr;
    QTimer* m_poll = nullptr;
    CCardIdentity m_identity; // invalid while the card is not ready
    uint64_t m_need = 0;      // estimated growth on the chosen card
};
