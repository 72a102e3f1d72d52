#pragma once

#include "base/volumelist.h"
#include "output/scenarioexport.h"

#include <functional>
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

    // How a send ended; `wantsAutorun`: the user asked for the autorun
    // editor.
    using SendDone = std::function<void(CScenarioExport::Outcome outcome, bool wantsAutorun)>;

    // Send of a saved project (7144 otherwise): the card choice, then the
    // send as a job; after it, the autorun editor when asked for. `ended`
    // runs when it is all over (also when it never started). `lastRoot` must
    // outlive the send.
    static void SendProject(CZurDoc& document, CUserPrompt* prompt, QWidget* parent,
                            std::string& lastRoot, std::function<void(bool sent)> ended = {});
    // The send itself as a job on a worker thread. `parent` is the project
    // window: it takes no input while the send runs and must stay until
    // `done`; the progress window beside it keeps Cancel, and the program's
    // other windows stay usable. Questions are asked on the window's thread.
    // `done` runs there when the send has ended; a send refused at once (the
    // project changed or is busy) calls it before returning, with Declined.
    // `identity`: the card as the user chose it (when valid).
    static void SendTo(CZurDoc& document, const std::string& root, CUserPrompt* prompt,
                       QWidget* parent, SendDone done, const CCardIdentity& identity = {});
    // The autorun editor on the card the choice offers (see CCardOffer);
    // `justSent`: on `lastRoot`, the card a send has just written.
    static void EditAutorun(CUserPrompt* prompt, QWidget* parent, std::string& lastRoot,
                            bool justSent = false);
    // The scenario choice, then the deletion of each ticked scenario.
    static void DeleteScenarios(CUserPrompt* prompt, QWidget* parent, std::string& lastRoot);
};
