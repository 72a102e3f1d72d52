#pragma once

#include <string>

// Removes the pictures a program made for cells that were never saved (a
// kill or crash before the save or close): the files the project's journal
// names that no cell of any project file of the folder names. A file made
// by another program that still runs, or still in use by an open document
// of this program, stays in the journal; a file the journal does not name,
// or that is not a plain picture file, is never deleted.
class CUnsavedFileSweep
{
public:
    // Sweeps the journal of `projectFile`; `self` is the document that
    // sweeps (its unsaved cells are being given up). The number of files
    // removed.
    static int Run(const std::string& projectFile, const void* self);
};
