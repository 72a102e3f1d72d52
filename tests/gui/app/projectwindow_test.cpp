// The project window inside the main window, by keys, menus and toolbar as
// a user reaches them: the project's keys act wherever the focus is inside
// its frame (and only there), every slide command is in the menu bar,
// Project properties edits the open project, and the toolbar's commands
// stay enabled from the active project's state.
#include "apptesting.h"
#include "document/projectlock.h"
#include "document/zurdoc.h"
#include "editor/editorcommands.h"
#include "editor/scenarioeditor.h"
#include "gui/app/childframe.h"
#include "gui/app/mainframe.h"
#include "gui/browser/browserpanes.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/filelistctrl.h"
#include "gui/dialogs/parsededit.h"
#include "gui/view/celllistbox.h"
#include "gui/view/scenarioview.h"
#include "gui/view/uricelllist.h"
#include "model/cellctrlinfo.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

namespace {

QString q(const std::string& s)
{
    return QString::fromStdString(s);
}

// Runs `act` on the next modal dialog once it is up; gives up after five
// seconds.
void WhenDialogShown(std::function<void(QDialog*)> act)
{
    auto* timer = new QTimer;
    auto ticks = std::make_shared<int>(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act, ticks] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        const bool up = dialog && dialog->isVisible();
        if (!up && ++*ticks < 500)
            return;
        timer->stop();
        timer->deleteLater();
        if (up)
            act(dialog);
    });
    timer->start();
}

class ProjectWindow : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ClearSettings();
        m_project = MakeProject("Sheet");
        ASSERT_FALSE(m_project.empty());
        m_app = std::make_unique<CAppUnderTest>(QStringList{q(m_project)});
        ASSERT_TRUE(m_app->Started());
        ASSERT_EQ(Frame().ChildFrames().size(), 1);
        Frame().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        // Three control steps, told apart by their intervals, saved.
        for (int id : {1, 2, 3}) {
            auto cell = std::make_unique<CCellCtrlInfo>();
            cell->AutoIntervalSec = id;
            Doc().Cells.Append(std::move(cell));
        }
        Child().Editor().UpdateAllViews();
        ASSERT_TRUE(Child().Save());
        List()->setFocus();
    }
    void TearDown() override { m_app.reset(); }

    CMainFrame& Frame() { return m_app->Frame(); }
    CChildFrame& Child() { return *Frame().ChildFrames().front(); }
    CZurDoc& Doc() { return Child().Document(); }
    CCellListBox* List() { return Child().View()->ListBox(); }
    std::vector<int> Rows()
    {
        std::vector<int> ids;
        const CCellRowList& rows = Child().Editor().Rows();
        for (int r = 0; r < rows.GetCount(); ++r)
            ids.push_back(rows.GetCell(r)->AutoIntervalSec);
        return ids;
    }
    std::vector<int> Selected() { return Child().Editor().Rows().SelectedRows(); }
    // A key as the window system delivers it, to whatever has the focus.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(Frame().windowHandle(), key, modifiers);
    }
    void ClickWidget(QWidget* widget, QPoint at = {})
    {
        if (at.isNull())
            at = widget->rect().center();
        QTest::mouseClick(Frame().windowHandle(), Qt::LeftButton, Qt::NoModifier,
                          widget->mapTo(&Frame(), at));
    }
    // What the desktop's window manager does when a dialog closes (the
    // offscreen platform has none).
    void BackToTheWindow()
    {
        if (QApplication::activeWindow() != &Frame()) {
            Frame().activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&Frame()));
        }
    }
    QWidget* ToolButton(int command)
    {
        auto* bar = Frame().findChild<QToolBar*>(QStringLiteral("toolbar"));
        return bar ? bar->widgetForAction(Frame().Action(command)) : nullptr;
    }

    std::string m_project;
    std::unique_ptr<CAppUnderTest> m_app;
};

} // namespace

