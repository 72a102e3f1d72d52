#include "document/projectcheck.h"

#include "base/asciicase.h"
#include "base/safefile.h"
#include "imaging/imagedecoder.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <set>

namespace {

// A name read from a project file names a file of the folder only when it is
// a plain file name.
bool plainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos;
}

bool fileThere(const std::string& folder, const std::string& name)
{
    return plainName(name) && QFileInfo(QString::fromStdString(folder + name)).isFile();
}

bool loads(const std::string& path, bool decode)
{
    QImageReader reader(QString::fromStdString(path));
    if (!reader.canRead() || !reader.size().isValid())
        return false;
    return !decode || !reader.read().isNull();
}

// Whether the picture decodes as a send decodes it. A JPEG is decoded at a
// reduced scale: damage shows all the same, and the memory stays small.
bool decodes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0 ||
        file.size() > CImageDecoder::kMaxFileBytes)
        return false;
    const QByteArray data = file.readAll();
    QImage image;
    QSize size;
    return data.size() == file.size() &&
           CImageDecoder::Decode(
               data, false, [](const QSize&) { return QSize(1, 1); }, image, size);
}

} // namespace

CProjectFile::ReadStatus CProjectCheck::Run(const std::string& path)
{
    Problems.clear();
    const QFileInfo info(QString::fromStdString(path));
    Folder = info.absolutePath().toStdString() + "/";
    CCellInfoList& cells = Cells;
    cells.DeleteAll();
    const CProjectFile::ReadStatus status =
        Project.ReadFile(info.absoluteFilePath().toStdString(), cells);
    cells.ProjectFolder = Folder;
    if (status != CProjectFile::ReadOk) {
        cells.DeleteAll();
        return status;
    }
    if (Project.Version < 2)
        Problems.push_back({NeedsUpgrade, 0, 0, {}});

    std::set<std::string> named;
    int row = 0;
    for (int i = 0; i < cells.GetCount(); ++i) {
        auto* cell = dynamic_cast<CCellBmpInfo*>(cells.GetAt(i));
        if (!cell) {
            ++row;
            continue;
        }
        for (const std::string* name : {&cell->FileName, &cell->DispFileName, &cell->ThumbFileName})
            if (plainName(*name))
                named.insert(CAsciiCase::Lower(*name));
        const bool hasDisplay = fileThere(Folder, cell->FileName);
        // The open keeps a cell whose thumbnail loads, or, when the thumbnail
        // is missing, whose display image can give one.
        const bool kept = fileThere(Folder, cell->ThumbFileName)
                              ? loads(Folder + cell->ThumbFileName, true)
                              : hasDisplay && loads(Folder + cell->FileName, false);
        if (!kept) {
            cell->StateFlags |= CCellInfo::StateDeleted;
            Problems.push_back({CellDropped, 0, i + 1, cell->ThumbFileName});
            continue;
        }
        ++row;
        if (!cell->FileName.empty() && !hasDisplay)
            Problems.push_back({DisplayMissing, row, i + 1, cell->FileName});
        else if (hasDisplay && !decodes(Folder + cell->FileName))
            Problems.push_back({DisplayDamaged, row, i + 1, cell->FileName});
        if (fileThere(Folder, cell->ThumbFileName) && !decodes(Folder + cell->ThumbFileName))
            Problems.push_back({ThumbnailDamaged, row, i + 1, cell->ThumbFileName});
        if (!cell->RefFilePath.empty() &&
            !QFileInfo::exists(QString::fromStdString(cell->RefFilePath)))
            Problems.push_back({SourceMissing, row, i + 1, cell->RefFilePath});
    }

    const QDir dir(QString::fromStdString(Folder));
    for (const QString& entry : dir.entryList(QDir::Files, QDir::Name)) {
        const std::string name = entry.toStdString();
        if (CAsciiCase::Lower(QFileInfo(entry).suffix().toStdString()) == "sic")
            continue;
        if (!named.count(CAsciiCase::Lower(name)))
            Problems.push_back({UnnamedFile, 0, 0, name});
    }
    const std::string projectName =
        QFileInfo(QString::fromStdString(path)).fileName().toStdString();
    for (const std::string& leftover : CSafeFile::FindLeftovers(Folder, {projectName}))
        Problems.push_back({LeftoverFile, 0, 0, leftover.substr(Folder.size())});
    return status;
}
