#include "output/cardscenariowriter.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/progress.h"
#include "base/resourcebundle.h"
#include "base/safefile.h"
#include "output/cardcheck.h"
#include "output/scenariocheck.h"

#include <cerrno>

namespace {

constexpr const char* kNewPrefix = ".zelmnew-";
constexpr const char* kOldPrefix = ".zelmold-";

bool cancelled(CProgress* progress)
{
    return progress && progress->IsCancelled();
}

// Empties and removes the hidden folder `name` of `root` that only a send
// writes into; false when it stays.
bool removeOwnFolder(CCardDir& root, const std::string& name)
{
    CCardDir folder = root.OpenFolder(name);
    if (folder.IsOpen())
        for (const std::string& entry : folder.Names())
            if (folder.TypeOf(entry) != CCardDir::Folder)
                folder.RemoveFile(entry);
    return root.RemoveFolder(name);
}

// The old folder `oldName` of scenario `name` after its pictures have left
// the show: they go, anything else moves on to `keeper`, the folder the
// scenario has now (or stays where nothing may take it).
bool settleOldFolder(CCardDir& root, const std::string& oldName, const std::string& name,
                     const std::string& keeper)
{
    CCardDir old = root.OpenFolder(oldName);
    if (!old.IsOpen())
        return root.TypeOf(oldName) == CCardDir::Missing;
    CCardDir target = keeper.empty() ? CCardDir() : root.OpenFolder(keeper);
    for (const std::string& entry : old.Names()) {
        // The pictures, and what an interrupted writer left, go.
        if ((CCardScenarioWriter::IsScenarioPicture(entry, name) ||
             entry.rfind(CSafeFile::kTempPrefix, 0) == 0) &&
            old.TypeOf(entry) != CCardDir::Folder)
            old.RemoveFile(entry);
        else if (target.IsOpen() && target.TypeOf(entry) == CCardDir::Missing)
            old.MoveInto(entry, target);
    }
    return root.RemoveFolder(oldName);
}

} // namespace

CCardScenarioWriter::CCardScenarioWriter(CCardDir& root) : m_root(root) {}

std::string CCardScenarioWriter::NewFolderName(const std::string& name)
{
    return kNewPrefix + name;
}

std::string CCardScenarioWriter::NewFileName(const std::string& name)
{
    // Not ".sit": a player that lists the card's scenarios by extension
    // (through the short names of a FAT card) must not see it.
    return kNewPrefix + name + ".tmp";
}

std::string CCardScenarioWriter::OldFolderName(const std::string& name)
{
    return kOldPrefix + name;
}

bool CCardScenarioWriter::IsLeftover(const std::string& entry)
{
    return entry.rfind(kNewPrefix, 0) == 0 || entry.rfind(kOldPrefix, 0) == 0;
}

bool CCardScenarioWriter::IsScenarioPicture(const std::string& file, const std::string& name)
{
    const size_t dot = file.rfind('.');
    if (dot == std::string::npos || dot == 0 || dot > 8)
        return false;
    const std::string ext = CAsciiCase::Upper(file.substr(dot));
    if (ext != ".JPG" && ext != ".BMP" && ext != ".JPS")
        return false;
    const std::string stem = file.substr(0, dot);
    // The card name: a prefix of the scenario's name, then its number.
    for (size_t k = 0; k < stem.size() && k <= name.size(); ++k) {
        if (!CAsciiCase::Equal(stem.substr(0, k), name.substr(0, k)))
            break;
        if (stem.find_first_not_of("0123456789", k) == std::string::npos)
            return true;
    }
    return false;
}

bool CCardScenarioWriter::CleanLeftovers(CCardDir& root, const std::string& name)
{
    bool ok = true;
    const std::string newFolder = NewFolderName(name);
    switch (root.TypeOf(newFolder)) {
    case CCardDir::Missing:
        break;
    case CCardDir::Folder:
        ok = removeOwnFolder(root, newFolder) && ok;
        break;
    default: // never followed: a link or a stray file only loses its name
        ok = root.RemoveFile(newFolder) && ok;
    }
    if (root.TypeOf(NewFileName(name)) != CCardDir::Missing)
        ok = root.RemoveFile(NewFileName(name)) && ok;
    const std::string oldFolder = OldFolderName(name);
    if (root.TypeOf(oldFolder) == CCardDir::Folder) {
        const std::string keeper = root.Find(name);
        ok = settleOldFolder(root, oldFolder, name,
                             root.TypeOf(keeper) == CCardDir::Folder ? keeper : std::string()) &&
             ok;
    } else if (root.TypeOf(oldFolder) != CCardDir::Missing) {
        ok = root.RemoveFile(oldFolder) && ok;
    }
    return ok;
}

