#pragma once

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
    std::vector<int> Insert(const std::vector<std::string>& names, int index,
                            CUserPrompt* prompt);
    // Removes the entries at these indexes.
    void Remove(const std::vector<int>& indexes);
    // A drag within the autorun list: the selected entries move to the drop
    // position (before the entry at `dropIndex`; -1 appends). Returns the
    // new indexes of the moved entries.
    std::vector<int> Move(const std::vector<int>& selected, int dropIndex);

    // OK: writes the list (non-empty entries, the repeat switch) to the
    // card's AUTORUN.SFC. false when no drive is selected (the dialog stays
    // open) or the file could not be written (7127 was shown; the dialog
    // closes anyway).
    bool Apply(CUserPrompt* prompt);

    // The path of the card's autorun list: the existing file in any case,
    // else root + "AUTORUN.SFC".
    static std::string AutorunPath(const std::string& root);

private:
    bool Contains(const std::string& name) const;

    std::string m_root;
    CSfcFile m_file;
    std::vector<std::string> m_available;
    std::vector<std::string> m_autorun;
    bool m_repeat = false;
};
