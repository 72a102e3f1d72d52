#include "editor/cellimporter.h"

#include "imaging/imagecheck.h"
#include "model/cellbmpinfo.h"
#include "model/cellhost.h"
#include "model/cellinfolist.h"
#include "presentation/presentationreader.h"
#include "presentation/sofficeconverter.h"

#include <QFile>
#include <QFileInfo>
#include <QString>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>
#include <algorithm>
#include <chrono>

struct CCellImporter::Job
{
    const CCellInfo* original = nullptr;
    std::unique_ptr<CCellInfo> copy;
    bool onCaller = false; // presentation pages use the document's host
    bool started = false;
    bool finished = false;
    bool ok = false;
    CFileFailure failure;
    // Stand-in owners: the copy reads only the folders of its owner, and a
    // worker must not touch the lists the calling thread is changing.
    CCellInfoList sourceOwner;
    CCellInfoList projectOwner;
};

CCellImporter::CCellImporter(CCellHost* host, const std::string& projectFolder,
                             const HostFactory& workerHosts, int workers)
    : m_host(host), m_folder(projectFolder), m_factory(workerHosts),
      m_workers(workerHosts ? workers : 0), m_window(2 * m_workers)
{}

CCellImporter::~CCellImporter()
{
    Abandon();
}

void CCellImporter::Schedule(const CCellInfo* cell)
{
    auto job = std::make_unique<Job>();
    job->original = cell;
    job->copy = CCellInfo::CreateOfType(cell->CellType);
    job->copy->CopyFrom(cell);
    job->sourceOwner.ProjectFolder =
        cell->OwnerList ? cell->OwnerList->ProjectFolder : std::string();
    job->projectOwner.ProjectFolder = m_folder;
    job->copy->OwnerList = &job->sourceOwner;
    if (cell->CellType == CCellInfo::Type::Image)
        job->onCaller = static_cast<const CCellBmpInfo*>(cell)->IsFromPresentation();
    std::lock_guard guard(m_mutex);
    m_jobs.push_back(std::move(job));
    StartMoreLocked();
}

void CCellImporter::StartMoreLocked()
{
    if (m_workers <= 0 || m_stopping)
        return;
    int active = 0; // started and not taken yet
    for (const auto& job : m_jobs)
        active += job->started ? 1 : 0;
    for (auto& job : m_jobs) {
        if (active >= m_window || m_running >= m_workers)
            break;
        if (job->started || job->onCaller)
            continue;
        job->started = true;
        ++m_running;
        ++active;
        Job* j = job.get();
        // A worker that finishes starts the next job itself, so the workers
        // never wait for the calling thread to hand out work.
        (void)QtConcurrent::run(QThreadPool::globalInstance(), [this, j] {
            std::unique_ptr<CCellHost> host = AcquireHost();
            if (host)
                Run(*j, host.get());
            ReleaseHost(std::move(host));
            std::lock_guard guard(m_mutex);
            j->finished = true;
            --m_running;
            StartMoreLocked();
            m_done.notify_all();
        });
    }
}

void CCellImporter::Run(Job& job, CCellHost* host)
{
    if (!host || job.copy->CellType != CCellInfo::Type::Image)
        return;
    auto& cell = static_cast<CCellBmpInfo&>(*job.copy);
    bool ok = cell.ImportInto(host, m_folder) && cell.CopyThumbFileTo(m_folder) != -1;
    if (ok) {
        cell.OwnerList = &job.projectOwner;
        cell.UpdateSourceKind();
        ok = cell.Validate(host);
    }
    cell.ReleasePicture();
    cell.OwnerList = nullptr;
    if (!ok) {
        RemoveNewFiles(*job.original, cell, m_folder);
        job.failure = Diagnose(*job.original, m_folder);
    }
    job.ok = ok;
}

std::unique_ptr<CCellHost> CCellImporter::AcquireHost()
{
    {
        std::lock_guard guard(m_mutex);
        if (!m_freeHosts.empty()) {
            std::unique_ptr<CCellHost> host = std::move(m_freeHosts.back());
            m_freeHosts.pop_back();
            return host;
        }
    }
    std::unique_ptr<CCellHost> host = m_factory ? m_factory() : nullptr;
    if (host)
        host->SetDurableWrites(false);
    return host;
}

