// The record reader: the structure of presentations LibreOffice wrote, of
// presentations built here, and its refusals of damaged and foreign files.
#include "pptbuilder.h"
#include "presentation/compoundfile.h"
#include "presentation/pptreader.h"
#include "presentationfixtures.h"
#include "testcompound.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

using Failure = CPptReader::Failure;

std::vector<uint32_t> ids(std::initializer_list<uint32_t> list)
{
    return list;
}

CPptStructure readFixture(const std::string& name)
{
    CPptStructure s;
    const std::string path = CPresentationFixtures::Path(name);
    EXPECT_FALSE(path.empty()) << name;
    EXPECT_EQ(CPptReader::ReadFile(path, s), CPptReader::NoFailure) << name;
    return s;
}

TEST(PptReaderLibreOffice, PlainDeckListsItsSlidesInOrder)
{
    const CPptStructure s = readFixture("plain6");
    EXPECT_EQ(s.slideIds, ids({256, 257, 258, 259, 260, 261}));
    EXPECT_EQ(s.firstSlideNumber, 1);
    EXPECT_EQ(s.rangeType, CPptStructure::RangeAll);
    EXPECT_EQ(s.slideWidth, 5760); // 10 x 7.5 inches
    EXPECT_EQ(s.slideHeight, 4320);
    EXPECT_TRUE(s.namedShows.empty());
}

// The converted files really carry what the flat ODP text asked for.
TEST(PptReaderLibreOffice, StartPageBecomesASlideRange)
{
    const CPptStructure s = readFixture("range7");
    EXPECT_EQ(s.slideIds.size(), 7u);
    EXPECT_EQ(s.rangeType, CPptStructure::RangeSlides);
    EXPECT_EQ(s.startSlide, 3);
    EXPECT_EQ(s.endSlide, 7);

    const CPptStructure cut = readFixture("range3to5");
    EXPECT_EQ(cut.rangeType, CPptStructure::RangeSlides);
    EXPECT_EQ(cut.startSlide, 3);
    EXPECT_EQ(cut.endSlide, 5);
}

TEST(PptReaderLibreOffice, CustomShowsKeepNamesAndSlideOrder)
{
    const CPptStructure s = readFixture("custom6");
    EXPECT_EQ(s.rangeType, CPptStructure::RangeNamedShow);
    EXPECT_EQ(s.showName, "Mine");
    ASSERT_EQ(s.namedShows.size(), 2u);
    EXPECT_EQ(s.namedShows[0].name, "Mine");
    EXPECT_EQ(s.namedShows[0].slideIds, ids({260, 257, 259}));
    EXPECT_EQ(s.namedShows[1].name, "Other");
    EXPECT_EQ(s.namedShows[1].slideIds, ids({256}));
}

TEST(PptReaderLibreOffice, HiddenSlidesStayInTheList)
{
    EXPECT_EQ(readFixture("hidden4").slideIds.size(), 4u);
    EXPECT_EQ(readFixture("hidden4").slideHidden, (std::vector<uint8_t>{0, 1, 0, 0}));
    EXPECT_EQ(readFixture("plain6").slideHidden, std::vector<uint8_t>(6, 0));
    EXPECT_EQ(readFixture("first5").firstSlideNumber, 5);
}

TEST(PptReaderBuilt, FieldsComeThrough)
{
    CPptBuilder b(4);
    b.firstSlideNumber = 10;
    b.rangeType = 3;
    b.showName = "Größe"; // UTF-16 in the file, UTF-8 here
    b.shows = {{"Größe", {259, 256}}, {"Leer", {}}};
    CPptStructure s;
    ASSERT_EQ(CPptReader::Read(b.CurrentUserStream(), b.DocumentStream(), s),
              CPptReader::NoFailure);
    EXPECT_EQ(s.firstSlideNumber, 10);
    EXPECT_EQ(s.showName, "Größe");
    ASSERT_EQ(s.namedShows.size(), 2u);
    EXPECT_EQ(s.namedShows[0].slideIds, ids({259, 256}));
    EXPECT_TRUE(s.namedShows[1].slideIds.empty());
}

TEST(PptReaderBuilt, HiddenFlagsComeFromTheSlideContainers)
{
    CPptBuilder b(4);
    b.hiddenSlides = {0, 3};
    CPptStructure s;
    ASSERT_EQ(CPptReader::Read(b.CurrentUserStream(), b.DocumentStream(), s),
              CPptReader::NoFailure);
    EXPECT_EQ(s.slideHidden, (std::vector<uint8_t>{1, 0, 0, 1}));
    // Slides without a container of their own are shown.
    CPptBuilder plain(2);
    ASSERT_EQ(CPptReader::Read(plain.CurrentUserStream(), plain.DocumentStream(), s),
              CPptReader::NoFailure);
    EXPECT_EQ(s.slideHidden, (std::vector<uint8_t>{0, 0}));
}

