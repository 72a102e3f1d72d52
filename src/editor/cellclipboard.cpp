#include "editor/cellclipboard.h"

#include <algorithm>

bool CCellClipboard::HasFormat(const std::string& format) const
{
    const std::vector<std::string> formats = Formats();
    return std::find(formats.begin(), formats.end(), format) != formats.end();
}
