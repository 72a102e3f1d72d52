#pragma once

#include "cli/terminalprogress.h"
#include "document/zurdoc.h"

#include <QByteArray>
#include <memory>
#include <string>
#include <vector>

class CCliPrompt;
class CCellInfoList;
class CScenarioEditor;
struct CCliArgs;
struct CCliCommand;

// Helpers of the command-line commands that edit a project through the
// editing controller, as the project window would.

// Selects the 1-based `rows` (and nothing else) in the editor's rows.
void CliSelectRows(CScenarioEditor& editor, const std::vector<int>& rows);

// Saves the project when the edit changed it. The exit status: done, or
// the failure status after the save's message.
int CliSaveIfModified(CZurDoc& doc, CCliPrompt& prompt);

// Ends a command that inserted cells (ok: what the insertion returned). A
// cancel drops what was inserted (status 3), and so does a failure (status
// 1): a command that failed part-way saves nothing, so that trying it again
// does not insert its first cells twice. Otherwise the project is saved.
int CliFinishInsertion(CScenarioEditor& editor, CZurDoc& doc, CCliPrompt& prompt, bool ok);

// Applies --before ROW, when given, as the editor's insertion row. ExitDone,
// or the usage status for a row out of range.
int CliApplyBefore(const CCliCommand& command, const CCliArgs& args, CScenarioEditor& editor);

// Usage errors found before the project's lock is waited for: the project
// file is read without its lock and `text` (ROWS, or one ROW when `single`)
// is checked against the rows it can show at most. ExitDone when the rows
// may be right (the check after the open has the last word), else the usage
// status at once.
int CliCheckRowsEarly(const CCliCommand& command, const std::string& project,
                      const std::string& text, bool single);
// The same for --before ROW, when given, against `project`.
int CliCheckBeforeEarly(const CCliCommand& command, const CCliArgs& args,
                        const std::string& project);

// Reads a whole file; false when it cannot be read.
bool CliReadFile(const std::string& path, QByteArray& bytes);

// The start that every command on ROWS shares: the project (first argument)
// opened as the window opens it, its editor, and ROWS (second argument)
// parsed and selected. The editor goes before the document it edits.
class CCliRowsEdit
{
public:
    explicit CCliRowsEdit(const CCliArgs& args);
    ~CCliRowsEdit();

    // ExitDone when the project is open and ROWS selected; otherwise the
    // exit status to end with (its message or usage text printed).
    int Open(const CCliCommand& command, const CCliArgs& args, CCliPrompt& prompt);

    CTerminalProgress progress;
    // Whether the command may change the project (and so takes its lock).
    bool forChange = true;
    CZurDoc doc;
    std::unique_ptr<CScenarioEditor> editor;
    std::vector<int> rows; // 1-based
};

// The start that every inserting command shares: --before checked early,
// the project (first argument) opened with its lock, its editor set up for
// an insertion that keeps nothing when stopped, and --before applied.
class CCliInsertion
{
public:
    explicit CCliInsertion(const CCliArgs& args);
    ~CCliInsertion();

    // ExitDone when the project is open and the editor ready; otherwise the
    // exit status to end with (its message or usage text printed).
    int Open(const CCliCommand& command, const CCliArgs& args, CCliPrompt& prompt);

    CTerminalProgress progress;
    CZurDoc doc;
    std::unique_ptr<CScenarioEditor> editor;
};