TEST(PptReaderBuilt, MissingShowSettingsMeanAllSlides)
{
    CPptBuilder b(2);
    b.withShowSettings = false;
    CPptStructure s;
    ASSERT_EQ(CPptReader::Read(b.CurrentUserStream(), b.DocumentStream(), s),
              CPptReader::NoFailure);
    EXPECT_EQ(s.rangeType, CPptStructure::RangeAll);
}

TEST(PptReaderBuilt, ThousandsOfSlidesAreReadAndTooManyRefused)
{
    CPptBuilder many(5000);
    CPptStructure s;
    ASSERT_EQ(CPptReader::Read(many.CurrentUserStream(), many.DocumentStream(), s),
              CPptReader::NoFailure);
    EXPECT_EQ(s.slideIds.size(), 5000u);
    EXPECT_EQ(s.slideIds.back(), 256u + 4999u);

    CPptBuilder tooMany(CPptReader::MaxSlides + 1);
    EXPECT_EQ(CPptReader::Read(tooMany.CurrentUserStream(), tooMany.DocumentStream(), s),
              CPptReader::TooManySlides);
    EXPECT_TRUE(s.slideIds.empty());
}

// A later incremental save: a second user edit whose persist directory
// moves the document container; the newest entry wins.
TEST(PptReaderBuilt, NewestPersistDirectoryEntryWins)
{
    CPptBuilder older(2);
    CPptBuilder newer(3);
    QByteArray doc = older.DocumentStream();
    const int firstEdit = older.UserEditOffset();
    const int newDocument = static_cast<int>(doc.size());
    const QByteArray second = newer.DocumentStream();
    const int containerLength = 8 + static_cast<int>(static_cast<uint8_t>(second[4]) |
                                                     (static_cast<uint8_t>(second[5]) << 8));
    doc += second.left(containerLength);
    const int directory = static_cast<int>(doc.size());
    QByteArray dir = second.mid(newer.PersistDirectoryOffset(), 16);
    PutU32(dir, 12, static_cast<uint32_t>(newDocument));
    doc += dir;
    const int edit = static_cast<int>(doc.size());
    QByteArray editAtom = second.mid(newer.UserEditOffset(), 36);
    PutU32(editAtom, 8 + 8, static_cast<uint32_t>(firstEdit));
    PutU32(editAtom, 8 + 12, static_cast<uint32_t>(directory));
    doc += editAtom;
    QByteArray user = older.CurrentUserStream();
    PutU32(user, 16, static_cast<uint32_t>(edit));

    CPptStructure s;
    ASSERT_EQ(CPptReader::Read(user, doc, s), CPptReader::NoFailure);
    EXPECT_EQ(s.slideIds.size(), 3u);
}

struct BadCase
{
    const char* what;
    std::function<void(QByteArray& user, QByteArray& doc, const CPptBuilder& b)> damage;
    Failure expected;
};

TEST(PptReaderBuilt, DamagedRecordsAreRefused)
{
    const BadCase cases[] = {
        // A current-user record pointing anywhere but at the edit falls back
        // to the edit (see pptreaderfield_test); a damaged only edit stays
        // damaged.
        {"persist directory past the stream",
         [](QByteArray&, QByteArray& d, const CPptBuilder& b) {
             PutU32(d, b.UserEditOffset() + 8 + 12, 0x7FFFFFF0);
         },
         Failure::Damaged},
        {"persist entry count past the directory",
         [](QByteArray&, QByteArray& d, const CPptBuilder& b) {
             PutU32(d, b.PersistDirectoryOffset() + 8, 1u | (4000u << 20));
         },
         Failure::Damaged},
        {"edits chained in a circle",
         [](QByteArray&, QByteArray& d, const CPptBuilder& b) {
             PutU32(d, b.UserEditOffset() + 8 + 8, static_cast<uint32_t>(b.UserEditOffset()));
         },
         Failure::Damaged},
        {"document persist id unknown",
         [](QByteArray&, QByteArray& d, const CPptBuilder& b) {
             PutU32(d, b.UserEditOffset() + 8 + 16, 99);
         },
         Failure::Damaged},
        {"document container longer than the stream",
         [](QByteArray&, QByteArray& d, const CPptBuilder&) { PutU32(d, 4, 0x40000000); },
         Failure::Damaged},
        {"document atom longer than its container",
         [](QByteArray&, QByteArray& d, const CPptBuilder&) { PutU32(d, 8 + 4, 0x00100000); },
         Failure::Damaged},
        {"document atom too short",
         [](QByteArray&, QByteArray& d, const CPptBuilder&) {
             // Shrink the atom to 8 bytes and give the rest to a filler record.
             PutU32(d, 8 + 4, 8);
             PutU16(d, 8 + 16, 0);
             PutU16(d, 8 + 18, 0x0FFF);
             PutU32(d, 8 + 20, 40 - 8 - 8);
         },
         Failure::Damaged},
        {"slide list atom past its list",
         [](QByteArray&, QByteArray& d, const CPptBuilder&) {
             const int list = FindRecord(d, 0x0FF0);
             PutU32(d, list + 8 + 4, 1000);
         },
         Failure::Damaged},
        {"named show slides past the stream",
         [](QByteArray&, QByteArray& d, const CPptBuilder&) {
             const int at = FindRecord(d, 0x0412);
             PutU32(d, at + 4, 0xFFFFFFF0u);
         },
         Failure::Damaged},
        {"first slide number out of range",
         [](QByteArray&, QByteArray& d, const CPptBuilder&) { PutU16(d, 8 + 8 + 32, 0x8000); },
         Failure::Damaged},
        {"encrypted header token",
         [](QByteArray& u, QByteArray&, const CPptBuilder&) { PutU32(u, 12, 0xF3D1C4DFu); },
         Failure::Encrypted},
        {"foreign header token",
         [](QByteArray& u, QByteArray&, const CPptBuilder&) { PutU32(u, 12, 0x12345678u); },
         Failure::NotPresentation},
        {"older file version",
         [](QByteArray& u, QByteArray&, const CPptBuilder&) { PutU16(u, 22, 1008); },
         Failure::TooOld},
        {"current user record too short",
         [](QByteArray& u, QByteArray&, const CPptBuilder&) { u.truncate(20); },
         Failure::NotPresentation},
        {"empty document stream", [](QByteArray&, QByteArray& d, const CPptBuilder&) { d.clear(); },
         Failure::Damaged},
    };
    for (const BadCase& c : cases) {
        CPptBuilder b(3);
        b.rangeType = 3;
        b.showName = "A";
        b.shows = {{"A", {256, 258}}};
        QByteArray user = b.CurrentUserStream();
        QByteArray doc = b.DocumentStream();
        c.damage(user, doc, b);
        CPptStructure s;
        EXPECT_EQ(CPptReader::Read(user, doc, s), c.expected) << c.what;
        EXPECT_TRUE(s.slideIds.empty()) << c.what;
    }
}

