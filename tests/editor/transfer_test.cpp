#include "base/msgid.h"
#include "editor/celldragsession.h"
#include "editorfixture.h"
#include "support/casename.h"

namespace {

namespace cmd = EditorCommand;

using TransferTest = EditorFixture;

TEST_F(TransferTest, CopyPlacesTheSelectedCellsInOrder)
{
    Open({1, 2, 3});
    Select({0, 2});
    ASSERT_TRUE(editor->Copy());
    ASSERT_EQ(clipboard.Formats(), (std::vector<std::string>{CCellInfoList::ClipFormat}));
    CCellInfoList read;
    ASSERT_TRUE(read.AppendFromBytes(clipboard.Data(CCellInfoList::ClipFormat)));
    ASSERT_EQ(read.GetCount(), 2);
    EXPECT_EQ(read.GetAt(0)->AutoIntervalSec, 1);
    EXPECT_EQ(read.GetAt(1)->AutoIntervalSec, 3);
    EXPECT_EQ(read.ProjectFolder, folder);
    EXPECT_EQ(editor->UndoCode(), 0);
    EXPECT_FALSE(doc->IsModified());
}

TEST_F(TransferTest, PasteWithTwoRowsSelectedDoesNothing)
{
    Open({1, 2, 3});
    Select({0});
    ASSERT_TRUE(editor->Copy());
    Select({0, 1});
    EXPECT_EQ(editor->StateOf(cmd::Paste), CommandState::Grayed);
    EXPECT_FALSE(editor->Paste());
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(TransferTest, PasteBeforeTheSelectedRowOrAtTheEnd)
{
    Open({1, 2, 3});
    Select({2});
    ASSERT_TRUE(editor->Copy());
    Select({0});
    ASSERT_TRUE(editor->Paste());
    EXPECT_EQ(Rows(), (std::vector<int>{3, 1, 2, 3}));
    EXPECT_EQ(CellOfRow(0)->StateFlags, 0x11u);
    EXPECT_EQ(editor->Rows().SelectedRows(), (std::vector<int>{0}));
    EXPECT_EQ(editor->UndoCode(), cmd::Paste);
    EXPECT_EQ(editor->Rows().FocusRow(), 0) << "the keys go on from the pasted row";
    Select({});
    ASSERT_TRUE(editor->Paste());
    EXPECT_EQ(Rows(), (std::vector<int>{3, 1, 2, 3, 3}));
    EXPECT_EQ(editor->Rows().FocusRow(), 4);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(Rows(), (std::vector<int>{3, 1, 2, 3})) << "only the last paste is undone";
}

TEST_F(TransferTest, PasteTakesTheFirstOfTheTwoFormats)
{
    Open({1});
    CCellInfoList a, b;
    auto first = std::make_unique<CCellCtrlInfo>();
    first->AutoIntervalSec = 77;
    a.Append(std::move(first));
    auto second = std::make_unique<CCellCtrlInfo>();
    second->AutoIntervalSec = 88;
    b.Append(std::move(second));
    clipboard.AddData("text/plain", "hello");
    clipboard.AddData(CCellInfoList::ClipFormatFiles, a.ToBytes());
    clipboard.AddData(CCellInfoList::ClipFormat, b.ToBytes());
    ASSERT_TRUE(editor->Paste());
    EXPECT_EQ(Rows(), (std::vector<int>{1, 77}));
}

TEST_F(TransferTest, CutThenUndoRestoresRowsAndEmptiesTheClipboard)
{
    Open({1, 2, 3, 4});
    Select({1, 3});
    ASSERT_TRUE(editor->Cut());
    EXPECT_EQ(Rows(), (std::vector<int>{1, 3}));
    EXPECT_EQ(editor->UndoCode(), cmd::Cut);
    EXPECT_EQ(doc->Cells.GetAt(1)->StateFlags, 0x14u);
    CCellInfoList read;
    ASSERT_TRUE(read.AppendFromBytes(clipboard.Data(CCellInfoList::ClipFormat)));
    ASSERT_EQ(read.GetCount(), 2);
    EXPECT_EQ(read.GetAt(1)->AutoIntervalSec, 4);
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_TRUE(clipboard.Formats().empty());
}

TEST_F(TransferTest, CutWithALockedClipboardStillRemovesAndIsUndoable)
{
    Open({1, 2});
    clipboard.SetLocked(true);
    Select({0});
    EXPECT_FALSE(editor->Cut());
    EXPECT_EQ(Rows(), (std::vector<int>{2}));
    ASSERT_TRUE(editor->Undo());
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2}));
}

