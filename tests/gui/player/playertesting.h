#pragma once

#include "document/projectfile.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <QColor>
#include <QImage>
#include <QTemporaryDir>
#include <string>
#include <vector>

// A saved project of solid-colour slides (full 1024 x 768 display images,
// each waiting for the user) in a temporary folder.
class CSolidShow
{
public:
    explicit CSolidShow(const std::vector<QColor>& colours, int effect = 0)
    {
        folder = dir.path().toStdString() + "/";
        cells.ProjectFolder = folder;
        for (size_t i = 0; i < colours.size(); ++i) {
            auto cell = std::make_unique<CCellBmpInfo>();
            cell->FileName = "slide" + std::to_string(i + 1) + ".png";
            cell->ThumbFileName = cell->FileName;
            cell->RefFilePath = folder + cell->FileName;
            cell->RefPage = 1;
            cell->Effect = effect;
            QImage image(1024, 768, QImage::Format_RGB32);
            image.fill(colours[i]);
            image.save(QString::fromStdString(folder + cell->FileName), "PNG");
            cells.Append(std::move(cell));
        }
        CProjectFile project;
        project.ProjectName = "Solid";
        project.ProjectPath = folder;
        project.BackColor = backColor;
        path = folder + "Solid.sic";
        project.WriteFile(path, cells);
    }

    QTemporaryDir dir;
    std::string folder;
    std::string path;
    uint32_t backColor = 0x00202020;
    CCellInfoList cells;
};
