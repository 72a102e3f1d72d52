#include "imaging/imaginghost.h"

#include "base/pathutils.h"
#include "base/safefile.h"
#include "imaging/imagingprocedures.h"

#include <cerrno>
#include <sys/stat.h>

namespace {
// Room asked for before a picture is made: enough to fail early on a full
// volume; the writers still report a failed write.
constexpr uint64_t kSpaceNeeded = 1024;
// Device, inode, size and modification time: a file written again or
// replaced since has another.
std::string FileIdentity(const std::string& path)
{
    struct stat st
    {
    };
    if (stat(path.c_str(), &st) != 0)
        return {};
    return std::to_string(st.st_dev) + ":" + std::to_string(st.st_ino) + ":" +
           std::to_string(st.st_size) + ":" + std::to_string(st.st_mtim.tv_sec) + "." +
           std::to_string(st.st_mtim.tv_nsec);
}

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
    if (CheckDiskSpace(nullptr, destination, kSpaceNeeded, true))
        return true;
    // The reason the write is skipped, for the message that names the file.
    CSafeFile::NoteFailure(destination, ENOSPC);
    return false;
}

int CImagingHost::CreateWorkImage(const std::string& source, const std::string& destination,
                                  QSize& size)
{
    m_lastWork = {};
    if (!HasRoom(destination, false))
        return 0;
    QImage written;
    if (!CImagingProcedures::CreateWorkImage(m_primary, source, destination, size, &written))
        return 0;
    m_lastWork = {destination, FileIdentity(destination), written};
    return 1;
}

int CImagingHost::CreateThumbImage(const std::string& source, const std::string& destination,
                                   int thumbWidth, int thumbHeight, QSize& size)
{
    if (!HasRoom(destination, false))
        return 0;
    WrittenImage work = std::move(m_lastWork);
    m_lastWork = {};
    if (!work.image.isNull() && work.path == source && !work.identity.empty() &&
        FileIdentity(source) == work.identity)
        return CImagingProcedures::CreateThumbImageFrom(m_primary, work.image, destination,
                                                        thumbWidth, thumbHeight, size);
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

void CImagingHost::SetDurableWrites(bool durable)
{
    m_primary.SetDurableWrites(durable);
    m_canvas.SetDurableWrites(durable);
}

CImagingHost::Factory CImagingHost::MakeFactory(uint32_t backColor, int imageQuality,
                                                SpaceCheck check)
{
    return [backColor, imageQuality, check]() -> std::unique_ptr<CCellHost> {
        return std::make_unique<CImagingHost>(backColor, imageQuality, check);
    };
}
