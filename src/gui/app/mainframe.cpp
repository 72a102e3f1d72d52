#include "gui/app/mainframe.h"

#include "base/appfolders.h"
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"
#include "base/userprompt.h"
#include "document/zurdoc.h"
#include "editor/editorcommands.h"
#include "editor/scenarioeditor.h"
#include "gui/app/aboutdlg.h"
#include "gui/app/helpwnd.h"
#include "gui/app/windowplacementsettings.h"
#include "gui/browser/browserpanes.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/folderdlgbar.h"
#include "gui/view/scenarioview.h"
#include "output/cardoffer.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPageSetupDialog>
#include <QPointer>
#include <QPrinter>
#include <QProcess>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>

namespace {

constexpr int kControlCellBitmap = 143;
const QString kBarState = QStringLiteral("ZURBar");
const QString kStatusBarShown = QStringLiteral("Layout/statusBar");
const QString kListStyle = QStringLiteral("Layout/listStyle");
const QString kLastFolder = QStringLiteral("Layout/folder");
const QString kSettings = QStringLiteral("Settings");
// The layout format of this version; a layout of another is not applied.
constexpr int kBarStateVersion = 1;

QString text(int id)
{
    return QString::fromStdString(CResourceBundle::Text(id));
}

bool hasExtension(const QString& path, const char* extension)
{
    return QFileInfo(path).suffix().compare(QLatin1String(extension), Qt::CaseInsensitive) == 0;
}

} // namespace

CMainFrame::CMainFrame(CUserPrompt* prompt, CSlidePPTObj* shared, QWidget* parent)
    : QMainWindow(parent), m_prompt(prompt), m_shared(shared)
{
    setObjectName(QStringLiteral("mainFrame"));
    setWindowTitle(text(MsgId::AppTitle));
    setAccessibleName(windowTitle());
    setAcceptDrops(true);
    const QImage icon = CResourceBundle::Bitmap(128);
    if (!icon.isNull())
        setWindowIcon(QIcon(QPixmap::fromImage(icon)));

    m_mdi = new QMdiArea(this);
    m_mdi->setObjectName(QStringLiteral("projects"));
    m_mdi->setAccessibleName(QStringLiteral("Projects"));
    m_mdi->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_mdi->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setCentralWidget(m_mdi);
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this](QMdiSubWindow* window) {
        // A dialog, a menu or a dock that takes the focus deactivates the
        // area for a while; the commands still act on the last project.
        if (auto* child = qobject_cast<CChildFrame*>(window))
            m_lastActive = child;
        UpdateActions();
    });

    // The header font of the project views: the system font, bold, 12 pixels.
    m_headerFont = QApplication::font();
    m_headerFont.setWeight(QFont::Bold);
    m_headerFont.setPixelSize(12);
    m_controlCell = CResourceBundle::Bitmap(kControlCellBitmap);

    // Pane sites: the folder pane docks left or right, the file pane top or
    // bottom; the left site reaches down to the bottom edge.
    setDockOptions(QMainWindow::AnimatedDocks | QMainWindow::AllowNestedDocks);
    setCorner(Qt::BottomLeftCorner, Qt::LeftDockWidgetArea);
    setCorner(Qt::TopLeftCorner, Qt::LeftDockWidgetArea);

    QSettings settings;
    m_recent.Read(settings);
    m_lastCard = CCardOffer::StoredLastCard();
    CreateActions();
    CreateProjectActions();
    CreateCellActions();
    CreateBrowser(shared);
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    UpdateActions();
    resize(1000, 700);
}

CMainFrame::~CMainFrame()
{
    // The project windows go while the frame's members still live: their
    // going away reports to the frame.
    m_mdi->disconnect(this);
    for (CChildFrame* child : ChildFrames()) {
        child->disconnect(this);
        delete child;
    }
}

QAction* CMainFrame::AddAction(int command, const QString& label, const QString& tip,
                               const QKeySequence& key)
{
    auto* action = new QAction(label, this);
    action->setData(command);
    action->setObjectName(QStringLiteral("command%1").arg(command));
    action->setStatusTip(tip);
    action->setToolTip(QString(label).remove(QLatin1Char('&')).remove(QStringLiteral("...")));
    if (!key.isEmpty())
        action->setShortcut(key);
    m_actions[command] = action;
    return action;
}

QAction* CMainFrame::Action(int command) const
{
    const auto it = m_actions.find(command);
    return it == m_actions.end() ? nullptr : it->second;
}

