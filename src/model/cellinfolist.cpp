#include "model/cellinfolist.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/progress.h"
#include "base/userprompt.h"
#include "model/archive.h"
#include "model/cardimagewriter.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellhost.h"

#include <QImage>
#include <QString>
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <unordered_map>

namespace {

CCellBmpInfo* AsImage(CCellInfo* cell)
{
    return cell && cell->CellType == CCellInfo::Type::Image ? dynamic_cast<CCellBmpInfo*>(cell)
                                                            : nullptr;
}

const std::string& FieldOf(const CCellBmpInfo& cell, CCellInfoList::FileField field)
{
    switch (field) {
    case CCellInfoList::FieldDispFileName:
        return cell.DispFileName;
    case CCellInfoList::FieldThumbFileName:
        return cell.ThumbFileName;
    case CCellInfoList::FieldFileName:
        break;
    }
    return cell.FileName;
}

bool FileIsThere(const std::string& path)
{
    return !path.empty() && FileExists(path, true);
}

// Names of files in the project folder, looked up as the list compares them
// (see IsSameFile), in constant time per name.
class NameSet
{
public:
    explicit NameSet(const CCellInfoList& list) : m_list(list) {}

    bool Contains(const std::string& name) const
    {
        const auto it = m_names.find(CAsciiCase::Lower(name));
        if (it == m_names.end())
            return false;
        for (const std::string& known : it->second)
            if (m_list.IsSameFile(known, name))
                return true;
        return false;
    }

    void Insert(const std::string& name)
    {
        std::vector<std::string>& spellings = m_names[CAsciiCase::Lower(name)];
        if (std::find(spellings.begin(), spellings.end(), name) == spellings.end())
            spellings.push_back(name);
    }

private:
    const CCellInfoList& m_list;
    std::unordered_map<std::string, std::vector<std::string>> m_names;
};

// How the card names of `count` cells are formed from a prefix: the prefix
// (upper case, cut to fit) and the number of digits.
void CardNameScheme(const std::string& prefix, int64_t count, std::string& base, int& digits)
{
    digits = 1;
    for (int64_t n = count; n >= 10; n /= 10)
        ++digits;
    digits = std::min(digits, 8);
    base = CAsciiCase::Upper(prefix);
    const int length = int(std::min<size_t>(base.size(), 1000));
    if (8 - digits >= length)
        digits = 8 - length; // the name fills eight characters
    else if (digits > 7)
        base.clear();
    else
        base = CutUtf8(base, size_t(8 - digits));
}

std::string CardNumber(const std::string& base, int digits, int64_t number)
{
    if (number >= 100000000)
        return {};
    char text[32];
    std::snprintf(text, sizeof text, "%0*lld", digits, static_cast<long long>(number));
    return base + text;
}

} // namespace

CCellInfoList::CCellInfoList() = default;

CCellInfoList::~CCellInfoList()
{
    DeleteAll();
}

// --- container ---------------------------------------------------------------

int CCellInfoList::Append(std::unique_ptr<CCellInfo> cell)
{
    if (!cell)
        return -1;
    cell->OwnerList = this;
    m_cells.push_back(std::move(cell));
    return GetCount() - 1;
}

int CCellInfoList::InsertAt(int index, std::unique_ptr<CCellInfo> cell)
{
    if (!cell)
        return -1;
    if (index < 0 || index > GetCount())
        index = GetCount();
    cell->OwnerList = this;
    m_cells.insert(m_cells.begin() + index, std::move(cell));
    return index;
}

std::unique_ptr<CCellInfo> CCellInfoList::RemoveAt(int index)
{
    if (index < 0 || index >= GetCount())
        return nullptr;
    std::unique_ptr<CCellInfo> cell = std::move(m_cells[size_t(index)]);
    m_cells.erase(m_cells.begin() + index);
    cell->OwnerList = nullptr;
    return cell;
}

int CCellInfoList::IndexOf(const CCellInfo* cell) const
{
    for (size_t i = 0; i < m_cells.size(); ++i)
        if (m_cells[i].get() == cell)
            return int(i);
    return -1;
}

int CCellInfoList::VisibleCount() const
{
    return int(std::count_if(m_cells.begin(), m_cells.end(),
                             [](const auto& c) { return c->IsVisible(); }));
}

int CCellInfoList::VisibleImageCount() const
{
    return int(std::count_if(m_cells.begin(), m_cells.end(),
                             [](const auto& c) { return c->IsVisible() && AsImage(c.get()); }));
}

