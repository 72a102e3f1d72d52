#pragma once

#include <cstdint>
#include <string>

// Which card a chosen root stands for: the device and folder of the root,
// and the mount point of the volume that holds it. A card taken out leaves
// its empty mount folder on the system disk, and another card may be put in
// under the same name: both change the identity, so a send that took it
// when the user chose the card never writes to whatever stands there later.
struct CCardIdentity
{
    uint64_t device = 0;
    uint64_t inode = 0;
    std::string mountPoint; // trailing '/'

    // The identity of the folder at `root` now (following `root`'s own
    // links, as the user chose it); not valid when it is not a folder.
    static CCardIdentity Of(const std::string& root);
    bool IsValid() const { return device != 0 || inode != 0; }
    bool operator==(const CCardIdentity& other) const = default;
};
