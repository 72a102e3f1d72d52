#include "base/volumelist.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <libmount/libmount.h>
#include <map>
#include <memory>
#include <sstream>
#include <string_view>
#include <sys/statvfs.h>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr const char* kMountInfo = "/proc/self/mountinfo";

// One line of the mount table.
struct MountEntry
{
    uint64_t device = 0;    // the mount table's major:minor
    std::string fsRoot;     // the folder of the file system that is mounted
    std::string mountPoint; // with a trailing '/'
    std::string fsType;
    std::string source;
    bool readOnly = false;
    bool network = false; // by libmount's own list of network file systems
    bool pseudo = false;  // by libmount's own list of pseudo file systems
};

bool startsWith(std::string_view s, std::string_view prefix)
{
    return s.substr(0, prefix.size()) == prefix;
}

template <size_t N> bool isOneOf(const std::string& s, const std::array<std::string_view, N>& set)
{
    return std::find(set.begin(), set.end(), s) != set.end();
}

constexpr std::array<std::string_view, 22> kNetworkTypes = {
    "nfs",           "nfs4",          "cifs",       "smb3",           "smbfs",
    "ncpfs",         "afs",           "ceph",       "glusterfs",      "9p",
    "lustre",        "sshfs",         "fuse.sshfs", "davfs",          "fuse.davfs",
    "fuse.davfs2",   "fuse.rclone",   "fuse.s3fs",  "fuse.glusterfs", "fuse.cephfs",
    "fuse.smbnetfs", "fuse.curlftpfs"};
constexpr std::array<std::string_view, 2> kRamTypes = {"tmpfs", "ramfs"};
constexpr std::array<std::string_view, 2> kOpticalTypes = {"iso9660", "udf"};
constexpr std::array<std::string_view, 3> kOverlayTypes = {"overlay", "aufs",
                                                           "fuse.fuse-overlayfs"};
// Read-only package images (snaps, live systems): not places to keep or send shows.
constexpr std::array<std::string_view, 3> kImageTypes = {"squashfs", "erofs", "cramfs"};
// Local file systems whose source need not be a device node.
constexpr std::array<std::string_view, 2> kPoolTypes = {"zfs", "bcachefs"};
// Where the system keeps mounts of its own.
constexpr std::array<std::string_view, 7> kSystemFolders = {"/proc/", "/sys/",  "/dev/", "/run/",
                                                            "/boot/", "/snap/", "/efi/"};

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    return path;
}

using Table = std::unique_ptr<libmnt_table, decltype(&mnt_unref_table)>;
using Iterator = std::unique_ptr<libmnt_iter, decltype(&mnt_free_iter)>;

std::string textOr(const char* s)
{
    return s ? std::string(s) : std::string();
}

// libmount takes the format from the first line it reads; a table of the
// kernel starts with a mount's two numbers, so lines before that are dropped
// rather than read as another format.
size_t firstMountLine(const std::string& text)
{
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find('\n', at), text.size());
        const std::string line = text.substr(at, end - at);
        unsigned a = 0, b = 0;
        if (std::sscanf(line.c_str(), "%u %u", &a, &b) == 2)
            return at;
        at = end + 1;
    }
    return text.size();
}

// The mounts of mount-table text (/proc/self/mountinfo format) as libmount
// reads them; lines it cannot read are left out.
std::vector<MountEntry> parseMountInfo(const std::string& text)
{
    std::vector<MountEntry> entries;
    std::string lines = text.substr(firstMountLine(text));
    if (lines.empty())
        return entries;
    FILE* stream = fmemopen(lines.data(), lines.size(), "r");
    if (!stream)
        return entries;
    Table table(mnt_new_table(), &mnt_unref_table);
    const bool parsed = table && mnt_table_parse_stream(table.get(), stream, "mountinfo") == 0;
    std::fclose(stream);
    if (!parsed)
        return entries;
    Iterator it(mnt_new_iter(MNT_ITER_FORWARD), &mnt_free_iter);
    libmnt_fs* mount = nullptr;
    while (it && mnt_table_next_fs(table.get(), it.get(), &mount) == 0) {
        MountEntry e;
        e.device = uint64_t(mnt_fs_get_devno(mount));
        e.fsRoot = textOr(mnt_fs_get_root(mount));
        e.mountPoint = textOr(mnt_fs_get_target(mount));
        e.fsType = textOr(mnt_fs_get_fstype(mount));
        e.source = textOr(mnt_fs_get_source(mount));
        const char* options = mnt_fs_get_vfs_options(mount);
        e.readOnly = options && mnt_optstr_get_option(options, "ro", nullptr, nullptr) == 0;
        e.network = mnt_fs_is_netfs(mount) != 0;
        e.pseudo = mnt_fs_is_pseudofs(mount) != 0;
        if (e.mountPoint.empty() || e.mountPoint[0] != '/' || e.fsType.empty())
            continue;
        e.mountPoint = withSlash(e.mountPoint);
        entries.push_back(std::move(e));
    }
    return entries;
}

