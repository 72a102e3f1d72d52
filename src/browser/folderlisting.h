#pragma once

#include <string>
#include <vector>

// The rules of the folder tree, without widgets: which subfolders a folder
// shows (no hidden ones; links to folders count, dangling links and link
// loops do not), in which order (ignoring case, then by bytes so the order
// is stable), whether a folder has any, what re-reading a branch changes, and
// which folder still exists when one has gone. Every call reads the disk
// directly and may block on a slow volume: the window calls them through
// CFolderReader, off its thread.
class CFolderListing
{
public:
    struct Result
    {
        std::string folder;             // as asked, with a trailing '/'
        std::vector<std::string> names; // the subfolders' names, in order
        int error = 0;                  // errno when the folder could not be read
        bool exists = true;             // false when it is gone or no folder
    };
    // What a re-reading changes in a shown branch.
    struct Changes
    {
        std::vector<std::string> gone;  // shown names no longer there
        std::vector<std::string> added; // new names, in order
    };

    static Result List(const std::string& folder);
    // Whether `folder` has at least one listed subfolder; stops at the first.
    static bool HasSubfolders(const std::string& folder);
    // Whether an entry of that name is listed at all (no dot names).
    static bool IsShownName(const char* name);
    // The order of the tree: ignoring ASCII case, then by bytes.
    static bool Before(const std::string& a, const std::string& b);
    static Changes Compare(const std::vector<std::string>& shown,
                           const std::vector<std::string>& now);
    // Whether `path` is a folder now (following links).
    static bool IsFolder(const std::string& path);
    // `folder` or its nearest ancestor that still is a folder the program
    // can read, never above
    // `floor` (a place of the tree such as the home folder or a volume);
    // "" when not even `floor` exists.
    static std::string NearestExisting(const std::string& folder, const std::string& floor);
    static std::string WithSlash(std::string path);
};
