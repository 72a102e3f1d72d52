// The content checks of office documents: every result of the three
// functions, on compound files made here byte by byte.
#include "pptbuilder.h"
#include "presentation/officeversion.h"
#include "presentationfixtures.h"
#include "testcompound.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray words(std::initializer_list<uint16_t> values)
{
    QByteArray bytes;
    for (const uint16_t v : values) {
        bytes.append(static_cast<char>(v & 0xFF));
        bytes.append(static_cast<char>(v >> 8));
    }
    return bytes;
}

class OfficeVersion : public ::testing::Test
{
protected:
    std::string Make(const std::string& name, const CompoundStreams& streams)
    {
        const std::string path = m_dir.filePath(QString::fromStdString(name)).toStdString();
        EXPECT_TRUE(WriteCompoundFile(path, streams));
        return path;
    }
    std::string MakePlain(const std::string& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(QString::fromStdString(name));
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path.toStdString();
    }

    QTemporaryDir m_dir;
};

struct WordCase
{
    QByteArray head;
    int expected;
};

TEST_F(OfficeVersion, WordFormatNumbersMapToVersions)
{
    const WordCase cases[] = {
        {words({0xA5EC, 193}), 8}, // Word 97 and later
        {words({0xA5EC, 101}), 6}, {words({0xA5EC, 103}), 7},
        {words({0xA5EC, 104}), 7}, {words({0xA5EC, 105}), 8},
        {words({0xA5EC, 268}), 8}, {words({0xA5DC, 53}), 53}, // below 101: the number itself
        {words({0xA5EC}), 0},                                 // a short stream reads as zeros
        {QByteArray(), 0},
    };
    int i = 0;
    for (const WordCase& c : cases) {
        const std::string path =
            Make("w" + std::to_string(i++) + ".doc", {{"WordDocument", c.head}});
        EXPECT_EQ(GetWordVersion(path), c.expected) << "case " << i;
    }
}

struct ExcelCase
{
    std::string stream;
    QByteArray bof;
    int expected;
};

TEST_F(OfficeVersion, ExcelFirstRecordMapsToVersions)
{
    const ExcelCase cases[] = {
        {"Workbook", words({0x0809, 16, 0x0600, 5, 0x0DBB, 0x07CC}), 8},
        {"Book", words({0x0809, 8, 0x0500, 5, 0x1000, 1993}), 5}, // Excel 5
        {"Book", words({0x0809, 8, 0x0500, 5, 2412, 1994}), 5},
        {"Book", words({0x0809, 8, 0x0500, 5, 3218, 1995}), 5},
        {"Book", words({0x0809, 8, 0x0500, 5, 3321, 1996}), 5},
        {"Book", words({0x0809, 8, 0x0500, 5, 4000, 1996}), 7}, // Excel 95
        {"Book", words({0x0809, 8, 0x0400, 5, 4000, 1996}), -3},
        {"Book", words({0x0409, 6, 0, 0x10}), 4},
        {"Book", words({0x0209, 6, 0, 0x10}), 3},
        {"Book", words({0x0009, 4, 2, 0x10}), 2},
        {"Book", words({0x0809}), -3}, // version reads as 0
    };
    int i = 0;
    for (const ExcelCase& c : cases) {
        const std::string path = Make("x" + std::to_string(i++) + ".xls", {{c.stream, c.bof}});
        EXPECT_EQ(GetExcelVersion(path), c.expected) << "case " << i;
    }
}

TEST_F(OfficeVersion, WorkbookStreamIsPreferredToBook)
{
    const std::string both =
        Make("both.xls", {{"Book", words({0x0809, 8, 0x0500, 5, 4000, 1996})},
                          {"Workbook", words({0x0809, 16, 0x0600, 5, 0x0DBB, 0x07CC})}});
    EXPECT_EQ(GetExcelVersion(both), 8);
}

TEST_F(OfficeVersion, PowerPointCurrentUserRecord)
{
    CPptBuilder good;
    EXPECT_EQ(GetPowerPointVersion(Make("good.ppt", good.Streams())), 8);

    // Protected by a password: listed, and refused with that reason when used.
    CPptBuilder encrypted;
    encrypted.headerToken = 0xF3D1C4DFu;
    EXPECT_EQ(GetPowerPointVersion(Make("enc.ppt", encrypted.Streams())), 8);

    CPptBuilder old;
    old.fileVersion = 1008;
    EXPECT_EQ(GetPowerPointVersion(Make("old.ppt", old.Streams())), -3);

    CPptBuilder major;
    major.majorVersion = 2;
    EXPECT_EQ(GetPowerPointVersion(Make("major.ppt", major.Streams())), -3);

    // Only the first 28 bytes count; a stream cut short reads as zeros.
    EXPECT_EQ(GetPowerPointVersion(
                  Make("short.ppt", {{"Current User", good.CurrentUserStream().left(20)}})),
              -3);
}

