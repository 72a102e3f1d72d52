#pragma once

#include "output/carddir.h"

#include <QByteArray>
#include <functional>
#include <string>
#include <vector>

class CProgress;

// Puts a staged scenario on a card so that a cut send (a kill, a pulled
// card, a power loss) leaves the old show or the new one, each whole:
// the new pictures go to a hidden folder and the new scenario file to a
// hidden name, both flushed and read back; only then do three renames in
// the card's root swap them in (one directory block on a card, written at
// one flush), and only after that are the old pictures deleted. Files in
// the scenario folder that are not this scenario's pictures stay.
class CCardScenarioWriter
{
public:
    struct Input
    {
        std::string name;    // the scenario's name: NAME.sit and the folder NAME
        std::string staging; // the folder (trailing '/') holding the new files
        // The card files to copy from it, cell by cell (a progress step each).
        std::vector<std::vector<std::string>> cells;
        QByteArray scenario;         // the new scenario file
        bool removeOldFirst = false; // no room for the old and the new together
        bool verify = true;
    };

    // What stopped a write.
    enum Outcome
    {
        Written,
        Cancelled,
        Failed,      // `Failure()` says which file and why
        CheckFailed, // the scenario written does not pass the card check; the old one is back
        Stopped      // the step hook stopped it, as a kill would: nothing was cleaned
    };

    // Called before each change of the card with its number (from 1) and
    // what it does. 0 goes on; a negative answer stops the writer there,
    // leaving the card as a killed program would; a positive one fails that
    // step with that system error (a card that fails under the writer).
    using StepHook = std::function<int(int step, const std::string& what)>;

    explicit CCardScenarioWriter(CCardDir& root);
    void SetStepHook(StepHook hook) { m_hook = std::move(hook); }
    // Whether the root still is the card chosen (asked before every phase).
    void SetCardCheck(std::function<bool()> stillThere) { m_stillThere = std::move(stillThere); }

    Outcome Write(const Input& input, CProgress* progress);
    const CCardDir::Failure& Failure() const { return m_failure; }
    // After CheckFailed: the problems the card check found.
    const std::vector<std::string>& CheckProblems() const { return m_problems; }
    // Whether the card was not the chosen one any more.
    bool CardGone() const { return m_cardGone; }

    // The hidden names of a send of `name` under way.
    static std::string NewFolderName(const std::string& name);
    static std::string NewFileName(const std::string& name);
    static std::string OldFolderName(const std::string& name);
    // Whether `entry` of the root is what a cut send of any scenario left.
    static bool IsLeftover(const std::string& entry);
    // Whether `file` is one of the pictures or thumbnails a send of
    // scenario `name` writes: the name's card prefix, digits, eight
    // characters in all, and .JPG, .BMP or .JPS (any case).
    static bool IsScenarioPicture(const std::string& file, const std::string& name);
    // Cleans what a cut send of `name` left in the root: its hidden new
    // files go, the files of its old folder that are not pictures move to
    // the scenario folder. false when something could not be cleaned.
    static bool CleanLeftovers(CCardDir& root, const std::string& name);

private:
    // `path`: the file a failure the hook makes is about.
    bool Step(const std::string& what, const std::string& path = {});
    // After a failed step: Stopped, or Failed with the new files removed.
    Outcome Halt(const Input& input);
    bool Fail(const CCardDir& where);
    bool StillThere();
    bool RemoveOldShow(const Input& input);
    bool CopyFiles(const Input& input, CCardDir& folder, CProgress* progress);
    bool Swap(const Input& input);
    void UndoSwap(const Input& input);
    void DiscardNew(const Input& input);
    bool FinishOld(const Input& input);

    CCardDir& m_root;
    StepHook m_hook;
    std::function<bool()> m_stillThere;
    int m_step = 0;
    bool m_stopped = false;
    bool m_cardGone = false;
    CCardDir::Failure m_failure;
    std::vector<std::string> m_problems;
    // The old show as found before the swap.
    std::string m_oldFile;     // its scenario file's name, "" when none
    std::string m_oldFolder;   // its folder's name, "" when none
    QByteArray m_oldScenario;  // its scenario file's bytes, to put back
    std::string m_finalFolder; // the folder's name after the swap
    bool m_swapped = false;
};
