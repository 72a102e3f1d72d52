#pragma once

#include "document/projectlock.h"

#include <QMdiSubWindow>
#include <memory>
#include <string>

class CGuiCellDialogs;
class CScenarioEditor;
class CScenarioView;
class CSlidePPTObj;
class CUserPrompt;
class CZurDoc;
struct CProjectSettings;

// One open project's window inside the main frame. It is the one owner of
// the project's document, its editing controller and the project's lock, and
// it hosts the project view; the view and the dialogs get references for as
// long as the frame lives.
class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT
public:
    // `shared`: the program's shared presentation object, for the editor.
    CChildFrame(CUserPrompt* prompt, const QFont& headerFont, const QImage& controlPicture,
                QWidget* parent = nullptr, CSlidePPTObj* shared = nullptr);
    ~CChildFrame() override;

    CZurDoc& Document() const { return *m_doc; }
    CScenarioEditor& Editor() const { return *m_editor; }
    CScenarioView* View() const { return m_view; }

    // Opens a project file; false (the user has been told why) leaves the
    // frame empty, to be destroyed by the caller.
    bool OpenProject(const std::string& projectFile);
    // A new project from the project dialog's answer.
    bool NewProject(const CProjectSettings& settings);
    // A new project made from a presentation; `projectFile` receives the
    // project file made.
    bool NewFromPresentation(const std::string& presentation, std::string& projectFile);
    // Save as with the dialog's answer; the lock moves to the new file.
    bool SaveAs(const std::string& name, const std::string& folder);
    // Project properties with the dialog's answer: a new name or folder
    // takes the new project file's lock first and keeps the old one when
    // the change fails.
    bool ChangeProperties(const CProjectSettings& settings);
    // The project file, "" before the first save.
    std::string PathName() const;
    // Whether this window holds the lock of its project file.
    bool HoldsProjectLock() const { return m_lock.IsHeld(); }
    // A long operation runs on the project: it may not close.
    bool IsBusy() const;

    // The window title follows the project and its modified flag.
    void UpdateTitle();

    // Asks whether to save a modified project: true when the frame may
    // close (saved, or the user chose not to save), false on Cancel or a
    // failed save. "No" only marks the changes to be dropped when the frame
    // closes.
    bool SaveModified();
    // Forgets a "No" of a close that was cancelled afterwards.
    void ForgetCloseAnswer() { m_discardConfirmed = false; }
    bool Save();

    // Frame size that holds the view at its minimum size.
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void TitleChanged();
    // The view's commands that the main frame carries out.
    void CommandStatesChanged();
    void SendRequested(CChildFrame* child);
    void PrintRequested(CChildFrame* child);
    // A project made from a presentation closes without ever being saved:
    // its folder goes with it, and it is no recent project.
    void NewProjectDiscarded(const QString& projectFile);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // Takes the project's lock for `projectFile`; tells the user why not.
    bool LockProject(const std::string& projectFile);

    CUserPrompt* m_prompt;
    // Declared before the document: released only after it has closed.
    CProjectLock m_lock;
    std::unique_ptr<CZurDoc> m_doc;
    std::unique_ptr<CScenarioEditor> m_editor;
    std::unique_ptr<CGuiCellDialogs> m_dialogs;
    CScenarioView* m_view = nullptr;
    bool m_discardConfirmed = false;
    // Made from a presentation in a folder of its own and not saved by the
    // user since; the folder to take back when it closes unsaved.
    std::string m_unsavedNewFolder;
    bool m_takeBackFolder = false;
};
