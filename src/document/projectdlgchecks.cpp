#include "document/projectdlgchecks.h"

#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/safefile.h"
#include "base/samepath.h"
#include "base/userprompt.h"

#include <array>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <dirent.h>
#include <filesystem>
#include <sys/stat.h>
#include <system_error>
#include <unistd.h>

namespace {

// A path of this many characters or more is refused.
constexpr size_t kPathLimit = 260;

// red, green, blue of the 16 entries
constexpr std::array<std::array<uint8_t, 3>, 16> kColors{{
    {0, 0, 0},
    {128, 0, 0},
    {0, 128, 0},
    {128, 128, 0},
    {0, 0, 128},
    {128, 0, 128},
    {0, 128, 128},
    {192, 192, 192},
    {128, 128, 128},
    {255, 0, 0},
    {0, 255, 0},
    {255, 255, 0},
    {0, 0, 255},
    {255, 0, 255},
    {0, 255, 255},
    {255, 255, 255},
}};

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// Characters, not bytes: a UTF-8 sequence counts once.
size_t characters(const std::string& s)
{
    size_t n = 0;
    for (unsigned char c : s)
        if ((c & 0xC0) != 0x80)
            ++n;
    return n;
}

bool isAsciiAlnum(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

bool isFolder(const std::string& path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool exists(const std::string& path)
{
    struct stat st
    {
    };
    return ::stat(path.c_str(), &st) == 0;
}

CProjectDlgChecks::Outcome refuse(CUserPrompt* prompt, int id, CProjectDlgChecks::Focus where,
                                  CProjectDlgChecks::Focus& focus, const std::string& insert = {})
{
    AskUser(prompt, id, CUserPrompt::Exclamation, CUserPrompt::Ok, insert);
    focus = where;
    return CProjectDlgChecks::Refused;
}

// An absolute, normalised path without '.' and '..' parts; "" when the
// folder cannot be made absolute.
std::string fullPath(const std::string& folder)
{
    if (folder.find('\0') != std::string::npos)
        return {};
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(std::filesystem::path(folder), ec);
    if (ec)
        return {};
    return p.lexically_normal().string();
}

// The nearest folder of `path` (itself or a parent) that exists.
std::string nearestExisting(std::string path)
{
    while (!path.empty() && !exists(path)) {
        const size_t slash = path.find_last_of('/');
        if (slash == std::string::npos)
            return {};
        path = slash == 0 ? std::string("/") : path.substr(0, slash);
    }
    return path;
}

// Creates the folder and every missing parent; on failure `failed` names the
// folder that could not be made.
bool createWithParents(const std::string& folder, std::string& failed)
{
    for (size_t i = 1; i <= folder.size(); ++i) {
        if (i < folder.size() && folder[i] != '/')
            continue;
        const std::string prefix = folder.substr(0, i);
        if (isFolder(prefix))
            continue;
        if (::mkdir(prefix.c_str(), 0777) != 0 && !(errno == EEXIST && isFolder(prefix))) {
            failed = prefix;
            return false;
        }
    }
    return true;
}

} // namespace

uint32_t CProjectDlgChecks::BackColorAt(int index)
{
    if (index < 0 || index >= BackColorCount)
        return 0;
    const auto& c = kColors[size_t(index)];
    return uint32_t(c[0]) | (uint32_t(c[1]) << 8) | (uint32_t(c[2]) << 16);
}

int CProjectDlgChecks::BackColorIndex(uint32_t color)
{
    for (int i = 0; i < BackColorCount; ++i)
        if (BackColorAt(i) == (color & 0xFFFFFFu) && (color >> 24) == 0)
            return i;
    return -1;
}

std::string CProjectDlgChecks::ProposedFolder(const std::string& baseFolder,
                                              const std::string& name)
{
    std::string base = baseFolder;
    AddBackslash(base);
    return base + name;
}

std::string CProjectDlgChecks::ParentFolder(const std::string& folder)
{
    std::string f = folder;
    while (f.size() > 1 && f.back() == '/')
        f.pop_back();
    const size_t slash = f.find_last_of('/');
    if (slash == std::string::npos)
        return {};
    return f.substr(0, slash + 1);
}

CProjectDlgChecks::Outcome CProjectDlgChecks::CheckProject(CUserPrompt* prompt, std::string& name,
                                                           std::string& folder, bool editMode,
                                                           const std::string& currentFolder,
                                                           Focus& focus)
{
    return Check(editMode ? Kind::Properties : Kind::NewProject, prompt, name, folder,
                 currentFolder, focus);
}

CProjectDlgChecks::Outcome CProjectDlgChecks::CheckSaveAs(CUserPrompt* prompt, std::string& name,
                                                          std::string& folder,
                                                          const std::string& currentFolder,
                                                          Focus& focus)
{
    return Check(Kind::SaveAs, prompt, name, folder, currentFolder, focus);
}

CProjectDlgChecks::Outcome CProjectDlgChecks::Check(Kind kind, CUserPrompt* prompt,
                                                    std::string& name, std::string& folder,
                                                    const std::string& currentFolder, Focus& focus)
{
    focus = FocusNone;
    // The lengths the dialog's fields allow.
    if (characters(name) > size_t(MaxNameLength))
        return refuse(prompt, MsgId::EnterFewerCharacters, FocusName, focus,
                      std::to_string(MaxNameLength));
    if (characters(folder) > size_t(MaxFolderLength))
        return refuse(prompt, MsgId::EnterFewerCharacters, FocusFolder, focus,
                      std::to_string(MaxFolderLength));

    size_t lead = 0;
    while (lead < name.size() && isBlank(name[lead]))
        ++lead;
    name.erase(0, lead);
    if (name.empty())
        return refuse(prompt, MsgId::ProjectNameMissing, FocusName, focus);
    // Letters and digits only, as the name field lets through.
    for (char c : name)
        if (!isAsciiAlnum(c))
            return refuse(prompt, MsgId::ProjectNameInvalid, FocusName, focus);

    if (folder.empty())
        return refuse(prompt, MsgId::ProjectFolderMissing, FocusFolder, focus);
    std::string full = fullPath(folder);
    if (full.empty())
        return refuse(prompt, MsgId::ProjectFolderUnusable, FocusFolder, focus);
    while (full.size() > 1 && full.back() == '/')
        full.pop_back();
    {
        const size_t slash = full.find_last_of('/');
        size_t start = slash + 1, end = start;
        while (end < full.size() && isBlank(full[end]))
            ++end;
        full.erase(start, end - start);
        while (full.size() > 1 && full.back() == '/')
            full.pop_back();
    }
    folder = full;

    // The volume must be readable from the nearest existing folder on.
    const std::string existing = nearestExisting(folder);
    if (existing.empty() || !isFolder(existing))
        return refuse(prompt, MsgId::ProjectFolderUnusable, FocusFolder, focus);
    if (DIR* dir = ::opendir(existing.c_str())) {
        ::closedir(dir);
    } else {
        const int code = errno;
        ShowSystemError(prompt, code);
        focus = FocusFolder;
        return Refused;
    }

    const bool sameAsCurrent = !currentFolder.empty() && IsSamePath(folder, currentFolder);
    if (kind == Kind::Properties && sameAsCurrent) {
        folder = currentFolder;
        AddBackslash(folder);
        return Accepted;
    }
    if (kind == Kind::SaveAs && sameAsCurrent)
        return refuse(prompt, MsgId::ChooseOtherFolder, FocusFolder, focus);
    if (kind != Kind::SaveAs && characters(folder) >= kPathLimit)
        return refuse(prompt, MsgId::ProjectFolderUnusable, FocusFolder, focus);
    if (characters(folder) + 1 + characters(name) + 4 >= kPathLimit)
        return refuse(prompt, MsgId::ProjectNameInvalid, FocusName, focus);

    // A folder that holds what an interrupted Save as or Project properties
    // of this program left is taken again without the question: nothing in
    // it is the user's to lose.
    std::string marker = folder;
    AddBackslash(marker);
    marker += CSafeFile::kUnfinishedMarker;
    const bool interrupted = isFolder(folder) && ::access(marker.c_str(), F_OK) == 0;
    if (interrupted) {
        // taken as it is
    } else if (isFolder(folder)) {
        switch (AskUser(prompt, MsgId::AskUseExistingFolder, CUserPrompt::Question,
                        CUserPrompt::YesNoCancel, folder)) {
        case CUserPrompt::AnswerYes:
            break;
        case CUserPrompt::AnswerCancel:
            return Cancelled;
        default:
            focus = FocusFolder;
            return Refused;
        }
    } else {
        std::string failed;
        if (!createWithParents(folder, failed))
            return refuse(prompt, MsgId::FolderNotCreated, FocusFolder, focus, failed);
    }

    if (char* real = ::realpath(folder.c_str(), nullptr)) {
        folder = real;
        std::free(real);
    }
    AddBackslash(folder);
    return Accepted;
}