TEST_F(OfficeVersion, MissingStreamsGiveMinusTwo)
{
    const std::string other = Make("other.bin", {{"Something", QByteArray("data")}});
    EXPECT_EQ(GetWordVersion(other), -2);
    EXPECT_EQ(GetExcelVersion(other), -2);
    EXPECT_EQ(GetPowerPointVersion(other), -2);
}

TEST_F(OfficeVersion, FilesThatAreNoCompoundFilesGiveZero)
{
    const std::string text = MakePlain("text.doc", "just some text, not a compound file");
    const std::string empty = MakePlain("empty.xls", {});
    const std::string missing = m_dir.filePath("missing.ppt").toStdString();
    const std::string folder = m_dir.path().toStdString();
    for (const std::string& path : {text, empty, missing, folder}) {
        EXPECT_EQ(GetWordVersion(path), 0) << path;
        EXPECT_EQ(GetExcelVersion(path), 0) << path;
        EXPECT_EQ(GetPowerPointVersion(path), 0) << path;
    }
}

TEST_F(OfficeVersion, TruncatedCompoundFileIsNoFailureOfTheProgram)
{
    CPptBuilder deck(40);
    const std::string whole = Make("whole.ppt", deck.Streams());
    QFile file(QString::fromStdString(whole));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    for (const int keep : {0, 100, 512, 1024, static_cast<int>(bytes.size()) / 2}) {
        const std::string cut = MakePlain("cut" + std::to_string(keep) + ".ppt", bytes.left(keep));
        const int v = GetPowerPointVersion(cut);
        EXPECT_TRUE(v == 0 || v == -2 || v == -3 || v == 8) << keep << " gave " << v;
    }
}

// A file that exists but may not be read counts as locked. Root reads
// everything, so the check runs in a child that gave up root.
TEST_F(OfficeVersion, UnreadableFileCountsAsLocked)
{
    CPptBuilder deck;
    const std::string path = Make("locked.ppt", deck.Streams());
    ASSERT_EQ(::chmod(path.c_str(), 0), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0))
            ::_exit(100);
        const int w = GetWordVersion(path), x = GetExcelVersion(path),
                  p = GetPowerPointVersion(path);
        ::_exit(w == -1 && x == -1 && p == -1 ? 0 : 1);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
    ::chmod(path.c_str(), 0600);
}

// A document LibreOffice has open is marked only by its lock file beside it.
TEST_F(OfficeVersion, LibreOfficeLockFileCountsAsLocked)
{
    CPptBuilder deck;
    const std::string path = Make("talk.ppt", deck.Streams());
    EXPECT_EQ(GetPowerPointVersion(path), 8);
    const std::string lock = MakePlain(".~lock.talk.ppt#", ",someone,host,01.01.2026 10:00,;\n");
    EXPECT_EQ(GetPowerPointVersion(path), -1);
    EXPECT_EQ(GetWordVersion(path), -1);
    EXPECT_EQ(GetExcelVersion(path), -1);
    // Another document's lock and a lock without its document change nothing.
    EXPECT_EQ(GetPowerPointVersion(Make("other.ppt", deck.Streams())), 8);
    EXPECT_EQ(GetPowerPointVersion(m_dir.filePath("gone.ppt").toStdString()), 0);
    MakePlain(".~lock.gone.ppt#", "x");
    EXPECT_EQ(GetPowerPointVersion(m_dir.filePath("gone.ppt").toStdString()), 0);
    QFile::remove(QString::fromStdString(lock));
    EXPECT_EQ(GetPowerPointVersion(path), 8);
}

TEST_F(OfficeVersion, PresentationWrittenByLibreOfficeIsOfThe97Generation)
{
    const std::string deck = CPresentationFixtures::Path("plain6");
    ASSERT_FALSE(deck.empty());
    EXPECT_EQ(GetPowerPointVersion(deck), 8);
    EXPECT_EQ(GetWordVersion(deck), -2);
    EXPECT_EQ(GetExcelVersion(deck), -2);
}

} // namespace
