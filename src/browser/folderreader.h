#pragma once

#include "browser/folderlisting.h"

#include <QThreadPool>
#include <functional>
#include <memory>
#include <string>

class QObject;

// Reads folders for the folder tree on threads of its own, so a slow or
// hanging volume never blocks the window: the listing of a branch and the
// has-subfolders check of a folder. Results arrive as queued calls on the
// thread of `context`, never after the reader (or the context) is gone.
class CFolderReader
{
public:
    using Lister = std::function<CFolderListing::Result(const std::string&)>;
    using Prober = std::function<bool(const std::string&)>;
    using ListDone = std::function<void(const CFolderListing::Result&)>;
    using ProbeDone = std::function<void(const std::string& folder, bool hasSubfolders)>;

    explicit CFolderReader(QObject* context);
    ~CFolderReader();
    CFolderReader(const CFolderReader&) = delete;
    CFolderReader& operator=(const CFolderReader&) = delete;

    // Where listings and checks come from (the disk unless a test says).
    void SetLister(Lister lister) { m_lister = std::move(lister); }
    void SetProber(Prober prober) { m_prober = std::move(prober); }
    void List(const std::string& folder, ListDone done);
    void Probe(const std::string& folder, ProbeDone done);
    // Forgets the work not yet started (the tree is filled anew).
    void Cancel();
    bool WaitForDone(int milliseconds);

private:
    QObject* m_context;
    Lister m_lister = &CFolderListing::List;
    Prober m_prober = &CFolderListing::HasSubfolders;
    QThreadPool m_listPool;
    QThreadPool m_probePool;
    std::shared_ptr<bool> m_alive;
};
