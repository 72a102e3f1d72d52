#include "document/projectreader.h"

#include "base/asciicase.h"
#include "document/projectfile.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <cstring>
#include <limits>
#include <memory>
#include <utility>

namespace {

bool isSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string_view trim(std::string_view s)
{
    const size_t first = s.find_first_not_of(" \t\n\v\f\r");
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(" \t\n\v\f\r") - first + 1);
}

enum class Section
{
    None,
    Project,
    Slides
};

// The key of a line with every white-space character removed. Known keys are
// short, so only the first characters are kept; a longer key is unknown.
struct NormalisedKey
{
    char text[32];
    size_t size = 0;
    bool tooLong = false;

    std::string_view view() const
    {
        return tooLong ? std::string_view() : std::string_view(text, size);
    }
    bool is(std::string_view name) const { return !tooLong && CAsciiCase::Equal(view(), name); }
};

// Hands each line of `text` to `handle` as its normalised key and trimmed
// value; stops, returning false, at the first line `handle` refuses.
template <typename Handle> bool forEachLine(std::string_view text, Handle handle)
{
    size_t pos = 0;
    while (pos < text.size()) {
        const char* begin = text.data() + pos;
        const size_t rest = text.size() - pos;
        const void* nl = std::memchr(begin, '\n', rest);
        const size_t lineLength = nl ? size_t(static_cast<const char*>(nl) - begin) : rest;
        pos += lineLength + (nl ? 1 : 0);
        std::string_view line(begin, lineLength);
        // A NUL ends the line's text, as it ends a C string.
        if (const void* nul = std::memchr(line.data(), '\0', line.size()))
            line = line.substr(0, size_t(static_cast<const char*>(nul) - line.data()));

        const size_t eq = line.find('=');
        const std::string_view keyPart = eq == std::string_view::npos ? line : line.substr(0, eq);
        const std::string_view value =
            eq == std::string_view::npos ? std::string_view() : trim(line.substr(eq + 1));
        NormalisedKey key;
        for (char c : keyPart) {
            if (isSpace(c))
                continue;
            if (key.size == sizeof key.text) {
                key.tooLong = true;
                break;
            }
            key.text[key.size++] = c;
        }
        if (!handle(key, value))
            return false;
    }
    return true;
}

bool isSet(const std::string& field)
{
    return !field.empty();
}
bool isSet(const QDateTime& field)
{
    return field.isValid();
}
bool isSet(int32_t field)
{
    return field != 0;
}
bool isSet(bool field)
{
    return field;
}

// A field the file may give only once: a second value (after one that set
// it) refuses the whole file.
template <typename Field, typename Assign> bool setOnce(Field& field, Assign assign)
{
    if (isSet(field))
        return false;
    assign(field);
    return true;
}

// The keys the reader knows, found once per line so that each handler
// switches on the key instead of comparing names one after another.
enum class Key
{
    Unknown,
    ProjectSection,
    SlidesSection,
    ProjectName,
    ProjectPath,
    BackColor,
    CreateDateTime,
    LastWriteDateTime,
    ImageQuality,
    Version,
    Slide,
    Control,
    AutoIntervalSec,
    CellValid,
    MotionType,
    InputDev,
    FileName,
    RefFilePath,
    RefFileTime,
    RefPage,
    DispFileName,
    ThumbFileName,
    Effect,
    Disolve,
    Resize,
    BmpSize
};

constexpr std::pair<std::string_view, Key> kKeys[] = {
    {"[Project]", Key::ProjectSection},
    {"[Slides]", Key::SlidesSection},
    {"ProjectName", Key::ProjectName},
    {"ProjectPath", Key::ProjectPath},
    {"BackColor", Key::BackColor},
    {"CreateDateTime", Key::CreateDateTime},
    {"LastWriteDateTime", Key::LastWriteDateTime},
    {"ImageQuality", Key::ImageQuality},
    {"Version", Key::Version},
    {"Slide", Key::Slide},
    {"Control", Key::Control},
    {"AutoIntervalSec", Key::AutoIntervalSec},
    {"CellValid", Key::CellValid},
    {"MotionType", Key::MotionType},
    {"InputDev", Key::InputDev},
    {"FileName", Key::FileName},
    {"RefFilePath", Key::RefFilePath},
    {"RefFileTime", Key::RefFileTime},
    {"RefPage", Key::RefPage},
    {"DispFileName", Key::DispFileName},
    {"ThumbFileName", Key::ThumbFileName},
    {"Effect", Key::Effect},
    {"Disolve", Key::Disolve},
    {"Resize", Key::Resize},
    {"BmpSize", Key::BmpSize},
};

