#include "document/unsavedfilesweep.h"

#include "base/asciicase.h"
#include "base/createdfilejournal.h"
#include "document/projectfile.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <cerrno>
#include <dirent.h>
#include <set>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool alive(long pid)
{
    return pid > 0 && (kill(pid_t(pid), 0) == 0 || errno == EPERM);
}

bool pictureName(const std::string& name)
{
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return false;
    const std::string ext = CAsciiCase::Lower(name.substr(dot + 1));
    return ext == "png" || ext == "jpg" || ext == "jpeg" || ext == "bmp";
}

// The names every project file of `folder` gives its cells' files (in ASCII
// lower case, as a card or a copied folder may change the case). False when
// a project file there cannot be read: then nothing is known to be unnamed.
bool namesOnDisk(const std::string& folder, std::set<std::string>& named)
{
    DIR* dir = opendir(folder.c_str());
    if (!dir)
        return false;
    bool ok = true;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name.size() < 5 || name[0] == '.' ||
            CAsciiCase::Lower(name.substr(name.size() - 4)) != ".sic")
            continue;
        CProjectFile file;
        CCellInfoList cells;
        if (file.ReadFile(folder + name, cells) != CProjectFile::ReadOk) {
            ok = false;
            break;
        }
        for (int i = 0; i < cells.GetCount(); ++i) {
            const auto* cell = dynamic_cast<const CCellBmpInfo*>(cells.GetAt(i));
            if (!cell)
                continue;
            for (const std::string* n :
                 {&cell->FileName, &cell->DispFileName, &cell->ThumbFileName})
                if (!n->empty())
                    named.insert(CAsciiCase::Lower(*n));
        }
    }
    closedir(dir);
    return ok;
}

} // namespace

int CUnsavedFileSweep::Run(const std::string& projectFile, const void* self)
{
    const std::vector<CCreatedFileJournal::Entry> entries =
        CCreatedFileJournal::Entries(projectFile);
    if (entries.empty()) {
        // An empty journal (a line that found no room) goes too.
        CCreatedFileJournal::Rewrite(projectFile, {});
        return 0;
    }
    const size_t slash = projectFile.rfind('/');
    if (slash == std::string::npos)
        return 0;
    const std::string folder = projectFile.substr(0, slash + 1);
    std::set<std::string> named;
    if (!namesOnDisk(folder, named))
        return 0;

    const long me = long(getpid());
    std::vector<CCreatedFileJournal::Entry> kept;
    int removed = 0;
    for (const CCreatedFileJournal::Entry& e : entries) {
        // Another program still inserting: its cells may not be saved yet.
        if (e.pid != me && alive(e.pid)) {
            kept.push_back(e);
            continue;
        }
        if (named.count(CAsciiCase::Lower(e.name)))
            continue; // a saved cell's file now
        if (CCreatedFileJournal::InUseHere(folder, e.name, self)) {
            kept.push_back(e);
            continue;
        }
        struct stat st
        {
        };
        const std::string path = folder + e.name;
        if (!pictureName(e.name) || lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        if (unlink(path.c_str()) == 0)
            ++removed;
        else
            kept.push_back(e);
    }
    CCreatedFileJournal::Rewrite(projectFile, kept);
    return removed;
}
