#include "imaging/photodecoder.h"

#include "imaging/codeclibraries.h"
#include "imaging/hevcdecodermodule.h"
#include "imaging/tifffile.h"

#include <QColorSpace>
#include <QFile>
#include <QThread>
#include <QTransform>
#include <QtEndian>
#include <algorithm>
#include <cmath>
#include <cstring>
#include <libheif/heif.h>
#include <memory>
#include <webp/decode.h>
#include <webp/demux.h>

namespace {

using Outcome = CImageDecoder::Outcome;

constexpr qint64 kMemoryBound = qint64(CImageDecoder::kAllocationLimitMb) * 1024 * 1024;

static_assert(Q_BYTE_ORDER == Q_LITTLE_ENDIAN,
              "the WebP and TIFF pixels are laid out for a little-endian QImage");

// Whether an image of `size` at `bytesPerPixel` (the decoder's own buffers
// counted in) fits the memory bound.
bool Fits(const QSize& size, int bytesPerPixel)
{
    return CImageDecoder::FitsMemory(size, bytesPerPixel);
}

bool SwapsSides(int orientation)
{
    return orientation >= 5 && orientation <= 8;
}

QSize Shown(QSize stored, int orientation)
{
    if (SwapsSides(orientation))
        stored.transpose();
    return stored;
}

// The target of the caller's next resize in the stored orientation, or an
// invalid size when there is none.
QSize StoredTarget(const std::function<QSize(const QSize&)>& nextResize, const QSize& shown,
                   int orientation)
{
    if (!nextResize)
        return {};
    QSize target = nextResize(shown);
    if (SwapsSides(orientation))
        target.transpose();
    return target;
}

// The last steps every decoder shares: within the bounds, 24-bit unless the
// depth is kept, colours in sRGB and no colour space attached.
Outcome Finish(QImage decoded, bool keepDepth, const QColorSpace& space, QImage& image)
{
    if (decoded.isNull())
        return CImageDecoder::NotDecoded;
    if (!CImageDecoder::WithinBounds(decoded.size()))
        decoded = decoded.scaled(CImageDecoder::BoundedSize(decoded.size()), Qt::IgnoreAspectRatio,
                                 Qt::SmoothTransformation);
    if (!keepDepth)
        decoded = CImageDecoder::To24Bit(decoded);
    else if (!decoded.hasAlphaChannel() && decoded.format() != QImage::Format_RGB32)
        decoded = decoded.convertToFormat(QImage::Format_RGB32);
    else if (decoded.hasAlphaChannel() && decoded.format() != QImage::Format_ARGB32)
        decoded = decoded.convertToFormat(QImage::Format_ARGB32);
    if (decoded.isNull())
        return CImageDecoder::NotDecoded;
    if (space.isValid() && space != QColorSpace(QColorSpace::SRgb)) {
        decoded.setColorSpace(space);
        decoded.convertToColorSpace(QColorSpace::SRgb);
    }
    decoded.setColorSpace(QColorSpace());
    image = std::move(decoded);
    return image.isNull() ? CImageDecoder::NotDecoded : CImageDecoder::Decoded;
}

// ---- HEIF ----

struct HeifFile
{
    heif_context* context = nullptr;
    heif_image_handle* primary = nullptr;
    QSize shown; // after the file's rotation and mirroring

