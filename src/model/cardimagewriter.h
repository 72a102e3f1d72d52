#pragma once

#include "model/cellhost.h"

#include <functional>
#include <string>
#include <vector>

class CCellInfoList;
class CProgress;

// Makes a project's card pictures and thumbnails in a staging folder and
// copies them to the card. The conversions of different slides do not
// depend on each other, so they run on several threads (each with its own
// image host); the caller still sees the sequential behaviour exactly: one
// progress step per visible image cell in list order, a cancel asked before
// each cell, a failed conversion that makes the result false while the
// other cells are still written, a failed thumbnail copy that stops, and
// nothing in the folder from cells a sequential run would not have reached.
class CCardImageWriter
{
public:
    using CopyFunction =
        std::function<bool(const std::string& source, const std::string& destination)>;

    // The cell that made a write fail: its row (visible cells counted from
    // 1, as the project window numbers them) and the file that failed.
    struct RowFailure
    {
        int row = 0; // 0: none
        std::string file;
        bool copy = false; // writing the card failed, not preparing its pictures
        // The display image is missing or damaged and could not be made
        // again from its source.
        bool noSource = false;
    };
    // Makes the picture of presentation slide `page` for a display image
    // made again (the imaging hosts of the workers have no presentations).
    using SlideExporter =
        std::function<bool(const std::string& presentation, int page,
                           const std::string& destination, int width, int height)>;

    // `threads` 0: one per processor core; 1: everything on the caller's
    // thread.
    explicit CCardImageWriter(CCellHost::Factory factory, int threads = 0);
    // Everything on the caller's thread with `host` (not owned; null makes
    // every conversion fail).
    explicit CCardImageWriter(CCellHost* host);

    int Threads() const { return m_threads; }
    // Whether the pictures and copied thumbnails must be on the disk before
    // a cell counts as done (default). Send's staging folder is copied to
    // the card, durably, before anything relies on it, so its pictures need
    // not wait for the disk; a thumbnail that needs no conversion is then
    // linked into the folder where the volume allows it, not copied.
    void SetDurable(bool durable) { m_durable = durable; }
    // A display image that is missing or does not decode is made again from
    // its source into `folder` (a scratch folder, never the project's) and
    // converted from there; without this, such a cell fails. `folder` has a
    // trailing '/'.
    void SetRebuild(const std::string& folder, SlideExporter exporter)
    {
        m_rebuildFolder = folder;
        m_exporter = std::move(exporter);
    }

    // For every visible image cell: the card picture from its display image
    // and the card thumbnail, copied unchanged when the stored thumbnail is
    // exactly 160 x 120 and made again otherwise (from the display image
    // when the stored one is missing). A display image that is missing or
    // damaged fails its cell unless it can be made again (SetRebuild): a
    // card must never name a picture it does not hold. The cells' card names must be assigned (a
    // cell without them, or with a name that is not a plain file name, fails). This is the one way
    // from a cell to a card picture (Send and CCellInfoList::WriteCardImages).
    bool WriteCardImages(const CCellInfoList& cells, const std::string& cardFolder,
                         CProgress* progress);
    // After WriteCardImages: the first cell, in list order, whose conversion
    // or thumbnail copy failed.
    const RowFailure& FirstFailure() const { return m_failure; }

    // Copies every visible image cell's card picture and thumbnail that the
    // staging folder holds from `source` to `destination`, replacing (one
    // left out of the staging folder is skipped); stops
    // with false at a cancel (asked before each cell) or the first failed
    // copy. One progress step per cell.
    // `failure`, when given, receives the cell and file of a failed copy.
    static bool CopyCardFiles(const CCellInfoList& cells, const std::string& source,
                              const std::string& destination, CProgress* progress,
                              const CopyFunction& copy, RowFailure* failure = nullptr);

private:
    struct Job;
    static std::vector<Job> MakeJobs(const CCellInfoList& cells, const std::string& cardFolder);
    void RunJob(Job& job, CCellHost* host) const;
    // Copies a stored thumbnail that needs no conversion.
    bool StageCopy(const std::string& source, const std::string& destination) const;
    // The display image of the job's cell made again from its source; "".
    std::string RebuildDisplay(const Job& job, CCellHost* host) const;
    bool RunSequential(std::vector<Job>& jobs, CProgress* progress);
    bool RunParallel(std::vector<Job>& jobs, CProgress* progress);
    // Keeps the first failure met in list order.
    void NoteFailure(const Job& job);

    CCellHost::Factory m_factory;
    CCellHost* m_host = nullptr;
    int m_threads;
    bool m_durable = true;
    std::string m_rebuildFolder;
    SlideExporter m_exporter;
    RowFailure m_failure;
};
