// The main frame's commands that reach into the other windows: new project
// and Save as through the project dialogs, Send, printing, the card
// commands, and the file browser's panes.
#include "base/appfolders.h"
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "document/zurdoc.h"
#include "editor/editorcommands.h"
#include "editor/scenarioeditor.h"
#include "gui/app/mainframe.h"
#include "gui/browser/browserpanes.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/folderdlgbar.h"
#include "gui/dialogs/cardcommands.h"
#include "gui/dialogs/exportvideodlg.h"
#include "gui/dialogs/projectdlg.h"
#include "gui/dialogs/saveasdlg.h"
#include "gui/player/showlauncher.h"
#include "gui/view/scenarioprinter.h"
#include "gui/view/scenarioview.h"

#include <QAction>
#include <QApplication>
#include <QMdiArea>
#include <QPointer>
#include <QPrinter>

void CMainFrame::CreateProjectActions()
{
    using namespace FrameCommand;
    connect(
        AddAction(FilePrint, tr("&Print..."), tr("Print the project's sheet"), QKeySequence::Print),
        &QAction::triggered, this, [this] {
            if (CChildFrame* child = ActiveChild(); child && child->View())
                child->View()->ExecuteCommand(CScenarioView::PrintCommand);
        });
    Action(FilePrint)->setIcon(QIcon::fromTheme(QStringLiteral("document-print")));
    connect(AddAction(FilePrintPreview, tr("Print pre&view"), tr("Show the pages to be printed")),
            &QAction::triggered, this, &CMainFrame::OnPrintPreview);
    connect(AddAction(FileSend, tr("Sen&d to card..."), tr("Send the saved project to a card")),
            &QAction::triggered, this, [this] {
                if (CChildFrame* child = ActiveChild(); child && child->View())
                    child->View()->ExecuteCommand(CScenarioView::SendCommand);
            });
    connect(AddAction(CardDeleteScenarios, tr("&Delete scenarios..."),
                      tr("Delete scenarios from a card")),
            &QAction::triggered, this, &CMainFrame::OnDeleteScenarios);
    connect(AddAction(CardEditAutorun, tr("Edit the &autorun list..."),
                      tr("Choose the scenarios the player starts by itself")),
            &QAction::triggered, this, &CMainFrame::OnEditAutorun);
    const auto label = [](int id) { return QString::fromStdString(CResourceBundle::Text(id)); };
    connect(AddAction(ViewPlayShow, label(MsgId::PlayShowCommand),
                      tr("Play the project on the screen as the projector would"),
                      QKeySequence(Qt::SHIFT | Qt::Key_F5)),
            &QAction::triggered, this, &CMainFrame::OnPlayShow);
    connect(AddAction(CardPlayScenario, label(MsgId::PlayScenarioCommand),
                      tr("Play a scenario of a card on the screen")),
            &QAction::triggered, this, &CMainFrame::OnPlayScenario);
    connect(AddAction(FileExportVideo, tr("Export as &Video..."),
                      tr("Write the show as a video file that any television or phone plays")),
            &QAction::triggered, this, &CMainFrame::OnExportVideo);
}

void CMainFrame::CreateBrowser(CSlidePPTObj* shared)
{
    using namespace FrameCommand;
    m_browser = std::make_unique<CBrowserPanes>(*this, shared, m_prompt);
    QAction* folders = m_browser->FolderBar()->toggleViewAction();
    folders->setData(ViewFolderBar);
    m_actions[ViewFolderBar] = folders;
    QAction* files = m_browser->FileBar()->toggleViewAction();
    files->setData(ViewFileBar);
    m_actions[ViewFileBar] = files;
    connect(m_browser.get(), &CBrowserPanes::CellsActivated, this, &CMainFrame::InsertIntoActive);
}

void CMainFrame::InsertIntoActive(const QByteArray& block)
{
    CChildFrame* child = ActiveChild();
    if (!child || !child->View() || child->IsBusy())
        return;
    child->View()->PostCellList(block);
}

