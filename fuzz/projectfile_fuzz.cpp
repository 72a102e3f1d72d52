// Feeds arbitrary bytes to the project-file reader; whatever it accepts must
// write out and read back to the same text.
#include "document/projectfile.h"
#include "model/cellinfolist.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    CProjectFile file;
    CCellInfoList cells;
    if (!file.Read(std::string_view(reinterpret_cast<const char*>(data), size), cells))
        return 0;
    QByteArray text;
    if (!file.Write(cells, text))
        return 0;  // a value that cannot stand on one line
    CProjectFile again;
    CCellInfoList cellsAgain;
    if (!again.Read(std::string_view(text.constData(), size_t(text.size())), cellsAgain))
        std::abort();
    QByteArray second;
    if (!again.Write(cellsAgain, second) || second != text)
        std::abort();
    return 0;
}
