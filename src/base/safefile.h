#pragma once

#include <QByteArray>
#include <ctime>
#include <string>
#include <vector>

class CUserPrompt;

// Writes a file so that a failure at any step (a full disk, a removed card,
// a killed program) leaves the old file as it was: the bytes go to a hidden
// temporary file beside the target (".zelmcopy-" + random), every write, the
// sync and the close are checked, and only a complete copy is renamed over
// the target. A failed or cancelled file removes its temporary; a killed
// program leaves it behind for the next writer of that folder to remove
// (RemoveLeftovers).
class CSafeFile
{
public:
    // The start of every temporary name.
    static constexpr const char* kTempPrefix = ".zelmcopy-";

    explicit CSafeFile(std::string path);
    // Cancels unless committed.
    ~CSafeFile();
    CSafeFile(const CSafeFile&) = delete;
    CSafeFile& operator=(const CSafeFile&) = delete;

    // Makes the temporary file. Fails (EACCES) when the target exists and is
    // write-protected or is a folder.
    bool Open();
    bool Write(const char* data, size_t size);
    bool Write(const QByteArray& bytes) { return Write(bytes.constData(), size_t(bytes.size())); }
    // Permissions and last-write time the target takes on commit (default:
    // those of the file it replaces, else 0644 and now).
    void SetMode(unsigned mode)
    {
        m_mode = mode;
        m_modeSet = true;
    }
    void SetModifiedTime(const timespec& time)
    {
        m_mtime = time;
        m_mtimeSet = true;
    }
    // Syncs, closes and renames the temporary over the target. false, with
    // the target untouched and the temporary removed, when any step fails.
    bool Commit();
    void Cancel();

    const std::string& Path() const { return m_path; }
    // The system's error number of the first failure (ENOSPC: disk full).
    int Error() const { return m_error; }
    // The system's reason for the first failure, as text.
    std::string ErrorText() const;

    // Tells the user that `path` could not be written: message 7127 naming
    // the file, followed by the reason (7106 for a full disk, else the
    // system's text for `error`).
    static void ReportFailure(CUserPrompt* prompt, const std::string& path, int error);
    static std::string FailureText(const std::string& path, int error);

    // Writes `bytes` as the whole content of `path`. `error` receives the
    // system's error number on failure.
    static bool WriteAll(const std::string& path, const QByteArray& bytes, int* error = nullptr);

    // Temporaries left in `folder` (trailing '/') by an interrupted writer:
    // ".zelmcopy-*", and "NAME.XXXXXX" (six letters or digits) for each of
    // `ownedNames` (the temporaries of the platform's own safe writer).
    // Full paths.
    static std::vector<std::string> FindLeftovers(const std::string& folder,
                                                  const std::vector<std::string>& ownedNames = {});
    // Removes them; false when one could not be removed.
    static bool RemoveLeftovers(const std::string& folder,
                                const std::vector<std::string>& ownedNames = {});

private:
    std::string m_path;
    std::string m_temp;
    int m_fd = -1;
    int m_error = 0;
    unsigned m_mode = 0644;
    bool m_modeSet = false;
    timespec m_mtime{};
    bool m_mtimeSet = false;
};
