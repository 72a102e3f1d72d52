#pragma once

#include <string>

class CSlidePPTObj;

// Who is told of each thumbnail a presentation object's thumbnail run makes
// (the thumbnail window).
class CThumbnailReceiver
{
public:
    virtual ~CThumbnailReceiver() = default;
    // Slide `position` of the show (from 1), shown with number `slideNumber`,
    // is now a picture in `path`. `source->IsHiddenAt(position)` tells
    // whether the show hides that slide.
    virtual void ThumbnailMade(CSlidePPTObj* source, int position, int slideNumber,
                               const std::string& path) = 0;
};
