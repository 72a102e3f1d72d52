#include "gui/view/scenarioviewcommands.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "gui/view/celllistbox.h"
#include "gui/view/scenarioview.h"

#include <QAction>
#include <QMenu>

namespace {
struct CommandInfo
{
    int command;
    const char* text;
    QKeySequence::StandardKey key;
};

const CommandInfo kCommands[] = {
    {EditorCommand::Undo, QT_TRANSLATE_NOOP("CScenarioView", "&Undo"), QKeySequence::Undo},
    {EditorCommand::Cut, QT_TRANSLATE_NOOP("CScenarioView", "Cu&t"), QKeySequence::Cut},
    {EditorCommand::Copy, QT_TRANSLATE_NOOP("CScenarioView", "&Copy"), QKeySequence::Copy},
    {EditorCommand::Paste, QT_TRANSLATE_NOOP("CScenarioView", "&Paste"), QKeySequence::Paste},
    {EditorCommand::Delete, QT_TRANSLATE_NOOP("CScenarioView", "&Delete"), QKeySequence::Delete},
    {EditorCommand::SelectAll, QT_TRANSLATE_NOOP("CScenarioView", "Select &All"),
     QKeySequence::SelectAll},
    {EditorCommand::CellEnable, QT_TRANSLATE_NOOP("CScenarioView", "&Enable"),
     QKeySequence::UnknownKey},
    {EditorCommand::CellDisable, QT_TRANSLATE_NOOP("CScenarioView", "D&isable"),
     QKeySequence::UnknownKey},
    {EditorCommand::CellProperties, QT_TRANSLATE_NOOP("CScenarioView", "P&roperties..."),
     QKeySequence::UnknownKey},
    {EditorCommand::CellEffect, QT_TRANSLATE_NOOP("CScenarioView", "E&ffect..."),
     QKeySequence::UnknownKey},
    {EditorCommand::CellInsertControl, QT_TRANSLATE_NOOP("CScenarioView", "Insert &Control Step"),
     QKeySequence::UnknownKey},
    {CScenarioView::SendCommand, QT_TRANSLATE_NOOP("CScenarioView", "&Send to Card..."),
     QKeySequence::UnknownKey},
    {CScenarioView::PrintCommand, QT_TRANSLATE_NOOP("CScenarioView", "&Print..."),
     QKeySequence::Print},
};

// The context menu's entries, top to bottom; 0 is a separator.
const int kMenuOrder[] = {EditorCommand::Cut,
                          EditorCommand::Copy,
                          EditorCommand::Paste,
                          EditorCommand::Delete,
                          0,
                          EditorCommand::CellEnable,
                          EditorCommand::CellDisable,
                          EditorCommand::CellProperties,
                          EditorCommand::CellEffect,
                          0,
                          EditorCommand::CellInsertControl};
} // namespace

QString CScenarioViewCommands::CommandText(int command)
{
    for (const CommandInfo& info : kCommands) {
        if (info.command == command)
            return CScenarioView::tr(info.text);
    }
    return {};
}

CScenarioViewCommands::CScenarioViewCommands(CScenarioView& view, CZurDoc& doc,
                                             CScenarioEditor& editor)
    : m_view(view), m_doc(doc), m_editor(editor)
{}

void CScenarioViewCommands::CreateActions()
{
    for (const CommandInfo& info : kCommands) {
        auto* action = new QAction(CScenarioView::tr(info.text), &m_view);
        action->setData(info.command);
        // Only while this project window has the focus: several may be open.
        action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        const int command = info.command;
        QObject::connect(action, &QAction::triggered, &m_view,
                         [view = &m_view, command] { view->ExecuteCommand(command); });
        m_view.addAction(action);
        m_actions.insert(command, action);
    }
    auto* add =
        new QAction(QString::fromStdString(CResourceBundle::Text(MsgId::MenuAddSlides)), &m_view);
    add->setData(CScenarioView::AddSlidesCommand);
    add->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(add, &QAction::triggered, &m_view,
                     [view = &m_view] { view->ExecuteCommand(CScenarioView::AddSlidesCommand); });
    m_view.addAction(add);
    m_actions.insert(CScenarioView::AddSlidesCommand, add);
}

