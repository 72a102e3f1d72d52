#include "model/cardimagewriter.h"

#include "base/pathutils.h"
#include "base/progress.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"

#include <QFuture>
#include <QMutex>
#include <QThread>
#include <QThreadPool>
#include <QWaitCondition>
#include <QtConcurrent/QtConcurrentRun>
#include <atomic>
#include <climits>
#include <cstdio>
#include <memory>
#include <unistd.h>

// One visible image cell's work, in paths only: workers never touch a cell.
struct CCardImageWriter::Job
{
    std::string picture;                // display image to convert, "" when missing
    std::string expected;               // the display image the cell names
    std::shared_ptr<CCellBmpInfo> cell; // a copy, to make the display image again
    std::string thumbnail;              // stored thumbnail, "" when missing
    bool remakeThumbnail = false;
    std::string cardPicture; // outputs in the staging folder
    std::string cardThumbnail;
    bool namesMissing = false;
    int row = 0; // visible row of the cell
    // Results, written by the worker that ran the job.
    bool ran = false;
    bool conversionFailed = false;
    bool copyFailed = false;
    bool noSource = false;  // the display image could not be made again
    std::string failedFile; // the input whose conversion or copy failed
};

namespace {

constexpr int kCancelPollMs = 50;

bool removeIfThere(const std::string& path)
{
    return std::remove(path.c_str()) == 0 || !PathExists(path);
}

// A worker's host that makes presentation slides through the exporter.
class CRebuildHost : public CCellHost
{
public:
    CRebuildHost(CCellHost* host, const CCardImageWriter::SlideExporter& exporter)
        : m_host(host), m_exporter(exporter)
    {}
    int CreateWorkImage(const std::string& source, const std::string& destination,
                        QSize& size) override
    {
        return m_host->CreateWorkImage(source, destination, size);
    }
    int CreateThumbImage(const std::string& source, const std::string& destination, int width,
                         int height, QSize& size) override
    {
        return m_host->CreateThumbImage(source, destination, width, height, size);
    }
    int CreateCardImage(const std::string& source, const std::string& destination,
                        bool thumbnail) override
    {
        return m_host->CreateCardImage(source, destination, thumbnail);
    }
    bool ExportPresentationSlide(const std::string& presentation, int page,
                                 const std::string& destination, int width, int height) override
    {
        return m_exporter && m_exporter(presentation, page, destination, width, height);
    }

private:
    CCellHost* m_host;
    const CCardImageWriter::SlideExporter& m_exporter;
};

} // namespace

CCardImageWriter::CCardImageWriter(CCellHost::Factory factory, int threads)
    : m_factory(std::move(factory)),
      m_threads(threads > 0 ? threads : std::max(1, QThread::idealThreadCount()))
{}

CCardImageWriter::CCardImageWriter(CCellHost* host) : m_host(host), m_threads(1) {}

std::vector<CCardImageWriter::Job> CCardImageWriter::MakeJobs(const CCellInfoList& cells,
                                                              const std::string& cardFolder)
{
    std::vector<Job> jobs;
    int row = 0;
    for (int i = 0; i < cells.GetCount(); ++i) {
        if (cells.GetAt(i) && cells.GetAt(i)->IsVisible())
            ++row;
        const auto* cell = dynamic_cast<const CCellBmpInfo*>(cells.GetAt(i));
        if (!cell || !cell->IsVisible())
            continue;
        Job job;
        job.row = row;
        job.expected =
            cell->FileName.empty() ? cell->OwnerFolder() : cell->ProjectFilePath(cell->FileName);
        if (!cell->FileName.empty()) {
            const std::string path = cell->ProjectFilePath(cell->FileName);
            if (!path.empty() && FileExists(path, true))
                job.picture = path;
        }
        job.cell = std::make_shared<CCellBmpInfo>();
        job.cell->CopyFrom(cell);
        if (!cell->ThumbFileName.empty()) {
            const std::string path = cell->ProjectFilePath(cell->ThumbFileName);
            if (!path.empty() && FileExists(path, true))
                job.thumbnail = path;
        }
        job.remakeThumbnail = cell->Resize[0] != 160 || cell->Resize[1] != 120;
        // Only plain names inside the staging folder are written to.
        job.cardPicture = CCellBmpInfo::FilePathIn(cardFolder, cell->CardFileName);
        job.cardThumbnail = CCellBmpInfo::FilePathIn(cardFolder, cell->CardThumbName);
        job.namesMissing = job.cardPicture.empty() || job.cardThumbnail.empty();
        jobs.push_back(std::move(job));
    }
    return jobs;
}

