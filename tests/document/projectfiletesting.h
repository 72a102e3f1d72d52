#pragma once

// What the tests of the project file share: the example project of the
// format and small helpers to build and inspect texts.
#include "document/projectfile.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"

#include <QDateTime>
#include <initializer_list>
#include <string>

inline std::string lines(std::initializer_list<const char*> list)
{
    std::string text;
    for (const char* line : list)
        text.append(line).append("\n");
    return text;
}

inline int32_t localSeconds(int y, int mo, int d, int h, int mi, int s)
{
    return int32_t(QDateTime(QDate(y, mo, d), QTime(h, mi, s), Qt::LocalTime).toSecsSinceEpoch());
}

// The example project of the format: one image cell and one control cell.
inline const std::string kExample = lines({
    "[Project]",
    "ProjectName=Trip",
    "ProjectPath=/shows/Trip/",
    "BackColor=0,0,0",
    "CreateDateTime=2001/10/05 9:03:27",
    "LastWriteDateTime=2001/10/05 9:15:02",
    "ImageQuality=2",
    "Version=2",
    "[Slides]",
    "Slide",
    "FileName=beach3bbd8f1a.png",
    "RefFilePath=/pics/beach.jpg",
    "RefFileTime=2001/09/30 18:22:10",
    "RefPage=1",
    "AutoIntervalSec=30",
    "MotionType=0",
    "CellValid=1",
    "DispFileName=",
    "ThumbFileName=beach3bbd8f1b.jpg",
    "Effect=0",
    "Disolve=0,0,0,0,0,0,0,0,0,2,0",
    "Resize=160,120",
    "BmpSize=1024,768",
    "Control",
    "AutoIntervalSec=30",
    "MotionType=0",
    "CellValid=1",
    "InputDev=0",
});

inline const std::string kHead =
    lines({"[Project]", "ProjectName=Trip", "ProjectPath=/shows/Trip/", "Version=2", "[Slides]"});

inline CCellBmpInfo* imageAt(const CCellInfoList& cells, int i)
{
    return dynamic_cast<CCellBmpInfo*>(cells.GetAt(i));
}

inline CCellCtrlInfo* controlAt(const CCellInfoList& cells, int i)
{
    return dynamic_cast<CCellCtrlInfo*>(cells.GetAt(i));
}

inline bool readText(const std::string& text, CProjectFile& file, CCellInfoList& cells)
{
    return file.Read(text, cells);
}
