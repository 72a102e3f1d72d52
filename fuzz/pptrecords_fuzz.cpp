// The presentation record reader on arbitrary stream bytes: the first 28
// bytes stand for the "Current User" stream, the rest for the
// "PowerPoint Document" stream.
#include "presentation/pptreader.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    constexpr size_t kCurrentUser = 28;
    const size_t split = size < kCurrentUser ? size : kCurrentUser;
    const QByteArray user(reinterpret_cast<const char*>(data), static_cast<qsizetype>(split));
    const QByteArray document(reinterpret_cast<const char*>(data + split),
                              static_cast<qsizetype>(size - split));
    CPptStructure structure;
    if (CPptReader::Read(user, document, structure) == CPptReader::NoFailure) {
        // What a successful read yields stays within its bounds.
        if (structure.slideIds.size() > static_cast<size_t>(CPptReader::MaxSlides))
            __builtin_trap();
    }
    return 0;
}
