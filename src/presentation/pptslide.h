#pragma once

#include <cstdint>
#include <string>

class CPptPresentation;

// One slide of an open presentation.
class CPptSlide
{
public:
    CPptSlide(CPptPresentation& presentation, int index, uint32_t id, bool hidden = false)
        : m_presentation(&presentation), m_index(index), m_id(id), m_hidden(hidden)
    {}

    uint32_t SlideID() const { return m_id; }
    // Position in the presentation, from 1.
    int SlideIndex() const { return m_index; }
    // The number shown on the slide: the first slide number + index - 1.
    int SlideNumber() const;
    // Whether the presentation hides the slide in its slide show.
    bool Hidden() const { return m_hidden; }
    // Writes the slide as a `filter` ("jpg" or "png") picture fitted into
    // width x height pixels, its proportions kept, to `file`.
    bool Export(const std::string& file, const std::string& filter, int width, int height) const;

private:
    CPptPresentation* m_presentation;
    int m_index;
    uint32_t m_id;
    bool m_hidden;
};
