#include "base/volumelist.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <map>
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
    std::string device;     // major:minor
    std::string fsRoot;     // the folder of the file system that is mounted
    std::string mountPoint; // with a trailing '/'
    std::string fsType;
    std::string source;
    bool readOnly = false;
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

// The mount table escapes blank, tab, newline and backslash as \ooo.
std::string unescapeOctal(std::string_view s)
{
    std::string out;
    out.reserve(s.size());
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\\' && i + 3 < s.size() && s[i + 1] >= '0' && s[i + 1] <= '3' &&
            s[i + 2] >= '0' && s[i + 2] <= '7' && s[i + 3] >= '0' && s[i + 3] <= '7') {
            out.push_back(
                static_cast<char>((s[i + 1] - '0') * 64 + (s[i + 2] - '0') * 8 + (s[i + 3] - '0')));
            i += 3;
        } else {
            out.push_back(s[i]);
        }
    }
    return out;
}

std::string withSlash(std::string path)
{
    if (path.empty() || path.back() != '/')
        path.push_back('/');
    return path;
}

std::vector<MountEntry> parseMountInfo(const std::string& text)
{
    std::vector<MountEntry> entries;
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        std::istringstream words(line);
        std::vector<std::string> fields;
        for (std::string w; words >> w;)
            fields.push_back(w);
        const auto dash = std::find(fields.begin(), fields.end(), "-");
        const size_t d = static_cast<size_t>(dash - fields.begin());
        if (fields.size() < 5 || dash == fields.end() || d < 6 || d + 2 >= fields.size())
            continue;
        MountEntry e;
        e.device = fields[2];
        e.fsRoot = unescapeOctal(fields[3]);
        e.mountPoint = withSlash(unescapeOctal(fields[4]));
        e.readOnly = ("," + fields[5] + ",").find(",ro,") != std::string::npos;
        e.fsType = fields[d + 1];
        e.source = unescapeOctal(fields[d + 2]);
        if (e.mountPoint[0] != '/')
            continue;
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
    if (isOneOf(e.fsType, kNetworkTypes)) {
        kind = CVolumeList::Network;
        return true;
    }
    if (isOneOf(e.fsType, kRamTypes)) {
        kind = CVolumeList::Ram;
        return !e.readOnly; // a RAM folder nobody can write holds nothing of the user's
    }
    const bool blockDevice = startsWith(e.source, "/dev/");
    if (!blockDevice && !isOneOf(e.fsType, kPoolTypes))
        return false; // proc, sysfs, cgroup, fuse helpers, ...
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
}

std::vector<CVolumeList::Volume> CVolumeList::SelectorVolumes() const
{
    std::vector<Volume> out;
    std::copy_if(m_volumes.begin(), m_volumes.end(), std::back_inserter(out),
                 [](const Volume& v) { return v.kind != Optical; });
    return out;
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
