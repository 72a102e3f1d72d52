// The show written as a video file, read back with FFmpeg's own demuxer and
// decoders: what a television or a browser would find in it.
#include "base/msgid.h"
#include "show/showsequence.h"
#include "show/videoexport.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"
#include "support/tmpfsmount.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <unistd.h>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace {

const QColor kRed(255, 0, 0), kGreen(0, 255, 0), kBlue(0, 0, 255), kBack(255, 255, 0);

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// A card with the scenario SHOW.SIT on a yellow background: red for 2 s,
// green for 2 s entered by the dissolve, a switched-off slide, blue
// waiting for the remote control, a control step of 1 s.
class VideoExport : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        root = dir.path() + "/";
        writeFile(root + "SHOW.SIT",
                  "[Project]\nSHOW\nBG_COLOR=ffff00\n[Slides]\n"
                  "SHOW0001.JPG,SHOW0001.JPS,1,1,0002,00,0,0,0,0,0,0,0,0,0,002,0\n"
                  "SHOW0002.JPG,SHOW0002.JPS,1,1,0002,02,0,0,0,0,0,0,0,0,0,002,0\n"
                  "SHOW0004.JPG,SHOW0004.JPS,0,1,0005,02,0,0,0,0,0,0,0,0,0,002,0\n"
                  "SHOW0003.JPG,SHOW0003.JPS,1,0,0000,00,0,0,0,0,0,0,0,0,0,002,0\n"
                  "CONTROL,1,1,0001,0\n");
        ASSERT_TRUE(QDir(root).mkdir("SHOW"));
        const QColor colours[] = {kRed, kGreen, kBlue, Qt::white};
        for (int i = 0; i < 4; ++i) {
            QImage picture(1024, 768, QImage::Format_RGB32);
            picture.fill(colours[i]);
            ASSERT_TRUE(picture.save(
                root + QString("SHOW/SHOW%1.JPG").arg(i + 1, 4, 10, QChar('0')), "JPEG", 95));
        }
        ASSERT_TRUE(sequence.FromScenarioFile((root + "SHOW.SIT").toStdString()));
    }

    CVideoExport::Options Small() const
    {
        CVideoExport::Options options;
        options.width = 320; // 16:9: the card's 4:3 picture has borders
        options.height = 180;
        options.fps = 10;
        options.waitSeconds = 2;
        return options;
    }

    QTemporaryDir dir;
    QString root;
    CShowSequence sequence;
    CScriptedPrompt prompt;
};

struct Sample
{
    QColor centre; // mean of the middle of the picture
    QColor border; // mean of the band left of the picture
};

struct ReadBack
{
    bool opened = false;
    int width = 0, height = 0, frames = 0;
    double seconds = 0;
    double frameRate = 0;
    AVCodecID codec = AV_CODEC_ID_NONE;
    int pixelFormat = -1;
    int colorspace = -1;
    std::map<int, Sample> samples; // by frame number
};

QColor mean(const QImage& image, const QRect& area)
{
    qint64 r = 0, g = 0, b = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb p = image.pixel(x, y);
            r += qRed(p), g += qGreen(p), b += qBlue(p);
        }
    const qint64 n = qint64(area.width()) * area.height();
    return QColor(int(r / n), int(g / n), int(b / n));
}