    ~HeifFile()
    {
        if (primary)
            heif_image_handle_release(primary);
        if (context)
            heif_context_free(context);
    }
};

bool OpenHeif(const QByteArray& data, HeifFile& file)
{
    file.context = heif_context_alloc();
    if (!file.context)
        return false;
    // The library's own limit on a side, checked before it allocates: the
    // side of the memory bound's square (8 bytes a pixel in 512 MB), so a
    // crafted stream cannot make it allocate gigabytes. The pixel bound is
    // checked here.
    heif_context_set_maximum_image_size_limit(file.context, 8192);
    // The tiles of a grid image (as phones store their photos) are decoded
    // on every processor.
    heif_context_set_max_decoding_threads(file.context, std::max(1, QThread::idealThreadCount()));
    if (heif_context_read_from_memory_without_copy(file.context, data.constData(),
                                                   size_t(data.size()), nullptr)
                .code != heif_error_Ok ||
        heif_context_get_primary_image_handle(file.context, &file.primary).code != heif_error_Ok)
        return false;
    // Sizes after the rotation and mirroring the file records.
    file.shown = QSize(heif_image_handle_get_width(file.primary),
                       heif_image_handle_get_height(file.primary));
    return file.shown.width() > 0 && file.shown.height() > 0;
}

// Decoding a HEIF takes its YCbCr planes, the RGB result, our copy of it
// and the 24-bit conversion. The decoder cannot reduce, so a picture beyond
// the bounds is decoded whole when that fits the memory bound.
constexpr int kHeifBytesPerPixel = 8;

Outcome HeifBounds(const QSize& shown)
{
    return Fits(shown, kHeifBytesPerPixel) ? CImageDecoder::Decoded : CImageDecoder::TooLarge;
}

// The smallest stored thumbnail of the primary image that still covers
// `target` with the same proportions, or none.
heif_image_handle* CoveringThumbnail(heif_image_handle* primary, const QSize& shown,
                                     const QSize& target)
{
    if (!target.isValid() || target.isEmpty())
        return nullptr;
    const int count = heif_image_handle_get_number_of_thumbnails(primary);
    if (count <= 0 || count > 16)
        return nullptr;
    heif_item_id ids[16];
    heif_image_handle_get_list_of_thumbnail_IDs(primary, ids, count);
    heif_image_handle* best = nullptr;
    qint64 bestPixels = 0;
    for (int i = 0; i < count; ++i) {
        heif_image_handle* thumb = nullptr;
        if (heif_image_handle_get_thumbnail(primary, ids[i], &thumb).code != heif_error_Ok)
            continue;
        const QSize size(heif_image_handle_get_width(thumb), heif_image_handle_get_height(thumb));
        const double ratio = double(size.width()) * shown.height();
        const double wanted = double(shown.width()) * size.height();
        const bool covers = size.width() >= target.width() && size.height() >= target.height() &&
                            std::abs(ratio - wanted) <= 0.01 * wanted;
        const qint64 pixels = qint64(size.width()) * size.height();
        if (covers && (!best || pixels < bestPixels)) {
            if (best)
                heif_image_handle_release(best);
            best = thumb;
            bestPixels = pixels;
        } else {
            heif_image_handle_release(thumb);
        }
    }
    return best;
}

QColorSpace HeifColorSpace(heif_image_handle* handle)
{
    const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle);
    if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC)
        return {};
    const size_t size = heif_image_handle_get_raw_color_profile_size(handle);
    if (size == 0 || size > 4 * 1024 * 1024)
        return {};
    QByteArray icc(qsizetype(size), Qt::Uninitialized);
    if (heif_image_handle_get_raw_color_profile(handle, icc.data()).code != heif_error_Ok)
        return {};
    return QColorSpace::fromIccProfile(icc);
}

// An 8-bit picture from its planes of R, G and B; null when they are not
// that.
QImage FromRgbPlanes(const heif_image* decoded)
{
    const heif_channel channels[] = {heif_channel_R, heif_channel_G, heif_channel_B};
    const uint8_t* planes[3] = {};
    int strides[3] = {};
    const int w = heif_image_get_width(decoded, heif_channel_R);
    const int h = heif_image_get_height(decoded, heif_channel_R);
    if (w <= 0 || h <= 0)
        return {};
    for (int c = 0; c < 3; ++c) {
        planes[c] = heif_image_get_plane_readonly(decoded, channels[c], &strides[c]);
        if (!planes[c] || strides[c] < w || heif_image_get_width(decoded, channels[c]) != w ||
            heif_image_get_height(decoded, channels[c]) != h ||
            heif_image_get_bits_per_pixel(decoded, channels[c]) != 8)
            return {};
    }
    QImage out(w, h, QImage::Format_RGB32);
    if (out.isNull())
        return {};
    for (int y = 0; y < h; ++y) {
        const uint8_t* r = planes[0] + qsizetype(y) * strides[0];
        const uint8_t* g = planes[1] + qsizetype(y) * strides[1];
        const uint8_t* b = planes[2] + qsizetype(y) * strides[2];
        auto* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < w; ++x)
            line[x] = 0xff000000u | (uint32_t(r[x]) << 16) | (uint32_t(g[x]) << 8) | b[x];
    }
    return out;
}

