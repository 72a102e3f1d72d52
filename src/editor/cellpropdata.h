#pragma once

#include <string>

// The values of the cell properties dialog: what the editor fills in before
// the dialog opens and reads back after OK. One image cell (single mode) or
// several cells of any kind (multiple mode, with "unchanged" values: motion
// -1, interval 0 when the cells differ, validMulti 2, effect -1 or -2).
struct CCellPropData
{
    int number = 0;    // row number shown (single mode)
    std::string name;  // RefFilePath (single mode)
    int page = 0;      // RefPage (single mode)
    int interval = 30; // AutoIntervalSec
    int motion = -1;   // MotionType; -1 no button chosen
    int valid = 0;     // CellValid (single mode)
    int effect = 0;    // Effect; -1 nothing chosen, -2 no image cell
    bool multiple = false;
    bool hasImageCells = true; // the effect list takes part
    int initialInterval = 30;  // the interval as the dialog opened
    int validMulti = 2;        // multiple mode: 0 off, 1 on, 2 mixed
};