ReadBack readBack(const std::string& path, const std::set<int>& wanted)
{
    ReadBack out;
    AVFormatContext* format = nullptr;
    if (avformat_open_input(&format, path.c_str(), nullptr, nullptr) < 0)
        return out;
    avformat_find_stream_info(format, nullptr);
    const AVCodec* decoderCodec = nullptr;
    const int index = av_find_best_stream(format, AVMEDIA_TYPE_VIDEO, -1, -1, &decoderCodec, 0);
    if (index < 0 || !decoderCodec) {
        avformat_close_input(&format);
        return out;
    }
    const AVStream* stream = format->streams[index];
    out.opened = true;
    out.codec = stream->codecpar->codec_id;
    out.pixelFormat = stream->codecpar->format;
    out.width = stream->codecpar->width;
    out.height = stream->codecpar->height;
    out.frameRate = av_q2d(stream->avg_frame_rate);
    out.seconds = stream->duration != AV_NOPTS_VALUE
                      ? double(stream->duration) * av_q2d(stream->time_base)
                      : double(format->duration) / AV_TIME_BASE;
    AVCodecContext* decoder = avcodec_alloc_context3(decoderCodec);
    avcodec_parameters_to_context(decoder, stream->codecpar);
    avcodec_open2(decoder, decoderCodec, nullptr);
    AVPacket* packet = av_packet_alloc();
    AVFrame* frame = av_frame_alloc();
    auto take = [&] {
        while (avcodec_receive_frame(decoder, frame) == 0) {
            if (wanted.count(out.frames)) {
                QImage rgb(frame->width, frame->height, QImage::Format_RGB32);
                SwsContext* convert = sws_getContext(
                    frame->width, frame->height, AVPixelFormat(frame->format), frame->width,
                    frame->height, AV_PIX_FMT_0RGB32, SWS_POINT, nullptr, nullptr, nullptr);
                uint8_t* planes[1] = {rgb.bits()};
                const int strides[1] = {int(rgb.bytesPerLine())};
                // As a player converts it: by the matrix the stream names.
                out.colorspace = frame->colorspace;
                const int matrix =
                    frame->colorspace == AVCOL_SPC_BT709 ? SWS_CS_ITU709 : SWS_CS_DEFAULT;
                sws_setColorspaceDetails(
                    convert, sws_getCoefficients(matrix), frame->color_range == AVCOL_RANGE_JPEG,
                    sws_getCoefficients(SWS_CS_DEFAULT), 1, 0, 1 << 16, 1 << 16);
                sws_scale(convert, frame->data, frame->linesize, 0, frame->height, planes, strides);
                sws_freeContext(convert);
                const int w = rgb.width(), h = rgb.height();
                out.samples[out.frames] = {mean(rgb, QRect(w / 2 - w / 8, h / 4, w / 4, h / 2)),
                                           mean(rgb, QRect(4, 8, w / 8 - 8, h - 16))};
            }
            ++out.frames;
        }
    };
    while (av_read_frame(format, packet) >= 0) {
        if (packet->stream_index == index && avcodec_send_packet(decoder, packet) >= 0)
            take();
        av_packet_unref(packet);
    }
    avcodec_send_packet(decoder, nullptr);
    take();
    av_frame_free(&frame);
    av_packet_free(&packet);
    avcodec_free_context(&decoder);
    avformat_close_input(&format);
    return out;
}

bool near(const QColor& a, const QColor& b)
{
    constexpr int kTolerance = 24; // JPEG and 4:2:0 video of a flat colour
    return std::abs(a.red() - b.red()) <= kTolerance &&
           std::abs(a.green() - b.green()) <= kTolerance &&
           std::abs(a.blue() - b.blue()) <= kTolerance;
}

std::string name(const QColor& c)
{
    return c.name().toStdString();
}

std::vector<std::string> filesIn(const QString& folder)
{
    std::vector<std::string> names;
    for (const QString& n : QDir(folder).entryList(QDir::Files | QDir::Hidden))
        names.push_back(n.toStdString());
    return names;
}

} // namespace

