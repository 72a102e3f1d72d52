// Feeds arbitrary bytes to the project-file reader; whatever it accepts must
// write out, and from the second writing on, reading and writing again must
// give the same text (the first pass may still correct values, such as a
// missing RefPage that is written as 0 and read back as 1).
#include "document/projectfile.h"
#include "model/cellinfolist.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

namespace {

bool cycle(std::string_view in, QByteArray& out)
{
    CProjectFile file;
    CCellInfoList cells;
    return file.Read(in, cells) && file.Write(cells, out);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    QByteArray first;
    // Refused, or a value that cannot stand on one line.
    if (!cycle(std::string_view(reinterpret_cast<const char*>(data), size), first))
        return 0;
    QByteArray second, third;
    if (!cycle(std::string_view(first.constData(), size_t(first.size())), second))
        std::abort();
    if (!cycle(std::string_view(second.constData(), size_t(second.size())), third) ||
        third != second)
        std::abort();
    return 0;
}