void CScenarioViewCommands::SetShortcutsEnabled(bool enabled)
{
    for (const CommandInfo& info : kCommands) {
        QAction* action = m_actions.value(info.command);
        if (enabled && info.key != QKeySequence::UnknownKey)
            action->setShortcuts(info.key);
        else
            action->setShortcuts({});
    }
    if (QAction* add = m_actions.value(CScenarioView::AddSlidesCommand))
        add->setShortcuts(enabled ? QList<QKeySequence>{QKeySequence(Qt::CTRL | Qt::Key_I)}
                                  : QList<QKeySequence>{});
}

QAction* CScenarioViewCommands::Action(int command) const
{
    return m_actions.value(command, nullptr);
}

QList<QAction*> CScenarioViewCommands::Actions() const
{
    QList<QAction*> actions;
    for (const CommandInfo& info : kCommands)
        actions.append(m_actions.value(info.command));
    return actions;
}

CommandState CScenarioViewCommands::StateOf(int command) const
{
    // Nothing that changes the project (or reads rows that are moving)
    // while an insertion, a command or a drag runs.
    if (m_view.IsBusy())
        return CommandState::Grayed;
    if (command == CScenarioView::SendCommand)
        // Only a saved project goes to a card.
        return m_doc.IsModified() ? CommandState::Grayed : CommandState::Enabled;
    if (command == CScenarioView::PrintCommand)
        // An empty project prints its header page.
        return CommandState::Enabled;
    if (command == CScenarioView::AddSlidesCommand)
        return CommandState::Enabled;
    if (!m_actions.contains(command))
        return CommandState::Grayed;
    return m_editor.StateOf(command);
}

bool CScenarioViewCommands::UpdateActions()
{
    bool changed = false;
    for (auto it = m_actions.cbegin(); it != m_actions.cend(); ++it) {
        const bool on = StateOf(it.key()) == CommandState::Enabled;
        if (it.value()->isEnabled() != on) {
            it.value()->setEnabled(on);
            changed = true;
        }
    }
    return changed;
}

QMenu* CScenarioViewCommands::CreateContextMenu(int row, QWidget* parent)
{
    if (m_view.IsBusy())
        return nullptr;
    const CContextMenuState state = m_editor.ContextMenu(row);
    if (!state.show)
        return nullptr;
    auto* menu = new QMenu(parent);
    menu->setAccessibleName(CScenarioView::tr("Slide commands"));
    bool separator = false;
    for (const int command : kMenuOrder) {
        if (command == 0) {
            separator = true;
            continue;
        }
        const auto it = state.items.find(command);
        if (it == state.items.end() || it->second == CommandState::Removed)
            continue;
        if (separator && !menu->isEmpty())
            menu->addSeparator();
        separator = false;
        QAction* source = m_actions.value(command);
        QAction* entry = menu->addAction(source->text());
        entry->setData(command);
        entry->setEnabled(it->second == CommandState::Enabled);
        // The entries act before the clicked row (the editor keeps it as
        // the insertion index); running through the editor's own rules.
        QObject::connect(entry, &QAction::triggered, &m_view, [this, command] {
            if (m_view.IsBusy())
                return;
            {
                CScenarioView::CBusyScope busy(m_view);
                m_editor.Execute(command);
            }
            m_view.ScrollToSelection();
        });
    }
    AddSlidesEntry(*menu, row);
    return menu;
}

void CScenarioViewCommands::AddSlidesEntry(QMenu& menu, int row)
{
    menu.addSeparator();
    QAction* entry = menu.addAction(m_actions.value(CScenarioView::AddSlidesCommand)->text());
    entry->setData(CScenarioView::AddSlidesCommand);
    // Before the clicked row, or at the end below the rows.
    QObject::connect(entry, &QAction::triggered, &m_view,
                     [this, row] { m_view.AddSlides(row >= 0 ? row : -1); });
}

void CScenarioViewCommands::ShowContextMenu(const QPoint& viewportPos, int row)
{
    QMenu* menu = CreateContextMenu(row, &m_view);
    if (!menu)
        return;
    QAction* chosen = menu->exec(m_view.m_list->viewport()->mapToGlobal(viewportPos));
    if (!chosen)
        // Nothing chosen: a later command does not go before that row.
        m_editor.SetInsertionIndex(-1);
    menu->deleteLater();
}
