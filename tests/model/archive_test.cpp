// The binary archive: integer, string and count encodings at their
// boundaries, and object records (new class, class reference, object
// reference, null) read back and rejected when damaged.
#include "model/archive.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfo.h"
#include "support/casename.h"

#include <QByteArray>
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

// Runs `read` over `data` and returns the cause of the archive error, or
// None when it read without one.
template <class F> CArchiveException::Cause CauseOf(const QByteArray& data, F read)
{
    try {
        CArchive ar(data);
        read(ar);
    } catch (const CArchiveException& e) {
        return e.GetCause();
    }
    return CArchiveException::None;
}

TEST(ArchiveIntegers, LittleEndian)
{
    QByteArray out;
    CArchive ar(&out);
    ar.WriteInt32(-2);
    ar.WriteUInt32(0x01020304);
    ar.WriteUInt16(0xBEEF);
    ar.WriteTime(0x3BBD8F1A);
    EXPECT_EQ(out, Bytes({0xFE, 0xFF, 0xFF, 0xFF, 0x04, 0x03, 0x02, 0x01, 0xEF, 0xBE, 0x1A, 0x8F,
                          0xBD, 0x3B}));

    CArchive in(out);
    EXPECT_TRUE(in.IsLoading());
    EXPECT_EQ(in.ReadInt32(), -2);
    EXPECT_EQ(in.ReadUInt32(), 0x01020304u);
    EXPECT_EQ(in.ReadUInt16(), 0xBEEF);
    EXPECT_EQ(in.ReadTime(), 0x3BBD8F1A);
    EXPECT_EQ(in.BytesLeft(), 0u);
}

TEST(ArchiveIntegers, ReadingPastTheEndFails)
{
    EXPECT_EQ(CauseOf(Bytes({1, 2, 3}), [](CArchive& ar) { ar.ReadInt32(); }),
              CArchiveException::EndOfFile);
    EXPECT_EQ(CauseOf(QByteArray(), [](CArchive& ar) { ar.ReadByte(); }),
              CArchiveException::EndOfFile);
}

TEST(ArchiveIntegers, WrongDirectionFails)
{
    QByteArray out;
    CArchive writer(&out);
    EXPECT_THROW(writer.ReadInt32(), CArchiveException);
    const QByteArray data = Bytes({1, 2, 3, 4});
    CArchive reader(data);
    EXPECT_THROW(reader.WriteInt32(1), CArchiveException);
}

struct StringCase
{
    size_t length;
    QByteArray prefix;
};

class ArchiveStrings : public ::testing::TestWithParam<StringCase>
{
};

TEST_P(ArchiveStrings, LengthPrefixAndRoundTrip)
{
    const StringCase& c = GetParam();
    std::string text(c.length, 'x');
    for (size_t i = 0; i < text.size(); i += 97)
        text[i] = char('a' + i % 26);
    QByteArray out;
    CArchive ar(&out);
    ar.WriteString(text);
    ASSERT_EQ(size_t(out.size()), c.prefix.size() + c.length);
    EXPECT_EQ(out.left(c.prefix.size()), c.prefix);

    CArchive in(out);
    EXPECT_EQ(in.ReadString(), text);
    EXPECT_EQ(in.BytesLeft(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Boundaries, ArchiveStrings,
    ::testing::Values(StringCase{0, Bytes({0x00})}, StringCase{1, Bytes({0x01})},
                      StringCase{254, Bytes({0xFE})}, StringCase{255, Bytes({0xFF, 0xFF, 0x00})},
                      StringCase{0xFFFD, Bytes({0xFF, 0xFD, 0xFF})},
                      StringCase{0xFFFE, Bytes({0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00})},
                      StringCase{0x12345, Bytes({0xFF, 0xFF, 0xFF, 0x45, 0x23, 0x01, 0x00})}),
    [](const auto& info) { return "Length" + std::to_string(info.param.length); });

TEST(ArchiveStringsRead, WideCharacterStringBecomesUtf8)
{
    // 0xFF, 0xFFFE announces wide characters; "Aé" in two UTF-16 units.
    const QByteArray data = Bytes({0xFF, 0xFE, 0xFF, 0x02, 0x41, 0x00, 0xE9, 0x00});
    CArchive in(data);
    EXPECT_EQ(in.ReadString(), "A\xC3\xA9");
}

TEST(ArchiveStringsRead, EmbeddedNulIsKept)
{
    const QByteArray data = Bytes({0x03, 'a', 0x00, 'b'});
    CArchive in(data);
    EXPECT_EQ(in.ReadString(), std::string("a\0b", 3));
}

TEST(ArchiveStringsRead, LengthsBeyondTheDataFail)
{
    const std::vector<QByteArray> damaged = {
        Bytes({0x05, 'a', 'b'}),                           // byte length
        Bytes({0xFF, 0x00, 0x01, 'a'}),                    // 16-bit length
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), // 32-bit length
        Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00,
               0x00}),                                     // 64-bit length
        Bytes({0xFF, 0xFE, 0xFF, 0x03, 0x41, 0x00, 0x42}), // wide, odd bytes left
        Bytes({0xFF}),                                     // cut inside the length
        Bytes({0xFF, 0xFF, 0xFF, 0x01}),
    };
    for (const QByteArray& d : damaged)
        EXPECT_EQ(CauseOf(d, [](CArchive& ar) { ar.ReadString(); }), CArchiveException::EndOfFile)
            << d.toHex().constData();
}

