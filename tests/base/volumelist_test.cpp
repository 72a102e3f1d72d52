#include "base/volumelist.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// A desktop with a card reader, a USB stick, network shares, a RAM folder, a
// DVD and all the mounts of the system itself.
const char* const kDesktop =
    "22 27 0:21 / /proc rw,relatime - proc proc rw\n"
    "23 27 0:22 / /sys rw,relatime - sysfs sysfs rw\n"
    "24 27 0:6 / /dev rw,relatime - devtmpfs udev rw,mode=755\n"
    "25 24 0:23 / /dev/shm rw,relatime - tmpfs tmpfs rw\n"
    "26 24 0:24 / /dev/pts rw,relatime - devpts devpts rw,mode=600\n"
    "27 1 259:2 / / rw,relatime shared:1 - ext4 /dev/nvme0n1p2 rw\n"
    "28 23 0:26 / /sys/fs/cgroup rw,relatime shared:4 - cgroup2 cgroup2 rw\n"
    "29 27 0:27 / /run rw,nosuid - tmpfs tmpfs rw,mode=755\n"
    "30 29 0:28 / /run/user/1000 rw - tmpfs tmpfs rw,mode=700\n"
    "31 30 0:29 / /run/user/1000/gvfs rw - fuse.gvfsd-fuse gvfsd-fuse rw\n"
    "32 27 259:1 / /boot/efi rw - vfat /dev/nvme0n1p1 rw\n"
    "33 27 7:3 / /snap/core22/864 ro - squashfs /dev/loop3 ro\n"
    "34 27 0:30 / /tmp rw - tmpfs tmpfs rw\n"
    "35 27 8:17 / /media/alice/CARD rw shared:5 master:2 - vfat /dev/sdb1 rw\n"
    "36 27 179:1 / /media/alice/SD\\040CARD rw - exfat /dev/mmcblk0p1 rw\n"
    "37 27 0:40 / /mnt/nas rw - nfs4 server:/export rw\n"
    "38 27 0:41 / /mnt/share rw - cifs //srv/share rw\n"
    "39 27 0:42 / /home/alice/remote rw - fuse.sshfs alice@host:/ rw\n"
    "40 27 11:0 / /media/alice/DVD ro - iso9660 /dev/sr0 ro\n"
    "41 27 0:43 / /data rw - btrfs /dev/sda3 rw\n"
    "42 27 0:43 /@home /home rw - btrfs /dev/sda3 rw\n"
    "43 27 0:44 / /media/nfs rw - autofs systemd-1 rw\n"
    "44 27 0:45 / /media/nfs rw - nfs nas:/media rw\n"
    "45 27 0:46 / /mnt/ram rw - ramfs none rw\n"
    "50 27 0:51 / /mnt/locked ro,nosuid - tmpfs tools ro,size=4k\n"
    "46 22 0:47 / /proc/sys/fs/binfmt_misc rw - binfmt_misc binfmt_misc rw\n"
    "47 27 0:48 / /mnt/dav rw - fuse.davfs https://dav.example/ rw\n"
    "this line is not a mount\n"
    "\n"
    "48 27 0:49 / /run/media/alice/STICK rw - vfat /dev/sdc1 rw\n"
    "49 27 0:50 / /mnt/nofields rw - \n"
    // Cards the desktop's file manager mounted through user-space file
    // systems, and FUSE helpers of the system that are no storage.
    "51 27 0:52 / /media/alice/EXFAT rw,nosuid - fuseblk /dev/sdd1 rw,user_id=0\n"
    "52 27 0:53 / /run/media/alice/PHONE rw - fuse.jmtpfs jmtpfs rw,user_id=1000\n"
    "53 27 0:54 / /var/lib/lxcfs rw - fuse.lxcfs lxcfs rw\n"
    "54 27 0:55 / /tmp/.mount_Tool rw - fuse.Tool.AppImage Tool.AppImage ro\n"
    "55 27 0:56 / /mnt/fuse rw - fuse portal rw\n";

