#include "model/presentationblock.h"

#include "base/pathutils.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <memory>

QByteArray MakePresentationBlock(const std::string& presentation)
{
    CFileStatus status;
    if (presentation.empty() || !GetFileStatus(presentation, status))
        return {};
    const std::string& full = status.fullPath.empty() ? presentation : status.fullPath;
    CCellInfoList list;
    list.ProjectFolder = full.substr(0, full.find_last_of('/') + 1);
    auto cell = std::make_unique<CCellBmpInfo>();
    cell->RefFilePath = full;
    cell->RefFileTime = static_cast<int32_t>(FileTimeToLocalSeconds(status.mtime));
    cell->RefPage = 0;
    list.Append(std::move(cell));
    QByteArray block = list.ToBytes();
    list.ClearFlags(0xFFFFFFFFu);
    return block;
}
