#include "editor/batchprobe.h"

#include "base/filefailure.h"
#include "base/msgid.h"
#include "base/outsidefile.h"
#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"
#include "base/userprompt.h"
#include "imaging/imagedecoder.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QFile>
#include <QFileInfo>
#include <cstring>

namespace {

// A PDF reader accepts the signature anywhere in the first kilobyte.
constexpr qint64 kPdfSignatureWindow = 1024;

bool headerFits(CSlideSourceTypes::Kind kind, QFile& file)
{
    const QByteArray head = file.read(kPdfSignatureWindow);
    switch (kind) {
    case CSlideSourceTypes::Ppt:
        return head.startsWith(QByteArrayLiteral("\xD0\xCF\x11\xE0\xA1\xB1\x1A\xE1"));
    case CSlideSourceTypes::OfficeOpen:
    case CSlideSourceTypes::OpenDocument:
        return head.startsWith(QByteArrayLiteral("PK\x03\x04"));
    case CSlideSourceTypes::Pdf:
        return head.contains("%PDF-");
    default:
        return true;
    }
}

CBatchProbe::Refusal refusal(int messageId, const std::string& path)
{
    return {messageId, path};
}

CBatchProbe::Refusal failure(CFileFailure::Reason reason, const std::string& path)
{
    return refusal(CFileFailure(reason, path).MessageId(), path);
}

const CCellBmpInfo* fromSource(const CCellInfo* cell)
{
    const auto* image = dynamic_cast<const CCellBmpInfo*>(cell);
    return image && image->FileName.empty() && !image->RefFilePath.empty() ? image : nullptr;
}

} // namespace

CBatchProbe::Refusal CBatchProbe::ProbeFile(const std::string& path)
{
    const QFileInfo info(QString::fromStdString(path));
    if (!info.exists())
        return refusal(MsgId::FileGone, path);
    if (info.isDir())
        return refusal(MsgId::DroppedFolder, path);
    const CSlideSourceTypes::Kind kind = CSlideSourceTypes::KindOf(path);
    if (kind == CSlideSourceTypes::NotASource)
        return refusal(MsgId::DroppedNotPicture, path);
    // A pipe or a device is never opened for reading: it could keep the
    // window waiting for ever.
    QFile file;
    const CFileFailure opened = COutsideFile::Open(info.absoluteFilePath().toStdString(), file);
    if (opened.reason() == CFileFailure::NotRegular)
        return refusal(MsgId::NotARegularFile, path);
    if (opened.IsFailure())
        return failure(CFileFailure::CannotRead, path);
    if (kind == CSlideSourceTypes::Picture) {
        // Only the header: the picture is decoded when it is imported.
        switch (CImageDecoder::ProbeImage(file)) {
        case CImageDecoder::Decoded:
            return {};
        case CImageDecoder::TooLarge:
            return failure(CFileFailure::TooLarge, path);
        case CImageDecoder::NotDecoded:
            break;
        }
        return refusal(MsgId::PictureUnreadable, path);
    }
    if (!headerFits(kind, file))
        return failure(CFileFailure::NotAPresentation, path);
    return {};
}

std::vector<CBatchProbe::Refusal> CBatchProbe::Probe(const CCellInfoList& list)
{
    std::vector<Refusal> refused;
    for (int i = 0; i < list.GetCount(); ++i) {
        if (const CCellBmpInfo* cell = fromSource(list.GetAt(i))) {
            Refusal r = ProbeFile(cell->RefFilePath);
            r.cell = i;
            if (r.messageId != 0)
                refused.push_back(std::move(r));
        }
    }
    return refused;
}

bool CBatchProbe::Screen(CCellInfoList& list, CUserPrompt* prompt)
{
    const std::vector<Refusal> refused = Probe(list);
    if (refused.empty())
        return true;
    if (list.GetCount() == 1) {
        AskUser(prompt, refused[0].messageId, CUserPrompt::Exclamation, CUserPrompt::Ok,
                refused[0].file);
        list.DeleteAll();
        return false;
    }
    std::string reasons;
    for (const Refusal& r : refused) {
        const std::string text = prompt ? prompt->FillMessage(r.messageId, r.file)
                                        : CResourceBundle::Format(r.messageId, r.file);
        reasons += "\u2022 " + text + "\n";
    }
    const bool none = static_cast<int>(refused.size()) == list.GetCount();
    if (none) {
        AskUser(prompt, MsgId::BatchNoneUsable, CUserPrompt::Exclamation, CUserPrompt::Ok, reasons);
        list.DeleteAll();
        return false;
    }
    if (AskUser(prompt, MsgId::BatchSomeUnusable, CUserPrompt::Question, CUserPrompt::YesNo,
                reasons, std::to_string(list.GetCount() - static_cast<int>(refused.size()))) !=
        CUserPrompt::AnswerYes) {
        list.DeleteAll();
        return false;
    }
    for (auto r = refused.rbegin(); r != refused.rend(); ++r)
        list.RemoveAt(r->cell);
    return true;
}
