#include "gui/app/childframe.h"

#include "base/msgid.h"
#include "base/samepath.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "editor/newprojectfrompresentation.h"
#include "editor/scenarioeditor.h"
#include "gui/dialogs/guicelldialogs.h"
#include "gui/view/scenarioview.h"

#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStyle>

namespace {

// Another program (a `zelm` command) may be about to finish with it.
constexpr int kLockWaitMs = 1000;

} // namespace

CChildFrame::CChildFrame(CUserPrompt* prompt, const QFont& headerFont, const QImage& controlPicture,
                         QWidget* parent, CSlidePPTObj* shared)
    : QMdiSubWindow(parent), m_prompt(prompt), m_doc(std::make_unique<CZurDoc>(prompt))
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_editor = std::make_unique<CScenarioEditor>(*m_doc, shared);
    m_dialogs = std::make_unique<CGuiCellDialogs>(this, prompt);
    m_view = new CScenarioView(*m_doc, *m_editor, this);
    m_view->SetHeaderFont(headerFont);
    m_view->SetControlPicture(controlPicture);
    m_view->SetDialogs(m_dialogs.get());
    setWidget(m_view);
    connect(m_view, &CScenarioView::CommandStatesChanged, this, &CChildFrame::CommandStatesChanged);
    connect(m_view, &CScenarioView::SendRequested, this, [this] { Q_EMIT SendRequested(this); });
    connect(m_view, &CScenarioView::PrintRequested, this, [this] { Q_EMIT PrintRequested(this); });
    connect(m_view, &QWidget::windowTitleChanged, this, &CChildFrame::UpdateTitle);
}

CChildFrame::~CChildFrame()
{
    // The view refers to the editor and the document: it goes first.
    delete m_view;
    m_view = nullptr;
    m_editor.reset();
    const std::string projectFile = m_doc->GetPathName();
    m_doc.reset();
    m_lock.Release();
    // The discarded document has removed the pictures it made; the empty
    // project file and the folder made for it go too. A file someone else
    // put there keeps the folder.
    if (m_takeBackFolder) {
        QFile::remove(QString::fromStdString(projectFile));
        QDir().rmdir(QString::fromStdString(m_unsavedNewFolder));
    }
}

bool CChildFrame::LockProject(const std::string& projectFile)
{
    if (m_lock.Acquire(projectFile, kLockWaitMs))
        return true;
    if (m_prompt)
        m_prompt->Show(MsgId::ProjectLocked, m_lock.FailureMessage(), CUserPrompt::Exclamation,
                       CUserPrompt::Ok);
    return false;
}

bool CChildFrame::OpenProject(const std::string& projectFile)
{
    // Locked before it is read, so nobody changes it under the window.
    if (!LockProject(projectFile))
        return false;
    if (!m_doc->Open(projectFile)) {
        m_lock.Release();
        return false;
    }
    m_editor->UpdateAllViews();
    m_view->Refresh();
    UpdateTitle();
    return true;
}

bool CChildFrame::NewProject(const CProjectSettings& settings)
{
    if (!m_doc->NewProject(settings))
        return false;
    // A folder the dialog has just made ready: nobody else works in it.
    LockProject(m_doc->GetPathName());
    m_editor->UpdateAllViews();
    m_view->Refresh();
    UpdateTitle();
    return true;
}

bool CChildFrame::NewFromPresentation(const std::string& presentation, std::string& projectFile)
{
    // The slides go in through the view, with its progress window.
    CNewProjectFromPresentation command(
        *m_doc, [this](const QByteArray& block) { return m_view->InsertCellList(block); });
    if (!command.Run(presentation, projectFile))
        return false;
    if (command.MadeFolder())
        m_unsavedNewFolder =
            QFileInfo(QString::fromStdString(projectFile)).absolutePath().toStdString();
    // A new folder of our own: nobody else can have it yet.
    LockProject(projectFile);
    m_view->Refresh();
    UpdateTitle();
    return true;
}

