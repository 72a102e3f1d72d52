#pragma once

#include <QByteArray>
#include <string>

class CCellInfoList;

// Cells as the file browser offers files: one image cell per file, naming
// the file as its source (page 1 of a picture, page 0 for the whole show of
// a presentation), for a drop, a paste or the Add Slides command alike.
class CSourceCells
{
public:
    // The clipboard format in which desktop file managers offer files.
    static constexpr const char* UriListFormat = "text/uri-list";

    // Appends the cell for the file at `path` (absolute).
    static void Append(CCellInfoList& list, const std::string& path);
    // Appends a cell for each file of a "text/uri-list" text. False, with
    // nothing appended, when it names no file or names something that is no
    // local file.
    static bool AppendUriList(CCellInfoList& list, const QByteArray& uriList);
};
