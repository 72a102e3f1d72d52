#pragma once

#include <string>

// The program's own folders. With ZELM_HOME set, both are that folder;
// otherwise projects are proposed under the user's documents folder and the
// work folders (Temp, Temp1, Temp2, Temp3) live in the user's cache folder.
// Every folder is returned with a trailing '/'.
class CAppFolders
{
public:
    // The proposed place of new projects: $ZELM_HOME, else the XDG documents
    // folder + "Zelm Tessara/". Created on first use; "" when it cannot be.
    static std::string HomeFolder();
    // The folder that holds the work folders: $ZELM_HOME, else
    // $XDG_CACHE_HOME (or ~/.cache) + "Pellyx/Zelm Tessara/". Created on
    // first use; "" when it cannot be.
    static std::string WorkRoot();
    // Work folder `name` ("Temp2", ...) inside WorkRoot(), created when
    // missing; "" when it cannot be.
    static std::string WorkFolder(const std::string& name);
};