TEST(PptReaderBuilt, EncryptedUserEditIsRefused)
{
    CPptBuilder b;
    b.encryptedEdit = true;
    CPptStructure s;
    EXPECT_EQ(CPptReader::Read(b.CurrentUserStream(), b.DocumentStream(), s), Failure::Encrypted);
}

class PptReaderFiles : public ::testing::Test
{
protected:
    std::string PathOf(const char* name) { return m_dir.filePath(name).toStdString(); }
    QTemporaryDir m_dir;
};

TEST_F(PptReaderFiles, ForeignAndOlderFilesAreTold)
{
    CPptStructure s;
    QFile text(m_dir.filePath("text.ppt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("This is not a presentation.\n");
    text.close();
    EXPECT_EQ(CPptReader::ReadFile(PathOf("text.ppt"), s), Failure::NotPresentation);
    EXPECT_EQ(CPptReader::ReadFile(PathOf("missing.ppt"), s), Failure::NotPresentation);

    // Before the 97 generation: no current-user record.
    ASSERT_TRUE(WriteCompoundFile(PathOf("pp4.ppt"), {{"PP40", QByteArray(64, 'x')}}));
    EXPECT_EQ(CPptReader::ReadFile(PathOf("pp4.ppt"), s), Failure::TooOld);
    ASSERT_TRUE(
        WriteCompoundFile(PathOf("pp95.ppt"), {{"PowerPoint Document", QByteArray(64, 'x')}}));
    EXPECT_EQ(CPptReader::ReadFile(PathOf("pp95.ppt"), s), Failure::TooOld);

    CPptBuilder b;
    CompoundStreams streams = b.Streams();
    streams.emplace_back("EncryptedSummary", QByteArray(32, 'e'));
    ASSERT_TRUE(WriteCompoundFile(PathOf("enc.ppt"), streams));
    EXPECT_EQ(CPptReader::ReadFile(PathOf("enc.ppt"), s), Failure::Encrypted);

    ASSERT_TRUE(WriteCompoundFile(PathOf("doc.ppt"), {{"WordDocument", QByteArray(64, 'w')}}));
    EXPECT_EQ(CPptReader::ReadFile(PathOf("doc.ppt"), s), Failure::NotPresentation);
}

TEST_F(PptReaderFiles, TruncatedCompoundFileIsRefused)
{
    const std::string deck = CPresentationFixtures::Path("plain6");
    ASSERT_FALSE(deck.empty());
    QFile whole(QString::fromStdString(deck));
    ASSERT_TRUE(whole.open(QIODevice::ReadOnly));
    const QByteArray bytes = whole.readAll();
    for (const qsizetype keep : {qsizetype(512), bytes.size() / 3, bytes.size() - 4096}) {
        QFile cut(m_dir.filePath("cut.ppt"));
        ASSERT_TRUE(cut.open(QIODevice::WriteOnly | QIODevice::Truncate));
        cut.write(bytes.left(keep));
        cut.close();
        CPptStructure s;
        const Failure f = CPptReader::ReadFile(PathOf("cut.ppt"), s);
        EXPECT_NE(f, Failure::NoFailure) << keep;
        EXPECT_TRUE(s.slideIds.empty());
    }
}

} // namespace
