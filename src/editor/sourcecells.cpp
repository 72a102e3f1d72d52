#include "editor/sourcecells.h"

#include "base/pathutils.h"
#include "base/slidesourcetypes.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QFileInfo>
#include <QList>
#include <QUrl>
#include <memory>

void CSourceCells::Append(CCellInfoList& list, const std::string& path)
{
    auto cell = std::make_unique<CCellBmpInfo>();
    cell->RefFilePath = path;
    cell->RefPage = CSlideSourceTypes::IsPresentation(path) ? 0 : 1;
    CFileStatus status;
    cell->RefFileTime = GetFileStatus(path, status)
                            ? static_cast<int32_t>(FileTimeToLocalSeconds(status.mtime))
                            : -1;
    if (list.IsEmpty())
        list.ProjectFolder =
            QFileInfo(QString::fromStdString(path)).absolutePath().toStdString() + "/";
    list.Append(std::move(cell));
}

bool CSourceCells::AppendUriList(CCellInfoList& list, const QByteArray& uriList)
{
    // One link a line; lines starting with '#' are comments.
    QList<QUrl> urls;
    for (const QByteArray& raw : uriList.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.isEmpty() || line.startsWith('#'))
            continue;
        const QUrl url = QUrl::fromEncoded(line, QUrl::StrictMode);
        if (!url.isValid() || !url.isLocalFile() || url.toLocalFile().isEmpty())
            return false;
        urls.append(url);
    }
    if (urls.isEmpty())
        return false;
    for (const QUrl& url : urls)
        Append(list, QFileInfo(url.toLocalFile()).absoluteFilePath().toStdString());
    return true;
}