bool CCardImageWriter::StageCopy(const std::string& source, const std::string& destination) const
{
    // A staging folder is only read from and emptied, never written into:
    // a second name of the same file serves where the volume allows one.
    if (!m_durable && link(source.c_str(), destination.c_str()) == 0)
        return true;
    return CopyFileKeepTime(source, destination, m_durable);
}

std::string CCardImageWriter::RebuildDisplay(const Job& job, CCellHost* host) const
{
    if (m_rebuildFolder.empty() || !host || !job.cell || job.cell->RefFilePath.empty() ||
        !FileExists(job.cell->RefFilePath, true))
        return {};
    CRebuildHost rebuildHost(host, m_exporter);
    CCellBmpInfo copy;
    copy.CopyFrom(job.cell.get());
    if (!copy.CreateDisplayFile(&rebuildHost, m_rebuildFolder))
        return {};
    return m_rebuildFolder + copy.FileName;
}

void CCardImageWriter::RunJob(Job& job, CCellHost* host) const
{
    job.ran = true;
    if (host)
        host->SetDurableWrites(m_durable);
    if (job.namesMissing) {
        // Without card names there is nothing to write to.
        job.conversionFailed = true;
        job.failedFile = !job.picture.empty() ? job.picture : job.expected;
        return;
    }
    try {
        removeIfThere(job.cardPicture);
        bool converted = !job.picture.empty() && host &&
                         host->CreateCardImage(job.picture, job.cardPicture, false) != 0;
        if (!converted) {
            // Missing or damaged: made again from the source where it can be.
            const std::string rebuilt = RebuildDisplay(job, host);
            converted =
                !rebuilt.empty() && host->CreateCardImage(rebuilt, job.cardPicture, false) != 0;
            if (!rebuilt.empty()) {
                if (converted && job.thumbnail.empty())
                    job.picture = rebuilt; // the thumbnail comes from it below
                else
                    removeIfThere(rebuilt);
            }
            if (!converted) {
                job.conversionFailed = true;
                job.noSource = rebuilt.empty();
                job.failedFile = job.picture.empty() ? job.expected : job.picture;
            }
        }
        if (job.thumbnail.empty() && converted) {
            // No stored thumbnail: the card's own is made from the picture.
            removeIfThere(job.cardThumbnail);
            if (host->CreateCardImage(job.picture, job.cardThumbnail, true) == 0) {
                job.conversionFailed = true;
                job.failedFile = job.picture;
            }
        }
        if (job.picture.rfind(m_rebuildFolder, 0) == 0 && !m_rebuildFolder.empty())
            removeIfThere(job.picture);
        if (!job.thumbnail.empty()) {
            if (job.remakeThumbnail) {
                removeIfThere(job.cardThumbnail);
                if (!host || host->CreateCardImage(job.thumbnail, job.cardThumbnail, true) == 0) {
                    if (!job.conversionFailed)
                        job.failedFile = job.thumbnail;
                    job.conversionFailed = true;
                }
            } else if (!StageCopy(job.thumbnail, job.cardThumbnail)) {
                job.copyFailed = true;
                if (!job.conversionFailed)
                    job.failedFile = job.thumbnail;
            }
        }
    } catch (...) {
        // An image too large for memory is a failed conversion, not a crash.
        if (!job.conversionFailed)
            job.failedFile = !job.picture.empty() ? job.picture : job.thumbnail;
        job.conversionFailed = true;
    }
}

bool CCardImageWriter::WriteCardImages(const CCellInfoList& cells, const std::string& cardFolder,
                                       CProgress* progress)
{
    m_failure = {};
    std::vector<Job> jobs = MakeJobs(cells, cardFolder);
    if (m_threads <= 1 || jobs.size() <= 1)
        return RunSequential(jobs, progress);
    return RunParallel(jobs, progress);
}