Key keyOf(const NormalisedKey& key)
{
    if (key.tooLong || key.size == 0)
        return Key::Unknown;
    const char first = CAsciiCase::Lower(key.text[0]);
    for (const auto& [name, id] : kKeys) {
        if (name.size() == key.size && CAsciiCase::Lower(name[0]) == first &&
            CAsciiCase::Equal(name, key.view()))
            return id;
    }
    return Key::Unknown;
}

// The reading of one project text: the section it is in and the cell it
// fills, with one handler per section.
class ProjectReader
{
public:
    ProjectReader(CProjectFile& file, CCellInfoList& cells) : m_file(file), m_cells(cells) {}

    bool Line(const NormalisedKey& name, std::string_view value)
    {
        const Key key = keyOf(name);
        if (key == Key::ProjectSection)
            return Enter(Section::Project, m_seenProject);
        if (key == Key::SlidesSection)
            return Enter(Section::Slides, m_seenSlides);
        switch (m_section) {
        case Section::Project:
            return ProjectLine(key, value);
        case Section::Slides:
            return SlidesLine(key, value);
        case Section::None:
            break;
        }
        return true;
    }

    // Whether the last line read belongs to a cell's record.
    bool InCell() const { return m_section == Section::Slides && m_current; }

private:
    bool Enter(Section section, bool& seen)
    {
        m_section = section;
        m_current = nullptr;
        return setOnce(seen, [](bool& f) { f = true; });
    }

    bool ProjectLine(Key key, std::string_view value)
    {
        CProjectFile& f = m_file;
        switch (key) {
        case Key::ProjectName:
            return setOnce(f.ProjectName, [&](std::string& s) { s.assign(value); });
        case Key::ProjectPath:
            return setOnce(f.ProjectPath, [&](std::string& path) {
                path.assign(value);
                if (!path.empty()) {
                    if (path.back() != '/' && path.back() != '\\')
                        path += '/';
                    m_cells.ProjectFolder = path;
                }
            });
        case Key::BackColor: {
            uint32_t rgb[3] = {0, 0, 0};
            CProjectFile::ParseUnsignedList(value, rgb, 3);
            f.BackColor = (rgb[0] & 0xFFu) | ((rgb[1] & 0xFFu) << 8) | ((rgb[2] & 0xFFu) << 16);
            break;
        }
        case Key::CreateDateTime:
        case Key::LastWriteDateTime: {
            QDateTime& target = key == Key::CreateDateTime ? f.CreateDateTime : f.LastWriteDateTime;
            return setOnce(target, [&](QDateTime& t) { CProjectFile::ParseDateTime(value, t); });
        }
        case Key::ImageQuality:
            f.ImageQuality = CProjectFile::ParseDecimal(value);
            if (f.ImageQuality < 0)
                f.ImageQuality = 2;
            break;
        case Key::Version:
            f.Version = CProjectFile::ParseDecimal(value);
            if (f.Version < 0)
                f.Version = 0;
            break;
        default:
            break;
        }
        return true;
    }

    bool SlidesLine(Key key, std::string_view value)
    {
        if (key == Key::Slide || key == Key::Control)
            return NewCell(key == Key::Slide);
        if (!m_current)
            return false;
        const bool imageKey = key >= Key::FileName && key <= Key::BmpSize;
        if (imageKey)
            return m_image && ImageLine(key, value);
        switch (key) {
        case Key::AutoIntervalSec:
            m_current->AutoIntervalSec = CProjectFile::ParseDecimal(value);
            break;
        case Key::CellValid:
            m_current->CellValid = CProjectFile::ParseDecimal(value);
            break;
        case Key::MotionType:
            m_current->MotionType = CProjectFile::ParseDecimal(value);
            if (m_current->MotionType > 1)
                m_current->MotionType = 1;
            break;
        case Key::InputDev:
            if (!m_control)
                return false;
            m_control->InputDev = CProjectFile::ParseDecimal(value);
            if (m_control->InputDev > 2)
                m_control->InputDev = 0;
            break;
        default:
            break;
        }
        return true;
    }

