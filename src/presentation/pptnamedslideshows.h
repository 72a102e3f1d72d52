#pragma once

#include "presentation/pptnamedslideshow.h"

#include <vector>

// The custom shows of a presentation, counted from 1.
class CPptNamedSlideShows
{
public:
    void Add(CPptNamedSlideShow show) { m_shows.push_back(std::move(show)); }
    int Count() const { return static_cast<int>(m_shows.size()); }
    // Show `index` (from 1); null outside 1 .. Count().
    const CPptNamedSlideShow* Item(int index) const
    {
        return index >= 1 && index <= Count() ? &m_shows[static_cast<size_t>(index - 1)] : nullptr;
    }

private:
    std::vector<CPptNamedSlideShow> m_shows;
};
