// Any bytes as a PNG for the quick decoder: never a crash, and whatever it
// decodes, Qt's reader decodes to the same pixels and resolution (so taking
// the quick way never changes a picture).
#include "imaging/pngcodec.h"

#include <QGuiApplication>
#include <QImage>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static QGuiApplication app(*argc, *argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    QImage quick;
    if (!CPngCodec::Decode(input, quick))
        return 0;
    if (quick.format() != QImage::Format_RGB32)
        std::abort();
    QImage qt;
    if (!qt.loadFromData(input, "png") || qt.convertToFormat(QImage::Format_RGB32) != quick ||
        qt.dotsPerMeterX() != quick.dotsPerMeterX() || qt.dotsPerMeterY() != quick.dotsPerMeterY())
        std::abort();
    // What it decodes, it writes back as a PNG that decodes the same.
    QByteArray again;
    QImage back;
    if (!CPngCodec::Encode(quick, again) || !CPngCodec::Decode(again, back) || back != quick)
        std::abort();
    return 0;
}