TEST_F(TransferTest, DamagedBlocksInsertNothing)
{
    Open({1, 2});
    CCellInfoList source;
    for (int id : {5, 6}) {
        auto cell = std::make_unique<CCellCtrlInfo>();
        cell->AutoIntervalSec = id;
        source.Append(std::move(cell));
    }
    const QByteArray good = source.ToBytes();
    QByteArray otherClass = good;
    const int at = otherClass.indexOf("CCellCtrlInfo");
    ASSERT_GE(at, 0);
    otherClass.replace(at, 13, "CUndoCellInfo");
    struct Case
    {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"truncated", good.left(good.size() - 3)},
        {"cut in the header", good.left(4)},
        {"another class", otherClass},
        {"noise", QByteArray("\xff\xff\xff\xff\x01\x00garbage", 14)},
        {"count beyond the bytes", QByteArray("\x00\xff\xff\xff\xff\xff\x7f", 7)},
    };
    for (const Case& c : cases) {
        clipboard.SetData(CCellInfoList::ClipFormat, c.bytes);
        prompt.shown.clear();
        Select({});
        EXPECT_FALSE(editor->Paste()) << c.what;
        EXPECT_EQ(Rows(), (std::vector<int>{1, 2})) << c.what;
        EXPECT_EQ(doc->Cells.GetCount(), 2) << c.what;
        EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::InsertFailed})) << c.what;
    }
}

TEST_F(TransferTest, BlockNamingFilesOutsideItsFolderIsRefused)
{
    Open({1});
    for (const char* name : {"../outside.png", "/etc/passwd", "..", "sub/inner.png"}) {
        CCellInfoList source;
        source.ProjectFolder = folder;
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->FileName = name;
        cell->RefFilePath = "/nowhere/x.png";
        cell->RefPage = 1;
        source.Append(std::move(cell));
        CCellInfoList read;
        EXPECT_FALSE(CScenarioEditor::ReadTransferBlock(source.ToBytes(), read)) << name;
        EXPECT_EQ(read.GetCount(), 0);
        auto thumbOnly = std::make_unique<CCellBmpInfo>();
        thumbOnly->ThumbFileName = name;
        source.DeleteAll();
        source.Append(std::move(thumbOnly));
        EXPECT_FALSE(CScenarioEditor::ReadTransferBlock(source.ToBytes(), read)) << name;
    }
}

// --- internal moves -------------------------------------------------------

struct MoveCase
{
    const char* what;
    std::vector<int> selected; // 0-based rows
    int dropRow;               // row under the drop point, -1 below the last row
    std::vector<int> expected;
    bool copies; // the moved cells are new objects
};

void PrintTo(const MoveCase& c, std::ostream* os)
{
    *os << c.what;
}

class MoveTest : public EditorFixture, public ::testing::WithParamInterface<MoveCase>
{
};

