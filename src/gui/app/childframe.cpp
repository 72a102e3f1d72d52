#include "gui/app/childframe.h"

#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "editor/newprojectfrompresentation.h"
#include "editor/scenarioeditor.h"

#include <QCloseEvent>
#include <QFileInfo>
#include <QStyle>

namespace {

constexpr int kAskToSave = 61699;
constexpr int kProjectBusy = 7180;
// Another program (a `zelm` command) may be about to finish with it.
constexpr int kLockWaitMs = 1000;

} // namespace

CChildFrame::CChildFrame(CUserPrompt* prompt, const ViewFactory& makeView, QWidget* parent)
    : QMdiSubWindow(parent), m_prompt(prompt), m_doc(std::make_unique<CZurDoc>(prompt)),
      m_makeView(makeView)
{
    setAttribute(Qt::WA_DeleteOnClose);
    m_editor = std::make_unique<CScenarioEditor>(*m_doc);
    m_doc->SetObserver(m_editor.get());
    AttachView();
}

CChildFrame::~CChildFrame()
{
    // The view refers to the editor and the document: it goes first.
    delete m_view;
    m_view = nullptr;
    m_doc->SetObserver(nullptr);
    m_editor.reset();
    m_doc.reset();
    m_lock.Release();
}

void CChildFrame::AttachView()
{
    if (!m_makeView)
        return;
    m_view = m_makeView(*m_doc, *m_editor, this);
    if (m_view)
        setWidget(m_view);
}

bool CChildFrame::LockProject(const std::string& projectFile)
{
    if (m_lock.Acquire(projectFile, kLockWaitMs))
        return true;
    if (m_prompt)
        m_prompt->Show(kProjectBusy, m_lock.FailureMessage(), CUserPrompt::Exclamation,
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
    UpdateTitle();
    return true;
}

bool CChildFrame::NewFromPresentation(const std::string& presentation, std::string& projectFile)
{
    if (!CNewProjectFromPresentation(*m_doc, *m_editor).Run(presentation, projectFile))
        return false;
    // A new folder of our own: nobody else can have it yet.
    LockProject(projectFile);
    UpdateTitle();
    return true;
}

std::string CChildFrame::PathName() const
{
    return m_doc->GetPathName();
}

void CChildFrame::UpdateTitle()
{
    const QString path = QString::fromStdString(m_doc->GetPathName());
    QString title = QFileInfo(path).fileName();
    if (title.isEmpty())
        title = QString::fromStdString(m_doc->ProjectName);
    setWindowTitle(title + QStringLiteral("[*]"));
    setWindowModified(m_doc->IsModified());
    setAccessibleName(title);
    Q_EMIT TitleChanged();
}

bool CChildFrame::Save()
{
    const bool saved = m_doc->Save();
    UpdateTitle();
    return saved;
}

bool CChildFrame::SaveModified()
{
    if (!m_doc->IsModified() || m_discardConfirmed)
        return true;
    const std::string name =
        QFileInfo(QString::fromStdString(m_doc->GetPathName())).fileName().toStdString();
    switch (AskUser(m_prompt, kAskToSave, CUserPrompt::Exclamation, CUserPrompt::YesNoCancel,
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
    if (!SaveModified()) {
        event->ignore();
        return;
    }
    QMdiSubWindow::closeEvent(event);
}
