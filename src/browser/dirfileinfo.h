#pragma once

#include <cstdint>
#include <string>

// One entry of a folder listing: a file, a folder or, at the top level, a
// volume. Attribute words keep the bit values the browser has always used,
// so the sort and drag rules read the same everywhere.
class CDirFileInfo
{
public:
    // Shell attribute bits.
    static constexpr uint32_t ShellCanCopy = 0x00000001u;
    static constexpr uint32_t ShellCanRename = 0x00000010u;
    static constexpr uint32_t ShellLink = 0x00010000u;
    static constexpr uint32_t ShellFileSysAncestor = 0x10000000u;
    static constexpr uint32_t ShellFolder = 0x20000000u;
    static constexpr uint32_t ShellFileSystem = 0x40000000u;
    static constexpr uint32_t ShellHasSubfolder = 0x80000000u;
    // File attribute bit of a directory.
    static constexpr uint32_t AttrDirectory = 0x10u;
    // State flags of one fill or update.
    static constexpr uint32_t FlagAdded = 1u;
    static constexpr uint32_t FlagSeen = 2u;

    // Column numbers of Compare and of the list's columns.
    enum Column
    {
        ColumnName = 1,
        ColumnSize = 2,
        ColumnType = 3,
        ColumnDate = 4
    };

    std::string Name;     // file name as the file system has it (bytes)
    std::string TypeName; // readable kind of the item
    std::string Path;     // full path; for a volume its mount point with '/'
    uint64_t Size = 0;
    int64_t LastWriteTime = 0; // nanoseconds since 1970, UTC
    uint32_t FileAttributes = 0;
    uint32_t ShellAttributes = 0;
    uint32_t StateFlags = 0;

    bool IsDirectory() const { return (FileAttributes & AttrDirectory) != 0; }
    bool IsFolder() const { return (ShellAttributes & ShellFolder) != 0; }
    bool IsVolume() const { return (ShellAttributes & ShellFileSysAncestor) != 0; }

    // Last-write time in the user's short date and time format, "" for a
    // volume.
    std::string FormatDate() const;
    // Size in kilobytes rounded up, in the user's number format without
    // grouping; "" for folders and volumes. The caller adds "KB".
    std::string FormatSize() const;
    // Sort order against `other` by `column`: negative, 0 or positive.
    int Compare(const CDirFileInfo& other, int column, bool descending) const;
    // After the item in `folderPath` was given `newName`: takes the new name
    // and reads its kind, size and time again. false when it is gone.
    bool Reload(const std::string& folderPath, const std::string& newName);
    uint32_t SetFlags(uint32_t bits, bool on);

    // Reads size, time and attributes of the item at Path (following a
    // symbolic link); false when it cannot be read.
    bool ReadStatus();
};
