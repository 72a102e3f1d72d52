#include "output/cardidentity.h"

#include "base/volumelist.h"

#include <sys/stat.h>

CCardIdentity CCardIdentity::Of(const std::string& root)
{
    CCardIdentity identity;
    struct stat st
    {
    };
    if (root.empty() || stat(root.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return identity;
    identity.device = uint64_t(st.st_dev);
    identity.inode = uint64_t(st.st_ino);
    identity.mountPoint = CVolumeList::RootOf(root);
    return identity;
}
