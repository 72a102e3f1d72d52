#include "document/projectfile.h"

#include "base/safefile.h"
#include "document/projectreader.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <QFile>
#include <QSaveFile>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <limits>
#include <memory>

namespace {

// The zero date of the project fields, as the writer formats a time.
constexpr const char* kZeroDate = "1899/12/30 0:00:00";

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c)
{
    return c >= '0' && c <= '9';
}

std::string_view trim(std::string_view s)
{
    while (!s.empty() && isSpace(s.front()))
        s.remove_prefix(1);
    while (!s.empty() && isSpace(s.back()))
        s.remove_suffix(1);
    return s;
}

// Reads blanks, an optional sign and digits from `s` at `pos`. The magnitude
// saturates just above the 32-bit range, so any length of digits is safe.
// Returns false when no digit follows.
bool scanNumber(std::string_view s, size_t& pos, bool& negative, uint64_t& magnitude)
{
    size_t p = pos;
    while (p < s.size() && isSpace(s[p]))
        ++p;
    negative = false;
    if (p < s.size() && (s[p] == '+' || s[p] == '-')) {
        negative = s[p] == '-';
        ++p;
    }
    if (p >= s.size() || !isDigit(s[p]))
        return false;
    constexpr uint64_t cap = uint64_t(1) << 33;
    magnitude = 0;
    while (p < s.size() && isDigit(s[p])) {
        if (magnitude < cap)
            magnitude = magnitude * 10 + uint64_t(s[p] - '0');
        ++p;
    }
    pos = p;
    return true;
}

int32_t clampSigned(bool negative, uint64_t magnitude)
{
    if (negative)
        return magnitude >= uint64_t(1) << 31 ? std::numeric_limits<int32_t>::min()
                                              : -int32_t(magnitude);
    return magnitude > uint64_t(std::numeric_limits<int32_t>::max())
               ? std::numeric_limits<int32_t>::max()
               : int32_t(magnitude);
}

uint32_t clampUnsigned(bool negative, uint64_t magnitude)
{
    if (magnitude > uint64_t(std::numeric_limits<uint32_t>::max()))
        return std::numeric_limits<uint32_t>::max();
    const uint32_t value = uint32_t(magnitude);
    return negative ? uint32_t(0u - value) : value;
}

// Reads an unsigned run of 1..maxDigits digits.
bool scanField(std::string_view s, size_t& pos, size_t maxDigits, int& value)
{
    size_t p = pos;
    value = 0;
    while (p < s.size() && isDigit(s[p]) && p - pos < maxDigits)
        value = value * 10 + (s[p++] - '0');
    if (p == pos || (p < s.size() && isDigit(s[p])))
        return false;
    pos = p;
    return true;
}

bool hasLineBreakOrNul(const std::string& value)
{
    return value.find_first_of(std::string_view("\r\n\0", 3)) != std::string::npos;
}

// Builds the text with the writer's line formats.
class LineWriter
{
public:
    explicit LineWriter(QByteArray& out) : m_out(out) {}

    void raw(std::string_view line)
    {
        m_out.append(line.data(), qsizetype(line.size()));
        m_out.append('\n');
    }
    void str(const char* key, const std::string& value)
    {
        if (hasLineBreakOrNul(value))
            m_ok = false;
        m_out.append(key).append('=');
        m_out.append(value.data(), qsizetype(value.size())).append('\n');
    }
    void num(const char* key, int32_t value)
    {
        m_out.append(key).append('=').append(QByteArray::number(value)).append('\n');
    }
    void pair(const char* key, const int32_t* values)
    {
        m_out.append(key).append('=').append(QByteArray::number(values[0])).append(',');
        m_out.append(QByteArray::number(values[1])).append('\n');
    }
    // A time line is left out when the time cannot be formatted.
    void time(const char* key, const std::string& formatted)
    {
        if (formatted.empty())
            return;
        m_out.append(key).append('=');
        m_out.append(formatted.data(), qsizetype(formatted.size())).append('\n');
    }
    bool ok() const { return m_ok; }

private:
    QByteArray& m_out;
    bool m_ok = true;
};

} // namespace

// ---------------------------------------------------------------------------
// Numbers and times

int32_t CProjectFile::ParseDecimal(std::string_view text)
{
    size_t pos = 0;
    bool negative = false;
    uint64_t magnitude = 0;
    if (!scanNumber(text, pos, negative, magnitude))
        return 0;
    return clampSigned(negative, magnitude);
}

