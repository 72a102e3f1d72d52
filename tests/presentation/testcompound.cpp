#include "testcompound.h"

#include "presentation/compoundfile.h"

#include <algorithm>
#include <gsf/gsf-outfile-msole.h>
#include <gsf/gsf-outfile.h>
#include <gsf/gsf-output-stdio.h>
#include <gsf/gsf-output.h>
#include <gsf/gsf-utils.h>

bool WriteCompoundFile(const std::string& path, const CompoundStreams& streams)
{
    gsf_init();
    GError* error = nullptr;
    GsfOutput* sink = gsf_output_stdio_new(path.c_str(), &error);
    if (!sink) {
        if (error)
            g_error_free(error);
        return false;
    }
    GsfOutfile* root = gsf_outfile_msole_new(sink);
    g_object_unref(sink);
    bool ok = root != nullptr;
    // "STORAGE/stream" names a stream inside a storage of the root.
    std::vector<std::pair<std::string, GsfOutfile*>> storages;
    for (const auto& [path, bytes] : streams) {
        if (!ok)
            break;
        GsfOutfile* parent = root;
        std::string name = path;
        if (const size_t slash = path.find('/'); slash != std::string::npos) {
            const std::string storage = path.substr(0, slash);
            name = path.substr(slash + 1);
            auto found = std::find_if(storages.begin(), storages.end(),
                                      [&](const auto& s) { return s.first == storage; });
            if (found == storages.end()) {
                storages.emplace_back(
                    storage, GSF_OUTFILE(gsf_outfile_new_child(root, storage.c_str(), TRUE)));
                found = storages.end() - 1;
            }
            parent = found->second;
        }
        GsfOutput* child = gsf_outfile_new_child(parent, name.c_str(), FALSE);
        ok = child && (bytes.isEmpty() ||
                       gsf_output_write(child, bytes.size(),
                                        reinterpret_cast<const guint8*>(bytes.constData())));
        if (child) {
            ok = gsf_output_close(child) && ok;
            g_object_unref(child);
        }
    }
    for (auto& [storage, file] : storages) {
        ok = gsf_output_close(GSF_OUTPUT(file)) && ok;
        g_object_unref(file);
    }
    if (root) {
        ok = gsf_output_close(GSF_OUTPUT(root)) && ok;
        g_object_unref(root);
    }
    return ok;
}

CompoundStreams ReadCompoundStreams(const std::string& path)
{
    CompoundStreams streams;
    CCompoundFile file;
    if (file.Open(path) != CCompoundFile::Opened)
        return streams;
    for (const std::string& name : file.StreamNames()) {
        QByteArray bytes;
        file.ReadWholeStream(name, bytes, 1 << 30);
        streams.emplace_back(name, bytes);
    }
    return streams;
}

QByteArray* FindStream(CompoundStreams& streams, const std::string& name)
{
    for (auto& [n, bytes] : streams) {
        if (n == name)
            return &bytes;
    }
    return nullptr;
}

namespace {

int findIn(const QByteArray& d, int begin, int end, int type, int depth)
{
    int pos = begin;
    while (pos + 8 <= end && depth < 16) {
        const auto u = [&](int o) { return static_cast<uint8_t>(d[o]); };
        const int version = u(pos) & 0x0F;
        const int t = u(pos + 2) | (u(pos + 3) << 8);
        const int64_t len =
            static_cast<int64_t>(u(pos + 4) | (u(pos + 5) << 8) | (u(pos + 6) << 16)) |
            (static_cast<int64_t>(u(pos + 7)) << 24);
        if (t == type)
            return pos;
        if (len > end - pos - 8)
            return -1;
        if (version == 0x0F) {
            const int inner = findIn(d, pos + 8, pos + 8 + static_cast<int>(len), type, depth + 1);
            if (inner >= 0)
                return inner;
        }
        pos += 8 + static_cast<int>(len);
    }
    return -1;
}

} // namespace

int FindRecord(const QByteArray& document, int type)
{
    return findIn(document, 0, static_cast<int>(document.size()), type, 0);
}

void PutU16(QByteArray& bytes, int offset, uint16_t value)
{
    bytes[offset] = static_cast<char>(value & 0xFF);
    bytes[offset + 1] = static_cast<char>(value >> 8);
}

void PutU32(QByteArray& bytes, int offset, uint32_t value)
{
    PutU16(bytes, offset, static_cast<uint16_t>(value & 0xFFFF));
    PutU16(bytes, offset + 2, static_cast<uint16_t>(value >> 16));
}
