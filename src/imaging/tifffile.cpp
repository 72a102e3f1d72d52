#include "imaging/tifffile.h"

#include "imaging/codeclibraries.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace {

tmsize_t ReadMemory(thandle_t handle, void* out, tmsize_t size)
{
    auto* file = static_cast<CTiffFile::Memory*>(handle);
    const toff_t total = toff_t(file->data->size());
    if (size <= 0 || file->at >= total)
        return 0;
    const tmsize_t n = tmsize_t(std::min<toff_t>(toff_t(size), total - file->at));
    std::memcpy(out, file->data->constData() + file->at, size_t(n));
    file->at += toff_t(n);
    return n;
}

tmsize_t WriteNothing(thandle_t, void*, tmsize_t)
{
    return 0;
}

toff_t SeekMemory(thandle_t handle, toff_t offset, int whence)
{
    auto* file = static_cast<CTiffFile::Memory*>(handle);
    const toff_t total = toff_t(file->data->size());
    toff_t base = 0;
    if (whence == SEEK_CUR)
        base = file->at;
    else if (whence == SEEK_END)
        base = total;
    if (offset > std::numeric_limits<toff_t>::max() - base)
        return toff_t(-1);
    file->at = base + offset;
    return file->at;
}

int CloseMemory(thandle_t)
{
    return 0;
}

toff_t MemorySize(thandle_t handle)
{
    return toff_t(static_cast<CTiffFile::Memory*>(handle)->data->size());
}

// The library's view of the file is the bytes already in memory, read only.
int MapMemory(thandle_t handle, void** base, toff_t* size)
{
    const QByteArray& data = *static_cast<CTiffFile::Memory*>(handle)->data;
    *base = const_cast<char*>(data.constData());
    *size = toff_t(data.size());
    return 1;
}

void UnmapNothing(thandle_t, void*, toff_t) {}

int QuietHandler(TIFF*, void*, const char*, const char*, va_list)
{
    return 1; // handled: the reasons reach the user as one message
}

// The picture reduced by `d` in both directions as it is read: a band of
// rows at a time is read and averaged in blocks of d x d, so the memory
// taken is the reduced picture and one band, never the whole raster. The
// last rows and columns that make no whole block are left out.
QImage ReducedTiff(TIFFRGBAImage& rgba, const QSize& stored, int d)
{
    const int w = stored.width();
    const QSize reduced(w / d, stored.height() / d);
    QImage out(reduced, QImage::Format_RGBA8888_Premultiplied);
    if (out.isNull() || reduced.isEmpty())
        return {};
    const int band = d * std::max(1, 64 / d);
    std::vector<uint32_t> piece;
    piece.resize(size_t(w) * size_t(band));
    const uint32_t blockPixels = uint32_t(d) * uint32_t(d);
    for (int top = 0; top < reduced.height() * d; top += band) {
        const int rows = std::min(band, reduced.height() * d - top);
        rgba.row_offset = top;
        rgba.col_offset = 0;
        if (TIFFRGBAImageGet(&rgba, piece.data(), uint32_t(w), uint32_t(rows)) == 0)
            return {};
        for (int by = 0; by < rows / d; ++by) {
            uchar* line = out.scanLine(top / d + by);
            for (int bx = 0; bx < reduced.width(); ++bx) {
                uint32_t sum[4] = {0, 0, 0, 0};
                for (int y = 0; y < d; ++y) {
                    const uint32_t* p = piece.data() + size_t(by * d + y) * size_t(w) + bx * d;
                    for (int x = 0; x < d; ++x) {
                        sum[0] += p[x] & 0xFF;
                        sum[1] += (p[x] >> 8) & 0xFF;
                        sum[2] += (p[x] >> 16) & 0xFF;
                        sum[3] += p[x] >> 24;
                    }
                }
                for (int k = 0; k < 4; ++k)
                    line[bx * 4 + k] = uchar((sum[k] + blockPixels / 2) / blockPixels);
            }
        }
    }
    return out;
}

} // namespace

CTiffFile::CTiffFile(const QByteArray& data, qint64 maxAllocation)
    : m_memory{&data}, m_maxAllocation(maxAllocation)
{}

CTiffFile::~CTiffFile()
{
    if (m_tiff)
        TIFFClose(m_tiff);
}

bool CTiffFile::Open()
{
    if (!CCodecLibraries::Tiff().Load())
        return false;
    TIFFOpenOptions* options = TIFFOpenOptionsAlloc();
    if (!options)
        return false;
    TIFFOpenOptionsSetMaxSingleMemAlloc(options, tmsize_t(m_maxAllocation));
    TIFFOpenOptionsSetErrorHandlerExtR(options, QuietHandler, nullptr);
    TIFFOpenOptionsSetWarningHandlerExtR(options, QuietHandler, nullptr);
    // The bytes are handed over as the mapped file: the library then reads
    // strips and tiles in place, and its path for files read piece by piece
    // refuses uncompressed tiles that are whole in the file.
    m_tiff = TIFFClientOpenExt("photo", "r", &m_memory, ReadMemory, WriteNothing, SeekMemory,
                               CloseMemory, MemorySize, MapMemory, UnmapNothing, options);
    TIFFOpenOptionsFree(options);
    if (!m_tiff)
        return false;
    uint32_t width = 0;
    uint32_t height = 0;
    uint16_t orientation = ORIENTATION_TOPLEFT;
    if (!TIFFGetField(m_tiff, TIFFTAG_IMAGEWIDTH, &width) ||
        !TIFFGetField(m_tiff, TIFFTAG_IMAGELENGTH, &height) || width == 0 || height == 0 ||
        width > 0x7FFFFFFF || height > 0x7FFFFFFF)
        return false;
    TIFFGetFieldDefaulted(m_tiff, TIFFTAG_ORIENTATION, &orientation);
    m_stored = QSize(int(width), int(height));
    m_orientation = orientation >= 1 && orientation <= 8 ? orientation : 1;
    char reason[1024];
    return TIFFRGBAImageOK(m_tiff, reason) != 0;
}

QColorSpace CTiffFile::ColorSpace() const
{
    uint32_t size = 0;
    void* icc = nullptr;
    if (!m_tiff || !TIFFGetField(m_tiff, TIFFTAG_ICCPROFILE, &size, &icc) || !icc || size == 0)
        return {};
    return QColorSpace::fromIccProfile(QByteArray(static_cast<const char*>(icc), qsizetype(size)));
}

QImage CTiffFile::Read(int reduction, bool& alpha)
{
    alpha = false;
    if (!m_tiff || m_stored.isEmpty() || reduction < 1)
        return {};
    TIFFRGBAImage rgba;
    char reason[1024];
    if (!TIFFRGBAImageBegin(&rgba, m_tiff, 1, reason))
        return {};
    // Rows as stored, top first: the orientation is applied afterwards,
    // rotations included, which the library's own handling leaves out.
    rgba.req_orientation = ORIENTATION_TOPLEFT;
    rgba.orientation = ORIENTATION_TOPLEFT;
    QImage raster;
    if (reduction > 1) {
        raster = ReducedTiff(rgba, m_stored, reduction);
    } else {
        raster = QImage(m_stored, QImage::Format_RGBA8888_Premultiplied);
        if (!raster.isNull() &&
            TIFFRGBAImageGet(&rgba, reinterpret_cast<uint32_t*>(raster.bits()),
                             uint32_t(m_stored.width()), uint32_t(m_stored.height())) == 0)
            raster = QImage();
    }
    alpha = rgba.alpha != 0;
    TIFFRGBAImageEnd(&rgba);
    return raster;
}