CVolumeList::Probe desktopProbe()
{
    CVolumeList::Probe probe;
    probe.isRemovable = [](const std::string& source) {
        return (source.rfind("/dev/sd", 0) == 0 && source != "/dev/sda3") ||
               source.rfind("/dev/mmcblk", 0) == 0;
    };
    return probe;
}

const CVolumeList::Volume* find(const std::vector<CVolumeList::Volume>& volumes,
                                const std::string& root)
{
    const auto it = std::find_if(volumes.begin(), volumes.end(),
                                 [&](const CVolumeList::Volume& v) { return v.root == root; });
    return it == volumes.end() ? nullptr : &*it;
}

} // namespace

TEST(VolumeList, ClassifiesACraftedMountTable)
{
    const auto volumes = CVolumeList::Parse(kDesktop, desktopProbe());
    struct Expected
    {
        const char* root;
        CVolumeList::Kind kind;
        const char* fsType;
        const char* source;
    };
    const Expected expected[] = {
        {"/", CVolumeList::Fixed, "ext4", "/dev/nvme0n1p2"},
        {"/tmp/", CVolumeList::Ram, "tmpfs", "tmpfs"},
        {"/media/alice/CARD/", CVolumeList::Removable, "vfat", "/dev/sdb1"},
        {"/media/alice/SD CARD/", CVolumeList::Removable, "exfat", "/dev/mmcblk0p1"},
        {"/mnt/nas/", CVolumeList::Network, "nfs4", "server:/export"},
        {"/mnt/share/", CVolumeList::Network, "cifs", "//srv/share"},
        {"/home/alice/remote/", CVolumeList::Network, "fuse.sshfs", "alice@host:/"},
        {"/media/alice/DVD/", CVolumeList::Optical, "iso9660", "/dev/sr0"},
        {"/data/", CVolumeList::Fixed, "btrfs", "/dev/sda3"},
        {"/media/nfs/", CVolumeList::Network, "nfs", "nas:/media"},
        {"/mnt/ram/", CVolumeList::Ram, "ramfs", "none"},
        {"/mnt/dav/", CVolumeList::Network, "fuse.davfs", "https://dav.example/"},
        {"/run/media/alice/STICK/", CVolumeList::Removable, "vfat", "/dev/sdc1"},
        {"/media/alice/EXFAT/", CVolumeList::Removable, "fuseblk", "/dev/sdd1"},
        {"/run/media/alice/PHONE/", CVolumeList::Removable, "fuse.jmtpfs", "jmtpfs"},
    };
    ASSERT_EQ(volumes.size(), std::size(expected));
    for (size_t i = 0; i < volumes.size(); ++i) {
        // Listed in mount-table order.
        EXPECT_EQ(volumes[i].root, expected[i].root);
        EXPECT_EQ(volumes[i].kind, expected[i].kind) << expected[i].root;
        EXPECT_EQ(volumes[i].fsType, expected[i].fsType) << expected[i].root;
        EXPECT_EQ(volumes[i].source, expected[i].source) << expected[i].root;
    }
    // Pseudo file systems, system mounts, package images, the second mount
    // of one device and a mount hidden by a later one are not volumes.
    for (const char* root :
         {"/proc/", "/sys/", "/dev/", "/dev/shm/", "/run/", "/run/user/1000/",
          "/run/user/1000/gvfs/", "/boot/efi/", "/snap/core22/864/", "/home/", "/mnt/nofields/",
          "/mnt/locked/", "/var/lib/lxcfs/", "/tmp/.mount_Tool/", "/mnt/fuse/"})
        EXPECT_EQ(find(volumes, root), nullptr) << root;
}

TEST(VolumeList, SelectorOffersAllButOpticalVolumes)
{
    CVolumeList list;
    list.LoadFrom(kDesktop, desktopProbe());
    const auto offered = list.SelectorVolumes();
    EXPECT_EQ(offered.size(), list.Volumes().size() - 1);
    EXPECT_EQ(find(offered, "/media/alice/DVD/"), nullptr);
    EXPECT_NE(find(offered, "/media/alice/CARD/"), nullptr);
}

