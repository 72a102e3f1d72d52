#include "base/pathutils.h"

#include "base/createdfilejournal.h"
#include "base/msgid.h"
#include "base/safefile.h"
#include "base/userprompt.h"
#include "base/volumelist.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <fnmatch.h>
#include <string_view>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

constexpr int kMaxPath = 259;        // longest path a generated name may make
constexpr int kMaxBaseAndStamp = 15; // base name and stamp together
constexpr int kReserveTries = 4096;  // stamps tried before giving up on a name
constexpr std::string_view kBadNameChars = "\\/:,;*?\"<>|";

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

std::string trimmed(std::string_view s)
{
    size_t b = 0, e = s.size();
    while (b < e && isBlank(s[b]))
        ++b;
    while (e > b && isBlank(s[e - 1]))
        --e;
    return std::string(s.substr(b, e - b));
}

// A path with a NUL inside cannot reach the system intact.
bool usable(const std::string& path)
{
    return !path.empty() && path.find('\0') == std::string::npos;
}

std::string nameOf(const std::string& path)
{
    std::string p = path;
    while (p.size() > 1 && p.back() == '/')
        p.pop_back();
    const size_t slash = p.rfind('/');
    return slash == std::string::npos ? p : p.substr(slash + 1);
}

bool isHiddenName(const std::string& name)
{
    return !name.empty() && name[0] == '.' && name != "." && name != "..";
}

// No write permission for this user, or no write bit at all (so root, whom
// access() always lets write, still sees a chmod a-w file as read-only).
bool isWriteProtected(const std::string& path, const struct stat& st)
{
    return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
}

uint8_t attributesOf(const std::string& path, const struct stat& st)
{
    uint8_t a = 0;
    if (isWriteProtected(path, st))
        a |= AttrReadOnly;
    if (isHiddenName(nameOf(path)))
        a |= AttrHidden;
    if (S_ISDIR(st.st_mode))
        a |= AttrDirectory;
    return a;
}

uint32_t size32(const struct stat& st)
{
    if (S_ISDIR(st.st_mode) || st.st_size < 0)
        return 0;
    return st.st_size > 0xFFFFFFFFLL ? 0xFFFFFFFFu : static_cast<uint32_t>(st.st_size);
}

// Creation time where the file system keeps one, else 0.
int64_t birthTime(const std::string& path)
{
#ifdef STATX_BTIME
    struct statx sx
    {
    };
    if (statx(AT_FDCWD, path.c_str(), 0, STATX_BTIME, &sx) == 0 && (sx.stx_mask & STATX_BTIME))
        return sx.stx_btime.tv_sec;
#else
    (void)path;
#endif
    return 0;
}

bool hasPattern(const std::string& name)
{
    return name.find_first_of("*?") != std::string::npos;
}

