#include "document/projectcheck.h"

#include "base/asciicase.h"
#include "base/realfilepath.h"
#include "base/safefile.h"
#include "imaging/imagedecoder.h"
#include "imaging/pngintegrity.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QtConcurrent/QtConcurrentMap>
#include <set>
#include <vector>

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
// reduced scale and a PNG's image data only inflated and checked: damage
// shows all the same, at a fraction of the time and memory.
bool decodes(const std::string& path)
{
    QFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::ReadOnly) || file.size() <= 0 ||
        file.size() > CImageDecoder::kMaxFileBytes)
        return false;
    const QByteArray data = file.readAll();
    if (data.size() != file.size())
        return false;
    switch (CPngIntegrity::Check(data)) {
    case CPngIntegrity::Intact:
        return true;
    case CPngIntegrity::Damaged:
        return false;
    case CPngIntegrity::Unchecked:
        break;
    }
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
    // A project reached through a link is checked where its file really is.
    const QFileInfo info(QString::fromStdString(RealFilePath(path)));
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

    // What each image cell's files show. Decoding is the slow part and every
    // cell stands alone, so the cells are looked at in parallel.
    struct Finding
    {
        CCellBmpInfo* cell = nullptr;
        bool kept = false, displayMissing = false, displayDamaged = false;
        bool thumbDamaged = false, sourceMissing = false;
    };
    std::vector<Finding> findings(size_t(cells.GetCount()));
    std::set<std::string> named;
    for (int i = 0; i < cells.GetCount(); ++i) {
        auto* cell = dynamic_cast<CCellBmpInfo*>(cells.GetAt(i));
        findings[size_t(i)].cell = cell;
        if (!cell)
            continue;
        for (const std::string* name : {&cell->FileName, &cell->DispFileName, &cell->ThumbFileName})
            if (plainName(*name))
                named.insert(CAsciiCase::Lower(*name));
    }
    const std::string folder = Folder;
    QtConcurrent::blockingMap(findings, [&folder](Finding& f) {
        const CCellBmpInfo* cell = f.cell;
        if (!cell)
            return;
        const bool hasDisplay = fileThere(folder, cell->FileName);
        const bool hasThumb = fileThere(folder, cell->ThumbFileName);
        // The open keeps a cell whose thumbnail loads, or, when the thumbnail
        // is missing, whose display image can give one. A thumbnail that
        // decodes as a send decodes it loads too: one decode is enough.
        const bool thumbDecodes = hasThumb && decodes(folder + cell->ThumbFileName);
        f.kept = hasThumb ? thumbDecodes || loads(folder + cell->ThumbFileName, true)
                          : hasDisplay && loads(folder + cell->FileName, false);
        if (!f.kept)
            return;
        f.displayMissing = !cell->FileName.empty() && !hasDisplay;
        f.displayDamaged = hasDisplay && !decodes(folder + cell->FileName);
        f.thumbDamaged = hasThumb && !thumbDecodes;
        f.sourceMissing = !cell->RefFilePath.empty() &&
                          !QFileInfo::exists(QString::fromStdString(cell->RefFilePath));
    });

    int row = 0;
    for (int i = 0; i < cells.GetCount(); ++i) {
        const Finding& f = findings[size_t(i)];
        CCellBmpInfo* cell = f.cell;
        if (i + 1 == Project.CutShortCell) {
            Problems.push_back(
                {CellCutShort, 0, i + 1, cell ? cell->ThumbFileName : std::string()});
            continue;
        }
        if (!cell) {
            ++row;
            continue;
        }
        if (!f.kept) {
            cell->StateFlags |= CCellInfo::StateDeleted;
            Problems.push_back({CellDropped, 0, i + 1, cell->ThumbFileName});
            continue;
        }
        ++row;
        if (f.displayMissing)
            Problems.push_back({DisplayMissing, row, i + 1, cell->FileName});
        else if (f.displayDamaged)
            Problems.push_back({DisplayDamaged, row, i + 1, cell->FileName});
        if (f.thumbDamaged)
            Problems.push_back({ThumbnailDamaged, row, i + 1, cell->ThumbFileName});
        if (f.sourceMissing)
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
    const std::string projectName = info.fileName().toStdString();
    for (const std::string& leftover : CSafeFile::FindLeftovers(Folder, {projectName}))
        Problems.push_back({LeftoverFile, 0, 0, leftover.substr(Folder.size())});
    return status;
}
