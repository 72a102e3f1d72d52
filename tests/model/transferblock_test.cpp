// The transfer block of a cell list ("CellInfo List" and "CellInfo List
// from ROvuv UR1" carry the same bytes): golden bytes, reading back field for
// field, and every kind of damage refused without a change to the list.
#include "model/archive.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"
#include "support/casename.h"

#include <QByteArray>
#include <QFile>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(char(uint8_t(v)));
    return b;
}

QByteArray Int(int32_t v)
{
    return Bytes({v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF, (v >> 24) & 0xFF});
}

// Two image cells and a control cell, with a deleted cell between them that
// the block must leave out.
void FillExampleList(CCellInfoList& list)
{
    list.ProjectFolder = "/p/";
    auto a = std::make_unique<CCellBmpInfo>();
    a->AutoIntervalSec = 10;
    a->MotionType = 1;
    a->FileName = "a.png";
    a->RefFilePath = "/s/a.jpg";
    a->RefFileTime = 0x3BBD8F1A;
    a->RefPage = 1;
    a->ThumbFileName = "a.jpg";
    a->Effect = 5;
    a->Disolve = {1, 2, 1, 0, 3, 4, 5, 6, 7, 100, -1};
    a->Resize[1] = 60;
    a->BmpSize[1] = 384;
    a->StateFlags = CCellInfo::StateAdded | CCellInfo::StateChanged;
    a->CardFileName = "SLIDE001.JPG"; // never written
    list.Append(std::move(a));

    auto b = std::make_unique<CCellBmpInfo>();
    b->CellValid = 0;
    b->FileName = "b.png";
    b->RefFilePath = "/s/deck.PPT";
    b->RefFileTime = -1;
    b->RefPage = 3;
    list.Append(std::move(b));

    auto gone = std::make_unique<CCellBmpInfo>();
    gone->FileName = "gone.png";
    gone->StateFlags = CCellInfo::StateDeleted;
    list.Append(std::move(gone));

    auto c = std::make_unique<CCellCtrlInfo>();
    c->AutoIntervalSec = 1800;
    c->MotionType = 1;
    c->InputDev = 2;
    list.Append(std::move(c));
}

QByteArray GoldenBlock()
{
    QByteArray g;
    g += Bytes({0x03}) + "/p/"; // ProjectFolder
    g += Bytes({0x03, 0x00});   // three visible cells
    // First image cell: new class (index 1), object 2.
    g += Bytes({0xFF, 0xFF, 0x01, 0x00, 0x0C, 0x00}) + "CCellBmpInfo";
    g += Int(0) + Int(10) + Int(1) + Int(1) + Int(1);
    g += Bytes({0x05}) + "a.png";
    g += Bytes({0x08}) + "/s/a.jpg";
    g += Bytes({0x1A, 0x8F, 0xBD, 0x3B}); // RefFileTime
    g += Int(1);                          // RefPage
    g += Bytes({0x00});                   // DispFileName
    g += Bytes({0x05}) + "a.jpg";
    // Effect, then Disolve elements 0, 1, 4, 8, 9, 2, 3, 5, 6, 7, 10.
    g += Int(5) + Int(1) + Int(2) + Int(3) + Int(7) + Int(100) + Int(1) + Int(0) + Int(4) + Int(5) +
         Int(6) + Int(-1);
    g += Int(160) + Int(60) + Int(1024) + Int(384);
    // Second image cell: class reference 0x8001, object 3.
    g += Bytes({0x01, 0x80});
    g += Int(0) + Int(30) + Int(0) + Int(0) + Int(1);
    g += Bytes({0x05}) + "b.png";
    g += Bytes({0x0B}) + "/s/deck.PPT";
    g += Int(-1) + Int(3);
    g += Bytes({0x00, 0x00});
    g += Int(0) + Int(0) + Int(0) + Int(0) + Int(0) + Int(2) + Int(0) + Int(0) + Int(0) + Int(0) +
         Int(0) + Int(0);
    g += Int(160) + Int(120) + Int(1024) + Int(768);
    // Control cell: new class (index 4), object 5.
    g += Bytes({0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00}) + "CCellCtrlInfo";
    g += Int(0) + Int(1800) + Int(1) + Int(1) + Int(2);
    g += Int(2);
    return g;
}

TEST(TransferBlock, GoldenBytes)
{
    CCellInfoList list;
    FillExampleList(list);
    EXPECT_EQ(list.ToBytes().toHex().toStdString(), GoldenBlock().toHex().toStdString());
}

TEST(TransferBlock, TheFuzzSeedIsTheGoldenBlock)
{
    QFile seed(ZELM_SOURCE_DIR "/fuzz/corpus/cellarchive_fuzz/golden_three_cells");
    ASSERT_TRUE(seed.open(QIODevice::ReadOnly));
    EXPECT_EQ(seed.readAll(), GoldenBlock());
}

