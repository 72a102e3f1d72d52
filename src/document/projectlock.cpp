#include "document/projectlock.h"

#include "base/msgid.h"
#include "base/realfilepath.h"
#include "base/resourcebundle.h"

std::string CProjectLock::LockPathOf(const std::string& projectFile)
{
    const size_t slash = projectFile.rfind('/');
    const std::string folder =
        slash == std::string::npos ? std::string() : projectFile.substr(0, slash + 1);
    const std::string name =
        slash == std::string::npos ? projectFile : projectFile.substr(slash + 1);
    return folder + "." + name + ".lock";
}

bool CProjectLock::Acquire(const std::string& linkedFile, int waitMs)
{
    // One lock per real file, however the project was reached.
    const std::string projectFile = RealFilePath(linkedFile);
    const std::string path = LockPathOf(projectFile);
    if (IsHeld() && m_lock->Path() == path)
        return true;
    m_attempted = projectFile;
    auto lock = std::make_unique<CFileLock>(path);
    const bool taken = lock->Acquire(waitMs);
    m_failure = lock->LastFailure();
    m_holder = lock->Holder();
    m_errorText = lock->ErrorText();
    if (!taken)
        return false;
    m_lock = std::move(lock);
    m_projectFile = projectFile;
    return true;
}

void CProjectLock::Release()
{
    m_lock.reset();
    m_projectFile.clear();
}

std::string CProjectLock::FailureMessage() const
{
    switch (m_failure) {
    case CFileLock::Failure::None:
        return {};
    case CFileLock::Failure::Busy:
        return CResourceBundle::Format(
            MsgId::ProjectLocked, m_attempted,
            m_holder.empty() ? CResourceBundle::Text(MsgId::UnnamedHolder) : m_holder);
    case CFileLock::Failure::Error:
        return CResourceBundle::Format(MsgId::LockFileFailed, LockPathOf(m_attempted), m_errorText);
    }
    return {};
}

int CProjectLock::FailureMessageId() const
{
    switch (m_failure) {
    case CFileLock::Failure::None:
        return 0;
    case CFileLock::Failure::Busy:
        return MsgId::ProjectLocked;
    case CFileLock::Failure::Error:
        return MsgId::LockFileFailed;
    }
    return 0;
}

bool CProjectLock::IsLocked(const std::string& projectFile)
{
    return CFileLock::IsLockedByAnother(LockPathOf(RealFilePath(projectFile)));
}