bool CCellInfoList::IsSameFile(const std::string& a, const std::string& b) const
{
    if (a == b)
        return true;
    if (a.size() != b.size() || CAsciiCase::Lower(a) != CAsciiCase::Lower(b))
        return false;
    // Differing only in case: the same file where the file system ignores case.
    const std::string pa = CCellBmpInfo::FilePathIn(ProjectFolder, a);
    const std::string pb = CCellBmpInfo::FilePathIn(ProjectFolder, b);
    if (pa.empty() || pb.empty())
        return false;
    std::error_code ec;
    const bool same = std::filesystem::equivalent(pa, pb, ec);
    return !ec && same;
}

// --- archive -----------------------------------------------------------------

void CCellInfoList::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        ar.WriteString(ProjectFolder);
        ar.WriteCount(uint32_t(VisibleCount()));
        for (const auto& cell : m_cells)
            if (cell->IsVisible())
                ar.WriteObject(cell.get());
        return;
    }
    std::string folder = ar.ReadString();
    uint32_t count = ar.ReadCount();
    std::vector<std::unique_ptr<CCellInfo>> cells;
    while (count--) {
        std::unique_ptr<CCellInfo> cell;
        ar.ReadObjectOf<CCellInfo>(cell);
        // Every element is a cell of its own: no null, no second reference.
        if (!cell)
            CArchive::Throw(CArchiveException::BadIndex);
        cells.push_back(std::move(cell));
    }
    ProjectFolder = std::move(folder);
    m_cells.reserve(m_cells.size() + cells.size());
    for (auto& cell : cells)
        Append(std::move(cell));
}

QByteArray CCellInfoList::ToBytes() const
{
    // Writing changes nothing; Serialize serves both directions.
    QByteArray bytes;
    CArchive ar(&bytes);
    const_cast<CCellInfoList*>(this)->Serialize(ar);
    return bytes;
}

bool CCellInfoList::AppendFromBytes(const QByteArray& bytes, CCellHost* host)
{
    const int first = GetCount();
    try {
        CArchive ar(bytes);
        Serialize(ar);
    } catch (const CArchiveException&) {
        return false;
    }
    // Validation here only looks at the files: a thumbnail the source lacks
    // is made by the import into the target project, never in a folder the
    // block names.
    if (host)
        for (int i = first; i < GetCount(); ++i)
            m_cells[size_t(i)]->Validate(nullptr);
    return true;
}

// --- operations --------------------------------------------------------------

void CCellInfoList::DeleteAll()
{
    m_cells.clear();
    m_superseded.clear();
}

void CCellInfoList::ClearFlags(uint32_t mask)
{
    for (auto& cell : m_cells)
        cell->StateFlags &= ~mask;
}

int CCellInfoList::FindByFileName(const std::string& name, FileField field, int start) const
{
    for (int i = std::max(start, 0); i < GetCount(); ++i) {
        const CCellBmpInfo* cell = AsImage(m_cells[size_t(i)].get());
        if (cell && cell->IsLive() && IsSameFile(FieldOf(*cell, field), name))
            return i;
    }
    return -1;
}

bool CCellInfoList::IsFileNameShared(int index) const
{
    if (index < 0 || index >= GetCount())
        return false;
    const CCellBmpInfo* cell = AsImage(m_cells[size_t(index)].get());
    if (!cell || cell->FileName.empty())
        return false;
    for (int i = 0; i < index; ++i) {
        const CCellBmpInfo* other = AsImage(m_cells[size_t(i)].get());
        if (other && other->IsVisible() && IsSameFile(other->FileName, cell->FileName))
            return true;
    }
    return false;
}

bool CCellInfoList::CopyFrom(const CCellInfoList* other)
{
    DeleteAll();
    if (!other)
        return false;
    for (const auto& source : other->m_cells) {
        std::unique_ptr<CCellInfo> cell =
            source ? CCellInfo::CreateOfType(source->CellType) : nullptr;
        if (!cell || !cell->CopyFrom(source.get())) {
            DeleteAll();
            return false;
        }
        Append(std::move(cell));
    }
    return true;
}

