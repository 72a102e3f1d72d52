#pragma once

#include "document/zurdoc.h"
#include "editor/editorfixture.h"
#include "editor/scenarioeditor.h"
#include "gui/view/celllistbox.h"
#include "gui/view/cellrowmodel.h"
#include "gui/view/scenarioview.h"
#include "gui/view/thumbnailcache.h"
#include "model/cellctrlinfo.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QDropEvent>
#include <QMimeData>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// One project window over a project in a temporary folder. Cells are control
// cells told apart by their AutoIntervalSec, their "id" in these tests.
struct ViewProject
{
    ViewProject(const std::string& folder, const std::vector<int>& ids)
    {
        QDir().mkpath(QString::fromStdString(folder));
        doc = std::make_unique<CZurDoc>(&prompt);
        doc->ProjectName = "project";
        doc->ProjectPath = folder;
        doc->Cells.ProjectFolder = folder;
        for (const int id : ids) {
            auto cell = std::make_unique<CCellCtrlInfo>();
            cell->AutoIntervalSec = id;
            doc->Cells.Append(std::move(cell));
        }
        editor = std::make_unique<CScenarioEditor>(*doc);
        editor->SetParallelImport({}, 0);
        view = std::make_unique<CScenarioView>(*doc, *editor);
        // Every change the rows announce is checked against what they show.
        modelTester = std::make_unique<QAbstractItemModelTester>(
            view->Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
        view->SetProgress(&progress);
        view->SetDialogs(&dialogs);
        view->resize(520, 760);
        view->show();
    }
    ~ViewProject()
    {
        modelTester.reset();
        view.reset();
        editor.reset();
        doc.reset();
    }

    std::vector<int> Rows() const
    {
        std::vector<int> ids;
        for (int r = 0; r < editor->Rows().GetCount(); ++r)
            ids.push_back(editor->Rows().GetCell(r)->AutoIntervalSec);
        return ids;
    }
    std::vector<int> Selected() const { return editor->Rows().SelectedRows(); }
    void Select(const std::vector<int>& rows)
    {
        editor->Rows().ClearSelection();
        for (const int r : rows)
            editor->Rows().SetSel(r);
        view->Refresh();
    }
    QWidget* Viewport() const { return view->ListBox()->viewport(); }
    // The middle of row `row` in the list's viewport; below the rows for
    // row -1.
    QPoint RowPoint(int row) const
    {
        if (row < 0) {
            const QRect last =
                view->ListBox()->visualRect(view->Model()->index(editor->Rows().GetCount() - 1));
            return QPoint(last.center().x(), last.bottom() + 10);
        }
        return view->ListBox()->visualRect(view->Model()->index(row)).center();
    }
    // Drops `data` at row `row` with `actions` offered; returns what the
    // drop took (IgnoreAction when refused).
    Qt::DropAction DropAt(const QMimeData* data, int row,
                          Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction,
                          Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        // The application hands a drop only to the widget that took the
        // drag's entry.
        QDragEnterEvent enter(RowPoint(row), actions, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(Viewport(), &enter);
        QDropEvent event(QPointF(RowPoint(row)), actions, data, Qt::LeftButton, modifiers);
        QApplication::sendEvent(Viewport(), &event);
        return event.isAccepted() ? event.dropAction() : Qt::IgnoreAction;
    }

    CScriptedPrompt prompt;
    CScriptedProgress progress;
    CScriptedDialogs dialogs;
    std::unique_ptr<CZurDoc> doc;
    std::unique_ptr<CScenarioEditor> editor;
    std::unique_ptr<CScenarioView> view;
    std::unique_ptr<QAbstractItemModelTester> modelTester;
};

class ViewFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        QGuiApplication::clipboard()->clear();
    }
    std::string Folder(const std::string& name) const
    {
        return dir.path().toStdString() + "/" + name + "/";
    }

    QTemporaryDir dir;
};