TEST(ArchiveCounts, SixteenBitWithEscape)
{
    QByteArray out;
    CArchive ar(&out);
    ar.WriteCount(0);
    ar.WriteCount(0xFFFE);
    ar.WriteCount(0xFFFF);
    ar.WriteCount(0x10000);
    EXPECT_EQ(out, Bytes({0x00, 0x00, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xFF, 0xFF,
                          0x00, 0x00, 0x01, 0x00}));
}

TEST(ArchiveCounts, ACountIsNeverLargerThanTheBytesLeft)
{
    QByteArray data = Bytes({0x03, 0x00});
    data.append(3, 'x');
    CArchive fits(data);
    EXPECT_EQ(fits.ReadCount(), 3u);

    EXPECT_EQ(CauseOf(Bytes({0x04, 0x00, 1, 2, 3}), [](CArchive& ar) { ar.ReadCount(); }),
              CArchiveException::EndOfFile);
    EXPECT_EQ(
        CauseOf(Bytes({0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0x7F}), [](CArchive& ar) { ar.ReadCount(); }),
        CArchiveException::EndOfFile);
}

// Objects: classes and objects share one index sequence from 1.
TEST(ArchiveObjects, ClassRecordsReferencesAndNull)
{
    CCellCtrlInfo first;
    first.InputDev = 1;
    CCellCtrlInfo second;
    second.InputDev = 2;
    QByteArray out;
    CArchive ar(&out);
    ar.WriteObject(&first);  // class 1, object 2
    ar.WriteObject(&second); // class reference 0x8001, object 3
    ar.WriteObject(&first);  // object reference 2
    ar.WriteObject(nullptr); // null tag

    const QByteArray control = Bytes({0, 0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 2, 0, 0, 0});
    QByteArray expected = Bytes({0xFF, 0xFF, 0x01, 0x00, 0x0D, 0x00});
    expected += "CCellCtrlInfo";
    expected += control + Bytes({1, 0, 0, 0});
    expected += Bytes({0x01, 0x80}) + control + Bytes({2, 0, 0, 0});
    expected += Bytes({0x02, 0x00, 0x00, 0x00});
    EXPECT_EQ(out.toHex(), expected.toHex());

    CArchive in(out);
    std::unique_ptr<CCellInfo> a, b, c, d;
    CCellInfo* ra = in.ReadObjectOf<CCellInfo>(a);
    CCellInfo* rb = in.ReadObjectOf<CCellInfo>(b);
    CCellInfo* rc = in.ReadObjectOf<CCellInfo>(c);
    CCellInfo* rd = in.ReadObjectOf<CCellInfo>(d);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(ra, a.get());
    EXPECT_EQ(rb, b.get());
    EXPECT_EQ(rc, a.get()); // the same object again, not a new one
    EXPECT_FALSE(c);
    EXPECT_EQ(rd, nullptr);
    EXPECT_FALSE(d);
    EXPECT_EQ(static_cast<CCellCtrlInfo*>(ra)->InputDev, 1);
    EXPECT_EQ(static_cast<CCellCtrlInfo*>(rb)->InputDev, 2);
}

