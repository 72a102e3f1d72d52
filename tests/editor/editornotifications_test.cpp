// What the listeners of a project document hear when the editor changes the
// rows: exactly the rows inserted, removed and changed, with the row list
// already (or still) showing them at each call.
#include "base/msgid.h"
#include "document/busyguard.h"
#include "document/zurdoclistener.h"
#include "editor/celldragsession.h"
#include "editorfixture.h"

#include <sstream>

namespace cmd = EditorCommand;

namespace {

// Writes every call as a short line; checks on each call that the rows the
// call names are there to be read.
class CRecordingListener : public CZurDocListener
{
public:
    explicit CRecordingListener(const CScenarioEditor*& editor) : m_editor(editor) {}

    void RowsAboutToBeInserted(int first, int count) override
    {
        Log("about-insert", first, count);
        m_countBefore = Count();
    }
    void RowsInserted(int first, int count) override
    {
        Log("insert", first, count);
        EXPECT_EQ(Count(), m_countBefore + count);
        EXPECT_NE(m_editor->Rows().GetCell(first + count - 1), nullptr);
    }
    void RowsAboutToBeRemoved(int first, int count) override
    {
        Log("about-remove", first, count);
        // The rows that go can still be read.
        EXPECT_NE(m_editor->Rows().GetCell(first + count - 1), nullptr);
        m_countBefore = Count();
    }
    void RowsRemoved(int first, int count) override
    {
        Log("remove", first, count);
        EXPECT_EQ(Count(), m_countBefore - count);
    }
    void RowsChanged(int first, int count) override { Log("change", first, count); }
    void ModelAboutToBeReset() override { lines.push_back("about-reset"); }
    void ModelReset() override { lines.push_back("reset"); }
    void SelectionChanged() override { lines.push_back("selection"); }
    void TitleChanged() override { lines.push_back("title"); }
    void ModifiedChanged(bool modified) override
    {
        lines.push_back(modified ? "modified" : "saved");
    }
    void BusyChanged(bool busy) override { lines.push_back(busy ? "busy" : "free"); }

    // The row calls only (the pairs' second halves), in order.
    std::vector<std::string> RowCalls() const
    {
        std::vector<std::string> rows;
        for (const std::string& line : lines)
            if (line.rfind("insert", 0) == 0 || line.rfind("remove", 0) == 0 ||
                line.rfind("change", 0) == 0 || line == "reset")
                rows.push_back(line);
        return rows;
    }

    std::vector<std::string> lines;

private:
    int Count() const { return m_editor->Rows().GetCount(); }
    void Log(const char* what, int first, int count)
    {
        std::ostringstream line;
        line << what << ' ' << first << '+' << count;
        lines.push_back(line.str());
    }

    const CScenarioEditor*& m_editor;
    int m_countBefore = 0;
};

class EditorNotificationsTest : public EditorFixture
{
protected:
    void Listen()
    {
        watched = editor.get();
        doc->AddListener(&listener);
        listener.lines.clear();
    }
    void TearDown() override
    {
        doc->RemoveListener(&listener);
        EditorFixture::TearDown();
    }

    const CScenarioEditor* watched = nullptr;
    CRecordingListener listener{watched};
};

using Calls = std::vector<std::string>;

TEST_F(EditorNotificationsTest, InsertingCellsReportsEachNewRowWhereItEnters)
{
    Open({1, 2, 3});
    Listen();
    CCellInfoList list;
    for (const int id : {7, 8})
        list.Append(std::make_unique<CCellCtrlInfo>()),
            list.GetAt(list.GetCount() - 1)->AutoIntervalSec = id;
    editor->SetInsertionIndex(1);
    ASSERT_TRUE(editor->InsertCells(cmd::Paste, list, true));
    EXPECT_EQ(Rows(), (std::vector<int>{1, 7, 8, 2, 3}));
    EXPECT_EQ(listener.RowCalls(), (Calls{"insert 1+1", "insert 2+1"}));
    // The project is busy while the cells enter, and the new rows end selected.
    EXPECT_EQ(listener.lines.front(), "busy");
    EXPECT_NE(std::find(listener.lines.begin(), listener.lines.end(), "selection"),
              listener.lines.end());
    EXPECT_NE(std::find(listener.lines.begin(), listener.lines.end(), "modified"),
              listener.lines.end());
    EXPECT_EQ(editor->Rows().SelectedRows(), (std::vector<int>{1, 2}));
}

TEST_F(EditorNotificationsTest, CutRemovesTheRowsAndItsUndoBringsThemBack)
{
    Open({1, 2, 3, 4, 5});
    Select({1, 3});
    Listen();
    ASSERT_TRUE(editor->Execute(cmd::Cut));
    EXPECT_EQ(Rows(), (std::vector<int>{1, 3, 5}));
    // Each row is told at the place it has when it goes.
    EXPECT_EQ(listener.RowCalls(), (Calls{"remove 1+1", "remove 2+1"}));

    listener.lines.clear();
    ASSERT_TRUE(editor->Execute(cmd::Undo));
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2, 3, 4, 5}));
    EXPECT_EQ(listener.RowCalls(), (Calls{"insert 1+1", "insert 3+1"}))
        << "an undo of a cut is no reset";
}