bool CCellInfoList::RestoreValuesFrom(const CCellInfoList* other)
{
    if (!other)
        return false;
    bool ok = true;
    const size_t n = std::min(m_cells.size(), other->m_cells.size());
    for (size_t i = 0; i < n; ++i) {
        CCellInfo* cell = m_cells[i].get();
        CCellInfoList* owner = cell->OwnerList;
        if (!other->m_cells[i] || !cell->CopyFrom(other->m_cells[i].get()))
            ok = false;
        cell->OwnerList = owner;
    }
    return ok;
}

void CCellInfoList::ValidateAll(CCellHost* host)
{
    for (auto& cell : m_cells)
        if (!cell->Validate(host))
            cell->StateFlags |= CCellInfo::StateDeleted;
}

bool CCellInfoList::RefreshImages(CCellHost* host, CUserPrompt* prompt)
{
    for (auto& entry : m_cells) {
        CCellBmpInfo* cell = AsImage(entry.get());
        if (!cell || !cell->IsVisible())
            continue;
        bool rebuild = true;
        bool force = false;
        CFileStatus display;
        CFileStatus source;
        const std::string displayPath = cell->ProjectFilePath(cell->FileName);
        if (!displayPath.empty() && GetFileStatus(displayPath, display)) {
            rebuild = false;
            if (GetFileStatus(cell->RefFilePath, source) && source.mtime > display.mtime) {
                const int32_t seconds = int32_t(source.mtime);
                if (cell->RefFileTime == -1 || cell->RefFileTime != seconds)
                    rebuild = force = true;
            }
        }
        if (rebuild) {
            // The new time is kept only with the new image, so that a failed
            // rebuild is tried again at the next save.
            const std::string old = force ? cell->FileName : std::string();
            if (!GetFileStatus(cell->RefFilePath, source) ||
                !cell->CreateDisplayFile(host, ProjectFolder)) {
                AskUser(prompt, MsgId::SlideSourceMissing, CUserPrompt::Exclamation,
                        CUserPrompt::Ok, cell->RefFilePath);
                return false;
            }
            cell->RefFileTime = int32_t(source.mtime); // local seconds already
            // The project file on disk still names the old image until the
            // save has written the new name.
            if (!old.empty() && !IsSameFile(old, cell->FileName))
                m_superseded.push_back(old);
        }
        if (!cell->MakeThumbnail(host, force)) {
            AskUser(prompt, MsgId::SlideSourceMissing, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    cell->RefFilePath);
            return false;
        }
    }
    return true;
}

namespace {

// The names of the files that the live cells of `list` name in any field:
// those stay in the folder whatever else goes.
NameSet LiveNames(const CCellInfoList& list)
{
    NameSet live(list);
    for (int i = 0; i < list.GetCount(); ++i) {
        const CCellBmpInfo* cell = AsImage(list.GetAt(i));
        if (!cell || !cell->IsLive())
            continue;
        for (int f = 0; f < 3; ++f)
            if (const std::string& name = FieldOf(*cell, CCellInfoList::FileField(f));
                !name.empty())
                live.Insert(name);
    }
    return live;
}

} // namespace

void CCellInfoList::PurgeSuperseded()
{
    const NameSet live = LiveNames(*this);
    for (const std::string& name : m_superseded) {
        if (!live.Contains(name))
            CCellBmpInfo::DeleteFileAt(CCellBmpInfo::FilePathIn(ProjectFolder, name));
    }
    m_superseded.clear();
}

void CCellInfoList::Purge()
{
    // The names live cells still use, gathered once: the cells purged here
    // are never live, so the set stays right while files go. A file a live
    // cell names in any of its fields stays.
    const NameSet live = LiveNames(*this);
    const uint32_t purged = CCellInfo::StateAdded | CCellInfo::StateDeleted;
    for (const auto& entry : m_cells) {
        if (!(entry->StateFlags & purged))
            continue;
        CCellBmpInfo* cell = AsImage(entry.get());
        if (!cell)
            continue;
        cell->ReleasePicture();
        for (int f = 0; f < 3; ++f) {
            const std::string& name = FieldOf(*cell, FileField(f));
            if (!name.empty() && !live.Contains(name))
                CCellBmpInfo::DeleteFileAt(cell->ProjectFilePath(name));
        }
    }
    m_cells.erase(std::remove_if(m_cells.begin(), m_cells.end(),
                                 [purged](const auto& c) { return (c->StateFlags & purged) != 0; }),
                  m_cells.end());
}

