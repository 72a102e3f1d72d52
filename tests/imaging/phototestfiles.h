#pragma once

// Photos in HEIC, WebP and TIFF made with the codecs' own encoders, for the
// tests of every folder that takes photos in.

#include <QByteArray>
#include <QFile>
#include <QImage>
#include <cstring>
#include <libheif/heif.h>
#include <string>
#include <tiffio.h>
#include <vector>
#include <webp/encode.h>
#include <webp/mux.h>

namespace phototest {

// Left half red, right half blue, a green band along the top: every turn
// and mirror shows.
inline QImage Halves(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y,
                         y < h / 8   ? qRgb(0, 200, 0)
                         : x < w / 2 ? qRgb(220, 0, 0)
                                     : qRgb(0, 0, 220));
    return img;
}

inline bool Save(const std::string& path, const QByteArray& bytes)
{
    QFile file(QString::fromStdString(path));
    return !bytes.isEmpty() && file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

struct HeifWriter
{
    static heif_error Write(heif_context*, const void* data, size_t size, void* userdata)
    {
        static_cast<QByteArray*>(userdata)->append(static_cast<const char*>(data), qsizetype(size));
        return heif_error{heif_error_Ok, heif_suberror_Unspecified, "ok"};
    }
};

// A HEIC of `image` whose boxes say it is shown after `orientation`
// (1..8, as in Exif); with `thumbnail` > 0 it carries a thumbnail that size.
inline QByteArray Heic(const QImage& image, int orientation = 1, int thumbnail = 0,
                       int quality = 90)
{
    QByteArray out;
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code !=
        heif_error_Ok) {
        heif_context_free(context);
        return out;
    }
    heif_encoder_set_lossy_quality(encoder, quality);
    heif_image* picture = nullptr;
    heif_image_create(image.width(), image.height(), heif_colorspace_RGB,
                      heif_chroma_interleaved_RGB, &picture);
    heif_image_add_plane(picture, heif_channel_interleaved, image.width(), image.height(), 8);
    int stride = 0;
    uint8_t* plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
    const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
    for (int y = 0; y < rgb.height(); ++y)
        std::memcpy(plane + y * stride, rgb.constScanLine(y), size_t(rgb.width()) * 3);
    heif_encoding_options* options = heif_encoding_options_alloc();
    options->image_orientation = static_cast<heif_orientation>(orientation);
    heif_image_handle* handle = nullptr;
    heif_context_encode_image(context, picture, encoder, options, &handle);
    if (handle && thumbnail > 0) {
        heif_image_handle* thumb = nullptr;
        heif_context_encode_thumbnail(context, picture, handle, encoder, options, thumbnail,
                                      &thumb);
        if (thumb)
            heif_image_handle_release(thumb);
    }
    heif_writer writer{1, HeifWriter::Write};
    if (handle)
        heif_context_write(context, &writer, &out);
    if (handle)
        heif_image_handle_release(handle);
    heif_encoding_options_free(options);
    heif_image_release(picture);
    heif_encoder_release(encoder);
    heif_context_free(context);
    return out;
}

// An Exif block recording `orientation`, little-endian.
inline QByteArray ExifWithOrientation(int orientation)
{
    const unsigned char block[] = {'I',
                                   'I',
                                   42,
                                   0,
                                   8,
                                   0,
                                   0,
                                   0,
                                   1,
                                   0,
                                   0x12,
                                   0x01,
                                   3,
                                   0,
                                   1,
                                   0,
                                   0,
                                   0,
                                   static_cast<unsigned char>(orientation),
                                   0,
                                   0,
                                   0,
                                   0,
                                   0,
                                   0,
                                   0};
    return QByteArray(reinterpret_cast<const char*>(block), sizeof block);
}

// A still WebP of `image` (lossless unless a `quality` is given), with an
// Exif orientation when not 1.
inline QByteArray WebP(const QImage& image, int orientation = 1, int quality = -1)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    uint8_t* encoded = nullptr;
    const size_t size = quality < 0
                            ? WebPEncodeLosslessBGRA(argb.constBits(), argb.width(), argb.height(),
                                                     int(argb.bytesPerLine()), &encoded)
                            : WebPEncodeBGRA(argb.constBits(), argb.width(), argb.height(),
                                             int(argb.bytesPerLine()), float(quality), &encoded);
    QByteArray still(reinterpret_cast<const char*>(encoded), qsizetype(size));
    WebPFree(encoded);
    if (orientation == 1 || still.isEmpty())
        return still;
    WebPMux* mux = WebPMuxNew();
    const WebPData image_data{reinterpret_cast<const uint8_t*>(still.constData()),
                              size_t(still.size())};
    WebPMuxSetImage(mux, &image_data, 1);
    const QByteArray exif = ExifWithOrientation(orientation);
    const WebPData exif_data{reinterpret_cast<const uint8_t*>(exif.constData()),
                             size_t(exif.size())};
    WebPMuxSetChunk(mux, "EXIF", &exif_data, 1);
    WebPData assembled;
    WebPDataInit(&assembled);
    QByteArray out;
    if (WebPMuxAssemble(mux, &assembled) == WEBP_MUX_OK)
        out = QByteArray(reinterpret_cast<const char*>(assembled.bytes), qsizetype(assembled.size));
    WebPDataClear(&assembled);
    WebPMuxDelete(mux);
    return out;
}

