#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "support/casename.h"

#include <QTemporaryFile>
#include <cstdio>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

namespace {

// Points standard input at /dev/null (nobody to ask) and standard error at a
// file for the lifetime of the object; Text() is what was written there.
class Redirected
{
public:
    Redirected()
    {
        m_file.open();
        std::fflush(stderr);
        m_savedErr = ::dup(STDERR_FILENO);
        m_savedIn = ::dup(STDIN_FILENO);
        ::dup2(m_file.handle(), STDERR_FILENO);
        const int null = ::open("/dev/null", O_RDONLY);
        ::dup2(null, STDIN_FILENO);
        ::close(null);
    }
    ~Redirected() { Restore(); }
    std::string Text()
    {
        Restore();
        m_file.seek(0);
        return m_file.readAll().toStdString();
    }

private:
    void Restore()
    {
        if (m_savedErr < 0)
            return;
        std::fflush(stderr);
        ::dup2(m_savedErr, STDERR_FILENO);
        ::dup2(m_savedIn, STDIN_FILENO);
        ::close(m_savedErr);
        ::close(m_savedIn);
        m_savedErr = m_savedIn = -1;
    }

    QTemporaryFile m_file;
    int m_savedErr = -1;
    int m_savedIn = -1;
};

struct AnswerCase
{
    CCliPrompt::Policy policy;
    CUserPrompt::Buttons buttons;
    CUserPrompt::Answer answer;
    bool declined;
};

class CliPromptAnswers : public ::testing::TestWithParam<AnswerCase>
{
};

} // namespace

TEST_P(CliPromptAnswers, AnswerAsTheFlagsSay)
{
    const AnswerCase& c = GetParam();
    Redirected io;
    CCliPrompt prompt(c.policy, false);
    EXPECT_EQ(prompt.Show(MsgId::AskUseExistingFolder, "exists", CUserPrompt::Question, c.buttons),
              c.answer);
    EXPECT_EQ(prompt.Declined(), c.declined);
    EXPECT_EQ(prompt.FailureStatus(), c.declined ? ExitDeclined : ExitFailed);
    // A question that --yes or --no answers is not printed; reports are.
    const bool question = c.buttons == CUserPrompt::YesNo ||
                          c.buttons == CUserPrompt::YesNoCancel ||
                          c.buttons == CUserPrompt::OkCancel;
    const bool printed = !question || c.policy == CCliPrompt::AskTerminal;
    std::string expected = printed ? "zelm: exists\n" : "";
    // Asked with nobody to answer, it says which flag answers it.
    if (question && c.policy == CCliPrompt::AskTerminal)
        expected += "zelm: " + CResourceBundle::Text(MsgId::NoTerminalToAsk) + "\n";
    EXPECT_EQ(io.Text(), expected);
}

using P = CCliPrompt;
using U = CUserPrompt;

std::string ButtonsName(U::Buttons buttons)
{
    switch (buttons) {
    case U::YesNo:
        return "YesNo";
    case U::YesNoCancel:
        return "YesNoCancel";
    case U::OkCancel:
        return "OkCancel";
    case U::RetryCancel:
        return "RetryCancel";
    case U::Ok:
        return "Ok";
    default:
        return "Buttons" + std::to_string(int(buttons));
    }
}

INSTANTIATE_TEST_SUITE_P(Table, CliPromptAnswers,
                         ::testing::Values(
                             // --yes
                             AnswerCase{P::AlwaysYes, U::YesNo, U::AnswerYes, false},
                             AnswerCase{P::AlwaysYes, U::YesNoCancel, U::AnswerYes, false},
                             AnswerCase{P::AlwaysYes, U::OkCancel, U::AnswerOk, false},
                             AnswerCase{P::AlwaysYes, U::Ok, U::AnswerOk, false},
                             // Retrying with nobody to fix the cause would never end.
                             AnswerCase{P::AlwaysYes, U::RetryCancel, U::AnswerCancel, true},
                             // --no
                             AnswerCase{P::AlwaysNo, U::YesNo, U::AnswerNo, true},
                             AnswerCase{P::AlwaysNo, U::YesNoCancel, U::AnswerNo, true},
                             AnswerCase{P::AlwaysNo, U::OkCancel, U::AnswerCancel, true},
                             AnswerCase{P::AlwaysNo, U::RetryCancel, U::AnswerCancel, true},
                             AnswerCase{P::AlwaysNo, U::Ok, U::AnswerOk, false},
                             // Neither, and no terminal to ask on: No.
                             AnswerCase{P::AskTerminal, U::YesNo, U::AnswerNo, true},
                             AnswerCase{P::AskTerminal, U::YesNoCancel, U::AnswerNo, true},
                             AnswerCase{P::AskTerminal, U::OkCancel, U::AnswerCancel, true},
                             AnswerCase{P::AskTerminal, U::RetryCancel, U::AnswerCancel, true},
                             AnswerCase{P::AskTerminal, U::Ok, U::AnswerOk, false}),
                         [](const auto& info) {
                             const P::Policy policy = info.param.policy;
                             const std::string name = policy == P::AlwaysYes  ? "Yes"
                                                      : policy == P::AlwaysNo ? "No"
                                                                              : "Terminal";
                             return name + "_" + ButtonsName(info.param.buttons);
                         });