bool inSystemFolder(const std::string& mountPoint)
{
    if (startsWith(mountPoint, "/run/media/")) // removable media on some distributions
        return false;
    return std::any_of(kSystemFolders.begin(), kSystemFolders.end(),
                       [&](std::string_view f) { return startsWith(mountPoint, f); });
}

bool isFuse(const std::string& fsType)
{
    return fsType == "fuse" || fsType == "fuseblk" || startsWith(fsType, "fuse.");
}

// Where desktops mount the media a user plugs in, also through a user-space
// file system (a card's exFAT by exfat-fuse, a phone by its FUSE driver).
bool inMediaFolder(const std::string& mountPoint)
{
    for (std::string_view folder : {"/media/", "/run/media/"})
        if (mountPoint.size() > folder.size() && startsWith(mountPoint, folder))
            return true;
    return false;
}

// The kind of a mount that is storage; false for everything that is not.
bool classify(const MountEntry& e, const CVolumeList::Probe& probe, CVolumeList::Kind& kind)
{
    if (isOneOf(e.fsType, kImageTypes))
        return false;
    if (isOneOf(e.fsType, kOverlayTypes)) {
        kind = CVolumeList::Fixed;
        return e.mountPoint == "/";
    }
    if (inSystemFolder(e.mountPoint))
        return false;
    if (e.network || isOneOf(e.fsType, kNetworkTypes)) {
        kind = CVolumeList::Network;
        return true;
    }
    if (isOneOf(e.fsType, kRamTypes)) {
        kind = CVolumeList::Ram;
        return !e.readOnly; // a RAM folder nobody can write holds nothing of the user's
    }
    const bool fuse = isFuse(e.fsType);
    // libmount counts "fuse" itself as pseudo; FUSE mounts are judged below.
    if (e.pseudo && !fuse)
        return false;
    const bool blockDevice = startsWith(e.source, "/dev/");
    if (!blockDevice) {
        // A user-space file system without a device node is media only
        // where the desktop mounts media; elsewhere it is a helper of the
        // system (lxcfs, portals, mounted program images).
        if (fuse && inMediaFolder(e.mountPoint)) {
            kind = CVolumeList::Removable;
            return true;
        }
        if (!isOneOf(e.fsType, kPoolTypes))
            return false; // proc, sysfs, cgroup, ...
    }
    if (isOneOf(e.fsType, kOpticalTypes))
        kind = CVolumeList::Optical;
    else if (blockDevice && probe.isRemovable && probe.isRemovable(e.source))
        kind = CVolumeList::Removable;
    else
        kind = CVolumeList::Fixed;
    return true;
}

bool readText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream s;
    s << in.rdbuf();
    text = s.str();
    return true;
}

std::string firstLine(const std::string& path)
{
    std::string text;
    if (!readText(path, text))
        return {};
    return text.substr(0, text.find('\n'));
}

