#pragma once

#include <QByteArray>
#include <QList>
#include <QUrl>
#include <string>

// Files dropped from the desktop's file manager become cells as the file
// browser makes them: an image cell per picture (page 1) and per
// presentation (page 0: the whole show), in a "CellInfo List from ROvuv UR1"
// block. Only a link that is no local file refuses the whole drop here; the
// files themselves are probed when the insertion starts.
class CUriCellList
{
public:
    struct Result
    {
        QByteArray block;  // empty when a file was refused
        int messageId = 0; // why, with `file` as its insert
        std::string file;
    };

    static Result Build(const QList<QUrl>& urls);
    // Whether `path` names a kind of file a slide can be made from.
    static bool IsSlideSource(const std::string& path);
    static bool IsPresentation(const std::string& path);
};
