#pragma once

#include "presentation/pptnamedslideshows.h"

#include <string>
#include <utility>

// How the presentation's slide show runs: all slides, a range of slide
// indexes, or a custom show by name.
class CPptSlideShowSettings
{
public:
    enum
    {
        ShowAll = 1,
        ShowSlideRange = 2,
        ShowNamedSlideShow = 3
    };

    CPptSlideShowSettings(int rangeType, int startingSlide, int endingSlide,
                          std::string slideShowName, CPptNamedSlideShows namedSlideShows)
        : m_rangeType(rangeType), m_startingSlide(startingSlide), m_endingSlide(endingSlide),
          m_slideShowName(std::move(slideShowName)), m_namedSlideShows(std::move(namedSlideShows))
    {}

    int RangeType() const { return m_rangeType; }
    int StartingSlide() const { return m_startingSlide; }
    int EndingSlide() const { return m_endingSlide; }
    const std::string& SlideShowName() const { return m_slideShowName; }
    const CPptNamedSlideShows& NamedSlideShows() const { return m_namedSlideShows; }

private:
    int m_rangeType;
    int m_startingSlide;
    int m_endingSlide;
    std::string m_slideShowName;
    CPptNamedSlideShows m_namedSlideShows;
};