// The entries of a folder that EmptyFolder and FolderSize deal with: neither
// folders nor hidden. `visit` gets the full path and the entry's status
// (symbolic links themselves, never their targets).
template <typename Visit> bool forEachPlainFile(const std::string& folder, Visit visit)
{
    std::string dir = folder;
    AddBackslash(dir);
    DIR* d = opendir(dir.c_str());
    if (!d)
        return false;
    bool ok = true;
    while (const dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        if (name == "." || name == ".." || isHiddenName(name))
            continue;
        const std::string full = dir + name;
        struct stat st
        {
        };
        if (lstat(full.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
            continue;
        if (!visit(full, st))
            ok = false;
    }
    closedir(d);
    return ok;
}

std::string systemText(int code)
{
    return std::generic_category().message(code);
}

// The deepest existing folder on the way to `path` ("." for a relative path
// whose first part is missing).
std::string nearestExisting(const std::string& path)
{
    fs::path p = fs::path(path).lexically_normal();
    std::error_code ec;
    while (!p.empty()) {
        if (fs::exists(p, ec))
            return p.string();
        const fs::path parent = p.parent_path();
        if (parent == p)
            break;
        p = parent;
    }
    return path.empty() || path[0] != '/' ? "." : "/";
}

// errno of the first of `folders` that cannot be listed, 0 when all can.
int firstUnreadable(const std::vector<std::string>& folders)
{
    for (const std::string& f : folders) {
        DIR* d = opendir(f.c_str());
        if (!d)
            return errno ? errno : EIO;
        closedir(d);
    }
    return 0;
}

} // namespace

void AddBackslash(std::string& path)
{
    if (!path.empty() && path.back() != '/')
        path.push_back('/');
}

void RemoveBackslash(std::string& path)
{
    if (path.size() > 1 && path.back() == '/')
        path.pop_back();
}

bool FileExists(const std::string& path, bool readOnly)
{
    struct stat st
    {
    };
    if (!usable(path) || stat(path.c_str(), &st) != 0 || S_ISDIR(st.st_mode))
        return false;
    if (access(path.c_str(), R_OK) != 0)
        return false;
    return readOnly || !isWriteProtected(path, st);
}

bool PathExists(const std::string& path)
{
    if (!usable(path))
        return false;
    struct stat st
    {
    };
    if (lstat(path.c_str(), &st) == 0)
        return true;
    const std::string name = nameOf(path);
    if (!hasPattern(name) || path.back() == '/')
        return false;
    const size_t slash = path.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    DIR* d = opendir(dir.c_str());
    if (!d)
        return false;
    bool found = false;
    while (const dirent* e = readdir(d)) {
        if (std::strcmp(e->d_name, ".") != 0 && std::strcmp(e->d_name, "..") != 0 &&
            fnmatch(name.c_str(), e->d_name, FNM_CASEFOLD | FNM_NOESCAPE) == 0) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
}

bool FolderExists(const std::string& folder)
{
    if (!usable(folder))
        return false;
    return firstUnreadable({folder}) == 0;
}

bool GetFileSize32(const std::string& path, uint32_t& size)
{
    struct stat st
    {
    };
    if (!usable(path) || stat(path.c_str(), &st) != 0)
        return false;
    size = size32(st);
    return true;
}

bool GetFileAttributesByte(const std::string& path, uint8_t& attributes)
{
    struct stat st
    {
    };
    if (!usable(path) || stat(path.c_str(), &st) != 0)
        return false;
    attributes = attributesOf(path, st) & 0x7F;
    return true;
}

bool FindFileData(const std::string& path, CFileStatus& data)
{
    data = CFileStatus{};
    struct stat st
    {
    };
    if (!usable(path) || stat(path.c_str(), &st) != 0)
        return false;
    data.mtime = st.st_mtime;
    data.atime = st.st_atime;
    data.ctime = birthTime(path);
    data.size = size32(st);
    data.attribute = attributesOf(path, st) & 0x7F;
    data.fullPath = path;
    return true;
}

bool GetFileStatus(const std::string& path, CFileStatus& status)
{
    if (!usable(path))
        return false;
    std::error_code ec;
    const fs::path full = fs::absolute(path, ec).lexically_normal();
    if (ec)
        return false;
    CFileStatus found;
    if (!FindFileData(path, found))
        return false;
    status = CFileStatus{};
    status.mtime = FileTimeToLocalSeconds(found.mtime);
    status.ctime = found.ctime ? FileTimeToLocalSeconds(found.ctime) : 0;
    status.atime = found.atime ? FileTimeToLocalSeconds(found.atime) : 0;
    if (status.ctime == 0)
        status.ctime = status.mtime;
    if (status.atime == 0)
        status.atime = status.mtime;
    status.size = found.size;
    status.attribute = found.attribute;
    status.fullPath = full.string();
    return true;
}

int64_t FileTimeToLocalSeconds(int64_t utcSeconds)
{
    const time_t t = static_cast<time_t>(utcSeconds);
    struct tm local
    {
    };
    if (!localtime_r(&t, &local) || local.tm_year < 0)
        return 0;
    // Keep the daylight-saving flag of the instant: in the repeated hour of
    // autumn mktime would otherwise be free to pick the other one.
    const time_t back = mktime(&local);
    if (back == static_cast<time_t>(-1))
        return -1;
    return back;
}

bool SetAttributesAndTime(const std::string& path, uint8_t attributes, int64_t localSeconds)
{
    struct stat st
    {
    };
    if (!usable(path) || stat(path.c_str(), &st) != 0)
        return false;
    const mode_t writeBits = S_IWUSR | S_IWGRP | S_IWOTH;
    mode_t mode = st.st_mode & 07777;
    if (attributes & AttrReadOnly)
        mode &= ~writeBits;
    else if ((mode & writeBits) == 0)
        mode |= S_IWUSR;
    if (mode != (st.st_mode & 07777) && chmod(path.c_str(), mode) != 0)
        return false;
    const struct timespec times[2] = {{0, UTIME_OMIT}, {static_cast<time_t>(localSeconds), 0}};
    return utimensat(AT_FDCWD, path.c_str(), times, 0) == 0;
}

bool CopyFileKeepTime(const std::string& source, const std::string& destination, bool durable)
{
    if (!usable(source) || !usable(destination) || destination.back() == '/')
        return false;
    struct stat dst
    {
    };
    if (stat(destination.c_str(), &dst) == 0 &&
        (S_ISDIR(dst.st_mode) || isWriteProtected(destination, dst)))
        return false;
    const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return false;
    struct stat src
    {
    };
    if (fstat(in, &src) != 0 || !S_ISREG(src.st_mode)) {
        close(in);
        return false;
    }
    CSafeFile out(destination);
    out.SetDurable(durable);
    // The copy keeps the source's permissions (and stays writable) and its time.
    out.SetMode((src.st_mode & 07777) | S_IWUSR);
    out.SetModifiedTime(src.st_mtim);
    if (!out.Open()) {
        close(in);
        return false;
    }
    bool ok = true;
    std::array<char, 1 << 16> buffer;
    for (;;) {
        const ssize_t n = read(in, buffer.data(), buffer.size());
        if (n == 0)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            ok = false;
            break;
        }
        if (!out.Write(buffer.data(), static_cast<size_t>(n))) {
            ok = false;
            break;
        }
    }
    const int readError = errno;
    close(in);
    if (!ok) {
        out.Cancel();
        errno = out.Error() ? out.Error() : readError;
        return false;
    }
    if (!out.Commit()) {
        errno = out.Error();
        return false;
    }
    return true;
}

bool EmptyFolder(const std::string& folder)
{
    if (!usable(folder))
        return false;
    return forEachPlainFile(folder, [](const std::string& full, const struct stat&) {
        return unlink(full.c_str()) == 0 || errno == ENOENT;
    });
}

uint64_t FolderSize(const std::string& folder)
{
    uint64_t total = 0;
    if (!usable(folder))
        return 0;
    forEachPlainFile(folder, [&](const std::string& full, const struct stat& st) {
        struct stat target
        {
        };
        if (S_ISLNK(st.st_mode)) {
            if (stat(full.c_str(), &target) == 0 && S_ISREG(target.st_mode))
                total += static_cast<uint64_t>(target.st_size);
        } else if (S_ISREG(st.st_mode)) {
            total += static_cast<uint64_t>(st.st_size);
        }
        return true;
    });
    return total;
}

bool CheckDiskSpace(CUserPrompt* prompt, const std::string& root, uint64_t need, bool quiet)
{
    struct statvfs vfs
    {
    };
    const std::string probe = nearestExisting(root);
    if (!usable(root) || statvfs(probe.c_str(), &vfs) != 0) {
        const int code = usable(root) ? errno : ENOENT;
        if (!quiet)
            ShowSystemError(prompt, code);
        return false;
    }
    const uint64_t freeBytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
    if (freeBytes >= need)
        return true;
    if (!quiet)
        AskUser(prompt, MsgId::NotEnoughSpace, CUserPrompt::Exclamation, CUserPrompt::Ok);
    return false;
}

bool EnsureDriveReady(CUserPrompt* prompt, const std::string& path)
{
    if (!usable(path))
        return false;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "./" : path.substr(0, slash + 1);
    for (;;) {
        const int code = firstUnreadable({CVolumeList::RootOf(path), folder});
        if (code == 0)
            return true;
        if (!prompt)
            return false;
        if (prompt->Show(0, systemText(code), CUserPrompt::Exclamation, CUserPrompt::RetryCancel) !=
            CUserPrompt::AnswerRetry)
            return false;
    }
}

void ShowSystemError(CUserPrompt* prompt, int errorCode)
{
    if (prompt)
        prompt->Show(0, systemText(errorCode), CUserPrompt::Information, CUserPrompt::Ok);
}

bool IsValidFileName(CUserPrompt* prompt, const std::string& name)
{
    if (name.empty())
        return false;
    const bool badChar = std::any_of(name.begin(), name.end(), [](char c) {
        return kBadNameChars.find(c) != std::string_view::npos ||
               static_cast<unsigned char>(c) < 0x20 || c == 0x7F;
    });
    if (badChar) {
        AskUser(prompt, MsgId::FileNameBadCharacters, CUserPrompt::Error, CUserPrompt::Ok,
                "\t" + std::string(kBadNameChars));
        return false;
    }
    const size_t dot = name.rfind('.');
    const std::string base = trimmed(dot == std::string::npos ? name : name.substr(0, dot));
    // "." and ".." name folders of their own; a name of dots is no name.
    if (base.empty() || base.find_first_not_of('.') == std::string::npos) {
        AskUser(prompt, MsgId::FileNameMissing, CUserPrompt::Error, CUserPrompt::Ok);
        return false;
    }
    return true;
}

std::string CutUtf8(const std::string& text, size_t maxBytes)
{
    if (text.size() <= maxBytes)
        return text;
    size_t n = maxBytes;
    // Step back over at most three continuation bytes to the start of the
    // sequence that would be split.
    for (int i = 0; i < 3 && n > 0 && (static_cast<unsigned char>(text[n]) & 0xC0) == 0x80; ++i)
        --n;
    if ((static_cast<unsigned char>(text[n]) & 0xC0) == 0x80)
        n = maxBytes; // not UTF-8 here; cut at the byte limit
    return text.substr(0, n);
}

std::string SourceFileName(const std::string& path)
{
    // A path of this system starts at the root; any other one may have been
    // written on Windows ("C:\\Pics\\beach.jpg", "\\\\server\\share\\a.jpg",
    // "D:beach.jpg"), where a backslash and a drive colon also separate.
    if (!path.empty() && path.front() == '/')
        return nameOf(path);
    const size_t cut = path.find_last_of(path.size() >= 2 && path[1] == ':' ? "/\\:" : "/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

std::string SafeFileName(const std::string& name)
{
    std::string out = name;
    for (char& c : out) {
        const unsigned char u = static_cast<unsigned char>(c);
        if (u < 0x20 || u == 0x7F || std::strchr("\\/:*?\"<>|", c))
            c = '_';
    }
    return out;
}

std::string MakeUniqueNameAt(const std::string& folder, const std::string& source,
                             const std::string& extension, int64_t stampSeconds)
{
    if (folder.empty() || source.empty())
        return {};
    const std::string file = SafeFileName(SourceFileName(source));
    const size_t dot = file.rfind('.');
    std::string base = dot == std::string::npos ? file : file.substr(0, dot);
    const std::string ext = !extension.empty()
                                ? extension
                                : (dot == std::string::npos ? std::string() : file.substr(dot));
    char buf[32];
    std::snprintf(buf, sizeof buf, "%llx", static_cast<unsigned long long>(stampSeconds));
    std::string stamp = buf;

    const int stampLen = static_cast<int>(stamp.size());
    base = CutUtf8(base, static_cast<size_t>(std::max(0, kMaxBaseAndStamp - stampLen)));

    const int folderLen = static_cast<int>(folder.size()) + (folder.back() == '/' ? 0 : 1);
    const int room = kMaxPath - folderLen - static_cast<int>(ext.size());
    if (room <= 0)
        return {};
    if (static_cast<int>(base.size()) + stampLen > room) {
        if (room < stampLen) {
            base.clear();
            stamp = stamp.substr(stamp.size() - static_cast<size_t>(room));
        } else {
            base = CutUtf8(base, static_cast<size_t>(room - stampLen));
        }
    }
    return base + stamp + ext;
}

std::string MakeUniqueName(const std::string& folder, const std::string& source,
                           const std::string& extension, int64_t stampOffset)
{
    return MakeUniqueNameAt(folder, source, extension,
                            static_cast<int64_t>(std::time(nullptr)) + stampOffset);
}

std::string ReserveUniqueName(const std::string& folder, const std::string& source,
                              const std::string& extension, const std::string& alsoFreeIn)
{
    if (!usable(folder))
        return {};
    std::string dir = folder, other = alsoFreeIn;
    AddBackslash(dir);
    AddBackslash(other);
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    for (int offset = 0; offset < kReserveTries; ++offset) {
        const std::string name = MakeUniqueNameAt(folder, source, extension, now + offset);
        if (name.empty())
            return {};
        if ((!other.empty() && PathExists(other + name)) || PathExists(dir + name))
            continue;
        // A file made for a cell not saved yet: the project's journal lets
        // the next open remove it should this program die first. It is
        // noted before it exists, as a kill between the two steps must not
        // leave a file no journal names.
        CCreatedFileJournal::NoteCreated(dir, name);
        const int fd = open((dir + name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            close(fd);
            return name;
        }
        const int error = errno;
        CCreatedFileJournal::NoteNotCreated(dir, name);
        if (error != EEXIST)
            return {};
    }
    return {};
}

std::string StripKeyBlanks(const std::string& line, char delimiter)
{
    const size_t at = line.find(delimiter);
    const size_t end = at == std::string::npos ? line.size() : at;
    std::string out;
    out.reserve(line.size());
    for (size_t i = 0; i < end; ++i)
        if (!isBlank(line[i]))
            out.push_back(line[i]);
    out.append(line, end, std::string::npos);
    return out;
}

void SplitKeyValue(const std::string& line, std::string& key, std::string& value)
{
    const size_t eq = line.find('=');
    if (eq == std::string::npos) {
        key = trimmed(line);
        value.clear();
        return;
    }
    key = trimmed(std::string_view(line).substr(0, eq));
    value = trimmed(std::string_view(line).substr(eq + 1));
}
