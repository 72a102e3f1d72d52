#pragma once

#include <string>
#include <vector>

class CUserPrompt;

// The file operations of the browser: giving a file or folder a new name in
// place, and copying or moving dropped files into a folder. Each refuses
// what would lose data and tells the user why, once.
class CBrowserFileOps
{
public:
    explicit CBrowserFileOps(CUserPrompt* prompt) : m_prompt(prompt) {}

    // Renames `path` to `newName` (blanks trimmed) in the same folder. The
    // name is checked like every file name the user types; an existing item
    // of that name is never replaced. `newPath` receives the new full path.
    bool Rename(const std::string& path, const std::string& newName, std::string& newPath);
    // Whether `files` may be dropped on `folder`: not when one of them is
    // already directly in it, is the folder itself or holds it.
    static bool CanDropInto(const std::vector<std::string>& files, const std::string& folder);
    // Copies (move false) or moves the files and folders into `folder`.
    // An item whose name exists there already is left out with a message;
    // the others go on. false when any item failed.
    bool CopyOrMove(const std::vector<std::string>& files, const std::string& folder, bool move);

private:
    CUserPrompt* m_prompt;
};
