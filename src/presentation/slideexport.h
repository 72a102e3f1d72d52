#pragma once

#include <string>

// Writes one slide of `presentation` as a PNG picture fitted into width x
// height (160 x 120 when either is 0), its proportions kept, to `output`. `page` is the slide's
// number as shown; 0 asks for the first slide of the presentation's slide show. On success `page`
// holds the number of the slide written. `cacheFolder` (default: the program's "Temp" work folder)
// keeps the converted presentation for the next call; the conversion stops after `timeoutMs`
// without progress.
bool ExportPresentationSlide(const std::string& presentation, const std::string& output, int& page,
                             int width = 0, int height = 0, const std::string& cacheFolder = {},
                             int timeoutMs = 0);
