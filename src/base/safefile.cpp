#include "base/safefile.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/userprompt.h"

#include <cerrno>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>

namespace {

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

bool isPlatformTemp(const std::string& name, const std::string& owned)
{
    if (name.size() != owned.size() + 7 || name.compare(0, owned.size(), owned) != 0 ||
        name[owned.size()] != '.')
        return false;
    for (size_t i = owned.size() + 1; i < name.size(); ++i) {
        const char c = name[i];
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9')))
            return false;
    }
    return true;
}

std::mutex& failureMutex()
{
    static std::mutex mutex;
    return mutex;
}

CSafeFile::Failure& lastFailure()
{
    static CSafeFile::Failure failure;
    return failure;
}

} // namespace

CSafeFile::Failure CSafeFile::LastFailure()
{
    std::lock_guard<std::mutex> guard(failureMutex());
    return lastFailure();
}

void CSafeFile::ClearLastFailure()
{
    std::lock_guard<std::mutex> guard(failureMutex());
    lastFailure() = {};
}

void CSafeFile::NoteFailure(const std::string& path, int error)
{
    std::lock_guard<std::mutex> guard(failureMutex());
    lastFailure() = {path, error};
}

CSafeFile::CSafeFile(std::string path) : m_path(std::move(path)) {}

CSafeFile::~CSafeFile()
{
    Cancel();
}

bool CSafeFile::Open()
{
    Cancel();
    m_error = 0;
    if (m_path.empty() || m_path.back() == '/') {
        Fail(EINVAL);
        return false;
    }
    struct stat existing
    {
    };
    if (stat(m_path.c_str(), &existing) == 0) {
        const mode_t writeBits = S_IWUSR | S_IWGRP | S_IWOTH;
        if (S_ISDIR(existing.st_mode) || (existing.st_mode & writeBits) == 0 ||
            access(m_path.c_str(), W_OK) != 0) {
            Fail(S_ISDIR(existing.st_mode) ? EISDIR : EACCES);
            return false;
        }
        if (!m_modeSet)
            m_mode = existing.st_mode & 07777;
    }
    m_temp = folderOf(m_path) + kTempPrefix + "XXXXXX";
    m_fd = mkostemp(m_temp.data(), O_CLOEXEC);
    if (m_fd < 0) {
        Fail(errno);
        m_temp.clear();
        return false;
    }
    return true;
}

void CSafeFile::Fail(int error)
{
    m_error = error;
    NoteFailure(m_path, error);
}

bool CSafeFile::Write(const char* data, size_t size)
{
    if (m_fd < 0) {
        if (m_error == 0)
            m_error = EBADF;
        return false;
    }
    while (size > 0) {
        const ssize_t n = ::write(m_fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            Fail(n < 0 ? errno : ENOSPC);
            Cancel();
            return false;
        }
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool CSafeFile::Commit()
{
    if (m_fd < 0) {
        if (m_error == 0)
            m_error = EBADF;
        return false;
    }
    (void)fchmod(m_fd, m_mode);
    if (m_mtimeSet) {
        const struct timespec times[2] = {{0, UTIME_OMIT}, m_mtime};
        (void)futimens(m_fd, times);
    }
    // Space is only certain once the data has reached the disk: some file
    // systems take it at write-back, where only fsync and close report it.
    if (m_durable && fsync(m_fd) != 0 && errno != EINVAL && errno != EROFS) {
        Fail(errno);
        Cancel();
        return false;
    }
    const int fd = m_fd;
    m_fd = -1;
    if (close(fd) != 0 && errno != EINTR) {
        Fail(errno);
        unlink(m_temp.c_str());
        m_temp.clear();
        return false;
    }
    if (rename(m_temp.c_str(), m_path.c_str()) != 0) {
        Fail(errno);
        unlink(m_temp.c_str());
        m_temp.clear();
        return false;
    }
    m_temp.clear();
    // The new name on the disk as well; a folder that cannot be synced
    // keeps the rename all the same.
    if (!m_durable)
        return true;
    const std::string folder = folderOf(m_path);
    const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)fsync(dir);
        close(dir);
    }
    return true;
}

