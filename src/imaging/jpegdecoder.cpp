#include "imaging/jpegdecoder.h"

#include "imaging/imagedecoder.h"
#include "imaging/jpegerror.h"

#include <QByteArray>
#include <QColorSpace>
#include <QtMath>
#include <algorithm>
#include <cstring>

namespace {

// Warnings (corrupt data the library steps over) leave the picture as Qt's
// reader leaves it: decoded.
void onWarning(j_common_ptr, int) {}

// Qt's reader takes the colour profile from the APP2 segments that carry
// one, in the order they come.
QColorSpace ProfileOf(const jpeg_decompress_struct& info)
{
    QByteArray icc;
    for (jpeg_saved_marker_ptr m = info.marker_list; m; m = m->next) {
        if (m->marker == JPEG_APP0 + 2 && m->data_length > 128 + 4 + 14 &&
            std::memcmp(m->data, "ICC_PROFILE", 12) == 0)
            icc.append(reinterpret_cast<const char*>(m->data) + 14, qsizetype(m->data_length - 14));
    }
    return icc.isEmpty() ? QColorSpace() : QColorSpace::fromIccProfile(icc);
}

} // namespace

bool CJpegDecoder::Decode(const unsigned char* data, size_t size, const QSize& scaledSize,
                          QImage& image)
{
    image = QImage();
    jpeg_decompress_struct info;
    CJpegErrorManager errors;
    errors.InstallOn(info, onWarning);
    // volatile: read again after a jump back. The rows go straight into
    // the caller's image, which lives outside this frame.
    volatile bool created = false;
    if (setjmp(errors.jump)) {
        if (created)
            jpeg_destroy_decompress(&info);
        image = QImage();
        return false;
    }
    jpeg_create_decompress(&info);
    created = true;
    info.mem->max_memory_to_use = long(CImageDecoder::kAllocationLimitMb) * 1024 * 1024;
    jpeg_save_markers(&info, JPEG_APP0 + 2, 0xFFFF);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(size));
    jpeg_read_header(&info, TRUE);
    const bool grey = info.jpeg_color_space == JCS_GRAYSCALE && info.num_components == 1;
    const bool colour = info.jpeg_color_space == JCS_YCbCr && info.num_components == 3;
    if ((!grey && !colour) || info.image_width == 0 || info.image_height == 0) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    if (!scaledSize.isEmpty()) {
        // Qt's choice of the library's reduction, to the same scale.
        const double f = std::min(double(info.image_width) / scaledSize.width(),
                                  double(info.image_height) / scaledSize.height());
        info.scale_num = unsigned(std::clamp(qCeil(8 / f), 1, 8));
        info.scale_denom = 8;
    }
    info.dct_method = JDCT_ISLOW;
    info.do_fancy_upsampling = TRUE;
    // The blue, green, red, padding order is a QRgb in memory on this
    // (little-endian) machine; the library sets the padding to 0xFF. Grey
    // stays grey, as with Qt, which scales it as grey.
    info.out_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGRX;
    jpeg_calc_output_dimensions(&info);
    image = QImage(int(info.output_width), int(info.output_height),
                   grey ? QImage::Format_Grayscale8 : QImage::Format_RGB32);
    if (image.isNull()) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    // Saved markers go with the image's memory at the end of decoding.
    image.setColorSpace(ProfileOf(info));
    jpeg_start_decompress(&info);
    while (info.output_scanline < info.output_height) {
        JSAMPROW rows[16];
        const int line = int(info.output_scanline);
        const int n = std::min(16, int(info.output_height) - line);
        for (int i = 0; i < n; ++i)
            rows[i] = image.scanLine(line + i);
        jpeg_read_scanlines(&info, rows, JDIMENSION(n));
    }
    jpeg_finish_decompress(&info);
    if (info.density_unit == 1) {
        image.setDotsPerMeterX(int(100. * info.X_density / 2.54));
        image.setDotsPerMeterY(int(100. * info.Y_density / 2.54));
    } else if (info.density_unit == 2) {
        image.setDotsPerMeterX(int(100. * info.X_density));
        image.setDotsPerMeterY(int(100. * info.Y_density));
    }
    jpeg_destroy_decompress(&info);
    created = false;

    if (scaledSize.isValid() && scaledSize != image.size())
        image = image.scaled(scaledSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return !image.isNull();
}
