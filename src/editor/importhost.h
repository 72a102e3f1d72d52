#pragma once

#include "imaging/lead.h"
#include "model/cellhost.h"

#include <cstdint>
#include <string>

// The imaging of one import worker: the document's image services on
// imaging engines of its own, so that workers never share the document's
// engines (which belong to the window's thread). Each service first checks
// quietly that the destination's volume has room, as the document does.
class CImportHost : public CCellHost
{
public:
    CImportHost(uint32_t backColor, int imageQuality);

    int CreateWorkImage(const std::string& source, const std::string& destination,
                        QSize& size) override;
    int CreateThumbImage(const std::string& source, const std::string& destination, int thumbWidth,
                         int thumbHeight, QSize& size) override;
    int CreateCardImage(const std::string& source, const std::string& destination,
                        bool thumbnail) override;

private:
    CLead m_primary;
    CLead m_canvas;
    uint32_t m_backColor;
    int m_imageQuality;
};
