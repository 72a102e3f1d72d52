#include "browser/dirfilelist.h"

#include "base/slidesourcetypes.h"
#include "browser/filetypenames.h"
#include "browser/namepattern.h"
#include "presentation/officeversion.h"
#include "presentation/presentationreader.h"

#include <QDir>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <mutex>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

bool hasExtension(const std::string& name, const char* extension)
{
    const size_t length = std::char_traits<char>::length(extension);
    return name.size() >= length && strcasecmp(name.c_str() + name.size() - length, extension) == 0;
}

struct FoundItem
{
    std::string name;
    struct stat st;
    bool link;
};

} // namespace

CDirFileList::CDirFileList() : m_volumes(&CDirFileList::SystemVolumes) {}

std::vector<CVolumeList::Volume> CDirFileList::SystemVolumes()
{
    static std::mutex mutex;
    static std::string lastTable;
    static std::vector<CVolumeList::Volume> volumes;
    std::lock_guard<std::mutex> lock(mutex);
    QFile table(QStringLiteral("/proc/self/mountinfo"));
    if (!table.open(QIODevice::ReadOnly))
        return volumes;
    // A proc file has no size: read until the end.
    const std::string text = table.readAll().toStdString();
    if (text != lastTable) {
        lastTable = text;
        CVolumeList list;
        list.Load();
        volumes = list.Volumes();
    }
    return volumes;
}

CDirFileList::~CDirFileList() = default;

int CDirFileList::CheckModeForType(int typeIndex)
{
    switch (typeIndex) {
    case 0:
        return CheckByExtension;
    case 1:
        return CheckPowerPoint;
    case 4:
        return CheckWord;
    case 5:
        return CheckExcel;
    default:
        return CheckNone;
    }
}

bool CDirFileList::PassesCheck(const std::string& path, const std::string& name, int mode)
{
    switch (mode) {
    case CheckNone:
        return true;
    case CheckWord:
        return GetWordVersion(path) >= 8;
    case CheckExcel:
        return GetExcelVersion(path) >= 8;
    case CheckPowerPoint:
        return CPresentationReader::Check(path) >= 8;
    case CheckByExtension:
        if (CSlideSourceTypes::IsPresentation(name))
            return CPresentationReader::Check(path) >= 8;
        if (hasExtension(name, ".doc"))
            return GetWordVersion(path) >= 8;
        if (hasExtension(name, ".xls"))
            return GetExcelVersion(path) >= 8;
        return true;
    default:
        return true;
    }
}

void CDirFileList::Clear()
{
    m_entries.clear();
    m_byName.clear();
}

int CDirFileList::IndexOf(const CDirFileInfo* entry) const
{
    for (size_t i = 0; i < m_entries.size(); ++i) {
        if (m_entries[i].get() == entry)
            return int(i);
    }
    return -1;
}

CDirFileInfo* CDirFileList::FindByName(const std::string& name) const
{
    const auto found = m_byName.find(name);
    if (found != m_byName.end())
        return found->second;
    for (const auto& entry : m_entries) {
        if (strcasecmp(entry->Name.c_str(), name.c_str()) == 0)
            return entry.get();
    }
    return nullptr;
}

void CDirFileList::MarkEntry(int index, uint32_t bits)
{
    if (index >= 0 && index < GetCount())
        m_entries[size_t(index)]->StateFlags |= bits;
}

void CDirFileList::ClearFlags()
{
    for (auto& entry : m_entries)
        entry->StateFlags = 0;
}

std::vector<std::unique_ptr<CDirFileInfo>> CDirFileList::TakeGone()
{
    std::vector<std::unique_ptr<CDirFileInfo>> gone;
    auto keep = m_entries.begin();
    for (auto& entry : m_entries) {
        if (entry->StateFlags & (CDirFileInfo::FlagAdded | CDirFileInfo::FlagSeen)) {
            *keep++ = std::move(entry);
        } else {
            m_byName.erase(entry->Name);
            gone.push_back(std::move(entry));
        }
    }
    m_entries.erase(keep, m_entries.end());
    return gone;
}

std::unique_ptr<CDirFileInfo> CDirFileList::Take(CDirFileInfo* entry)
{
    const int index = IndexOf(entry);
    if (index < 0)
        return nullptr;
    auto taken = std::move(m_entries[size_t(index)]);
    m_entries.erase(m_entries.begin() + index);
    const auto found = m_byName.find(taken->Name);
    if (found != m_byName.end() && found->second == entry)
        m_byName.erase(found);
    return taken;
}

void CDirFileList::Rename(CDirFileInfo* entry, const std::string& oldName)
{
    const auto found = m_byName.find(oldName);
    if (found != m_byName.end() && found->second == entry)
        m_byName.erase(found);
    m_byName[entry->Name] = entry;
}

std::string CDirFileList::GetFolderPath() const
{
    std::string path = m_folderPath;
    if (!path.empty() && path.back() != '/')
        path += '/';
    return path;
}

