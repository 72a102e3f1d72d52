#pragma once

#include "base/userprompt.h"

#include <deque>
#include <functional>
#include <string>
#include <vector>

// A prompt for tests: records every message and answers from a script
// (then with the default answer: Yes / Ok / Retry-less Cancel).
class CScriptedPrompt : public CUserPrompt
{
public:
    struct Shown
    {
        int id;
        std::string text;
        Icon icon;
        Buttons buttons;
    };

    Answer Show(int id, const std::string& text, Icon icon, Buttons buttons) override
    {
        shown.push_back({id, text, icon, buttons});
        if (onShow)
            onShow(id);
        if (!answers.empty()) {
            const Answer a = answers.front();
            answers.pop_front();
            return a;
        }
        switch (buttons) {
        case YesNo:
        case YesNoCancel:
            return defaultYes ? AnswerYes : AnswerNo;
        case RetryCancel:
        case OkCancel:
            return AnswerCancel;
        case ReplaceCancel:
            return defaultYes ? AnswerYes : AnswerCancel;
        case Ok:
            break;
        }
        return AnswerOk;
    }

    std::vector<int> Ids() const
    {
        std::vector<int> ids;
        for (const Shown& s : shown)
            ids.push_back(s.id);
        return ids;
    }

    std::deque<Answer> answers;
    // Run as each message is shown: a test acts while the program waits.
    std::function<void(int id)> onShow;
    std::vector<Shown> shown;
    bool defaultYes = true;
};
