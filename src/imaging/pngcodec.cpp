#include "imaging/pngcodec.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <isa-l/igzip_lib.h>
#include <libdeflate.h>
#include <limits>
#include <memory>
#include <vector>

namespace {

const unsigned char kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// ISA-L's level 2 deflates a filtered 1024 x 768 photograph in about half
// the time of libdeflate's quickest level (6 against 11 ms), for some 4 %
// more bytes; the deflate is the largest share of an import after the JPEG
// decode. libdeflate stays as the fallback.
constexpr int kIsalLevel = 2;
constexpr uint32_t kIsalLevelBuffer = ISAL_DEF_LVL2_DEFAULT;
constexpr int kLibdeflateLevel = 1;
// Larger pictures go to the general reader, which needs no inflated copy.
constexpr qint64 kMaxRawBytes = 64LL * 1024 * 1024;

uint32_t Be32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

void PutBe32(QByteArray& out, uint32_t v)
{
    const char b[4] = {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    out.append(b, 4);
}

void PutChunk(QByteArray& out, const char* type, const unsigned char* data, size_t size)
{
    PutBe32(out, uint32_t(size));
    const qsizetype start = out.size();
    out.append(type, 4);
    if (size)
        out.append(reinterpret_cast<const char*>(data), qsizetype(size));
    PutBe32(out, libdeflate_crc32(0, out.constData() + start, size + 4));
}

struct CompressorDeleter
{
    void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
struct DecompressorDeleter
{
    void operator()(libdeflate_decompressor* d) const { libdeflate_free_decompressor(d); }
};

int Paeth(int a, int b, int c)
{
    const int p = a + b - c;
    const int pa = std::abs(p - a);
    const int pb = std::abs(p - b);
    const int pc = std::abs(p - c);
    if (pa <= pb && pa <= pc)
        return a;
    return pb <= pc ? b : c;
}

size_t DeflateIsal(const unsigned char* raw, size_t rawSize, std::unique_ptr<unsigned char[]>& z)
{
    // Stored blocks are its own fallback for data that does not shrink, so
    // the raw size plus their headers always suffices.
    const size_t bound = rawSize + 5 * (rawSize / 65535 + 1) + 64;
    if (bound > std::numeric_limits<uint32_t>::max())
        return 0;
    const std::unique_ptr<uint8_t[]> levelBuffer(new uint8_t[kIsalLevelBuffer]);
    z.reset(new unsigned char[bound]);
    isal_zstream stream;
    isal_deflate_stateless_init(&stream);
    stream.level = kIsalLevel;
    stream.level_buf = levelBuffer.get();
    stream.level_buf_size = kIsalLevelBuffer;
    stream.gzip_flag = IGZIP_ZLIB;
    stream.end_of_stream = 1;
    stream.flush = NO_FLUSH;
    stream.next_in = const_cast<uint8_t*>(raw);
    stream.avail_in = uint32_t(rawSize);
    stream.next_out = z.get();
    stream.avail_out = uint32_t(bound);
    if (isal_deflate_stateless(&stream) != COMP_OK || stream.avail_in != 0)
        return 0;
    return stream.total_out;
}

// zlib stream of `raw` into `z`; its size, or 0 on a failure.
size_t Deflate(const unsigned char* raw, size_t rawSize, std::unique_ptr<unsigned char[]>& z)
{
    if (const size_t size = DeflateIsal(raw, rawSize, z))
        return size;
    const std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(kLibdeflateLevel));
    if (!compressor)
        return 0;
    const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), rawSize);
    z.reset(new unsigned char[bound]);
    return libdeflate_zlib_compress(compressor.get(), raw, rawSize, z.get(), bound);
}

// row[i] += prev[i] for every byte: eight bytes at a time, each added on its
// own (no carry crosses into the next byte). "Up" is the filter the program
// writes, so this loop is most of the unfiltering.
void AddUp(unsigned char* row, const unsigned char* prev, size_t n)
{
    constexpr uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
    constexpr uint64_t kHigh = 0x8080808080808080ULL;
    size_t i = 0;
    for (; i + 8 <= n; i += 8) {
        uint64_t a = 0, b = 0;
        std::memcpy(&a, row + i, 8);
        std::memcpy(&b, prev + i, 8);
        const uint64_t sum = ((a & kLow7) + (b & kLow7)) ^ ((a ^ b) & kHigh);
        std::memcpy(row + i, &sum, 8);
    }
    for (; i < n; ++i)
        row[i] = uint8_t(row[i] + prev[i]);
}

