#pragma once

#include "imaging/lead.h"
#include "model/cellhost.h"

#include <cstdint>
#include <functional>
#include <memory>

// The image services of one project for one worker: the fixed image
// procedures on two imaging engines of its own, with the project's
// background colour and image quality. Card conversions run on several
// threads, each with its own host, so no engine is ever shared.
class CCardImageHost : public CCellHost
{
public:
    using Factory = std::function<std::unique_ptr<CCellHost>()>;

    CCardImageHost(uint32_t backColor, int imageQuality);

    int CreateWorkImage(const std::string& source, const std::string& destination,
                        QSize& size) override;
    int CreateThumbImage(const std::string& source, const std::string& destination,
                         int thumbWidth, int thumbHeight, QSize& size) override;
    int CreateCardImage(const std::string& source, const std::string& destination,
                        bool thumbnail) override;

    // A factory of such hosts for the project's settings.
    static Factory MakeFactory(uint32_t backColor, int imageQuality);

private:
    uint32_t m_backColor;
    int m_imageQuality;
    CLead m_primary;
    CLead m_canvas;
};
