#include "cli/clieditsupport.h"

#include "base/outsidefile.h"
#include "cli/clicommand.h"
#include "cli/cliprompt.h"
#include "cli/clisupport.h"
#include "document/projectfile.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "model/cellinfolist.h"

#include <QFile>

void CliSelectRows(CScenarioEditor& editor, const std::vector<int>& rows)
{
    editor.Rows().ClearSelection();
    for (const int row : rows)
        editor.Rows().SetSel(row - 1, true);
}

int CliSaveIfModified(CZurDoc& doc, CCliPrompt& prompt)
{
    if (!doc.IsModified())
        return ExitDone;
    return doc.Save() ? ExitDone : prompt.FailureStatus();
}

int CliFinishInsertion(CScenarioEditor& editor, CZurDoc& doc, CCliPrompt& prompt, bool ok)
{
    if (editor.LastInsertCancelled()) {
        // Ctrl-C: nothing of the insertion is kept; the files it made go
        // with the added cells.
        doc.CloseWithoutSaving();
        return ExitDeclined;
    }
    if (!ok) {
        // The insertion has said why (a file it could not write names the
        // reason, a full disk above all).
        doc.CloseWithoutSaving();
        return prompt.FailureStatus();
    }
    const int saved = CliSaveIfModified(doc, prompt);
    if (saved != ExitDone)
        return saved;
    return ok ? ExitDone : prompt.FailureStatus();
}

bool CliReadFile(const std::string& path, QByteArray& bytes)
{
    QFile file;
    if (COutsideFile::Open(path, file).IsFailure())
        return false;
    bytes = file.readAll();
    return file.error() == QFileDevice::NoError;
}

CCliRowsEdit::CCliRowsEdit(const CCliArgs& args) : progress(args.quiet) {}

CCliRowsEdit::~CCliRowsEdit()
{
    editor.reset();
}

int CCliRowsEdit::Open(const CCliCommand& command, const CCliArgs& args, CCliPrompt& prompt)
{
    if (const int early = CliCheckRowsEarly(command, args.positional[0], args.positional[1], false);
        early != ExitDone)
        return early;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress, forChange))
        return prompt.FailureStatus();
    editor = std::make_unique<CScenarioEditor>(doc);
    std::string error;
    if (!CliParseRows(args.positional[1], editor->Rows().GetCount(), rows, error))
        return CliUsage(command, error);
    CliSelectRows(*editor, rows);
    return ExitDone;
}

CCliInsertion::CCliInsertion(const CCliArgs& args) : progress(args.quiet) {}

CCliInsertion::~CCliInsertion()
{
    editor.reset();
}

int CCliInsertion::Open(const CCliCommand& command, const CCliArgs& args, CCliPrompt& prompt)
{
    if (const int early = CliCheckBeforeEarly(command, args, args.positional[0]); early != ExitDone)
        return early;
    if (!CliOpenProject(args.positional[0], doc, prompt, &progress))
        return prompt.FailureStatus();
    editor = std::make_unique<CScenarioEditor>(doc);
    // Ctrl-C keeps nothing of an insertion here.
    editor->SetTellStoppedInsertions(false);
    editor->SetProgress(&progress);
    return CliApplyBefore(command, args, *editor);
}

int CliCheckRowsEarly(const CCliCommand& command, const std::string& project,
                      const std::string& text, bool single)
{
    // An open never shows more rows than the file has visible cells (it
    // may drop some), so a row beyond those is wrong whoever holds the lock.
    CProjectFile file;
    CCellInfoList cells;
    if (file.ReadFile(project, cells) != CProjectFile::ReadOk)
        return ExitDone; // the open says what is wrong with the file
    int visible = 0;
    for (int i = 0; i < cells.GetCount(); ++i)
        if (cells.GetAt(i)->IsVisible())
            ++visible;
    std::string error;
    std::vector<int> rows;
    int row = 0;
    const bool ok =
        single ? CliParseRow(text, visible, row, error) : CliParseRows(text, visible, rows, error);
    return ok ? ExitDone : CliUsage(command, error);
}

int CliCheckBeforeEarly(const CCliCommand& command, const CCliArgs& args,
                        const std::string& project)
{
    if (!args.Has("before"))
        return ExitDone;
    return CliCheckRowsEarly(command, project, args.Value("before"), true);
}

int CliApplyBefore(const CCliCommand& command, const CCliArgs& args, CScenarioEditor& editor)
{
    if (!args.Has("before"))
        return ExitDone;
    int row = 0;
    std::string error;
    if (!CliParseRow(args.Value("before"), editor.Rows().GetCount(), row, error))
        return CliUsage(command, error);
    editor.SetInsertionIndex(row - 1);
    return ExitDone;
}