Outcome DecodeHeif(const QByteArray& data, bool keepDepth,
                   const std::function<QSize(const QSize&)>& nextResize, QImage& image,
                   QSize& fileSize)
{
    // The quicker HEVC decoder joins libheif before its first picture.
    CHevcDecoderModule::Install();
    HeifFile file;
    if (!OpenHeif(data, file))
        return CImageDecoder::NotDecoded;
    const Outcome bounds = HeifBounds(file.shown);
    if (bounds != CImageDecoder::Decoded)
        return bounds;
    // The transformations are applied by the library: its sizes are shown
    // sizes already.
    heif_image_handle* thumb =
        CoveringThumbnail(file.primary, file.shown, nextResize ? nextResize(file.shown) : QSize());
    heif_image_handle* source = thumb ? thumb : file.primary;
    const bool fromThumbnail = thumb != nullptr;
    const bool alpha = heif_image_handle_has_alpha_channel(source) != 0;
    // libheif turns every picture into planes of R, G and B first; an 8-bit
    // picture without alpha is taken as those planes, which spares its
    // second pass (and buffer) that would interleave them.
    const bool planar = !alpha && heif_image_handle_get_luma_bits_per_pixel(source) == 8 &&
                        heif_image_handle_get_chroma_bits_per_pixel(source) <= 8;
    heif_image* decoded = nullptr;
    const heif_error error = heif_decode_image(source, &decoded, heif_colorspace_RGB,
                                               planar  ? heif_chroma_444
                                               : alpha ? heif_chroma_interleaved_RGBA
                                                       : heif_chroma_interleaved_RGB,
                                               nullptr);
    const QColorSpace space = HeifColorSpace(file.primary);
    if (thumb)
        heif_image_handle_release(thumb);
    if (error.code != heif_error_Ok || !decoded)
        return CImageDecoder::NotDecoded;
    const std::unique_ptr<heif_image, void (*)(const heif_image*)> owned(decoded,
                                                                         heif_image_release);
    // The interleaved pixels are read in place, the planes into our own
    // picture.
    QImage whole;
    if (planar) {
        whole = FromRgbPlanes(decoded);
    } else {
        int stride = 0;
        const uint8_t* plane =
            heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
        const int w = heif_image_get_width(decoded, heif_channel_interleaved);
        const int h = heif_image_get_height(decoded, heif_channel_interleaved);
        if (plane && w > 0 && h > 0 && stride >= w * (alpha ? 4 : 3))
            whole = QImage(plane, w, h, qsizetype(stride),
                           alpha ? QImage::Format_RGBA8888 : QImage::Format_RGB888);
    }
    if (whole.isNull())
        return CImageDecoder::NotDecoded;
    const int w = whole.width();
    const int h = whole.height();
    // A file whose image decodes to another size than it states is damaged.
    if (!fromThumbnail && QSize(w, h) != file.shown)
        return CImageDecoder::NotDecoded;
    // A picture the caller reduces next is scaled straight to that size, so
    // the whole picture is not copied again.
    const QSize target = nextResize ? nextResize(file.shown) : QSize();
    const bool reduce = target.isValid() && !target.isEmpty() && target.width() <= w &&
                        target.height() <= h && target != QSize(w, h);
    QImage copy = reduce   ? whole.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                  : planar ? std::move(whole)
                           : whole.copy();
    if (copy.isNull())
        return CImageDecoder::NotDecoded;
    const Outcome outcome = Finish(std::move(copy), keepDepth, space, image);
    if (outcome == CImageDecoder::Decoded)
        fileSize = file.shown;
    return outcome;
}

// ---- WebP ----

struct WebPFile
{
    WebPDemuxer* demux = nullptr;
    QSize stored;
    bool animated = false;
    bool alpha = false;
    int orientation = 1;

    ~WebPFile() { WebPDemuxDelete(demux); }
};

