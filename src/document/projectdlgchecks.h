#pragma once

#include <cstdint>
#include <string>

class CUserPrompt;

// What the new-project / project-properties dialog and the save-as dialog
// check when the user presses OK, without widgets: the window program's
// dialogs and the command line use the same checks. Every refusal shows its
// message through the prompt and names the field that gets the focus.
class CProjectDlgChecks
{
public:
    enum Outcome
    {
        Accepted,  // name and folder are final; the folder exists
        Refused,   // a message was shown; the dialog stays open
        Cancelled, // the user cancelled at the existing-folder question
    };
    enum Focus
    {
        FocusNone,
        FocusName,
        FocusFolder
    };

    static constexpr int MaxNameLength = 8;
    static constexpr int MaxFolderLength = 259;
    static constexpr int BackColorCount = 16;

    // Background colour entry `index` (0..15) as 0x00BBGGRR; 0 outside.
    static uint32_t BackColorAt(int index);
    // The entry whose colour is `color`, -1 when none.
    static int BackColorIndex(uint32_t color);

    // The folder the dialog proposes while the name is typed: base + name.
    static std::string ProposedFolder(const std::string& baseFolder, const std::string& name);
    // The folder that holds `folder` (with a trailing '/'): the base folder of
    // the properties and save-as dialogs.
    static std::string ParentFolder(const std::string& folder);

    // OK of the new-project dialog (editMode false) or of the project
    // properties (editMode true, `currentFolder` the project's folder).
    // On Accepted `folder` is the full path with a trailing '/', created
    // when it was missing (or the current folder, unchanged, in edit mode).
    static Outcome CheckProject(CUserPrompt* prompt, std::string& name, std::string& folder,
                                bool editMode, const std::string& currentFolder, Focus& focus);
    // OK of the save-as dialog: the same checks, refusing the current folder.
    static Outcome CheckSaveAs(CUserPrompt* prompt, std::string& name, std::string& folder,
                               const std::string& currentFolder, Focus& focus);

private:
    enum class Kind
    {
        NewProject,
        Properties,
        SaveAs
    };
    static Outcome Check(Kind kind, CUserPrompt* prompt, std::string& name, std::string& folder,
                         const std::string& currentFolder, Focus& focus);
};
