#pragma once

#include "base/filelock.h"

#include <memory>
#include <string>

// The lock a program holds on a project while it may change it: the hidden
// file ".NAME.sic.lock" beside the project file NAME.sic. The command line
// takes it for every command that changes a project, the window program for
// every project it has open; readers (info, list, check, copy --to-file) do
// not take it. A crashed holder leaves no lock behind (see CFileLock).
class CProjectLock
{
public:
    // How long a command waits for another program to finish with a project.
    static constexpr int kDefaultWaitMs = 3000;

    CProjectLock() = default;
    // Releases the lock when held.
    ~CProjectLock() = default;
    CProjectLock(const CProjectLock&) = delete;
    CProjectLock& operator=(const CProjectLock&) = delete;

    // The lock file of `projectFile`.
    static std::string LockPathOf(const std::string& projectFile);

    // Takes the lock of `projectFile`, waiting up to `waitMs` while another
    // holder has it. A lock held on another project (the one before a Save
    // as) is given up only once the new one is held; on failure it is kept.
    // true when held.
    bool Acquire(const std::string& projectFile, int waitMs = kDefaultWaitMs);
    void Release();
    bool IsHeld() const { return m_lock && m_lock->IsHeld(); }
    // The project file the held lock protects; "" when none is held.
    std::string ProjectFile() const { return IsHeld() ? m_projectFile : std::string(); }

    // Why the last Acquire failed, the holder when known, and the message
    // for the user naming the project (and the holder or the system's
    // reason); "" after a success.
    CFileLock::Failure LastFailure() const { return m_failure; }
    const std::string& Holder() const { return m_holder; }
    std::string FailureMessage() const;
    // The number of that message (7180 or 7183), 0 after a success.
    int FailureMessageId() const;

    // Whether any program (this one included) holds the lock of `projectFile`.
    static bool IsLocked(const std::string& projectFile);

private:
    std::unique_ptr<CFileLock> m_lock;
    std::string m_projectFile;
    std::string m_attempted;
    CFileLock::Failure m_failure = CFileLock::Failure::None;
    std::string m_holder;
    std::string m_errorText;
};
