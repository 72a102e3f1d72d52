#pragma once

#include <cstdint>
#include <string>

class CUserPrompt;

// Path and file helpers used by every part that touches files. Paths are
// UTF-8; folders are kept with a trailing '/'.

// Status of one file. Times are local seconds since 1970 (see
// FileTimeToLocalSeconds); a creation or access time of 0 takes the
// last-write time.
struct CFileStatus
{
    int64_t ctime = 0;
    int64_t mtime = 0;
    int64_t atime = 0;
    uint32_t size = 0;       // 32-bit, as the stored formats carry it
    uint8_t attribute = 0;   // see GetFileAttributesByte
    std::string fullPath;
};

// Attribute bits (masked with 0x7F) as the stored formats know them.
enum FileAttributeBits : uint8_t {
    AttrReadOnly = 0x01,
    AttrHidden = 0x02,
    AttrSystem = 0x04,
    AttrDirectory = 0x10,
    AttrArchive = 0x20,
};

void AddBackslash(std::string& path);
void RemoveBackslash(std::string& path);
// true when the file exists and can be opened for reading and writing
// (readOnly false) or for reading (readOnly true).
bool FileExists(const std::string& path, bool readOnly = false);
bool PathExists(const std::string& path);
bool FolderExists(const std::string& folder);
bool GetFileSize32(const std::string& path, uint32_t& size);
bool GetFileAttributesByte(const std::string& path, uint8_t& attributes);
bool FindFileData(const std::string& path, CFileStatus& data);
bool GetFileStatus(const std::string& path, CFileStatus& status);
// A file time (seconds since 1970, UTC) as local seconds since 1970: 0 when
// the conversion fails or the year is before 1900, -1 when the fields are
// out of range.
int64_t FileTimeToLocalSeconds(int64_t utcSeconds);
// Sets the last-write time (local seconds) and the attributes; false on error.
bool SetAttributesAndTime(const std::string& path, uint8_t attributes, int64_t localSeconds);
bool CopyFileKeepTime(const std::string& source, const std::string& destination);
bool EmptyFolder(const std::string& folder);
uint64_t FolderSize(const std::string& folder);
// Free space on the volume holding `root`; shows 7106 (or the system's text)
// through `prompt` unless quiet.
bool CheckDiskSpace(CUserPrompt* prompt, const std::string& root, uint64_t need, bool quiet);
// Tests that the volume holding `path` is there; asks Retry / Cancel.
bool EnsureDriveReady(CUserPrompt* prompt, const std::string& path);
void ShowSystemError(CUserPrompt* prompt, int errorCode);
bool IsValidFileName(CUserPrompt* prompt, const std::string& name);
// base + lower-case hexadecimal stamp + extension; "" on failure. `stampOffset`
// is added to the current second: callers that find a name taken try the
// following stamps instead of waiting for the clock.
std::string MakeUniqueName(const std::string& folder, const std::string& source,
                           const std::string& extension = {}, int64_t stampOffset = 0);
std::string StripKeyBlanks(const std::string& line, char delimiter);
void SplitKeyValue(const std::string& line, std::string& key, std::string& value);
