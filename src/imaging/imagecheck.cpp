#include "imaging/imagecheck.h"

#include "base/outsidefile.h"
#include "imaging/imagedecoder.h"
#include "imaging/imagingprocedures.h"
#include "imaging/lead.h"
#include "imaging/photodecoder.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

namespace {

// The kinds the decoder accepts, told by their first bytes as it tells them.
bool HasPictureSignature(const QByteArray& head)
{
    const auto* b = reinterpret_cast<const unsigned char*>(head.constData());
    const qsizetype n = head.size();
    if (n >= 3 && b[0] == 0xFF && b[1] == 0xD8 && b[2] == 0xFF)
        return true;
    if (n >= 8 && head.startsWith(QByteArray("\x89PNG\r\n\x1a\n", 8)))
        return true;
    if (n >= 2 && b[0] == 'B' && b[1] == 'M')
        return true;
    return CPhotoDecoder::Sniff(head) != CPhotoDecoder::None;
}

bool BeyondBounds(const QSize& size)
{
    return size.width() > CImageDecoder::kMaxSide || size.height() > CImageDecoder::kMaxSide ||
           qint64(size.width()) * size.height() > CImageDecoder::kMaxPixels;
}

} // namespace

CFileFailure CImageCheck::Examine(const std::string& path)
{
    QFile file;
    if (const CFileFailure opened = COutsideFile::Open(path, file); opened.IsFailure())
        return opened;
    if (file.size() > CImageDecoder::kMaxFileBytes)
        return {CFileFailure::TooLarge, path};
    if (!HasPictureSignature(file.peek(16)))
        return {CFileFailure::NotAPicture, path};
    const CImageDecoder::Outcome probed = CImageDecoder::ProbeImage(file);
    // Beyond the bounds is decoded reduced; only what the memory bound
    // cannot hold is too large.
    if (probed == CImageDecoder::TooLarge)
        return {CFileFailure::TooLarge, path};
    if (probed != CImageDecoder::Decoded) {
        // The header alone: a size beyond the bounds, else damage.
        file.seek(0);
        QImageReader reader(&file);
        reader.setAutoTransform(false);
        const QSize claimed = reader.size();
        return {claimed.isValid() && BeyondBounds(claimed) ? CFileFailure::TooLarge
                                                           : CFileFailure::Damaged,
                path};
    }
    file.close();
    CLead lead;
    const int16_t result = lead.LoadFile(path, 24, 0, -1, &CImagingProcedures::FitWorkSize);
    if (result == CLead::ErrorTooLarge)
        return {CFileFailure::TooLarge, path};
    if (result != CLead::Success)
        return {CFileFailure::Damaged, path};
    return {};
}