void CMainFrame::CreateActions()
{
    using namespace FrameCommand;
    QStyle* s = style();
    connect(AddAction(FileNew, tr("&New project..."), tr("Make a new project"), QKeySequence::New),
            &QAction::triggered, this, &CMainFrame::OnFileNew);
    Action(FileNew)->setIcon(s->standardIcon(QStyle::SP_FileIcon));
    connect(AddAction(FileOpen, tr("&Open..."), tr("Open a project"), QKeySequence::Open),
            &QAction::triggered, this, &CMainFrame::OnFileOpen);
    Action(FileOpen)->setIcon(s->standardIcon(QStyle::SP_DialogOpenButton));
    connect(AddAction(FileClose, tr("&Close"), tr("Close the project")), &QAction::triggered, this,
            &CMainFrame::OnFileClose);
    connect(AddAction(FileSave, tr("&Save"), tr("Save the project"), QKeySequence::Save),
            &QAction::triggered, this, &CMainFrame::OnFileSave);
    Action(FileSave)->setIcon(s->standardIcon(QStyle::SP_DialogSaveButton));
    connect(
        AddAction(FileSaveAs, tr("Save &as..."), tr("Save the project under a new name or folder")),
        &QAction::triggered, this, &CMainFrame::OnFileSaveAs);
    connect(AddAction(FilePrintSetup, tr("Print set&up..."), tr("Choose the printer and paper")),
            &QAction::triggered, this, &CMainFrame::OnPrintSetup);
    connect(AddAction(AppExit, tr("E&xit"), tr("Quit the program"), QKeySequence::Quit),
            &QAction::triggered, this, &QWidget::close);
    for (int n = 0; n < CRecentFileList::Size; ++n) {
        QAction* recent = AddAction(FileMru1 + n, QString(), tr("Open this project"));
        connect(recent, &QAction::triggered, this, [this, n] {
            if (n < m_recent.Files().size())
                OpenDocumentFile(m_recent.Files()[n]);
        });
    }

    const struct
    {
        int command;
        QString label;
        QKeySequence key;
        QStyle::StandardPixmap icon;
    } edits[] = {
        {EditorCommand::Undo, tr("&Undo"), QKeySequence::Undo, QStyle::SP_ArrowBack},
        {EditorCommand::Cut, tr("Cu&t"), QKeySequence::Cut, QStyle::SP_CustomBase},
        {EditorCommand::Copy, tr("&Copy"), QKeySequence::Copy, QStyle::SP_CustomBase},
        {EditorCommand::Paste, tr("&Paste"), QKeySequence::Paste, QStyle::SP_CustomBase},
        {EditorCommand::Delete, tr("&Delete"), QKeySequence::Delete, QStyle::SP_TrashIcon},
        {EditorCommand::SelectAll, tr("Select &all"), QKeySequence::SelectAll,
         QStyle::SP_CustomBase},
    };
    for (const auto& e : edits) {
        QAction* action =
            AddAction(e.command, e.label, QString(e.label).remove(QLatin1Char('&')), e.key);
        if (e.icon != QStyle::SP_CustomBase)
            action->setIcon(s->standardIcon(e.icon));
        // Keys in a project view go to the view first.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        connect(action, &QAction::triggered, this, [this, c = e.command] { RunEditCommand(c); });
    }

    connect(AddAction(WindowCascade, tr("&Cascade"), tr("Arrange the project windows overlapping")),
            &QAction::triggered, m_mdi, &QMdiArea::cascadeSubWindows);
    connect(AddAction(WindowTile, tr("&Tile"), tr("Arrange the project windows side by side")),
            &QAction::triggered, m_mdi, &QMdiArea::tileSubWindows);
    connect(
        AddAction(HelpFinder, tr("&Help topics"), tr("Open the help"), QKeySequence::HelpContents),
        &QAction::triggered, this, &CMainFrame::OnHelp);
    connect(AddAction(AppAbout, tr("&About Zelm Tessara..."), tr("Program version and libraries")),
            &QAction::triggered, this, &CMainFrame::OnAbout);
    Action(AppAbout)->setIcon(s->standardIcon(QStyle::SP_MessageBoxInformation));
}

