#include "browser/folderlisting.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>
#include <unordered_set>

namespace {

// Whether entry `item` of the open folder `dir` is a folder, following a
// link; a dangling link or a link loop is none.
bool entryIsFolder(DIR* dir, const dirent* item)
{
    if (item->d_type == DT_DIR)
        return true;
    if (item->d_type != DT_LNK && item->d_type != DT_UNKNOWN)
        return false;
    struct stat st
    {
    };
    return ::fstatat(::dirfd(dir), item->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
}

} // namespace

std::string CFolderListing::WithSlash(std::string path)
{
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

bool CFolderListing::IsShownName(const char* name)
{
    return name[0] != '.' && name[0] != '\0';
}

bool CFolderListing::Before(const std::string& a, const std::string& b)
{
    const int folded = strcasecmp(a.c_str(), b.c_str());
    return folded != 0 ? folded < 0 : a < b;
}

bool CFolderListing::IsFolder(const std::string& path)
{
    struct stat st
    {
    };
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

CFolderListing::Result CFolderListing::List(const std::string& folder)
{
    Result result;
    result.folder = WithSlash(folder);
    DIR* dir = ::opendir(result.folder.c_str());
    if (!dir) {
        result.error = errno;
        result.exists = result.error != ENOENT && result.error != ENOTDIR;
        return result;
    }
    errno = 0;
    while (const dirent* item = ::readdir(dir)) {
        if (IsShownName(item->d_name) && entryIsFolder(dir, item))
            result.names.emplace_back(item->d_name);
        errno = 0;
    }
    // A volume pulled in the middle of the listing says so here.
    result.error = errno;
    ::closedir(dir);
    std::sort(result.names.begin(), result.names.end(), &CFolderListing::Before);
    return result;
}

bool CFolderListing::HasSubfolders(const std::string& folder)
{
    DIR* dir = ::opendir(WithSlash(folder).c_str());
    if (!dir)
        return false;
    bool found = false;
    while (const dirent* item = ::readdir(dir)) {
        if (IsShownName(item->d_name) && entryIsFolder(dir, item)) {
            found = true;
            break;
        }
    }
    ::closedir(dir);
    return found;
}

CFolderListing::Changes CFolderListing::Compare(const std::vector<std::string>& shown,
                                                const std::vector<std::string>& now)
{
    Changes changes;
    const std::unordered_set<std::string> nowSet(now.begin(), now.end());
    const std::unordered_set<std::string> shownSet(shown.begin(), shown.end());
    for (const std::string& name : shown) {
        if (!nowSet.count(name))
            changes.gone.push_back(name);
    }
    for (const std::string& name : now) {
        if (!shownSet.count(name))
            changes.added.push_back(name);
    }
    return changes;
}

std::string CFolderListing::NearestExisting(const std::string& folder, const std::string& floor)
{
    const auto usable = [](const std::string& path) {
        return IsFolder(path) && ::access(path.c_str(), R_OK | X_OK) == 0;
    };
    const std::string base = WithSlash(floor);
    std::string path = WithSlash(folder);
    if (path.compare(0, base.size(), base) != 0)
        return usable(base) ? base : std::string();
    while (path.size() > base.size() && !usable(path)) {
        path.pop_back();
        path.erase(path.rfind('/') + 1);
    }
    if (path.size() < base.size())
        path = base;
    return usable(path) ? path : std::string();
}
