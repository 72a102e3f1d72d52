#include "output/carddir.h"

#include "base/asciicase.h"
#include "base/volumelist.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <libdeflate.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace fs = std::filesystem;

namespace {

constexpr size_t kChunk = 1 << 20;

int openFolderAt(int dirFd, const char* name)
{
    return openat(dirFd, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

} // namespace

CCardDir::~CCardDir()
{
    if (m_fd >= 0)
        close(m_fd);
}

CCardDir::CCardDir(CCardDir&& other) noexcept
    : m_fd(std::exchange(other.m_fd, -1)), m_path(std::move(other.m_path)),
      m_written(std::move(other.m_written)), m_failure(std::move(other.m_failure))
{}

CCardDir& CCardDir::operator=(CCardDir&& other) noexcept
{
    if (this != &other) {
        if (m_fd >= 0)
            close(m_fd);
        m_fd = std::exchange(other.m_fd, -1);
        m_path = std::move(other.m_path);
        m_written = std::move(other.m_written);
        m_failure = std::move(other.m_failure);
    }
    return *this;
}

bool CCardDir::Fail(const std::string& name, int error)
{
    m_failure = {m_path + name, error};
    return false;
}

bool CCardDir::OpenRoot(const std::string& root)
{
    *this = CCardDir();
    m_path = root;
    if (!m_path.empty() && m_path.back() != '/')
        m_path += '/';
    m_fd = open(m_path.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    return m_fd >= 0 || Fail({}, errno);
}

CCardDir CCardDir::OpenFolder(const std::string& name) const
{
    CCardDir folder;
    folder.m_path = m_path + name + '/';
    const int fd = openFolderAt(m_fd, name.c_str());
    if (fd < 0) {
        // A link is ELOOP, or ENOTDIR when it points to a file.
        folder.m_failure = {m_path + name, TypeOf(name) == Link ? ELOOP : errno};
        return folder;
    }
    struct stat own
    {
    };
    struct stat st
    {
    };
    if (fstat(m_fd, &own) != 0 || fstat(fd, &st) != 0 || st.st_dev != own.st_dev) {
        close(fd);
        folder.m_failure = {m_path + name, EXDEV};
        return folder;
    }
    folder.m_fd = fd;
    return folder;
}

bool CCardDir::LinkLeaves(const std::string& root, const std::string& name)
{
    std::error_code ec;
    const fs::path card = fs::canonical(fs::path(root), ec);
    if (ec)
        return true;
    const fs::path target = fs::weakly_canonical(fs::path(root) / name, ec);
    if (ec)
        return true;
    const auto [cardEnd, targetAt] =
        std::mismatch(card.begin(), card.end(), target.begin(), target.end());
    if (cardEnd != card.end())
        return true;
    // Inside the card's folder, but maybe on another volume mounted there.
    struct stat rootStat
    {
    };
    struct stat targetStat
    {
    };
    return stat(card.c_str(), &rootStat) == 0 && stat(target.c_str(), &targetStat) == 0 &&
           rootStat.st_dev != targetStat.st_dev;
}

CCardIdentity CCardDir::Identity() const
{
    CCardIdentity identity;
    struct stat st
    {
    };
    if (m_fd < 0 || fstat(m_fd, &st) != 0)
        return identity;
    identity.device = uint64_t(st.st_dev);
    identity.inode = uint64_t(st.st_ino);
    identity.mountPoint = CVolumeList::RootOf(m_path);
    return identity;
}

bool CCardDir::StillAt(const std::string& path) const
{
    struct stat here
    {
    };
    struct stat there
    {
    };
    return m_fd >= 0 && fstat(m_fd, &here) == 0 && stat(path.c_str(), &there) == 0 &&
           here.st_dev == there.st_dev && here.st_ino == there.st_ino;
}

CCardDir::EntryType CCardDir::TypeOf(const std::string& name) const
{
    struct stat st
    {
    };
    if (m_fd < 0 || fstatat(m_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0)
        return Missing;
    if (S_ISLNK(st.st_mode))
        return Link;
    if (S_ISREG(st.st_mode))
        return File;
    if (S_ISDIR(st.st_mode)) {
        struct stat own
        {
        };
        return fstat(m_fd, &own) == 0 && own.st_dev == st.st_dev ? Folder : Other;
    }
    return Other;
}

std::vector<std::string> CCardDir::Names() const
{
    std::vector<std::string> names;
    const int fd = m_fd < 0 ? -1 : openat(m_fd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = fd < 0 ? nullptr : fdopendir(fd);
    if (!dir) {
        if (fd >= 0)
            close(fd);
        return names;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    closedir(dir);
    return names;
}

std::string CCardDir::Find(const std::string& name) const
{
    if (name.empty() || name.find('/') != std::string::npos)
        return {};
    if (TypeOf(name) != Missing)
        return name;
    std::string found;
    for (const std::string& entry : Names())
        if (CAsciiCase::Equal(entry, name) && (found.empty() || entry < found))
            found = entry;
    return found;
}

bool CCardDir::ReadFile(const std::string& name, qsizetype maxSize, QByteArray& bytes) const
{
    bytes.clear();
    const int fd = m_fd < 0 ? -1 : openat(m_fd, name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat st
    {
    };
    bool ok = fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size <= maxSize;
    if (ok) {
        bytes.resize(qsizetype(st.st_size));
        qsizetype done = 0;
        while (ok && done < bytes.size()) {
            const ssize_t n = read(fd, bytes.data() + done, size_t(bytes.size() - done));
            if (n < 0 && errno == EINTR)
                continue;
            ok = n > 0;
            done += ok ? qsizetype(n) : 0;
        }
    }
    close(fd);
    return ok;
}

uint64_t CCardDir::SizeOf(const std::string& name) const
{
    struct stat st
    {
    };
    if (m_fd < 0 || fstatat(m_fd, name.c_str(), &st, AT_SYMLINK_NOFOLLOW) != 0 ||
        !S_ISREG(st.st_mode))
        return 0;
    return uint64_t(st.st_size);
}

bool CCardDir::MakeFolder(const std::string& name)
{
    return mkdirat(m_fd, name.c_str(), 0755) == 0 || Fail(name, errno);
}

bool CCardDir::RemoveFile(const std::string& name)
{
    return unlinkat(m_fd, name.c_str(), 0) == 0 || errno == ENOENT || Fail(name, errno);
}

bool CCardDir::RemoveFolder(const std::string& name)
{
    return unlinkat(m_fd, name.c_str(), AT_REMOVEDIR) == 0 || errno == ENOENT || Fail(name, errno);
}

bool CCardDir::Rename(const std::string& from, const std::string& to)
{
    return renameat(m_fd, from.c_str(), m_fd, to.c_str()) == 0 || Fail(from, errno);
}

bool CCardDir::MoveInto(const std::string& name, const CCardDir& target)
{
    return renameat(m_fd, name.c_str(), target.m_fd, name.c_str()) == 0 || Fail(name, errno);
}

bool CCardDir::WriteFd(int fd, const char* data, size_t size, uint32_t& crc)
{
    crc = uint32_t(libdeflate_crc32(crc, data, size));
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= size_t(n);
    }
    return true;
}

bool CCardDir::WriteNew(const std::string& name, const QByteArray& bytes)
{
    const int fd =
        openat(m_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0)
        return Fail(name, errno);
    uint32_t crc = 0;
    const bool ok = WriteFd(fd, bytes.constData(), size_t(bytes.size()), crc);
    const int error = ok ? 0 : (errno ? errno : EIO);
    if (close(fd) != 0 && ok)
        return Fail(name, errno);
    if (!ok)
        return Fail(name, error);
    m_written.push_back({name, uint64_t(bytes.size()), crc});
    return true;
}

bool CCardDir::CopyNew(const std::string& source, const std::string& name)
{
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return Fail(name, errno);
    const int out =
        openat(m_fd, name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (out < 0) {
        const int error = errno;
        close(in);
        return Fail(name, error);
    }
    std::vector<char> buffer(kChunk);
    uint32_t crc = 0;
    uint64_t size = 0;
    int error = 0;
    for (;;) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            break;
        }
        if (n == 0)
            break;
        if (!WriteFd(out, buffer.data(), size_t(n), crc)) {
            error = errno ? errno : EIO;
            break;
        }
        size += uint64_t(n);
    }
    close(in);
    if (close(out) != 0 && error == 0)
        error = errno;
    if (error != 0)
        return Fail(name, error);
    m_written.push_back({name, size, crc});
    return true;
}

bool CCardDir::Flush()
{
    return syncfs(m_fd) == 0 || Fail({}, errno);
}

bool CCardDir::Verify()
{
    std::vector<char> buffer(kChunk);
    for (const Written& file : m_written) {
        const int fd = openat(m_fd, file.name.c_str(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
        if (fd < 0)
            return Fail(file.name, errno);
        // The pages written are clean after the flush: dropping them makes
        // the read below come from the card itself.
        fdatasync(fd);
        posix_fadvise(fd, 0, 0, POSIX_FADV_DONTNEED);
        uint32_t crc = 0;
        uint64_t size = 0;
        int error = 0;
        for (;;) {
            const ssize_t n = read(fd, buffer.data(), buffer.size());
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0)
                error = errno;
            if (n <= 0)
                break;
            crc = uint32_t(libdeflate_crc32(crc, buffer.data(), size_t(n)));
            size += uint64_t(n);
        }
        close(fd);
        if (error != 0)
            return Fail(file.name, error);
        if (size != file.size || crc != file.crc)
            return Fail(file.name, EBADMSG);
    }
    return true;
}