TEST_P(MoveTest, InternalMove)
{
    const MoveCase& c = GetParam();
    Open({1, 2, 3, 4, 5});
    std::vector<CCellInfo*> before;
    for (int r = 0; r < 5; ++r)
        before.push_back(CellOfRow(r));
    Select(c.selected);
    CCellDragSession session;
    const QByteArray bytes = editor->BeginDrag(session);
    ASSERT_FALSE(bytes.isEmpty());
    EXPECT_EQ(session.source, editor.get());
    CMemoryClipboard data;
    data.SetData(CCellInfoList::ClipFormat, bytes);
    ASSERT_TRUE(editor->Drop(data, CScenarioEditor::DropMove, c.dropRow, &session));
    editor->EndDrag(CScenarioEditor::DropMove, session);
    EXPECT_EQ(Rows(), c.expected) << c.what;
    EXPECT_EQ(VisibleCells(), c.expected) << c.what << ": the document's order";
    EXPECT_EQ(editor->InsertionIndex(), -1);
    EXPECT_EQ(editor->UndoCode(), 0) << "a move leaves nothing to undo";
    if (c.copies) {
        for (int r = 0; r < editor->Rows().GetCount(); ++r) {
            CCellInfo* cell = CellOfRow(r);
            const bool moved = std::find(c.selected.begin(), c.selected.end(),
                                         cell->AutoIntervalSec - 1) != c.selected.end();
            if (moved) {
                EXPECT_EQ(std::find(before.begin(), before.end(), cell), before.end());
                EXPECT_EQ(cell->StateFlags, uint32_t(CCellInfo::StateAdded));
                EXPECT_TRUE(editor->Rows().IsSelected(r)) << "the moved rows are selected";
            }
        }
        for (int row : c.selected)
            EXPECT_FALSE(before[static_cast<size_t>(row)]->IsVisible())
                << "the old cell is flagged deleted";
        // The keys go on from the moved rows.
        const std::vector<int> moved = editor->Rows().SelectedRows();
        ASSERT_FALSE(moved.empty());
        EXPECT_EQ(editor->Rows().FocusRow(), moved.back());
        EXPECT_EQ(editor->Rows().AnchorRow(), moved.front());
        EXPECT_TRUE(doc->IsModified());
    } else {
        for (int r = 0; r < 5; ++r)
            EXPECT_EQ(CellOfRow(r), before[static_cast<size_t>(r)]) << "nothing changed";
        EXPECT_FALSE(doc->IsModified());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Moves, MoveTest,
    ::testing::Values(MoveCase{"rows 2 and 3 onto row 5", {1, 2}, 4, {1, 4, 5, 2, 3}, true},
                      MoveCase{"rows 2 and 3 onto row 1", {1, 2}, 0, {2, 3, 1, 4, 5}, true},
                      MoveCase{"rows 2 and 3 onto row 3", {1, 2}, 2, {1, 2, 3, 4, 5}, true},
                      MoveCase{"rows 2 and 3 onto row 4", {1, 2}, 3, {1, 4, 2, 3, 5}, true},
                      MoveCase{
                          "rows 2 and 3 below the last row", {1, 2}, -1, {1, 4, 5, 2, 3}, true},
                      MoveCase{"rows 1 and 2 onto row 2", {0, 1}, 1, {1, 2, 3, 4, 5}, true},
                      MoveCase{"rows 1 and 5 onto row 3", {0, 4}, 2, {2, 3, 1, 5, 4}, true},
                      MoveCase{"row 4 onto row 2", {3}, 1, {1, 4, 2, 3, 5}, true},
                      MoveCase{"every row", {0, 1, 2, 3, 4}, 1, {1, 2, 3, 4, 5}, false},
                      MoveCase{"one row onto itself", {2}, 2, {1, 2, 3, 4, 5}, false}),
    CaseWhat());

TEST_F(TransferTest, CtrlDragWithinTheViewDuplicates)
{
    Open({1, 2, 3});
    Select({0});
    CCellDragSession session;
    CMemoryClipboard data;
    data.SetData(CCellInfoList::ClipFormat, editor->BeginDrag(session));
    ASSERT_TRUE(editor->Drop(data, CScenarioEditor::DropCopy, 2, &session));
    editor->EndDrag(CScenarioEditor::DropCopy, session);
    EXPECT_EQ(Rows(), (std::vector<int>{1, 2, 1, 3}));
    EXPECT_EQ(CellOfRow(2)->StateFlags, uint32_t(CCellInfo::StateAdded))
        << "a drop is not undoable";
    EXPECT_EQ(editor->UndoCode(), 0);
}

TEST_F(TransferTest, DropRefusals)
{
    Open({1});
    CCellDragSession session;
    CMemoryClipboard data;
    data.SetData("text/plain", "x");
    EXPECT_FALSE(editor->Drop(data, CScenarioEditor::DropCopy, 0, &session));
    CCellInfoList list;
    list.Append(std::make_unique<CCellCtrlInfo>());
    data.SetData(CCellInfoList::ClipFormatFiles, list.ToBytes());
    EXPECT_FALSE(editor->Drop(data, CScenarioEditor::DropNone, 0, &session));
    EXPECT_FALSE(editor->Drop(data, CScenarioEditor::DropCopy, 0, nullptr)) << "no main window";
    EXPECT_TRUE(editor->Drop(data, CScenarioEditor::DropCopy, 0, &session));
    EXPECT_EQ(Rows().size(), 2u);
    EXPECT_EQ(session.target, editor.get());
}

// --- moves between two projects -------------------------------------------

class TwoProjectsTest : public EditorFixture
{
protected:
    void SetUp() override
    {
        EditorFixture::SetUp();
        otherFolder = dir.path().toStdString() + "/other/";
        QDir().mkpath(QString::fromStdString(otherFolder));
        otherDoc = std::make_unique<CZurDoc>(&prompt);
        otherDoc->ProjectPath = otherFolder;
        otherDoc->Cells.ProjectFolder = otherFolder;
        for (int id : {100, 200}) {
            auto cell = std::make_unique<CCellCtrlInfo>();
            cell->AutoIntervalSec = id;
            otherDoc->Cells.Append(std::move(cell));
        }
        other = std::make_unique<CScenarioEditor>(*otherDoc);
        other->SetParallelImport({}, 0);
    }
    void TearDown() override
    {
        other.reset();
        otherDoc.reset();
        EditorFixture::TearDown();
    }
    std::vector<int> OtherRows() const
    {
        std::vector<int> ids;
        for (int r = 0; r < other->Rows().GetCount(); ++r)
            ids.push_back(other->Rows().GetCell(r)->AutoIntervalSec);
        return ids;
    }

    std::string otherFolder;
    std::unique_ptr<CZurDoc> otherDoc;
    std::unique_ptr<CScenarioEditor> other;
};

TEST_F(TwoProjectsTest, MoveToAnotherProject)
{
    Open({1, 2, 3});
    Select({0, 2});
    CCellDragSession session;
    CMemoryClipboard data;
    data.SetData(CCellInfoList::ClipFormat, editor->BeginDrag(session));
    ASSERT_TRUE(other->Drop(data, CScenarioEditor::DropMove, 1, &session));
    editor->EndDrag(CScenarioEditor::DropMove, session);
    EXPECT_EQ(OtherRows(), (std::vector<int>{100, 1, 3, 200}));
    EXPECT_EQ(Rows(), (std::vector<int>{2}));
    EXPECT_EQ(doc->Cells.GetAt(0)->StateFlags, uint32_t(CCellInfo::StateDeleted)) << "no undo mark";
    EXPECT_EQ(editor->UndoCode(), 0);
    EXPECT_EQ(other->UndoCode(), 0);
    EXPECT_TRUE(doc->IsModified());
    EXPECT_TRUE(otherDoc->IsModified());
    EXPECT_EQ(otherDoc->Cells.GetAt(1)->OwnerList, &otherDoc->Cells);
}

TEST_F(TwoProjectsTest, CellsThatDidNotArriveStayInTheSource)
{
    // The second dragged cell is a picture whose files cannot be had: the
    // target takes the first cell only, and only that one leaves.
    Open({1, 2, 3}, {2});
    static_cast<CCellBmpInfo*>(doc->Cells.GetAt(1))->RefFilePath = folder + "missing.png";
    static_cast<CCellBmpInfo*>(doc->Cells.GetAt(1))->RefPage = 1;
    Select({0, 1, 2});
    CCellDragSession session;
    CMemoryClipboard data;
    data.SetData(CCellInfoList::ClipFormat, editor->BeginDrag(session));
    EXPECT_TRUE(other->Drop(data, CScenarioEditor::DropMove, -1, &session));
    EXPECT_EQ(session.acceptedCells, 1);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::FileDoesNotExist}));
    EXPECT_EQ(other->LastInsertFailure().file(), folder + "missing.png");
    editor->EndDrag(CScenarioEditor::DropMove, session);
    EXPECT_EQ(OtherRows(), (std::vector<int>{100, 200, 1}));
    EXPECT_EQ(Rows(), (std::vector<int>{2, 3}));
}

} // namespace