// udev escapes blanks and other bytes in /dev/disk/by-label names as \xHH.
std::string unescapeHex(const std::string& s)
{
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] == 'x' &&
            std::isxdigit(static_cast<unsigned char>(s[i + 2])) &&
            std::isxdigit(static_cast<unsigned char>(s[i + 3]))) {
            out.push_back(static_cast<char>(std::stoi(s.substr(i + 2, 2), nullptr, 16)));
            i += 3;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

// Device node (resolved) -> file-system label.
std::map<std::string, std::string> deviceLabels()
{
    std::map<std::string, std::string> labels;
    std::error_code ec;
    for (fs::directory_iterator it("/dev/disk/by-label", ec), end; !ec && it != end;
         it.increment(ec)) {
        const fs::path target = fs::canonical(it->path(), ec);
        if (!ec)
            labels[target.string()] = unescapeHex(it->path().filename().string());
        ec.clear();
    }
    return labels;
}

std::string canonicalOr(const std::string& path)
{
    std::error_code ec;
    const fs::path c = fs::canonical(path, ec);
    return ec ? path : c.string();
}

} // namespace

bool CVolumeList::Load()
{
    m_volumes.clear();
    m_mounts.clear();
    std::string text;
    if (!readText(kMountInfo, text))
        return false;
    LoadFrom(text, SystemProbe());
    const auto labels = deviceLabels();
    for (Volume& v : m_volumes) {
        if (v.kind == Network) {
            v.label = v.source;
        } else if (startsWith(v.source, "/dev/")) {
            const auto found = labels.find(canonicalOr(v.source));
            if (found != labels.end())
                v.label = found->second;
        }
        struct statvfs vfs
        {
        };
        if (statvfs(v.root.c_str(), &vfs) == 0) {
            v.freeBytes = static_cast<uint64_t>(vfs.f_bavail) * vfs.f_frsize;
            v.totalBytes = static_cast<uint64_t>(vfs.f_blocks) * vfs.f_frsize;
        }
    }
    return true;
}

void CVolumeList::LoadFrom(const std::string& mountInfo, const Probe& probe)
{
    m_volumes = Parse(mountInfo, probe);
    m_mounts.clear();
    for (MountEntry& e : parseMountInfo(mountInfo))
        m_mounts.emplace_back(std::move(e.mountPoint), e.device);
}

std::vector<CVolumeList::Volume> CVolumeList::SelectorVolumes() const
{
    std::vector<Volume> out;
    std::copy_if(m_volumes.begin(), m_volumes.end(), std::back_inserter(out),
                 [](const Volume& v) { return v.kind != Optical; });
    return out;
}

uint64_t CVolumeList::DeviceOf(const std::string& path) const
{
    std::vector<std::string> points;
    for (const auto& mount : m_mounts)
        points.push_back(mount.first);
    const std::string root = RootOfIn(path, points);
    // The last mount on a point is the one that is seen.
    for (auto it = m_mounts.rbegin(); it != m_mounts.rend(); ++it)
        if (it->first == root)
            return it->second;
    return 0;
}

std::vector<CVolumeList::Volume> CVolumeList::CardVolumes(const std::string& home) const
{
    std::error_code ec;
    const fs::path homePath = home.empty() ? fs::path() : fs::weakly_canonical(home, ec);
    std::vector<uint64_t> system = {DeviceOf("/"), DeviceOf("/boot/")};
    if (!homePath.empty())
        system.push_back(DeviceOf(ec ? home : homePath.string()));
    std::vector<Volume> out;
    for (const Volume& v : m_volumes) {
        if (v.kind == Optical || v.kind == Network || v.root == "/" || v.root == "/boot/")
            continue;
        if (v.device != 0 && std::find(system.begin(), system.end(), v.device) != system.end())
            continue;
        out.push_back(v);
    }
    std::stable_partition(out.begin(), out.end(),
                          [](const Volume& v) { return v.kind == Removable; });
    return out;
}

std::vector<CVolumeList::Volume> CVolumeList::CardVolumes() const
{
    const char* home = std::getenv("HOME");
    return CardVolumes(home ? home : "");
}

