// The input files of the side-by-side comparison in scripts/bench.sh, made
// the same way on every machine so that figures compare between runs:
//   benchinputs photos DIR N   N camera-sized (4000 x 3000) JPEGs, quality 90
//   benchinputs slides DIR N   N slide pictures (1024 x 768 PNG)
//   benchinputs heicgrid DIR N N photos of 4000 x 3000 as HEIC grids of
//                              512 x 512 tiles, as phones write them
//                              (quality 50, heif-enc's own default)
// Both are smooth gradients with fine grain, so that the codecs have the
// work a photograph gives them.
#include "imaging/heicstreams.h"

#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

QImage Picture(int w, int h, uint32_t seed)
{
    QImage img(w, h, QImage::Format_RGB32);
    const int shift = int(seed % 97);
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 28) - 8;
            line[x] = qRgb(qBound(0, x * 255 / w + grain, 255),
                           qBound(0, (y * 255 / h + shift) % 256 + grain, 255),
                           qBound(0, ((x + y) / 16 + shift) % 256 + grain, 255));
        }
    }
    return img;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 4) {
        std::fprintf(stderr, "usage: benchinputs photos|slides|heicgrid DIR N\n");
        return 2;
    }
    const std::string kind = argv[1];
    const std::string dir = argv[2];
    const int n = std::atoi(argv[3]);
    if ((kind != "photos" && kind != "slides" && kind != "heicgrid") || n <= 0) {
        std::fprintf(stderr, "usage: benchinputs photos|slides|heicgrid DIR N\n");
        return 2;
    }
    if (kind == "heicgrid") {
        for (int i = 0; i < n; ++i) {
            char name[32];
            std::snprintf(name, sizeof name, "IMG_%04d.heic", i + 1);
            const QByteArray grid =
                phototest::GridHeic(Picture(4000, 3000, 12345u + uint32_t(i)), 512, 50);
            if (!phototest::Save(dir + "/" + name, grid)) {
                std::fprintf(stderr, "benchinputs: could not write %s/%s\n", dir.c_str(), name);
                return 1;
            }
        }
        return 0;
    }
    const bool photos = kind == "photos";
    for (int i = 0; i < n; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, photos ? "IMG_%04d.jpg" : "SLIDE%03d.png", i + 1);
        const QImage picture =
            photos ? Picture(4000, 3000, 12345u + uint32_t(i)) : Picture(1024, 768, 777u + i);
        QImageWriter writer(QString::fromStdString(dir + "/" + name), photos ? "jpeg" : "png");
        if (photos)
            writer.setQuality(90);
        if (!writer.write(picture)) {
            std::fprintf(stderr, "benchinputs: could not write %s/%s\n", dir.c_str(), name);
            return 1;
        }
    }
    return 0;
}
