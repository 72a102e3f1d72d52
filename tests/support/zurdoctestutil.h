#pragma once

// Shared set-up of the project document tests: pictures made with QImage,
// projects made through the document, cells imported as the editor does.

#include "document/zurdoc.h"
#include "document/zurdocobserver.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"

#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <memory>
#include <string>
#include <vector>

namespace doctest {

inline std::string str(const QString& s)
{
    return s.toStdString();
}

inline bool exists(const std::string& path)
{
    return QFileInfo::exists(QString::fromStdString(path));
}

inline std::string readAll(const std::string& path)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll().toStdString();
}

inline bool writeAll(const std::string& path, const std::string& text)
{
    QFile f(QString::fromStdString(path));
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(text.data(), qint64(text.size())) == qint64(text.size());
}

// The file names of a folder, sorted.
inline std::vector<std::string> filesOf(const std::string& folder)
{
    std::vector<std::string> names;
    for (const QString& n :
         QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden))
        names.push_back(n.toStdString());
    std::sort(names.begin(), names.end());
    return names;
}

inline bool makePicture(const std::string& path, int w = 320, int h = 240,
                        QColor color = QColor(200, 40, 40))
{
    QImage image(w, h, QImage::Format_RGB32);
    image.fill(color);
    return image.save(QString::fromStdString(path));
}

// Imports `source` into the document as an image cell added since the last
// save, the way an insert does: display image and thumbnail in the folder.
inline CCellBmpInfo* importPicture(CZurDoc& doc, const std::string& source)
{
    auto cell = std::make_unique<CCellBmpInfo>();
    cell->RefFilePath = source;
    cell->RefPage = 1;
    cell->UpdateSourceKind();
    CCellBmpInfo* raw = cell.get();
    doc.Cells.Append(std::move(cell));
    if (!raw->CreateDisplayFile(&doc, doc.ProjectPath) || !raw->MakeThumbnail(&doc, false))
        return nullptr;
    raw->StateFlags |= CCellInfo::StateAdded;
    doc.SetModifiedFlag();
    return raw;
}

inline CCellCtrlInfo* addControl(CZurDoc& doc, int inputDev = 1)
{
    auto cell = std::make_unique<CCellCtrlInfo>();
    cell->InputDev = inputDev;
    cell->StateFlags |= CCellInfo::StateAdded;
    CCellCtrlInfo* raw = cell.get();
    doc.Cells.Append(std::move(cell));
    doc.SetModifiedFlag();
    return raw;
}

// Gives the document `count` image cells whose display images (1024 x 768,
// each a little different) and thumbnails lie in its project folder, and
// leaves it unmodified, as if just saved. False when a picture was not written.
inline bool addSlideCells(CZurDoc& doc, int count)
{
    const QString folder = QString::fromStdString(doc.Cells.ProjectFolder);
    for (int i = 0; i < count; ++i) {
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->FileName = "s" + std::to_string(i) + ".png";
        cell->ThumbFileName = "s" + std::to_string(i) + ".jpg";
        QImage image(1024, 768, QImage::Format_RGB32);
        image.fill(QColor((i * 5) % 256, 100, 200));
        QPainter(&image).drawEllipse(100 + i, 100, 600, 400);
        if (!image.save(folder + QString::fromStdString(cell->FileName)) ||
            !image.scaled(160, 120).save(folder + QString::fromStdString(cell->ThumbFileName)))
            return false;
        doc.Cells.Append(std::move(cell));
    }
    doc.SetModifiedFlag(false);
    return true;
}

// A saved project "Trip" in `folder` (which exists): two slides made from
// pictures it draws into `sources`, then a control step. The project file's
// path; "" when any step failed.
inline std::string makeTripProject(CZurDoc& doc, const std::string& folder,
                                   const std::string& sources)
{
    if (!doc.NewProject({"Trip", folder, 0x00FFFFFF, 2}))
        return {};
    for (int i = 0; i < 2; ++i) {
        const std::string source = sources + "p" + std::to_string(i) + ".png";
        if (!makePicture(source, 640, 480, QColor(50 * i, 100, 150)) || !importPicture(doc, source))
            return {};
    }
    addControl(doc, 2);
    return doc.Save() ? doc.GetPathName() : std::string();
}

class RecordingObserver : public CZurDocObserver
{
public:
    void ClearUndo() override { ++clearUndo; }
    void UpdateAllViews() override { ++updates; }
    int clearUndo = 0;
    int updates = 0;
};

} // namespace doctest
