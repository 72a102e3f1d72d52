#include "output/autoruneditor.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/userprompt.h"
#include "output/cardfolder.h"

#include <algorithm>
#include <set>

std::string CAutorunEditor::AutorunPath(const std::string& root)
{
    return CCardFolder::PathFor(root, CSfcFile::FileName, CCardFolder::FileEntry);
}

bool CAutorunEditor::LockDrive(const std::string& root, CUserPrompt* prompt, int waitMs)
{
    if (!m_lock.Acquire(root, waitMs)) {
        if (prompt)
            prompt->Show(m_lock.FailureMessageId(), m_lock.FailureMessage(),
                         CUserPrompt::Exclamation, CUserPrompt::Ok);
        return false;
    }
    if (m_lock.IsHeld())
        CCardLock::RemoveRootLeftovers(root);
    return true;
}

void CAutorunEditor::LoadDrive(const std::string& root, CUserPrompt* prompt)
{
    m_available.clear();
    m_autorun.clear();
    m_file.Reset();
    m_repeat = m_file.Repeat();
    m_root = root;
    m_refused = false;
    m_declined = false;
    if (root.empty())
        return;
    for (const std::string& name : CCardFolder::FilesWithExtension(root, ".SIT"))
        m_available.push_back(CAsciiCase::Upper(name));
    // A list that cannot be written (a write-protected card) counts as none.
    const std::string path = AutorunPath(root);
    if (!FileExists(path, false))
        return;
    // A list cut short by a second "[Autorun]" header keeps what was read
    // before it: starting empty would throw the list away at OK.
    const bool loaded = m_file.Load(path, prompt);
    m_refused = m_file.IsRefused();
    if (loaded || !m_file.Path().empty()) {
        m_file.RemoveMissing();
        for (const std::string& entry : m_file.Entries()) {
            if (!entry.empty())
                m_autorun.push_back(entry);
        }
        m_repeat = m_file.Repeat();
    }
}

bool CAutorunEditor::Contains(const std::string& name) const
{
    return std::any_of(m_autorun.begin(), m_autorun.end(),
                       [&](const std::string& listed) { return CAsciiCase::Equal(listed, name); });
}

int CAutorunEditor::Add(const std::vector<std::string>& names, CUserPrompt* prompt)
{
    return static_cast<int>(Insert(names, -1, prompt).size());
}

std::vector<int> CAutorunEditor::Insert(const std::vector<std::string>& names, int index,
                                        CUserPrompt* prompt)
{
    std::vector<int> inserted;
    int at = (index < 0 || index > static_cast<int>(m_autorun.size()))
                 ? static_cast<int>(m_autorun.size())
                 : index;
    for (const std::string& name : names) {
        if (name.empty())
            continue;
        if (Contains(name)) {
            AskUser(prompt, MsgId::AlreadyInAutorun, CUserPrompt::Information, CUserPrompt::Ok,
                    name);
            continue;
        }
        m_autorun.insert(m_autorun.begin() + at, name);
        inserted.push_back(at++);
    }
    return inserted;
}

void CAutorunEditor::Remove(const std::vector<int>& indexes)
{
    const std::set<int> doomed(indexes.begin(), indexes.end());
    std::vector<std::string> kept;
    for (int i = 0; i < static_cast<int>(m_autorun.size()); ++i) {
        if (!doomed.count(i))
            kept.push_back(m_autorun[static_cast<size_t>(i)]);
    }
    m_autorun = std::move(kept);
}

std::vector<int> CAutorunEditor::Move(const std::vector<int>& selected, int dropIndex)
{
    const int count = static_cast<int>(m_autorun.size());
    std::set<int> picked;
    for (int i : selected) {
        if (i >= 0 && i < count)
            picked.insert(i);
    }
    if (picked.empty())
        return {};
    std::vector<std::string> moved;
    for (int i : picked)
        moved.push_back(m_autorun[static_cast<size_t>(i)]);
    // The drop position counts the remaining entries before it: entries
    // taken out ahead of it shift it down. The entry under the cursor is
    // one of them only when it lies before the drop point, so dropping an
    // entry on itself leaves it where it was.
    int at = (dropIndex < 0 || dropIndex > count) ? -1 : dropIndex;
    if (at >= 0)
        at -= static_cast<int>(
            std::count_if(picked.begin(), picked.end(), [&](int i) { return i < dropIndex; }));
    Remove(selected);
    if (at < 0)
        at = static_cast<int>(m_autorun.size());
    std::vector<int> result;
    for (const std::string& name : moved) {
        m_autorun.insert(m_autorun.begin() + at, name);
        result.push_back(at++);
    }
    return result;
}

bool CAutorunEditor::Apply(CUserPrompt* prompt)
{
    m_declined = false;
    if (m_root.empty())
        return false;
    // The list on the card could not be read: its entries are unknown, and
    // only the user may decide to replace them.
    if (m_refused && AskUser(prompt, MsgId::AutorunReplaceUnreadable, CUserPrompt::Question,
                             CUserPrompt::YesNo, AutorunPath(m_root)) != CUserPrompt::AnswerYes) {
        m_declined = true;
        return false;
    }
    // A caller that did not lock the card from the start holds it at least
    // while the list is written.
    if (!m_lock.IsHeld() && !LockDrive(m_root, prompt))
        return false;
    std::vector<std::string> entries;
    for (const std::string& entry : m_autorun) {
        if (!entry.empty())
            entries.push_back(entry);
    }
    m_file.SetEntries(std::move(entries));
    m_file.SetRepeat(m_repeat);
    if (!m_file.Save(AutorunPath(m_root), prompt))
        return false;
    m_refused = false;
    return true;
}
