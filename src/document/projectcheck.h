#pragma once

#include "document/projectfile.h"
#include "model/cellinfolist.h"

#include <string>
#include <vector>

// What opening a project would find, without changing anything: cells whose
// thumbnail can neither be loaded nor made (the open would drop them),
// display images and sources that are missing, files of the project folder
// that no cell names, and a version that asks for the upgrade. Read-only
// commands (info, list) use its cells: the cells an open would drop are
// marked deleted, so the visible cells are the rows of the project window.
class CProjectCheck
{
public:
    enum Kind
    {
        CellDropped,      // `cell`: 1-based position in the file; `file`: its thumbnail
        DisplayMissing,   // `row`, `file`: the display image named by the cell is missing
        SourceMissing,    // `row`, `file`: the source (RefFilePath) is missing
        UnnamedFile,      // `file`: a file of the folder that no cell names (a note)
        NeedsUpgrade,     // the project has an older version
        DisplayDamaged,   // `row`, `file`: the display image does not decode
        ThumbnailDamaged, // `row`, `file`: the thumbnail does not decode
        LeftoverFile,     // `file`: a temporary an interrupted program left in the folder (a note)
        CellCutShort,     // `cell`: the last cell, whose record the file's end cut short (dropped)
    };
    struct Problem
    {
        Kind kind;
        int row = 0;  // visible row after the open, 0 for none
        int cell = 0; // position of the cell in the file, 0 for none
        std::string file;
    };

    // Whether a finding of this kind leaves a send working: a note, not a
    // problem.
    static bool IsNote(Kind kind) { return kind == UnnamedFile || kind == LeftoverFile; }

    // Reads and checks the project file at `path`. Problems are listed in
    // row order, then the unnamed files by name. Display images and
    // thumbnails are decoded as a send decodes them (within the decoder's
    // bounds).
    CProjectFile::ReadStatus Run(const std::string& path);

    CProjectFile Project;
    std::string Folder;  // the folder the project file is in, trailing '/'
    CCellInfoList Cells; // as read; cells an open would drop are marked deleted
    std::vector<Problem> Problems;
};