bool OpenWebP(const QByteArray& data, WebPFile& file)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    WebPBitstreamFeatures features;
    if (WebPGetFeatures(bytes, size_t(data.size()), &features) != VP8_STATUS_OK)
        return false;
    const WebPData whole{bytes, size_t(data.size())};
    file.demux = WebPDemux(&whole);
    if (!file.demux)
        return false;
    file.stored = QSize(int(WebPDemuxGetI(file.demux, WEBP_FF_CANVAS_WIDTH)),
                        int(WebPDemuxGetI(file.demux, WEBP_FF_CANVAS_HEIGHT)));
    file.animated = features.has_animation != 0;
    file.alpha = features.has_alpha != 0;
    if (WebPDemuxGetI(file.demux, WEBP_FF_FORMAT_FLAGS) & EXIF_FLAG) {
        WebPChunkIterator chunk;
        if (WebPDemuxGetChunk(file.demux, "EXIF", 1, &chunk)) {
            file.orientation = CPhotoDecoder::ExifOrientation(chunk.chunk.bytes, chunk.chunk.size);
            WebPDemuxReleaseChunkIterator(&chunk);
        }
    }
    return file.stored.width() > 0 && file.stored.height() > 0;
}

// An animation's first frame is composed on a canvas the decoder keeps
// twice, besides our copy.
constexpr int kAnimationBytesPerPixel = 12;

Outcome WebPBounds(const WebPFile& file)
{
    // A still picture is decoded straight at a size within the bounds.
    if (file.animated && !CImageDecoder::WithinBounds(file.stored) &&
        !Fits(file.stored, kAnimationBytesPerPixel))
        return CImageDecoder::TooLarge;
    return CImageDecoder::Decoded;
}

QImage FirstFrame(const QByteArray& data)
{
    WebPAnimDecoderOptions options;
    if (!WebPAnimDecoderOptionsInit(&options))
        return {};
    options.color_mode = MODE_BGRA;
    options.use_threads = 0;
    const WebPData whole{reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size())};
    const std::unique_ptr<WebPAnimDecoder, void (*)(WebPAnimDecoder*)> decoder(
        WebPAnimDecoderNew(&whole, &options), WebPAnimDecoderDelete);
    WebPAnimInfo info;
    if (!decoder || !WebPAnimDecoderGetInfo(decoder.get(), &info))
        return {};
    uint8_t* canvas = nullptr;
    int timestamp = 0;
    if (!WebPAnimDecoderGetNext(decoder.get(), &canvas, &timestamp) || !canvas)
        return {};
    QImage frame(int(info.canvas_width), int(info.canvas_height), QImage::Format_ARGB32);
    if (frame.isNull())
        return {};
    const size_t rowBytes = size_t(info.canvas_width) * 4;
    for (int y = 0; y < frame.height(); ++y)
        std::memcpy(frame.scanLine(y), canvas + rowBytes * size_t(y), rowBytes);
    return frame;
}

QImage StillWebP(const QByteArray& data, const QSize& size, bool scaled, bool alpha)
{
    WebPDecoderConfig config;
    if (!WebPInitDecoderConfig(&config))
        return {};
    QImage out(size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (out.isNull())
        return {};
    // A second thread filters while the first one parses.
    config.options.use_threads = 1;
    if (scaled) {
        config.options.use_scaling = 1;
        config.options.scaled_width = size.width();
        config.options.scaled_height = size.height();
    }
    config.output.colorspace = MODE_BGRA;
    config.output.is_external_memory = 1;
    config.output.u.RGBA.rgba = out.bits();
    config.output.u.RGBA.stride = int(out.bytesPerLine());
    config.output.u.RGBA.size = size_t(out.sizeInBytes());
    const VP8StatusCode status = WebPDecode(reinterpret_cast<const uint8_t*>(data.constData()),
                                            size_t(data.size()), &config);
    WebPFreeDecBuffer(&config.output);
    return status == VP8_STATUS_OK ? out : QImage();
}

Outcome DecodeWebP(const QByteArray& data, bool keepDepth,
                   const std::function<QSize(const QSize&)>& nextResize, QImage& image,
                   QSize& fileSize)
{
    WebPFile file;
    if (!OpenWebP(data, file))
        return CImageDecoder::NotDecoded;
    const Outcome bounds = WebPBounds(file);
    if (bounds != CImageDecoder::Decoded)
        return bounds;
    const QSize shown = Shown(file.stored, file.orientation);
    QImage decoded;
    if (file.animated) {
        decoded = FirstFrame(data);
    } else {
        // The codec scales while it decodes, to any size: straight to the
        // caller's next size when that is a reduction.
        QSize size = CImageDecoder::BoundedSize(file.stored);
        const QSize target = StoredTarget(nextResize, shown, file.orientation);
        if (target.isValid() && !target.isEmpty() && target.width() <= size.width() &&
            target.height() <= size.height())
            size = target;
        decoded = StillWebP(data, size, size != file.stored, file.alpha);
    }
    if (decoded.isNull())
        return CImageDecoder::NotDecoded;
    const Outcome outcome =
        Finish(CPhotoDecoder::Oriented(decoded, file.orientation), keepDepth, {}, image);
    if (outcome == CImageDecoder::Decoded)
        fileSize = shown;
    return outcome;
}

// ---- TIFF ----

Outcome TiffBounds(const QSize& stored)
{
    return CImageDecoder::WithinBounds(stored) || Fits(stored, 4) ? CImageDecoder::Decoded
                                                                  : CImageDecoder::TooLarge;
}

Outcome DecodeTiff(const QByteArray& data, bool keepDepth,
                   const std::function<QSize(const QSize&)>& nextResize, QImage& image,
                   QSize& fileSize)
{
    CTiffFile file(data, kMemoryBound);
    if (!file.Open())
        return CImageDecoder::NotDecoded;
    const Outcome bounds = TiffBounds(file.Stored());
    if (bounds != CImageDecoder::Decoded)
        return bounds;
    // Reduced as it is read when the caller reduces next by half or more.
    const QSize target =
        StoredTarget(nextResize, Shown(file.Stored(), file.Orientation()), file.Orientation());
    bool alpha = false;
    QImage raster = file.Read(CImageDecoder::ReductionFor(file.Stored(), target), alpha);
    if (raster.isNull())
        return CImageDecoder::NotDecoded;
    if (!alpha)
        raster.reinterpretAsFormat(QImage::Format_RGBX8888);
    const Outcome outcome = Finish(CPhotoDecoder::Oriented(raster, file.Orientation()), keepDepth,
                                   file.ColorSpace(), image);
    if (outcome == CImageDecoder::Decoded)
        fileSize = Shown(file.Stored(), file.Orientation());
    return outcome;
}

} // namespace

