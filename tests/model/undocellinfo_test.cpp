// Undo records of a property edit of several cells: copying, restoring, and
// their archive form.
#include "model/archive.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/undocellinfo.h"
#include "model/undocellinfolist.h"

#include <gtest/gtest.h>

namespace {

std::unique_ptr<CUndoCellInfo> RecordOf(CCellInfo* cell)
{
    auto record = std::make_unique<CUndoCellInfo>();
    record->AutoIntervalSec = cell->AutoIntervalSec;
    record->MotionType = cell->MotionType;
    record->CellValid = cell->CellValid;
    record->CellType = cell->CellType;
    if (auto* image = dynamic_cast<CCellBmpInfo*>(cell))
        record->Effect = image->Effect;
    record->Cell = cell;
    return record;
}

TEST(UndoCellInfo, DefaultsAndCopy)
{
    CUndoCellInfo record;
    EXPECT_EQ(record.AutoIntervalSec, 30);
    EXPECT_EQ(record.MotionType, 0);
    EXPECT_EQ(record.CellValid, 1);
    EXPECT_EQ(record.CellType, CCellInfo::Type::Plain);
    EXPECT_EQ(record.Effect, 0);
    EXPECT_EQ(record.Cell, nullptr);

    CCellBmpInfo cell;
    CUndoCellInfo other;
    other.AutoIntervalSec = 5;
    other.MotionType = 1;
    other.CellValid = 0;
    other.CellType = CCellInfo::Type::Image;
    other.Effect = 12;
    other.Cell = &cell;
    ASSERT_TRUE(record.CopyFrom(&other));
    EXPECT_EQ(record.AutoIntervalSec, 5);
    EXPECT_EQ(record.MotionType, 1);
    EXPECT_EQ(record.CellValid, 0);
    EXPECT_EQ(record.CellType, CCellInfo::Type::Image);
    EXPECT_EQ(record.Effect, 12);
    EXPECT_EQ(record.Cell, &cell);
    EXPECT_FALSE(record.CopyFrom(nullptr));
    EXPECT_EQ(record.Effect, 12);
}

TEST(UndoCellInfoList, RestoreAllPutsBackTheRecordedCellsOnly)
{
    CCellBmpInfo image;
    CCellCtrlInfo control;
    CCellBmpInfo untouched;
    image.AutoIntervalSec = 10;
    image.Effect = 3;
    control.InputDev = 1;

    CUndoCellInfoList records;
    records.Append(RecordOf(&image));
    records.Append(RecordOf(&control));
    auto stray = std::make_unique<CUndoCellInfo>(); // no cell: skipped
    stray->AutoIntervalSec = 1;
    records.Append(std::move(stray));
    EXPECT_EQ(records.Append(nullptr), -1);
    ASSERT_EQ(records.GetCount(), 3);

    // The edit.
    for (CCellInfo* cell : {static_cast<CCellInfo*>(&image), static_cast<CCellInfo*>(&control)}) {
        cell->AutoIntervalSec = 600;
        cell->MotionType = 1;
        cell->CellValid = 0;
        cell->StateFlags |= CCellInfo::StateUndo | CCellInfo::StateChanged;
    }
    image.Effect = 40;
    control.InputDev = 2;
    untouched.StateFlags = CCellInfo::StateUndo;

    records.RestoreAll();
    EXPECT_TRUE(records.IsEmpty());
    EXPECT_EQ(image.AutoIntervalSec, 10);
    EXPECT_EQ(image.MotionType, 0);
    EXPECT_EQ(image.CellValid, 1);
    EXPECT_EQ(image.Effect, 3);
    EXPECT_EQ(image.StateFlags, uint32_t(CCellInfo::StateChanged));
    EXPECT_EQ(control.AutoIntervalSec, 30);
    EXPECT_EQ(control.InputDev, 2); // not part of a record
    EXPECT_EQ(control.StateFlags, uint32_t(CCellInfo::StateChanged));
    EXPECT_EQ(untouched.StateFlags, uint32_t(CCellInfo::StateUndo));
}

TEST(UndoCellInfoList, ARecordOfAnImageTypeOnAControlCellLeavesTheEffectAlone)
{
    CCellCtrlInfo control;
    CUndoCellInfoList records;
    auto record = RecordOf(&control);
    record->CellType = CCellInfo::Type::Image;
    record->Effect = 9;
    record->AutoIntervalSec = 77;
    records.Append(std::move(record));
    records.RestoreAll();
    EXPECT_EQ(control.AutoIntervalSec, 77);
}

TEST(UndoCellInfoList, ArchiveLayoutAndRoundTrip)
{
    CCellCtrlInfo shared;
    shared.InputDev = 2;
    CUndoCellInfoList records;
    auto first = RecordOf(&shared);
    first->AutoIntervalSec = 7;
    first->Effect = 4;
    records.Append(std::move(first));
    records.Append(RecordOf(&shared)); // the same cell again: a reference
    auto empty = std::make_unique<CUndoCellInfo>();
    records.Append(std::move(empty));

    const QByteArray bytes = records.ToBytes();
    auto i32 = [](int v) {
        QByteArray b(4, 0);
        for (int k = 0; k < 4; ++k)
            b[k] = char((v >> (8 * k)) & 0xFF);
        return b;
    };
    QByteArray expected("\x03\x00", 2);
    expected += QByteArray("\xFF\xFF\x01\x00\x0D\x00", 6) + "CUndoCellInfo"; // class 1, object 2
    expected += i32(7) + i32(0) + i32(1) + i32(4);
    expected += QByteArray("\xFF\xFF\x01\x00\x0D\x00", 6) + "CCellCtrlInfo"; // class 3, object 4
    expected += i32(0) + i32(30) + i32(0) + i32(1) + i32(2) + i32(2);
    expected += i32(2);                    // CellType
    expected += QByteArray("\x01\x80", 2); // record class, object 5
    expected += i32(30) + i32(0) + i32(1) + i32(0);
    expected += QByteArray("\x04\x00", 2); // the cell, object 4
    expected += i32(2);
    expected += QByteArray("\x01\x80", 2); // object 6
    expected += i32(30) + i32(0) + i32(1) + i32(0);
    expected += QByteArray("\x00\x00", 2); // no cell
    expected += i32(0);
    EXPECT_EQ(bytes.toHex().toStdString(), expected.toHex().toStdString());

    CUndoCellInfoList back;
    ASSERT_TRUE(back.LoadFromBytes(bytes));
    ASSERT_EQ(back.GetCount(), 3);
    EXPECT_EQ(back.GetAt(0)->AutoIntervalSec, 7);
    EXPECT_EQ(back.GetAt(0)->Effect, 4);
    EXPECT_EQ(back.GetAt(0)->CellType, CCellInfo::Type::Control);
    ASSERT_NE(back.GetAt(0)->Cell, nullptr);
    EXPECT_EQ(back.GetAt(0)->Cell, back.GetAt(1)->Cell);
    EXPECT_EQ(static_cast<CCellCtrlInfo*>(back.GetAt(0)->Cell)->InputDev, 2);
    EXPECT_EQ(back.GetAt(2)->Cell, nullptr);
    EXPECT_EQ(back.ToBytes(), bytes);
}

TEST(UndoCellInfoList, DamagedArchivesAreRefused)
{
    CCellBmpInfo cell;
    CUndoCellInfoList records;
    records.Append(RecordOf(&cell));
    records.Append(RecordOf(&cell));
    const QByteArray bytes = records.ToBytes();
    CUndoCellInfoList target;
    target.Append(std::make_unique<CUndoCellInfo>());
    for (qsizetype n = 0; n < bytes.size(); ++n)
        EXPECT_FALSE(target.LoadFromBytes(bytes.left(n))) << n;
    EXPECT_EQ(target.GetCount(), 1);

    // A record whose cell refers back to the record itself.
    QByteArray self("\x01\x00\xFF\xFF\x01\x00\x0D\x00", 8);
    self += "CUndoCellInfo";
    self += QByteArray(16, '\0') + QByteArray("\x02\x00", 2) + QByteArray(4, '\0');
    EXPECT_FALSE(target.LoadFromBytes(self));
    // A cell class where a record belongs.
    QByteArray cellAsRecord("\x01\x00\xFF\xFF\x01\x00\x09\x00", 8);
    cellAsRecord += "CCellInfo";
    cellAsRecord += QByteArray(20, '\0');
    EXPECT_FALSE(target.LoadFromBytes(cellAsRecord));
    EXPECT_EQ(target.GetCount(), 1);

    target.DeleteAll();
    EXPECT_TRUE(target.IsEmpty());
}

} // namespace
