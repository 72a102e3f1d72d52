#pragma once

#include <array>
#include <cstdint>
#include <string>

// One step of a show as the card player meets it: a picture, or a control
// step that shows no picture of its own and waits.
struct CShowStep
{
    bool control = false;
    bool on = true;      // CellValid: a step that is off is skipped
    bool timed = false;  // MotionType 1: goes on by itself
    int intervalSec = 0; // AutoIntervalSec, in force when timed
    int effect = 0;      // transition to this picture, 0 to 41
    std::array<int32_t, 11> disolve{0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0};
    int inputDev = 0;         // control step: the input it waits for
    std::string picture;      // full path of the picture ("" when none)
    std::string pictureName;  // the name to show when the picture is missing
    std::string label;        // what the step is called (announced)
    uint32_t backColor = 0;   // 0x00BBGGRR of its project or scenario
    int scenario = 0;         // index of the scenario (card source), else 0
    std::string scenarioFile; // the .sit it comes from ("" for a project)
};
