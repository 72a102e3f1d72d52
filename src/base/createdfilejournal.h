#pragma once

#include <functional>
#include <string>
#include <vector>

// The record of the files the program makes in a project folder for cells
// that are not saved yet: the hidden file ".NAME.sic.created" beside the
// project file, one line "PID NAME" per file, appended as each file is made
// (ReserveUniqueName tells the journal of every open project of the
// folder). A program killed before it saved or closed leaves the journal
// behind, so the next open or save can remove the files that no cell names,
// and only those: a file the journal does not name is never touched.
class CCreatedFileJournal
{
public:
    struct Entry
    {
        long pid = 0; // the process that made the file
        std::string name;
    };

    // The journal of `projectFile`.
    static std::string JournalPathOf(const std::string& projectFile);

    // From now on the files made in the folder of `projectFile` are
    // recorded for `owner` (an open document; what it recorded before is let
    // go). `names` tells whether the owner's cells (saved or not) name a
    // file; `busy` whether it is in the middle of work that makes files.
    static void Attach(const void* owner, const std::string& projectFile,
                       std::function<bool(const std::string&)> names, std::function<bool()> busy);
    static void Detach(const void* owner);
    // The project file `owner` records for, "" when none.
    static std::string ProjectFileOf(const void* owner);

    // The entries of the journal of `projectFile` with plain names, each
    // name once.
    static std::vector<Entry> Entries(const std::string& projectFile);
    // Replaces the journal's entries with `kept`; no entries remove it.
    static bool Rewrite(const std::string& projectFile, const std::vector<Entry>& kept);

    // Whether an open document of this process other than `except` names
    // `name` of `folder` or is busy making files there.
    static bool InUseHere(const std::string& folder, const std::string& name, const void* except);

    // Called just before a file is made in `folder` (trailing '/' or not):
    // appended to the journal of every project of that folder open here.
    // Safe from any thread.
    static void NoteCreated(const std::string& folder, const std::string& name);
    // Takes back a note of this process whose file could not be made (a
    // line "-PID NAME"), so a file of the same name made by someone else is
    // never taken for this program's.
    static void NoteNotCreated(const std::string& folder, const std::string& name);
};
