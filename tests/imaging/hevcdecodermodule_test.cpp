// FFmpeg's HEVC decoder joined to libheif: chosen before libde265, and its
// pictures are libde265's to within rounding, whatever the stream's chroma,
// depth, size or tiling.
#include "heicstreams.h"
#include "imaging/hevcdecodermodule.h"
#include "imaging/imagedecoder.h"
#include "imagingtestutil.h"

#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <libheif/heif.h>
#include <string>

using namespace phototest;

namespace {

enum class Coding
{
    Rgb420,
    Rgb444,
    Deep420, // 10 bits a sample
    Grey,
};

// `image` coded by libheif's encoder (x265) as `coding` asks; with `studio`
// its stream signals BT.709 colours in limited range.
QByteArray Encode(const QImage& image, Coding coding, bool studio = false)
{
    QByteArray out;
    heif_context* context = heif_context_alloc();
    heif_encoder* encoder = nullptr;
    if (heif_context_get_encoder_for_format(context, heif_compression_HEVC, &encoder).code !=
        heif_error_Ok) {
        heif_context_free(context);
        return out;
    }
    heif_encoder_set_lossy_quality(encoder, 80);
    if (coding == Coding::Rgb444)
        heif_encoder_set_parameter_string(encoder, "chroma", "444");
    // Only the stream says so: the samples stay libheif's full-range ones,
    // so a decoder that dropped the stream's signal shows other colours.
    if (studio)
        for (const char* name :
             {"x265:range", "x265:colormatrix", "x265:colorprim", "x265:transfer"})
            heif_encoder_set_parameter_string(
                encoder, name, std::string(name) == "x265:range" ? "limited" : "bt709");
    const int w = image.width();
    const int h = image.height();
    heif_image* picture = nullptr;
    int stride = 0;
    if (coding == Coding::Grey) {
        heif_image_create(w, h, heif_colorspace_monochrome, heif_chroma_monochrome, &picture);
        heif_image_add_plane(picture, heif_channel_Y, w, h, 8);
        uint8_t* plane = heif_image_get_plane(picture, heif_channel_Y, &stride);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                plane[y * stride + x] = uint8_t(qGray(image.pixel(x, y)));
    } else if (coding == Coding::Deep420) {
        heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RRGGBB_LE, &picture);
        heif_image_add_plane(picture, heif_channel_interleaved, w, h, 10);
        uint8_t* plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                const QRgb p = image.pixel(x, y);
                const uint16_t samples[3] = {uint16_t(qRed(p) * 4 + (x & 3)),
                                             uint16_t(qGreen(p) * 4 + (y & 3)),
                                             uint16_t(qBlue(p) * 4)};
                std::memcpy(plane + y * stride + x * 6, samples, 6);
            }
    } else {
        heif_image_create(w, h, heif_colorspace_RGB, heif_chroma_interleaved_RGB, &picture);
        heif_image_add_plane(picture, heif_channel_interleaved, w, h, 8);
        uint8_t* plane = heif_image_get_plane(picture, heif_channel_interleaved, &stride);
        const QImage rgb = image.convertToFormat(QImage::Format_RGB888);
        for (int y = 0; y < h; ++y)
            std::memcpy(plane + y * stride, rgb.constScanLine(y), size_t(w) * 3);
    }
    heif_image_handle* handle = nullptr;
    heif_context_encode_image(context, picture, encoder, nullptr, &handle);
    heif_writer writer{1, HeifWriter::Write};
    if (handle) {
        heif_context_write(context, &writer, &out);
        heif_image_handle_release(handle);
    }
    heif_image_release(picture);
    heif_encoder_release(encoder);
    heif_context_free(context);
    return out;
}

// The primary picture as libheif gives it through the decoder `id`, 8-bit
// RGB.
QImage DecodeWith(const QByteArray& file, const char* id)
{
    QImage out;
    heif_context* context = heif_context_alloc();
    heif_image_handle* handle = nullptr;
    heif_decoding_options* options = heif_decoding_options_alloc();
    options->decoder_id = id;
    heif_image* image = nullptr;
    if (heif_context_read_from_memory_without_copy(context, file.constData(), size_t(file.size()),
                                                   nullptr)
                .code == heif_error_Ok &&
        heif_context_get_primary_image_handle(context, &handle).code == heif_error_Ok &&
        heif_decode_image(handle, &image, heif_colorspace_RGB, heif_chroma_interleaved_RGB, options)
                .code == heif_error_Ok) {
        int stride = 0;
        const uint8_t* plane =
            heif_image_get_plane_readonly(image, heif_channel_interleaved, &stride);
        out = QImage(plane, heif_image_get_width(image, heif_channel_interleaved),
                     heif_image_get_height(image, heif_channel_interleaved), stride,
                     QImage::Format_RGB888)
                  .convertToFormat(QImage::Format_RGB32);
    }
    if (image)
        heif_image_release(image);
    if (handle)
        heif_image_handle_release(handle);
    heif_decoding_options_free(options);
    heif_context_free(context);
    return out;
}

