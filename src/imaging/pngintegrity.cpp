#include "imaging/pngintegrity.h"

#include "imaging/imagedecoder.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <libdeflate.h>
#include <memory>
#include <utility>
#include <vector>
#include <zlib.h>

namespace {

uint32_t be32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// Samples per pixel of a colour type with a bit depth it allows; 0 for a
// combination the format does not have.
int channels(int colourType, int depth)
{
    const bool eightOrSixteen = depth == 8 || depth == 16;
    const bool upToEight = depth == 1 || depth == 2 || depth == 4 || depth == 8;
    switch (colourType) {
    case 0:
        return upToEight || depth == 16 ? 1 : 0;
    case 2:
        return eightOrSixteen ? 3 : 0;
    case 3:
        return upToEight ? 1 : 0;
    case 4:
        return eightOrSixteen ? 2 : 0;
    case 6:
        return eightOrSixteen ? 4 : 0;
    default:
        return 0;
    }
}

bool isType(const unsigned char* type, const char* name)
{
    return std::memcmp(type, name, 4) == 0;
}

// Inflates the image data, checking each row's filter byte as it passes.
class RowStream
{
public:
    RowStream(uint64_t rowBytes, uint64_t rows) : m_rowBytes(rowBytes), m_expected(rowBytes * rows)
    {
        m_ok = inflateInit(&m_z) == Z_OK;
    }
    ~RowStream() { inflateEnd(&m_z); }
    RowStream(const RowStream&) = delete;
    RowStream& operator=(const RowStream&) = delete;

    bool Feed(const unsigned char* data, uint32_t size)
    {
        if (!m_ok || m_ended)
            return m_ok && size == 0;
        m_z.next_in = const_cast<Bytef*>(data);
        m_z.avail_in = size;
        while (m_z.avail_in > 0 && !m_ended) {
            m_z.next_out = m_buffer.data();
            m_z.avail_out = uInt(m_buffer.size());
            const int ret = inflate(&m_z, Z_NO_FLUSH);
            if (ret != Z_OK && ret != Z_STREAM_END && ret != Z_BUF_ERROR)
                return m_ok = false;
            const uint64_t produced = m_buffer.size() - m_z.avail_out;
            if (!Rows(produced))
                return m_ok = false;
            if (ret == Z_STREAM_END)
                m_ended = true;
            else if (ret == Z_BUF_ERROR && produced == 0)
                break;
        }
        return m_ok;
    }

    bool Complete() const { return m_ok && m_ended && m_total == m_expected; }

private:
    // Filter type bytes start every row: 0 to 4.
    bool Rows(uint64_t produced)
    {
        const uint64_t start = m_total;
        m_total += produced;
        if (m_total > m_expected)
            return false;
        uint64_t next = (start + m_rowBytes - 1) / m_rowBytes * m_rowBytes;
        for (; next < m_total; next += m_rowBytes)
            if (m_buffer[size_t(next - start)] > 4)
                return false;
        return true;
    }