// Each format: the right codec, size, length and frame count, the middle of
// each slide in its colour on the background, and the middle of the
// dissolve between the two colours. Two seconds of the switched-off slide
// would show as a wrong length.
TEST_F(VideoExport, EachFormatHoldsTheShowAsThePlayerPlaysIt)
{
    const struct
    {
        const char* file;
        AVCodecID codec;
    } formats[] = {
        {"show.mp4", AV_CODEC_ID_H264},
        {"show.webm", AV_CODEC_ID_VP9},
        {"show.MKV", AV_CODEC_ID_H264},
    };
    // 2 s red, 2 s green (dissolve over its first second), 2 s blue
    // (waits: --manual-seconds), 1 s of the control step: 7 s at 10 fps.
    const int frames = 70;
    const std::map<int, QColor> middles = {{10, kRed}, {30, kGreen}, {50, kBlue}, {65, kBlue}};
    const int dissolveMiddle = 25;
    std::set<int> wanted = {dissolveMiddle};
    for (const auto& m : middles)
        wanted.insert(m.first);

    for (const auto& format : formats) {
        SCOPED_TRACE(format.file);
        const std::string out = (root + format.file).toStdString();
        CScriptedProgress progress;
        CVideoExport video(&prompt, &progress);
        ASSERT_TRUE(video.Prepare(sequence, "SHOW.SIT", out, Small())) << prompt.Ids().size();
        EXPECT_EQ(video.FrameCount(), frames);
        ASSERT_EQ(video.Run(), CVideoExport::Written);
        EXPECT_EQ(progress.pos, frames);

        const ReadBack video2 = readBack(out, wanted);
        ASSERT_TRUE(video2.opened);
        EXPECT_EQ(video2.codec, format.codec);
        EXPECT_EQ(video2.pixelFormat, AV_PIX_FMT_YUV420P);
        EXPECT_EQ(video2.colorspace, AVCOL_SPC_BT709);
        EXPECT_EQ(video2.width, 320);
        EXPECT_EQ(video2.height, 180);
        EXPECT_DOUBLE_EQ(video2.frameRate, 10.0);
        EXPECT_EQ(video2.frames, frames);
        EXPECT_NEAR(video2.seconds, 7.0, 0.1);
        for (const auto& [frame, colour] : middles) {
            SCOPED_TRACE(frame);
            ASSERT_TRUE(video2.samples.count(frame));
            EXPECT_TRUE(near(video2.samples.at(frame).centre, colour))
                << name(video2.samples.at(frame).centre);
            EXPECT_TRUE(near(video2.samples.at(frame).border, kBack))
                << name(video2.samples.at(frame).border);
        }
        // Half the pixels turned: red and green both well present.
        ASSERT_TRUE(video2.samples.count(dissolveMiddle));
        const QColor mixed = video2.samples.at(dissolveMiddle).centre;
        EXPECT_GT(mixed.red(), 60) << name(mixed);
        EXPECT_LT(mixed.red(), 195) << name(mixed);
        EXPECT_GT(mixed.green(), 60) << name(mixed);
        EXPECT_LT(mixed.green(), 195) << name(mixed);
        EXPECT_LT(mixed.blue(), 40) << name(mixed);
    }
    // Players that start before the whole file is there need the index
    // first.
    QFile mp4(root + "show.mp4");
    ASSERT_TRUE(mp4.open(QIODevice::ReadOnly));
    const QByteArray bytes = mp4.readAll();
    ASSERT_GE(bytes.indexOf("moov"), 0);
    EXPECT_LT(bytes.indexOf("moov"), bytes.indexOf("mdat"));
    // Nothing but the videos is left beside them.
    const std::vector<std::string> expected = {"SHOW.SIT", "show.MKV", "show.mp4", "show.webm"};
    std::vector<std::string> files = filesIn(root);
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, expected);
}