bool CCardScenarioWriter::Step(const std::string& what, const std::string& path)
{
    ++m_step;
    const int answer = m_hook ? m_hook(m_step, what) : 0;
    if (answer < 0)
        m_stopped = true;
    else if (answer > 0)
        m_failure = {path.empty() ? m_root.Path() : path, answer};
    return answer == 0;
}

CCardScenarioWriter::Outcome CCardScenarioWriter::Halt(const Input& input)
{
    if (m_stopped)
        return Stopped;
    DiscardNew(input);
    return Failed;
}

bool CCardScenarioWriter::Fail(const CCardDir& where)
{
    m_failure = where.LastFailure();
    return false;
}

bool CCardScenarioWriter::StillThere()
{
    if (m_stillThere && !m_stillThere()) {
        m_cardGone = true;
        return false;
    }
    return true;
}

CCardScenarioWriter::Outcome CCardScenarioWriter::Write(const Input& input, CProgress* progress)
{
    m_step = 0;
    m_stopped = m_cardGone = m_swapped = false;
    m_failure = {};
    m_problems.clear();
    const std::string target = input.name + ".sit";
    m_oldFile = m_root.Find(target);
    m_oldFolder = m_root.Find(input.name);
    if (!m_oldFile.empty() && m_root.TypeOf(m_oldFile) != CCardDir::File) {
        m_failure = {m_root.Path() + m_oldFile, ELOOP};
        return Failed;
    }
    if (!m_oldFolder.empty() && m_root.TypeOf(m_oldFolder) != CCardDir::Folder) {
        m_failure = {m_root.Path() + m_oldFolder, ELOOP};
        return Failed;
    }
    m_oldScenario.clear();
    if (!m_oldFile.empty())
        m_root.ReadFile(m_oldFile, CScenarioCheck::MaxFileSize, m_oldScenario);

    if (!StillThere())
        return Failed;
    const bool leftovers = m_root.TypeOf(NewFolderName(input.name)) != CCardDir::Missing ||
                           m_root.TypeOf(NewFileName(input.name)) != CCardDir::Missing ||
                           m_root.TypeOf(OldFolderName(input.name)) != CCardDir::Missing;
    if (leftovers && (!Step("clean") || !CleanLeftovers(m_root, input.name))) {
        if (!m_stopped && m_failure.error == 0)
            Fail(m_root);
        return m_stopped ? Stopped : Failed;
    }
    if (input.removeOldFirst && !RemoveOldShow(input))
        return Halt(input);

    const std::string newFolder = NewFolderName(input.name);
    if (!Step("folder"))
        return Halt(input);
    if (!m_root.MakeFolder(newFolder))
        return Fail(m_root), Failed;
    CCardDir folder = m_root.OpenFolder(newFolder);
    if (!folder.IsOpen())
        return Fail(folder), Halt(input);
    if (!CopyFiles(input, folder, progress)) {
        const Outcome outcome = Halt(input);
        return outcome == Failed && m_failure.error == 0 ? Cancelled : outcome;
    }
    if (!Step("flush"))
        return Halt(input);
    if (!folder.Flush())
        return Fail(folder), Halt(input);
    if (input.verify) {
        if (progress) {
            progress->SetText(CResourceBundle::Text(MsgId::VerifyingCard));
            progress->StepIt();
        }
        if (!Step("verify"))
            return Halt(input);
        if (!folder.Verify())
            return Fail(folder), Halt(input);
    }
    if (!Step("scenario") || !StillThere())
        return Halt(input);
    if (!m_root.WriteNew(NewFileName(input.name), input.scenario) || !m_root.Flush() ||
        (input.verify && !m_root.Verify()))
        return Fail(m_root), Halt(input);
    if (cancelled(progress)) {
        DiscardNew(input);
        return Cancelled;
    }
    if (!StillThere() || !Step("swap"))
        return Halt(input);
    if (!Swap(input)) {
        DiscardNew(input);
        return Failed;
    }
    if (!Step("flush swap") || !m_root.Flush()) {
        if (m_stopped)
            return Stopped;
        if (m_failure.error == 0)
            Fail(m_root);
        // A card that fails to keep the swap gets its old show back.
        UndoSwap(input);
        DiscardNew(input);
        return Failed;
    }
    m_problems = CCardCheck::CheckScenario(m_root.Path(), target);
    if (!m_problems.empty()) {
        UndoSwap(input);
        DiscardNew(input);
        return CheckFailed;
    }
    if (!Step("old"))
        return m_stopped ? Stopped : Failed;
    FinishOld(input);
    if (progress)
        progress->StepIt();
    return Written;
}