bool CCellInfoList::CopyFilesTo(const std::string& destination, bool skipThumbnails,
                                bool includeDeleted, CProgress* progress, std::string* failedFile)
{
    if (destination.empty())
        return false;
    // Copies one file of the project folder to the same name in the
    // destination; nothing to do for a missing file or the file itself.
    auto copyOne = [&](const CCellBmpInfo& cell, const std::string& name) {
        const std::string source = cell.ProjectFilePath(name);
        if (!FileIsThere(source))
            return true;
        const std::string target = CCellBmpInfo::FilePathIn(destination, name);
        if (target.empty())
            return false;
        std::error_code ec;
        if (std::filesystem::equivalent(source, target, ec) && !ec)
            return true;
        if (CopyFileKeepTime(source, target))
            return true;
        if (failedFile)
            *failedFile = target;
        return false;
    };
    NameSet earlier(*this);
    for (const auto& entry : m_cells) {
        if (!includeDeleted && !entry->IsVisible())
            continue;
        const CCellBmpInfo* cell = AsImage(entry.get());
        if (!cell)
            continue;
        if (progress && progress->IsCancelled())
            return false;
        if (!cell->FileName.empty()) {
            const bool shared = earlier.Contains(cell->FileName);
            if (cell->IsVisible())
                earlier.Insert(cell->FileName);
            if (!shared && !copyOne(*cell, cell->FileName))
                return false;
        }
        if (!copyOne(*cell, cell->DispFileName))
            return false;
        if (!skipThumbnails && !copyOne(*cell, cell->ThumbFileName))
            return false;
        if (progress)
            progress->StepIt();
    }
    return true;
}

uint64_t CCellInfoList::TotalFileSize(bool skipThumbnails, bool includeDeleted) const
{
    auto sizeOf = [](const std::string& path) -> uint64_t {
        if (!FileIsThere(path))
            return 0;
        std::error_code ec;
        const uintmax_t size = std::filesystem::file_size(path, ec);
        return ec ? 0 : uint64_t(size);
    };
    uint64_t total = 0;
    NameSet counted(*this);
    for (const auto& entry : m_cells) {
        if (!includeDeleted && !entry->IsVisible())
            continue;
        const CCellBmpInfo* cell = AsImage(entry.get());
        if (!cell)
            continue;
        if (!cell->FileName.empty() && !counted.Contains(cell->FileName)) {
            counted.Insert(cell->FileName);
            total += sizeOf(cell->ProjectFilePath(cell->FileName));
        }
        total += sizeOf(cell->ProjectFilePath(cell->DispFileName));
        if (!skipThumbnails)
            total += sizeOf(cell->ProjectFilePath(cell->ThumbFileName));
    }
    return total;
}

std::string CCellInfoList::CardBaseName(const std::string& prefix, int64_t count, int64_t number)
{
    std::string base;
    int digits = 0;
    CardNameScheme(prefix, count, base, digits);
    return CardNumber(base, digits, number);
}

void CCellInfoList::AssignCardNames(const std::string& prefix, const std::string& extension)
{
    const std::string ext = CAsciiCase::Upper(extension.empty() ? std::string(".JPG") : extension);
    std::string base;
    int digits = 0;
    CardNameScheme(prefix, VisibleImageCount(), base, digits);
    int64_t number = 0;
    for (auto& entry : m_cells) {
        CCellBmpInfo* cell = AsImage(entry.get());
        if (!cell)
            continue;
        cell->CardFileName.clear();
        cell->CardThumbName.clear();
        if (!cell->IsVisible())
            continue;
        const std::string name = CardNumber(base, digits, ++number);
        cell->CardFileName = name + ext;
        cell->CardThumbName = name + ".JPS";
    }
}

bool CCellInfoList::WriteCardImages(const std::string& cardFolder, CProgress* progress,
                                    CCellHost* host)
{
    if (!host || cardFolder.empty())
        return false;
    return CCardImageWriter(host).WriteCardImages(*this, cardFolder, progress);
}

bool CCellInfoList::CopyCardFiles(const std::string& sourceFolder,
                                  const std::string& destinationFolder, CProgress* progress)
{
    if (sourceFolder.empty() || destinationFolder.empty())
        return false;
    std::string source = sourceFolder, destination = destinationFolder;
    AddBackslash(source);
    AddBackslash(destination);
    return CCardImageWriter::CopyCardFiles(
        *this, source, destination, progress,
        [](const std::string& from, const std::string& to) { return CopyFileKeepTime(from, to); });
}

