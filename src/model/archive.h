#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

class CArchive;

// Why an archive could not be read or written. The numbers are those of the
// framework whose byte layout the archive keeps.
class CArchiveException : public std::exception
{
public:
    enum Cause
    {
        None = 0,
        Generic = 1,
        ReadOnly = 2,
        EndOfFile = 3, // truncated data, or a count or length beyond the bytes left
        WriteOnly = 4,
        BadIndex = 5,  // a reference to an entry that does not exist or is of the wrong kind
        BadClass = 6,  // a class that is unknown or not the kind asked for
        BadSchema = 7, // a known class stored with another schema
    };

    explicit CArchiveException(Cause cause) : m_cause(cause) {}
    Cause GetCause() const { return m_cause; }
    const char* what() const noexcept override;

private:
    Cause m_cause;
};

// An object that can be written to an archive and re-created from it by its
// class name.
class CArchiveObject
{
public:
    virtual ~CArchiveObject() = default;
    virtual const char* ClassName() const = 0;
    // Writes or reads the object's fields; throws CArchiveException.
    virtual void Serialize(CArchive& ar) = 0;
};

// The binary archive: little-endian integers, length-prefixed strings,
// 16-bit counts, and objects written as class records or back-references,
// byte for byte as the stored clipboard blocks carry them. A reader never
// trusts a count or length: anything larger than the bytes left is an error,
// and nothing is allocated for a claimed size.
class CArchive
{
public:
    // Every class of this program is stored with schema 1.
    static constexpr uint16_t Schema = 1;
    // Longest class name a reader accepts.
    static constexpr size_t MaxClassNameLength = 63;
    // A new object of the named class, or null when the class is not one the
    // reader accepts.
    using Factory = std::unique_ptr<CArchiveObject> (*)(std::string_view className);

    // A writing archive that appends to `*buffer`.
    explicit CArchive(QByteArray* buffer);
    // A reading archive over `size` bytes at `data` (not copied; must outlive
    // the archive).
    CArchive(const char* data, size_t size);
    explicit CArchive(const QByteArray& data) : CArchive(data.constData(), size_t(data.size())) {}
    ~CArchive();
    CArchive(const CArchive&) = delete;
    CArchive& operator=(const CArchive&) = delete;

    bool IsStoring() const { return m_out != nullptr; }
    bool IsLoading() const { return m_out == nullptr; }
    size_t BytesLeft() const { return m_size - m_pos; }

    // --- writing ---------------------------------------------------------
    void WriteByte(uint8_t value);
    void WriteUInt16(uint16_t value);
    void WriteUInt32(uint32_t value);
    void WriteInt32(int32_t value) { WriteUInt32(static_cast<uint32_t>(value)); }
    // Times are 32-bit seconds.
    void WriteTime(int32_t seconds) { WriteInt32(seconds); }
    void WriteBytes(const void* data, size_t size);
    // Length (1, 3 or 7 bytes) followed by the bytes.
    void WriteString(std::string_view text);
    // 16-bit count, or 0xFFFF and a 32-bit count.
    void WriteCount(uint32_t count);
    // A class record or back-reference followed by the object's fields; an
    // object written before is written as a reference; null as tag 0.
    void WriteObject(const CArchiveObject* object);

    // --- reading ---------------------------------------------------------
    uint8_t ReadByte();
    uint16_t ReadUInt16();
    uint32_t ReadUInt32();
    int32_t ReadInt32() { return static_cast<int32_t>(ReadUInt32()); }
    int32_t ReadTime() { return ReadInt32(); }
    std::string ReadString();
    // A count no larger than the bytes left.
    uint32_t ReadCount();
    // Reads an object: a new one is returned and handed over in `created`; a
    // reference to an object read before returns that object (`created`
    // stays empty); tag 0 returns null.
    CArchiveObject* ReadObject(Factory factory, std::unique_ptr<CArchiveObject>& created);
    // The same for objects of class T (whose static CreateForArchive is the
    // factory); a reference to an object of another class is BadClass.
    template <class T> T* ReadObjectOf(std::unique_ptr<T>& created);

    // Keeps an object read by a reader that cannot own it until the owner
    // of the whole read takes it with TakeKeptObjects.
    void KeepObject(std::unique_ptr<CArchiveObject> object);
    std::vector<std::unique_ptr<CArchiveObject>> TakeKeptObjects();

    // Both directions, for Serialize functions that read and write the same
    // fields in the same order.
    void Exchange(int32_t& value);
    void Exchange(std::string& text);

    [[noreturn]] static void Throw(CArchiveException::Cause cause);

private:
    void Need(size_t bytes) const;
    uint32_t NextMapIndex();

    // Writing
    QByteArray* m_out = nullptr;
    std::unordered_map<const void*, uint32_t> m_storedObjects;
    std::unordered_map<std::string, uint32_t> m_storedClasses;

    // Reading
    const uint8_t* m_in = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    struct LoadEntry
    {
        CArchiveObject* object = nullptr; // set for an object
        std::string className;            // set for a class
    };
    std::vector<LoadEntry> m_loaded; // index 0 is the null entry
    std::vector<std::unique_ptr<CArchiveObject>> m_kept;

    // Indexes count classes and objects together, from 1.
    uint32_t m_mapCount = 1;
};

template <class T> T* CArchive::ReadObjectOf(std::unique_ptr<T>& created)
{
    std::unique_ptr<CArchiveObject> made;
    CArchiveObject* object = ReadObject(&T::CreateForArchive, made);
    if (!object)
        return nullptr;
    T* typed = dynamic_cast<T*>(object);
    if (!typed)
        Throw(CArchiveException::BadClass);
    if (made) {
        made.release();
        created.reset(typed);
    }
    return typed;
}
