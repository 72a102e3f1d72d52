#pragma once

#include "base/progress.h"

#include <functional>
#include <string>
#include <vector>

// A progress for tests: counts steps, keeps the texts, and reports a cancel
// when the step count reaches `cancelAtStep` (or at the given query).
class CScriptedProgress : public CProgress
{
public:
    void SetRange(int lower, int upper) override { rangeLower = lower, rangeUpper = upper; }
    void SetStep(int s) override { step = s; }
    void SetPos(int p) override { pos = p; }
    void StepIt() override
    {
        pos += step;
        ++steps;
        if (onStep)
            onStep();
    }
    void SetText(const std::string& t) override { texts.push_back(t); }
    void SetCaption(const std::string& c) override { caption = c; }
    bool IsCancelled() override
    {
        ++queries;
        if (onQuery)
            onQuery();
        if ((cancelAtStep >= 0 && steps >= cancelAtStep) ||
            (cancelAtQuery >= 0 && queries > cancelAtQuery)) {
            cancelAtStep = cancelAtQuery = -1;
            return true;
        }
        return false;
    }
    void Show(bool v) override { visible = v; }

    int rangeLower = 0, rangeUpper = 100, step = 1, pos = 0, steps = 0, queries = 0;
    int cancelAtStep = -1;  // cancel at the first query once this many steps were made
    int cancelAtQuery = -1; // cancel at query number cancelAtQuery + 1
    bool visible = false;
    std::vector<std::string> texts;
    std::string caption;
    // Run at every step: a test starts a second command from here.
    std::function<void()> onStep;
    // Run at every cancel query.
    std::function<void()> onQuery;
};
