// libFuzzer target: the autorun list reader on arbitrary bytes, then the
// writer on what was read (which must read back to the same entries).
#include "output/sfcfile.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CSfcFile list;
    if (list.Parse(bytes) == CSfcFile::ParseTooLarge)
        return 0;
    const QByteArray written = list.ToBytes();
    if (written.size() > CSfcFile::MaxFileSize)
        return 0;
    CSfcFile again;
    if (again.Parse(written) != CSfcFile::ParseOk)
        std::abort();
    // Empty entries are not written; everything else survives.
    size_t kept = 0;
    for (const std::string& e : list.Entries())
        kept += e.empty() ? 0 : 1;
    if (again.Entries().size() > kept || again.Repeat() != list.Repeat())
        std::abort();
    return 0;
}
