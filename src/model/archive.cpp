#include "model/archive.h"

#include <QString>
#include <cstring>

namespace {

// Object tags of the framework's layout.
constexpr uint16_t NullTag = 0;
constexpr uint16_t NewClassTag = 0xFFFF;
constexpr uint16_t ClassTag = 0x8000;
constexpr uint16_t BigObjectTag = 0x7FFF;
constexpr uint32_t BigClassTag = 0x80000000u;
// The framework refuses maps beyond this many entries.
constexpr uint32_t MaxMapCount = 0x3FFFFFFEu;

} // namespace

const char* CArchiveException::what() const noexcept
{
    switch (m_cause) {
    case EndOfFile:
        return "archive: unexpected end of data";
    case BadIndex:
        return "archive: bad object or class index";
    case BadClass:
        return "archive: unexpected class";
    case BadSchema:
        return "archive: unexpected schema";
    case ReadOnly:
        return "archive: writing to a reading archive";
    case WriteOnly:
        return "archive: reading from a writing archive";
    case None:
    case Generic:
        break;
    }
    return "archive: error";
}

CArchive::CArchive(QByteArray* buffer) : m_out(buffer) {}

CArchive::CArchive(const char* data, size_t size)
    : m_in(reinterpret_cast<const uint8_t*>(data)), m_size(data ? size : 0)
{
    m_loaded.emplace_back(); // index 0: null
}

CArchive::~CArchive() = default;

void CArchive::Throw(CArchiveException::Cause cause)
{
    throw CArchiveException(cause);
}

void CArchive::Need(size_t bytes) const
{
    if (m_out)
        Throw(CArchiveException::WriteOnly);
    if (bytes > m_size - m_pos)
        Throw(CArchiveException::EndOfFile);
}

uint32_t CArchive::NextMapIndex()
{
    if (m_mapCount >= MaxMapCount)
        Throw(CArchiveException::BadIndex);
    return m_mapCount++;
}

// --- writing ---------------------------------------------------------------

void CArchive::WriteBytes(const void* data, size_t size)
{
    if (!m_out)
        Throw(CArchiveException::ReadOnly);
    if (size)
        m_out->append(static_cast<const char*>(data), qsizetype(size));
}

void CArchive::WriteByte(uint8_t value)
{
    WriteBytes(&value, 1);
}

void CArchive::WriteUInt16(uint16_t value)
{
    const uint8_t b[2] = {uint8_t(value), uint8_t(value >> 8)};
    WriteBytes(b, 2);
}

void CArchive::WriteUInt32(uint32_t value)
{
    const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                          uint8_t(value >> 24)};
    WriteBytes(b, 4);
}

void CArchive::WriteString(std::string_view text)
{
    const size_t n = text.size();
    if (n < 0xFF) {
        WriteByte(uint8_t(n));
    } else if (n < 0xFFFE) { // 0xFFFE would announce a wide-character string
        WriteByte(0xFF);
        WriteUInt16(uint16_t(n));
    } else if (n < 0xFFFFFFFFu) {
        WriteByte(0xFF);
        WriteUInt16(0xFFFF);
        WriteUInt32(uint32_t(n));
    } else {
        Throw(CArchiveException::Generic);
    }
    WriteBytes(text.data(), n);
}

void CArchive::WriteCount(uint32_t count)
{
    if (count < 0xFFFF) {
        WriteUInt16(uint16_t(count));
    } else {
        WriteUInt16(0xFFFF);
        WriteUInt32(count);
    }
}

void CArchive::WriteObject(const CArchiveObject* object)
{
    if (!m_out)
        Throw(CArchiveException::ReadOnly);
    if (!object) {
        WriteUInt16(NullTag);
        return;
    }
    if (auto it = m_storedObjects.find(object); it != m_storedObjects.end()) {
        const uint32_t index = it->second;
        if (index < BigObjectTag) {
            WriteUInt16(uint16_t(index));
        } else {
            WriteUInt16(BigObjectTag);
            WriteUInt32(index);
        }
        return;
    }

    const char* name = object->ClassName();
    auto [cls, isNew] = m_storedClasses.try_emplace(name, 0);
    if (!isNew) {
        const uint32_t index = cls->second;
        if (index < BigObjectTag) {
            WriteUInt16(uint16_t(ClassTag | index));
        } else {
            WriteUInt16(BigObjectTag);
            WriteUInt32(BigClassTag | index);
        }
    } else {
        const size_t length = std::strlen(name);
        WriteUInt16(NewClassTag);
        WriteUInt16(Schema);
        WriteUInt16(uint16_t(length));
        WriteBytes(name, length);
        cls->second = NextMapIndex();
    }
    m_storedObjects.emplace(object, NextMapIndex());
    const_cast<CArchiveObject*>(object)->Serialize(*this);
}

// --- reading ---------------------------------------------------------------

uint8_t CArchive::ReadByte()
{
    Need(1);
    return m_in[m_pos++];
}

