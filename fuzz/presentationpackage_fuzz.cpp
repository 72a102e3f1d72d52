// The readers of the zipped presentation formats on a container made from
// the bytes: whatever it holds, they give a structure within the bounds or
// a refusal, and never read past what they were given.
#include "presentation/odpreader.h"
#include "presentation/ooxmlreader.h"
#include "presentation/zipcontainer.h"

#include <QByteArray>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size));
    for (int format = 0; format < 2; ++format) {
        CZipContainer zip;
        if (zip.OpenBytes(bytes) != CZipContainer::Ok)
            return 0;
        CPptStructure structure;
        const CPptReader::Failure failure =
            format == 0 ? COoxmlReader::Read(zip, structure) : COdpReader::Read(zip, structure);
        if (failure == CPptReader::NoFailure &&
            (structure.slideIds.size() != structure.slideHidden.size() ||
             structure.slideIds.size() > size_t(CPptReader::MaxSlides)))
            __builtin_trap();
    }
    return 0;
}
