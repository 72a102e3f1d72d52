#pragma once

#include "base/filefailure.h"

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class CCellHost;
class CCellInfo;

// Brings image cells into a project folder: the display image copied or
// made from the source, the thumbnail copied, the cell validated (which
// makes a missing thumbnail). Each cell is imported into a copy, so a cell
// whose import is abandoned is left as it was.
//
// Imports of different cells are independent. With workers, the cells
// announced by Schedule are converted on the thread pool, each worker with
// a host of its own from the factory (never the document's imaging, which
// belongs to the calling thread); Take hands the results out in order. A
// presentation page is always converted on the calling thread with the
// document's host. Without workers, Take does the work itself.
//
// Workers write their pictures without waiting for the disk after each
// file; whoever keeps the results flushes them once (CSafeFile::FlushFiles)
// before a save can name them.
class CCellImporter
{
public:
    using HostFactory = std::function<std::unique_ptr<CCellHost>()>;

    CCellImporter(CCellHost* host, const std::string& projectFolder,
                  const HostFactory& workerHosts = {}, int workers = 0);
    // Waits for running work and removes the files of results not taken.
    ~CCellImporter();
    CCellImporter(const CCellImporter&) = delete;
    CCellImporter& operator=(const CCellImporter&) = delete;

    // Announces an image cell that Take will ask for, in the order of the
    // Take calls. Work may start at once.
    void Schedule(const CCellInfo* cell);

    // The imported copy of `cell` (validated, OwnerList unset), or null when
    // the import failed; a failed copy's new files are removed already, and
    // `why` (when given) receives the file and the reason.
    // While it waits, `whileWaiting` is called now and then.
    std::unique_ptr<CCellInfo> Take(const CCellInfo* cell,
                                    const std::function<void()>& whileWaiting = {},
                                    CFileFailure* why = nullptr);

    // Why the import of image cell `cell` into `folder` failed: its source
    // missing or not a usable picture (or presentation), else the folder
    // that could not be written.
    static CFileFailure Diagnose(const CCellInfo& cell, const std::string& folder);

    // Stops: waits for running work and removes the new files of every
    // result not taken.
    void Abandon();

    // Removes the files that an import of `original` made for `copy` (those
    // whose names differ from the original's), in `folder`.
    static void RemoveNewFiles(const CCellInfo& original, const CCellInfo& copy,
                               const std::string& folder);

private:
    struct Job;

    // Starts jobs while workers and the window allow; m_mutex is held.
    void StartMoreLocked();
    void Run(Job& job, CCellHost* host);
    std::unique_ptr<CCellHost> AcquireHost();
    void ReleaseHost(std::unique_ptr<CCellHost> host);

    CCellHost* m_host;
    std::string m_folder;
    HostFactory m_factory;
    int m_workers;
    int m_window; // jobs running or finished but not taken, at most

    std::deque<std::unique_ptr<Job>> m_jobs;
    int m_running = 0;
    bool m_stopping = false; // Abandon is waiting: no new jobs
    std::mutex m_mutex;
    std::condition_variable m_done;
    std::vector<std::unique_ptr<CCellHost>> m_freeHosts;
};