CDirFileInfo* CDirFileList::Upsert(const std::string& name, bool& added)
{
    const auto found = m_byName.find(name);
    if (found != m_byName.end()) {
        added = false;
        return found->second;
    }
    added = true;
    auto entry = std::make_unique<CDirFileInfo>();
    entry->Name = name;
    CDirFileInfo* raw = entry.get();
    m_entries.push_back(std::move(entry));
    m_byName.emplace(name, raw);
    return raw;
}

bool CDirFileList::FillTopLevel()
{
    std::vector<std::pair<std::string, std::string>> places; // path, shown name
    const QString home = QDir::homePath();
    places.emplace_back(home.toStdString() + "/", QDir(home).dirName().toStdString());
    if (m_volumes) {
        for (const CVolumeList::Volume& volume : m_volumes())
            places.emplace_back(volume.root, volume.label.empty() ? volume.root : volume.label);
    }
    for (const auto& [path, shown] : places) {
        bool added = false;
        CDirFileInfo* entry = Upsert(path, added);
        entry->Path = path;
        entry->TypeName = shown;
        entry->FileAttributes = CDirFileInfo::AttrDirectory;
        entry->ShellAttributes = CDirFileInfo::ShellFileSysAncestor | CDirFileInfo::ShellFolder |
                                 CDirFileInfo::ShellFileSystem | CDirFileInfo::ShellHasSubfolder;
        entry->StateFlags |= added ? CDirFileInfo::FlagAdded : CDirFileInfo::FlagSeen;
    }
    return true;
}

bool CDirFileList::Fill(const std::string& folderPath, const std::string& patterns, bool full,
                        int checkMode)
{
    m_error = 0;
    if (full) {
        Clear();
        m_folderPath = folderPath;
    }
    ClearFlags();
    if (m_folderPath.empty())
        return FillTopLevel();

    const std::string folder = GetFolderPath();
    const int dirFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* dir = dirFd >= 0 ? ::fdopendir(dirFd) : nullptr;
    if (!dir) {
        m_error = errno;
        if (dirFd >= 0)
            ::close(dirFd);
        if (full)
            Clear();
        return false;
    }
    std::vector<FoundItem> folders;
    std::vector<FoundItem> files;
    errno = 0;
    while (dirent* item = ::readdir(dir)) {
        if (item->d_name[0] == '.')
            continue; // ".", ".." and hidden files
        FoundItem found{item->d_name, {}, item->d_type == DT_LNK};
        if (::fstatat(dirFd, item->d_name, &found.st, 0) != 0)
            continue; // a dangling link or a link loop: nothing to show
        if (item->d_type == DT_UNKNOWN) {
            struct stat link
            {
            };
            found.link = ::fstatat(dirFd, item->d_name, &link, AT_SYMLINK_NOFOLLOW) == 0 &&
                         S_ISLNK(link.st_mode);
        }
        if (S_ISDIR(found.st.st_mode))
            folders.push_back(std::move(found));
        else if (S_ISREG(found.st.st_mode))
            files.push_back(std::move(found)); // never devices, pipes or sockets
        errno = 0;
    }
    const int readError = errno;
    ::closedir(dir);
    if (readError != 0) {
        // The volume went away while it was read: nothing half listed.
        m_error = readError;
        if (full)
            Clear();
        return false;
    }

    auto fillEntry = [&](CDirFileInfo* entry, const FoundItem& found, bool directory) {
        entry->Path = folder + found.name;
        entry->Size = directory ? 0 : uint64_t(found.st.st_size);
        entry->LastWriteTime =
            int64_t(found.st.st_mtim.tv_sec) * 1000000000 + found.st.st_mtim.tv_nsec;
        entry->FileAttributes = directory ? CDirFileInfo::AttrDirectory : 0;
        uint32_t shell = CDirFileInfo::ShellFileSystem | CDirFileInfo::ShellCanRename;
        shell |= directory ? CDirFileInfo::ShellFolder : CDirFileInfo::ShellCanCopy;
        if (found.link)
            shell |= CDirFileInfo::ShellLink;
        entry->ShellAttributes = shell;
        entry->TypeName = CFileTypeNames::Instance().NameFor(found.name, directory);
    };

    for (const FoundItem& found : folders) {
        bool added = false;
        CDirFileInfo* entry = Upsert(found.name, added);
        fillEntry(entry, found, true);
        entry->StateFlags |= added ? CDirFileInfo::FlagAdded : CDirFileInfo::FlagSeen;
    }
    const CNamePattern pattern(patterns.empty() ? std::string("*.*") : patterns);
    for (const std::string& part : pattern.Parts()) {
        for (const FoundItem& found : files) {
            if (!CNamePattern::Matches(part, found.name))
                continue;
            const auto known = m_byName.find(found.name);
            if (known != m_byName.end() &&
                (known->second->StateFlags & (CDirFileInfo::FlagAdded | CDirFileInfo::FlagSeen)))
                continue; // listed by an earlier pattern
            if (!PassesCheck(folder + found.name, found.name, checkMode))
                continue;
            bool added = false;
            CDirFileInfo* entry = Upsert(found.name, added);
            fillEntry(entry, found, false);
            entry->StateFlags |= added ? CDirFileInfo::FlagAdded : CDirFileInfo::FlagSeen;
        }
    }
    return true;
}
