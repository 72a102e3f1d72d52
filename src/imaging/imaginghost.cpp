#include "imaging/imaginghost.h"

#include "base/pathutils.h"
#include "imaging/imagingprocedures.h"

namespace {
// Room asked for before a picture is made: enough to fail early on a full
// volume; the writers still report a failed write.
constexpr uint64_t kSpaceNeeded = 1024;
} // namespace

CImagingHost::CImagingHost(uint32_t backColor, int imageQuality, SpaceCheck check)
    : m_backColor(backColor), m_imageQuality(imageQuality), m_check(check)
{}

void CImagingHost::SetCardSettings(uint32_t backColor, int imageQuality)
{
    m_backColor = backColor;
    m_imageQuality = imageQuality;
}

bool CImagingHost::HasRoom(const std::string& destination, bool cardPicture) const
{
    if (m_check == NoSpaceCheck || (cardPicture && m_check != CheckEveryPicture))
        return true;
    return CheckDiskSpace(nullptr, destination, kSpaceNeeded, true);
}

int CImagingHost::CreateWorkImage(const std::string& source, const std::string& destination,
                                  QSize& size)
{
    if (!HasRoom(destination, false))
        return 0;
    return CImagingProcedures::CreateWorkImage(m_primary, source, destination, size);
}

int CImagingHost::CreateThumbImage(const std::string& source, const std::string& destination,
                                   int thumbWidth, int thumbHeight, QSize& size)
{
    if (!HasRoom(destination, false))
        return 0;
    return CImagingProcedures::CreateThumbImage(m_primary, source, destination, thumbWidth,
                                                thumbHeight, size);
}

int CImagingHost::CreateCardImage(const std::string& source, const std::string& destination,
                                  bool thumbnail)
{
    if (!HasRoom(destination, true))
        return 0;
    return CImagingProcedures::CreateCardImage(m_primary, m_canvas, source, destination, thumbnail,
                                               m_backColor, m_imageQuality);
}

CImagingHost::Factory CImagingHost::MakeFactory(uint32_t backColor, int imageQuality,
                                                SpaceCheck check)
{
    return [backColor, imageQuality, check]() -> std::unique_ptr<CCellHost> {
        return std::make_unique<CImagingHost>(backColor, imageQuality, check);
    };
}
