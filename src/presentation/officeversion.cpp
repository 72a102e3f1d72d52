#include "presentation/officeversion.h"

#include "presentation/compoundfile.h"
#include "presentation/officelock.h"

#include <QByteArray>
#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>

namespace {

constexpr int kStreamMissing = -2;
constexpr int kUnknownKind = -3;
constexpr int kLocked = -1;

bool lockedByOffice(const std::string& path)
{
    return IsLockedByOffice(path);
}

// The first bytes of a stream in a buffer cleared beforehand: a stream shorter
// than asked for reads as zeros beyond its end.
template <size_t N>
std::array<uint8_t, N> readHead(const CCompoundFile& file, const std::string& stream,
                                int64_t offset, bool& found)
{
    std::array<uint8_t, N> buffer{};
    QByteArray bytes;
    found = file.ReadStream(stream, offset, static_cast<int64_t>(N), bytes);
    std::memcpy(buffer.data(), bytes.constData(),
                std::min(buffer.size(), static_cast<size_t>(bytes.size())));
    return buffer;
}

uint16_t u16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t u32(const uint8_t* p)
{
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// The start that every check shares: a document LibreOffice or another
// program holds counts as locked, one that is no compound file as not
// openable. CCompoundFile::Opened when `file` holds it open.
int openDocument(const std::string& path, CCompoundFile& file)
{
    if (lockedByOffice(path))
        return kLocked;
    return file.Open(path);
}

} // namespace

int GetWordVersion(const std::string& path)
{
    CCompoundFile file;
    if (const int opened = openDocument(path, file); opened != CCompoundFile::Opened)
        return opened;
    bool found = false;
    const auto head = readHead<4>(file, "WordDocument", 0, found);
    if (!found)
        return kStreamMissing;
    const int format = u16(head.data() + 2);
    if (format == 101)
        return 6;
    if (format == 103 || format == 104)
        return 7;
    return format >= 101 ? 8 : format;
}

int GetExcelVersion(const std::string& path)
{
    CCompoundFile file;
    if (const int opened = openDocument(path, file); opened != CCompoundFile::Opened)
        return opened;
    bool found = false;
    auto head = readHead<12>(file, "Workbook", 0, found);
    if (!found)
        head = readHead<12>(file, "Book", 0, found);
    if (!found)
        return kStreamMissing;
    // The workbook's first record (BOF): type, length, version, substream
    // type, build, year.
    const uint16_t type = u16(head.data());
    const uint16_t version = u16(head.data() + 4);
    const uint16_t build = u16(head.data() + 8);
    const uint16_t year = u16(head.data() + 10);
    const int high = type >> 8;
    if (high != 8)
        return (high + 4) / 2;
    if (version == 0x0600)
        return 8;
    if (version != 0x0500)
        return kUnknownKind;
    if (year <= 1993)
        return 5;
    return (build == 2412 || build == 3218 || build == 3321) ? 5 : 7;
}

int GetPowerPointVersion(const std::string& path)
{
    CCompoundFile file;
    if (const int opened = openDocument(path, file); opened != CCompoundFile::Opened)
        return opened;
    // A presentation of the 95 generation that carries its 97 document.
    CCompoundFile dual;
    if (dual.OpenStorage(file, "PP97_DUALSTORAGE") && dual.HasStream("PowerPoint Document"))
        return 8;
    bool found = false;
    // Bytes 8..27 of the current-user atom: size, header token, offset of
    // the current edit, user name length, file version, major, minor. A
    // presentation protected by a password has a token of its own: it is
    // of this generation, and refused with that reason when opened.
    const auto head = readHead<20>(file, "Current User", 8, found);
    if (!found)
        return kStreamMissing;
    const uint32_t token = u32(head.data() + 4);
    const bool current = (token == 0xE391C05Fu || token == 0xF3D1C4DFu) &&
                         u16(head.data() + 14) == 1012 && head[16] == 3 && head[17] == 0;
    return current ? 8 : kUnknownKind;
}