TEST_F(ProjectWindow, EveryCellCommandIsInTheMenuBarWithItsOwnKey)
{
    auto* bar = Frame().menuBar();
    QList<QKeySequence> keys;
    for (int command : {EditorCommand::CellEnable, EditorCommand::CellDisable,
                        EditorCommand::CellProperties, EditorCommand::CellEffect,
                        EditorCommand::CellInsertControl, FrameCommand::FileProjectProperties}) {
        QAction* action = Frame().Action(command);
        ASSERT_NE(action, nullptr) << command;
        bool inMenu = false;
        for (QAction* top : bar->actions())
            if (top->menu() && top->menu()->actions().contains(action))
                inMenu = true;
        EXPECT_TRUE(inMenu) << command;
        EXPECT_FALSE(action->statusTip().isEmpty()) << command;
        if (!action->shortcut().isEmpty())
            keys << action->shortcut();
    }
    EXPECT_EQ(keys.size(), 5);
    // No key of the menu bar's actions is given twice.
    QList<QKeySequence> all;
    for (QAction* top : bar->actions()) {
        if (!top->menu())
            continue;
        for (QAction* action : top->menu()->actions())
            for (const QKeySequence& key : action->shortcuts()) {
                EXPECT_FALSE(all.contains(key)) << key.toString().toStdString();
                all << key;
            }
    }
}

TEST_F(ProjectWindow, EveryCellCommandByKeyboardAlone)
{
    Key(Qt::Key_Home);
    EXPECT_EQ(Selected(), (std::vector<int>{0}));
    Key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Doc().Cells.GetAt(0)->CellValid, 0);
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Doc().Cells.GetAt(0)->CellValid, 1);
    Key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    Key(Qt::Key_E, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Doc().Cells.GetAt(0)->CellValid, 1);

    // Properties by Alt+Return and by Enter: the control step's own dialog,
    // answered by keys.
    QString shown;
    WhenDialogShown([&](QDialog* dialog) {
        shown = dialog->metaObject()->className();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Key(Qt::Key_Return, Qt::AltModifier);
    EXPECT_EQ(shown, QStringLiteral("CCtrlPropDlg"));
    BackToTheWindow();
    shown.clear();
    WhenDialogShown([&](QDialog* dialog) {
        shown = dialog->metaObject()->className();
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    Key(Qt::Key_Return);
    EXPECT_EQ(shown, QStringLiteral("CCtrlPropDlg"));
    BackToTheWindow();

    // Insert control step before the selected row, Select all, Copy, Delete,
    // Undo, Cut and Paste.
    Key(Qt::Key_Down);
    Key(Qt::Key_M, Qt::ControlModifier);
    EXPECT_EQ(Rows(), (std::vector<int>{1, 30, 2, 3}));
    Key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(Selected().size(), 4u);
    Key(Qt::Key_C, Qt::ControlModifier);
    Key(Qt::Key_Delete);
    EXPECT_TRUE(Rows().empty());
    Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Rows(), (std::vector<int>{1, 30, 2, 3}));
    Key(Qt::Key_End);
    Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(Rows(), (std::vector<int>{1, 30, 2}));
    Key(Qt::Key_Home);
    Key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Rows(), (std::vector<int>{3, 1, 30, 2}));

    // The menu bar by its keys: Alt+S opens the slide menu, I disables.
    Key(Qt::Key_Home);
    bool menuSeen = false;
    auto* timer = new QTimer(&Frame());
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [&menuSeen, timer] {
        auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu)
            return;
        timer->stop();
        menuSeen = true;
        QTest::keyClick(menu, Qt::Key_I); // D&isable
    });
    timer->start();
    QTest::keyClick(Frame().menuBar(), Qt::Key_S, Qt::AltModifier);
    for (int i = 0; i < 300 && !menuSeen; ++i)
        QTest::qWait(10);
    timer->stop();
    EXPECT_TRUE(menuSeen);
    EXPECT_EQ(Child().Editor().Rows().GetCell(0)->CellValid, 0);
}

