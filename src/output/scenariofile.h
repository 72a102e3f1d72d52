#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <vector>

class CCellBmpInfo;
class CCellCtrlInfo;
class CCellInfoList;

// The scenario file (".sit") that tells the card player what to show: the
// "[Project]" header with the project's name and background colour, then one
// line per visible cell under "[Slides]". Every line ends with a single line
// feed; nothing is quoted or escaped, so the bytes are exactly what the
// player expects.
class CScenarioFile
{
public:
    // The whole file. false when a cell cannot be written: an image cell
    // without its card picture name, a missing cell or a cell that is
    // neither an image nor a control cell; `bytes` is then undefined.
    static bool Format(const std::string& projectName, uint32_t backColor,
                       const CCellInfoList& cells, QByteArray& bytes);
    // Writes the file at `path` (created or replaced as a whole). false when
    // the file cannot be written or Format fails; nothing is left at `path`
    // then that was not there before. `durable` false skips the wait for
    // the disk, for a copy that is only staged.
    static bool Write(const std::string& path, const std::string& projectName, uint32_t backColor,
                      const CCellInfoList& cells, bool durable = true);

    // "BG_COLOR=rrggbb" of a colour kept as 0x00BBGGRR.
    static std::string ColorLine(uint32_t backColor);
    // The 17 fields of an image cell (without the line feed).
    static std::string SlideLine(const CCellBmpInfo& cell);
    // "CONTROL,valid,motion,interval,device" (without the line feed).
    static std::string ControlLine(const CCellCtrlInfo& cell);
    // The comma-separated fields of a line as the card player splits them;
    // an empty line is one empty field.
    static std::vector<std::string> SplitFields(const std::string& line);
};
