#pragma once

#include <QByteArray>
#include <string>
#include <vector>

// The transfer blocks the browser offers ("CellInfo List from ROvuv UR1"
// bytes): one new image cell per accepted file, or one cell for one slide of
// a presentation.
class CCellListData
{
public:
    // Whether a file of that name can become a cell (pictures and .ppt).
    static bool IsAcceptedName(const std::string& name);
    // One cell per accepted existing file among `names` (in `folder`, which
    // ends in '/'), in the given order: RefFilePath the full path,
    // RefFileTime its time, RefPage 1 for a picture and 0 for a presentation.
    // Empty when no file is accepted.
    static QByteArray FromFiles(const std::string& folder, const std::vector<std::string>& names);
    // One cell for slide `slideNumber` of `presentation`, in a list whose
    // folder is `workFolder`. Empty when the presentation is gone.
    static QByteArray FromSlide(const std::string& workFolder, const std::string& presentation,
                                int slideNumber);
};
