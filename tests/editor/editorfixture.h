#pragma once

#include "document/zurdoc.h"
#include "editor/celldialogs.h"
#include "editor/cellpropdata.h"
#include "editor/ctrlpropdata.h"
#include "editor/effectdata.h"
#include "editor/memoryclipboard.h"
#include "editor/scenarioeditor.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"

#include <QDir>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

// Dialogs answered by the test: each Run* records what it was shown and
// applies the test's change, then answers OK unless told to cancel.
class CScriptedDialogs : public CCellDialogs
{
public:
    bool RunCellProp(CCellPropData& data) override
    {
        shownCell = data;
        ++runs;
        if (cellAnswer)
            cellAnswer(data);
        return !cancel;
    }
    bool RunCtrlProp(CCtrlPropData& data) override
    {
        shownCtrl = data;
        ++runs;
        if (ctrlAnswer)
            ctrlAnswer(data);
        return !cancel;
    }
    bool RunEffect(CEffectData& data) override
    {
        shownEffect = data;
        ++runs;
        if (effectAnswer)
            effectAnswer(data);
        return !cancel;
    }

    std::function<void(CCellPropData&)> cellAnswer;
    std::function<void(CCtrlPropData&)> ctrlAnswer;
    std::function<void(CEffectData&)> effectAnswer;
    bool cancel = false;
    int runs = 0;
    CCellPropData shownCell;
    CCtrlPropData shownCtrl;
    CEffectData shownEffect;
};

// One project in a temporary folder with an editor over it. Cells are told
// apart by their AutoIntervalSec, their "id" in these tests.
class EditorFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path().toStdString() + "/project/";
        QDir().mkpath(QString::fromStdString(folder));
        doc = std::make_unique<CZurDoc>(&prompt);
        doc->ProjectName = "project";
        doc->ProjectPath = folder;
        doc->Cells.ProjectFolder = folder;
    }

    void TearDown() override
    {
        editor.reset();
        doc.reset();
    }

    // Adds control cells with ids `ids` (and image cells for the ids in
    // `images`) and opens the editor over them.
    void Open(const std::vector<int>& ids, const std::vector<int>& images = {})
    {
        for (const int id : ids) {
            std::unique_ptr<CCellInfo> cell;
            if (std::find(images.begin(), images.end(), id) != images.end())
                cell = std::make_unique<CCellBmpInfo>();
            else
                cell = std::make_unique<CCellCtrlInfo>();
            cell->AutoIntervalSec = id;
            doc->Cells.Append(std::move(cell));
        }
        OpenEditor();
    }

    void OpenEditor()
    {
        editor = std::make_unique<CScenarioEditor>(*doc);
        editor->SetClipboard(&clipboard);
        editor->SetDialogs(&dialogs);
        editor->SetProgress(&progress);
        editor->SetParallelImport({}, 0);
    }

    // The ids of the rows, top to bottom.
    std::vector<int> Rows() const
    {
        std::vector<int> ids;
        for (int r = 0; r < editor->Rows().GetCount(); ++r)
            ids.push_back(editor->Rows().GetCell(r)->AutoIntervalSec);
        return ids;
    }

    // The ids of the visible cells of the document, in list order.
    std::vector<int> VisibleCells() const
    {
        std::vector<int> ids;
        for (int i = 0; i < doc->Cells.GetCount(); ++i)
            if (doc->Cells.GetAt(i)->IsVisible())
                ids.push_back(doc->Cells.GetAt(i)->AutoIntervalSec);
        return ids;
    }

    void Select(const std::vector<int>& rows)
    {
        editor->Rows().ClearSelection();
        for (const int r : rows)
            editor->Rows().SetSel(r);
    }

    CCellInfo* CellOfRow(int row) const { return editor->Rows().GetCell(row); }

    QTemporaryDir dir;
    std::string folder;
    CScriptedPrompt prompt;
    CScriptedProgress progress;
    CMemoryClipboard clipboard;
    CScriptedDialogs dialogs;
    std::unique_ptr<CZurDoc> doc;
    std::unique_ptr<CScenarioEditor> editor;
};
