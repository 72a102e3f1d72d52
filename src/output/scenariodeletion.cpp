#include "output/scenariodeletion.h"

#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/safefile.h"
#include "base/userprompt.h"
#include "output/cardfolder.h"
#include "output/cardlock.h"
#include "output/sfcfile.h"

#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

bool CScenarioDeletion::DeleteOne(const std::string& root, const std::string& name)
{
    // Only a file of the card's root, never anything a name could reach
    // outside it.
    const std::string file = CCardFolder::Find(root, name, CCardFolder::FileEntry);
    const std::string folder =
        CCardFolder::Find(root, CCardFolder::BaseName(name), CCardFolder::FolderEntry);
    // A scenario whose file is gone (an interrupted send or deletion) is
    // still deleted when its folder stands.
    if (file.empty() && folder.empty())
        return false;
    std::error_code ec;
    if (!file.empty() && (!fs::remove(fs::path(file), ec) || ec))
        return false;
    if (folder.empty())
        return true; // no folder: nothing left of the scenario
    if (!EmptyFolder(folder + '/') || !CSafeFile::RemoveLeftovers(folder + '/'))
        return false;
    // A folder that keeps entries of its own (subfolders, hidden files) stays.
    fs::remove(fs::path(folder), ec);
    return true;
}

CScenarioDeletion::Result CScenarioDeletion::DeleteScenarios(const std::string& root,
                                                             const std::vector<std::string>& names,
                                                             CUserPrompt* prompt)
{
    Result result;
    // The card's lock from the first deletion to the pruned autorun list.
    CCardLock cardLock;
    if (!cardLock.Acquire(root)) {
        if (prompt)
            prompt->Show(cardLock.FailureMessageId(), cardLock.FailureMessage(),
                         CUserPrompt::Exclamation, CUserPrompt::Ok);
        result.failed = 1;
        return result;
    }
    if (cardLock.IsHeld())
        CCardLock::RemoveRootLeftovers(root);
    for (const std::string& name : names) {
        if (name.empty())
            continue;
        const std::string base = CCardFolder::BaseName(name);
        const CUserPrompt::Answer answer =
            AskUser(prompt, MsgId::AskDeleteScenario, CUserPrompt::Question,
                    CUserPrompt::YesNoCancel, base);
        if (answer == CUserPrompt::AnswerNo) {
            result.declined = true;
            continue;
        }
        if (answer != CUserPrompt::AnswerYes) {
            result.declined = true;
            break;
        }
        result.attempted = true;
        if (DeleteOne(root, name)) {
            ++result.deleted;
        } else {
            ++result.failed;
            AskUser(prompt, MsgId::ScenarioNotDeleted, CUserPrompt::Exclamation, CUserPrompt::Ok,
                    base);
        }
    }
    if (result.attempted)
        PruneAutorun(root, prompt);
    return result;
}

void CScenarioDeletion::PruneAutorun(const std::string& root, CUserPrompt* prompt)
{
    const std::string path = CCardFolder::Find(root, CSfcFile::FileName, CCardFolder::FileEntry);
    if (path.empty())
        return;
    CSfcFile list;
    if (!list.Load(path, prompt))
        return;
    list.RemoveMissing();
    if (list.IsModified())
        list.Save(path, prompt);
}
