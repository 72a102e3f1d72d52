// libFuzzer target: the scenario-file check behind card-check, on arbitrary
// bytes.
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
    return 0;
}
