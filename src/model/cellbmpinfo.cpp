#include "model/cellbmpinfo.h"

#include "base/asciicase.h"
#include "base/pathutils.h"
#include "base/slidesourcetypes.h"
#include "model/cellhost.h"
#include "model/cellinfolist.h"

#include <QImageReader>
#include <QString>
#include <filesystem>
#include <system_error>

namespace {

constexpr const char* PageWord = "Page";

// The extension of the last component of `path` with its dot, "" when none.
std::string ExtensionOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    const size_t dot = path.rfind('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return path.substr(dot);
}

// Whether the file is a picture of a known kind with a sane size. Only its
// header is read: opening a project checks every thumbnail, and decoding
// thousands of them would keep the window from showing; the rows decode the
// ones they show.
bool LoadsAsPicture(const std::string& path)
{
    if (path.empty())
        return false;
    QImageReader reader(QString::fromStdString(path));
    const QSize size = reader.size();
    return reader.canRead() && size.isValid() && !size.isEmpty();
}

std::string WithSlash(const std::string& folder)
{
    std::string f = folder;
    AddBackslash(f);
    return f;
}

} // namespace

CCellBmpInfo::CCellBmpInfo()
{
    CellType = CCellInfo::Type::Image;
}

CCellBmpInfo::~CCellBmpInfo() = default;

const char* CCellBmpInfo::ClassName() const
{
    return "CCellBmpInfo";
}

void CCellBmpInfo::Serialize(CArchive& ar)
{
    CCellInfo::Serialize(ar);
    ar.Exchange(FileName);
    ar.Exchange(RefFilePath);
    if (ar.IsStoring())
        ar.WriteTime(RefFileTime);
    else
        RefFileTime = ar.ReadTime();
    ar.Exchange(RefPage);
    ar.Exchange(DispFileName);
    ar.Exchange(ThumbFileName);
    // The integers follow the layout of the stored form, not the element
    // numbering of the project file.
    ar.Exchange(Effect);
    static constexpr int order[DisolveCount] = {0, 1, 4, 8, 9, 2, 3, 5, 6, 7, 10};
    for (int element : order)
        ar.Exchange(Disolve[size_t(element)]);
    ar.Exchange(Resize[0]);
    ar.Exchange(Resize[1]);
    ar.Exchange(BmpSize[0]);
    ar.Exchange(BmpSize[1]);
    if (ar.IsLoading()) {
        CellType = CCellInfo::Type::Image;
        StateFlags = 0;
        UpdateSourceKind();
    }
}

std::string CCellBmpInfo::GetLabel() const
{
    return SourceFileName(RefFilePath) + "    " + PageWord + " " + std::to_string(RefPage);
}

bool CCellBmpInfo::LoadThumbnailPicture(CCellHost* host)
{
    ReleasePicture();
    const bool made = MakeThumbnail(host, false);
    if (made && !ThumbFileName.empty()) {
        const std::string path = ProjectFilePath(ThumbFileName);
        if (!path.empty())
            Picture.load(QString::fromStdString(path));
    }
    return made;
}

bool CCellBmpInfo::CopyFrom(const CCellInfo* other)
{
    if (!CCellInfo::CopyFrom(other))
        return false;
    const auto* o = static_cast<const CCellBmpInfo*>(other);
    FileName = o->FileName;
    RefFilePath = o->RefFilePath;
    RefFileTime = o->RefFileTime;
    RefPage = o->RefPage;
    DispFileName = o->DispFileName;
    ThumbFileName = o->ThumbFileName;
    PictureSource = o->PictureSource;
    Effect = o->Effect;
    Disolve = o->Disolve;
    Resize[0] = o->Resize[0];
    Resize[1] = o->Resize[1];
    SourceKind = o->SourceKind;
    BmpSize[0] = o->BmpSize[0];
    BmpSize[1] = o->BmpSize[1];
    return true;
}

