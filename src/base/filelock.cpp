#include "base/filelock.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace {

constexpr int kRetryStepMs = 50;

std::string localHostName()
{
    char name[256] = {};
    if (gethostname(name, sizeof name - 1) != 0)
        return {};
    return name;
}

std::string programName()
{
    if (QCoreApplication::instance())
        return QFileInfo(QCoreApplication::applicationFilePath()).fileName().toStdString();
    char path[4096] = {};
    const ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0)
        return "program";
    const std::string full(path, static_cast<size_t>(n));
    const size_t slash = full.rfind('/');
    return slash == std::string::npos ? full : full.substr(slash + 1);
}

} // namespace

CFileLock::CFileLock(std::string lockPath) : m_path(std::move(lockPath)) {}

CFileLock::~CFileLock()
{
    Release();
}

void CFileLock::SetPath(const std::string& lockPath)
{
    if (lockPath == m_path)
        return;
    Release();
    m_path = lockPath;
}

bool CFileLock::Acquire(int waitMs)
{
    if (IsHeld())
        return true;
    m_failure = Failure::None;
    m_holder.clear();
    m_errorText.clear();
    m_errorNumber = 0;
    if (m_path.empty()) {
        m_failure = Failure::Error;
        m_errorNumber = ENOENT;
        m_errorText = std::strerror(ENOENT);
        return false;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs);
    for (;;) {
        switch (TryOnce()) {
        case Attempt::Taken:
            WriteHolder();
            return true;
        case Attempt::Failed:
            m_failure = Failure::Error;
            return false;
        case Attempt::Retry:
            continue;
        case Attempt::Busy:
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            m_failure = Failure::Busy;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(kRetryStepMs));
    }
}

CFileLock::Attempt CFileLock::TryOnce()
{
    // Never through a link: a lock file planted as one would be written where it leads.
    const int fd = open(m_path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        m_errorNumber = errno;
        m_errorText = std::strerror(m_errorNumber);
        return Attempt::Failed;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        if (error == EWOULDBLOCK) {
            ReadHolder(fd);
            close(fd);
            return Attempt::Busy;
        }
        close(fd);
        m_errorNumber = error;
        m_errorText = std::strerror(error);
        return Attempt::Failed;
    }
    // A holder that released between our open and our lock removed the file
    // we opened; the lock on a removed file protects nothing, so start again
    // on the file that stands at the path now.
    struct stat opened
    {
    }, named{};
    if (fstat(fd, &opened) != 0 || stat(m_path.c_str(), &named) != 0 ||
        opened.st_dev != named.st_dev || opened.st_ino != named.st_ino) {
        close(fd);
        return Attempt::Retry;
    }
    m_fd = fd;
    return Attempt::Taken;
}

void CFileLock::ReadHolder(int fd)
{
    char buffer[512] = {};
    const ssize_t n = pread(fd, buffer, sizeof buffer - 1, 0);
    if (n > 0)
        m_holder =
            DescribeHolder(std::string_view(buffer, static_cast<size_t>(n)), localHostName());
}

std::string CFileLock::DescribeHolder(std::string_view note, const std::string& localHost)
{
    // Only the first line, and only printable ASCII of it: the note is
    // another program's text and ends up in a message.
    const size_t end = note.find('\n');
    const std::string_view line = note.substr(0, end);
    if (line.size() > 400 || std::any_of(line.begin(), line.end(), [](char c) {
            return static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E;
        }))
        return {};
    const size_t firstSpace = line.find(' ');
    if (firstSpace == std::string_view::npos)
        return {};
    const size_t secondSpace = line.find(' ', firstSpace + 1);
    if (secondSpace == std::string_view::npos)
        return {};
    const std::string_view pid = line.substr(0, firstSpace);
    const std::string_view host = line.substr(firstSpace + 1, secondSpace - firstSpace - 1);
    const std::string_view program = line.substr(secondSpace + 1);
    if (pid.empty() || pid.size() > 10 ||
        pid.find_first_not_of("0123456789") != std::string_view::npos)
        return {};
    std::string holder = program.empty() ? std::string("program") : std::string(program);
    holder += ", process ";
    holder += pid;
    if (!host.empty() && host != localHost) {
        holder += " on ";
        holder += host;
    }
    return holder;
}

void CFileLock::WriteHolder()
{
    const std::string line =
        std::to_string(getpid()) + ' ' + localHostName() + ' ' + programName() + '\n';
    // Best effort: the lock holds without the note, and a full disk must not
    // keep a program from protecting the file it is about to change.
    if (ftruncate(m_fd, 0) == 0 && pwrite(m_fd, line.data(), line.size(), 0) < 0)
        (void)ftruncate(m_fd, 0);
}

void CFileLock::Release()
{
    if (m_fd < 0)
        return;
    // Removed while still locked: a taker waiting on the old file notices
    // that it is gone and starts again on a new one.
    unlink(m_path.c_str());
    close(m_fd);
    m_fd = -1;
}

bool CFileLock::IsLockedByAnother(const std::string& lockPath)
{
    const int fd = open(lockPath.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool busy = flock(fd, LOCK_SH | LOCK_NB) != 0 && errno == EWOULDBLOCK;
    close(fd);
    return busy;
}
