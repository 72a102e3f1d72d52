// Draws the numbered bitmaps of the resource bundle into the folder given.
#include <QGuiApplication>
#include <QImage>
#include <QPainter>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    if (argc < 2)
        return 2;
    const QString dir = QString::fromLocal8Bit(argv[1]);
    bool ok = true;
    auto save = [&](const QImage& img, const char* name) {
        ok = img.save(dir + QLatin1Char('/') + QLatin1String(name)) && ok;
    };
    QImage img(32, 32, QImage::Format_ARGB32);
    img.fill(Qt::transparent);
    for (const char* n : {"103.png", "128.png", "170.png", "250.png"})
        save(img, n);
    QImage bmp(160, 120, QImage::Format_RGB888);
    bmp.fill(Qt::white);
    for (const char* n : {"143.bmp", "144.bmp", "145.bmp"})
        save(bmp, n);
    return ok ? 0 : 1;
}
