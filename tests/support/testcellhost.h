#pragma once

#include "imaging/imagingprocedures.h"
#include "imaging/lead.h"
#include "model/cellhost.h"

#include <cstdint>

// A cell host for tests: runs the real image procedures on two imaging
// engines of its own, with the project settings as plain fields.
class CTestCellHost : public CCellHost
{
public:
    uint32_t backColor = 0x00000000; // 0x00BBGGRR
    int imageQuality = 2;

    int CreateWorkImage(const std::string& source, const std::string& destination,
                        QSize& size) override
    {
        return CImagingProcedures::CreateWorkImage(primary, source, destination, size);
    }
    int CreateThumbImage(const std::string& source, const std::string& destination, int thumbWidth,
                         int thumbHeight, QSize& size) override
    {
        return CImagingProcedures::CreateThumbImage(primary, source, destination, thumbWidth,
                                                    thumbHeight, size);
    }
    int CreateCardImage(const std::string& source, const std::string& destination,
                        bool thumbnail) override
    {
        return CImagingProcedures::CreateCardImage(primary, canvas, source, destination, thumbnail,
                                                   backColor, imageQuality);
    }

    CLead primary;
    CLead canvas;
};
