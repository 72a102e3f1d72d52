#pragma once

#include "output/cardidentity.h"

#include <QByteArray>
#include <cstdint>
#include <string>
#include <vector>

// A folder of a card, opened from the card's root without following links:
// every name below the root is reached through the folder it stands in
// (openat and friends with O_NOFOLLOW), so a link on the card, or another
// volume mounted on one of its folders, can never carry a write or a
// deletion off the card. Once opened, the folder stays the one the user
// chose even when something else is mounted at its path later.
class CCardDir
{
public:
    enum EntryType
    {
        Missing,
        File,
        Folder,
        Link,
        Other // a device, a pipe, or a folder of another volume
    };

    // The system's reason for the last failed call, and the name it was about.
    struct Failure
    {
        std::string path;
        int error = 0;
    };

    CCardDir() = default;
    ~CCardDir();
    CCardDir(CCardDir&& other) noexcept;
    CCardDir& operator=(CCardDir&& other) noexcept;
    CCardDir(const CCardDir&) = delete;
    CCardDir& operator=(const CCardDir&) = delete;

    // Opens the card's root (trailing '/'), following the links of the path
    // to it, as the user chose it.
    bool OpenRoot(const std::string& root);
    // Opens the folder `name` of this one; a link, or a folder of another
    // volume, is refused (EXDEV for the latter, ELOOP for a link).
    CCardDir OpenFolder(const std::string& name) const;

    bool IsOpen() const { return m_fd >= 0; }
    // The path the folder was opened at (trailing '/'), for messages.
    const std::string& Path() const { return m_path; }
    CCardIdentity Identity() const;
    // Whether the path still leads to this folder (the card was not taken
    // out or replaced under its mount point).
    bool StillAt(const std::string& path) const;

    EntryType TypeOf(const std::string& name) const;
    // Whether the link `name` of the folder `root` leads off the card: out
    // of its folder, to another volume, or nowhere that can be told.
    static bool LinkLeaves(const std::string& root, const std::string& name);
    // The entry named `name` without regard to ASCII case (an exact match
    // first), of any type; "" when there is none.
    std::string Find(const std::string& name) const;
    // The names of the folder's entries, "." and ".." left out.
    std::vector<std::string> Names() const;
    // Reads the plain file `name` (at most `maxSize` bytes); false when it is
    // none or cannot be read.
    bool ReadFile(const std::string& name, qsizetype maxSize, QByteArray& bytes) const;
    // The size of the plain file `name`; 0 when it is none.
    uint64_t SizeOf(const std::string& name) const;

    bool MakeFolder(const std::string& name);
    // Removes a file or a link (never what a link points to).
    bool RemoveFile(const std::string& name);
    // Removes an empty folder.
    bool RemoveFolder(const std::string& name);
    // Renames within this folder, replacing a file named `to`.
    bool Rename(const std::string& from, const std::string& to);
    // Moves the entry `name` into the folder `target` (same volume).
    bool MoveInto(const std::string& name, const CCardDir& target);

    // Writes `bytes` as the new file `name`, which must not exist yet. The
    // file's checksum is kept for Verify.
    bool WriteNew(const std::string& name, const QByteArray& bytes);
    // Copies the file at `source` (a path off the card) to the new file `name`.
    bool CopyNew(const std::string& source, const std::string& name);
    // Waits until everything written to the card is on it.
    bool Flush();
    // Reads every file this object wrote back from the device, not from the
    // page cache, and compares it with what was written. The first file that
    // differs or cannot be read is the failure (EBADMSG for a difference).
    bool Verify();
    // The names written, with their size and checksum.
    struct Written
    {
        std::string name;
        uint64_t size = 0;
        uint32_t crc = 0;
    };
    const std::vector<Written>& WrittenFiles() const { return m_written; }

    const Failure& LastFailure() const { return m_failure; }

private:
    bool Fail(const std::string& name, int error);
    bool WriteFd(int fd, const char* data, size_t size, uint32_t& crc);

    int m_fd = -1;
    std::string m_path;
    std::vector<Written> m_written;
    Failure m_failure;
};
