#include "output/cardlock.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "output/cardfolder.h"
#include "output/sfcfile.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>

namespace {

// The names of the root that are "AUTORUN.SFC" in any case: the card's file
// system may keep any of them.
std::vector<std::string> autorunNames(const std::string& root)
{
    std::vector<std::string> names{CSfcFile::FileName};
    if (DIR* dir = opendir(root.c_str())) {
        const std::string wanted = CSfcFile::FileName;
        while (const dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.size() <= wanted.size() + 1 || name[wanted.size()] != '.')
                continue;
            const std::string base = name.substr(0, wanted.size());
            if (base != wanted && CAsciiCase::Equal(base, wanted) &&
                std::find(names.begin(), names.end(), base) == names.end())
                names.push_back(base);
        }
        closedir(dir);
    }
    return names;
}

} // namespace

bool CCardLock::Acquire(const std::string& root, int waitMs)
{
    if (IsHeld() && root == m_root)
        return true;
    m_lock = std::make_unique<CFileLock>(root + kFileName);
    m_root = root;
    if (m_lock->Acquire(waitMs))
        return true;
    if (m_lock->LastFailure() != CFileLock::Failure::Error)
        return false;
    switch (m_lock->ErrorNumber()) {
    case EROFS:
    case EACCES:
    case EPERM:
    case ENOENT:
    case ENOTDIR:
        return true;
    default:
        return false;
    }
}

int CCardLock::FailureMessageId() const
{
    if (!m_lock)
        return 0;
    switch (m_lock->LastFailure()) {
    case CFileLock::Failure::None:
        return 0;
    case CFileLock::Failure::Busy:
        return MsgId::CardLocked;
    case CFileLock::Failure::Error:
        return MsgId::LockFileFailed;
    }
    return 0;
}

std::string CCardLock::FailureMessage() const
{
    if (!m_lock)
        return {};
    switch (m_lock->LastFailure()) {
    case CFileLock::Failure::None:
        return {};
    case CFileLock::Failure::Busy:
        return CResourceBundle::Format(MsgId::CardLocked, m_root,
                                       m_lock->Holder().empty()
                                           ? CResourceBundle::Text(MsgId::UnnamedHolder)
                                           : m_lock->Holder());
    case CFileLock::Failure::Error:
        return CResourceBundle::Format(MsgId::LockFileFailed, m_lock->Path(), m_lock->ErrorText());
    }
    return {};
}

std::vector<std::string> CCardLock::RootLeftovers(const std::string& root)
{
    return CSafeFile::FindLeftovers(root, autorunNames(root));
}

bool CCardLock::RemoveRootLeftovers(const std::string& root)
{
    return CSafeFile::RemoveLeftovers(root, autorunNames(root));
}
