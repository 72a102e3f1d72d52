#pragma once

#include "presentation/pptslide.h"

#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

class CPptPresentation;

// The slides of an open presentation in presentation order, counted from 1.
class CPptSlides
{
public:
    // `hidden` (may be shorter) marks the slides the show skips.
    CPptSlides(CPptPresentation& presentation, const std::vector<uint32_t>& slideIds,
               const std::vector<uint8_t>& hidden = {});

    int Count() const { return static_cast<int>(m_slides.size()); }
    // Slide `index` (from 1); null outside 1 .. Count().
    CPptSlide* Item(int index);
    // The first slide with that identifier; null when none has it.
    CPptSlide* FindBySlideID(uint32_t id);

private:
    std::vector<CPptSlide> m_slides;
    std::unordered_map<uint32_t, size_t> m_byId; // first slide of each identifier
};
