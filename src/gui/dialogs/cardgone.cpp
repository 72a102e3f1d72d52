#include "gui/dialogs/cardgone.h"

#include "base/volumelist.h"

#include <QFileInfo>

bool CardGone(const std::string& root, bool wasMountRoot)
{
    if (!QFileInfo(QString::fromStdString(root)).isDir())
        return true;
    return wasMountRoot && CVolumeList::RootOf(root) != root;
}
