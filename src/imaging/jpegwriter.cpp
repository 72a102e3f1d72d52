#include "imaging/jpegwriter.h"

#include <QColorSpace>
#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>
#include <vector>

namespace {

// The library reports a fatal error by calling error_exit, which must not
// return: it jumps back to Encode. Only plain data lies between the setjmp
// and the jump.
struct ErrorManager
{
    jpeg_error_mgr pub;
    std::jmp_buf jump;
};

void onFatalError(j_common_ptr info)
{
    std::longjmp(reinterpret_cast<ErrorManager*>(info->err)->jump, 1);
}

void onMessage(j_common_ptr, int) {}

// Density as Qt's writer sets it: dots per inch when the image's resolution
// is closer to whole inches than to whole centimetres.
void SetDensity(jpeg_compress_struct& cinfo, int dotsPerMeterX, int dotsPerMeterY)
{
    const double x = dotsPerMeterX;
    const double y = dotsPerMeterY;
    const double diffInch = std::abs(x * 2.54 / 100. - std::round(x * 2.54 / 100.)) +
                            std::abs(y * 2.54 / 100. - std::round(y * 2.54 / 100.));
    const double diffCm =
        (std::abs(x / 100. - std::round(x / 100.)) + std::abs(y / 100. - std::round(y / 100.))) *
        2.54;
    if (diffInch < diffCm) {
        cinfo.density_unit = 1;
        cinfo.X_density = UINT16(std::lround(x * 2.54 / 100.));
        cinfo.Y_density = UINT16(std::lround(y * 2.54 / 100.));
    } else {
        cinfo.density_unit = 2;
        cinfo.X_density = UINT16((dotsPerMeterX + 50) / 100);
        cinfo.Y_density = UINT16((dotsPerMeterY + 50) / 100);
    }
}

// Encodes `rows` (one pointer a row) of `components` bytes a pixel in
// `space`.
bool EncodeRows(std::vector<JSAMPROW>& rows, int width, int components, J_COLOR_SPACE space,
                int dotsPerMeterX, int dotsPerMeterY, int quality, QByteArray& out)
{
    jpeg_compress_struct cinfo{};
    ErrorManager errors{};
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    cinfo.err = jpeg_std_error(&errors.pub);
    errors.pub.error_exit = onFatalError;
    errors.pub.emit_message = onMessage;
    if (setjmp(errors.jump)) {
        jpeg_destroy_compress(&cinfo);
        std::free(buffer);
        return false;
    }
    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &buffer, &size);
    cinfo.image_width = JDIMENSION(width);
    cinfo.image_height = JDIMENSION(rows.size());
    cinfo.input_components = components;
    cinfo.in_color_space = space;
    jpeg_set_defaults(&cinfo);
    SetDensity(cinfo, dotsPerMeterX, dotsPerMeterY);
    jpeg_set_quality(&cinfo, std::clamp(quality, 1, 100), TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        const JDIMENSION left = cinfo.image_height - cinfo.next_scanline;
        jpeg_write_scanlines(&cinfo, rows.data() + cinfo.next_scanline,
                             std::min<JDIMENSION>(left, 64));
    }
    jpeg_finish_compress(&cinfo);
    jpeg_destroy_compress(&cinfo);
    out = QByteArray(reinterpret_cast<const char*>(buffer), qsizetype(size));
    std::free(buffer);
    return true;
}

} // namespace

bool CJpegWriter::CanEncode(const QImage& image)
{
    const QImage::Format f = image.format();
    return !image.isNull() && (f == QImage::Format_RGB32 || f == QImage::Format_ARGB32) &&
           image.textKeys().isEmpty() && !image.colorSpace().isValid() &&
           image.width() <= JPEG_MAX_DIMENSION && image.height() <= JPEG_MAX_DIMENSION;
}

bool CJpegWriter::Encode(const QImage& image, int quality, QByteArray& out)
{
    if (!CanEncode(image))
        return false;
    // A 32-bit pixel is B, G, R, X in memory on a little-endian machine.
    const J_COLOR_SPACE space =
        QSysInfo::ByteOrder == QSysInfo::LittleEndian ? JCS_EXT_BGRX : JCS_EXT_XRGB;
    std::vector<JSAMPROW> rows(size_t(image.height()));
    for (int y = 0; y < image.height(); ++y)
        rows[size_t(y)] = const_cast<JSAMPROW>(image.constScanLine(y));
    return EncodeRows(rows, image.width(), 4, space, image.dotsPerMeterX(), image.dotsPerMeterY(),
                      quality, out);
}

bool CJpegWriter::EncodeRgb(const unsigned char* first, size_t stride, int width, int height,
                            int dotsPerMeterX, int dotsPerMeterY, int quality, QByteArray& out)
{
    if (!first || width <= 0 || height <= 0 || width > JPEG_MAX_DIMENSION ||
        height > JPEG_MAX_DIMENSION || stride < 3 * size_t(width))
        return false;
    std::vector<JSAMPROW> rows(static_cast<size_t>(height));
    for (int y = 0; y < height; ++y)
        rows[size_t(y)] = const_cast<JSAMPROW>(first + size_t(y) * stride);
    return EncodeRows(rows, width, 3, JCS_RGB, dotsPerMeterX, dotsPerMeterY, quality, out);
}
