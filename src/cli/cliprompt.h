#pragma once

#include "base/userprompt.h"

// The command line's way of asking: numbered messages go to standard error as
// "zelm: <text>" ("zelm: [7132] <text>" with --message-ids); a question is
// answered by --yes / --no (and then not printed), else asked on the
// terminal, else answered No.
class CCliPrompt : public CUserPrompt
{
public:
    enum Policy
    {
        AskTerminal,
        AlwaysYes,
        AlwaysNo
    };

    CCliPrompt(Policy policy, bool messageIds);
    // With --yes or --no a question is answered without being printed.
    Answer Show(int id, const std::string& text, Icon icon, Buttons buttons) override;
    // Inserts (file and scenario names from outside) with their control
    // characters escaped, so that a name cannot move the cursor or hide text.
    std::string FillMessage(int id, const std::string& insert1,
                            const std::string& insert2 = {}) const override;

    // A reply typed on the terminal: y/yes, n/no, o/ok, c/cancel, r/retry in
    // any case; y/yes also answers an OK question. false when it answers
    // nothing that `buttons` offers.
    static bool ParseReply(Buttons buttons, const std::string& reply, Answer& answer);

    // Whether the user declined a question (No or Cancel) since the start.
    bool Declined() const { return m_declined; }
    // The exit status for an operation that failed: 3 when the user declined
    // something, else 1.
    int FailureStatus() const;

private:
    Answer Decide(Buttons buttons);
    // "zelm: [ID] TEXT" on standard error.
    void PrintLine(int id, const std::string& text) const;

    Policy m_policy;
    bool m_messageIds;
    bool m_declined = false;
};