// Undoes the filter of one row of 3-byte pixels in place; `prev` is the row
// above, already unfiltered (zeros for the first row).
bool Unfilter(unsigned filter, unsigned char* row, const unsigned char* prev, size_t n)
{
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (size_t i = 3; i < n; ++i)
            row[i] = uint8_t(row[i] + row[i - 3]);
        return true;
    case 2:
        AddUp(row, prev, n);
        return true;
    case 3:
        for (size_t i = 0; i < n; ++i)
            row[i] = uint8_t(row[i] + ((i >= 3 ? row[i - 3] : 0) + prev[i]) / 2);
        return true;
    case 4:
        for (size_t i = 0; i < n; ++i)
            row[i] = uint8_t(
                row[i] + (i >= 3 ? Paeth(row[i - 3], prev[i], prev[i - 3]) : Paeth(0, prev[i], 0)));
        return true;
    default:
        return false;
    }
}

// The chunks the quick decoder understands as Qt's reader does: the image,
// its resolution, and those whose contents are never used.
bool Understood(const unsigned char* type)
{
    for (const char* known : {"IHDR", "IDAT", "IEND", "pHYs", "tEXt", "zTXt", "iTXt", "tIME"}) {
        if (std::memcmp(type, known, 4) == 0)
            return true;
    }
    return false;
}

} // namespace

bool CPngCodec::Encode(const QImage& image, QByteArray& out)
{
    if (image.isNull() ||
        (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32))
        return false;
    const size_t w = size_t(image.width());
    const size_t h = size_t(image.height());
    const size_t stride = 1 + 3 * w;
    const size_t rawSize = stride * h;
    // Every byte is written below: no zeroing first.
    const std::unique_ptr<unsigned char[]> raw(new unsigned char[rawSize]);
    for (size_t y = 0; y < h; ++y) {
        const auto* s = reinterpret_cast<const QRgb*>(image.constScanLine(int(y)));
        // "Up": the difference to the row above, the cheapest filter to
        // undo and, on photographs, as tight as choosing per row. Taken
        // straight from the 32-bit rows, in one pass.
        unsigned char* d = raw.get() + y * stride;
        d[0] = 2;
        unsigned char* o = d + 1;
        if (y == 0) {
            for (size_t x = 0; x < w; ++x, o += 3) {
                o[0] = uint8_t(qRed(s[x]));
                o[1] = uint8_t(qGreen(s[x]));
                o[2] = uint8_t(qBlue(s[x]));
            }
            continue;
        }
        const auto* p = reinterpret_cast<const QRgb*>(image.constScanLine(int(y - 1)));
        for (size_t x = 0; x < w; ++x, o += 3) {
            o[0] = uint8_t(qRed(s[x]) - qRed(p[x]));
            o[1] = uint8_t(qGreen(s[x]) - qGreen(p[x]));
            o[2] = uint8_t(qBlue(s[x]) - qBlue(p[x]));
        }
    }
    std::unique_ptr<unsigned char[]> z;
    const size_t zsize = Deflate(raw.get(), rawSize, z);
    if (zsize == 0)
        return false;

    out.clear();
    out.reserve(qsizetype(zsize + 128));
    out.append(reinterpret_cast<const char*>(kSignature), 8);
    unsigned char ihdr[13] = {};
    for (int i = 0; i < 4; ++i) {
        ihdr[i] = uint8_t(w >> (24 - 8 * i));
        ihdr[4 + i] = uint8_t(h >> (24 - 8 * i));
    }
    ihdr[8] = 8; // bit depth
    ihdr[9] = 2; // RGB
    PutChunk(out, "IHDR", ihdr, sizeof ihdr);
    if (image.dotsPerMeterX() > 0 || image.dotsPerMeterY() > 0) {
        unsigned char phys[9] = {};
        const uint32_t x = uint32_t(std::max(0, image.dotsPerMeterX()));
        const uint32_t y = uint32_t(std::max(0, image.dotsPerMeterY()));
        for (int i = 0; i < 4; ++i) {
            phys[i] = uint8_t(x >> (24 - 8 * i));
            phys[4 + i] = uint8_t(y >> (24 - 8 * i));
        }
        phys[8] = 1; // per metre
        PutChunk(out, "pHYs", phys, sizeof phys);
    }
    PutChunk(out, "IDAT", z.get(), zsize);
    PutChunk(out, "IEND", nullptr, 0);
    return true;
}

