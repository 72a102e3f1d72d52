#pragma once

#include "document/projectlock.h"

#include <QMdiSubWindow>
#include <functional>
#include <memory>
#include <string>

class CScenarioEditor;
class CUserPrompt;
class CZurDoc;

// One open project's window inside the main frame. It is the one owner of
// the project's document, its editing controller and the project's lock, and
// it hosts the project view; the view and the dialogs get references for as
// long as the frame lives.
class CChildFrame : public QMdiSubWindow
{
    Q_OBJECT
public:
    // Makes the widget that shows a project (the project view).
    using ViewFactory = std::function<QWidget*(CZurDoc&, CScenarioEditor&, QWidget* parent)>;

    CChildFrame(CUserPrompt* prompt, const ViewFactory& makeView, QWidget* parent = nullptr);
    ~CChildFrame() override;

    CZurDoc& Document() const { return *m_doc; }
    CScenarioEditor& Editor() const { return *m_editor; }
    QWidget* View() const { return m_view; }

    // Opens a project file; false (the document has reported why) leaves
    // the frame empty, to be destroyed by the caller.
    bool OpenProject(const std::string& projectFile);
    // A new project made from a presentation; `projectFile` receives the
    // project file made.
    bool NewFromPresentation(const std::string& presentation, std::string& projectFile);
    // The project file, "" before the first save.
    std::string PathName() const;

    // Whether this window holds the lock of its project file.
    bool HoldsProjectLock() const { return m_lock.IsHeld(); }

    // The window title follows the project file's name and the modified flag.
    void UpdateTitle();

    // Asks whether to save a modified project: true when the frame may
    // close (saved, or the user chose not to save), false on Cancel or a
    // failed save.
    // "No" only marks the changes to be dropped when the frame closes.
    bool SaveModified();
    // Forgets a "No" of a close that was cancelled afterwards.
    void ForgetCloseAnswer() { m_discardConfirmed = false; }
    bool Save();

    // Frame size that holds the view at its minimum size.
    QSize minimumSizeHint() const override;

Q_SIGNALS:
    void TitleChanged();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void AttachView();
    // Takes the project's lock for `projectFile`; tells the user why not.
    bool LockProject(const std::string& projectFile);

    CUserPrompt* m_prompt;
    // Declared before the document: released only after it has closed.
    CProjectLock m_lock;
    std::unique_ptr<CZurDoc> m_doc;
    std::unique_ptr<CScenarioEditor> m_editor;
    ViewFactory m_makeView;
    QWidget* m_view = nullptr;
    bool m_discardConfirmed = false;
};