TEST(ArchiveObjects, LargeIndexesUseTheLongTags)
{
    // 0x7FFF objects and more: references need the 32-bit forms.
    std::vector<std::unique_ptr<CCellInfo>> cells;
    for (int i = 0; i < 0x7FFF; ++i)
        cells.push_back(std::make_unique<CCellInfo>());
    CCellCtrlInfo control1, control2;
    QByteArray out;
    CArchive ar(&out);
    for (const auto& c : cells)
        ar.WriteObject(c.get());
    const qsizetype before = out.size();
    ar.WriteObject(&control1); // new class at index 0x8001, object 0x8002
    const qsizetype middle = out.size();
    ar.WriteObject(&control2); // class reference 0x7FFF, 0x80008001
    const qsizetype after = out.size();
    ar.WriteObject(&control1); // object reference 0x7FFF, 0x00008002
    EXPECT_EQ(out.mid(before, 2), Bytes({0xFF, 0xFF}));
    EXPECT_EQ(out.mid(middle, 6), Bytes({0xFF, 0x7F, 0x01, 0x80, 0x00, 0x80}));
    EXPECT_EQ(out.mid(after), Bytes({0xFF, 0x7F, 0x02, 0x80, 0x00, 0x00}));

    CArchive in(out);
    std::vector<std::unique_ptr<CCellInfo>> read(cells.size() + 3);
    std::vector<CCellInfo*> got;
    for (auto& r : read)
        got.push_back(in.ReadObjectOf<CCellInfo>(r));
    EXPECT_EQ(in.BytesLeft(), 0u);
    ASSERT_TRUE(read[0x7FFF] && read[0x8000]);
    EXPECT_EQ(read[0x8000]->CellType, CCellInfo::Type::Control);
    EXPECT_EQ(got[0x8001], read[0x7FFF].get());
    EXPECT_FALSE(read[0x8001]);
}

struct DamagedObject
{
    const char* what;
    QByteArray bytes;
    CArchiveException::Cause cause;
};

class ArchiveDamagedObjects : public ::testing::TestWithParam<DamagedObject>
{
};

TEST_P(ArchiveDamagedObjects, RaiseTheArchiveError)
{
    EXPECT_EQ(CauseOf(GetParam().bytes,
                      [](CArchive& ar) {
                          for (int i = 0; i < 4 && ar.BytesLeft(); ++i) {
                              std::unique_ptr<CCellInfo> cell;
                              ar.ReadObjectOf<CCellInfo>(cell);
                          }
                      }),
              GetParam().cause)
        << GetParam().what;
}

QByteArray NewClass(const char* name, int schema = 1)
{
    QByteArray b = Bytes({0xFF, 0xFF, schema & 0xFF, schema >> 8, int(strlen(name)), 0});
    return b + name;
}

const QByteArray PlainCell = Bytes({0, 0, 0, 0, 30, 0, 0, 0, 0, 0, 0, 0, 1, 0, 0, 0, 0, 0, 0, 0});

INSTANTIATE_TEST_SUITE_P(
    Cases, ArchiveDamagedObjects,
    ::testing::Values(
        DamagedObject{"unknown class", NewClass("CFoo") + PlainCell, CArchiveException::BadClass},
        DamagedObject{"not a cell", NewClass("CUndoCellInfo") + PlainCell,
                      CArchiveException::BadClass},
        DamagedObject{"the list class", NewClass("CCellInfoList") + PlainCell,
                      CArchiveException::BadClass},
        DamagedObject{"another schema", NewClass("CCellInfo", 2) + PlainCell,
                      CArchiveException::BadSchema},
        DamagedObject{"name too long", NewClass(std::string(64, 'C').c_str()) + PlainCell,
                      CArchiveException::BadClass},
        DamagedObject{"name cut short", Bytes({0xFF, 0xFF, 1, 0, 9, 0, 'C', 'C', 'e'}),
                      CArchiveException::EndOfFile},
        DamagedObject{"class index never written", Bytes({0x05, 0x80}) + PlainCell,
                      CArchiveException::BadIndex},
        DamagedObject{"class index 0", Bytes({0x00, 0x80}) + PlainCell,
                      CArchiveException::BadIndex},
        DamagedObject{"class index names an object",
                      NewClass("CCellInfo") + PlainCell + Bytes({0x02, 0x80}) + PlainCell,
                      CArchiveException::BadIndex},
        DamagedObject{"object index never written", Bytes({0x07, 0x00}),
                      CArchiveException::BadIndex},
        DamagedObject{"object index names a class",
                      NewClass("CCellInfo") + PlainCell + Bytes({0x01, 0x00}),
                      CArchiveException::BadIndex},
        DamagedObject{"long class tag never written",
                      Bytes({0xFF, 0x7F, 0x09, 0x00, 0x00, 0x80}) + PlainCell,
                      CArchiveException::BadIndex},
        DamagedObject{"fields cut short", NewClass("CCellInfo") + PlainCell.left(7),
                      CArchiveException::EndOfFile}),
    CaseWhat());

TEST(ArchiveObjects, KeptObjectsAreHandedOver)
{
    const QByteArray data;
    CArchive ar(data);
    ar.KeepObject(std::make_unique<CCellInfo>());
    ar.KeepObject(nullptr);
    EXPECT_EQ(ar.TakeKeptObjects().size(), 1u);
    EXPECT_TRUE(ar.TakeKeptObjects().empty());
}

} // namespace
