#pragma once

// The values of the control cell dialog.
struct CCtrlPropData
{
    int valid = 0;     // CellValid
    int number = 0;    // row number shown
    int motion = -1;   // MotionType; -1 no button chosen
    int inputDev = -1; // InputDev 0..2; -1 no button chosen
    int interval = 30; // AutoIntervalSec
};