// An animated WebP of the frames, 100 ms each.
inline QByteArray AnimatedWebP(const std::vector<QImage>& frames)
{
    const QSize size = frames.front().size();
    WebPAnimEncoderOptions options;
    WebPAnimEncoderOptionsInit(&options);
    WebPAnimEncoder* encoder = WebPAnimEncoderNew(size.width(), size.height(), &options);
    WebPConfig config;
    WebPConfigInit(&config);
    config.lossless = 1;
    int timestamp = 0;
    for (const QImage& frame : frames) {
        const QImage argb = frame.convertToFormat(QImage::Format_ARGB32);
        WebPPicture picture;
        WebPPictureInit(&picture);
        picture.use_argb = 1;
        picture.width = argb.width();
        picture.height = argb.height();
        WebPPictureImportBGRA(&picture, argb.constBits(), int(argb.bytesPerLine()));
        WebPAnimEncoderAdd(encoder, &picture, timestamp, &config);
        WebPPictureFree(&picture);
        timestamp += 100;
    }
    WebPAnimEncoderAdd(encoder, nullptr, timestamp, nullptr);
    WebPData data;
    WebPDataInit(&data);
    QByteArray out;
    if (WebPAnimEncoderAssemble(encoder, &data))
        out = QByteArray(reinterpret_cast<const char*>(data.bytes), qsizetype(data.size));
    WebPDataClear(&data);
    WebPAnimEncoderDelete(encoder);
    return out;
}

enum class TiffKind
{
    Rgb8,
    Rgb16,
    Cmyk,
};

// A TIFF of the pages at `path`, the first with `orientation`.
inline bool Tiff(const std::string& path, const std::vector<QImage>& pages, int orientation = 1,
                 TiffKind kind = TiffKind::Rgb8, uint16_t compression = COMPRESSION_LZW)
{
    TIFF* tiff = TIFFOpen(path.c_str(), "w");
    if (!tiff)
        return false;
    bool first = true;
    for (const QImage& page : pages) {
        const QImage rgb = page.convertToFormat(QImage::Format_RGB888);
        const int w = rgb.width();
        const int h = rgb.height();
        TIFFSetField(tiff, TIFFTAG_IMAGEWIDTH, uint32_t(w));
        TIFFSetField(tiff, TIFFTAG_IMAGELENGTH, uint32_t(h));
        TIFFSetField(tiff, TIFFTAG_PLANARCONFIG, PLANARCONFIG_CONTIG);
        TIFFSetField(tiff, TIFFTAG_ROWSPERSTRIP, uint32_t(16));
        TIFFSetField(tiff, TIFFTAG_COMPRESSION, compression);
        TIFFSetField(tiff, TIFFTAG_ORIENTATION, uint16_t(first ? orientation : 1));
        const int samples = kind == TiffKind::Cmyk ? 4 : 3;
        const int bits = kind == TiffKind::Rgb16 ? 16 : 8;
        TIFFSetField(tiff, TIFFTAG_SAMPLESPERPIXEL, uint16_t(samples));
        TIFFSetField(tiff, TIFFTAG_BITSPERSAMPLE, uint16_t(bits));
        TIFFSetField(tiff, TIFFTAG_PHOTOMETRIC,
                     kind == TiffKind::Cmyk ? PHOTOMETRIC_SEPARATED : PHOTOMETRIC_RGB);
        std::vector<uint8_t> row(size_t(w) * samples * (bits / 8));
        for (int y = 0; y < h; ++y) {
            const uint8_t* in = rgb.constScanLine(y);
            for (int x = 0; x < w; ++x) {
                const uint8_t r = in[x * 3], g = in[x * 3 + 1], b = in[x * 3 + 2];
                if (kind == TiffKind::Cmyk) {
                    uint8_t* out = &row[size_t(x) * 4];
                    out[0] = uint8_t(255 - r);
                    out[1] = uint8_t(255 - g);
                    out[2] = uint8_t(255 - b);
                    out[3] = 0;
                } else if (kind == TiffKind::Rgb16) {
                    auto* out = reinterpret_cast<uint16_t*>(&row[size_t(x) * 6]);
                    out[0] = uint16_t(r * 257);
                    out[1] = uint16_t(g * 257);
                    out[2] = uint16_t(b * 257);
                } else {
                    std::memcpy(&row[size_t(x) * 3], in + x * 3, 3);
                }
            }
            if (TIFFWriteScanline(tiff, row.data(), uint32_t(y), 0) < 0) {
                TIFFClose(tiff);
                return false;
            }
        }
        TIFFWriteDirectory(tiff);
        first = false;
    }
    TIFFClose(tiff);
    return true;
}

} // namespace phototest