// The largest difference of one channel between two pictures of one size.
int MaxDifference(const QImage& a, const QImage& b)
{
    int most = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y);
            const QRgb q = b.pixel(x, y);
            most = std::max({most, std::abs(qRed(p) - qRed(q)), std::abs(qGreen(p) - qGreen(q)),
                             std::abs(qBlue(p) - qBlue(q))});
        }
    return most;
}

} // namespace

TEST(HevcDecoderModule, JoinsLibheifBeforeLibde265)
{
    ASSERT_TRUE(CHevcDecoderModule::Install());
    EXPECT_TRUE(CHevcDecoderModule::Install());
    const heif_decoder_descriptor* descriptors[16] = {};
    const int count = heif_get_decoder_descriptors(heif_compression_HEVC, descriptors, 16);
    ASSERT_GE(count, 2);
    // Listed by priority, the highest first: the one libheif takes.
    EXPECT_STREQ(heif_decoder_descriptor_get_id_name(descriptors[0]),
                 CHevcDecoderModule::kDecoderId);
    bool libde265 = false;
    for (int i = 0; i < count; ++i)
        libde265 = libde265 ||
                   std::string(heif_decoder_descriptor_get_id_name(descriptors[i])) == "libde265";
    EXPECT_TRUE(libde265);
}

// libheif hands the choice of decoder to a picture of its own only, not to
// a grid's tiles: libde265's grid is put together here from its tiles.
static QImage Libde265Grid(const std::vector<HevcStream>& tiles, int columns, int tile, QSize shown)
{
    const int rows = int(tiles.size()) / columns;
    QImage canvas(columns * tile, rows * tile, QImage::Format_RGB32);
    QPainter painter(&canvas);
    for (size_t i = 0; i < tiles.size(); ++i) {
        const QImage part = DecodeWith(
            HeicOfTiles({tiles[i]}, 1, QSize(tile, tile), QSize(tile, tile)), "libde265");
        if (part.isNull())
            return {};
        painter.drawImage(int(i % size_t(columns)) * tile, int(i / size_t(columns)) * tile, part);
    }
    painter.end();
    return canvas.copy(QRect(QPoint(0, 0), shown));
}

TEST(HevcDecoderModule, PicturesAreLibde265sWithinRounding)
{
    ASSERT_TRUE(CHevcDecoderModule::Install());
    const QImage grainy = imagingtest::Grainy(333, 251);
    // Six tiles, the last row and column cropped; each tile's stream carries
    // its own colour signal, as the file states none.
    const QImage gridPicture = imagingtest::Grainy(300, 200);
    const std::vector<HevcStream> tiles = GridTiles(gridPicture, 128, 70);
    ASSERT_EQ(tiles.size(), 6u);
    const QByteArray grid = HeicOfTiles(tiles, 3, QSize(128, 128), gridPicture.size());
    // Colours the decoder alone reports: the tiles' streams signal BT.709
    // in limited range, and the file says nothing of them.
    const std::vector<HevcStream> studioTiles = GridTiles(
        gridPicture, 128, [](const QImage& part) { return Encode(part, Coding::Rgb420, true); });
    ASSERT_EQ(studioTiles.size(), 6u);
    const QByteArray studio = HeicOfTiles(studioTiles, 3, QSize(128, 128), gridPicture.size());
    const QByteArray small = Encode(imagingtest::Grainy(64, 48), Coding::Rgb420);
    const QByteArray odd = Encode(grainy, Coding::Rgb420);
    const QByteArray full = Encode(grainy, Coding::Rgb444);
    const QByteArray deep = Encode(grainy, Coding::Deep420);
    const QByteArray grey = Encode(grainy, Coding::Grey);
    const struct
    {
        const char* name;
        const QByteArray& file;
        QImage reference;
    } rows[] = {
        {"4:2:0", small, DecodeWith(small, "libde265")},
        // Odd sides: the stream is coded larger and cropped back.
        {"4:2:0 odd sides", odd, DecodeWith(odd, "libde265")},
        {"4:4:4", full, DecodeWith(full, "libde265")},
        {"10 bits", deep, DecodeWith(deep, "libde265")},
        {"grey", grey, DecodeWith(grey, "libde265")},
        {"grid of tiles", grid, Libde265Grid(tiles, 3, 128, gridPicture.size())},
        {"grid of BT.709 tiles", studio, Libde265Grid(studioTiles, 3, 128, gridPicture.size())},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        ASSERT_FALSE(row.file.isEmpty());
        ASSERT_FALSE(row.reference.isNull());
        const QImage ours = DecodeWith(row.file, CHevcDecoderModule::kDecoderId);
        ASSERT_EQ(ours.size(), row.reference.size());
        EXPECT_LE(MaxDifference(ours, row.reference), 2);
        // The same through the program's own decoding.
        QImage decoded;
        QSize fileSize;
        ASSERT_EQ(CImageDecoder::DecodeImage(row.file, false, {}, decoded, fileSize),
                  CImageDecoder::Decoded);
        ASSERT_EQ(decoded.size(), row.reference.size());
        EXPECT_LE(MaxDifference(decoded, row.reference), 2);
    }
}
