#include "browser/browserfileops.h"

#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/userprompt.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <stdio.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

std::string trimmed(const std::string& text)
{
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

std::string withoutSlash(std::string path)
{
    RemoveBackslash(path);
    return path;
}

// Whether `inner` is `outer` or lies below it, by the paths' own words.
bool isSameOrBelow(const fs::path& inner, const fs::path& outer)
{
    auto i = inner.begin();
    for (auto o = outer.begin(); o != outer.end(); ++o, ++i) {
        if (o->empty())
            continue; // a trailing '/'
        if (i == inner.end() || *i != *o)
            return false;
    }
    return true;
}

} // namespace

bool CBrowserFileOps::Rename(const std::string& path, const std::string& newName,
                             std::string& newPath)
{
    const std::string name = trimmed(newName);
    if (!IsValidFileName(m_prompt, name))
        return false;
    const fs::path oldPath(withoutSlash(path));
    newPath = (oldPath.parent_path() / name).string();
    if (newPath == oldPath.string())
        return true;
    // RENAME_NOREPLACE: an existing item of the new name is never replaced,
    // also when it appears between a check and the rename.
    if (::renameat2(AT_FDCWD, oldPath.c_str(), AT_FDCWD, newPath.c_str(), RENAME_NOREPLACE) != 0) {
        const int error = errno;
        if (error == EEXIST)
            AskUser(m_prompt, MsgId::ItemExists, CUserPrompt::Exclamation, CUserPrompt::Ok, name,
                    oldPath.parent_path().string());
        else
            AskUser(m_prompt, MsgId::RenameFailed, CUserPrompt::Error, CUserPrompt::Ok,
                    oldPath.string(), std::strerror(error));
        return false;
    }
    return true;
}

bool CBrowserFileOps::CanDropInto(const std::vector<std::string>& files, const std::string& folder)
{
    if (files.empty() || folder.empty())
        return false;
    std::error_code ec;
    const fs::path target = fs::weakly_canonical(withoutSlash(folder), ec);
    for (const std::string& file : files) {
        const fs::path source = fs::weakly_canonical(withoutSlash(file), ec);
        if (source.parent_path() == target || isSameOrBelow(target, source))
            return false;
    }
    return true;
}

bool CBrowserFileOps::CopyOrMove(const std::vector<std::string>& files, const std::string& folder,
                                 bool move)
{
    if (!CanDropInto(files, folder)) {
        AskUser(m_prompt, MsgId::DropOntoSource, CUserPrompt::Exclamation, CUserPrompt::Ok);
        return false;
    }
    bool allDone = true;
    const fs::path target(withoutSlash(folder));
    for (const std::string& file : files) {
        const fs::path source(withoutSlash(file));
        const fs::path destination = target / source.filename();
        std::error_code ec;
        if (fs::symlink_status(destination, ec).type() != fs::file_type::not_found) {
            AskUser(m_prompt, MsgId::ItemExists, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    source.filename().string(), target.string());
            allDone = false;
            continue;
        }
        bool done = false;
        int error = 0;
        if (move && ::renameat2(AT_FDCWD, source.c_str(), AT_FDCWD, destination.c_str(),
                                RENAME_NOREPLACE) == 0) {
            done = true;
        } else if (error = move ? errno : 0; !move || error == EXDEV) {
            // Another volume: copy everything, and only then remove the source.
            fs::copy(source, destination,
                     fs::copy_options::recursive | fs::copy_options::copy_symlinks, ec);
            done = !ec;
            // The copy's own reason: errno may be left by any later call.
            error = ec.value();
            if (done && move)
                fs::remove_all(source, ec);
            if (!done)
                fs::remove_all(destination, ec); // nothing half copied stays
        }
        if (!done) {
            AskUser(m_prompt, MsgId::CopyMoveFailed, CUserPrompt::Error, CUserPrompt::Ok,
                    source.string(), std::strerror(error ? error : EIO));
            allDone = false;
        }
    }
    return allDone;
}