    bool ImageLine(Key key, std::string_view value)
    {
        CCellBmpInfo& image = *m_image;
        const auto assign = [value](std::string& field) { field.assign(value); };
        switch (key) {
        case Key::FileName:
            return setOnce(image.FileName, assign);
        case Key::DispFileName:
            return setOnce(image.DispFileName, assign);
        case Key::ThumbFileName:
            return setOnce(image.ThumbFileName, assign);
        case Key::RefFilePath:
            if (!setOnce(image.RefFilePath, assign))
                return false;
            image.UpdateSourceKind();
            break;
        case Key::RefFileTime:
            return setOnce(image.RefFileTime, [value](int32_t& time) {
                QDateTime when;
                if (!value.empty() && CProjectFile::ParseDateTime(value, when)) {
                    const qint64 seconds = when.toSecsSinceEpoch();
                    if (seconds >= 0 && seconds <= std::numeric_limits<int32_t>::max())
                        time = int32_t(seconds);
                }
            });
        case Key::RefPage:
            image.RefPage = CProjectFile::ParseDecimal(value);
            if (image.RefPage == 0)
                image.RefPage = 1;
            break;
        case Key::Effect:
            image.Effect = CProjectFile::ParseDecimal(value);
            if (image.Effect < 0 || image.Effect > 41)
                image.Effect = 0;
            break;
        case Key::Disolve:
            CProjectFile::ParseDecimalList(value, image.Disolve.data(), CCellBmpInfo::DisolveCount);
            break;
        case Key::Resize:
            CProjectFile::ParseDecimalList(value, image.Resize, 2);
            break;
        case Key::BmpSize:
            CProjectFile::ParseDecimalList(value, image.BmpSize, 2);
            break;
        default:
            break;
        }
        return true;
    }

    bool NewCell(bool isImage)
    {
        if (++m_cellCount > CProjectFile::MaxCells)
            return false;
        std::unique_ptr<CCellInfo> cell =
            CCellInfo::CreateOfType(isImage ? CCellInfo::Type::Image : CCellInfo::Type::Control);
        m_current = cell.get();
        m_image = isImage ? dynamic_cast<CCellBmpInfo*>(m_current) : nullptr;
        m_control = isImage ? nullptr : dynamic_cast<CCellCtrlInfo*>(m_current);
        if ((isImage && !m_image) || (!isImage && !m_control))
            return false;
        m_cells.Append(std::move(cell));
        return true;
    }

    CProjectFile& m_file;
    CCellInfoList& m_cells;
    Section m_section = Section::None;
    bool m_seenProject = false;
    bool m_seenSlides = false;
    CCellInfo* m_current = nullptr;
    CCellBmpInfo* m_image = nullptr;
    CCellCtrlInfo* m_control = nullptr;
    int m_cellCount = 0;
};

} // namespace

bool ReadProjectLines(std::string_view text, CProjectFile& file, CCellInfoList& cells)
{
    ProjectReader reader(file, cells);
    const int before = cells.GetCount();
    if (!forEachLine(text, [&](const NormalisedKey& key, std::string_view value) {
            return reader.Line(key, value);
        }))
        return false;
    // The writer ends every line with a line break, so a text that ends
    // inside a line was cut short: its last record lost keys whose defaults
    // would show the cell wrongly (switched off, without its thumbnail), so
    // the cell is left out like one whose pictures are gone.
    if (!text.empty() && text.back() != '\n' && reader.InCell() && cells.GetCount() > before) {
        cells.GetAt(cells.GetCount() - 1)->StateFlags |= CCellInfo::StateDeleted;
        file.CutShortCell = cells.GetCount() - before;
    }
    return true;
}
