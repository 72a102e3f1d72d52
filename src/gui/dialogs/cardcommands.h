#pragma once

#include "base/volumelist.h"
#include "output/scenarioexport.h"

#include <string>
#include <vector>

class CUserPrompt;
class CZurDoc;
class QWidget;

// The card commands of the window program, from the dialogs to the work:
// Send (card choice, progress window, the offer of the autorun editor), the
// autorun editor, and the deletion of scenarios. `lastRoot` is the card used
// last: chosen first in the next dialog, updated by each command and kept in
// the settings for the next start (CCardOffer).
class CCardCommands
{
public:
    // The volumes a card can be chosen from (CVolumeList::CardVolumes).
    static std::vector<CVolumeList::Volume> Volumes();

    // Send of a saved project (7144 otherwise). true when it reached a card.
    static bool SendProject(CZurDoc& document, CUserPrompt* prompt, QWidget* parent,
                            std::string& lastRoot);
    // The send itself, with the progress window over `parent`.
    // `wantsAutorun` tells whether the user asked for the autorun editor.
    // `identity`: the card as the user chose it (when valid).
    static CScenarioExport::Outcome SendTo(CZurDoc& document, const std::string& root,
                                           CUserPrompt* prompt, QWidget* parent, bool& wantsAutorun,
                                           const CCardIdentity& identity = {});
    // The autorun editor on the card the choice offers (see CCardOffer);
    // `justSent`: on `lastRoot`, the card a send has just written.
    static void EditAutorun(CUserPrompt* prompt, QWidget* parent, std::string& lastRoot,
                            bool justSent = false);
    // The scenario choice, then the deletion of each ticked scenario.
    static void DeleteScenarios(CUserPrompt* prompt, QWidget* parent, std::string& lastRoot);
};
