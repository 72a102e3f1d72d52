// Mount-table text (/proc/self/mountinfo format) into the volume list: never a
// crash, every listed root and every mount point is absolute with a trailing
// '/', the root found for a path is one of the mount points or "/", and the
// card choice offers removable volumes first and never "/", an optical or a
// network volume.
#include "base/volumelist.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    CVolumeList::Probe probe;
    probe.isRemovable = [](const std::string& source) { return source.size() % 2 == 0; };
    probe.isFolder = [](const std::string& mountPoint) { return mountPoint.size() % 3 != 0; };
    for (const CVolumeList::Volume& v : CVolumeList::Parse(text, probe))
        if (v.root.empty() || v.root.front() != '/' || v.root.back() != '/')
            std::abort();
    CVolumeList list;
    list.LoadFrom(text, probe);
    bool other = false;
    for (const CVolumeList::Volume& v : list.CardVolumes("/home/alice")) {
        if (v.root == "/" || v.kind == CVolumeList::Optical || v.kind == CVolumeList::Network)
            std::abort();
        if (v.kind != CVolumeList::Removable)
            other = true;
        else if (other)
            std::abort();
    }
    const auto points = CVolumeList::MountPoints(text);
    for (const std::string& p : points)
        if (p.empty() || p.front() != '/' || p.back() != '/')
            std::abort();
    const std::string root = CVolumeList::RootOfIn("/media/alice/CARD/TRIP/A.JPG", points);
    if (root != "/" && std::find(points.begin(), points.end(), root) == points.end())
        std::abort();
    return 0;
}
