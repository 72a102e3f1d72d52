#pragma once

#include "model/cellinfo.h"

#include <QImage>
#include <array>

// An image cell: one slide made from an image file or a presentation page,
// with its display image and thumbnail in the project folder.
class CCellBmpInfo : public CCellInfo
{
public:
    enum PictureSourceKind
    {
        PictureNone = 0,
        PictureDisplay = 1,
        PictureSourceFile = 2,
        PictureThumb = 3
    };
    enum SourceKinds
    {
        SourceOther = 0,
        SourceJpeg = 1,
        SourceBmp = 2,
        SourcePpt = 4
    };
    static constexpr int DisolveCount = 11;
    static constexpr int DisplayWidth = 1024, DisplayHeight = 768;
    static constexpr int ThumbWidth = 160, ThumbHeight = 120;

    CCellBmpInfo();
    ~CCellBmpInfo() override;

    const char* ClassName() const override;
    void Serialize(CArchive& ar) override;
    std::string GetLabel() const override;
    bool LoadThumbnailPicture(CCellHost* host) override;
    bool CopyFrom(const CCellInfo* other) override;
    bool Validate(CCellHost* host) override;

    // 1 copied, 0 failed (FileName cleared).
    int CopyDisplayFileTo(const std::string& destinationFolder);
    // 1 copied, 0 no thumbnail, -1 copy failed (ThumbFileName cleared).
    int CopyThumbFileTo(const std::string& destinationFolder);
    bool CreateDisplayFile(CCellHost* host, const std::string& destinationFolder);
    bool ImportInto(CCellHost* host, const std::string& destinationFolder);
    bool MakeThumbnail(CCellHost* host, bool force);
    void DeleteFiles(const std::string& folder);
    bool LoadPicture();
    void ReleasePicture();
    std::string GetPicturePath() const;
    bool IsFromPresentation() const;
    void UpdateSourceKind();

    // Full path of a file of this cell in the owner's project folder, or ""
    // when there is no owner or the name is not a plain name inside it.
    // Every operation reaches the cell's files through here (or FilePathIn),
    // so a name from a damaged project file or a crafted transfer block
    // ("../x", "/etc/x", a name with a NUL) counts as a missing file.
    std::string ProjectFilePath(const std::string& name) const;
    // `folder` + `name` when `name` is a plain file name: not empty, not "."
    // or "..", without '/' or NUL; "" otherwise or when `folder` is empty.
    static std::string FilePathIn(const std::string& folder, const std::string& name);
    static bool IsPlainFileName(const std::string& name);
    // Deletes the file at `path` if there is one (never a folder); "" is
    // nothing.
    static void DeleteFileAt(const std::string& path);
    // The owner's project folder, "" without an owner.
    std::string OwnerFolder() const;

    std::string FileName;
    std::string RefFilePath;
    int32_t RefFileTime = 0;
    int32_t RefPage = 0;
    std::string DispFileName;
    std::string ThumbFileName;
    int32_t Effect = 0;
    std::array<int32_t, DisolveCount> Disolve{0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0};
    std::string CardFileName;
    std::string CardThumbName;
    int32_t BmpSize[2] = {1024, 768};
    QImage Picture;
    int32_t PictureSource = PictureNone;
    int32_t Resize[2] = {160, 120};
    int32_t SourceKind = SourceOther;
};