bool CCellInfoList::RebuildImagesInto(const std::string& projectName, const std::string& folder,
                                      CCellHost* host, CProgress* progress, CUserPrompt* prompt)
{
    if (projectName.empty() || folder.empty() || !host)
        return false;
    if (m_cells.empty())
        return true;
    std::string target = folder;
    AddBackslash(target);
    // The working names mark the cells converted so far; stale card names of
    // an earlier export must not pass for them.
    for (auto& entry : m_cells)
        if (CCellBmpInfo* cell = AsImage(entry.get())) {
            cell->CardFileName.clear();
            cell->CardThumbName.clear();
        }

    bool ok = true;
    for (auto& entry : m_cells) {
        if (progress && progress->IsCancelled() &&
            AskUser(prompt, MsgId::AskStopAndUndo, CUserPrompt::Question, CUserPrompt::YesNo) ==
                CUserPrompt::AnswerYes) {
            ok = false;
            break;
        }
        CCellBmpInfo* cell = AsImage(entry.get());
        if (!cell)
            continue;
        const std::string source = cell->ProjectFilePath(cell->FileName);
        const std::string png = ReserveUniqueName(target, projectName, ".png", ProjectFolder);
        const std::string jpg = png.empty()
                                    ? std::string()
                                    : ReserveUniqueName(target, projectName, ".jpg", ProjectFolder);
        auto dropNew = [&] {
            if (!png.empty())
                CCellBmpInfo::DeleteFileAt(target + png);
            if (!jpg.empty())
                CCellBmpInfo::DeleteFileAt(target + jpg);
        };
        if (png.empty() || jpg.empty() || !FileIsThere(source)) {
            dropNew();
            ok = false;
            break;
        }
        QSize size;
        if (!host->CreateWorkImage(source, target + png, size)) {
            dropNew();
            ok = false;
            break;
        }
        QSize thumbSize;
        if (!host->CreateThumbImage(target + png, target + jpg, CCellBmpInfo::ThumbWidth,
                                    CCellBmpInfo::ThumbHeight, thumbSize) ||
            QImage(QString::fromStdString(target + jpg)).isNull()) {
            dropNew();
            ok = false;
            break;
        }
        cell->ReleasePicture();
        cell->CardFileName = cell->FileName;
        cell->CardThumbName = cell->ThumbFileName;
        cell->BmpSize[0] = size.width();
        cell->BmpSize[1] = size.height();
        cell->Resize[0] = thumbSize.width();
        cell->Resize[1] = thumbSize.height();
        cell->PictureSource = CCellBmpInfo::PictureThumb;
        cell->FileName = png;
        cell->ThumbFileName = jpg;
        if (progress)
            progress->StepIt();
    }
    if (!ok)
        RestoreWorkNames(true);
    return ok;
}

void CCellInfoList::RestoreWorkNames(bool restore)
{
    for (auto& entry : m_cells) {
        CCellBmpInfo* cell = AsImage(entry.get());
        // A cell without a working display name was never converted: its
        // names are its own.
        if (!cell || cell->CardFileName.empty())
            continue;
        if (restore) {
            cell->FileName = cell->CardFileName;
            cell->ThumbFileName = cell->CardThumbName;
        } else {
            CCellBmpInfo::DeleteFileAt(cell->ProjectFilePath(cell->CardFileName));
            CCellBmpInfo::DeleteFileAt(cell->ProjectFilePath(cell->CardThumbName));
        }
        cell->CardFileName.clear();
        cell->CardThumbName.clear();
    }
}

bool CCellInfoList::CopyNewImagesFrom(const std::string& folder, CProgress* progress,
                                      CUserPrompt* prompt)
{
    for (auto& entry : m_cells) {
        const CCellBmpInfo* cell = AsImage(entry.get());
        if (!cell)
            continue;
        if (progress && progress->IsCancelled() &&
            AskUser(prompt, MsgId::AskStopAndUndo, CUserPrompt::Question, CUserPrompt::YesNo) ==
                CUserPrompt::AnswerYes)
            return false;
        for (const std::string* name : {&cell->FileName, &cell->ThumbFileName}) {
            if (name->empty())
                continue;
            const std::string source = CCellBmpInfo::FilePathIn(folder, *name);
            const std::string target = cell->ProjectFilePath(*name);
            if (source.empty() || target.empty() || !CopyFileKeepTime(source, target))
                return false;
        }
        if (progress)
            progress->StepIt();
    }
    return true;
}