    z_stream m_z{};
    std::array<unsigned char, 1 << 16> m_buffer{};
    uint64_t m_rowBytes;
    uint64_t m_expected;
    uint64_t m_total = 0;
    bool m_ok = false;
    bool m_ended = false;
};

using Chunks = std::vector<std::pair<const unsigned char*, uint32_t>>;

// Image data up to this size is inflated whole by libdeflate, several
// times quicker than zlib's stream; beyond it, row by row in a small buffer.
constexpr uint64_t kWholeLimit = 32ULL * 1024 * 1024;
// What a thread keeps between files: a display image's rows fit.
constexpr size_t kKeptBuffer = 8 * 1024 * 1024;

struct DecompressorDeleter
{
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

bool InflatesStreaming(const Chunks& chunks, uint64_t rowBytes, uint64_t rows)
{
    RowStream stream(rowBytes, rows);
    for (const auto& [data, size] : chunks)
        if (!stream.Feed(data, size))
            return false;
    return stream.Complete();
}

// The same verdict as the stream: exactly the rows, valid filter types,
// and the stream ending in the last chunk that holds data.
bool InflatesWhole(const Chunks& chunks, uint64_t rowBytes, uint64_t rows)
{
    thread_local std::vector<unsigned char> joined;
    thread_local std::unique_ptr<unsigned char[]> out;
    thread_local size_t outSize = 0;
    const unsigned char* in = nullptr;
    size_t inSize = 0;
    size_t lastStart = 0; // where the last chunk with data begins
    int withData = 0;
    for (const auto& [data, size] : chunks) {
        if (size == 0)
            continue;
        lastStart = inSize;
        if (++withData == 1) {
            in = data;
        } else {
            if (withData == 2)
                joined.assign(in, in + inSize);
            joined.insert(joined.end(), data, data + size);
        }
        inSize += size;
    }
    if (withData == 0)
        return false;
    if (withData > 1)
        in = joined.data();
    const size_t expected = size_t(rowBytes * rows);
    if (outSize < expected) {
        out = std::make_unique_for_overwrite<unsigned char[]>(expected);
        outSize = expected;
    }
    const std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
        libdeflate_alloc_decompressor());
    size_t used = 0;
    bool ok = decompressor &&
              libdeflate_zlib_decompress_ex(decompressor.get(), in, inSize, out.get(), expected,
                                            &used, nullptr) == LIBDEFLATE_SUCCESS;
    ok = ok && used > lastStart;
    for (uint64_t y = 0; ok && y < rows; ++y)
        ok = out[size_t(y * rowBytes)] <= 4;
    if (outSize > kKeptBuffer) {
        out.reset();
        outSize = 0;
    }
    if (joined.capacity() > kKeptBuffer)
        std::vector<unsigned char>().swap(joined);
    return ok;
}

bool Inflates(const Chunks& chunks, uint64_t rowBytes, uint64_t rows)
{
    // The first byte of the zlib stream names its window. libdeflate reads
    // every stream with the largest, so a smaller one (which zlib holds a
    // stream to) goes to zlib.
    const unsigned char* first = nullptr;
    for (const auto& [data, size] : chunks) {
        if (size > 0) {
            first = data;
            break;
        }
    }
    if (first && (*first >> 4) == 7 && rowBytes * rows <= kWholeLimit)
        return InflatesWhole(chunks, rowBytes, rows);
    return InflatesStreaming(chunks, rowBytes, rows);
}

} // namespace

CPngIntegrity::Result CPngIntegrity::Check(const QByteArray& png)
{
    static const unsigned char signature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    const auto* p = reinterpret_cast<const unsigned char*>(png.constData());
    const uint64_t n = uint64_t(png.size());
    if (n < 8 + 25 || std::memcmp(p, signature, 8) != 0)
        return Unchecked;
    if (be32(p + 8) != 13 || std::memcmp(p + 12, "IHDR", 4) != 0 ||
        libdeflate_crc32(0, p + 12, 17) != be32(p + 29))
        return Damaged;
    const uint64_t width = be32(p + 16);
    const uint64_t height = be32(p + 20);
    const int depth = p[24];
    const int perPixel = channels(p[25], depth);
    const bool palette = p[25] == 3;
    if (width == 0 || height == 0 || width > 0x7FFFFFFF || height > 0x7FFFFFFF || perPixel == 0 ||
        p[26] != 0 || p[27] != 0)
        return Damaged;
    // Interlaced (seven passes of their own sizes), or beyond what a decode
    // takes whole: the decoder has the last word.
    if (p[28] != 0 || !CImageDecoder::WithinBounds(QSize(int(width), int(height))))
        return Unchecked;
    const uint64_t rowBytes = 1 + (width * uint64_t(perPixel) * uint64_t(depth) + 7) / 8;

    Chunks chunks;
    bool seenData = false, dataEnded = false, seenPalette = false;
    uint64_t at = 8;
    for (;;) {
        if (n - at < 12)
            return Damaged;
        const uint64_t length = be32(p + at);
        if (length > 0x7FFFFFFF || length > n - at - 12)
            return Damaged;
        const unsigned char* type = p + at + 4;
        const unsigned char* data = type + 4;
        if (libdeflate_crc32(0, type, size_t(length) + 4) != be32(data + length))
            return Damaged;
        if (isType(type, "IDAT")) {
            // The image data is one run of IDAT chunks, after the palette.
            if (dataEnded || (palette && !seenPalette))
                return Damaged;
            chunks.emplace_back(data, uint32_t(length));
            seenData = true;
        } else {
            dataEnded = seenData;
            if (isType(type, "IEND"))
                break;
            if (isType(type, "PLTE")) {
                if (seenData || seenPalette || length == 0 || length % 3 != 0 || length > 768)
                    return Damaged;
                seenPalette = true;
            } else if (at > 8 && (type[0] & 0x20) == 0) {
                // A critical chunk no reader knows, or a second header.
                return Damaged;
            }
        }
        at += 12 + length;
    }
    return seenData && Inflates(chunks, rowBytes, height) ? Intact : Damaged;
}