void CMainFrame::OnFileNew()
{
    CProjectSettings proposal;
    proposal.folder = CAppFolders::HomeFolder();
    CProjectDlg dialog(proposal, false, m_prompt, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    CChildFrame* child = NewChild();
    if (!child->NewProject(dialog.Settings())) {
        delete child;
        return;
    }
    ShowChild(child, QString::fromStdString(child->PathName()));
}

void CMainFrame::OnFileSaveAs()
{
    CChildFrame* child = ActiveChild();
    if (!child || child->Document().RefuseWhileBusy())
        return;
    CZurDoc& doc = child->Document();
    CSaveAsDlg dialog(doc.ProjectName, doc.ProjectPath, m_prompt, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (child->SaveAs(dialog.Name(), dialog.Folder()))
        AddToRecent(QString::fromStdString(child->PathName()));
}

void CMainFrame::OnSend(CChildFrame* child)
{
    if (!child || child->Document().RefuseWhileBusy())
        return;
    CCardCommands::SendProject(child->Document(), m_prompt, child, m_lastCard,
                               [this, window = QPointer<CChildFrame>(child)](bool) {
                                   if (window)
                                       window->UpdateTitle();
                                   UpdateActions();
                               });
}

void CMainFrame::OnPrint(CChildFrame* child)
{
    if (!child)
        return;
    CScenarioPrinter printer(child->Document(), m_headerFont, child);
    printer.PrintWithDialog(Printer(), this, m_prompt);
}

void CMainFrame::OnPrintPreview()
{
    CChildFrame* child = ActiveChild();
    if (!child)
        return;
    CScenarioPrinter printer(child->Document(), m_headerFont, child);
    printer.Preview(Printer(), this);
}

void CMainFrame::OnDeleteScenarios()
{
    CCardCommands::DeleteScenarios(m_prompt, this, m_lastCard);
}

void CMainFrame::OnEditAutorun()
{
    CCardCommands::EditAutorun(m_prompt, this, m_lastCard);
}

void CMainFrame::CreateCellActions()
{
    using namespace FrameCommand;
    // Keys clash with none of the program's others nor the desktop's usual
    // ones: Alt+Return is the desktop's Properties, Ctrl+M a slide program's
    // new slide.
    const struct
    {
        int command;
        int tip;
        QKeySequence key;
    } cells[] = {
        {EditorCommand::CellEnable, MsgId::TipCellEnable,
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_E)},
        {EditorCommand::CellDisable, MsgId::TipCellDisable,
         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_D)},
        {EditorCommand::CellProperties, MsgId::TipCellProperties,
         QKeySequence(Qt::ALT | Qt::Key_Return)},
        {EditorCommand::CellEffect, MsgId::TipCellEffect, QKeySequence(Qt::CTRL | Qt::Key_E)},
        {EditorCommand::CellInsertControl, MsgId::TipCellInsertControl,
         QKeySequence(Qt::CTRL | Qt::Key_M)},
    };
    for (const auto& c : cells) {
        QAction* action = AddAction(c.command, CScenarioView::CommandText(c.command),
                                    QString::fromStdString(CResourceBundle::Text(c.tip)), c.key);
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this,
                [this, command = c.command] { RunEditCommand(command); });
    }
    QAction* add = AddAction(CScenarioView::AddSlidesCommand,
                             QString::fromStdString(CResourceBundle::Text(MsgId::MenuAddSlides)),
                             QString::fromStdString(CResourceBundle::Text(MsgId::TipAddSlides)),
                             QKeySequence(Qt::CTRL | Qt::Key_I));
    add->setIcon(QIcon::fromTheme(QStringLiteral("list-add")));
    add->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(add, &QAction::triggered, this,
            [this] { RunEditCommand(CScenarioView::AddSlidesCommand); });
    connect(AddAction(FileProjectProperties,
                      QString::fromStdString(CResourceBundle::Text(MsgId::MenuProjectProperties)),
                      QString::fromStdString(CResourceBundle::Text(MsgId::TipProjectProperties))),
            &QAction::triggered, this, &CMainFrame::OnProjectProperties);
}

QList<QAction*> CMainFrame::FrameKeyActions() const
{
    QList<QAction*> actions;
    for (int command :
         {EditorCommand::Undo, EditorCommand::Cut, EditorCommand::Copy, EditorCommand::Paste,
          EditorCommand::Delete, EditorCommand::SelectAll, EditorCommand::CellEnable,
          EditorCommand::CellDisable, EditorCommand::CellProperties, EditorCommand::CellEffect,
          EditorCommand::CellInsertControl, CScenarioView::AddSlidesCommand})
        actions << Action(command);
    return actions;
}

void CMainFrame::OnProjectProperties()
{
    CChildFrame* child = ActiveChild();
    if (!child || child->Document().RefuseWhileBusy() || child->IsBusy())
        return;
    const CZurDoc& doc = child->Document();
    CProjectSettings current;
    current.name = doc.ProjectName;
    current.folder = doc.ProjectPath;
    current.backColor = doc.BackColor;
    current.imageQuality = doc.ImageQuality;
    CProjectDlg dialog(current, true, m_prompt, this);
    dialog.setObjectName(QStringLiteral("projectPropertiesDialog"));
    dialog.setAccessibleName(dialog.windowTitle());
    if (dialog.exec() == QDialog::Accepted) {
        const std::string before = child->PathName();
        if (child->ChangeProperties(dialog.Settings()) && child->PathName() != before)
            AddToRecent(QString::fromStdString(child->PathName()));
    }
    UpdateActions();
}

void CMainFrame::OnPlayShow()
{
    CChildFrame* child = ActiveChild();
    if (!child || child->IsBusy())
        return;
    const std::vector<int> selected = child->Editor().Rows().SelectedRows();
    const int row = selected.empty() ? 1 : selected.front() + 1;
    const CZurDoc& doc = child->Document();
    CShowLauncher::PlayProject(doc.Cells, doc.BackColor, doc.ProjectName, row, m_prompt, this);
}

void CMainFrame::OnExportVideo()
{
    CChildFrame* child = ActiveChild();
    if (!child || child->IsBusy())
        return;
    const CZurDoc& doc = child->Document();
    CExportVideoDlg::ExportProject(doc.Cells, doc.BackColor, doc.ProjectName, doc.GetPathName(),
                                   m_prompt, child);
}

void CMainFrame::OnPlayScenario()
{
    CShowLauncher::PlayScenario(m_prompt, this, m_lastCard);
}