std::vector<CVolumeList::Volume> CVolumeList::Parse(const std::string& mountInfo,
                                                    const Probe& probe)
{
    std::vector<MountEntry> entries = parseMountInfo(mountInfo);
    // A later mount on the same point hides the earlier one.
    for (size_t i = 0; i < entries.size(); ++i) {
        const bool hidden = std::any_of(
            entries.begin() + static_cast<std::ptrdiff_t>(i) + 1, entries.end(),
            [&](const MountEntry& later) { return later.mountPoint == entries[i].mountPoint; });
        if (hidden)
            entries[i].mountPoint.clear();
    }
    std::vector<std::pair<MountEntry, Kind>> listed;
    for (const MountEntry& e : entries) {
        Kind kind = Fixed;
        if (e.mountPoint.empty() || !classify(e, probe, kind))
            continue;
        if (probe.isFolder && !probe.isFolder(e.mountPoint))
            continue;
        // One device mounted at several places (bind mounts, subvolumes) is
        // one volume: keep the mount of its top folder, else the shortest.
        const auto same = std::find_if(listed.begin(), listed.end(),
                                       [&](const auto& l) { return l.first.device == e.device; });
        if (same == listed.end()) {
            listed.emplace_back(e, kind);
            continue;
        }
        const auto rank = [](const MountEntry& m) {
            return std::make_pair(m.fsRoot.size(), m.mountPoint.size());
        };
        if (rank(e) < rank(same->first))
            *same = {e, kind};
    }
    std::vector<Volume> volumes;
    for (const auto& [e, kind] : listed) {
        Volume v;
        v.root = e.mountPoint;
        v.source = e.source;
        v.fsType = e.fsType;
        v.kind = kind;
        v.device = e.device;
        volumes.push_back(std::move(v));
    }
    return volumes;
}

std::vector<std::string> CVolumeList::MountPoints(const std::string& mountInfo)
{
    std::vector<std::string> points;
    for (MountEntry& e : parseMountInfo(mountInfo))
        points.push_back(std::move(e.mountPoint));
    return points;
}

std::string CVolumeList::RootOfIn(const std::string& absolutePath,
                                  const std::vector<std::string>& mountPoints)
{
    const std::string path = withSlash(absolutePath);
    std::string best = "/";
    for (const std::string& mp : mountPoints)
        if (mp.size() > best.size() && startsWith(path, mp))
            best = mp;
    return best;
}

std::string CVolumeList::RootOf(const std::string& path)
{
    if (path.empty())
        return "/";
    std::error_code ec;
    fs::path full = fs::absolute(path, ec);
    if (ec)
        return "/";
    full = full.lexically_normal();
    // Follow the links of the part that exists; the rest is taken as written.
    fs::path existing = full, rest;
    while (!fs::exists(existing, ec) && existing.has_relative_path()) {
        rest = existing.filename() / rest;
        existing = existing.parent_path();
    }
    const fs::path resolved = (fs::canonical(existing, ec) / rest).lexically_normal();
    std::string text;
    if (!readText(kMountInfo, text))
        return "/";
    return RootOfIn(ec ? full.string() : resolved.string(), MountPoints(text));
}

const char* CVolumeList::KindName(Kind kind)
{
    switch (kind) {
    case Removable:
        return "removable";
    case Fixed:
        return "fixed";
    case Network:
        return "network";
    case Ram:
        return "ram";
    case Optical:
        return "optical";
    }
    return "fixed";
}

CVolumeList::Probe CVolumeList::SystemProbe()
{
    Probe probe;
    probe.isRemovable = [](const std::string& source) {
        const std::string node = canonicalOr(source);
        const std::string name = fs::path(node).filename().string();
        if (name.empty() || !startsWith(node, "/dev/"))
            return false;
        std::error_code ec;
        fs::path block = fs::canonical("/sys/class/block/" + name, ec);
        if (ec)
            return false;
        if (fs::exists(block / "partition", ec))
            block = block.parent_path(); // the disk that holds the partition
        if (firstLine((block / "removable").string()) == "1")
            return true;
        // Built-in SD slots report their cards as not removable; eMMC says "MMC".
        if (startsWith(block.filename().string(), "mmcblk"))
            return firstLine((block / "device/type").string()) == "SD";
        // Card readers and sticks on USB.
        return block.string().find("/usb") != std::string::npos;
    };
    probe.isFolder = [](const std::string& mountPoint) {
        std::error_code ec;
        return fs::is_directory(mountPoint, ec);
    };
    return probe;
}