CPhotoDecoder::Kind CPhotoDecoder::Sniff(const QByteArray& head)
{
    const char* p = head.constData();
    const qsizetype n = head.size();
    if (n >= 12 && std::memcmp(p, "RIFF", 4) == 0 && std::memcmp(p + 8, "WEBP", 4) == 0)
        return WebP;
    if (n >= 4 && (std::memcmp(p, "II*\0", 4) == 0 || std::memcmp(p, "MM\0*", 4) == 0 ||
                   std::memcmp(p, "II+\0", 4) == 0 || std::memcmp(p, "MM\0+", 4) == 0))
        return Tiff;
    if (n >= 12 && std::memcmp(p + 4, "ftyp", 4) == 0) {
        static const char* const brands[] = {"heic", "heix", "heim", "heis",
                                             "hevc", "hevx", "mif1", "msf1"};
        for (const char* brand : brands)
            if (std::memcmp(p + 8, brand, 4) == 0)
                return Heif;
    }
    return None;
}

namespace {

// The codec of `kind` loads at its first photo; a system without it (a
// broken installation) has its photos refused like any unreadable file.
bool CodecLoaded(CPhotoDecoder::Kind kind)
{
    switch (kind) {
    case CPhotoDecoder::Heif:
        return CCodecLibraries::Heif().Load();
    case CPhotoDecoder::WebP:
        return CCodecLibraries::WebP().Load() && CCodecLibraries::WebPDemux().Load();
    case CPhotoDecoder::Tiff:
        return CCodecLibraries::Tiff().Load();
    case CPhotoDecoder::None:
        break;
    }
    return false;
}

} // namespace

CImageDecoder::Outcome CPhotoDecoder::Probe(Kind kind, const QByteArray& data, QSize* size)
{
    if (!CodecLoaded(kind))
        return CImageDecoder::NotDecoded;
    QSize shown;
    Outcome outcome = CImageDecoder::NotDecoded;
    switch (kind) {
    case Heif: {
        HeifFile file;
        if (OpenHeif(data, file)) {
            outcome = HeifBounds(file.shown);
            shown = file.shown;
        }
        break;
    }
    case WebP: {
        WebPFile file;
        if (OpenWebP(data, file)) {
            outcome = WebPBounds(file);
            shown = Shown(file.stored, file.orientation);
        }
        break;
    }
    case Tiff: {
        CTiffFile file(data, kMemoryBound);
        if (file.Open()) {
            outcome = TiffBounds(file.Stored());
            shown = Shown(file.Stored(), file.Orientation());
        }
        break;
    }
    case None:
        break;
    }
    if (outcome == CImageDecoder::Decoded && size)
        *size = shown;
    return outcome;
}

