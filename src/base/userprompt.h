#pragma once

#include <string>

// How a class of the core asks the user something or tells them something.
// The window program answers with message boxes, the command line with its
// flags or a terminal question, tests with scripted answers.
class CUserPrompt
{
public:
    enum Icon
    {
        Information,
        Exclamation,
        Error,
        Question
    };
    enum Buttons
    {
        Ok,
        OkCancel,
        YesNo,
        YesNoCancel,
        RetryCancel,
        ReplaceCancel // Replace answers AnswerYes
    };
    enum Answer
    {
        AnswerOk,
        AnswerCancel,
        AnswerYes,
        AnswerNo,
        AnswerRetry
    };

    virtual ~CUserPrompt() = default;

    // Shows message `id` of the resource bundle with its inserts and returns
    // the button the user chose.
    Answer Message(int id, Icon icon = Exclamation, Buttons buttons = Ok,
                   const std::string& insert1 = {}, const std::string& insert2 = {});

    // Message `id` with its inserts filled in as this prompt shows them
    // (the command line escapes control characters of outside names).
    virtual std::string FillMessage(int id, const std::string& insert1,
                                    const std::string& insert2 = {}) const;

    // Shows a text that has no number (the system's text for an error code).
    // `id` is 0 then; otherwise the text is message `id` already filled.
    virtual Answer Show(int id, const std::string& text, Icon icon, Buttons buttons) = 0;
};

// Shows the message through `prompt`, or answers as a closed message box would
// (Cancel, No or Ok) when there is nobody to ask.
CUserPrompt::Answer AskUser(CUserPrompt* prompt, int id, CUserPrompt::Icon icon,
                            CUserPrompt::Buttons buttons, const std::string& insert1 = {},
                            const std::string& insert2 = {});