void CSafeFile::Cancel()
{
    if (m_fd >= 0) {
        close(m_fd);
        m_fd = -1;
    }
    if (!m_temp.empty()) {
        unlink(m_temp.c_str());
        m_temp.clear();
    }
}

std::string CSafeFile::ErrorText() const
{
    return std::strerror(m_error ? m_error : EIO);
}

std::string CSafeFile::FailureText(const std::string& path, int error)
{
    const std::string reason = error == ENOSPC || error == EDQUOT
                                   ? CResourceBundle::Text(MsgId::NotEnoughSpace)
                                   : std::string(std::strerror(error ? error : EIO));
    return CResourceBundle::Format(MsgId::FileNotWritten, path) + "\n" + reason;
}

void CSafeFile::ReportFailure(CUserPrompt* prompt, const std::string& path, int error)
{
    if (prompt)
        prompt->Show(MsgId::FileNotWritten, FailureText(path, error), CUserPrompt::Exclamation,
                     CUserPrompt::Ok);
}

bool CSafeFile::FlushVolume(const std::string& folder)
{
    const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) {
        NoteFailure(folder, errno);
        return false;
    }
    const bool ok = syncfs(fd) == 0;
    const int error = errno;
    close(fd);
    if (!ok)
        NoteFailure(folder, error);
    return ok;
}

bool CSafeFile::FlushFiles(const std::string& folder, const std::vector<std::string>& names)
{
    // Ignored as in Commit: file systems without a sync of their own.
    const auto synced = [](int fd) { return fsync(fd) == 0 || errno == EINVAL || errno == EROFS; };
    for (const std::string& name : names) {
        const std::string path = folder + name;
        const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
        const bool ok = fd >= 0 && synced(fd);
        const int error = errno;
        if (fd >= 0)
            close(fd);
        if (!ok) {
            NoteFailure(path, error);
            return false;
        }
    }
    const int dir = open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)synced(dir);
        close(dir);
    }
    return true;
}

bool CSafeFile::WriteAll(const std::string& path, const QByteArray& bytes, int* error, bool durable)
{
    CSafeFile file(path);
    file.SetDurable(durable);
    const bool ok = file.Open() && file.Write(bytes) && file.Commit();
    if (error)
        *error = ok ? 0 : file.Error();
    return ok;
}

std::vector<std::string> CSafeFile::FindLeftovers(const std::string& folder,
                                                  const std::vector<std::string>& ownedNames,
                                                  int minAgeSeconds)
{
    const time_t now = time(nullptr);
    std::vector<std::string> found;
    DIR* dir = opendir(folder.empty() ? "." : folder.c_str());
    if (!dir)
        return found;
    const size_t prefixLength = std::strlen(kTempPrefix);
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        bool leftover =
            name.size() > prefixLength && name.compare(0, prefixLength, kTempPrefix) == 0;
        for (const std::string& owned : ownedNames)
            leftover = leftover || isPlatformTemp(name, owned);
        if (!leftover)
            continue;
        const std::string full = folder + name;
        struct stat st
        {
        };
        if (lstat(full.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
            (minAgeSeconds <= 0 || now - st.st_mtime >= minAgeSeconds))
            found.push_back(full);
    }
    closedir(dir);
    return found;
}

bool CSafeFile::RemoveLeftovers(const std::string& folder,
                                const std::vector<std::string>& ownedNames, int minAgeSeconds)
{
    bool ok = true;
    for (const std::string& path : FindLeftovers(folder, ownedNames, minAgeSeconds))
        if (unlink(path.c_str()) != 0 && errno != ENOENT)
            ok = false;
    return ok;
}
