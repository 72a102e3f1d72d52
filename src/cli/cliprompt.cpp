#include "cli/cliprompt.h"

#include "cli/clicommand.h"
#include "cli/terminalprogress.h"

#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

CCliPrompt::CCliPrompt(Policy policy, bool messageIds)
    : m_policy(policy), m_messageIds(messageIds)
{
}

CUserPrompt::Answer CCliPrompt::Show(int id, const std::string& text, Icon, Buttons buttons)
{
    // A progress bar on the same terminal would run into the message.
    CTerminalProgress::ClearActiveLine();
    std::string line = "zelm: ";
    if (m_messageIds && id != 0)
        line += "[" + std::to_string(id) + "] ";
    line += text;
    std::fprintf(stderr, "%s\n", line.c_str());
    const Answer answer = Decide(buttons);
    if (answer == AnswerNo || answer == AnswerCancel)
        m_declined = true;
    return answer;
}

CUserPrompt::Answer CCliPrompt::Decide(Buttons buttons)
{
    if (buttons == Ok)
        return AnswerOk;
    const bool yesNo = buttons == YesNo || buttons == YesNoCancel;
    const Answer yes = yesNo ? AnswerYes : buttons == RetryCancel ? AnswerRetry : AnswerOk;
    const Answer no = buttons == YesNo ? AnswerNo : buttons == YesNoCancel ? AnswerNo : AnswerCancel;
    switch (m_policy) {
    case AlwaysYes:
        // Retrying without a person to fix the cause would loop for ever.
        return buttons == RetryCancel ? AnswerCancel : yes;
    case AlwaysNo:
        return no;
    case AskTerminal:
        break;
    }
    if (!isatty(STDIN_FILENO) || !isatty(STDERR_FILENO))
        return no;
    const char* choices = buttons == YesNoCancel ? "[y]es/[n]o/[c]ancel"
                          : yesNo                ? "[y]es/[n]o"
                          : buttons == RetryCancel ? "[r]etry/[c]ancel"
                                                   : "[o]k/[c]ancel";
    for (;;) {
        std::fprintf(stderr, "%s? ", choices);
        std::string reply;
        if (!std::getline(std::cin, reply))
            return no;
        const char c = reply.empty() ? '\0' : static_cast<char>(std::tolower(reply[0]));
        if (yesNo && c == 'y')
            return AnswerYes;
        if (yesNo && c == 'n')
            return AnswerNo;
        if (buttons == RetryCancel && c == 'r')
            return AnswerRetry;
        if (buttons == OkCancel && c == 'o')
            return AnswerOk;
        if (c == 'c' && buttons != YesNo)
            return AnswerCancel;
    }
}

int CCliPrompt::FailureStatus() const
{
    return m_declined ? ExitDeclined : ExitFailed;
}
