#pragma once

#include <QString>
#include <cstdint>
#include <memory>
#include <string>

class CCellInfoList;
class CPlayerWnd;
class CShowSequence;
class CUserPrompt;
class QWidget;

// The ways a show starts: from the command line (it plays and the program
// ends), for the active project (from its selected row), and for a
// scenario chosen on a card. Every failure is said once through the prompt;
// nothing is ever written.
class CShowLauncher
{
public:
    // `zelm-tessara --play PATH`: a project file, a scenario file or a card
    // folder. Plays on the primary screen and returns the exit status: 0
    // when the show ran (and ended by the user or at its end), 1 when it
    // could not start or the card was taken out.
    static int PlayFromCommandLine(const QString& path, CUserPrompt* prompt, bool windowed = false);
    // The project's visible cells from visible row `row` (1-based), full
    // screen on `parent`'s screen; the player window is returned (it
    // deletes itself when the show ends), or null after a message.
    static CPlayerWnd* PlayProject(const CCellInfoList& cells, uint32_t backColor,
                                   const std::string& projectName, int row, CUserPrompt* prompt,
                                   QWidget* parent);
    // Asks for a scenario file (or a card folder) starting on the card a
    // card choice offers (`lastRoot` while it is there, see CCardOffer) and
    // plays it.
    static CPlayerWnd* PlayScenario(CUserPrompt* prompt, QWidget* parent,
                                    const std::string& lastRoot);
    // A sequence built from `path` as the command line builds it, or null
    // after its message (`what` names it in messages).
    static std::unique_ptr<CShowSequence> Load(const std::string& path, CUserPrompt* prompt);

private:
    static CPlayerWnd* Launch(std::unique_ptr<CShowSequence> sequence, int step,
                              CUserPrompt* prompt, QWidget* parent, bool windowed);
};
