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
    // Stands in a folder while a project is being copied into it (Save as,
    // Project properties); a folder that still has it after the program
    // ended holds an interrupted copy.
    static constexpr const char* kUnfinishedMarker = ".zelmcopy-unfinished";

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
    // Whether Commit waits until the data is on the disk (the default). A
    // staging file that is copied on, durably, before anything relies on it
    // does not need to: its write is checked all the same.
    void SetDurable(bool durable) { m_durable = durable; }
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

    // The last write of this process that failed (by any thread), so that a
    // command whose work failed deep down (an import on a worker) can still
    // tell the user which file could not be written and why. `error` 0:
    // none since the last ClearLastFailure.
    struct Failure
    {
        std::string path;
        int error = 0;
    };
    static Failure LastFailure();
    static void ClearLastFailure();
    // Records a failure found before writing (no room for the file).
    static void NoteFailure(const std::string& path, int error);

    // Waits until every file written to the volume holding `folder` is on
    // it: one wait for many files written without one each. False, with the
    // failure noted for LastFailure, when the volume reports a write error
    // (since Linux 5.8 those met since its last flush, a card pulled
    // half-way among them).
    static bool FlushVolume(const std::string& folder);
    // Waits until the files `names` of `folder` (trailing '/'), written
    // without a wait each, and the folder's entries are on the disk; unlike
    // FlushVolume it never waits for other programs' writes. False, with the
    // failure noted for the file it met, on a write error.
    static bool FlushFiles(const std::string& folder, const std::vector<std::string>& names);

    // Writes `bytes` as the whole content of `path`. `error` receives the
    // system's error number on failure.
    static bool WriteAll(const std::string& path, const QByteArray& bytes, int* error = nullptr,
                         bool durable = true);

    // Temporaries left in `folder` (trailing '/') by an interrupted writer:
    // ".zelmcopy-*", and "NAME.XXXXXX" (six letters or digits) for each of
    // `ownedNames` (the temporaries of the platform's own safe writer).
    // Full paths. With `minAgeSeconds`, only those not written to for that
    // long: in a folder that other programs may write at the same time
    // (two projects in one folder), a temporary being written is younger.
    static std::vector<std::string> FindLeftovers(const std::string& folder,
                                                  const std::vector<std::string>& ownedNames = {},
                                                  int minAgeSeconds = 0);
    // Removes them; false when one could not be removed.
    static bool RemoveLeftovers(const std::string& folder,
                                const std::vector<std::string>& ownedNames = {},
                                int minAgeSeconds = 0);
    // The age from which a temporary in a project folder is a leftover.
    static constexpr int kProjectLeftoverAge = 120;

private:
    void Fail(int error);

    std::string m_path;
    std::string m_temp;
    int m_fd = -1;
    int m_error = 0;
    unsigned m_mode = 0644;
    bool m_modeSet = false;
    bool m_durable = true;
    timespec m_mtime{};
    bool m_mtimeSet = false;
};
