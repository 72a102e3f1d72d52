// libFuzzer target: the show player's scenario reader on arbitrary bytes.
#include "output/cardfolder.h"
#include "show/scenarioreader.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CScenarioReader reader;
    const bool ok = reader.Parse(bytes);
    // A failure names a line; a success names none.
    if (ok != (reader.ErrorLine() == 0))
        std::abort();
    int previous = 4;
    for (const CScenarioReader::Entry& entry : reader.Entries()) {
        if (entry.line <= previous)
            std::abort();
        previous = entry.line;
        // Nothing read may lead out of the scenario folder.
        if (!entry.control && !CCardFolder::IsPlainName(entry.picture))
            std::abort();
    }
    return 0;
}