void CMainFrame::CreateMenus()
{
    using namespace FrameCommand;
    QMenu* file = menuBar()->addMenu(tr("&File"));
    file->addActions({Action(FileNew), Action(FileOpen), Action(FileClose)});
    file->addSeparator();
    file->addActions({Action(FileSave), Action(FileSaveAs)});
    file->addSeparator();
    file->addAction(Action(FileProjectProperties));
    file->addSeparator();
    file->addActions({Action(FilePrint), Action(FilePrintPreview), Action(FilePrintSetup)});
    file->addSeparator();
    file->addActions({Action(FileSend), Action(FileExportVideo)});
    file->addSeparator();
    m_recentMenu = file->addMenu(tr("&Recent projects"));
    for (int n = 0; n < CRecentFileList::Size; ++n)
        m_recentMenu->addAction(Action(FileMru1 + n));
    file->addSeparator();
    file->addAction(Action(AppExit));

    QMenu* edit = menuBar()->addMenu(tr("&Edit"));
    edit->addAction(Action(EditorCommand::Undo));
    edit->addSeparator();
    edit->addActions({Action(EditorCommand::Cut), Action(EditorCommand::Copy),
                      Action(EditorCommand::Paste), Action(EditorCommand::Delete)});
    edit->addSeparator();
    edit->addAction(Action(EditorCommand::SelectAll));

    QMenu* slide = menuBar()->addMenu(text(MsgId::MenuSlide));
    slide->addActions({Action(EditorCommand::CellEnable), Action(EditorCommand::CellDisable)});
    slide->addSeparator();
    slide->addActions({Action(EditorCommand::CellProperties), Action(EditorCommand::CellEffect)});
    slide->addSeparator();
    slide->addAction(Action(EditorCommand::CellInsertControl));
    slide->addAction(Action(CScenarioView::AddSlidesCommand));

    QMenu* view = menuBar()->addMenu(tr("&View"));
    view->setObjectName(QStringLiteral("viewMenu"));
    if (m_browser) {
        view->addAction(m_browser->FolderBar()->toggleViewAction());
        view->addAction(m_browser->FileBar()->toggleViewAction());
        view->addSeparator();
        view->addActions(m_browser->ViewActions());
        view->addAction(m_browser->RefreshAction());
    }
    view->addSeparator();
    view->addAction(Action(ViewPlayShow));
    QMenu* card = menuBar()->addMenu(tr("&Card"));
    card->addActions(
        {Action(CardDeleteScenarios), Action(CardEditAutorun), Action(CardPlayScenario)});
    QMenu* window = menuBar()->addMenu(tr("&Window"));
    window->addActions({Action(WindowCascade), Action(WindowTile)});
    QMenu* help = menuBar()->addMenu(tr("&Help"));
    help->addActions({Action(HelpFinder), Action(AppAbout)});
    for (QMenu* menu : {file, edit, slide, view, card, window, help, m_recentMenu})
        menu->setAccessibleName(QString(menu->title()).remove(QLatin1Char('&')));
}

