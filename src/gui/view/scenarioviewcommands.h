#pragma once

#include "editor/editorcommands.h"

#include <QList>
#include <QMap>
#include <QString>

class CScenarioEditor;
class CScenarioView;
class CZurDoc;
class QAction;
class QMenu;
class QPoint;
class QWidget;

// The commands of a project window: one action per command, carrying its
// number, with its text and keys; their enabling from the editor's rules
// and the window's busy state; and the context menu of the rows.
class CScenarioViewCommands
{
public:
    CScenarioViewCommands(CScenarioView& view, CZurDoc& doc, CScenarioEditor& editor);
    CScenarioViewCommands(const CScenarioViewCommands&) = delete;
    CScenarioViewCommands& operator=(const CScenarioViewCommands&) = delete;

    // The menu text of a command of the window ("" for none).
    static QString CommandText(int command);
    // Makes the actions, added to the view, each running its command there.
    void CreateActions();
    void SetShortcutsEnabled(bool enabled);
    QAction* Action(int command) const;
    QList<QAction*> Actions() const;
    CommandState StateOf(int command) const;
    // Enables and greys the actions; true when any changed.
    bool UpdateActions();
    // The context menu for a right click on `row`; see CScenarioView.
    QMenu* CreateContextMenu(int row, QWidget* parent);
    // Shows that menu at `viewportPos` of the rows and runs the choice.
    void ShowContextMenu(const QPoint& viewportPos, int row);

private:
    // The context menu's Add Slides, before `row` (-1: at the end).
    void AddSlidesEntry(QMenu& menu, int row);

    CScenarioView& m_view;
    CZurDoc& m_doc;
    CScenarioEditor& m_editor;
    QMap<int, QAction*> m_actions;
};
