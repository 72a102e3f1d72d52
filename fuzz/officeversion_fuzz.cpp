// The office content checks and the presentation reader on a file made from
// the bytes: whatever the file holds, the results stay in their ranges.
#include "presentation/officeversion.h"
#include "presentation/pptreader.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

// Full stacks for allocations, so that the leak checker can tell libgsf's own
// leftovers (it keeps some memory when it gives up on a damaged directory)
// from ours: glib and libgsf have no frame pointers to walk.
extern "C" const char* __asan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const std::string path = "/tmp/officeversion_fuzz_" + std::to_string(::getpid());
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file)
        return 0;
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    const int word = GetWordVersion(path);
    const int excel = GetExcelVersion(path);
    const int ppt = GetPowerPointVersion(path);
    // The file is readable, so never "locked"; a presentation is 8 or a
    // refusal; the other two give small numbers.
    const bool pptOk = ppt == 8 || ppt == 0 || ppt == -2 || ppt == -3;
    if (!pptOk || word < -2 || word > 100 || excel < -3 || excel > 129 || excel == -1)
        __builtin_trap();
    CPptStructure structure;
    CPptReader::ReadFile(path, structure);
    std::remove(path.c_str());
    return 0;
}
