// libFuzzer target: the checks behind card-check on arbitrary bytes: the
// scenario file and the picture headers.
#include "output/cardpicture.h"
#include "output/scenariocheck.h"

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CScenarioCheck check;
    const bool ok = check.Parse(bytes);
    if (ok != check.DamagedLines().empty())
        std::abort();
    for (const CScenarioCheck::Slide& slide : check.Slides()) {
        if (slide.line < 5)
            std::abort();
        if (ok && (!CScenarioCheck::IsShortName(slide.picture) ||
                   !CScenarioCheck::IsShortName(slide.thumbnail)))
            std::abort();
    }
    CCardPicture::IsBaselineJpeg(bytes, 160, 120);
    CCardPicture::IsBitmap24(bytes, 1024, 768);
    return 0;
}