CImageDecoder::Outcome CPhotoDecoder::ProbeDevice(Kind kind, QIODevice& device, QSize* size)
{
    if (device.isSequential())
        return CImageDecoder::NotDecoded;
    const qint64 start = device.pos();
    const qint64 length = device.size() - start;
    if (length <= 0)
        return CImageDecoder::NotDecoded;
    if (length > CImageDecoder::kMaxFileBytes)
        return CImageDecoder::TooLarge;
    // A file is mapped rather than read: only the parts the headers need
    // are touched.
    if (auto* file = qobject_cast<QFile*>(&device)) {
        if (uchar* mapped = file->map(start, length)) {
            const QByteArray data =
                QByteArray::fromRawData(reinterpret_cast<const char*>(mapped), qsizetype(length));
            const Outcome outcome = Probe(kind, data, size);
            file->unmap(mapped);
            return outcome;
        }
    }
    const QByteArray data = device.read(length);
    device.seek(start);
    return data.size() == length ? Probe(kind, data, size) : CImageDecoder::NotDecoded;
}

CImageDecoder::Outcome CPhotoDecoder::Decode(Kind kind, const QByteArray& data, bool keepDepth,
                                             const std::function<QSize(const QSize&)>& nextResize,
                                             QImage& image, QSize& fileSize)
{
    image = QImage();
    fileSize = QSize();
    if (!CodecLoaded(kind))
        return CImageDecoder::NotDecoded;
    switch (kind) {
    case Heif:
        return DecodeHeif(data, keepDepth, nextResize, image, fileSize);
    case WebP:
        return DecodeWebP(data, keepDepth, nextResize, image, fileSize);
    case Tiff:
        return DecodeTiff(data, keepDepth, nextResize, image, fileSize);
    case None:
        break;
    }
    return CImageDecoder::NotDecoded;
}

int CPhotoDecoder::ExifOrientation(const unsigned char* data, size_t size)
{
    if (size >= 6 && std::memcmp(data, "Exif\0\0", 6) == 0) {
        data += 6;
        size -= 6;
    }
    if (size < 8)
        return 1;
    const bool little = data[0] == 'I' && data[1] == 'I';
    if (!little && !(data[0] == 'M' && data[1] == 'M'))
        return 1;
    const auto u16 = [&](size_t at) {
        return little ? qFromLittleEndian<quint16>(data + at) : qFromBigEndian<quint16>(data + at);
    };
    const auto u32 = [&](size_t at) {
        return little ? qFromLittleEndian<quint32>(data + at) : qFromBigEndian<quint32>(data + at);
    };
    if (u16(2) != 42)
        return 1;
    const size_t ifd = u32(4);
    if (ifd < 8 || ifd > size - 2)
        return 1;
    const size_t entries = u16(ifd);
    for (size_t i = 0; i < entries; ++i) {
        const size_t at = ifd + 2 + i * 12;
        if (at > size - 12)
            break;
        if (u16(at) == 0x0112) {
            const int value = u16(at + 2) == 3 ? u16(at + 8) : 0;
            return value >= 1 && value <= 8 ? value : 1;
        }
    }
    return 1;
}

QImage CPhotoDecoder::Oriented(const QImage& image, int orientation)
{
    // The same steps as the picture readers of Qt take for a JPEG's Exif
    // orientation: mirror and flip first, then a quarter turn clockwise.
    bool mirror = false;
    bool flip = false;
    int turn = 0;
    switch (orientation) {
    case 2:
        mirror = true;
        break;
    case 3:
        mirror = flip = true;
        break;
    case 4:
        flip = true;
        break;
    case 5:
        flip = true;
        turn = 90;
        break;
    case 6:
        turn = 90;
        break;
    case 7:
        mirror = true;
        turn = 90;
        break;
    case 8:
        turn = 270;
        break;
    default:
        return image;
    }
    QImage out = mirror || flip ? image.mirrored(mirror, flip) : image;
    if (turn != 0)
        out = out.transformed(QTransform().rotate(turn));
    return out;
}
