#pragma once

#include <QImage>
#include <string>

// One slide's thumbnail as the thumbnail window keeps it: the picture file
// (owned: destroying the entry deletes the file), the picture once loaded,
// the slide's number, and whether the presentation hides the slide in its
// show (its tile carries the hidden mark; a cell made from it starts off).
class CSlideInfo
{
public:
    CSlideInfo() = default;
    CSlideInfo(std::string path, int slideNumber);
    ~CSlideInfo();
    CSlideInfo(const CSlideInfo&) = delete;
    CSlideInfo& operator=(const CSlideInfo&) = delete;

    std::string Path;
    QImage Picture; // null until loaded
    int SlideNumber = 0;
    bool Hidden = false;
};
