#pragma once

#include <cstdint>
#include <string>

class CUserPrompt;

// Path and file helpers used by every part that touches files. Paths are
// UTF-8; folders are kept with a trailing '/'. The "drive root" of a path is
// the mount point of the volume that holds it (see CVolumeList::RootOf).
//
// Attributes map onto Linux as follows: read-only means no write permission
// (for the current user, and for root too when the file has no write bit at
// all, so root sees a chmod a-w file as read-only like everybody else);
// hidden means a name starting with '.'; "system" files do not exist.

// Status of one file. Times are ordinary time values (seconds since 1970,
// UTC based; shown in local time by whoever formats them), as
// FileTimeToLocalSeconds gives them; a creation or access time of 0 takes
// the last-write time.
struct CFileStatus
{
    int64_t ctime = 0;
    int64_t mtime = 0;
    int64_t atime = 0;
    uint32_t size = 0;     // 32-bit, as the stored formats carry it; larger files read 0xFFFFFFFF
    uint8_t attribute = 0; // see GetFileAttributesByte
    std::string fullPath;
};

// Attribute bits (masked with 0x7F) as the stored formats know them.
enum FileAttributeBits : uint8_t
{
    AttrReadOnly = 0x01,
    AttrHidden = 0x02,
    AttrSystem = 0x04, // never set here
    AttrDirectory = 0x10,
    AttrArchive = 0x20, // never set here
};

// Appends '/' unless the path already ends with one; an empty path stays
// empty (it must not turn into the file system's root).
void AddBackslash(std::string& path);
// Removes one final '/' unless the path is "/" itself.
void RemoveBackslash(std::string& path);

// true when `path` is an existing file (not a folder) that can be opened for
// reading and writing (readOnly false) or for reading (readOnly true). Decided
// from access() and the permission bits, never by opening, so a read-only
// file is not "existing" with readOnly false, for root as well.
bool FileExists(const std::string& path, bool readOnly = false);
// true when a file or folder of that name exists. A last component with '*'
// or '?' is a pattern (ASCII case ignored), true when something matches.
bool PathExists(const std::string& path);
// true when `folder` is a folder that can be listed.
bool FolderExists(const std::string& folder);
bool GetFileSize32(const std::string& path, uint32_t& size);
bool GetFileAttributesByte(const std::string& path, uint8_t& attributes);
// The directory entry of `path` as the file system gives it: times without
// conversion (0 where the file system keeps none), fullPath the path as given.
// `data` is reset first.
bool FindFileData(const std::string& path, CFileStatus& data);
// The status of `path`: fullPath is the absolute, normalised path; fails for
// an empty or invalid path or a missing file.
bool GetFileStatus(const std::string& path, CFileStatus& status);
// A file time (seconds since 1970, UTC) taken through the local calendar
// and back, as the stored formats keep file times: the same instant when it
// can be represented; 0 when the conversion fails or the local year is
// before 1900, -1 when the seconds cannot be formed again.
int64_t FileTimeToLocalSeconds(int64_t utcSeconds);
// Sets the last-write time (a value as FileTimeToLocalSeconds gives it) and
// the read-only attribute (other bits have no meaning here); false on error.
bool SetAttributesAndTime(const std::string& path, uint8_t attributes, int64_t localSeconds);
// Copies `source` over `destination` (through a temporary file in the
// destination's folder, so a failed copy never leaves half a file), then
// gives the copy the source's permissions with write permission and the
// source's last-write time (failures of that second step are ignored).
// false when either path is empty, the destination is a read-only file or
// the copy fails.
bool CopyFileKeepTime(const std::string& source, const std::string& destination,
                      bool durable = true);
// Deletes every entry of `folder` that is neither a folder nor hidden; not
// recursive. false when the folder cannot be listed or a file stays.
bool EmptyFolder(const std::string& folder);
// Sum of the sizes of the files EmptyFolder would delete; 0 for "".
uint64_t FolderSize(const std::string& folder);
// Free space on the volume holding `root` (its mount point, or any file or
// folder on it, existing or not) is at least `need`. Unless quiet, shows 7106
// when short, or the system's text when the free space cannot be read.
bool CheckDiskSpace(CUserPrompt* prompt, const std::string& root, uint64_t need, bool quiet);
// Tests that the volume holding `path` is there: its mount point and the
// folder of `path` (the path itself when it ends in '/') can be listed.
// Otherwise shows the system's text with Retry / Cancel; Retry tests again.
bool EnsureDriveReady(CUserPrompt* prompt, const std::string& path);
// Shows the system's text for `errorCode` (an errno value) with the
// information icon; nothing without a prompt.
void ShowSystemError(CUserPrompt* prompt, int errorCode);
// false for "", for a name with one of \ / : , ; * ? " < > | or a control
// character (7102), and for a name that is only an extension or only dots
// (7103).
bool IsValidFileName(CUserPrompt* prompt, const std::string& name);

// The file name of a source path, also of one written on Windows
// ("C:\\Pics\\beach.jpg" gives "beach.jpg"); a path starting with '/' is
// split at '/' only.
std::string SourceFileName(const std::string& path);
// `name` with every character a card or a Windows disk refuses in a file
// name (\ / : * ? " < > | and control characters) replaced by '_'.
std::string SafeFileName(const std::string& name);

// base + lower-case hexadecimal stamp + extension; "" on failure. The base is
// the source's file name (SourceFileName, made safe) without extension, cut (never inside a UTF-8
// sequence) so that base and stamp fit 15 bytes and the whole path 259; the
// extension is `extension`, else the source's. `stampOffset` is added to the
// current second: callers that find a name taken try the following stamps
// instead of waiting for the clock (ReserveUniqueName does all of that).
std::string MakeUniqueName(const std::string& folder, const std::string& source,
                           const std::string& extension = {}, int64_t stampOffset = 0);
// The same with the stamp made from `stampSeconds`.
std::string MakeUniqueNameAt(const std::string& folder, const std::string& source,
                             const std::string& extension, int64_t stampSeconds);
// A name from MakeUniqueName that is free in `folder` (and in `alsoFreeIn`
// when given), reserved by creating it as an empty file with an exclusive
// create: parallel workers and processes never get the same name. Tries the
// stamps of the current second and the following ones (bounded); "" when no
// name can be had or the folder cannot be written. The caller overwrites the
// empty file and deletes it if it ends up unused.
std::string ReserveUniqueName(const std::string& folder, const std::string& source,
                              const std::string& extension, const std::string& alsoFreeIn = {});

// The longest prefix of `text` of at most `maxBytes` bytes that does not end
// inside a UTF-8 sequence.
std::string CutUtf8(const std::string& text, size_t maxBytes);

// Removes every white-space character before the first `delimiter` (the whole
// line when there is none); the delimiter and the rest stay unchanged.
std::string StripKeyBlanks(const std::string& line, char delimiter);
// Splits at the first '=' (or takes the whole line as key, value empty) and
// trims white space at both ends of key and value.
void SplitKeyValue(const std::string& line, std::string& key, std::string& value);
