#pragma once

#include "presentation/pptreader.h"
#include "presentation/pptstructure.h"

#include <QByteArray>
#include <cstdint>
#include <string>
#include <vector>

class CZipContainer;

// Reads the structure of a presentation in the current office format
// (.pptx, .ppsx): the package's main part gives the slide list, the slide
// size, the first slide number and the named shows; each slide part tells
// whether the slide is hidden; the presentation properties give the show
// range (all, a range of slides or a named show).
class COoxmlReader
{
public:
    struct Presentation
    {
        struct Slide
        {
            uint32_t id = 0;
            std::string relationship;
        };
        struct Show
        {
            std::string name;
            uint32_t id = 0;
            std::vector<std::string> relationships;
        };
        std::vector<Slide> slides;
        std::vector<Show> shows;
        int64_t width = 0; // EMU, 914400 per inch
        int64_t height = 0;
        int firstSlideNumber = 1;
    };
    struct ShowSettings
    {
        int rangeType = CPptStructure::RangeAll;
        int start = 0;
        int end = 0;
        uint32_t showId = 0;
    };

    static CPptReader::Failure Read(CZipContainer& zip, CPptStructure& out);

    // The parts' own readers; false on malformed XML.
    static bool ParsePresentation(const QByteArray& xml, Presentation& out);
    static bool ParseSlideHidden(const QByteArray& xml, bool& hidden);
    static bool ParseShowSettings(const QByteArray& xml, ShowSettings& out);
};