struct ReplyCase
{
    CUserPrompt::Buttons buttons;
    const char* reply;
    bool understood;
    CUserPrompt::Answer answer;
};

class CliPromptReplies : public ::testing::TestWithParam<ReplyCase>
{
};

TEST_P(CliPromptReplies, ATypedReplyAnswersWhatTheButtonsOffer)
{
    const ReplyCase& c = GetParam();
    CUserPrompt::Answer answer = CUserPrompt::AnswerNo;
    EXPECT_EQ(CCliPrompt::ParseReply(c.buttons, c.reply, answer), c.understood) << c.reply;
    if (c.understood) {
        EXPECT_EQ(answer, c.answer) << c.reply;
    }
}

INSTANTIATE_TEST_SUITE_P(Table, CliPromptReplies,
                         ::testing::Values(ReplyCase{U::YesNo, "y", true, U::AnswerYes},
                                           ReplyCase{U::YesNo, "YES\n", true, U::AnswerYes},
                                           ReplyCase{U::YesNo, " no ", true, U::AnswerNo},
                                           ReplyCase{U::YesNo, "yellow", false, U::AnswerNo},
                                           ReplyCase{U::YesNo, "c", false, U::AnswerNo},
                                           ReplyCase{U::YesNoCancel, "cancel", true,
                                                     U::AnswerCancel},
                                           // y/yes answers an OK question too.
                                           ReplyCase{U::OkCancel, "y", true, U::AnswerOk},
                                           ReplyCase{U::OkCancel, "Yes", true, U::AnswerOk},
                                           ReplyCase{U::OkCancel, "ok", true, U::AnswerOk},
                                           ReplyCase{U::OkCancel, "n", true, U::AnswerCancel},
                                           ReplyCase{U::RetryCancel, "retry", true, U::AnswerRetry},
                                           ReplyCase{U::RetryCancel, "y", false, U::AnswerNo},
                                           ReplyCase{U::YesNo, "", false, U::AnswerNo}),
                         [](const auto& info) {
                             return ButtonsName(info.param.buttons) + "_" +
                                    CaseNameSpelled(info.param.reply);
                         });

TEST(CliPrompt, ControlCharactersOfInsertsAreEscaped)
{
    Redirected io;
    CCliPrompt prompt(CCliPrompt::AlwaysYes, false);
    prompt.Message(MsgId::FileDoesNotExist, CUserPrompt::Exclamation, CUserPrompt::Ok,
                   "a\x1b[2Jb\nc\x7f\xc2\x9b.jpg");
    EXPECT_EQ(io.Text(),
              "zelm: " +
                  CResourceBundle::Format(MsgId::FileDoesNotExist, "a\\x1b[2Jb\\nc\\x7f\\x9b.jpg") +
                  "\n");
}

TEST(CliPrompt, MessageIdsPrefixTheNumber)
{
    Redirected io;
    CCliPrompt prompt(CCliPrompt::AlwaysYes, true);
    const std::string text = CResourceBundle::Format(MsgId::SendFailed, "Trip");
    prompt.Message(MsgId::SendFailed, CUserPrompt::Exclamation, CUserPrompt::Ok, "Trip");
    prompt.Show(0, "No such file or directory", CUserPrompt::Error, CUserPrompt::Ok);
    EXPECT_EQ(io.Text(), "zelm: [7132] " + text + "\nzelm: No such file or directory\n");
    EXPECT_NE(text.find("Trip"), std::string::npos);
}

TEST(CliPrompt, WithoutMessageIdsOnlyTheText)
{
    Redirected io;
    CCliPrompt prompt(CCliPrompt::AlwaysNo, false);
    prompt.Message(MsgId::FolderNotCreated, CUserPrompt::Error, CUserPrompt::Ok,
                   "/media/card/TRIP/");
    EXPECT_EQ(io.Text(),
              "zelm: " + CResourceBundle::Format(MsgId::FolderNotCreated, "/media/card/TRIP/") +
                  "\n");
    EXPECT_FALSE(prompt.Declined());
}

TEST(CliPrompt, ADeclineIsRememberedForTheExitStatus)
{
    Redirected io;
    CCliPrompt prompt(CCliPrompt::AlwaysNo, false);
    EXPECT_EQ(prompt.FailureStatus(), ExitFailed);
    prompt.Message(MsgId::AskUseExistingFolder, CUserPrompt::Question, CUserPrompt::YesNo,
                   "/media/card/TRIP.SIT");
    prompt.Message(MsgId::SendFailed, CUserPrompt::Exclamation, CUserPrompt::Ok, "Trip");
    EXPECT_TRUE(prompt.Declined());
    EXPECT_EQ(prompt.FailureStatus(), ExitDeclined);
}
