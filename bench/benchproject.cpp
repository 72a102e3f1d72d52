#include "benchproject.h"

#include "document/projectfile.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QDir>
#include <QFile>
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
