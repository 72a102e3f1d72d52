#include "gui/view/uricelllist.h"

#include "base/msgid.h"
#include "base/outsidefile.h"
#include "base/pathutils.h"
#include "base/slidesourcetypes.h"
#include "imaging/imagedecoder.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QFile>
#include <QFileInfo>

namespace {
constexpr int kPictureUnreadable = MsgId::PictureUnreadable;
constexpr int kNoLongerThere = MsgId::FileGone;
constexpr int kIsFolder = MsgId::DroppedFolder;
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
        const QFileInfo info(url.toLocalFile());
        const std::string path = info.absoluteFilePath().toStdString();
        result.file = path;
        if (!info.exists()) {
            result.messageId = kNoLongerThere;
            return result;
        }
        if (info.isDir()) {
            result.messageId = kIsFolder;
            return result;
        }
        if (!IsSlideSource(path)) {
            result.messageId = kNotSlideSource;
            return result;
        }
        // A pipe or device is never opened for reading: it could keep the
        // window waiting for ever.
        QFile file;
        const CFileFailure opened = COutsideFile::Open(path, file);
        if (opened.reason() == CFileFailure::NotRegular) {
            result.messageId = kNotRegular;
            return result;
        }
        if (!IsPresentation(path)) {
            // Only the header is read here; the picture is decoded when it
            // is imported.
            if (opened.IsFailure() ||
                CImageDecoder::ProbeImage(file) == CImageDecoder::NotDecoded) {
                result.messageId = kPictureUnreadable;
                return result;
            }
        } else if (opened.IsFailure()) {
            result.messageId = kNotSlideSource;
            return result;
        }
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->RefFilePath = path;
        cell->RefPage = IsPresentation(path) ? 0 : 1;
        CFileStatus status;
        cell->RefFileTime = GetFileStatus(path, status)
                                ? static_cast<int32_t>(FileTimeToLocalSeconds(status.mtime))
                                : -1;
        if (list.IsEmpty())
            list.ProjectFolder = info.absolutePath().toStdString() + "/";
        list.Append(std::move(cell));
    }
    result.file.clear();
    result.block = list.ToBytes();
    list.DeleteAll();
    return result;
}
