#pragma once

#include <string>

// One running program's use of the work folders (Temp, Temp1, Temp2, Temp3
// and the numbered Temp3-N of parallel sends). Every front end holds one
// while it runs: a shared lock on the hidden file ".zelm-work.lock" of the
// work root. When the work root is the program's home (ZELM_HOME), where
// the user keeps projects, the last program to end normally removes the
// work folders, so the home holds only what the user made. The work folders
// of the cache folder stay: the slide pictures kept there save LibreOffice
// runs.
class CWorkRootUse
{
public:
    CWorkRootUse();
    ~CWorkRootUse();
    CWorkRootUse(const CWorkRootUse&) = delete;
    CWorkRootUse& operator=(const CWorkRootUse&) = delete;

    // Removes the work folders of `root` now when no other program uses
    // them (this one's own use given up first); true when they were removed.
    bool Finish();

    // Whether `name` is one of the work folders a program makes in its root.
    static bool IsWorkFolderName(const std::string& name);

private:
    std::string m_root;
    int m_fd = -1;
};