void CMainFrame::CreateToolBar()
{
    using namespace FrameCommand;
    m_toolBar = addToolBar(tr("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("toolbar"));
    m_toolBar->setAccessibleName(QStringLiteral("Toolbar"));
    m_toolBar->addActions({Action(FileNew), Action(FileOpen), Action(FileSave), Action(FilePrint)});
    m_toolBar->addSeparator();
    m_toolBar->addActions({Action(EditorCommand::Cut), Action(EditorCommand::Copy),
                           Action(EditorCommand::Paste), Action(EditorCommand::Undo),
                           Action(EditorCommand::Delete)});
    m_toolBar->addSeparator();
    m_toolBar->addAction(Action(CScenarioView::AddSlidesCommand));
    m_toolBar->addAction(Action(FileSend));
    m_toolBar->addSeparator();
    m_toolBar->addAction(Action(AppAbout));
    QAction* toggle = m_toolBar->toggleViewAction();
    toggle->setData(ViewToolbar);
    toggle->setText(tr("&Toolbar"));
    m_actions[ViewToolbar] = toggle;
    menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"))->addAction(toggle);
}

void CMainFrame::CreateStatusBar()
{
    using namespace FrameCommand;
    // The message pane only: the platform cannot tell the lock keys reliably.
    m_message = new QLabel(tr("Ready"), this);
    m_message->setAccessibleName(QStringLiteral("Status"));
    statusBar()->setObjectName(QStringLiteral("statusBar"));
    statusBar()->addWidget(m_message, 1);
    QAction* toggle =
        AddAction(ViewStatusBar, tr("&Status bar"), tr("Show or hide the status bar"));
    toggle->setCheckable(true);
    toggle->setChecked(true);
    connect(toggle, &QAction::toggled, statusBar(), &QWidget::setVisible);
    menuBar()->findChild<QMenu*>(QStringLiteral("viewMenu"))->addAction(toggle);
}

QList<CChildFrame*> CMainFrame::ChildFrames() const
{
    QList<CChildFrame*> frames;
    for (QMdiSubWindow* w : m_mdi->subWindowList(QMdiArea::CreationOrder)) {
        if (auto* child = qobject_cast<CChildFrame*>(w))
            frames << child;
    }
    return frames;
}

CChildFrame* CMainFrame::ActiveChild() const
{
    if (auto* active = qobject_cast<CChildFrame*>(m_mdi->activeSubWindow()))
        return active;
    // While the area is deactivated (a dialog is up, the focus is in the
    // browser) the project last active stays the one the commands act on.
    if (auto* current = qobject_cast<CChildFrame*>(m_mdi->currentSubWindow()))
        return current;
    if (m_lastActive && m_mdi->subWindowList().contains(m_lastActive.data()))
        return m_lastActive.data();
    return nullptr;
}

void CMainFrame::UpdateActions()
{
    using namespace FrameCommand;
    CChildFrame* child = ActiveChild();
    for (int command : {FileClose, FileSave, FileSaveAs})
        Action(command)->setEnabled(child != nullptr);
    const bool idle = child && !child->IsBusy();
    for (int command : {FileClose, FileSave, FileSaveAs, FilePrint, FilePrintPreview,
                        FileProjectProperties, ViewPlayShow, FileExportVideo})
        Action(command)->setEnabled(idle);
    for (int command :
         {EditorCommand::Undo, EditorCommand::Cut, EditorCommand::Copy, EditorCommand::Paste,
          EditorCommand::Delete, EditorCommand::SelectAll, EditorCommand::CellEnable,
          EditorCommand::CellDisable, EditorCommand::CellProperties, EditorCommand::CellEffect,
          EditorCommand::CellInsertControl, CScenarioView::AddSlidesCommand, FileSend})
        Action(command)->setEnabled(idle && child->View() &&
                                    child->View()->StateOf(command) == CommandState::Enabled);
    UpdateRecentMenu();
}

void CMainFrame::UpdateRecentMenu()
{
    using namespace FrameCommand;
    const QStringList& files = m_recent.Files();
    for (int n = 0; n < CRecentFileList::Size; ++n) {
        QAction* action = Action(FileMru1 + n);
        action->setVisible(n < files.size());
        if (n < files.size())
            action->setText(
                QStringLiteral("&%1 %2").arg(n + 1).arg(QDir::toNativeSeparators(files[n])));
    }
    m_recentMenu->setEnabled(!files.isEmpty());
}

void CMainFrame::RunEditCommand(int command)
{
    CChildFrame* child = ActiveChild();
    if (!child || !child->View())
        return;
    child->View()->ExecuteCommand(command);
    child->UpdateTitle();
    UpdateActions();
}

CChildFrame* CMainFrame::FindOpen(const QString& projectFile) const
{
    const QFileInfo wanted(projectFile);
    for (CChildFrame* child : ChildFrames()) {
        const QFileInfo open(QString::fromStdString(child->PathName()));
        if (open.exists() && wanted.exists() &&
            open.canonicalFilePath() == wanted.canonicalFilePath())
            return child;
    }
    return nullptr;
}

CChildFrame* CMainFrame::NewChild()
{
    auto* child = new CChildFrame(m_prompt, m_headerFont, m_controlCell, nullptr, m_shared);
    child->setObjectName(QStringLiteral("projectWindow"));
    // Without an icon of its own a project window shows the toolkit's logo.
    child->setWindowIcon(windowIcon());
    ConnectChild(child);
    return child;
}

void CMainFrame::ConnectChild(CChildFrame* child)
{
    connect(child, &CChildFrame::TitleChanged, this, &CMainFrame::UpdateActions);
    connect(child, &CChildFrame::CommandStatesChanged, this, &CMainFrame::UpdateActions);
    connect(child, &CChildFrame::SendRequested, this, &CMainFrame::OnSend);
    connect(child, &CChildFrame::PrintRequested, this, &CMainFrame::OnPrint);
    connect(child, &CChildFrame::NewProjectDiscarded, this, [this](const QString& projectFile) {
        m_recent.Remove(QFileInfo(projectFile).absoluteFilePath());
        QSettings settings;
        m_recent.Write(settings);
        UpdateRecentMenu();
    });
    // The project's keys act wherever the focus is inside its frame, and
    // only there: Delete in the browser deletes no slide.
    child->addActions(FrameKeyActions());
}

void CMainFrame::AddToRecent(const QString& path)
{
    m_recent.Add(QFileInfo(path).absoluteFilePath());
    QSettings settings;
    m_recent.Write(settings);
    UpdateRecentMenu();
}

CChildFrame* CMainFrame::OpenDocumentFile(const QString& path)
{
    const bool project = hasExtension(path, "sic");
    if (!project && !CSlideSourceTypes::IsPresentation(path.toStdString()))
        return nullptr;
    if (project) {
        if (CChildFrame* open = FindOpen(path)) {
            m_mdi->setActiveSubWindow(open);
            return open;
        }
    }
    QApplication::setOverrideCursor(Qt::WaitCursor);
    CChildFrame* child = NewChild();
    bool done = false;
    std::string projectFile = QFileInfo(path).absoluteFilePath().toStdString();
    // A close asked for meanwhile waits for the end of the opening.
    ++m_opening;
    if (project) {
        done = child->OpenProject(projectFile);
    } else {
        // The project is made and filled before its window is shown.
        done = child->NewFromPresentation(path.toStdString(), projectFile);
    }
    --m_opening;
    QApplication::restoreOverrideCursor();
    if (!done) {
        delete child;
        CloseIfAsked();
        return nullptr;
    }
    ShowChild(child, QString::fromStdString(projectFile));
    // Slides the open left out are told once the window shows the rest.
    child->Document().TellCellsLeftOut();
    CloseIfAsked();
    return child;
}

void CMainFrame::CloseIfAsked()
{
    if (m_opening > 0 || !m_closeAsked)
        return;
    m_closeAsked = false;
    // Carried out from the event loop, as the close itself arrived.
    QTimer::singleShot(0, this, &QWidget::close);
}

void CMainFrame::ShowChild(CChildFrame* child, const QString& projectFile)
{
    m_mdi->addSubWindow(child);
    child->setMinimumSize(child->minimumSizeHint());
    child->show();
    child->UpdateTitle();
    AddToRecent(projectFile);
    UpdateActions();
}

bool CMainFrame::CheckOpenExtension(const QString& path)
{
    if (hasExtension(path, "sic"))
        return true;
    AskUser(m_prompt, MsgId::FileFormatUnexpected, CUserPrompt::Exclamation, CUserPrompt::Ok,
            QFileInfo(path).fileName().toStdString());
    return false;
}

QString CMainFrame::OpenFolder()
{
    return QString::fromStdString(CAppFolders::HomeFolder());
}

void CMainFrame::OnFileOpen()
{
    QFileDialog dialog(this, text(MsgId::OpenCommand), OpenFolder());
    dialog.setObjectName(QStringLiteral("openDialog"));
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilter(tr("Zelm Tessara projects (*.sic)"));
    dialog.setDefaultSuffix(QStringLiteral("sic"));
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString path = dialog.selectedFiles().constFirst();
    if (CheckOpenExtension(path))
        OpenDocumentFile(path);
}

void CMainFrame::OnFileSave()
{
    if (CChildFrame* child = ActiveChild())
        child->Save();
}

void CMainFrame::OnFileClose()
{
    if (CChildFrame* child = ActiveChild())
        child->close();
    UpdateActions();
}

QString CMainFrame::HelpFile()
{
    const QDir bin(QCoreApplication::applicationDirPath());
    for (const QString& relative : {QStringLiteral("../share/doc/zelm-tessara/help/index.html"),
                                    QStringLiteral("../share/zelm-tessara/help/index.html")}) {
        const QString path = bin.absoluteFilePath(relative);
        if (QFileInfo::exists(path))
            return QFileInfo(path).canonicalFilePath();
    }
    return {};
}

void CMainFrame::OnHelp()
{
    const QString help = HelpFile();
    if (help.isEmpty()) {
        AskUser(m_prompt, MsgId::HelpNotOpened, CUserPrompt::Exclamation, CUserPrompt::Ok);
        return;
    }
    const QUrl url = QUrl::fromLocalFile(help);
    if (m_openUrl) {
        if (!m_openUrl(url))
            ShowOwnHelp(help);
        return;
    }
    if (m_helpOpener.isEmpty()) {
        ShowOwnHelp(help);
        return;
    }
    // Starting the opener says nothing: it is its exit status that tells
    // whether a browser took the page. It may run as long as the browser it
    // starts, so it is waited for without blocking and owned by nobody: the
    // program's end must not end the user's browser.
    auto* opener = new QProcess;
    opener->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    const QPointer<CMainFrame> frame(this);
    connect(opener, &QProcess::finished, opener,
            [opener, frame, help](int code, QProcess::ExitStatus status) {
                opener->deleteLater();
                if (frame && (status != QProcess::NormalExit || code != 0))
                    frame->ShowOwnHelp(help);
            });
    connect(opener, &QProcess::errorOccurred, opener,
            [opener, frame, help](QProcess::ProcessError error) {
                if (error != QProcess::FailedToStart)
                    return;
                opener->deleteLater();
                if (frame)
                    frame->ShowOwnHelp(help);
            });
    opener->start(m_helpOpener.first(), m_helpOpener.mid(1) << url.toString());
}

void CMainFrame::ShowOwnHelp(const QString& page)
{
    auto* window = findChild<CHelpWnd*>();
    if (!window) {
        window = new CHelpWnd(this);
        window->setAttribute(Qt::WA_DeleteOnClose);
    }
    if (window->Load(page)) {
        window->show();
        window->raise();
        window->activateWindow();
        return;
    }
    window->close();
    AskUser(m_prompt, MsgId::HelpNotOpened, CUserPrompt::Exclamation, CUserPrompt::Ok);
}

QPrinter& CMainFrame::Printer()
{
    if (!m_printer)
        m_printer = std::make_unique<QPrinter>();
    return *m_printer;
}

void CMainFrame::OnPrintSetup()
{
    QPageSetupDialog dialog(&Printer(), this);
    dialog.setAccessibleName(dialog.windowTitle());
    dialog.exec();
}

void CMainFrame::OnAbout()
{
    CAboutDlg about(this);
    about.exec();
}

void CMainFrame::SaveBarState()
{
    QSettings settings;
    settings.setValue(kBarState, saveState(kBarStateVersion));
    // What the dock layout does not hold.
    settings.setValue(kStatusBarShown, Action(FrameCommand::ViewStatusBar)->isChecked());
    if (m_browser) {
        settings.setValue(kListStyle, m_browser->ListViewMode());
        const std::string folder = m_browser->CurrentFolder();
        if (!folder.empty())
            settings.setValue(kLastFolder, QByteArray(folder.data(), qsizetype(folder.size())));
    }
}

bool CMainFrame::RestoreBarState()
{
    QSettings settings;
    if (settings.contains(kStatusBarShown))
        Action(FrameCommand::ViewStatusBar)->setChecked(settings.value(kStatusBarShown).toBool());
    if (m_browser) {
        bool ok = false;
        const int style = settings.value(kListStyle).toInt(&ok);
        if (ok && style >= 0 && style <= 3)
            m_browser->SetListViewMode(style);
        m_browser->SetStartFolder(settings.value(kLastFolder).toByteArray().toStdString());
    }
    const QByteArray state = settings.value(kBarState).toByteArray();
    // restoreState refuses a layout of another version or a damaged one.
    const bool restored = !state.isEmpty() && restoreState(state, kBarStateVersion);
    if (m_browser)
        m_browser->UpdateCommandStates();
    return restored;
}

bool CMainFrame::CloseAllChildren()
{
    // Nothing closes while a project is busy with long work.
    for (CChildFrame* child : ChildFrames()) {
        if (child->Document().RefuseWhileBusy() || child->IsBusy())
            return false;
    }
    // Every modified project is asked about first; a Cancel keeps them all.
    for (CChildFrame* child : ChildFrames()) {
        m_mdi->setActiveSubWindow(child);
        if (!child->SaveModified()) {
            for (CChildFrame* asked : ChildFrames())
                asked->ForgetCloseAnswer();
            return false;
        }
    }
    for (CChildFrame* child : ChildFrames())
        child->close();
    return true;
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_closing) {
        event->accept();
        return;
    }
    if (m_opening > 0) {
        // A project is being opened (its window is not in the area yet):
        // the close comes once the opening has ended.
        m_closeAsked = true;
        event->ignore();
        return;
    }
    SaveBarState();
    {
        QSettings settings;
        WindowPlacementSettings placement;
        placement.Save(settings, kSettings, *this);
    }
    if (!CloseAllChildren()) {
        event->ignore();
        return;
    }
    m_closing = true;
    Q_EMIT Closing();
    event->accept();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    event->acceptProposedAction();
    for (const QUrl& url : urls) {
        if (url.isLocalFile())
            OpenDocumentFile(url.toLocalFile());
    }
}
