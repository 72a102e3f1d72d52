#include "browser/celllistdata.h"

#include "base/pathutils.h"
#include "base/slidesourcetypes.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <memory>
#include <sys/stat.h>

namespace {

// The file's time as cells keep it, or false when it is not a file any more.
bool fileTime(const std::string& path, int32_t& time)
{
    struct stat st
    {
    };
    if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return false;
    time = int32_t(FileTimeToLocalSeconds(st.st_mtime));
    return true;
}

} // namespace

bool CCellListData::IsAcceptedName(const std::string& name)
{
    return CSlideSourceTypes::IsSlideSource(name);
}

QByteArray CCellListData::FromFiles(const std::string& folder,
                                    const std::vector<std::string>& names)
{
    CCellInfoList list;
    list.ProjectFolder = folder;
    AddBackslash(list.ProjectFolder);
    for (const std::string& name : names) {
        if (!IsAcceptedName(name))
            continue;
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->RefFilePath = list.ProjectFolder + name;
        if (!fileTime(cell->RefFilePath, cell->RefFileTime))
            continue; // renamed or deleted since it was listed
        cell->RefPage = CSlideSourceTypes::IsPresentation(name) ? 0 : 1;
        list.Append(std::move(cell));
    }
    return list.IsEmpty() ? QByteArray() : list.ToBytes();
}

QByteArray CCellListData::FromSlide(const std::string& workFolder, const std::string& presentation,
                                    int slideNumber)
{
    CCellInfoList list;
    list.ProjectFolder = workFolder;
    AddBackslash(list.ProjectFolder);
    auto cell = std::make_unique<CCellBmpInfo>();
    cell->RefFilePath = presentation;
    if (!fileTime(presentation, cell->RefFileTime))
        return {};
    cell->RefPage = slideNumber;
    list.Append(std::move(cell));
    return list.ToBytes();
}