uint16_t CArchive::ReadUInt16()
{
    Need(2);
    const uint16_t v = uint16_t(m_in[m_pos] | (m_in[m_pos + 1] << 8));
    m_pos += 2;
    return v;
}

uint32_t CArchive::ReadUInt32()
{
    Need(4);
    const uint32_t v = uint32_t(m_in[m_pos]) | (uint32_t(m_in[m_pos + 1]) << 8) |
                       (uint32_t(m_in[m_pos + 2]) << 16) | (uint32_t(m_in[m_pos + 3]) << 24);
    m_pos += 4;
    return v;
}

std::string CArchive::ReadString()
{
    uint64_t length = ReadByte();
    size_t charSize = 1;
    if (length == 0xFF) {
        uint32_t wide = ReadUInt16();
        if (wide == 0xFFFE) {
            // A wide-character string: its length follows in the same form.
            charSize = 2;
            length = ReadByte();
            if (length == 0xFF)
                wide = ReadUInt16();
        }
        if (length == 0xFF) {
            if (wide < 0xFFFF) {
                length = wide;
            } else {
                length = ReadUInt32();
                if (length == 0xFFFFFFFFu) {
                    const uint64_t low = ReadUInt32();
                    const uint64_t high = ReadUInt32();
                    length = low | (high << 32);
                }
            }
        }
    }
    if (length > BytesLeft() / charSize)
        Throw(CArchiveException::EndOfFile);
    const size_t bytes = size_t(length) * charSize;
    const char* start = reinterpret_cast<const char*>(m_in + m_pos);
    m_pos += bytes;
    if (charSize == 1)
        return std::string(start, bytes);
    std::u16string wideText(size_t(length), u'\0');
    for (size_t i = 0; i < size_t(length); ++i)
        wideText[i] = char16_t(uint8_t(start[2 * i]) | (uint8_t(start[2 * i + 1]) << 8));
    return QString::fromUtf16(wideText.data(), qsizetype(wideText.size())).toStdString();
}

uint32_t CArchive::ReadCount()
{
    uint32_t count = ReadUInt16();
    if (count == 0xFFFF)
        count = ReadUInt32();
    if (count > BytesLeft())
        Throw(CArchiveException::EndOfFile);
    return count;
}

CArchiveObject* CArchive::ReadObject(Factory factory, std::unique_ptr<CArchiveObject>& created)
{
    if (m_out)
        Throw(CArchiveException::WriteOnly);
    const uint16_t wordTag = ReadUInt16();
    uint32_t tag;
    if (wordTag == BigObjectTag)
        tag = ReadUInt32();
    else
        tag = (uint32_t(wordTag & ClassTag) << 16) | (wordTag & ~ClassTag);

    if (!(tag & BigClassTag)) {
        // A reference to an object read before (0: null).
        if (tag >= m_loaded.size())
            Throw(CArchiveException::BadIndex);
        if (tag == 0)
            return nullptr;
        CArchiveObject* object = m_loaded[tag].object;
        if (!object)
            Throw(CArchiveException::BadIndex); // the index names a class
        return object;
    }

    std::unique_ptr<CArchiveObject> object;
    if (wordTag == NewClassTag) {
        const uint16_t schema = ReadUInt16();
        const uint16_t length = ReadUInt16();
        if (length > MaxClassNameLength)
            Throw(CArchiveException::BadClass);
        Need(length);
        std::string name(reinterpret_cast<const char*>(m_in + m_pos), length);
        m_pos += length;
        object = factory(name);
        if (!object)
            Throw(CArchiveException::BadClass);
        if (schema != Schema)
            Throw(CArchiveException::BadSchema);
        const uint32_t index = NextMapIndex();
        m_loaded.resize(index + 1);
        m_loaded[index].className = std::move(name);
    } else {
        const uint32_t index = tag & ~BigClassTag;
        if (index == 0 || index >= m_loaded.size() || m_loaded[index].className.empty())
            Throw(CArchiveException::BadIndex); // no such entry, or it names an object
        object = factory(m_loaded[index].className);
        if (!object)
            Throw(CArchiveException::BadClass);
    }

    // The object takes its index before its fields are read, so that they
    // may refer to it.
    const uint32_t index = NextMapIndex();
    m_loaded.resize(index + 1);
    m_loaded[index].object = object.get();
    created = std::move(object);
    created->Serialize(*this);
    return created.get();
}

void CArchive::KeepObject(std::unique_ptr<CArchiveObject> object)
{
    if (object)
        m_kept.push_back(std::move(object));
}

std::vector<std::unique_ptr<CArchiveObject>> CArchive::TakeKeptObjects()
{
    return std::move(m_kept);
}

void CArchive::Exchange(int32_t& value)
{
    if (IsStoring())
        WriteInt32(value);
    else
        value = ReadInt32();
}

void CArchive::Exchange(std::string& text)
{
    if (IsStoring())
        WriteString(text);
    else
        text = ReadString();
}
