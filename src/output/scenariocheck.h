#pragma once

#include <QByteArray>
#include <string>
#include <vector>

// Reads a scenario file back and tells whether it follows the format the card
// player expects, as this program writes it: the four header lines, then
// slide lines of 17 fields and control lines of 5, every line ended by a
// single line feed, card names of at most 8 + 3 characters.
class CScenarioCheck
{
public:
    struct Slide
    {
        int line = 0;          // 1-based line of the file
        std::string picture;   // field 1
        std::string thumbnail; // field 2
    };

    // Parses `bytes`; false when anything does not follow the format. What
    // could be read is kept in the fields below; DamagedLines() names the
    // lines at fault (0 for the file as a whole: empty, too short, no line
    // feed at its end).
    bool Parse(const QByteArray& bytes);

    const std::string& ProjectName() const { return m_projectName; }
    const std::vector<Slide>& Slides() const { return m_slides; }
    int ControlCount() const { return m_controls; }
    const std::vector<int>& DamagedLines() const { return m_damaged; }

    // A card name: a base of 1 to 8 characters (commas included), a dot and
    // one of the given three-letter extensions (".JPG", any case), nothing
    // that would leave the scenario folder.
    static bool IsCardName(const std::string& name, const std::vector<std::string>& extensions);
    // A name of at most 8 + 3 characters (a base of at most 8, an
    // extension of at most 3).
    static bool IsShortName(const std::string& name);

    // A file larger than this is not a scenario (65 536 slides of 80 bytes).
    static constexpr qsizetype MaxFileSize = 8 * 1024 * 1024;

private:
    bool ParseSlideLine(const std::string& line, int number);
    bool ParseControlLine(const std::string& line);
    void Damaged(int line);

    std::string m_projectName;
    std::vector<Slide> m_slides;
    int m_controls = 0;
    std::vector<int> m_damaged;
};
