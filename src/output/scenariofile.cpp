#include "output/scenariofile.h"

#include "base/safefile.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <QString>
#include <cstdio>

namespace {

template <typename... Args> std::string format(const char* pattern, Args... args)
{
    char buffer[256];
    const int n = std::snprintf(buffer, sizeof buffer, pattern, args...);
    return n < 0 ? std::string() : std::string(buffer, std::min<size_t>(n, sizeof buffer - 1));
}

} // namespace

std::string CScenarioFile::ColorLine(uint32_t backColor)
{
    const unsigned red = backColor & 0xFF;
    const unsigned green = (backColor >> 8) & 0xFF;
    const unsigned blue = (backColor >> 16) & 0xFF;
    return format("BG_COLOR=%02.2x%02.2x%02.2x", red, green, blue);
}

std::string CScenarioFile::SlideLine(const CCellBmpInfo& cell)
{
    const auto& d = cell.Disolve;
    const int pattern = d[0];
    // The player reads the colour and the second choice only for patterns 6
    // and 7, the first choice only for patterns 0 to 5; the other is 0.
    const bool colourPattern = pattern == 6 || pattern == 7;
    const bool choicePattern = pattern >= 0 && pattern <= 5;
    // The names go in as they are (a comma in them reaches the file).
    return cell.CardFileName + ',' + cell.CardThumbName + ',' +
           format("%d,%d,%04.4d,%02.2d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%03.3d,%d", cell.CellValid,
                  cell.MotionType, cell.AutoIntervalSec, cell.Effect, pattern,
                  colourPattern ? d[1] : 0, choicePattern ? d[2] : 0, colourPattern ? d[3] : 0,
                  d[4], d[5], d[6], d[7], d[8], d[9], d[10]);
}

std::string CScenarioFile::ControlLine(const CCellCtrlInfo& cell)
{
    return format("CONTROL,%d,%d,%04.4d,%d", cell.CellValid, cell.MotionType, cell.AutoIntervalSec,
                  cell.InputDev);
}

bool CScenarioFile::Format(const std::string& projectName, uint32_t backColor,
                           const CCellInfoList& cells, QByteArray& bytes)
{
    std::string text = "[Project]\n";
    text += projectName + '\n';
    text += ColorLine(backColor) + '\n';
    text += "[Slides]\n";
    for (int i = 0; i < cells.GetCount(); ++i) {
        const CCellInfo* cell = cells.GetAt(i);
        if (!cell)
            return false;
        if (!cell->IsVisible())
            continue;
        if (const auto* image = dynamic_cast<const CCellBmpInfo*>(cell)) {
            if (image->CardFileName.empty())
                return false;
            text += SlideLine(*image) + '\n';
        } else if (const auto* control = dynamic_cast<const CCellCtrlInfo*>(cell)) {
            text += ControlLine(*control) + '\n';
        } else {
            return false;
        }
    }
    bytes = QByteArray(text.data(), static_cast<qsizetype>(text.size()));
    return true;
}

bool CScenarioFile::Write(const std::string& path, const std::string& projectName,
                          uint32_t backColor, const CCellInfoList& cells, bool durable)
{
    QByteArray bytes;
    if (path.empty() || !Format(projectName, backColor, cells, bytes))
        return false;
    return CSafeFile::WriteAll(path, bytes, nullptr, durable);
}

std::vector<std::string> CScenarioFile::SplitFields(const std::string& line)
{
    std::vector<std::string> fields;
    size_t start = 0;
    for (;;) {
        const size_t comma = line.find(',', start);
        fields.push_back(
            line.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        if (comma == std::string::npos)
            return fields;
        start = comma + 1;
    }
}
