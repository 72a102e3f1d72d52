#pragma once

#include "document/zurdoclistener.h"
#include "editor/editorcommands.h"

#include <QByteArray>
#include <QFont>
#include <QImage>
#include <QStringList>
#include <QWidget>
#include <memory>
#include <string>

class CCellDialogs;
class CCellListBox;
class CCellRowDelegate;
class CCellRowModel;
class CProgress;
class CScenarioEditor;
class CScenarioViewCommands;
class CScenarioViewTransfer;
class CSystemClipboard;
class CZurDoc;
class QAction;
class QDragMoveEvent;
class QDropEvent;
class QMenu;
class QMimeData;

// The content of a project window: the two-column header and, below it, the
// painted rows of the project's cells. Every editing command runs in the
// editor; the view paints, turns clicks, keys, drags, drops and the
// clipboard into the editor's calls, and greys what cannot be done now. Its
// commands (actions, enabling, context menu) are a CScenarioViewCommands,
// its drags and drops a CScenarioViewTransfer.
class CScenarioView : public QWidget, public CZurDocListener
{
    Q_OBJECT

public:
    // Commands of the window that the project's owner performs.
    static constexpr int SendCommand = 32771;
    static constexpr int PrintCommand = 57607;
    // Add Slides: files chosen in a file dialog, inserted as a drop of them.
    static constexpr int AddSlidesCommand = 32795;

    CScenarioView(CZurDoc& doc, CScenarioEditor& editor, QWidget* parent = nullptr);
    ~CScenarioView() override;

    // The main frame's header font: it sizes the header, the rows and the
    // thumbnails.
    void SetHeaderFont(const QFont& font);
    // The picture of a control cell (the main frame's shared one).
    void SetControlPicture(const QImage& picture);
    // The progress window of insertions; without one the view uses its own.
    void SetProgress(CProgress* progress);
    void SetDialogs(CCellDialogs* dialogs);

    // Keys for the commands (Ctrl+C, Delete...) while the rows have the
    // focus. Off by default: a main frame whose menus carry the same keys
    // would make them ambiguous.
    void SetShortcutsEnabled(bool enabled);
    // The menu text of a command of the window ("" for none).
    static QString CommandText(int command);
    // The command's action (its data is the command number), null for none.
    QAction* Action(int command) const;
    QList<QAction*> Actions() const;
    CommandState StateOf(int command) const;
    // An insertion, a command or a drag runs: nothing may change the
    // project, and the window may not close.
    bool IsBusy() const;

    CCellListBox* ListBox() const { return m_list; }
    CCellRowModel* Model() const { return m_model; }
    CCellRowDelegate* Delegate() const { return m_delegate; }
    int HeaderHeight() const { return m_headerHeight; }
    int HeaderColumnWidth(int column) const { return m_columnWidth[column == 0 ? 0 : 1]; }

    // The context menu for a right click on `row` (-1 below the rows), with
    // greyed and removed entries; null when the click fell on a row that is
    // not selected. Its entries run the commands before that row.
    QMenu* CreateContextMenu(int row, QWidget* parent);
    // The two halves of a drag of the selected rows: the data to drag (null:
    // no drag), and the end with the action the drop took.
    QMimeData* BeginDrag();
    void FinishDrag(Qt::DropAction action);
    // The picture a drag shows: the rows it carries.
    QPixmap DragPixmap() const;
    // How a drop of `data` is taken with `modifiers` held (IgnoreAction:
    // refused).
    Qt::DropAction DropActionFor(const QMimeData* data, Qt::KeyboardModifiers modifiers,
                                 Qt::DropActions possible) const;

    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;

    // --- document listener (the rows follow the model) ------------------------
    void TitleChanged() override { UpdateTitle(); }
    void ModifiedChanged(bool) override;
    void SettingsChanged() override { Refresh(); }
    void BusyChanged(bool busy) override;

public Q_SLOTS:
    // Runs command `command` when it is enabled; false otherwise.
    bool ExecuteCommand(int command);
    // Inserts an archived cell list (a new project's slides) as a paste; a
    // cancel fails it (the caller takes it back) when `reportCancel`.
    bool InsertCellList(const QByteArray& block, bool reportCancel = true);
    // Asks for files and inserts their slides before `row` (-1: at the end),
    // as a drop of the same files there does.
    bool AddSlides(int row);
    // Inserts slides made from the files at `paths` before `row`, as a drop.
    bool InsertFiles(const QStringList& paths, int row);
    // A paste of the cells the browser sends, once the window is idle
    // again; a cancel keeps what went in.
    void PostCellList(const QByteArray& block);
    // Brings rows, commands and title in line with the editor and document.
    void Refresh();

Q_SIGNALS:
    void SendRequested();
    void PrintRequested();
    void CommandStatesChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // The view's own parts work on its rows, busy state and focus.
    friend class CScenarioViewCommands;
    friend class CScenarioViewTransfer;

    // Marks the window busy for the life of one command, drop or insertion.
    class CBusyScope
    {
    public:
        explicit CBusyScope(CScenarioView& view) : m_view(view) { m_view.EnterBusy(); }
        ~CBusyScope() { m_view.LeaveBusy(); }
        CBusyScope(const CBusyScope&) = delete;
        CBusyScope& operator=(const CBusyScope&) = delete;

    private:
        CScenarioView& m_view;
    };

    void EnterBusy();
    void LeaveBusy();

    void UpdateActions();
    void UpdateTitle();
    void ShowMessage(int id, const std::string& insert);
    void ScrollToSelection();
    int NumberColumnWidth() const;

    CZurDoc& m_doc;
    CScenarioEditor& m_editor;
    CCellRowModel* m_model;
    CCellRowDelegate* m_delegate;
    CCellListBox* m_list;
    std::unique_ptr<CSystemClipboard> m_clipboard;
    std::unique_ptr<CScenarioViewCommands> m_commands;
    std::unique_ptr<CScenarioViewTransfer> m_transfer;
    QFont m_headerFont;
    int m_headerHeight = 20;
    int m_columnWidth[2] = {20, 20};
    int m_busy = 0;
};