bool CCardScenarioWriter::RemoveOldShow(const Input& input)
{
    // The scenario file first, so that no moment has it naming pictures
    // that are gone.
    if (!m_oldFile.empty()) {
        if (!Step("remove old scenario"))
            return false;
        if (!m_root.RemoveFile(m_oldFile))
            return Fail(m_root);
        m_oldFile.clear();
        m_oldScenario.clear();
    }
    if (m_oldFolder.empty())
        return true;
    CCardDir old = m_root.OpenFolder(m_oldFolder);
    if (!old.IsOpen())
        return Fail(old);
    for (const std::string& entry : old.Names()) {
        if (!IsScenarioPicture(entry, input.name) || old.TypeOf(entry) == CCardDir::Folder)
            continue;
        if (!Step("remove old picture"))
            return false;
        if (!old.RemoveFile(entry))
            return Fail(old);
    }
    return true;
}

bool CCardScenarioWriter::CopyFiles(const Input& input, CCardDir& folder, CProgress* progress)
{
    for (const std::vector<std::string>& cell : input.cells) {
        if (cancelled(progress))
            return false;
        for (const std::string& file : cell) {
            if (!Step("copy " + file, folder.Path() + file))
                return false;
            if (!folder.CopyNew(input.staging + file, file))
                return Fail(folder);
        }
        if (progress)
            progress->StepIt();
    }
    return true;
}

bool CCardScenarioWriter::Swap(const Input& input)
{
    const std::string target = input.name + ".sit";
    const std::string oldFolder = OldFolderName(input.name);
    // The old scenario under the exact new name first (a change of case
    // only): the last rename then replaces it in one go.
    if (!m_oldFile.empty() && m_oldFile != target) {
        if (!m_root.Rename(m_oldFile, target))
            return Fail(m_root);
        m_oldFile = target;
    }
    if (!m_oldFolder.empty() && !m_root.Rename(m_oldFolder, oldFolder))
        return Fail(m_root);
    m_finalFolder = m_oldFolder.empty() ? input.name : m_oldFolder;
    if (!m_root.Rename(NewFolderName(input.name), m_finalFolder)) {
        Fail(m_root);
        if (!m_oldFolder.empty())
            m_root.Rename(oldFolder, m_oldFolder);
        return false;
    }
    if (!m_root.Rename(NewFileName(input.name), target)) {
        Fail(m_root);
        m_root.Rename(m_finalFolder, NewFolderName(input.name));
        if (!m_oldFolder.empty())
            m_root.Rename(oldFolder, m_oldFolder);
        return false;
    }
    m_swapped = true;
    return true;
}

void CCardScenarioWriter::UndoSwap(const Input& input)
{
    if (!m_swapped)
        return;
    const std::string target = input.name + ".sit";
    m_root.Rename(m_finalFolder, NewFolderName(input.name));
    if (!m_oldFolder.empty())
        m_root.Rename(OldFolderName(input.name), m_oldFolder);
    if (m_oldScenario.isEmpty()) {
        m_root.RemoveFile(target);
    } else {
        // The old scenario's bytes under a hidden name, then over the new one.
        m_root.RemoveFile(NewFileName(input.name));
        if (m_root.WriteNew(NewFileName(input.name), m_oldScenario))
            m_root.Rename(NewFileName(input.name), target);
    }
    m_root.Flush();
    m_swapped = false;
}

void CCardScenarioWriter::DiscardNew(const Input& input)
{
    if (m_root.TypeOf(NewFolderName(input.name)) == CCardDir::Folder)
        removeOwnFolder(m_root, NewFolderName(input.name));
    m_root.RemoveFile(NewFileName(input.name));
}

bool CCardScenarioWriter::FinishOld(const Input& input)
{
    const std::string oldFolder = OldFolderName(input.name);
    if (m_root.TypeOf(oldFolder) != CCardDir::Folder)
        return true;
    const bool ok = settleOldFolder(m_root, oldFolder, input.name, m_finalFolder);
    m_root.Flush();
    return ok;
}
