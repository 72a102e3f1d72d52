#include "base/userprompt.h"

#include "base/resourcebundle.h"

CUserPrompt::Answer CUserPrompt::Message(int id, Icon icon, Buttons buttons,
                                         const std::string& insert1, const std::string& insert2)
{
    return Show(id, FillMessage(id, insert1, insert2), icon, buttons);
}

std::string CUserPrompt::FillMessage(int id, const std::string& insert1,
                                     const std::string& insert2) const
{
    return CResourceBundle::Format(id, insert1, insert2);
}

CUserPrompt::Answer AskUser(CUserPrompt* prompt, int id, CUserPrompt::Icon icon,
                            CUserPrompt::Buttons buttons, const std::string& insert1,
                            const std::string& insert2)
{
    if (prompt)
        return prompt->Message(id, icon, buttons, insert1, insert2);
    switch (buttons) {
    case CUserPrompt::Ok:
        return CUserPrompt::AnswerOk;
    case CUserPrompt::YesNo:
        return CUserPrompt::AnswerNo;
    default:
        return CUserPrompt::AnswerCancel;
    }
}
