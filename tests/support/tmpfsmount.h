#pragma once

// A small tmpfs of its own at a folder, for tests of full disks (mounting
// needs the right to, which the test machines have as root; a test skips
// when it cannot mount). Unmounted at the end. Fill() takes all its room
// but `leaveBytes` with a filler file.

#include <cerrno>
#include <fcntl.h>
#include <string>
#include <sys/mount.h>
#include <sys/statvfs.h>
#include <unistd.h>
#include <vector>

class CTmpfsMount
{
public:
    CTmpfsMount(const std::string& folder, const char* size) : m_folder(folder)
    {
        const std::string options = std::string("size=") + size;
        m_mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~CTmpfsMount()
    {
        if (m_mounted)
            umount2(m_folder.c_str(), MNT_DETACH);
    }
    CTmpfsMount(const CTmpfsMount&) = delete;
    CTmpfsMount& operator=(const CTmpfsMount&) = delete;

    bool Mounted() const { return m_mounted; }

    // Fills the file system up to `leaveBytes` of free room (0: full); an
    // earlier filling is undone first.
    bool Fill(size_t leaveBytes)
    {
        const std::string filler = m_folder + "/.filler";
        unlink(filler.c_str());
        const int fd = open(filler.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0)
            return false;
        const std::vector<char> block(64 * 1024, 'f');
        size_t written = 0;
        for (;;) {
            const ssize_t n = write(fd, block.data(), block.size());
            if (n > 0) {
                written += size_t(n);
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            break;
        }
        // Smaller pieces for the last partial block.
        for (;;) {
            const ssize_t n = write(fd, block.data(), 512);
            if (n <= 0)
                break;
            written += size_t(n);
        }
        bool ok = true;
        if (leaveBytes > 0)
            ok = written >= leaveBytes && ftruncate(fd, off_t(written - leaveBytes)) == 0;
        close(fd);
        return ok;
    }

    uint64_t FreeBytes() const
    {
        struct statvfs vfs
        {
        };
        if (statvfs(m_folder.c_str(), &vfs) != 0)
            return 0;
        return uint64_t(vfs.f_bavail) * vfs.f_frsize;
    }

private:
    std::string m_folder;
    bool m_mounted = false;
};