bool CChildFrame::SaveAs(const std::string& name, const std::string& folder)
{
    if (m_doc->RefuseWhileBusy() || !m_doc->SaveAs(name, folder)) {
        UpdateTitle();
        return false;
    }
    // The old project's lock is given up once the new one is held.
    LockProject(m_doc->GetPathName());
    m_unsavedNewFolder.clear();
    m_view->Refresh();
    UpdateTitle();
    return true;
}

bool CChildFrame::ChangeProperties(const CProjectSettings& settings)
{
    if (m_doc->RefuseWhileBusy() || (m_view && m_view->IsBusy()))
        return false;
    const std::string oldFile = m_doc->GetPathName();
    std::string folder = settings.folder;
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    const std::string newFile = folder + settings.name + ".sic";
    const bool moves = !IsSamePath(oldFile, newFile);
    // Nobody may be working on the file the project moves to.
    if (moves && !LockProject(newFile))
        return false;
    const bool changed = m_doc->ChangeProperties(settings);
    if (changed)
        m_unsavedNewFolder.clear();
    // A failed change keeps (or takes back) the lock of the file it stays in.
    if (moves && !IsSamePath(m_lock.ProjectFile(), m_doc->GetPathName()))
        LockProject(m_doc->GetPathName());
    m_view->Refresh();
    UpdateTitle();
    return changed;
}

std::string CChildFrame::PathName() const
{
    return m_doc->GetPathName();
}

bool CChildFrame::IsBusy() const
{
    return m_doc->IsBusy() || (m_view && m_view->IsBusy());
}

void CChildFrame::UpdateTitle()
{
    // The view names the project; a frame without one names the file.
    QString title = m_view ? m_view->windowTitle() : QString();
    if (title.isEmpty()) {
        title = QFileInfo(QString::fromStdString(m_doc->GetPathName())).fileName();
        title += QStringLiteral("[*]");
    }
    setWindowTitle(title);
    setWindowModified(m_doc->IsModified());
    setAccessibleName(QString(title).remove(QStringLiteral("[*]")));
    Q_EMIT TitleChanged();
}

bool CChildFrame::Save()
{
    const bool saved = !m_doc->RefuseWhileBusy() && m_doc->Save();
    if (saved)
        m_unsavedNewFolder.clear();
    m_view->Refresh();
    UpdateTitle();
    return saved;
}

bool CChildFrame::SaveModified()
{
    if (!m_doc->IsModified() || m_discardConfirmed)
        return true;
    const std::string name =
        QFileInfo(QString::fromStdString(m_doc->GetPathName())).fileName().toStdString();
    switch (AskUser(m_prompt, MsgId::AskToSave, CUserPrompt::Exclamation, CUserPrompt::YesNoCancel,
                    name.empty() ? m_doc->ProjectName : name)) {
    case CUserPrompt::AnswerYes:
        return Save();
    case CUserPrompt::AnswerNo:
        // The document drops the files of slides added since when it goes
        // with the frame.
        m_discardConfirmed = true;
        return true;
    default:
        return false;
    }
}

QSize CChildFrame::minimumSizeHint() const
{
    if (!m_view)
        return QMdiSubWindow::minimumSizeHint();
    // The view's minimum plus the frame's own border and title.
    const QSize view = m_view->minimumSizeHint().expandedTo(m_view->minimumSize());
    const QMargins m = contentsMargins();
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return QSize(view.width() + m.left() + m.right(), view.height() + m.top() + m.bottom() + title)
        .expandedTo(QSize(100, 100));
}

void CChildFrame::closeEvent(QCloseEvent* event)
{
    if (m_doc->RefuseWhileBusy() || (m_view && m_view->IsBusy()) || !SaveModified()) {
        event->ignore();
        return;
    }
    if (!m_unsavedNewFolder.empty() && (m_discardConfirmed || !m_doc->IsModified())) {
        m_takeBackFolder = true;
        Q_EMIT NewProjectDiscarded(QString::fromStdString(m_doc->GetPathName()));
    }
    QMdiSubWindow::closeEvent(event);
}
