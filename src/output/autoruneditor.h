#pragma once

#include "output/cardlock.h"
#include "output/sfcfile.h"

#include <string>
#include <vector>

class CUserPrompt;

// What the autorun editor does, without its window: the scenarios found on
// the chosen card, the autorun list being composed from them, the repeat
// switch, and OK, which writes the list. The dialog shows these lists and
// forwards its buttons and drops here.
class CAutorunEditor
{
public:
    // Loads the card whose root (trailing '/') is `root`; "" means no drive
    // is selected and leaves both lists empty. Unsaved edits are dropped.
    void LoadDrive(const std::string& root, CUserPrompt* prompt);

    // Takes the card's lock for a change of its list, to be held from
    // LoadDrive to Apply so that no other program's change of the list is
    // lost in between; removes the temporaries an interrupted writer left in
    // the root. false (the message was shown) when another program keeps
    // the card. Held until the editor goes or locks another card.
    bool LockDrive(const std::string& root, CUserPrompt* prompt,
                   int waitMs = CCardLock::kDefaultWaitMs);
    bool IsDriveLocked() const { return m_lock.IsHeld(); }

    const std::string& Root() const { return m_root; }
    // Scenario files (*.SIT, any case) in the root, upper-cased.
    const std::vector<std::string>& Available() const { return m_available; }
    // The autorun list being edited, in its order.
    const std::vector<std::string>& Autorun() const { return m_autorun; }
    // The entries of the card's list that were dropped on loading because
    // their scenarios are not on the card.
    const std::vector<std::string>& Pruned() const { return m_file.Pruned(); }
    bool Repeat() const { return m_repeat; }
    void SetRepeat(bool repeat) { m_repeat = repeat; }

    // Appends the names in order; a name already listed (any case) is
    // reported with 7150 and skipped. Returns how many were appended.
    int Add(const std::vector<std::string>& names, CUserPrompt* prompt);
    // Inserts dropped names at `index` (at the end when -1 or past the end),
    // skipping listed ones with 7150. Returns the indexes of the inserted
    // entries, which become the selection.
    std::vector<int> Insert(const std::vector<std::string>& names, int index, CUserPrompt* prompt);
    // Removes the entries at these indexes.
    void Remove(const std::vector<int>& indexes);
    // A drag within the autorun list: the selected entries move to the drop
    // position (before the entry at `dropIndex`; -1 appends). Returns the
    // new indexes of the moved entries.
    std::vector<int> Move(const std::vector<int>& selected, int dropIndex);

    // OK: writes the list (non-empty entries, the repeat switch) to the
    // card's AUTORUN.SFC, under the card's lock (taken now unless LockDrive
    // took it). false when no drive is selected (the dialog stays open),
    // another program keeps the card (its message was shown) or the file
    // could not be written (7127 was shown; the dialog closes anyway). A list
    // on the card that could not be read is only replaced when the user
    // answers Yes to 7187; otherwise false, nothing is written and
    // Declined() tells so.
    bool Apply(CUserPrompt* prompt);
    bool Declined() const { return m_declined; }
    // Whether the card's list exists but could not be read (too large, no
    // permission): the autorun list shown then starts empty.
    bool ListRefused() const { return m_refused; }

    // The path of the card's autorun list: the existing file in any case,
    // else root + "AUTORUN.SFC".
    static std::string AutorunPath(const std::string& root);

private:
    bool Contains(const std::string& name) const;

    std::string m_root;
    CCardLock m_lock;
    CSfcFile m_file;
    std::vector<std::string> m_available;
    std::vector<std::string> m_autorun;
    bool m_repeat = false;
    bool m_refused = false;
    bool m_declined = false;
};
