#pragma once

#include "base/userprompt.h"

// The command line's way of asking: numbered messages go to standard error as
// "zelm: <text>" ("zelm: [7132] <text>" with --message-ids); a question is
// answered by --yes / --no, else asked on the terminal, else answered No.
class CCliPrompt : public CUserPrompt
{
public:
    enum Policy { AskTerminal, AlwaysYes, AlwaysNo };

    CCliPrompt(Policy policy, bool messageIds);
    Answer Show(int id, const std::string& text, Icon icon, Buttons buttons) override;

    // Whether the user declined a question (No or Cancel) since the start.
    bool Declined() const { return m_declined; }
    // The exit status for an operation that failed: 3 when the user declined
    // something, else 1.
    int FailureStatus() const;

private:
    Answer Decide(Buttons buttons);

    Policy m_policy;
    bool m_messageIds;
    bool m_declined = false;
};
