#include "presentation/presentationreader.h"

#include "base/outsidefile.h"
#include "base/slidesourcetypes.h"
#include "presentation/compoundfile.h"
#include "presentation/odpreader.h"
#include "presentation/officelock.h"
#include "presentation/officeversion.h"
#include "presentation/ooxmlreader.h"
#include "presentation/pdfdocument.h"
#include "presentation/zipcontainer.h"

#include <QFile>

namespace {

// A password-protected document of the current office formats is no zip:
// it is a compound file holding the encrypted package.
bool IsEncryptedPackage(const std::string& path)
{
    CCompoundFile file;
    return file.Open(path) == CCompoundFile::Opened && file.HasStream("EncryptedPackage");
}

CPptReader::Failure ReadZipped(const std::string& path, CSlideSourceTypes::Kind kind,
                               CPptStructure& out)
{
    CZipContainer zip;
    switch (zip.OpenFile(path)) {
    case CZipContainer::Ok:
        break;
    case CZipContainer::NotZip:
        return IsEncryptedPackage(path) ? CPptReader::Encrypted : CPptReader::NotPresentation;
    case CZipContainer::Missing:
    case CZipContainer::Damaged:
        return CPptReader::Damaged;
    }
    return kind == CSlideSourceTypes::OpenDocument ? COdpReader::Read(zip, out)
                                                   : COoxmlReader::Read(zip, out);
}

} // namespace

CPptReader::Failure CPresentationReader::ReadFile(const std::string& path, CPptStructure& out)
{
    out = CPptStructure{};
    // libzip and poppler open by name and would wait on a pipe.
    if (COutsideFile::Check(path).reason() == CFileFailure::NotRegular)
        return CPptReader::NotPresentation;
    switch (CSlideSourceTypes::KindOf(path)) {
    case CSlideSourceTypes::Ppt:
        return CPptReader::ReadFile(path, out);
    case CSlideSourceTypes::OfficeOpen:
    case CSlideSourceTypes::OpenDocument:
        return ReadZipped(path, CSlideSourceTypes::KindOf(path), out);
    case CSlideSourceTypes::Pdf:
        return ReadPdf(path, out);
    case CSlideSourceTypes::Picture:
    case CSlideSourceTypes::NotASource:
        break;
    }
    return CPptReader::NotPresentation;
}

CPptReader::Failure CPresentationReader::ReadPdf(const std::string& path, CPptStructure& out)
{
    out = CPptStructure{};
    QFile file;
    if (COutsideFile::Open(path, file).IsFailure())
        return CPptReader::NotPresentation;
    // The header may follow some bytes of junk, as readers allow.
    if (!file.read(1024).contains("%PDF-"))
        return CPptReader::NotPresentation;
    file.close();
    CPdfDocument::Status status = CPdfDocument::Unreadable;
    const std::unique_ptr<CPdfDocument> pdf = CPdfDocument::Open(path, &status);
    if (status == CPdfDocument::Locked)
        return CPptReader::Encrypted;
    if (!pdf)
        return CPptReader::Damaged;
    const int pages = pdf->PageCount();
    if (pages <= 0)
        return CPptReader::Damaged;
    out.listedSlides = pages;
    if (pages > CPptReader::MaxSlides)
        return CPptReader::TooManySlides;
    for (int i = 1; i <= pages; ++i) {
        out.slideIds.push_back(uint32_t(i));
        out.slideHidden.push_back(0);
    }
    // Points, 8 master units each.
    {
        const QSizeF size = pdf->PageSize(0);
        if (size.width() > 0 && size.height() > 0 && size.width() < 200000 &&
            size.height() < 200000) {
            out.slideWidth = int(size.width() * 8);
            out.slideHeight = int(size.height() * 8);
        }
    }
    return CPptReader::NoFailure;
}

int CPresentationReader::Check(const std::string& path)
{
    constexpr int kReadable = 8;
    constexpr int kLocked = -1;
    constexpr int kUnknownKind = -3;
    const CSlideSourceTypes::Kind kind = CSlideSourceTypes::KindOf(path);
    if (kind == CSlideSourceTypes::Ppt)
        return GetPowerPointVersion(path);
    if (kind == CSlideSourceTypes::Picture || kind == CSlideSourceTypes::NotASource)
        return 0;
    if (IsLockedByOffice(path))
        return kLocked;
    QFile file;
    if (const CFileFailure opened = COutsideFile::Open(path, file); opened.IsFailure())
        return opened.reason() == CFileFailure::CannotRead ? kLocked : 0;
    if (kind == CSlideSourceTypes::Pdf)
        return file.read(1024).contains("%PDF-") ? kReadable : kUnknownKind;
    file.close();
    CZipContainer zip;
    switch (zip.OpenFile(path)) {
    case CZipContainer::Ok:
        break;
    // A zip cut short is refused with that reason when used.
    case CZipContainer::Damaged:
        return kReadable;
    case CZipContainer::NotZip:
    case CZipContainer::Missing:
        return IsEncryptedPackage(path) ? kReadable : 0;
    }
    QByteArray mimetype;
    if (kind == CSlideSourceTypes::OpenDocument)
        return zip.Read("mimetype", mimetype) == CZipContainer::Ok &&
                       COdpReader::IsMimeType(mimetype)
                   ? kReadable
                   : kUnknownKind;
    return zip.Has("[Content_Types].xml") && zip.Has("ppt/presentation.xml") ? kReadable
                                                                             : kUnknownKind;
}

CFileFailure CPresentationReader::FailureOf(const std::string& path, CPptReader::Failure why,
                                            const CPptStructure& read)
{
    switch (why) {
    case CPptReader::NoFailure:
        return {};
    case CPptReader::Encrypted:
        return {CFileFailure::PasswordProtected, path};
    case CPptReader::TooManySlides:
        return {CFileFailure::TooManySlides, path, std::to_string(read.listedSlides)};
    case CPptReader::Damaged:
        if (!read.missingPart.empty())
            return {CFileFailure::PartMissing, path, read.missingPart};
        return {CFileFailure::PresentationDamaged, path};
    case CPptReader::NotPresentation:
    case CPptReader::TooOld:
        break;
    }
    return {CFileFailure::NotAPresentation, path};
}

bool CPresentationReader::DrawsItself(const std::string& path)
{
    return CSlideSourceTypes::KindOf(path) == CSlideSourceTypes::Pdf;
}