bool CCellBmpInfo::Validate(CCellHost* host)
{
    const bool ok = MakeThumbnail(host, false) && LoadsAsPicture(ProjectFilePath(ThumbFileName));
    PictureSource = ok ? PictureThumb : PictureNone;
    return ok;
}

std::string CCellBmpInfo::OwnerFolder() const
{
    return OwnerList ? OwnerList->ProjectFolder : std::string();
}

void CCellBmpInfo::DeleteFileAt(const std::string& path)
{
    if (path.empty())
        return;
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(path, ec);
    if (ec || !std::filesystem::exists(status) || std::filesystem::is_directory(status))
        return;
    std::filesystem::remove(path, ec);
}

bool CCellBmpInfo::IsPlainFileName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

std::string CCellBmpInfo::FilePathIn(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.find('\0') != std::string::npos || !IsPlainFileName(name))
        return {};
    return WithSlash(folder) + name;
}

std::string CCellBmpInfo::ProjectFilePath(const std::string& name) const
{
    return FilePathIn(OwnerFolder(), name);
}

// Generated names are made from the source file's name; a source path that
// cannot name a file (empty, or with a NUL from a damaged block) gives way
// to the cell's own file name.
static const std::string& NameSource(const std::string& refFilePath, const std::string& fileName)
{
    return refFilePath.empty() || refFilePath.find('\0') != std::string::npos ? fileName
                                                                              : refFilePath;
}

// The copy gets a fresh name made from the source file (as an import would
// name it), with the extension of the file copied.
static std::string ReserveCopyName(const std::string& folder, const std::string& refFilePath,
                                   const std::string& fileName)
{
    const std::string extension = ExtensionOf(fileName);
    const std::string& source = extension.empty() ? fileName : NameSource(refFilePath, fileName);
    return ReserveUniqueName(folder, source, extension);
}

int CCellBmpInfo::CopyDisplayFileTo(const std::string& destinationFolder)
{
    const std::string source = ProjectFilePath(FileName);
    if (!source.empty() && !destinationFolder.empty() && FileExists(source, true)) {
        const std::string folder = WithSlash(destinationFolder);
        const std::string name = ReserveCopyName(folder, RefFilePath, FileName);
        if (!name.empty()) {
            if (CopyFileKeepTime(source, folder + name)) {
                FileName = name;
                return 1;
            }
            DeleteFileAt(folder + name);
        }
    }
    FileName.clear();
    return 0;
}

int CCellBmpInfo::CopyThumbFileTo(const std::string& destinationFolder)
{
    ReleasePicture();
    const std::string source = ProjectFilePath(ThumbFileName);
    if (source.empty() || !FileExists(source, true)) {
        ThumbFileName.clear();
        return 0;
    }
    if (!destinationFolder.empty()) {
        const std::string folder = WithSlash(destinationFolder);
        const std::string name = ReserveCopyName(folder, RefFilePath, ThumbFileName);
        if (!name.empty()) {
            if (CopyFileKeepTime(source, folder + name)) {
                ThumbFileName = name;
                return 1;
            }
            DeleteFileAt(folder + name);
        }
    }
    ThumbFileName.clear();
    return -1;
}

bool CCellBmpInfo::CreateDisplayFile(CCellHost* host, const std::string& destinationFolder)
{
    if (!host || destinationFolder.empty() || RefFilePath.empty() ||
        RefFilePath.find('\0') != std::string::npos)
        return false;
    const std::string folder = WithSlash(destinationFolder);
    std::string name = ReserveUniqueName(folder, RefFilePath, ".png");
    if (name.empty())
        return false;

    QSize size(DisplayWidth, DisplayHeight);
    bool ok;
    if (!IsFromPresentation()) {
        ok = host->CreateWorkImage(RefFilePath, folder + name, size) != 0;
        if (!ok)
            DeleteFileAt(folder + name);
    } else {
        // The slide's picture goes to the first name as a temporary file and
        // is converted from there under a second name.
        const std::string temporary = folder + name;
        ok = host->ExportPresentationSlide(RefFilePath, RefPage, temporary, DisplayWidth,
                                           DisplayHeight);
        name.clear();
        if (ok) {
            name = ReserveUniqueName(folder, RefFilePath, ".png");
            ok = !name.empty() && host->CreateWorkImage(temporary, folder + name, size) != 0;
            if (!ok && !name.empty())
                DeleteFileAt(folder + name);
        }
        DeleteFileAt(temporary);
    }
    if (!ok)
        return false;
    FileName = name;
    BmpSize[0] = size.width();
    BmpSize[1] = size.height();
    return true;
}

