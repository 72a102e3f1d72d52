#pragma once

#include "base/volumelist.h"

#include <string>
#include <vector>

// Which card a card choice (Send, Delete scenarios, the autorun editor, the
// player's scenario choice) offers before the user picks one: the last card
// used when it is still there (not the empty mount folder of a card taken
// out), else the first removable volume, else none, so that OK waits for the
// user's own choice. A system folder ("/", a folder right below it, or the
// home folder) is never offered. The last card is kept in the settings, so a
// new start of the program offers it again.
class CCardOffer
{
public:
    // The root to preselect (trailing '/'), "" for none. `volumes` are the
    // volumes listed now; `lastRoot` is the card used last.
    static std::string DefaultRoot(const std::vector<CVolumeList::Volume>& volumes,
                                   const std::string& lastRoot);

    // The card used last as the settings keep it ("" when none), and
    // keeping it (nothing for "").
    static std::string StoredLastCard();
    static void StoreLastCard(const std::string& root);

    // Whether `folder` is a system folder: "/", a folder right below it
    // ("/home", "/usr"...), or the user's home folder.
    static bool IsSystemFolder(const std::string& folder);

    // Whether a card chosen at `root` has gone: its folder is missing, or it
    // was chosen as a volume (`wasMountRoot`) and `root` is no longer a
    // mount point (the card was taken out and only its mount folder is left).
    static bool Gone(const std::string& root, bool wasMountRoot);
};
