#include "base/outsidefile.h"

#include <QFile>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

CFileFailure ForErrno(const std::string& path, int error)
{
    return {error == ENOENT || error == ENOTDIR ? CFileFailure::NotFound : CFileFailure::CannotRead,
            path};
}

} // namespace

CFileFailure COutsideFile::Open(const std::string& path, QFile& file)
{
    if (path.empty())
        return {CFileFailure::NotFound, path};
    // O_NONBLOCK: opening a FIFO for reading waits for a writer otherwise.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        // A socket cannot be opened at all: still say what it is.
        const int error = errno;
        const CFileFailure kind = Check(path);
        return kind.reason() == CFileFailure::NotRegular ? kind : ForErrno(path, error);
    }
    struct stat st
    {
    };
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        const int error = errno;
        ::close(fd);
        return S_ISREG(st.st_mode) ? ForErrno(path, error)
                                   : CFileFailure(CFileFailure::NotRegular, path);
    }
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0 ||
        !file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        return {CFileFailure::CannotRead, path};
    }
    return {};
}

CFileFailure COutsideFile::Check(const std::string& path)
{
    if (path.empty())
        return {CFileFailure::NotFound, path};
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0)
        return ForErrno(path, errno);
    if (!S_ISREG(st.st_mode))
        return {CFileFailure::NotRegular, path};
    return {};
}