TEST(VolumeList, CardChoiceNeverOffersTheSystemTheHomeNetworkOrPseudoVolumes)
{
    struct Case
    {
        const char* what;
        const char* table;
        const char* home;
        std::vector<std::string> offered; // removable ones first
    };
    // A laptop: system, /boot and home on their own partitions, each also
    // bind-mounted elsewhere, a second disk, a card and a FUSE card.
    const char* const laptop = "20 1 259:1 / / rw - ext4 /dev/nvme0n1p1 rw\n"
                               "21 20 259:2 / /boot rw - ext4 /dev/nvme0n1p2 rw\n"
                               "22 20 259:3 / /home rw - ext4 /dev/nvme0n1p3 rw\n"
                               "23 20 259:3 /alice/shared /srv/shared rw - ext4 /dev/nvme0n1p3 rw\n"
                               "24 20 259:1 /var/www /srv/www rw - ext4 /dev/nvme0n1p1 rw\n"
                               "25 20 259:2 / /mnt/bootcopy ro - ext4 /dev/nvme0n1p2 ro\n"
                               "26 20 259:5 / /mnt/data rw - ext4 /dev/nvme1n1p1 rw\n"
                               "27 20 8:33 / /media/alice/CARD rw - vfat /dev/sdc1 rw\n"
                               "28 20 0:40 / /run/media/alice/SD rw - fuse.exfat exfat rw\n"
                               "29 20 0:41 / /mnt/nas rw - nfs4 nas:/export rw\n"
                               "30 20 0:42 / /mnt/keys rw - tmpfs tmpfs rw\n"
                               "31 20 0:43 / /mnt/dbg rw - debugfs debugfs rw\n"
                               "32 20 0:44 / /mnt/share rw - smb3 //srv/share rw\n"
                               "33 20 11:0 / /media/alice/DVD ro - udf /dev/sr0 ro\n";
    const Case cases[] = {
        {"a laptop",
         laptop,
         "/home/alice",
         {"/media/alice/CARD/", "/run/media/alice/SD/", "/mnt/data/", "/mnt/keys/"}},
        {"the home folder on the second disk",
         laptop,
         "/mnt/data/alice",
         {"/media/alice/CARD/", "/run/media/alice/SD/", "/home/", "/mnt/keys/"}},
        // The desktop above: home is a subvolume of the disk mounted at /data.
        {"a desktop",
         kDesktop,
         "/home/alice",
         {"/media/alice/CARD/", "/media/alice/SD CARD/", "/run/media/alice/STICK/",
          "/media/alice/EXFAT/", "/run/media/alice/PHONE/", "/tmp/", "/mnt/ram/"}},
        {"home on a RAM folder",
         kDesktop,
         "/tmp/home",
         {"/media/alice/CARD/", "/media/alice/SD CARD/", "/run/media/alice/STICK/",
          "/media/alice/EXFAT/", "/run/media/alice/PHONE/", "/data/", "/mnt/ram/"}},
    };
    for (const Case& c : cases) {
        CVolumeList list;
        list.LoadFrom(c.table, desktopProbe());
        std::vector<std::string> roots;
        for (const CVolumeList::Volume& v : list.CardVolumes(c.home))
            roots.push_back(v.root);
        EXPECT_EQ(roots, c.offered) << c.what;
    }
}

TEST(VolumeList, ContainerRootAndBindMountedFiles)
{
    const char* const container =
        "600 500 0:52 / / rw - overlay overlay rw,lowerdir=/a,upperdir=/b\n"
        "601 600 0:55 / /proc rw - proc proc rw\n"
        "602 600 254:1 /var/lib/docker/containers/x/resolv.conf /etc/resolv.conf rw - ext4 "
        "/dev/vda1 rw\n"
        "603 600 254:1 /var/lib/docker/containers/x/hosts /etc/hosts rw - ext4 /dev/vda1 rw\n"
        "604 600 254:1 /home/alice/work /work rw - ext4 /dev/vda1 rw\n"
        "605 600 0:60 / /var/lib/docker/overlay2/abc/merged rw - overlay overlay rw\n";
    CVolumeList::Probe probe;
    probe.isRemovable = [](const std::string&) { return false; };
    probe.isFolder = [](const std::string& mp) { return mp.rfind("/etc/", 0) != 0; };
    const auto volumes = CVolumeList::Parse(container, probe);
    ASSERT_EQ(volumes.size(), 2u);
    EXPECT_EQ(volumes[0].root, "/");
    EXPECT_EQ(volumes[0].kind, CVolumeList::Fixed);
    EXPECT_EQ(volumes[1].root, "/work/"); // the folder bind mount stands for its disk
    EXPECT_EQ(volumes[1].kind, CVolumeList::Fixed);
}

