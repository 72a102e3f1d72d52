#include "output/cardfolder.h"

#include "base/asciicase.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

namespace {

bool kindMatches(const fs::directory_entry& entry, CCardFolder::EntryKind kind)
{
    std::error_code ec;
    switch (kind) {
    case CCardFolder::FileEntry:
        return entry.is_regular_file(ec);
    case CCardFolder::FolderEntry:
        return entry.is_directory(ec);
    case CCardFolder::AnyEntry:
        break;
    }
    return true;
}

} // namespace

bool CCardFolder::IsPlainName(const std::string& name)
{
    if (name.empty() || name == "." || name == "..")
        return false;
    return name.find_first_of(std::string("/\\\0", 3)) == std::string::npos;
}

std::string CCardFolder::BaseName(const std::string& name)
{
    const size_t dot = name.rfind('.');
    return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

std::string CCardFolder::Find(const std::string& folder, const std::string& name, EntryKind kind)
{
    if (folder.empty() || !IsPlainName(name))
        return {};
    std::error_code ec;
    // The exact name first: it is what a case-sensitive system finds, and
    // the only answer when two names differ by case alone.
    const fs::directory_entry exact(fs::path(folder + name), ec);
    if (!ec && exact.exists(ec) && kindMatches(exact, kind))
        return folder + name;
    fs::directory_iterator it(fs::path(folder), ec);
    if (ec)
        return {};
    std::vector<std::string> matches;
    for (const fs::directory_entry& entry : it) {
        const std::string entryName = entry.path().filename().string();
        if (CAsciiCase::Equal(entryName, name) && kindMatches(entry, kind))
            matches.push_back(entryName);
    }
    if (matches.empty())
        return {};
    std::sort(matches.begin(), matches.end());
    return folder + matches.front();
}

std::string CCardFolder::PathFor(const std::string& folder, const std::string& name, EntryKind kind)
{
    const std::string found = Find(folder, name, kind);
    return found.empty() ? folder + name : found;
}

std::vector<std::string> CCardFolder::FilesWithExtension(const std::string& folder,
                                                         const std::string& extension)
{
    std::vector<std::string> names;
    std::error_code ec;
    fs::directory_iterator it(fs::path(folder), ec);
    if (ec)
        return names;
    for (const fs::directory_entry& entry : it) {
        if (!entry.is_regular_file(ec))
            continue;
        const std::string name = entry.path().filename().string();
        if (name.size() > extension.size() &&
            CAsciiCase::Equal(name.substr(name.size() - extension.size()), extension))
            names.push_back(name);
    }
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        return CAsciiCase::Upper(a) < CAsciiCase::Upper(b);
    });
    return names;
}
