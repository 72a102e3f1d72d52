// Transfer blocks as a paste or a drop reads them: any bytes must give either
// a list of cells that stay inside their folder, or nothing.
#include "editor/scenarioeditor.h"
#include "model/cellbmpinfo.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    CCellInfoList list;
    if (!CScenarioEditor::ReadTransferBlock(bytes, list)) {
        if (!list.IsEmpty())
            std::abort();
        return 0;
    }
    for (int i = 0; i < list.GetCount(); ++i) {
        const CCellInfo* cell = list.GetAt(i);
        if (!cell || cell->StateFlags != 0 || cell->OwnerList != &list)
            std::abort();
        if (cell->CellType == CCellInfo::Type::Image) {
            const auto* image = static_cast<const CCellBmpInfo*>(cell);
            for (const std::string* name :
                 {&image->FileName, &image->DispFileName, &image->ThumbFileName})
                if (name->find('/') != std::string::npos)
                    std::abort();
        }
    }
    // What was read writes again.
    (void)list.ToBytes();
    return 0;
}
