#include "output/cardimagehost.h"

#include "imaging/imagingprocedures.h"

CCardImageHost::CCardImageHost(uint32_t backColor, int imageQuality)
    : m_backColor(backColor), m_imageQuality(imageQuality)
{
}

int CCardImageHost::CreateWorkImage(const std::string& source, const std::string& destination,
                                    QSize& size)
{
    return CImagingProcedures::CreateWorkImage(m_primary, source, destination, size);
}

int CCardImageHost::CreateThumbImage(const std::string& source, const std::string& destination,
                                     int thumbWidth, int thumbHeight, QSize& size)
{
    return CImagingProcedures::CreateThumbImage(m_primary, source, destination, thumbWidth,
                                                thumbHeight, size);
}

int CCardImageHost::CreateCardImage(const std::string& source, const std::string& destination,
                                    bool thumbnail)
{
    return CImagingProcedures::CreateCardImage(m_primary, m_canvas, source, destination,
                                               thumbnail, m_backColor, m_imageQuality);
}

CCardImageHost::Factory CCardImageHost::MakeFactory(uint32_t backColor, int imageQuality)
{
    return [backColor, imageQuality]() -> std::unique_ptr<CCellHost> {
        return std::make_unique<CCardImageHost>(backColor, imageQuality);
    };
}