TEST(TransferBlock, ReadsBackFieldForField)
{
    CCellInfoList target;
    target.ProjectFolder = "/old/";
    ASSERT_TRUE(target.AppendFromBytes(GoldenBlock()));
    EXPECT_EQ(target.ProjectFolder, "/p/");
    ASSERT_EQ(target.GetCount(), 3);

    auto* a = dynamic_cast<CCellBmpInfo*>(target.GetAt(0));
    auto* b = dynamic_cast<CCellBmpInfo*>(target.GetAt(1));
    auto* c = dynamic_cast<CCellCtrlInfo*>(target.GetAt(2));
    ASSERT_TRUE(a && b && c);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(target.GetAt(i)->OwnerList, &target);
        EXPECT_EQ(target.GetAt(i)->StateFlags, 0u);
        EXPECT_EQ(target.GetAt(i)->Reserved, 0);
    }

    EXPECT_EQ(a->CellType, CCellInfo::Type::Image);
    EXPECT_EQ(a->AutoIntervalSec, 10);
    EXPECT_EQ(a->MotionType, 1);
    EXPECT_EQ(a->CellValid, 1);
    EXPECT_EQ(a->FileName, "a.png");
    EXPECT_EQ(a->RefFilePath, "/s/a.jpg");
    EXPECT_EQ(a->RefFileTime, 0x3BBD8F1A);
    EXPECT_EQ(a->RefPage, 1);
    EXPECT_EQ(a->DispFileName, "");
    EXPECT_EQ(a->ThumbFileName, "a.jpg");
    EXPECT_EQ(a->Effect, 5);
    EXPECT_EQ(a->Disolve, (std::array<int32_t, 11>{1, 2, 1, 0, 3, 4, 5, 6, 7, 100, -1}));
    EXPECT_EQ(a->Resize[0], 160);
    EXPECT_EQ(a->Resize[1], 60);
    EXPECT_EQ(a->BmpSize[0], 1024);
    EXPECT_EQ(a->BmpSize[1], 384);
    EXPECT_EQ(a->SourceKind, CCellBmpInfo::SourceJpeg); // recomputed
    EXPECT_EQ(a->CardFileName, "");
    EXPECT_EQ(a->PictureSource, CCellBmpInfo::PictureNone);

    EXPECT_EQ(b->CellValid, 0);
    EXPECT_EQ(b->RefFileTime, -1);
    EXPECT_EQ(b->RefPage, 3);
    EXPECT_EQ(b->SourceKind, CCellBmpInfo::SourcePpt);
    EXPECT_TRUE(b->IsFromPresentation());
    EXPECT_EQ(b->Disolve[9], 2);

    EXPECT_EQ(c->CellType, CCellInfo::Type::Control);
    EXPECT_EQ(c->AutoIntervalSec, 1800);
    EXPECT_EQ(c->MotionType, 1);
    EXPECT_EQ(c->InputDev, 2);

    // And the list writes the same block again.
    EXPECT_EQ(target.ToBytes(), GoldenBlock());
}

TEST(TransferBlock, AppendsAfterTheCellsAlreadyThere)
{
    CCellInfoList target;
    target.Append(std::make_unique<CCellCtrlInfo>());
    ASSERT_TRUE(target.AppendFromBytes(GoldenBlock()));
    ASSERT_EQ(target.GetCount(), 4);
    EXPECT_EQ(target.GetAt(0)->CellType, CCellInfo::Type::Control);
    EXPECT_EQ(target.GetAt(1)->CellType, CCellInfo::Type::Image);
}

TEST(TransferBlock, DeletedCellsAreNeitherWrittenNorCounted)
{
    CCellInfoList list;
    list.ProjectFolder = "/p/";
    for (int i = 0; i < 4; ++i) {
        auto cell = std::make_unique<CCellCtrlInfo>();
        cell->InputDev = i % 3;
        if (i != 2)
            cell->StateFlags = CCellInfo::StateDeleted;
        list.Append(std::move(cell));
    }
    const QByteArray block = list.ToBytes();
    EXPECT_EQ(block.mid(4, 2), Bytes({0x01, 0x00}));
    CCellInfoList back;
    ASSERT_TRUE(back.AppendFromBytes(block));
    ASSERT_EQ(back.GetCount(), 1);
    EXPECT_EQ(static_cast<CCellCtrlInfo*>(back.GetAt(0))->InputDev, 2);

    CCellInfoList none;
    none.Append(std::make_unique<CCellCtrlInfo>());
    none.GetAt(0)->StateFlags = CCellInfo::StateDeleted;
    EXPECT_EQ(none.ToBytes(), Bytes({0x00, 0x00, 0x00}));
}

TEST(TransferBlock, ACellClaimingAnotherTypeIsTakenByItsClass)
{
    // A plain cell that says it is an image cell, an image cell that says it
    // is a control cell: the class decides, so nobody treats one as the other.
    QByteArray block = Bytes({0x00, 0x02, 0x00});
    block += Bytes({0xFF, 0xFF, 0x01, 0x00, 0x09, 0x00}) + "CCellInfo";
    block += Int(0) + Int(30) + Int(0) + Int(1) + Int(1);
    block += Bytes({0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00}) + "CCellCtrlInfo";
    block += Int(0) + Int(30) + Int(0) + Int(1) + Int(1) + Int(7);
    CCellInfoList list;
    ASSERT_TRUE(list.AppendFromBytes(block));
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(0)->CellType, CCellInfo::Type::Plain);
    EXPECT_EQ(list.GetAt(1)->CellType, CCellInfo::Type::Control);
    // A copy of the list keeps each cell's class.
    CCellInfoList copy;
    ASSERT_TRUE(copy.CopyFrom(&list));
    EXPECT_EQ(std::string(copy.GetAt(0)->ClassName()), "CCellInfo");
    EXPECT_EQ(std::string(copy.GetAt(1)->ClassName()), "CCellCtrlInfo");
}