// Refused before any work, each with its message, and nothing written.
TEST_F(VideoExport, BadInputIsRefusedBeforeAnyWork)
{
    ASSERT_TRUE(QDir(root).mkdir("folder"));
    ASSERT_TRUE(QFile::link(root + "folder", root + "link.mp4"));
    ASSERT_TRUE(QDir(root).mkdir("locked"));
    ASSERT_TRUE(QFile::setPermissions(root + "locked", QFile::ReadOwner | QFile::ExeOwner));
    CVideoExport::Options oddSize = Small();
    oddSize.width = 321;
    CVideoExport::Options tooLarge = Small();
    tooLarge.width = 3842;
    CVideoExport::Options tooFast = Small();
    tooFast.fps = 61;
    CVideoExport::Options noWait = Small();
    noWait.waitSeconds = 0;
    const bool root_user = geteuid() == 0; // root writes into any folder
    const struct
    {
        const char* out;
        CVideoExport::Options options;
        int message;
    } rows[] = {
        {"show.avi", Small(), MsgId::VideoUnknownFormat},
        {".mp4", Small(), MsgId::VideoUnknownFormat},
        {"folder", Small(), MsgId::VideoOutputIsFolder},
        {"link.mp4", Small(), MsgId::VideoOutputIsFolder},
        {"gone/show.mp4", Small(), MsgId::VideoFolderMissing},
        {"locked/show.mp4", Small(), root_user ? 0 : MsgId::VideoFolderNotWritable},
        {"show.mp4", oddSize, MsgId::VideoSizeOutOfRange},
        {"show.mp4", tooLarge, MsgId::VideoSizeOutOfRange},
        {"show.mp4", tooFast, MsgId::VideoFpsOutOfRange},
        {"show.mp4", noWait, MsgId::VideoManualOutOfRange},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.out);
        if (row.message == 0)
            continue;
        CScriptedPrompt refused;
        CVideoExport video(&refused, nullptr);
        EXPECT_FALSE(
            video.Prepare(sequence, "SHOW.SIT", (root + row.out).toStdString(), row.options));
        EXPECT_EQ(refused.Ids(), std::vector<int>{row.message});
    }

    // Slides whose pictures are not on the card: named, with the show.
    ASSERT_TRUE(QFile::remove(root + "SHOW/SHOW0002.JPG"));
    ASSERT_TRUE(QFile::remove(root + "SHOW/SHOW0003.JPG"));
    CShowSequence missing;
    ASSERT_TRUE(missing.FromScenarioFile((root + "SHOW.SIT").toStdString()));
    CScriptedPrompt named;
    CVideoExport video(&named, nullptr);
    EXPECT_FALSE(video.Prepare(missing, "SHOW.SIT", (root + "show.mp4").toStdString(), Small()));
    ASSERT_EQ(named.Ids(), std::vector<int>{MsgId::VideoPicturesMissing});
    EXPECT_NE(named.shown[0].text.find("SHOW0002.JPG, SHOW0003.JPG"), std::string::npos)
        << named.shown[0].text;

    // Nothing to play: every slide switched off.
    writeFile(root + "OFF.SIT", "[Project]\nOFF\nBG_COLOR=000000\n[Slides]\n"
                                "SHOW0001.JPG,SHOW0001.JPS,0,1,0002,00,0,0,0,0,0,0,0,0,0,002,0\n");
    CShowSequence off;
    ASSERT_TRUE(off.FromScenarioFile((root + "OFF.SIT").toStdString()));
    CScriptedPrompt nothing;
    CVideoExport none(&nothing, nullptr);
    EXPECT_FALSE(none.Prepare(off, "OFF.SIT", (root + "show.mp4").toStdString(), Small()));
    EXPECT_EQ(nothing.Ids(), std::vector<int>{MsgId::ShowNothingToPlay});

    QFile::setPermissions(root + "locked", QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(QFile::exists(root + "show.mp4"));
}

// A cancel or a full disk leaves neither the target nor the temporary file;
// the full disk is told with the figures.
TEST_F(VideoExport, CancelAndFullDiskLeaveNoFile)
{
    const QString existing = root + "old.mp4";
    writeFile(existing, "the video of last week");
    CScriptedProgress cancelling;
    cancelling.cancelAtQuery = 3;
    CVideoExport cancelled(&prompt, &cancelling);
    ASSERT_TRUE(cancelled.Prepare(sequence, "SHOW.SIT", existing.toStdString(), Small()));
    EXPECT_EQ(cancelled.Run(), CVideoExport::Cancelled);
    EXPECT_TRUE(prompt.Ids().empty());
    QFile old(existing);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), QByteArray("the video of last week"));

    const QString disk = root + "disk";
    ASSERT_TRUE(QDir(root).mkdir("disk"));
    CTmpfsMount mount(disk.toStdString(), "1m");
    if (!mount.Mounted())
        GTEST_SKIP() << "cannot mount a small disk here";
    ASSERT_TRUE(mount.Fill(0));
    CScriptedPrompt full;
    CVideoExport video(&full, nullptr);
    ASSERT_TRUE(video.Prepare(sequence, "SHOW.SIT", (disk + "/show.mkv").toStdString(), Small()));
    EXPECT_EQ(video.Run(), CVideoExport::Failed);
    ASSERT_EQ(full.Ids(), std::vector<int>{MsgId::VideoDiskFull});
    EXPECT_NE(full.shown[0].text.find(disk.toStdString()), std::string::npos) << full.shown[0].text;
    // What was written and what is free.
    EXPECT_NE(full.shown[0].text.find("0 bytes are free"), std::string::npos) << full.shown[0].text;
    EXPECT_EQ(filesIn(disk), std::vector<std::string>{".filler"});
}
