#pragma once

#include <QByteArray>
#include <cstdint>
#include <string>
#include <vector>

typedef struct _GsfInfile GsfInfile;
typedef struct _GsfInput GsfInput;

// Read access to the streams of a compound file (the storage format of the
// 97-generation office documents), through libgsf. Only the streams of the
// root storage are reachable; their names are matched ignoring ASCII case,
// as the format itself does.
class CCompoundFile
{
public:
    enum OpenResult
    {
        Locked = -1,
        NotOpenable = 0,
        Opened = 1
    };

    CCompoundFile();
    ~CCompoundFile();
    CCompoundFile(const CCompoundFile&) = delete;
    CCompoundFile& operator=(const CCompoundFile&) = delete;

    // Locked: the file is there but this user may not read it. NotOpenable:
    // missing, a folder, or not a compound file.
    OpenResult Open(const std::string& path);
    // The same over bytes in memory (copied).
    bool OpenBytes(const QByteArray& bytes);
    // The storage `name` of `parent`'s root (ASCII case ignored) as this
    // file's root; false when there is none or it is a stream.
    bool OpenStorage(const CCompoundFile& parent, const std::string& name);
    void Close();
    bool IsOpen() const { return m_root != nullptr; }

    // Names of the streams and storages of the root storage.
    std::vector<std::string> StreamNames() const;
    bool HasStream(const std::string& name) const;
    // Size of the stream as its directory entry states it; -1 when missing.
    int64_t StreamSize(const std::string& name) const;
    // Up to `count` bytes from `offset`; fewer when the stream is shorter or
    // its sectors cannot be read. False only when the stream is missing.
    bool ReadStream(const std::string& name, int64_t offset, int64_t count, QByteArray& out) const;
    // The whole stream; false when it is missing, longer than `limit`, or
    // not readable to its stated end (a truncated file).
    bool ReadWholeStream(const std::string& name, QByteArray& out, int64_t limit) const;

private:
    GsfInput* OpenChild(const std::string& name) const;

    GsfInfile* m_root = nullptr;
};
