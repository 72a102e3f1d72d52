#include "output/scenariocheck.h"

#include "base/asciicase.h"
#include "output/cardfolder.h"
#include "output/scenariofile.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>

namespace {

constexpr size_t kMaxDamagedLines = 50;

// A decimal number as printf writes it for "%d" with the given minimum
// number of digits.
bool isNumber(const std::string& field, size_t minDigits = 1)
{
    const size_t sign = (!field.empty() && field[0] == '-') ? 1 : 0;
    const size_t digits = field.size() - sign;
    if (digits < minDigits || digits > 10)
        return false;
    if (!std::all_of(field.begin() + static_cast<long>(sign), field.end(),
                     [](char c) { return c >= '0' && c <= '9'; }))
        return false;
    errno = 0;
    const long long value = std::strtoll(field.c_str(), nullptr, 10);
    return errno == 0 && value >= INT32_MIN && value <= INT32_MAX;
}

bool isColorLine(const std::string& line)
{
    static const std::string key = "BG_COLOR=";
    if (line.size() != key.size() + 6 || line.compare(0, key.size(), key) != 0)
        return false;
    return std::all_of(line.begin() + static_cast<long>(key.size()), line.end(),
                       [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

bool hasExtension(const std::string& name, const std::string& extension)
{
    return name.size() > extension.size() &&
           CAsciiCase::Equal(name.substr(name.size() - extension.size()), extension);
}

} // namespace

bool CScenarioCheck::IsShortName(const std::string& name)
{
    if (!CCardFolder::IsPlainName(name))
        return false;
    const size_t dot = name.rfind('.');
    if (dot == std::string::npos)
        return name.size() <= 8;
    return dot >= 1 && dot <= 8 && name.size() - dot - 1 <= 3;
}

bool CScenarioCheck::IsCardName(const std::string& name, const std::vector<std::string>& extensions)
{
    // Nothing is escaped in a scenario file: a comma from the project name
    // stands in the card names as it is.
    if (!IsShortName(name))
        return false;
    return std::any_of(extensions.begin(), extensions.end(),
                       [&](const std::string& ext) { return hasExtension(name, ext); });
}

void CScenarioCheck::Damaged(int line)
{
    if (m_damaged.size() < kMaxDamagedLines)
        m_damaged.push_back(line);
}

bool CScenarioCheck::ParseControlLine(const std::string& line)
{
    const std::vector<std::string> f = CScenarioFile::SplitFields(line);
    if (f.size() != 5 || !isNumber(f[1]) || !isNumber(f[2]) || !isNumber(f[3], 4) ||
        !isNumber(f[4]))
        return false;
    ++m_controls;
    return true;
}

bool CScenarioCheck::ParseSlideLine(const std::string& line, int number)
{
    const std::vector<std::string> f = CScenarioFile::SplitFields(line);
    if (f.size() < 17)
        return false;
    // The last 15 fields are numbers; fields 5, 6 and 16 have their widths.
    const size_t first = f.size() - 15;
    for (size_t i = first; i < f.size(); ++i) {
        const size_t field = i - first + 3; // 1-based field number
        const size_t width = field == 5 ? 4 : field == 6 ? 2 : field == 16 ? 3 : 1;
        if (!isNumber(f[i], width))
            return false;
    }
    // The two names; nothing is escaped, so a comma may sit inside them.
    // Split where the picture name ends in its extension.
    std::string names;
    for (size_t i = 0; i < first; ++i)
        names += (i ? "," : "") + f[i];
    Slide slide;
    slide.line = number;
    for (size_t comma = names.find(','); comma != std::string::npos;
         comma = names.find(',', comma + 1)) {
        const std::string picture = names.substr(0, comma);
        if (hasExtension(picture, ".JPG") || hasExtension(picture, ".BMP")) {
            slide.picture = picture;
            slide.thumbnail = names.substr(comma + 1);
            break;
        }
    }
    m_slides.push_back(slide);
    return IsCardName(slide.picture, {".JPG", ".BMP"}) && IsCardName(slide.thumbnail, {".JPS"});
}

bool CScenarioCheck::Parse(const QByteArray& bytes)
{
    m_projectName.clear();
    m_slides.clear();
    m_controls = 0;
    m_damaged.clear();
    if (bytes.isEmpty() || bytes.size() > MaxFileSize || !bytes.endsWith('\n')) {
        Damaged(0);
        return false;
    }
    std::vector<std::string> lines;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        const qsizetype eol = bytes.indexOf('\n', pos);
        lines.emplace_back(bytes.constData() + pos, static_cast<size_t>(eol - pos));
        pos = eol + 1;
    }
    if (lines.size() < 4) {
        Damaged(0);
        return false;
    }
    // Carriage returns and NUL bytes are never written; the player reads
    // line feeds only.
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].find_first_of(std::string("\r\0", 2)) != std::string::npos)
            Damaged(static_cast<int>(i + 1));
    }
    if (lines[0] != "[Project]")
        Damaged(1);
    m_projectName = lines[1];
    if (!isColorLine(lines[2]))
        Damaged(3);
    if (lines[3] != "[Slides]")
        Damaged(4);
    for (size_t i = 4; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        const int number = static_cast<int>(i + 1);
        const bool ok = line.compare(0, 8, "CONTROL,") == 0 && ParseControlLine(line)
                            ? true
                            : ParseSlideLine(line, number);
        if (!ok)
            Damaged(number);
    }
    std::sort(m_damaged.begin(), m_damaged.end());
    m_damaged.erase(std::unique(m_damaged.begin(), m_damaged.end()), m_damaged.end());
    return m_damaged.empty();
}
