#pragma once

#include <QColor>
#include <string>
#include <vector>

// Presentations made by LibreOffice from flat ODP text, converted once per
// build into a folder of the build tree and shared by every test program
// run (a lock keeps parallel runs from converting twice). Each slide has its
// own background colour, so a picture tells which slide it shows.
class CPresentationFixtures
{
public:
    struct Deck
    {
        std::string name; // file name without ".ppt"
        int slides = 1;
        std::string settings; // attributes of <presentation:settings>
        std::string shows;    // <presentation:show> elements
        std::vector<int> hidden;
        std::string pageWidth = "25.4cm";
        std::string pageHeight = "19.05cm";
        // More drawing elements of slide N at index N - 1 (comments,
        // embedded objects), where given.
        std::vector<std::string> extras = {};
    };

    // The decks every test can use: "plain6", "range7" (show from slide 3),
    // "custom6" (custom show "Mine" = slides 5, 2, 4; "Other" = 1),
    // "hidden4" (slide 2 hidden), "deck12", "wide3" (16:9 pages); and,
    // changed from those after
    // conversion, "range3to5" (show slides 3 to 5) and "first5" (plain6
    // with the first slide numbered 5).
    static std::vector<Deck> Decks();
    // Path of fixture `name` ("" with the failure printed when LibreOffice
    // is missing or failed).
    static std::string Path(const std::string& name);
    // The same deck in another format LibreOffice wrote: "pptx", "ppsx",
    // "odp" or "pdf" (the PDF without the hidden slides).
    static std::string PathAs(const std::string& name, const std::string& format);
    static const std::vector<std::string>& OtherFormats();
    static std::string Folder();
    // Background colour of slide `index` (from 1).
    static QColor SlideColour(int index);
    // Flat ODP text of a deck.
    static std::string Fodp(const Deck& deck);
    // Converts every .fodp (or .`from`) of `folder` to .ppt (or `format`,
    // whose part before a colon names the file type) with one LibreOffice run.
    static bool ConvertFolder(const std::string& folder, int timeoutMs = 180000,
                              const std::string& format = "ppt", const std::string& from = "fodp");
};
