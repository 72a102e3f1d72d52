#pragma once

#include "show/showstep.h"

#include <string>
#include <vector>

class CCellInfoList;
class CUserPrompt;

// The steps of a show in the order the card player meets them, built from a
// project's cells, from one scenario file on a card, or from a card's
// autorun list (its scenarios one after the other, looping with REPEAT).
// Building reads only; nothing is written.
class CShowSequence
{
public:
    enum Failure
    {
        NoFailure,
        CannotRead, // `FailedFile` is missing or unreadable
        Damaged,    // `FailedFile` is damaged at `FailedLine`
        NoScenario, // a card without an autorun list naming a present scenario
    };

    // The visible cells of `cells` (their pictures in the project folder).
    void FromCells(const CCellInfoList& cells, uint32_t backColor);
    // A project file, read as it stands on disk.
    bool FromProjectFile(const std::string& path);
    // A scenario file and its picture folder beside it.
    bool FromScenarioFile(const std::string& path);
    // The scenarios of a card's autorun list, in order.
    bool FromCard(const std::string& root);
    // Any of the three by what `path` is: a ".sic", a ".sit" or a folder.
    bool FromPath(const std::string& path);

    const std::vector<CShowStep>& Steps() const { return m_steps; }
    bool Repeat() const { return m_repeat; }
    // Whether any step would show (at least one is on).
    bool HasPlayableStep() const;
    // The index of the first step at or after `index` that is on (-1: none).
    int FirstOnFrom(int index) const;
    // The number of pictures that are on, and the 1-based number of the
    // picture at step `index` among them (0 for a control step).
    int PictureCount() const;
    int PictureNumber(int index) const;

    // Says through `prompt` why the show cannot play (`what` names it);
    // false when it can.
    bool ReportUnplayable(const std::string& what, CUserPrompt* prompt) const;

    Failure LastFailure() const { return m_failure; }
    const std::string& FailedFile() const { return m_failedFile; }
    int FailedLine() const { return m_failedLine; }
    // The step of the first visible cell at or after visible row `row`
    // (1-based), for a show started from a project's selected row.
    int StepOfRow(int row) const;

private:
    bool AppendScenario(const std::string& path, int scenario);
    bool Fail(Failure failure, const std::string& file, int line = 0);

    std::vector<CShowStep> m_steps;
    std::vector<int> m_rows; // project source: visible row of each step
    bool m_repeat = false;
    Failure m_failure = NoFailure;
    std::string m_failedFile;
    int m_failedLine = 0;
};
