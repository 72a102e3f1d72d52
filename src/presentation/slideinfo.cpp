#include "presentation/slideinfo.h"

#include <cstdio>
#include <utility>

CSlideInfo::CSlideInfo(std::string path, int slideNumber)
    : Path(std::move(path)), SlideNumber(slideNumber)
{}

CSlideInfo::~CSlideInfo()
{
    if (!Path.empty())
        std::remove(Path.c_str());
}
