#pragma once

#include "model/cellinfo.h"

#include <QByteArray>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class CArchive;
class CCellHost;
class CProgress;
class CUserPrompt;

// The ordered cells of a project and the project folder their files live in.
// Owns its cells. Positions are indexes into the list; -1 means none.
class CCellInfoList
{
public:
    // The two transfer formats; both carry the same archive bytes.
    static constexpr const char* ClipFormat = "CellInfo List";
    static constexpr const char* ClipFormatFiles = "CellInfo List from ROvuv UR1";
    enum FileField
    {
        FieldFileName = 0,
        FieldDispFileName = 1,
        FieldThumbFileName = 2
    };

    CCellInfoList();
    ~CCellInfoList();
    CCellInfoList(const CCellInfoList&) = delete;
    CCellInfoList& operator=(const CCellInfoList&) = delete;

    // --- container -------------------------------------------------------
    int GetCount() const { return static_cast<int>(m_cells.size()); }
    bool IsEmpty() const { return m_cells.empty(); }
    CCellInfo* GetAt(int index) const { return m_cells[static_cast<size_t>(index)].get(); }
    // Takes ownership and sets the cell's OwnerList; returns its index.
    int Append(std::unique_ptr<CCellInfo> cell);
    int InsertAt(int index, std::unique_ptr<CCellInfo> cell);
    std::unique_ptr<CCellInfo> RemoveAt(int index);
    int IndexOf(const CCellInfo* cell) const;

    // --- archive ---------------------------------------------------------
    // Writes ProjectFolder, the number of visible cells and each visible cell.
    void Serialize(CArchive& ar);
    // The transfer block ("CellInfo List" bytes) of the visible cells.
    QByteArray ToBytes() const;
    // Reads a transfer block: ProjectFolder takes the block's folder (where
    // the cells' files are) and the cells are appended. With a host each
    // cell is validated (PictureSource 3 when its thumbnail loads, else 0;
    // the result is ignored) without making any file in the block's folder.
    // False, with nothing appended and ProjectFolder unchanged, on any
    // archive error.
    bool AppendFromBytes(const QByteArray& bytes, CCellHost* host = nullptr);

    // --- operations --------------------------------------------------------
    void DeleteAll();
    void ClearFlags(uint32_t mask);
    int FindByFileName(const std::string& name, FileField field, int start = 0) const;
    bool IsFileNameShared(int index) const;
    bool CopyFrom(const CCellInfoList* other);
    // Pairwise CopyFrom by position; each cell keeps its own OwnerList.
    bool RestoreValuesFrom(const CCellInfoList* other);
    void ValidateAll(CCellHost* host);
    bool RefreshImages(CCellHost* host, CUserPrompt* prompt);
    void Purge();
    bool CopyFilesTo(const std::string& destination, bool skipThumbnails, bool includeDeleted,
                     CProgress* progress = nullptr);
    uint64_t TotalFileSize(bool skipThumbnails, bool includeDeleted) const;
    void AssignCardNames(const std::string& prefix, const std::string& extension = {});
    // The card base name (without extension) of cell `number` (from 1) of
    // `count` visible image cells with `prefix`; "" from 100000000 on.
    static std::string CardBaseName(const std::string& prefix, int64_t count, int64_t number);
    // The card pictures of the visible image cells, one at a time with
    // `host`, and their copy to another folder: CCardImageWriter's, as Send.
    bool WriteCardImages(const std::string& cardFolder, CProgress* progress, CCellHost* host);
    bool CopyCardFiles(const std::string& sourceFolder, const std::string& destinationFolder,
                       CProgress* progress);
    bool RebuildImagesInto(const std::string& projectName, const std::string& folder,
                           CCellHost* host, CProgress* progress, CUserPrompt* prompt);
    void RestoreWorkNames(bool restore);
    bool CopyNewImagesFrom(const std::string& folder, CProgress* progress, CUserPrompt* prompt);

    // Counts of visible cells.
    int VisibleCount() const;
    int VisibleImageCount() const;

    // Whether two names in the project folder name the same file: equal, or
    // equal but for ASCII case on a file system that ignores case.
    bool IsSameFile(const std::string& a, const std::string& b) const;

    std::string ProjectFolder;

private:
    std::vector<std::unique_ptr<CCellInfo>> m_cells;
};