TEST_F(EditorNotificationsTest, AMoveWithinTheListIsRemovalThenInsertion)
{
    Open({1, 2, 3, 4, 5});
    Select({1, 2});
    Listen();
    CCellDragSession session;
    const QByteArray bytes = editor->BeginDrag(session);
    CMemoryClipboard data;
    data.SetData(CCellInfoList::ClipFormat, bytes);
    ASSERT_TRUE(editor->Drop(data, CScenarioEditor::DropMove, 3, &session));
    editor->EndDrag(CScenarioEditor::DropMove, session);
    EXPECT_EQ(Rows(), (std::vector<int>{1, 4, 2, 3, 5}));
    EXPECT_EQ(listener.RowCalls(), (Calls{"remove 1+1", "remove 1+1", "insert 2+1", "insert 3+1"}));
    EXPECT_EQ(editor->Rows().SelectedRows(), (std::vector<int>{2, 3}));
}

TEST_F(EditorNotificationsTest, PropertiesOfSeveralRowsReportOnlyTheRowsThatChanged)
{
    Open({1, 2, 3, 4, 5});
    // Rows 1, 2 and 4 selected; all get motion 0, which row 2 already has.
    for (const int row : {1, 4})
        CellOfRow(row)->MotionType = 1;
    Select({1, 2, 4});
    dialogs.cellAnswer = [](CCellPropData& d) {
        d.motion = 0;
        d.validMulti = 2;
    };
    Listen();
    ASSERT_TRUE(editor->Execute(cmd::CellProperties));
    EXPECT_EQ(listener.RowCalls(), (Calls{"change 1+1", "change 4+1"}));

    listener.lines.clear();
    ASSERT_TRUE(editor->Execute(cmd::Undo));
    EXPECT_EQ(listener.RowCalls(), (Calls{"change 1+1", "change 4+1"}));
}

TEST_F(EditorNotificationsTest, DisablingAContiguousRunIsOneChange)
{
    Open({1, 2, 3, 4});
    Select({0, 1, 2});
    Listen();
    ASSERT_TRUE(editor->Execute(cmd::CellDisable));
    EXPECT_EQ(listener.RowCalls(), (Calls{"change 0+3"}));
}

TEST_F(EditorNotificationsTest, AResetCarriesNoRowCalls)
{
    Open({1, 2, 3});
    doc->UpdateAllViews();
    Listen();
    doc->UpdateAllViews();
    EXPECT_EQ(listener.lines, (Calls{"about-reset", "reset"}));
}

TEST_F(EditorNotificationsTest, SavingAsANewNameTellsTitleAndModifiedFlag)
{
    Open({1});
    Listen();
    editor->Rows().SetSel(0);
    ASSERT_TRUE(editor->Execute(cmd::CellDisable));
    EXPECT_TRUE(doc->IsModified());
    ASSERT_TRUE(doc->SaveAs("renamed", folder));
    EXPECT_FALSE(doc->IsModified());
    const Calls& lines = listener.lines;
    EXPECT_EQ(std::count(lines.begin(), lines.end(), "modified"), 1);
    EXPECT_NE(std::find(lines.begin(), lines.end(), "saved"), lines.end());
    EXPECT_NE(std::find(lines.begin(), lines.end(), "title"), lines.end());
    EXPECT_EQ(doc->GetPathName(), folder + "renamed.sic");
}

TEST_F(EditorNotificationsTest, AListenerMayLeaveFromInsideACall)
{
    Open({1, 2});
    struct CLeaving : CZurDocListener
    {
        CZurDoc* doc = nullptr;
        int calls = 0;
        void RowsAboutToBeRemoved(int, int) override
        {
            ++calls;
            doc->RemoveListener(this);
        }
    } leaving;
    leaving.doc = doc.get();
    doc->AddListener(&leaving);
    Select({0, 1});
    editor->Execute(cmd::Delete);
    EXPECT_EQ(leaving.calls, 1);
}

// --- the busy guard ---------------------------------------------------------

TEST_F(EditorNotificationsTest, ADeleteDuringAnInsertionIsRefused)
{
    Open({1, 2, 3});
    Select({0});
    CCellInfoList list;
    for (const int id : {7, 8, 9})
        list.Append(std::make_unique<CCellCtrlInfo>()),
            list.GetAt(list.GetCount() - 1)->AutoIntervalSec = id;
    std::vector<bool> deleted;
    progress.onStep = [&] {
        EXPECT_EQ(editor->StateOf(cmd::Delete), CommandState::Grayed);
        EXPECT_EQ(editor->StateOf(cmd::SelectAll), CommandState::Enabled);
        deleted.push_back(editor->Execute(cmd::Delete));
        editor->Delete();
        EXPECT_FALSE(doc->Save());
        EXPECT_FALSE(doc->CloseWithoutSaving());
    };
    editor->SetInsertionIndex(3);
    ASSERT_TRUE(editor->InsertCells(cmd::Paste, list, true));
    progress.onStep = nullptr;
    EXPECT_EQ(deleted, (std::vector<bool>{false, false, false}));
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2, 3, 7, 8, 9}));
    const std::vector<int> ids = prompt.Ids();
    EXPECT_GE(std::count(ids.begin(), ids.end(), MsgId::ProjectBusy), 3);
    EXPECT_FALSE(doc->IsBusy());
    // Free again: the same delete works.
    Select({0});
    EXPECT_TRUE(editor->Execute(cmd::Delete));
    EXPECT_EQ(Rows(), (std::vector<int>{2, 3, 7, 8, 9}));
}

} // namespace
