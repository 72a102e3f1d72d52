// The program's video module: CVideoEncoder over FFmpeg's libraries. It is
// loaded at the first export (see CVideoEncoder) and uses nothing of the
// program but that class's declaration.
#include "show/videoencoder.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <thread>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswscale/swscale.h>
}

namespace {

std::string describe(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

class CFfmpegEncoder final : public CVideoEncoder
{
public:
    ~CFfmpegEncoder() override
    {
        // A file given up half way: the muxer's state goes, the caller
        // removes the file.
        if (m_format && m_format->pb)
            avio_closep(&m_format->pb);
        avformat_free_context(m_format);
        avcodec_free_context(&m_codec);
        av_frame_free(&m_frame);
        av_packet_free(&m_packet);
        sws_freeContext(m_scaler);
    }

    bool Open(const Settings& s)
    {
        m_settings = s;
        const char* muxer = s.format == Mp4 ? "mp4" : s.format == WebM ? "webm" : "matroska";
        const char* encoderName = s.format == WebM ? "libvpx-vp9" : "libx264";
        int rc = avformat_alloc_output_context2(&m_format, nullptr, muxer, s.path.c_str());
        if (rc < 0 || !m_format)
            return Fail("the container " + std::string(muxer), rc);
        const AVCodec* codec = avcodec_find_encoder_by_name(encoderName);
        if (!codec)
            return Fail("the encoder " + std::string(encoderName) + " is not in libavcodec",
                        AVERROR_ENCODER_NOT_FOUND);
        m_stream = avformat_new_stream(m_format, nullptr);
        m_codec = avcodec_alloc_context3(codec);
        m_frame = av_frame_alloc();
        m_packet = av_packet_alloc();
        if (!m_stream || !m_codec || !m_frame || !m_packet)
            return Fail("memory", AVERROR(ENOMEM));

        m_codec->width = s.width;
        m_codec->height = s.height;
        m_codec->pix_fmt = AV_PIX_FMT_YUV420P;
        m_codec->time_base = AVRational{1, s.fps};
        m_codec->framerate = AVRational{s.fps, 1};
        // A key frame every ten seconds: still pictures gain nothing from
        // more, and a player can still seek.
        m_codec->gop_size = 10 * s.fps;
        m_codec->color_range = AVCOL_RANGE_MPEG;
        m_codec->colorspace = AVCOL_SPC_BT709;
        m_codec->color_primaries = AVCOL_PRI_BT709;
        m_codec->color_trc = AVCOL_TRC_BT709;
        m_codec->thread_count = 0; // the encoder's own threads, on every core
        if (m_format->oformat->flags & AVFMT_GLOBALHEADER)
            m_codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        const int q = std::clamp(s.quality, 1, 100);
        if (s.format == WebM) {
            // Constant quality (no bit rate), quick settings: slides are
            // still, what matters is the time to the file.
            const int crf = int(std::lround(63.0 - q * 32.0 / 75.0));
            av_opt_set_int(m_codec->priv_data, "crf", std::clamp(crf, 4, 63), 0);
            m_codec->bit_rate = 0;
            av_opt_set(m_codec->priv_data, "deadline", "good", 0);
            av_opt_set_int(m_codec->priv_data, "cpu-used", 5, 0);
            av_opt_set_int(m_codec->priv_data, "row-mt", 1, 0);
            m_codec->thread_count = int(std::max(1U, std::thread::hardware_concurrency()));
        } else {
            // Quality 75 is x264's own default (crf 23). A still frame costs
            // x264's slower presets about as much as a moving one; "veryfast"
            // halves the time of a show at a slightly larger file.
            const int crf = int(std::lround(51.0 - q * 28.0 / 75.0));
            av_opt_set(m_codec->priv_data, "preset", "veryfast", 0);
            av_opt_set_int(m_codec->priv_data, "crf", std::clamp(crf, 1, 51), 0);
        }
        rc = avcodec_open2(m_codec, codec, nullptr);
        if (rc < 0)
            return Fail("the encoder " + std::string(encoderName), rc);
        rc = avcodec_parameters_from_context(m_stream->codecpar, m_codec);
        if (rc < 0)
            return Fail("the stream", rc);
        m_stream->time_base = m_codec->time_base;
        m_stream->avg_frame_rate = m_codec->framerate;
        m_stream->r_frame_rate = m_codec->framerate;

        rc = avio_open(&m_format->pb, s.path.c_str(), AVIO_FLAG_WRITE);
        if (rc < 0)
            return Fail(s.path, rc);
        AVDictionary* options = nullptr;
        if (s.format == Mp4)
            av_dict_set(&options, "movflags", "+faststart", 0);
        rc = avformat_write_header(m_format, &options);
        av_dict_free(&options);
        if (rc < 0)
            return Fail(s.path, rc);

        m_frame->format = AV_PIX_FMT_YUV420P;
        m_frame->width = s.width;
        m_frame->height = s.height;
        m_frame->color_range = AVCOL_RANGE_MPEG;
        m_frame->colorspace = AVCOL_SPC_BT709;
        rc = av_frame_get_buffer(m_frame, 0);
        if (rc < 0)
            return Fail("memory", rc);
        m_scaler = sws_getContext(s.width, s.height, AV_PIX_FMT_0RGB32, s.width, s.height,
                                  AV_PIX_FMT_YUV420P, SWS_BICUBIC, nullptr, nullptr, nullptr);
        if (!m_scaler)
            return Fail("the colour conversion", AVERROR(EINVAL));
        // Full-range RGB in, video-range BT.709 out, as players expect.
        sws_setColorspaceDetails(m_scaler, sws_getCoefficients(SWS_CS_ITU709), 1,
                                 sws_getCoefficients(SWS_CS_ITU709), 0, 0, 1 << 16, 1 << 16);
        return true;
    }

    bool Add(const QImage& picture, int count) override
    {
        if (picture.width() != m_settings.width || picture.height() != m_settings.height ||
            picture.format() != QImage::Format_RGB32)
            return Fail("a frame of the wrong size or kind", AVERROR(EINVAL));
        if (picture.cacheKey() != m_converted) {
            // The encoder may still hold the last picture: a fresh buffer then.
            int rc = av_frame_make_writable(m_frame);
            if (rc < 0)
                return Fail("memory", rc);
            const uint8_t* source[1] = {picture.constBits()};
            const int stride[1] = {int(picture.bytesPerLine())};
            sws_scale(m_scaler, source, stride, 0, m_settings.height, m_frame->data,
                      m_frame->linesize);
            m_converted = picture.cacheKey();
        }
        for (int i = 0; i < count; ++i) {
            m_frame->pts = m_nextPts++;
            if (!Send(m_frame))
                return false;
        }
        return true;
    }

    bool Finish() override
    {
        if (!Send(nullptr))
            return false;
        int rc = av_write_trailer(m_format);
        if (rc < 0)
            return Fail(m_settings.path, rc);
        rc = avio_closep(&m_format->pb);
        if (rc < 0)
            return Fail(m_settings.path, rc);
        return true;
    }

    std::string Error() const override { return m_error; }
    int ErrorNumber() const override { return m_errno; }
    int64_t BytesWritten() const override
    {
        return m_format && m_format->pb ? avio_tell(m_format->pb) : m_written;
    }

private:
    // Sends one frame (nullptr: the end) and writes what comes out.
    bool Send(const AVFrame* frame)
    {
        int rc = avcodec_send_frame(m_codec, frame);
        if (rc < 0)
            return Fail("the encoder", rc);
        for (;;) {
            rc = avcodec_receive_packet(m_codec, m_packet);
            if (rc == AVERROR(EAGAIN) || rc == AVERROR_EOF)
                return true;
            if (rc < 0)
                return Fail("the encoder", rc);
            av_packet_rescale_ts(m_packet, m_codec->time_base, m_stream->time_base);
            m_packet->stream_index = m_stream->index;
            rc = av_interleaved_write_frame(m_format, m_packet);
            if (rc >= 0 && m_format->pb && m_format->pb->error < 0)
                rc = m_format->pb->error;
            if (rc < 0)
                return Fail(m_settings.path, rc);
            m_written = avio_tell(m_format->pb);
        }
    }

    bool Fail(const std::string& what, int code)
    {
        m_error = what + ": " + describe(code);
        m_errno = code < 0 && code > -4096 ? -code : 0;
        return false;
    }

    Settings m_settings;
    AVFormatContext* m_format = nullptr;
    AVCodecContext* m_codec = nullptr;
    AVStream* m_stream = nullptr;
    AVFrame* m_frame = nullptr;
    AVPacket* m_packet = nullptr;
    SwsContext* m_scaler = nullptr;
    qint64 m_converted = 0;
    int64_t m_nextPts = 0;
    int64_t m_written = 0;
    std::string m_error;
    int m_errno = 0;
};

} // namespace

extern "C" __attribute__((visibility("default"))) CVideoEncoder*
ZelmVideoOpen(const CVideoEncoder::Settings* settings, char* error, int errorSize)
{
    // FFmpeg's own notes on each file would reach the terminal; a failure
    // reaches the user as one message instead.
    av_log_set_level(AV_LOG_ERROR);
    auto encoder = std::make_unique<CFfmpegEncoder>();
    if (encoder->Open(*settings))
        return encoder.release();
    std::snprintf(error, size_t(errorSize), "%s", encoder->Error().c_str());
    return nullptr;
}
