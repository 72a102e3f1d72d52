#include "cli/cliprompt.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "cli/clicommand.h"
#include "cli/clisupport.h"
#include "cli/terminalprogress.h"

#include <cctype>
#include <cstdio>
#include <iostream>
#include <string>
#include <unistd.h>

CCliPrompt::CCliPrompt(Policy policy, bool messageIds) : m_policy(policy), m_messageIds(messageIds)
{}

CUserPrompt::Answer CCliPrompt::Show(int id, const std::string& text, Icon, Buttons buttons)
{
    // A question the flags answer is not printed; an error that offers a
    // retry is a report first, and is printed.
    const bool question = buttons == OkCancel || buttons == YesNo || buttons == YesNoCancel ||
                          buttons == ReplaceCancel;
    if (!question || m_policy == AskTerminal)
        PrintLine(id, text);
    const Answer answer = Decide(buttons);
    if (answer == AnswerNo || answer == AnswerCancel)
        m_declined = true;
    return answer;
}

void CCliPrompt::PrintLine(int id, const std::string& text) const
{
    // A progress bar on the same terminal would run into the message.
    CTerminalProgress::ClearActiveLine();
    std::string line = "zelm: ";
    if (m_messageIds && id != 0)
        line += "[" + std::to_string(id) + "] ";
    line += text;
    std::fprintf(stderr, "%s\n", line.c_str());
}

std::string CCliPrompt::FillMessage(int id, const std::string& insert1,
                                    const std::string& insert2) const
{
    return CUserPrompt::FillMessage(id, CliEscapeControls(insert1), CliEscapeControls(insert2));
}

bool CCliPrompt::ParseReply(Buttons buttons, const std::string& reply, Answer& answer)
{
    std::string word;
    for (const char c : reply) {
        if (!std::isspace(static_cast<unsigned char>(c)))
            word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    const auto is = [&](const char* shortForm, const char* longForm) {
        return word == shortForm || word == longForm;
    };
    const bool yesNo = buttons == YesNo || buttons == YesNoCancel;
    if (yesNo && is("y", "yes"))
        answer = AnswerYes;
    else if (yesNo && is("n", "no"))
        answer = AnswerNo;
    else if (buttons == YesNoCancel && is("c", "cancel"))
        answer = AnswerCancel;
    else if (buttons == OkCancel && (is("o", "ok") || is("y", "yes")))
        answer = AnswerOk;
    else if (buttons == OkCancel && (is("c", "cancel") || is("n", "no")))
        answer = AnswerCancel;
    else if (buttons == RetryCancel && is("r", "retry"))
        answer = AnswerRetry;
    else if (buttons == ReplaceCancel && (is("r", "replace") || is("y", "yes")))
        answer = AnswerYes;
    else if (buttons == ReplaceCancel && (is("c", "cancel") || is("n", "no")))
        answer = AnswerCancel;
    else if (buttons == RetryCancel && is("c", "cancel"))
        answer = AnswerCancel;
    else
        return false;
    return true;
}

CUserPrompt::Answer CCliPrompt::Decide(Buttons buttons)
{
    if (buttons == Ok)
        return AnswerOk;
    const bool yesNo = buttons == YesNo || buttons == YesNoCancel;
    const Answer yes = yesNo || buttons == ReplaceCancel ? AnswerYes
                       : buttons == RetryCancel          ? AnswerRetry
                                                         : AnswerOk;
    const Answer no = buttons == YesNo         ? AnswerNo
                      : buttons == YesNoCancel ? AnswerNo
                                               : AnswerCancel;
    switch (m_policy) {
    case AlwaysYes:
        // Retrying without a person to fix the cause would loop for ever.
        return buttons == RetryCancel ? AnswerCancel : yes;
    case AlwaysNo:
        return no;
    case AskTerminal:
        break;
    }
    if (!isatty(STDIN_FILENO) || !isatty(STDERR_FILENO)) {
        // A script that forgot --yes learns why nothing happened.
        if (buttons != RetryCancel)
            PrintLine(MsgId::NoTerminalToAsk, CResourceBundle::Text(MsgId::NoTerminalToAsk));
        return no;
    }
    const char* choices = buttons == YesNoCancel     ? "[y]es/[n]o/[c]ancel"
                          : yesNo                    ? "[y]es/[n]o"
                          : buttons == RetryCancel   ? "[r]etry/[c]ancel"
                          : buttons == ReplaceCancel ? "[r]eplace/[c]ancel"
                                                     : "[o]k/[c]ancel";
    for (;;) {
        std::fprintf(stderr, "%s? ", choices);
        std::string reply;
        if (!std::getline(std::cin, reply))
            return no;
        Answer answer = no;
        if (ParseReply(buttons, reply, answer))
            return answer;
    }
}

int CCliPrompt::FailureStatus() const
{
    return m_declined ? ExitDeclined : ExitFailed;
}
