#include "editor/importhost.h"

#include "base/pathutils.h"
#include "base/safefile.h"
#include "imaging/imagingprocedures.h"

#include <cerrno>

namespace {
constexpr uint64_t kSpaceNeeded = 1024;

bool HasRoom(const std::string& destination)
{
    if (CheckDiskSpace(nullptr, destination, kSpaceNeeded, true))
        return true;
    CSafeFile::NoteFailure(destination, ENOSPC);
    return false;
}
} // namespace

CImportHost::CImportHost(uint32_t backColor, int imageQuality)
    : m_backColor(backColor), m_imageQuality(imageQuality)
{}

int CImportHost::CreateWorkImage(const std::string& source, const std::string& destination,
                                 QSize& size)
{
    if (!HasRoom(destination))
        return 0;
    return CImagingProcedures::CreateWorkImage(m_primary, source, destination, size);
}

int CImportHost::CreateThumbImage(const std::string& source, const std::string& destination,
                                  int thumbWidth, int thumbHeight, QSize& size)
{
    if (!HasRoom(destination))
        return 0;
    return CImagingProcedures::CreateThumbImage(m_primary, source, destination, thumbWidth,
                                                thumbHeight, size);
}

int CImportHost::CreateCardImage(const std::string& source, const std::string& destination,
                                 bool thumbnail)
{
    if (!HasRoom(destination))
        return 0;
    return CImagingProcedures::CreateCardImage(m_primary, m_canvas, source, destination, thumbnail,
                                               m_backColor, m_imageQuality);
}