namespace {

// Reads up to `count` comma-separated numbers, each clamped by `clamp`; stops
// at the first gap, as the platform's list reader did.
template <typename T, typename Clamp>
int parseList(std::string_view text, T* values, int count, Clamp clamp)
{
    size_t pos = 0;
    int read = 0;
    while (read < count) {
        bool negative = false;
        uint64_t magnitude = 0;
        if (!scanNumber(text, pos, negative, magnitude))
            break;
        values[read++] = clamp(negative, magnitude);
        if (pos >= text.size() || text[pos] != ',')
            break;
        ++pos;
    }
    return read;
}

} // namespace

int CProjectFile::ParseDecimalList(std::string_view text, int32_t* values, int count)
{
    return parseList(text, values, count, clampSigned);
}

int CProjectFile::ParseUnsignedList(std::string_view text, uint32_t* values, int count)
{
    return parseList(text, values, count, clampUnsigned);
}

std::string CProjectFile::FormatDateTime(const QDateTime& time)
{
    if (!time.isValid())
        return {};
    const QDateTime local = time.toLocalTime();
    const QDate d = local.date();
    const QTime t = local.time();
    if (!d.isValid() || d.year() < 1 || d.year() > 9999)
        return {};
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %d:%02d:%02d", d.year(), d.month(),
                  d.day(), t.hour(), t.minute(), t.second());
    return buffer;
}