TEST_F(ProjectWindow, ProjectKeysActOnlyInsideTheProjectFrame)
{
    Key(Qt::Key_Home);
    CFileListCtrl* files = Frame().Browser()->FileBar()->List();
    QWidget* list = files->CurrentView();
    ASSERT_NE(list, nullptr);
    list->setFocus();
    ASSERT_TRUE(list->hasFocus());
    Key(Qt::Key_Delete);
    Key(Qt::Key_D, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(Doc().Cells.GetAt(0)->CellValid, 1);
    // The focus is outside the project: its commands stay enabled all the same.
    for (int command : {FrameCommand::FileSave, FrameCommand::FilePrint, FrameCommand::FileSend,
                        FrameCommand::FileExportVideo, EditorCommand::Delete})
        EXPECT_TRUE(Frame().Action(command)->isEnabled()) << command;
}

TEST_F(ProjectWindow, ToolbarPasteThenToolbarSaveSaves)
{
    Key(Qt::Key_Home);
    Child().View()->ExecuteCommand(EditorCommand::Copy);
    QWidget* paste = ToolButton(EditorCommand::Paste);
    QWidget* save = ToolButton(FrameCommand::FileSave);
    ASSERT_NE(paste, nullptr);
    ASSERT_NE(save, nullptr);
    for (int round = 0; round < 3; ++round) {
        ASSERT_TRUE(paste->isEnabled()) << round;
        ClickWidget(paste);
        EXPECT_TRUE(Doc().IsModified());
        ASSERT_TRUE(save->isEnabled()) << round;
        ClickWidget(save);
        EXPECT_FALSE(Doc().IsModified()) << round;
        // Saved: Send is enabled, and so is the next Paste.
        EXPECT_TRUE(Frame().Action(FrameCommand::FileSend)->isEnabled()) << round;
        Key(Qt::Key_Home);
    }
    CZurDoc reread;
    ASSERT_TRUE(reread.Open(m_project));
    EXPECT_EQ(reread.Cells.GetCount(), 6);
}

TEST_F(ProjectWindow, ProjectPropertiesEditsTheOpenProjectAndMovesItsLock)
{
    QAction* properties = Frame().Action(FrameCommand::FileProjectProperties);
    ASSERT_TRUE(properties->isEnabled());
    const std::string oldFile = Child().PathName();

    // The colour alone: the project stays where it is, changed, unsaved.
    WhenDialogShown([](QDialog* dialog) {
        auto* colour = dialog->findChild<QComboBox*>(QStringLiteral("backColor"));
        colour->setCurrentIndex(9);
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    properties->trigger();
    EXPECT_EQ(Doc().BackColor, 0x0000FFu); // red as 0x00BBGGRR
    EXPECT_TRUE(Doc().IsModified());
    EXPECT_EQ(Child().PathName(), oldFile);
    EXPECT_TRUE(m_app->prompt.shown.empty());

    // A new name: the folder follows it; the project moves there, saved,
    // with its lock, and the old file is free.
    WhenDialogShown([](QDialog* dialog) {
        auto* name = dialog->findChild<CParsedEdit*>(QStringLiteral("name"));
        name->selectAll();
        QTest::keyClicks(name, QStringLiteral("Moved"));
        QTest::keyClick(dialog, Qt::Key_Return);
    });
    properties->trigger();
    EXPECT_TRUE(m_app->prompt.shown.empty());
    const QString now = q(Child().PathName());
    EXPECT_TRUE(now.endsWith(QStringLiteral("/Moved/Moved.sic"))) << now.toStdString();
    EXPECT_FALSE(Doc().IsModified());
    EXPECT_TRUE(CProjectLock::IsLocked(now.toStdString()));
    EXPECT_FALSE(CProjectLock::IsLocked(oldFile));
    CZurDoc reread;
    ASSERT_TRUE(reread.Open(now.toStdString()));
    EXPECT_EQ(reread.BackColor, 0x0000FFu);
    EXPECT_EQ(reread.Cells.GetCount(), 3);

    // A bad name is refused in the dialog with its message; Cancel then
    // changes nothing.
    WhenDialogShown([this](QDialog* dialog) {
        auto* name = dialog->findChild<CParsedEdit*>(QStringLiteral("name"));
        name->clear();
        m_app->prompt.answers = {CUserPrompt::AnswerOk};
        QTest::keyClick(dialog, Qt::Key_Return);
        EXPECT_TRUE(dialog->isVisible());
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    properties->trigger();
    ASSERT_EQ(m_app->prompt.shown.size(), 1u);
    EXPECT_EQ(Child().PathName(), now.toStdString());
}
