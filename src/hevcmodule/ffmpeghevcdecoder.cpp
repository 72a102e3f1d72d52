// The program's HEVC module: a libheif decoder over FFmpeg's HEVC decoder
// (SIMD, slice threads), several times quicker than libheif's own libde265.
// It is loaded at the first HEIC that is decoded (see CHevcDecoderModule)
// and uses nothing of the program but that declaration.
#include "imaging/hevcdecodermodule.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <libheif/heif.h>
#include <libheif/heif_plugin.h>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/frame.h>
#include <libavutil/log.h>
#include <libavutil/pixdesc.h>
}

namespace {

// Above libde265's 100: libheif picks the decoder of highest priority.
constexpr int kPriority = 200;

// A stream never makes FFmpeg allocate beyond what libheif lets the
// container state (8192 pixels a side): the parameter sets inside are the
// crafted file's own and may claim more.
constexpr int64_t kMaxPixels = int64_t(8192) * 8192;

// A picture this large is worth FFmpeg's slice threads; smaller ones are the
// tiles of a grid, which libheif already decodes several at a time.
constexpr int kThreadedPixels = 1024 * 1024;

heif_error Ok()
{
    return {heif_error_Ok, heif_suberror_Unspecified, "Success"};
}

heif_error Failed(heif_suberror_code code, const char* message)
{
    return {heif_error_Decoder_plugin_error, code, message};
}

struct Decoder
{
    // The NAL units pushed, each behind a start code: FFmpeg's decoder reads
    // that form without a configuration record.
    std::vector<uint8_t> stream;
    bool strict = false;
};

struct CodecContextFree
{
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct PacketFree
{
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct FrameFree
{
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};

const AVCodec* HevcCodec()
{
    static const AVCodec* const codec = avcodec_find_decoder(AV_CODEC_ID_HEVC);
    return codec;
}

using CodecContext = std::unique_ptr<AVCodecContext, CodecContextFree>;

// Decoders of small pictures (a grid's tiles, all of one size) are kept for
// the next one: opening a decoder allocates and clears its tables afresh,
// which for the 48 tiles of a phone's photo cost about as much as decoding
// them. Large pictures' decoders hold too much memory to keep.
class ContextPool
{
public:
    CodecContext Take()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        if (m_idle.empty())
            return nullptr;
        CodecContext context = std::move(m_idle.back());
        m_idle.pop_back();
        return context;
    }

    void Give(CodecContext context)
    {
        avcodec_flush_buffers(context.get());
        std::lock_guard<std::mutex> lock(m_mutex);
        // As many as decode at once: libheif decodes a tile a processor.
        if (m_idle.size() < std::max(1u, std::thread::hardware_concurrency()))
            m_idle.push_back(std::move(context));
    }

private:
    std::mutex m_mutex;
    std::vector<CodecContext> m_idle;
};

ContextPool& Pool()
{
    static ContextPool pool;
    return pool;
}

// A decoder of one thread (the pool's) or of every processor's.
CodecContext OpenContext(bool threaded)
{
    if (!threaded)
        if (CodecContext kept = Pool().Take())
            return kept;
    CodecContext context(avcodec_alloc_context3(HevcCodec()));
    if (!context)
        return nullptr;
    context->max_pixels = kMaxPixels;
    // A damaged stream is an error, not a picture with guessed parts.
    context->err_recognition = AV_EF_EXPLODE;
    context->thread_type = FF_THREAD_SLICE;
    context->thread_count = threaded ? int(std::max(1u, std::thread::hardware_concurrency())) : 1;
    if (avcodec_open2(context.get(), HevcCodec(), nullptr) < 0)
        return nullptr;
    return context;
}

const char* PluginName()
{
    return "FFmpeg HEVC decoder (libavcodec " LIBAVCODEC_IDENT ")";
}

void InitPlugin()
{
    // A damaged photo is refused with one message of the program's; FFmpeg's
    // own lines about it would reach the terminal.
    av_log_set_level(AV_LOG_QUIET);
}

int DoesSupportFormat(heif_compression_format format)
{
    return format == heif_compression_HEVC && HevcCodec() ? kPriority : 0;
}

heif_error NewDecoder(void** decoder)
{
    *decoder = new Decoder;
    return Ok();
}

void FreeDecoder(void* decoder)
{
    delete static_cast<Decoder*>(decoder);
}

void SetStrictDecoding(void* decoder, int flag)
{
    static_cast<Decoder*>(decoder)->strict = flag != 0;
}

// libheif pushes the configuration's parameter sets and then the image's
// data, both as NAL units each behind a 4-byte big-endian length.
heif_error PushData(void* raw, const void* data, size_t size)
{
    auto* decoder = static_cast<Decoder*>(raw);
    const auto* bytes = static_cast<const uint8_t*>(data);
    size_t at = 0;
    while (at < size) {
        if (size - at < 4)
            return Failed(heif_suberror_End_of_data, "a NAL unit's length is cut short");
        const size_t length = (size_t(bytes[at]) << 24) | (size_t(bytes[at + 1]) << 16) |
                              (size_t(bytes[at + 2]) << 8) | size_t(bytes[at + 3]);
        at += 4;
        if (length > size - at)
            return Failed(heif_suberror_End_of_data, "a NAL unit is cut short");
        static const uint8_t kStartCode[] = {0, 0, 0, 1};
        decoder->stream.insert(decoder->stream.end(), kStartCode, kStartCode + 4);
        decoder->stream.insert(decoder->stream.end(), bytes + at, bytes + at + length);
        at += length;
    }
    return Ok();
}

// Whether FFmpeg's pixel format is one libheif holds: planar Y'CbCr or grey,
// native byte order, every plane of one depth.
bool Describe(const AVPixFmtDescriptor* desc, heif_colorspace* colorspace, heif_chroma* chroma,
              int* depth)
{
    constexpr uint64_t kUnwanted = AV_PIX_FMT_FLAG_BE | AV_PIX_FMT_FLAG_PAL | AV_PIX_FMT_FLAG_RGB |
                                   AV_PIX_FMT_FLAG_ALPHA | AV_PIX_FMT_FLAG_HWACCEL |
                                   AV_PIX_FMT_FLAG_BITSTREAM | AV_PIX_FMT_FLAG_FLOAT;
    if (!desc || (desc->flags & kUnwanted) ||
        (desc->nb_components > 1 && !(desc->flags & AV_PIX_FMT_FLAG_PLANAR)))
        return false;
    *depth = desc->comp[0].depth;
    if (*depth < 8 || *depth > 16)
        return false;
    for (int c = 1; c < desc->nb_components; ++c)
        if (desc->comp[c].depth != *depth || desc->comp[c].plane != c)
            return false;
    if (desc->nb_components == 1) {
        *colorspace = heif_colorspace_monochrome;
        *chroma = heif_chroma_monochrome;
        return true;
    }
    if (desc->nb_components != 3)
        return false;
    *colorspace = heif_colorspace_YCbCr;
    if (desc->log2_chroma_w == 1 && desc->log2_chroma_h == 1)
        *chroma = heif_chroma_420;
    else if (desc->log2_chroma_w == 1 && desc->log2_chroma_h == 0)
        *chroma = heif_chroma_422;
    else if (desc->log2_chroma_w == 0 && desc->log2_chroma_h == 0)
        *chroma = heif_chroma_444;
    else
        return false;
    return true;
}

heif_error ToHeifImage(const AVFrame& frame, bool strict, heif_image** out)
{
    heif_colorspace colorspace;
    heif_chroma chroma;
    int depth = 0;
    const AVPixFmtDescriptor* desc = av_pix_fmt_desc_get(AVPixelFormat(frame.format));
    if (!Describe(desc, &colorspace, &chroma, &depth))
        return Failed(heif_suberror_Unsupported_color_conversion,
                      "the decoded picture's pixel format is not one of HEIF's");
    if (frame.width <= 0 || frame.height <= 0)
        return Failed(heif_suberror_Invalid_image_size, "the decoded picture has no size");
    heif_image* image = nullptr;
    heif_error error = heif_image_create(frame.width, frame.height, colorspace, chroma, &image);
    if (error.code != heif_error_Ok)
        return error;
    const heif_channel channels[] = {heif_channel_Y, heif_channel_Cb, heif_channel_Cr};
    const int bytesPerSample = (depth + 7) / 8;
    for (int c = 0; c < desc->nb_components; ++c) {
        const int shiftW = c == 0 ? 0 : desc->log2_chroma_w;
        const int shiftH = c == 0 ? 0 : desc->log2_chroma_h;
        const int w = -((-frame.width) >> shiftW);
        const int h = -((-frame.height) >> shiftH);
        error = heif_image_add_plane(image, channels[c], w, h, depth);
        int stride = 0;
        uint8_t* plane = error.code == heif_error_Ok
                             ? heif_image_get_plane(image, channels[c], &stride)
                             : nullptr;
        if (!plane) {
            heif_image_release(image);
            return error.code != heif_error_Ok
                       ? error
                       : Failed(heif_suberror_Unspecified, "no memory for the picture");
        }
        for (int y = 0; y < h; ++y)
            std::memcpy(plane + size_t(y) * size_t(stride),
                        frame.data[c] + ptrdiff_t(y) * frame.linesize[c],
                        size_t(w) * size_t(bytesPerSample));
    }
    // The colours as the stream's own signal describes them, as libde265
    // reports them; libheif converts to RGB by these unless the file
    // states its own. FFmpeg's numbers are those of ITU-T H.273.
    heif_color_profile_nclx* nclx = heif_nclx_color_profile_alloc();
    if (nclx) {
        const heif_error steps[] = {
            heif_nclx_color_profile_set_color_primaries(nclx, uint16_t(frame.color_primaries)),
            heif_nclx_color_profile_set_transfer_characteristics(nclx, uint16_t(frame.color_trc)),
            heif_nclx_color_profile_set_matrix_coefficients(nclx, uint16_t(frame.colorspace)),
        };
        for (const heif_error& step : steps) {
            if (step.code == heif_error_Ok)
                continue;
            if (strict) {
                heif_nclx_color_profile_free(nclx);
                heif_image_release(image);
                return step;
            }
            heif_image_add_decoding_warning(image, step);
        }
        nclx->full_range_flag = frame.color_range == AVCOL_RANGE_JPEG ? 1 : 0;
        heif_image_set_nclx_color_profile(image, nclx);
        heif_nclx_color_profile_free(nclx);
    }
    *out = image;
    return Ok();
}

heif_error DecodeImage(void* raw, heif_image** out)
{
    auto* decoder = static_cast<Decoder*>(raw);
    *out = nullptr;
    const AVCodec* codec = HevcCodec();
    if (!codec)
        return Failed(heif_suberror_Unsupported_codec, "FFmpeg has no HEVC decoder");
    if (decoder->stream.empty() || decoder->stream.size() > size_t(INT32_MAX))
        return Failed(heif_suberror_End_of_data, "no HEVC data");
    // The size of the stream tells a whole photo from a grid's tile before
    // the decoder reads the picture's size.
    const bool threaded = decoder->stream.size() > size_t(kThreadedPixels) / 8;
    CodecContext context = OpenContext(threaded);
    const std::unique_ptr<AVPacket, PacketFree> packet(av_packet_alloc());
    const std::unique_ptr<AVFrame, FrameFree> frame(av_frame_alloc());
    if (!context || !packet || !frame ||
        av_new_packet(packet.get(), int(decoder->stream.size())) < 0)
        return Failed(heif_suberror_Unspecified, "the HEVC decoder cannot be started");
    std::memcpy(packet->data, decoder->stream.data(), decoder->stream.size());
    decoder->stream = {};
    // One picture: send it, end the stream, take the picture.
    if (avcodec_send_packet(context.get(), packet.get()) < 0 ||
        avcodec_send_packet(context.get(), nullptr) < 0 ||
        avcodec_receive_frame(context.get(), frame.get()) < 0)
        return Failed(heif_suberror_Unspecified, "the HEVC stream is damaged");
    if ((frame->flags & AV_FRAME_FLAG_CORRUPT) || frame->decode_error_flags)
        return Failed(heif_suberror_Unspecified, "the HEVC stream is damaged");
    const heif_error result = ToHeifImage(*frame, decoder->strict, out);
    // Only a decoder that read a whole small picture is kept.
    if (!threaded && result.code == heif_error_Ok &&
        int64_t(frame->width) * frame->height <= kThreadedPixels) {
        av_frame_unref(frame.get());
        Pool().Give(std::move(context));
    }
    return result;
}

const heif_decoder_plugin kPlugin = {
    3,
    PluginName,
    InitPlugin,
    nullptr,
    DoesSupportFormat,
    NewDecoder,
    FreeDecoder,
    PushData,
    DecodeImage,
    SetStrictDecoding,
    CHevcDecoderModule::kDecoderId,
};

} // namespace

extern "C" __attribute__((visibility("default"))) const heif_decoder_plugin* ZelmHevcDecoder()
{
    return HevcCodec() ? &kPlugin : nullptr;
}
