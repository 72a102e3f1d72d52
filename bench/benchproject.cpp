#include "benchproject.h"

#include "document/projectfile.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QDir>
#include <QFile>
#include <map>
#include <memory>

CBenchProject::CBenchProject(int cells, const Pictures& pictures)
{
    folder = m_dir.path().toStdString() + "/Bench/";
    QDir().mkpath(QString::fromStdString(folder));
    std::string source;
    if (!pictures.source.isNull()) {
        source = m_dir.path().toStdString() + "/source.jpg";
        pictures.source.save(QString::fromStdString(source));
    }
    const QString display = QString::fromStdString(folder + "display.png");
    const QString thumb = QString::fromStdString(folder + "thumb.jpg");
    pictures.display.save(display, "PNG");
    pictures.thumbnail.save(thumb, "JPEG", pictures.thumbnailQuality);

    CProjectFile file;
    file.ProjectName = "Bench";
    file.ProjectPath = folder;
    file.Version = 2;
    CCellInfoList list;
    for (int i = 0; i < cells; ++i) {
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->FileName = "d" + std::to_string(i) + ".png";
        cell->ThumbFileName = "t" + std::to_string(i) + ".jpg";
        cell->RefFilePath = source;
        cell->RefPage = 1;
        cell->Resize[0] = pictures.thumbnail.width();
        cell->Resize[1] = pictures.thumbnail.height();
        const QString d = QString::fromStdString(folder + cell->FileName);
        const QString t = QString::fromStdString(folder + cell->ThumbFileName);
        if (pictures.link) {
            QFile::link(display, d);
            QFile::link(thumb, t);
        } else {
            QFile::copy(display, d);
            QFile::copy(thumb, t);
        }
        list.Append(std::move(cell));
    }
    path = folder + "Bench.sic";
    file.WriteFile(path, list);
}

CBenchProject& CBenchProject::Cached(int cells, Pictures (*make)())
{
    static std::map<int, std::unique_ptr<CBenchProject>> made;
    auto& f = made[cells];
    if (!f)
        f = std::make_unique<CBenchProject>(cells, make());
    return *f;
}

QImage CBenchProject::Photo(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    uint32_t seed = 12345;
    for (int y = 0; y < h; ++y) {
        auto* line = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < w; ++x) {
            seed = seed * 1664525u + 1013904223u;
            const int grain = int(seed >> 28) - 8;
            line[x] = qRgb(qBound(0, x * 255 / w + grain, 255), qBound(0, y * 255 / h + grain, 255),
                           qBound(0, ((x + y) / 16) % 256 + grain, 255));
        }
    }
    return img;
}