// Reads `block` through the list's archive form and returns the error cause.
CArchiveException::Cause ReadCause(const QByteArray& block)
{
    CCellInfoList list;
    try {
        CArchive ar(block);
        list.Serialize(ar);
    } catch (const CArchiveException& e) {
        return e.GetCause();
    }
    return CArchiveException::None;
}

QByteArray Header(int count)
{
    return Bytes({0x03}) + "/p/" + Bytes({count & 0xFF, count >> 8});
}

QByteArray ControlBody()
{
    return Int(0) + Int(30) + Int(0) + Int(1) + Int(2) + Int(0);
}

QByteArray ControlClass(int schema = 1)
{
    return Bytes({0xFF, 0xFF, schema, 0x00, 0x0D, 0x00}) + "CCellCtrlInfo";
}

struct BadBlock
{
    const char* what;
    QByteArray block;
    CArchiveException::Cause cause;
};

class TransferBlockDamage : public ::testing::TestWithParam<BadBlock>
{
};

TEST_P(TransferBlockDamage, IsRefusedAndChangesNothing)
{
    const BadBlock& c = GetParam();
    EXPECT_EQ(ReadCause(c.block), c.cause) << c.what;

    CCellInfoList list;
    list.ProjectFolder = "/mine/";
    list.Append(std::make_unique<CCellCtrlInfo>());
    EXPECT_FALSE(list.AppendFromBytes(c.block)) << c.what;
    EXPECT_EQ(list.GetCount(), 1);
    EXPECT_EQ(list.ProjectFolder, "/mine/");
}

QByteArray WithClassName(const char* name, int schema = 1)
{
    return Header(1) + Bytes({0xFF, 0xFF, schema, 0x00, int(strlen(name)), 0x00}) + name +
           ControlBody();
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, TransferBlockDamage,
    ::testing::Values(
        BadBlock{"class not derived from the cell", WithClassName("CUndoCellInfo"),
                 CArchiveException::BadClass},
        BadBlock{"unknown class", WithClassName("CObList"), CArchiveException::BadClass},
        BadBlock{"another schema", Header(1) + ControlClass(2) + ControlBody(),
                 CArchiveException::BadSchema},
        BadBlock{"schema 0", Header(1) + ControlClass(0) + ControlBody(),
                 CArchiveException::BadSchema},
        BadBlock{"count beyond the bytes left",
                 Bytes({0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}) + ControlClass() + ControlBody(),
                 CArchiveException::EndOfFile},
        BadBlock{"more cells counted than written",
                 Header(2) + ControlClass() + ControlBody() + Bytes({0x01, 0x80}),
                 CArchiveException::EndOfFile},
        BadBlock{"folder longer than the block", Bytes({0xFF, 0xF0, 0xFF, 'a'}),
                 CArchiveException::EndOfFile},
        BadBlock{"class reference never written", Header(1) + Bytes({0x03, 0x80}) + ControlBody(),
                 CArchiveException::BadIndex},
        BadBlock{"class reference naming an object",
                 Header(2) + ControlClass() + ControlBody() + Bytes({0x02, 0x80}) + ControlBody(),
                 CArchiveException::BadIndex},
        BadBlock{"a cell written twice",
                 Header(2) + ControlClass() + ControlBody() + Bytes({0x02, 0x00}),
                 CArchiveException::BadIndex},
        BadBlock{"a null cell", Header(1) + Bytes({0x00, 0x00}), CArchiveException::BadIndex},
        BadBlock{"object reference never written", Header(1) + Bytes({0x09, 0x00}),
                 CArchiveException::BadIndex}),
    CaseWhat());

TEST(TransferBlockDamage, EveryTruncationIsRefused)
{
    const QByteArray golden = GoldenBlock();
    for (qsizetype n = 0; n < golden.size(); ++n) {
        CCellInfoList list;
        EXPECT_FALSE(list.AppendFromBytes(golden.left(n))) << n;
        EXPECT_EQ(list.GetCount(), 0);
    }
}

TEST(TransferBlockDamage, HugeClaimsAllocateNothing)
{
    // A folder claiming 4 GB and a count claiming 4 billion cells, in a few
    // bytes: refused at once.
    CCellInfoList list;
    EXPECT_FALSE(list.AppendFromBytes(Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF})));
    EXPECT_FALSE(list.AppendFromBytes(Bytes({0x00, 0xFF, 0xFF, 0xFE, 0xFF, 0xFF, 0xFF})));
    EXPECT_EQ(list.GetCount(), 0);
}

} // namespace
