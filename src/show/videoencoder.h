#pragma once

#include <QImage>
#include <cstdint>
#include <memory>
#include <string>

// A video file being written, frame after frame. The codec and container
// libraries (FFmpeg's, with the encoders they bring) live in a module of the
// program's own that is loaded at the first export, so that the program
// starts and works without them. One encoder is used by one thread at a time.
class CVideoEncoder
{
public:
    enum Format
    {
        Mp4,  // H.264 in MP4, moved to play while it loads
        WebM, // VP9 in WebM
        Mkv,  // H.264 in Matroska
    };

    struct Settings
    {
        std::string path; // written as given; the caller picks a temporary name
        Format format = Mp4;
        int width = 1920; // even
        int height = 1080;
        int fps = 30;
        int quality = 75; // 1 (smallest) to 100 (best)
    };

    virtual ~CVideoEncoder() = default;

    // Creates the file and an encoder for it; null with `error` set when the
    // module, the encoder or the file cannot be had.
    static std::unique_ptr<CVideoEncoder> Open(const Settings& settings, std::string& error);
    // Whether the module loads; `error` names what is missing otherwise.
    static bool Available(std::string& error);
    // The Debian packages the module needs, for telling the user.
    static std::string Packages();

    // Appends `frame` (32-bit RGB, width x height) `count` times. A picture
    // given again (the same QImage) is not converted again.
    virtual bool Add(const QImage& frame, int count) = 0;
    // Drains the encoder and completes the file; false when it could not be.
    virtual bool Finish() = 0;
    // Why the last call failed, and its system error number (0: none).
    virtual std::string Error() const = 0;
    virtual int ErrorNumber() const = 0;
    virtual int64_t BytesWritten() const = 0;
};

// What the module exports (C names, found by the loader).
extern "C" {
using ZelmVideoOpenFunction = CVideoEncoder* (*)(const CVideoEncoder::Settings* settings,
                                                 char* error, int errorSize);
}
