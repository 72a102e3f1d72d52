#pragma once

#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"

#include <QByteArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// A new project "Talk" in a temporary folder with an editor over it, and a
// folder beside it for the files a user brings in. Prompts and progress are
// scripted.
class ProjectEditorTest : public ::testing::Test
{
protected:
    static constexpr int kPaste = 57637;

    void SetUp() override
    {
        CProjectSettings settings;
        settings.name = "Talk";
        settings.folder = m_folder.path().toStdString() + "/";
        ASSERT_TRUE(m_doc.NewProject(settings));
        m_editor.SetProgress(&m_progress);
    }
    // Inserts a transfer block as a paste.
    bool InsertBlock(const QByteArray& block, bool reportCancel = false)
    {
        CCellInfoList list;
        EXPECT_TRUE(list.AppendFromBytes(block));
        return m_editor.InsertCells(kPaste, list, reportCancel);
    }
    const CCellBmpInfo* Row(int r) const
    {
        return static_cast<const CCellBmpInfo*>(m_editor.Rows().GetCell(r));
    }
    // The source page of every row, top to bottom.
    std::vector<int> Pages() const
    {
        std::vector<int> pages;
        for (int r = 0; r < m_editor.Rows().GetCount(); ++r)
            pages.push_back(Row(r)->RefPage);
        return pages;
    }

    QTemporaryDir m_folder;
    QTemporaryDir m_decks;
    CScriptedPrompt m_prompt;
    CScriptedProgress m_progress;
    CZurDoc m_doc{&m_prompt};
    CScenarioEditor m_editor{m_doc};
};
