// Any bytes as a PNG to check: never a crash, never a read outside the
// bytes, the same answer twice.
#include "imaging/pngintegrity.h"

#include <QByteArray>
#include <QGuiApplication>
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
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    if (CPngIntegrity::Check(bytes) != CPngIntegrity::Check(bytes))
        std::abort();
    return 0;
}