TEST(VolumeList, RootOfTakesTheLongestMountPointOnComponentBoundaries)
{
    const auto points = CVolumeList::MountPoints(kDesktop);
    EXPECT_NE(std::find(points.begin(), points.end(), "/media/alice/SD CARD/"), points.end());
    EXPECT_NE(std::find(points.begin(), points.end(), "/proc/"), points.end());

    const std::vector<std::string> mounts = {"/", "/media/alice/CARD/", "/media/alice/CARD2/",
                                             "/home/"};
    struct Case
    {
        const char* path;
        const char* root;
    };
    const Case cases[] = {
        {"/", "/"},
        {"/media/alice/CARD", "/media/alice/CARD/"},
        {"/media/alice/CARD/", "/media/alice/CARD/"},
        {"/media/alice/CARD/TRIP/A.JPG", "/media/alice/CARD/"},
        {"/media/alice/CARD2/x", "/media/alice/CARD2/"},
        {"/media/alice/CARDS/x", "/"},
        {"/home", "/home/"},
        {"/homework", "/"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CVolumeList::RootOfIn(c.path, mounts), c.root) << c.path;
}

TEST(VolumeList, RootOfOnThisMachine)
{
    EXPECT_EQ(CVolumeList::RootOf("/"), "/");
    EXPECT_EQ(CVolumeList::RootOf("/proc/self/status"), "/proc/");
    QTemporaryDir tmp;
    const std::string dir = tmp.path().toStdString();
    const std::string root = CVolumeList::RootOf(dir);
    ASSERT_FALSE(root.empty());
    EXPECT_EQ(root.back(), '/');
    EXPECT_EQ((dir + "/").rfind(root, 0), 0u) << root;
    // A path yet to be made lies on the volume of the part that exists.
    EXPECT_EQ(CVolumeList::RootOf(dir + "/not/yet/made.png"), root);
    EXPECT_EQ(CVolumeList::RootOf("relative/name").front(), '/');
}

TEST(VolumeList, LoadsThisMachinesVolumes)
{
    CVolumeList list;
    ASSERT_TRUE(list.Load());
    // The root file system is listed, a container's overlay root as well.
    const CVolumeList::Volume* root = find(list.Volumes(), "/");
    ASSERT_NE(root, nullptr);
    EXPECT_GT(root->totalBytes, 0u);
    for (const CVolumeList::Volume& v : list.Volumes()) {
        EXPECT_EQ(v.root.back(), '/');
        EXPECT_LE(v.freeBytes, v.totalBytes) << v.root;
    }
    const CVolumeList::Probe probe = CVolumeList::SystemProbe();
    EXPECT_FALSE(probe.isRemovable("/dev/no-such-device"));
    EXPECT_FALSE(probe.isRemovable("tmpfs"));
    EXPECT_TRUE(probe.isFolder("/"));
    EXPECT_FALSE(probe.isFolder("/proc/self/status"));
}

TEST(VolumeList, KindNames)
{
    EXPECT_STREQ(CVolumeList::KindName(CVolumeList::Removable), "removable");
    EXPECT_STREQ(CVolumeList::KindName(CVolumeList::Fixed), "fixed");
    EXPECT_STREQ(CVolumeList::KindName(CVolumeList::Network), "network");
    EXPECT_STREQ(CVolumeList::KindName(CVolumeList::Ram), "ram");
    EXPECT_STREQ(CVolumeList::KindName(CVolumeList::Optical), "optical");
}
