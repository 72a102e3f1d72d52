// The note of a lock file (another program's text) into the holder named in
// a message: never a crash, and nothing but printable ASCII comes out.
#include "base/filelock.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view note(reinterpret_cast<const char*>(data), size);
    const std::string holder = CFileLock::DescribeHolder(note, "here");
    for (const char c : holder)
        if (static_cast<unsigned char>(c) < 0x20 || static_cast<unsigned char>(c) > 0x7E)
            std::abort();
    if (holder.size() > 420)
        std::abort();
    return 0;
}
