#pragma once

#include <string>

// An exclusive lock between programs, held on a lock file. The lock is the
// kernel's advisory lock on the open file, so it ends with the process that
// holds it: a program that crashes or is killed never leaves a lock behind,
// only a file that the next taker reuses. The holder writes who it is into
// the file (best effort: a full disk does not stop the lock) so that a
// refused taker can say who holds it.
//
// Locks are per object, not per process: two CFileLock objects on one file
// exclude each other even inside one program.
class CFileLock
{
public:
    enum class Failure
    {
        None,  // held, or never tried
        Busy,  // another holder kept it for the whole wait
        Error, // the lock file could not be made or locked (see ErrorText)
    };

    explicit CFileLock(std::string lockPath = {});
    // Releases the lock when held.
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // The lock file to use from now on; releases a lock held on another file.
    void SetPath(const std::string& lockPath);
    const std::string& Path() const { return m_path; }

    // Takes the lock, retrying for up to `waitMs` milliseconds while another
    // holder has it. true when held (also when it already was).
    bool Acquire(int waitMs = 0);
    // Gives the lock up and removes the lock file.
    void Release();
    bool IsHeld() const { return m_fd >= 0; }

    // Why the last Acquire failed.
    Failure LastFailure() const { return m_failure; }
    // The holder that kept the lock ("zelm, process 1234" or with " on HOST"
    // when it runs on another machine); "" when it did not say.
    const std::string& Holder() const { return m_holder; }
    // The system's reason when LastFailure() is Error.
    const std::string& ErrorText() const { return m_errorText; }

    // Whether a lock object (of any program, this one included) holds the
    // lock on `lockPath` now. A missing file is not held.
    static bool IsLockedByAnother(const std::string& lockPath);

private:
    enum class Attempt
    {
        Taken,
        Busy,
        Failed,
        Retry
    };
    Attempt TryOnce();
    void ReadHolder(int fd);
    void WriteHolder();

    std::string m_path;
    int m_fd = -1;
    Failure m_failure = Failure::None;
    std::string m_holder;
    std::string m_errorText;
};