void CCellImporter::ReleaseHost(std::unique_ptr<CCellHost> host)
{
    if (!host)
        return;
    std::lock_guard guard(m_mutex);
    m_freeHosts.push_back(std::move(host));
}

std::unique_ptr<CCellInfo> CCellImporter::Take(const CCellInfo* cell,
                                               const std::function<void()>& whileWaiting,
                                               CFileFailure* why)
{
    const auto find = [&] {
        return std::find_if(m_jobs.begin(), m_jobs.end(),
                            [cell](const auto& job) { return job->original == cell; });
    };
    std::unique_lock lock(m_mutex);
    if (find() == m_jobs.end()) {
        lock.unlock();
        Schedule(cell);
        lock.lock();
    }
    Job& job = **find();
    const bool runHere = !job.started;
    job.started = true;
    if (runHere) {
        lock.unlock();
        Run(job, m_host);
        lock.lock();
        job.finished = true;
    }
    while (!job.finished) {
        m_done.wait_for(lock, std::chrono::milliseconds(30));
        if (!job.finished && whileWaiting) {
            lock.unlock();
            whileWaiting();
            lock.lock();
        }
    }
    if (why)
        *why = job.ok ? CFileFailure() : job.failure;
    std::unique_ptr<CCellInfo> result = job.ok ? std::move(job.copy) : nullptr;
    m_jobs.erase(find());
    StartMoreLocked();
    return result;
}

void CCellImporter::Abandon()
{
    std::unique_lock lock(m_mutex);
    m_stopping = true;
    m_done.wait(lock, [this] { return m_running == 0; });
    for (const auto& job : m_jobs)
        if (job->finished && job->ok)
            RemoveNewFiles(*job->original, *job->copy, m_folder);
    m_jobs.clear();
    m_freeHosts.clear();
    m_stopping = false;
}

void CCellImporter::RemoveNewFiles(const CCellInfo& original, const CCellInfo& copy,
                                   const std::string& folder)
{
    if (original.CellType != CCellInfo::Type::Image || copy.CellType != CCellInfo::Type::Image ||
        folder.empty())
        return;
    const auto& before = static_cast<const CCellBmpInfo&>(original);
    const auto& after = static_cast<const CCellBmpInfo&>(copy);
    // DispFileName is never made by an import: it is left alone, as is any
    // name the cell already had (it may be another cell's file).
    const auto remove = [&](const std::string& oldName, const std::string& newName) {
        if (newName.empty() || newName == oldName || newName.find('/') != std::string::npos)
            return;
        QFile::remove(QString::fromStdString(folder + newName));
    };
    remove(before.FileName, after.FileName);
    remove(before.ThumbFileName, after.ThumbFileName);
}

CFileFailure CCellImporter::Diagnose(const CCellInfo& cell, const std::string& folder)
{
    if (cell.CellType != CCellInfo::Type::Image)
        return {};
    const auto& image = static_cast<const CCellBmpInfo&>(cell);
    // A display image that came along with the cell was copied if it could
    // be; what failed was making one from the source.
    if (image.IsFromPresentation()) {
        if (!QFileInfo::exists(QString::fromStdString(image.RefFilePath)))
            return {CFileFailure::NotFound, image.RefFilePath};
        CPptStructure structure;
        const CPptReader::Failure why = CPresentationReader::ReadFile(image.RefFilePath, structure);
        if (why != CPptReader::NoFailure)
            return CPresentationReader::FailureOf(image.RefFilePath, why, structure);
        if (CPresentationReader::DrawsItself(image.RefFilePath))
            return {CFileFailure::PresentationDamaged, image.RefFilePath};
        if (!CSofficeConverter::IsAvailable())
            return {CFileFailure::NoOffice, image.RefFilePath};
        return {CFileFailure::OfficeFailed, image.RefFilePath};
    }
    CFileFailure failure = CImageCheck::Examine(image.RefFilePath);
    if (!failure.IsFailure())
        failure = {CFileFailure::CannotWrite, folder};
    return failure;
}
