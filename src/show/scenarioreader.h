#pragma once

#include <QByteArray>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// Reads a scenario file (".sit") for playing it: the project name, the
// background colour and every slide and control line with its values. A
// player reads what it can use, so the reader is lenient where nothing is
// lost (carriage returns, a missing last line feed, numbers without their
// zero padding), and stops at the first line it cannot use, naming it.
class CScenarioReader
{
public:
    struct Entry
    {
        int line = 0; // 1-based line of the file
        bool control = false;
        std::string picture;   // slide: the card picture's name
        std::string thumbnail; // slide: the thumbnail's name
        int32_t CellValid = 1;
        int32_t MotionType = 0;
        int32_t AutoIntervalSec = 0;
        int32_t Effect = 0;                // slide only
        std::array<int32_t, 11> Disolve{}; // slide: fields 7 to 17
        int32_t InputDev = 0;              // control only
    };

    // A file larger than this is not a scenario.
    static constexpr qsizetype MaxFileSize = 8 * 1024 * 1024;

    // false when the bytes are no scenario; ErrorLine() then names the first
    // line at fault (0: the file as a whole, empty or too large).
    bool Parse(const QByteArray& bytes);
    // Reads the file at `path`; false with ErrorLine() 0 when it cannot be
    // read.
    bool ReadFile(const std::string& path);

    const std::string& ProjectName() const { return m_projectName; }
    // 0x00BBGGRR, as the project keeps it.
    uint32_t BackColor() const { return m_backColor; }
    const std::vector<Entry>& Entries() const { return m_entries; }
    int ErrorLine() const { return m_errorLine; }

private:
    bool ParseLine(const std::string& line, int number);

    std::string m_projectName;
    uint32_t m_backColor = 0;
    std::vector<Entry> m_entries;
    int m_errorLine = 0;
};
