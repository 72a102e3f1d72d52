#pragma once

// A project of image slides for the printing tests, the benchmark and the
// screenshots: display images and thumbnails made here.

#include "document/zurdoc.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"

#include <QImage>
#include <QPainter>
#include <QString>
#include <memory>

// Fills `doc` (project folder `folder`, trailing '/') with `rows` slides:
// every seventh a control step, every fifth disabled. Printing needs only
// the thumbnails; `displayImages` adds the pictures a send converts.
inline bool MakePrintProject(CZurDoc& doc, const QString& folder, int rows,
                             bool displayImages = false)
{
    doc.ProjectName = "Print";
    doc.ProjectPath = folder.toStdString();
    doc.BackColor = 0x00203040;
    doc.Cells.ProjectFolder = folder.toStdString();
    const QColor colours[] = {QColor(200, 60, 40), QColor(40, 160, 90), QColor(50, 80, 200)};
    for (int i = 0; i < rows; ++i) {
        std::unique_ptr<CCellInfo> cell;
        if (i % 7 == 6) {
            auto control = std::make_unique<CCellCtrlInfo>();
            control->InputDev = i % 3;
            cell = std::move(control);
        } else {
            auto image = std::make_unique<CCellBmpInfo>();
            const QString base = QString("picture%1").arg(i + 1, 2, 10, QChar('0'));
            image->FileName = (base + ".png").toStdString();
            image->ThumbFileName = (base + ".jpg").toStdString();
            image->RefFilePath = ("/pictures/" + base + (i % 2 ? ".jpg" : ".bmp")).toStdString();
            image->RefPage = 0;
            image->PictureSource = CCellBmpInfo::PictureThumb;
            image->UpdateSourceKind();
            // Every third picture is wide, so it is letterboxed.
            const bool wide = i % 3 == 2;
            const QSize thumb = wide ? QSize(160, 90) : QSize(160, 120);
            image->Resize[0] = thumb.width();
            image->Resize[1] = thumb.height();
            QImage picture(thumb * 4, QImage::Format_RGB32);
            picture.fill(colours[i % 3]);
            QPainter painter(&picture);
            painter.setBrush(Qt::yellow);
            painter.drawEllipse(picture.rect().adjusted(60, 40, -60, -40));
            painter.end();
            if ((displayImages && !picture.save(folder + base + ".png")) ||
                !picture.scaled(thumb).save(folder + base + ".jpg"))
                return false;
            cell = std::move(image);
        }
        if (i % 5 == 4)
            cell->CellValid = 0;
        doc.Cells.Append(std::move(cell));
    }
    return true;
}
