#pragma once

#include <string>
#include <vector>

class CUserPrompt;

// Deleting scenarios from a card: for each scenario file name the user is
// asked (Yes / No for one scenario, Yes / No / Cancel for several; the
// question says when the card starts that scenario by itself); Yes deletes
// the scenario file, then the scenario's pictures in its folder and the
// folder when nothing else is left in it. Nothing is reached through a link. A scenario that cannot
// be deleted completely is reported (7145) and the next one is handled. When anything was
// attempted, the card's autorun list drops the scenarios that are gone.
class CScenarioDeletion
{
public:
    struct Result
    {
        bool attempted = false; // a Yes was given for at least one name
        int failed = 0;         // scenarios reported with 7145
        int deleted = 0;
        bool declined = false; // a No or Cancel was given
    };

    // Holds the card's lock throughout; another program's lock is reported
    // and counts as one failure.
    static Result DeleteScenarios(const std::string& root, const std::vector<std::string>& names,
                                  CUserPrompt* prompt);
    // Deletes one scenario without asking: its file, its pictures and its
    // folder when that is left empty (also when the file is gone). false
    // when neither is there, one is a link (said through `prompt`), the
    // file could not be deleted or a picture not removed. The caller holds
    // the card's lock.
    static bool DeleteOne(const std::string& root, const std::string& name,
                          CUserPrompt* prompt = nullptr);
    // Loads the card's autorun list, drops the missing scenarios and writes
    // it back when that changed something.
    static void PruneAutorun(const std::string& root, CUserPrompt* prompt);
};
