#include "output/scenariodeletion.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/safefile.h"
#include "base/userprompt.h"
#include "output/carddir.h"
#include "output/cardfolder.h"
#include "output/cardlock.h"
#include "output/cardscenariowriter.h"
#include "output/sfcfile.h"

#include <algorithm>

bool CScenarioDeletion::DeleteOne(const std::string& root, const std::string& name,
                                  CUserPrompt* prompt)
{
    // Only entries of the card's root, reached without following a link:
    // never anything a name or a link could reach outside the card.
    CCardDir card;
    if (!CCardFolder::IsPlainName(name) || !card.OpenRoot(root))
        return false;
    const std::string base = CCardFolder::BaseName(name);
    const std::string file = card.Find(name);
    const std::string folder = card.Find(base);
    // A scenario whose file is gone (an interrupted send or deletion) is
    // still deleted when its folder stands.
    if (file.empty() && folder.empty())
        return false;
    for (const std::string& entry : {file, folder}) {
        const CCardDir::EntryType type = entry.empty() ? CCardDir::Missing : card.TypeOf(entry);
        if (type == CCardDir::Link || type == CCardDir::Other) {
            const int id = type == CCardDir::Other             ? MsgId::CardFolderOtherVolume
                           : CCardDir::LinkLeaves(root, entry) ? MsgId::CardLinkOutside
                                                               : MsgId::CardLinkInside;
            AskUser(prompt, id, CUserPrompt::Exclamation, CUserPrompt::Ok, root + entry);
            return false;
        }
    }
    if (!file.empty() && !card.RemoveFile(file))
        return false;
    if (folder.empty())
        return true; // no folder: nothing left of the scenario
    CCardDir pictures = card.OpenFolder(folder);
    if (!pictures.IsOpen())
        return false;
    // The scenario's pictures and what an interrupted writer left; anything
    // else the user keeps there stays, and keeps the folder.
    for (const std::string& entry : pictures.Names()) {
        if (pictures.TypeOf(entry) == CCardDir::Folder)
            continue;
        if ((CCardScenarioWriter::IsScenarioPicture(entry, base) ||
             entry.rfind(CSafeFile::kTempPrefix, 0) == 0) &&
            !pictures.RemoveFile(entry))
            return false;
    }
    card.RemoveFolder(folder);
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
    // Which scenarios the card starts by itself: deleting one of them
    // changes what the card does when it is put in, so the question says so.
    CSfcFile autorun;
    const std::string listPath =
        CCardFolder::Find(root, CSfcFile::FileName, CCardFolder::FileEntry);
    if (!listPath.empty())
        autorun.Load(listPath, nullptr);
    const auto started = [&](const std::string& name) {
        for (const std::string& entry : autorun.Entries())
            if (CAsciiCase::Equal(entry, name))
                return true;
        return false;
    };
    const size_t asked = size_t(
        std::count_if(names.begin(), names.end(), [](const std::string& n) { return !n.empty(); }));
    for (const std::string& name : names) {
        if (name.empty())
            continue;
        const std::string base = CCardFolder::BaseName(name);
        // One scenario: a plain yes or no; several: Cancel stops the rest.
        const CUserPrompt::Answer answer = AskUser(
            prompt, started(name) ? MsgId::AskDeleteStartedScenario : MsgId::AskDeleteScenario,
            CUserPrompt::Question, asked == 1 ? CUserPrompt::YesNo : CUserPrompt::YesNoCancel,
            base);
        if (answer == CUserPrompt::AnswerNo) {
            result.declined = true;
            continue;
        }
        if (answer != CUserPrompt::AnswerYes) {
            result.declined = true;
            break;
        }
        result.attempted = true;
        if (DeleteOne(root, name, prompt)) {
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
