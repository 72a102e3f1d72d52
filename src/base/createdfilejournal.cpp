#include "base/createdfilejournal.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <unistd.h>

namespace {

// The open projects of this process, by owner, with the folder each watches.
// Several documents (or two projects of one folder) may watch one folder.
struct Watcher
{
    const void* owner = nullptr;
    std::string projectFile;
    std::function<bool(const std::string&)> names;
    std::function<bool()> busy;
};

struct Registry
{
    std::mutex mutex;
    std::vector<Watcher> watchers;
};

Registry& registry()
{
    static Registry r;
    return r;
}

std::string folderOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string withSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

bool plainName(const std::string& name)
{
    return !name.empty() && name != "." && name != ".." &&
           name.find_first_of(std::string("/\n\r\0", 4)) == std::string::npos;
}

void append(const std::string& journal, const std::string& line)
{
    const int fd = open(journal.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    // One write per line: lines of two writers never interleave.
    ssize_t n;
    do {
        n = write(fd, line.data(), line.size());
    } while (n < 0 && errno == EINTR);
    close(fd);
}

// Appends `prefix` NAME to the journal of every project of `folder` open here.
void note(const std::string& folder, const std::string& prefix, const std::string& name)
{
    if (!plainName(name))
        return;
    const std::string dir = withSlash(folder);
    const std::string line = prefix + name + "\n";
    Registry& r = registry();
    const std::lock_guard<std::mutex> guard(r.mutex);
    for (const Watcher& w : r.watchers)
        if (folderOf(w.projectFile) == dir)
            append(CCreatedFileJournal::JournalPathOf(w.projectFile), line);
}

} // namespace

std::string CCreatedFileJournal::JournalPathOf(const std::string& projectFile)
{
    const size_t slash = projectFile.rfind('/');
    const std::string name =
        slash == std::string::npos ? projectFile : projectFile.substr(slash + 1);
    return folderOf(projectFile) + "." + name + ".created";
}

void CCreatedFileJournal::Attach(const void* owner, const std::string& projectFile,
                                 std::function<bool(const std::string&)> names,
                                 std::function<bool()> busy)
{
    Detach(owner);
    if (projectFile.empty())
        return;
    Registry& r = registry();
    const std::lock_guard<std::mutex> guard(r.mutex);
    r.watchers.push_back({owner, projectFile, std::move(names), std::move(busy)});
}

void CCreatedFileJournal::Detach(const void* owner)
{
    Registry& r = registry();
    const std::lock_guard<std::mutex> guard(r.mutex);
    r.watchers.erase(std::remove_if(r.watchers.begin(), r.watchers.end(),
                                    [owner](const Watcher& w) { return w.owner == owner; }),
                     r.watchers.end());
}

std::string CCreatedFileJournal::ProjectFileOf(const void* owner)
{
    Registry& r = registry();
    const std::lock_guard<std::mutex> guard(r.mutex);
    for (const Watcher& w : r.watchers)
        if (w.owner == owner)
            return w.projectFile;
    return {};
}

std::vector<CCreatedFileJournal::Entry> CCreatedFileJournal::Entries(const std::string& projectFile)
{
    std::vector<Entry> entries;
    std::ifstream in(JournalPathOf(projectFile));
    std::string line;
    while (std::getline(in, line)) {
        const bool takenBack = !line.empty() && line[0] == '-';
        const size_t from = takenBack ? 1 : 0;
        const size_t space = line.find(' ', from);
        if (space == std::string::npos || space == from || space - from > 12)
            continue;
        const std::string pid = line.substr(from, space - from);
        const std::string name = line.substr(space + 1);
        if (pid.find_first_not_of("0123456789") != std::string::npos || !plainName(name))
            continue;
        const long id = std::stol(pid);
        const auto same = [&](const Entry& e) { return e.name == name; };
        if (takenBack) {
            // Only the note of the same process: the name may since be
            // another process's file.
            entries.erase(std::remove_if(entries.begin(), entries.end(),
                                         [&](const Entry& e) { return same(e) && e.pid == id; }),
                          entries.end());
        } else if (std::none_of(entries.begin(), entries.end(), same)) {
            entries.push_back({id, name});
        }
    }
    return entries;
}

bool CCreatedFileJournal::Rewrite(const std::string& projectFile, const std::vector<Entry>& kept)
{
    const std::string journal = JournalPathOf(projectFile);
    if (kept.empty())
        return unlink(journal.c_str()) == 0 || errno == ENOENT;
    const std::string fresh = journal + ".new";
    {
        std::ofstream out(fresh, std::ios::trunc);
        for (const Entry& e : kept)
            out << e.pid << ' ' << e.name << '\n';
        if (!out.flush())
            return false;
    }
    return rename(fresh.c_str(), journal.c_str()) == 0;
}

bool CCreatedFileJournal::InUseHere(const std::string& folder, const std::string& name,
                                    const void* except)
{
    const std::string dir = withSlash(folder);
    Registry& r = registry();
    const std::lock_guard<std::mutex> guard(r.mutex);
    for (const Watcher& w : r.watchers) {
        if (w.owner == except || folderOf(w.projectFile) != dir)
            continue;
        if ((w.busy && w.busy()) || (w.names && w.names(name)))
            return true;
    }
    return false;
}

void CCreatedFileJournal::NoteCreated(const std::string& folder, const std::string& name)
{
    note(folder, std::to_string(long(getpid())) + " ", name);
}

void CCreatedFileJournal::NoteNotCreated(const std::string& folder, const std::string& name)
{
    note(folder, "-" + std::to_string(long(getpid())) + " ", name);
}