std::string CProjectFile::FormatFileTime(int64_t seconds)
{
    if (seconds < 0)
        return {};
    const std::time_t value = static_cast<std::time_t>(seconds);
    std::tm tm{};
    if (!localtime_r(&value, &tm))
        return {};
    const int year = tm.tm_year + 1900;
    if (year < 1 || year > 9999)
        return {};
    char buffer[48];
    std::snprintf(buffer, sizeof buffer, "%04d/%02d/%02d %d:%02d:%02d", year, tm.tm_mon + 1,
                  tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
    return buffer;
}

bool CProjectFile::ParseDateTime(std::string_view text, QDateTime& time)
{
    text = trim(text);
    size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    const auto separator = [&](const char* allowed) {
        if (pos < text.size() && std::strchr(allowed, text[pos]) && text[pos] != '\0') {
            ++pos;
            return true;
        }
        return false;
    };
    if (!scanField(text, pos, 4, year) || !separator("/-.") || !scanField(text, pos, 2, month) ||
        !separator("/-.") || !scanField(text, pos, 2, day))
        return false;
    if (pos < text.size()) {
        if (!isSpace(text[pos]))
            return false;
        while (pos < text.size() && isSpace(text[pos]))
            ++pos;
        if (!scanField(text, pos, 2, hour) || !separator(":") || !scanField(text, pos, 2, minute))
            return false;
        if (separator(":") && !scanField(text, pos, 2, second))
            return false;
        if (pos != text.size())
            return false;
    }
    const QDate date(year, month, day);
    const QTime clock(hour, minute, second);
    if (year < 1 || !date.isValid() || !clock.isValid())
        return false;
    QDateTime result(date, clock, Qt::LocalTime);
    if (!result.isValid())
        return false;
    time = result;
    return true;
}

// ---------------------------------------------------------------------------
// Writing

bool CProjectFile::Write(const CCellInfoList& cells, QByteArray& text) const
{
    text.clear();
    text.reserve(256 + qsizetype(cells.GetCount()) * 320);
    LineWriter w(text);
    w.raw("[Project]");
    w.str("ProjectName", ProjectName);
    w.str("ProjectPath", ProjectPath);
    {
        char line[64];
        std::snprintf(line, sizeof line, "BackColor=%u,%u,%u", BackColor & 0xFFu,
                      (BackColor >> 8) & 0xFFu, (BackColor >> 16) & 0xFFu);
        w.raw(line);
    }
    // A project without a creation time still names one: the zero date.
    const std::string created = FormatDateTime(CreateDateTime);
    w.time("CreateDateTime", created.empty() ? kZeroDate : created);
    w.time("LastWriteDateTime", FormatDateTime(LastWriteDateTime));
    w.num("ImageQuality", ImageQuality);
    w.num("Version", Version);
    w.raw("[Slides]");
    for (int i = 0; i < cells.GetCount(); ++i) {
        const CCellInfo* cell = cells.GetAt(i);
        if (!cell) {
            text.clear();
            return false;
        }
        if (!cell->IsVisible())
            continue;
        if (cell->CellType == CCellInfo::Type::Image) {
            const auto* bmp = dynamic_cast<const CCellBmpInfo*>(cell);
            if (!bmp) {
                text.clear();
                return false;
            }
            w.raw("Slide");
            w.str("FileName", bmp->FileName);
            w.str("RefFilePath", bmp->RefFilePath);
            w.time("RefFileTime", FormatFileTime(bmp->RefFileTime));
            w.num("RefPage", bmp->RefPage);
            w.num("AutoIntervalSec", bmp->AutoIntervalSec);
            w.num("MotionType", bmp->MotionType);
            w.num("CellValid", bmp->CellValid);
            w.str("DispFileName", bmp->DispFileName);
            w.str("ThumbFileName", bmp->ThumbFileName);
            w.num("Effect", bmp->Effect);
            text.append("Disolve=");
            for (int k = 0; k < CCellBmpInfo::DisolveCount; ++k) {
                if (k)
                    text.append(',');
                text.append(QByteArray::number(bmp->Disolve[size_t(k)]));
            }
            text.append('\n');
            w.pair("Resize", bmp->Resize);
            w.pair("BmpSize", bmp->BmpSize);
        } else if (cell->CellType == CCellInfo::Type::Control) {
            const auto* ctrl = dynamic_cast<const CCellCtrlInfo*>(cell);
            if (!ctrl) {
                text.clear();
                return false;
            }
            w.raw("Control");
            w.num("AutoIntervalSec", ctrl->AutoIntervalSec);
            w.num("MotionType", ctrl->MotionType);
            w.num("CellValid", ctrl->CellValid);
            w.num("InputDev", ctrl->InputDev);
        } else {
            text.clear();
            return false;
        }
    }
    if (!w.ok()) {
        text.clear();
        return false;
    }
    return true;
}

CProjectFile::WriteStatus CProjectFile::WriteFile(const std::string& path,
                                                  const CCellInfoList& cells, int* error) const
{
    if (error)
        *error = 0;
    QByteArray text;
    if (!Write(cells, text))
        return WriteBadCell;
    CSafeFile file(path);
    if (!file.Open()) {
        if (error)
            *error = file.Error();
        switch (file.Error()) {
        case ENOENT:
        case ENOTDIR:
        case EISDIR:
        case EINVAL:
        case ENAMETOOLONG:
            return WriteCannotCreate;
        default:
            return WriteFailed;
        }
    }
    if (file.Write(text) && file.Commit())
        return WriteOk;
    if (error)
        *error = file.Error();
    return WriteFailed;
}

// ---------------------------------------------------------------------------
// Reading

bool CProjectFile::Read(std::string_view text, CCellInfoList& cells)
{
    ProjectName.clear();
    ProjectPath.clear();
    BackColor = 0;
    ImageQuality = 2;
    Version = 0;
    CreateDateTime = QDateTime();
    LastWriteDateTime = QDateTime();
    CutShortCell = 0;

    if (!ReadProjectLines(text, *this, cells))
        return false;

    if (ProjectName.empty() || ProjectPath.empty())
        return false;
    // The name becomes the project file's name: it must be a plain file name.
    if (ProjectName.size() > 251 || ProjectName == "." || ProjectName == ".." ||
        ProjectName.find_first_of("/\\") != std::string::npos)
        return false;
    for (unsigned char c : ProjectName)
        if (c < 0x20 || c == 0x7F)
            return false;
    return true;
}

CProjectFile::ReadStatus CProjectFile::ReadFile(const std::string& path, CCellInfoList& cells)
{
    QFile file(QString::fromStdString(path));
    if (path.empty() || !file.open(QIODevice::ReadOnly))
        return ReadCannotOpen;
    if (file.size() > MaxFileSize)
        return ReadInvalid;
    // Read in pieces: a device that reports no size (a pipe) is still bounded.
    QByteArray bytes;
    try {
        char chunk[65536];
        for (;;) {
            const qint64 got = file.read(chunk, sizeof chunk);
            if (got < 0)
                return ReadCannotOpen;
            if (got == 0)
                break;
            if (bytes.size() + got > MaxFileSize)
                return ReadInvalid;
            bytes.append(chunk, qsizetype(got));
        }
    } catch (const std::bad_alloc&) {
        return ReadCannotOpen;
    }
    return Read(std::string_view(bytes.constData(), size_t(bytes.size())), cells) ? ReadOk
                                                                                  : ReadInvalid;
}
