#pragma once

#include <cstdint>
#include <string>
#include <vector>

// What the presentation layer knows of a presentation: read from the
// records of its "PowerPoint Document" stream by CPptReader.
struct CPptStructure
{
    enum RangeType
    {
        RangeAll = 1,
        RangeSlides = 2,
        RangeNamedShow = 3
    };

    struct NamedShow
    {
        std::string name;               // UTF-8
        std::vector<uint32_t> slideIds; // in show order
    };

    int firstSlideNumber = 1;
    int slideWidth = 5760; // master units (576 per inch)
    int slideHeight = 4320;
    std::vector<uint32_t> slideIds;   // presentation order
    std::vector<uint8_t> slideHidden; // per slide of slideIds: 1 when the show skips it
    // Slide-show settings. The range is in slide indexes (from 1).
    int rangeType = RangeAll;
    int startSlide = 0;
    int endSlide = 0;
    std::string showName; // UTF-8
    std::vector<NamedShow> namedShows;

    // Why a read failed, where the reader can tell more: the slides the file
    // lists (too many slides) and the part it names that is not there.
    int64_t listedSlides = 0;
    std::string missingPart;
};
