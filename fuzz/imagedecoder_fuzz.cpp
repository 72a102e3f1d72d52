// Any bytes as an image file: never a crash, never a picture beyond the
// decoding bounds, and a decoded picture is 24-bit with the size the header
// claimed (or the reduced size asked for, or that size brought within the
// bounds).
#include "imaging/imagedecoder.h"
#include "imaging/jpegscan.h"

#include <QBuffer>
#include <QGuiApplication>
#include <cstdint>
#include <cstdlib>

// Decoding frees many large buffers; a smaller quarantine keeps the run
// within the fuzzer's memory limit without hiding use-after-free of them.
extern "C" const char* __asan_default_options()
{
    return "quarantine_size_mb=64";
}

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const auto* bytes = reinterpret_cast<const unsigned char*>(data);
    CImageDecoder::JpegStreamComplete(bytes, size);
    CImageDecoder::BmpDataComplete(bytes, size);
    CJpegScan::Frame frame;
    if (CJpegScan::ReadFrame(bytes, size, frame) && qint64(frame.width) * frame.height <= 4'000'000)
        CJpegScan::DecodesCleanly(bytes, size, 64L * 1024 * 1024);

    QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QBuffer buffer(&input);
    buffer.open(QIODevice::ReadOnly);
    QSize claimed;
    if (!CImageDecoder::Probe(buffer, &claimed))
        return 0;
    // A picture beyond the bounds is accepted when it can be decoded reduced.
    if (claimed.width() <= 0 || claimed.height() <= 0)
        std::abort();
    // Large but legal pictures only cost time here.
    if (qint64(claimed.width()) * claimed.height() > 250'000)
        return 0;

    QImage image;
    QSize fileSize;
    const QSize half(claimed.width() / 2, claimed.height() / 2);
    if (CImageDecoder::Decode(
            input, false, [&](const QSize&) { return half; }, image, fileSize)) {
        if (image.isNull() || image.format() != QImage::Format_RGB32 || fileSize != claimed)
            std::abort();
        if (image.width() > claimed.width() || image.height() > claimed.height())
            std::abort();
    }
    // Within the bounds the size is the file's; beyond them the picture comes
    // back reduced to fit (a JPEG by its own decoder's factor, so not always
    // to BoundedSize exactly).
    if (CImageDecoder::Decode(input, true, {}, image, fileSize) &&
        (!CImageDecoder::WithinBounds(image.size()) ||
         (CImageDecoder::WithinBounds(claimed) && image.size() != claimed) ||
         image.width() > claimed.width() || image.height() > claimed.height()))
        std::abort();
    return 0;
}
