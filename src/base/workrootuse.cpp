#include "base/workrootuse.h"

#include "base/appfolders.h"

#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <sys/file.h>
#include <system_error>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kUseFile = ".zelm-work.lock";

bool workRootIsHome()
{
    const std::string home = CAppFolders::HomeFolder();
    const std::string root = CAppFolders::WorkRoot();
    if (home.empty() || root.empty())
        return false;
    std::error_code ec;
    return fs::equivalent(fs::path(home), fs::path(root), ec) && !ec;
}

} // namespace

CWorkRootUse::CWorkRootUse()
{
    if (!workRootIsHome())
        return;
    m_root = CAppFolders::WorkRoot();
    m_fd = open((m_root + kUseFile).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (m_fd < 0)
        return;
    // Waits while a program that is ending removes the folders.
    while (flock(m_fd, LOCK_SH) != 0 && errno == EINTR) {
    }
}

CWorkRootUse::~CWorkRootUse()
{
    Finish();
}

bool CWorkRootUse::IsWorkFolderName(const std::string& name)
{
    if (name == "Temp" || name == "Temp1" || name == "Temp2" || name == "Temp3")
        return true;
    if (name.rfind("Temp3-", 0) != 0 || name.size() == 6)
        return false;
    return name.find_first_not_of("0123456789", 6) == std::string::npos;
}

bool CWorkRootUse::Finish()
{
    if (m_fd < 0)
        return false;
    // Only the last user removes anything; a program still running keeps
    // its shared lock and so its folders.
    const bool last = flock(m_fd, LOCK_EX | LOCK_NB) == 0;
    if (last) {
        std::vector<std::string> names;
        if (DIR* dir = opendir(m_root.c_str())) {
            while (const dirent* entry = readdir(dir))
                names.push_back(entry->d_name);
            closedir(dir);
        }
        for (const std::string& name : names) {
            std::error_code ec;
            const fs::path path = fs::path(m_root) / name;
            const fs::file_status status = fs::symlink_status(path, ec);
            if (ec)
                continue;
            if (IsWorkFolderName(name) && fs::is_directory(status)) {
                fs::remove_all(path, ec);
            } else if (name.size() > 5 && name.compare(name.size() - 5, 5, ".lock") == 0 &&
                       IsWorkFolderName(name.substr(0, name.size() - 5)) &&
                       fs::is_regular_file(status)) {
                // The staging folders' lock files: a send that still ran
                // would hold the work root's use.
                fs::remove(path, ec);
            }
        }
    }
    close(m_fd);
    m_fd = -1;
    return last;
}