bool CPngCodec::DecodeRows(const QByteArray& png, Rows& rows)
{
    const auto* p = reinterpret_cast<const unsigned char*>(png.constData());
    const qint64 n = png.size();
    if (n < 8 + 25 || std::memcmp(p, kSignature, 8) != 0)
        return false;
    uint32_t w = 0, h = 0;
    int dpmX = 0, dpmY = 0;
    bool phys = false;
    bool ended = false;
    int idatRuns = 0; // the image data must come in one run of chunks
    bool inIdat = false;
    // One IDAT chunk (what the program writes) is inflated where it lies;
    // several are joined first.
    const unsigned char* single = nullptr;
    size_t singleSize = 0;
    int idatChunks = 0;
    std::vector<unsigned char> z;
    for (qint64 at = 8; !ended;) {
        if (n - at < 12)
            return false;
        const qint64 length = Be32(p + at);
        if (length > n - at - 12)
            return false;
        const unsigned char* type = p + at + 4;
        const unsigned char* data = p + at + 8;
        if (!Understood(type) ||
            libdeflate_crc32(0, type, size_t(length) + 4) != Be32(data + length))
            return false;
        if (at == 8) {
            // IHDR first: 8-bit RGB, deflate, standard filters, not interlaced.
            if (std::memcmp(type, "IHDR", 4) != 0 || length != 13 || data[8] != 8 || data[9] != 2 ||
                data[10] != 0 || data[11] != 0 || data[12] != 0)
                return false;
            w = Be32(data);
            h = Be32(data + 4);
            if (w == 0 || h == 0 || w > 0x7FFFFFFFu || h > 0x7FFFFFFFu ||
                qint64(h) * (1 + 3 * qint64(w)) > kMaxRawBytes)
                return false;
        } else if (std::memcmp(type, "IHDR", 4) == 0) {
            return false;
        } else if (std::memcmp(type, "IDAT", 4) == 0) {
            if (!inIdat && ++idatRuns > 1)
                return false;
            if (++idatChunks == 1) {
                single = data;
                singleSize = size_t(length);
            } else {
                if (idatChunks == 2)
                    z.assign(single, single + singleSize);
                z.insert(z.end(), data, data + length);
            }
        } else if (std::memcmp(type, "pHYs", 4) == 0) {
            if (length != 9 || phys)
                return false;
            phys = true;
            if (Be32(data) > 0x7FFFFFFFu || Be32(data + 4) > 0x7FFFFFFFu)
                return false;
            if (data[8] == 1) {
                dpmX = int(Be32(data));
                dpmY = int(Be32(data + 4));
            }
        } else if (std::memcmp(type, "IEND", 4) == 0) {
            ended = true;
        }
        inIdat = std::memcmp(type, "IDAT", 4) == 0;
        at += 12 + length;
    }
    if (idatChunks == 0 || (idatChunks == 1 && singleSize == 0) || (idatChunks > 1 && z.empty()))
        return false;
    const unsigned char* compressed = idatChunks == 1 ? single : z.data();
    const size_t compressedSize = idatChunks == 1 ? singleSize : z.size();

    const size_t stride = 1 + 3 * size_t(w);
    // Every byte is written by the inflate before it is read.
    auto raw = std::make_unique_for_overwrite<unsigned char[]>(stride * h);
    const std::unique_ptr<libdeflate_decompressor, DecompressorDeleter> decompressor(
        libdeflate_alloc_decompressor());
    // Exactly the rows the header promises, or the general reader decides.
    if (!decompressor ||
        libdeflate_zlib_decompress(decompressor.get(), compressed, compressedSize, raw.get(),
                                   stride * h, nullptr) != LIBDEFLATE_SUCCESS)
        return false;
    const std::vector<unsigned char> zeros(3 * size_t(w), 0);
    const unsigned char* prev = zeros.data();
    for (uint32_t y = 0; y < h; ++y) {
        unsigned char* row = raw.get() + size_t(y) * stride;
        if (!Unfilter(row[0], row + 1, prev, 3 * size_t(w)))
            return false;
        prev = row + 1;
    }
    rows.width = int(w);
    rows.height = int(h);
    rows.dotsPerMeterX = dpmX;
    rows.dotsPerMeterY = dpmY;
    rows.stride = stride;
    rows.data = std::move(raw);
    return true;
}

bool CPngCodec::Decode(const QByteArray& png, QImage& image)
{
    Rows rows;
    if (!DecodeRows(png, rows))
        return false;
    QImage out(rows.width, rows.height, QImage::Format_RGB32);
    if (out.isNull())
        return false;
    for (int y = 0; y < rows.height; ++y) {
        auto* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        const unsigned char* s = rows.Row(y);
        for (int x = 0; x < rows.width; ++x, s += 3)
            d[x] = qRgb(s[0], s[1], s[2]);
    }
    if (rows.dotsPerMeterX > 0)
        out.setDotsPerMeterX(rows.dotsPerMeterX);
    if (rows.dotsPerMeterY > 0)
        out.setDotsPerMeterY(rows.dotsPerMeterY);
    image = std::move(out);
    return true;
}
