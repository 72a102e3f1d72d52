#pragma once

#include "gui/app/childframe.h"
#include "gui/app/recentfilelist.h"

#include <QFont>
#include <QImage>
#include <QMainWindow>
#include <QPointer>
#include <functional>
#include <map>
#include <memory>

class CBrowserPanes;
class CSlidePPTObj;
class CUserPrompt;
class QPrinter;
class QAction;
class QLabel;
class QMdiArea;
class QMenu;
class QToolBar;

// Command numbers of the main window's menus and toolbar (the actions carry
// them as data).
namespace FrameCommand {
constexpr int FileNew = 57600;
constexpr int FileOpen = 57601;
constexpr int FileClose = 57602;
constexpr int FileSave = 57603;
constexpr int FileSaveAs = 57604;
constexpr int FilePrintSetup = 57606;
constexpr int FilePrint = 57607;
constexpr int FilePrintPreview = 57609;
constexpr int FileSend = 32771;
constexpr int FileProjectProperties = 32772;
constexpr int FileMru1 = 57616;
constexpr int WindowCascade = 57650;
constexpr int WindowTile = 57651;
constexpr int AppAbout = 57664;
constexpr int AppExit = 57665;
constexpr int HelpFinder = 57667;
constexpr int ViewToolbar = 59392;
constexpr int ViewStatusBar = 59393;
constexpr int ViewFolderBar = 59397;
constexpr int ViewFileBar = 59398;
constexpr int CardDeleteScenarios = 32783;
constexpr int CardEditAutorun = 32784;
constexpr int ViewPlayShow = 32790;
constexpr int CardPlayScenario = 32791;
constexpr int FileExportVideo = 32796;
} // namespace FrameCommand

// The program's one top-level window: the project windows in a multi-document
// area, menus, toolbar, status bar and the dock sites of the browser panes.
// Other windows find the header font and the control-cell picture as the
// properties "headerFont" and "controlCellPicture" of their top-level window.
class CMainFrame : public QMainWindow
{
    Q_OBJECT
    Q_PROPERTY(QFont headerFont READ HeaderFont)
    Q_PROPERTY(QImage controlCellPicture READ ControlCellPicture)
public:
    // `shared`: the program's presentation object (the browser's slides).
    explicit CMainFrame(CUserPrompt* prompt, CSlidePPTObj* shared = nullptr,
                        QWidget* parent = nullptr);
    ~CMainFrame() override;

    const QFont& HeaderFont() const { return m_headerFont; }
    const QImage& ControlCellPicture() const { return m_controlCell; }
    QMdiArea* MdiArea() const { return m_mdi; }
    QAction* Action(int command) const;
    QList<CChildFrame*> ChildFrames() const;
    CChildFrame* ActiveChild() const;
    // The printer of Print Setup and of printing, made on first use.
    QPrinter& Printer();
    CRecentFileList& RecentFiles() { return m_recent; }
    CBrowserPanes* Browser() const { return m_browser.get(); }
    // The card used last by Send and the card commands (kept across starts).
    const std::string& LastCard() const { return m_lastCard; }

    // Opens a file as a start-up argument, a drop or the running program's
    // open command: a ".sic" is opened (or its window brought up when it is
    // already open), a ".ppt" becomes a new project, anything else opens
    // nothing and says nothing. The frame, or null.
    CChildFrame* OpenDocumentFile(const QString& path);

    // The dock layout under "ZURBar", and back.
    void SaveBarState();
    bool RestoreBarState();

    // File commands.
    void OnFileNew();
    void OnFileOpen();
    void OnFileSaveAs();
    void OnSend(CChildFrame* child);
    void OnPrint(CChildFrame* child);
    void OnPrintPreview();
    void OnDeleteScenarios();
    void OnEditAutorun();
    // The show player: the active project from its selected row, or a
    // scenario chosen on a card.
    void OnPlayShow();
    void OnPlayScenario();
    void OnExportVideo();
    void OnFileSave();
    void OnFileClose();
    void OnHelp();
    void OnPrintSetup();
    void OnAbout();
    // Project properties: the project dialog in its edit mode on the active
    // project, applied through the document.
    void OnProjectProperties();
    // Whether the Open command takes `path` (61728 shown when not).
    bool CheckOpenExtension(const QString& path);

    // The folder the Open dialog starts in.
    static QString OpenFolder();
    // The HTML help's start page ("" when none is installed).
    static QString HelpFile();
    // The help in the program's own window (where no browser shows it).
    void ShowOwnHelp(const QString& page);
    // How a page goes to the desktop's browser (tests make it fail).
    void SetUrlOpener(std::function<bool(const QUrl&)> opener) { m_openUrl = std::move(opener); }
    // The program (and its first arguments) that hands the help page to the
    // desktop's browser; the page's address is its last argument. Its exit
    // status tells whether a browser took it: xdg-open exits 3 when none can.
    void SetHelpOpener(const QStringList& command) { m_helpOpener = command; }

Q_SIGNALS:
    // Closing has been decided (placement and layout saved, projects closed).
    void Closing();

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void CreateBrowser(CSlidePPTObj* shared);
    void CreateProjectActions();
    // The slide commands of the menu bar (also in the rows' context menu).
    void CreateCellActions();
    // The project window's commands that take keys inside its frame.
    QList<QAction*> FrameKeyActions() const;
    QAction* AddAction(int command, const QString& text, const QString& tip,
                       const QKeySequence& key = {});
    void UpdateActions();
    void UpdateRecentMenu();
    void RunEditCommand(int command);
    // Enabling follows the active project after every change it reports.
    void ConnectChild(CChildFrame* child);
    // A file or slide taken from the browser goes to the active project.
    void InsertIntoActive(const QByteArray& block);
    CChildFrame* FindOpen(const QString& projectFile) const;
    CChildFrame* NewChild();
    // Puts a child with an open project into the area.
    void ShowChild(CChildFrame* child, const QString& projectFile);
    void AddToRecent(const QString& path);
    bool CloseAllChildren();
    // Closes the window when a close arrived while a project was opening.
    void CloseIfAsked();

    CUserPrompt* m_prompt;
    CSlidePPTObj* m_shared = nullptr; // the program's presentation object, for the editors
    QMdiArea* m_mdi = nullptr;
    QLabel* m_message = nullptr;
    QMenu* m_recentMenu = nullptr;
    QToolBar* m_toolBar = nullptr;
    QPointer<CChildFrame> m_lastActive; // the project the commands act on
    std::map<int, QAction*> m_actions;
    QFont m_headerFont;
    QImage m_controlCell;
    std::unique_ptr<QPrinter> m_printer;
    CRecentFileList m_recent;
    std::unique_ptr<CBrowserPanes> m_browser;
    std::string m_lastCard;
    std::function<bool(const QUrl&)> m_openUrl;
    QStringList m_helpOpener{QStringLiteral("xdg-open")};
    bool m_closing = false;
    int m_opening = 0;         // projects being opened (nested by their messages)
    bool m_closeAsked = false; // a close arrived meanwhile
};