bool CCardImageWriter::RunSequential(std::vector<Job>& jobs, CProgress* progress)
{
    const std::unique_ptr<CCellHost> own = m_factory ? m_factory() : nullptr;
    CCellHost* host = own ? own.get() : m_host;
    bool result = true;
    for (Job& job : jobs) {
        if (progress && progress->IsCancelled())
            return false;
        RunJob(job, host);
        if (job.copyFailed || job.conversionFailed)
            NoteFailure(job);
        if (job.copyFailed)
            return false;
        if (job.conversionFailed)
            result = false;
        if (progress)
            progress->StepIt();
    }
    return result;
}

bool CCardImageWriter::RunParallel(std::vector<Job>& jobs, CProgress* progress)
{
    const int count = static_cast<int>(jobs.size());
    QMutex mutex;
    QWaitCondition finished;
    std::vector<char> done(jobs.size(), 0);
    // Jobs from this index on are not started any more (a stop was met).
    std::atomic<int> limit{INT_MAX};

    QThreadPool pool;
    pool.setMaxThreadCount(m_threads);
    std::vector<QFuture<void>> futures;
    futures.reserve(jobs.size());
    for (int i = 0; i < count; ++i) {
        futures.push_back(QtConcurrent::run(&pool, [&, i] {
            if (i < limit.load()) {
                const std::unique_ptr<CCellHost> host = m_factory ? m_factory() : nullptr;
                RunJob(jobs[static_cast<size_t>(i)], host.get());
            }
            QMutexLocker lock(&mutex);
            done[static_cast<size_t>(i)] = 1;
            finished.wakeAll();
        }));
    }

    // The caller's view, in list order, exactly as a sequential run.
    bool result = true;
    int stop = -1; // first job a sequential run would not have kept
    bool pendingCancel = false;
    for (int i = 0; i < count && stop < 0; ++i) {
        if (pendingCancel || (progress && progress->IsCancelled())) {
            stop = i;
            break;
        }
        mutex.lock();
        while (!done[static_cast<size_t>(i)]) {
            if (!finished.wait(&mutex, kCancelPollMs)) {
                // Keep the progress window answering while the cell converts;
                // a cancel seen now counts before the next cell, as it would.
                mutex.unlock();
                if (progress && progress->IsCancelled())
                    pendingCancel = true;
                mutex.lock();
            }
        }
        mutex.unlock();
        const Job& job = jobs[static_cast<size_t>(i)];
        if (job.copyFailed || job.conversionFailed)
            NoteFailure(job);
        if (job.copyFailed) {
            stop = i + 1;
            break;
        }
        if (job.conversionFailed)
            result = false;
        if (progress)
            progress->StepIt();
    }
    if (stop >= 0) {
        limit.store(stop);
        result = false;
    }
    pool.waitForDone();
    if (stop >= 0) {
        // What ran ahead of the stop would not exist after a sequential run.
        for (int j = stop; j < count; ++j) {
            const Job& job = jobs[static_cast<size_t>(j)];
            if (job.ran && !job.namesMissing) {
                removeIfThere(job.cardPicture);
                removeIfThere(job.cardThumbnail);
            }
        }
    }
    return result;
}

void CCardImageWriter::NoteFailure(const Job& job)
{
    if (m_failure.row != 0)
        return;
    // Staging is preparing the pictures for the card, even where a stored
    // thumbnail is only copied; the card itself is written later.
    m_failure.row = job.row;
    m_failure.file = job.failedFile;
    m_failure.copy = false;
    m_failure.noSource = job.noSource;
}

bool CCardImageWriter::CopyCardFiles(const CCellInfoList& cells, const std::string& source,
                                     const std::string& destination, CProgress* progress,
                                     const CopyFunction& copy, RowFailure* failure)
{
    int row = 0;
    for (int i = 0; i < cells.GetCount(); ++i) {
        if (cells.GetAt(i) && cells.GetAt(i)->IsVisible())
            ++row;
        const auto* cell = dynamic_cast<const CCellBmpInfo*>(cells.GetAt(i));
        if (!cell || !cell->IsVisible())
            continue;
        if (progress && progress->IsCancelled())
            return false;
        for (const std::string* name : {&cell->CardFileName, &cell->CardThumbName}) {
            // A picture left out for a missing display image is not staged.
            if (name->empty() || !PathExists(source + *name))
                continue;
            if (!copy(source + *name, destination + *name)) {
                if (failure)
                    *failure = {row, destination + *name, true};
                return false;
            }
        }
        if (progress)
            progress->StepIt();
    }
    return true;
}
