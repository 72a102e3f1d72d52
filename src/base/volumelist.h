#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

// The mounted volumes that stand for the drives of a drive selector: real
// storage from the mount table (read by libmount), each with its kind,
// label, mount point and free space. Pseudo file systems (proc, sysfs,
// cgroup, devpts...), system mounts under /proc, /sys, /dev, /run, /boot and
// /snap, package images (squashfs), user-space file systems outside the
// desktop's media folders and second mounts of one device are never listed;
// an overlay root (a container) is listed as a fixed volume so the machine
// is not empty. A user-space file system that the desktop mounted under
// /media or /run/media without a device node (a card or a phone through
// FUSE) counts as removable.
class CVolumeList
{
public:
    enum Kind
    {
        Removable,
        Fixed,
        Network,
        Ram,
        Optical
    };

    struct Volume
    {
        std::string root;   // mount point with a trailing '/'
        std::string label;  // file-system label, the share for network volumes, or ""
        std::string source; // the mounted device or share as the mount table names it
        std::string fsType;
        Kind kind = Fixed;
        uint64_t freeBytes = 0; // available to the user
        uint64_t totalBytes = 0;
        uint64_t device = 0; // the mount table's device number, 0 when unknown
    };

    // What the parser needs to know about the machine; tests give their own.
    struct Probe
    {
        // Whether the block device `source` ("/dev/sdb1") is removable media.
        std::function<bool(const std::string& source)> isRemovable;
        // Whether `mountPoint` is a folder (bind mounts of single files are
        // not volumes); everything counts as a folder when not set.
        std::function<bool(const std::string& mountPoint)> isFolder;
    };

    // Reads the mount table of this process and the volumes' labels and free
    // space. false when the mount table cannot be read.
    bool Load();
    // Takes the volumes of mount-table text, without labels or free space.
    void LoadFrom(const std::string& mountInfo, const Probe& probe);
    const std::vector<Volume>& Volumes() const { return m_volumes; }
    // The volumes a drive selector offers: all but optical ones.
    std::vector<Volume> SelectorVolumes() const;
    // The volumes a card can be chosen from: removable ones first, then the
    // others. Never an optical or network volume, nor one that holds "/",
    // /boot or the home folder `home` (also when mounted elsewhere too).
    std::vector<Volume> CardVolumes(const std::string& home) const;
    // The same for the home folder of $HOME.
    std::vector<Volume> CardVolumes() const;

    // The volumes listed in mount-table text (/proc/self/mountinfo format),
    // classified, without labels or free space.
    static std::vector<Volume> Parse(const std::string& mountInfo, const Probe& probe);
    // Every mount point of mount-table text (pseudo file systems included),
    // with a trailing '/'.
    static std::vector<std::string> MountPoints(const std::string& mountInfo);
    // The mount point (trailing '/') of the volume that holds `path`, existing
    // or not; relative paths start at the working folder and symbolic links of
    // the existing part are followed. "/" when nothing better is known.
    static std::string RootOf(const std::string& path);
    // The same against a given list of mount points, for an absolute path.
    static std::string RootOfIn(const std::string& absolutePath,
                                const std::vector<std::string>& mountPoints);
    // "removable", "fixed", "network", "ram" or "optical".
    static const char* KindName(Kind kind);
    // The machine's answers: sysfs for removable media.
    static Probe SystemProbe();

private:
    // The device of the mount that holds `path`; 0 when unknown.
    uint64_t DeviceOf(const std::string& path) const;

    std::vector<Volume> m_volumes;
    std::vector<std::pair<std::string, uint64_t>> m_mounts; // mount point, device
};