bool CCellBmpInfo::ImportInto(CCellHost* host, const std::string& destinationFolder)
{
    if (CopyDisplayFileTo(destinationFolder) == 1)
        return true;
    return CreateDisplayFile(host, destinationFolder);
}

bool CCellBmpInfo::MakeThumbnail(CCellHost* host, bool force)
{
    if (!OwnerList)
        return false;
    const std::string oldThumb = ProjectFilePath(ThumbFileName);
    const bool haveThumb = !oldThumb.empty() && FileExists(oldThumb, true);
    if (haveThumb && !force)
        return true;

    const std::string display = ProjectFilePath(FileName);
    if (!host || display.empty() || !FileExists(display, true))
        return false;
    const std::string folder = WithSlash(OwnerFolder());
    // Without a usable source path the thumbnail is named after the display image.
    const std::string name = ReserveUniqueName(folder, NameSource(RefFilePath, FileName), ".jpg");
    if (name.empty())
        return false;
    QSize size;
    if (!host->CreateThumbImage(display, folder + name, ThumbWidth, ThumbHeight, size)) {
        DeleteFileAt(folder + name);
        return false;
    }
    Resize[0] = size.width();
    Resize[1] = size.height();
    if (haveThumb) {
        ReleasePicture();
        DeleteFileAt(oldThumb);
    }
    ThumbFileName = name;
    return true;
}

void CCellBmpInfo::DeleteFiles(const std::string& folder)
{
    for (const std::string* name : {&FileName, &DispFileName, &ThumbFileName})
        DeleteFileAt(FilePathIn(folder, *name));
}

bool CCellBmpInfo::LoadPicture()
{
    ReleasePicture();
    const std::string path = GetPicturePath();
    if (path.empty())
        return false;
    return Picture.load(QString::fromStdString(path));
}

void CCellBmpInfo::ReleasePicture()
{
    Picture = QImage();
}

std::string CCellBmpInfo::GetPicturePath() const
{
    std::string path;
    switch (PictureSource) {
    case PictureDisplay:
        path = ProjectFilePath(FileName);
        break;
    case PictureSourceFile:
        if (RefFilePath.find('\0') == std::string::npos)
            path = RefFilePath;
        break;
    case PictureThumb:
        path = ProjectFilePath(ThumbFileName);
        break;
    default:
        break;
    }
    if (path.empty() || !FileExists(path, true))
        return {};
    return path;
}

bool CCellBmpInfo::IsFromPresentation() const
{
    return CSlideSourceTypes::IsPresentation(RefFilePath);
}

void CCellBmpInfo::UpdateSourceKind()
{
    const std::string extension = ExtensionOf(RefFilePath);
    if (CAsciiCase::Equal(extension, ".jpg") || CAsciiCase::Equal(extension, ".jpeg"))
        SourceKind = SourceJpeg;
    else if (CAsciiCase::Equal(extension, ".bmp") || CAsciiCase::Equal(extension, ".dib"))
        SourceKind = SourceBmp;
    else if (CSlideSourceTypes::IsPresentation(RefFilePath))
        SourceKind = SourcePpt; // every presentation format and PDF documents
    else
        SourceKind = SourceOther;
}
