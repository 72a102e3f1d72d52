#include "gui/view/uricelllist.h"

#include "base/msgid.h"
#include "base/slidesourcetypes.h"
#include "editor/sourcecells.h"
#include "model/cellinfolist.h"

#include <QFileInfo>

namespace {
constexpr int kNotSlideSource = MsgId::DroppedNotPicture;
constexpr int kNotRegular = MsgId::NotARegularFile;
} // namespace

bool CUriCellList::IsPresentation(const std::string& path)
{
    return CSlideSourceTypes::IsPresentation(path);
}

bool CUriCellList::IsSlideSource(const std::string& path)
{
    return CSlideSourceTypes::IsSlideSource(path);
}

CUriCellList::Result CUriCellList::Build(const QList<QUrl>& urls)
{
    Result result;
    CCellInfoList list;
    for (const QUrl& url : urls) {
        if (!url.isLocalFile()) {
            result.messageId = kNotSlideSource;
            result.file = url.toDisplayString().toStdString();
            return result;
        }
        // Whether each file can be used is probed when the insertion
        // starts, for the whole batch at once.
        CSourceCells::Append(list, QFileInfo(url.toLocalFile()).absoluteFilePath().toStdString());
    }
    result.block = list.ToBytes();
    list.DeleteAll();
    return result;
}
