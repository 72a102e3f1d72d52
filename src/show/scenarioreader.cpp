#include "show/scenarioreader.h"

#include "base/asciicase.h"
#include "output/cardfolder.h"
#include "output/scenariofile.h"

#include <QFile>
#include <cerrno>
#include <cstdlib>

namespace {

constexpr size_t kSlideFields = 17;
constexpr size_t kNumberFields = 15; // fields 3 to 17 of a slide line

// A decimal as printf writes it for "%d" (padding or not), within 32 bits.
bool readNumber(const std::string& field, int32_t& value)
{
    const size_t sign = (!field.empty() && field[0] == '-') ? 1 : 0;
    const size_t digits = field.size() - sign;
    if (digits < 1 || digits > 10)
        return false;
    for (size_t i = sign; i < field.size(); ++i) {
        if (field[i] < '0' || field[i] > '9')
            return false;
    }
    errno = 0;
    const long long v = std::strtoll(field.c_str(), nullptr, 10);
    if (errno != 0 || v < INT32_MIN || v > INT32_MAX)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

bool hasPictureExtension(const std::string& name)
{
    if (name.size() < 5)
        return false;
    const std::string ext = name.substr(name.size() - 4);
    return CAsciiCase::Equal(ext, ".JPG") || CAsciiCase::Equal(ext, ".BMP");
}

bool readColor(const std::string& line, uint32_t& color)
{
    static const std::string key = "BG_COLOR=";
    if (line.size() != key.size() + 6 || !CAsciiCase::Equal(line.substr(0, key.size()), key))
        return false;
    uint32_t rgb = 0;
    for (size_t i = key.size(); i < line.size(); ++i) {
        const char c = line[i];
        const int digit = (c >= '0' && c <= '9')   ? c - '0'
                          : (c >= 'a' && c <= 'f') ? c - 'a' + 10
                          : (c >= 'A' && c <= 'F') ? c - 'A' + 10
                                                   : -1;
        if (digit < 0)
            return false;
        rgb = (rgb << 4) | uint32_t(digit);
    }
    // The file writes red, green, blue; the project keeps 0x00BBGGRR.
    color = ((rgb >> 16) & 0xFF) | (rgb & 0xFF00) | ((rgb & 0xFF) << 16);
    return true;
}

} // namespace

bool CScenarioReader::ParseLine(const std::string& line, int number)
{
    const std::vector<std::string> f = CScenarioFile::SplitFields(line);
    Entry entry;
    entry.line = number;
    if (f[0] == "CONTROL") {
        entry.control = true;
        if (f.size() != 5 || !readNumber(f[1], entry.CellValid) ||
            !readNumber(f[2], entry.MotionType) || !readNumber(f[3], entry.AutoIntervalSec) ||
            !readNumber(f[4], entry.InputDev))
            return false;
        m_entries.push_back(entry);
        return true;
    }
    if (f.size() < kSlideFields)
        return false;
    const size_t first = f.size() - kNumberFields;
    int32_t numbers[kNumberFields] = {};
    for (size_t i = 0; i < kNumberFields; ++i) {
        if (!readNumber(f[first + i], numbers[i]))
            return false;
    }
    // Nothing is escaped: a comma of the project name stands in the names.
    // The picture name ends where its extension does.
    std::string names;
    for (size_t i = 0; i < first; ++i)
        names += (i ? "," : "") + f[i];
    if (first == 2) {
        entry.picture = f[0];
        entry.thumbnail = f[1];
    }
    for (size_t comma = names.find(','); comma != std::string::npos;
         comma = names.find(',', comma + 1)) {
        if (hasPictureExtension(names.substr(0, comma))) {
            entry.picture = names.substr(0, comma);
            entry.thumbnail = names.substr(comma + 1);
            break;
        }
    }
    // A name that would leave the scenario folder is never opened.
    if (!CCardFolder::IsPlainName(entry.picture) ||
        (!entry.thumbnail.empty() && !CCardFolder::IsPlainName(entry.thumbnail)))
        return false;
    entry.CellValid = numbers[0];
    entry.MotionType = numbers[1];
    entry.AutoIntervalSec = numbers[2];
    entry.Effect = numbers[3];
    for (size_t i = 0; i < entry.Disolve.size(); ++i)
        entry.Disolve[i] = numbers[4 + i];
    m_entries.push_back(entry);
    return true;
}

bool CScenarioReader::Parse(const QByteArray& bytes)
{
    m_projectName.clear();
    m_backColor = 0;
    m_entries.clear();
    m_errorLine = 0;
    if (bytes.size() > MaxFileSize)
        return false;
    int number = 0;
    qsizetype pos = 0;
    while (pos < bytes.size()) {
        qsizetype eol = bytes.indexOf('\n', pos);
        if (eol < 0)
            eol = bytes.size();
        std::string line(bytes.constData() + pos, static_cast<size_t>(eol - pos));
        pos = eol + 1;
        ++number;
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        bool ok = line.find('\0') == std::string::npos;
        if (ok) {
            switch (number) {
            case 1:
                ok = CAsciiCase::Equal(line, "[Project]");
                break;
            case 2:
                m_projectName = line;
                break;
            case 3:
                ok = readColor(line, m_backColor);
                break;
            case 4:
                ok = CAsciiCase::Equal(line, "[Slides]");
                break;
            default:
                ok = ParseLine(line, number);
            }
        }
        if (!ok) {
            m_errorLine = number;
            return false;
        }
    }
    if (number < 4) {
        m_errorLine = number + 1;
        return false;
    }
    return true;
}

bool CScenarioReader::ReadFile(const std::string& path)
{
    m_entries.clear();
    m_errorLine = 0;
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() > MaxFileSize)
        return false;
    return Parse(file.readAll());
}
