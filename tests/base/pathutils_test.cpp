#include "base/msgid.h"
#include "base/pathutils.h"
#include "support/scriptedprompt.h"

#include <QTemporaryDir>
#include <algorithm>
#include <cerrno>
#include <ctime>
#include <fstream>
#include <gtest/gtest.h>
#include <mutex>
#include <set>
#include <sys/stat.h>
#include <system_error>
#include <thread>
#include <unistd.h>

namespace {

// A fresh folder per test, kept with a trailing '/'.
class PathUtils : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_tmp.isValid());
        dir = m_tmp.path().toStdString() + "/";
    }

    std::string write(const std::string& name, const std::string& content = "data")
    {
        const std::string path = dir + name;
        std::ofstream(path, std::ios::binary) << content;
        return path;
    }

    static std::string read(const std::string& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

    static time_t mtimeOf(const std::string& path)
    {
        struct stat st
        {
        };
        return stat(path.c_str(), &st) == 0 ? st.st_mtime : -1;
    }

    std::string dir;

private:
    QTemporaryDir m_tmp;
};

bool isValidUtf8(const std::string& s)
{
    for (size_t i = 0; i < s.size();) {
        const unsigned char c = static_cast<unsigned char>(s[i]);
        const size_t len = c < 0x80         ? 1
                           : (c >> 5) == 6  ? 2
                           : (c >> 4) == 14 ? 3
                           : (c >> 3) == 30 ? 4
                                            : 0;
        if (len == 0 || i + len > s.size())
            return false;
        for (size_t k = 1; k < len; ++k)
            if ((static_cast<unsigned char>(s[i + k]) & 0xC0) != 0x80)
                return false;
        i += len;
    }
    return true;
}

} // namespace

TEST(PathStrings, TrailingSlashes)
{
    struct Case
    {
        std::string in, added, removed;
    };
    const Case cases[] = {
        {"", "", ""},
        {"/", "/", "/"},
        {"/media/card", "/media/card/", "/media/card"},
        {"/media/card/", "/media/card/", "/media/card"},
        {"rel/dir/", "rel/dir/", "rel/dir"},
        {"a", "a/", "a"},
    };
    for (const Case& c : cases) {
        std::string a = c.in, r = c.in;
        AddBackslash(a);
        RemoveBackslash(r);
        EXPECT_EQ(a, c.added) << c.in;
        EXPECT_EQ(r, c.removed) << c.in;
    }
}

TEST(PathStrings, CutUtf8NeverSplitsASequence)
{
    struct Case
    {
        std::string text;
        size_t max;
        std::string cut;
    };
    const Case cases[] = {
        {"abc", 5, "abc"},
        {"abcdef", 3, "abc"},
        {"a\xC3\xA4"
         "b",
         2, "a"}, // ä would be split
        {"a\xC3\xA4"
         "b",
         3, "a\xC3\xA4"},
        {"\xE2\x82\xAC\xE2\x82\xAC", 5, "\xE2\x82\xAC"}, // euro sign, 3 bytes
        {"\xF0\x9F\x98\x80x", 3, ""},                    // 4-byte emoji
        {"\xF0\x9F\x98\x80x", 4, "\xF0\x9F\x98\x80"},
        {"", 0, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CutUtf8(c.text, c.max), c.cut) << c.text << " " << c.max;
}

TEST(PathStrings, StripKeyBlanksAndSplitKeyValue)
{
    EXPECT_EQ(StripKeyBlanks(" Ref File\tTime = 2001/09/30  18:22 ", '='),
              "RefFileTime= 2001/09/30  18:22 ");
    EXPECT_EQ(StripKeyBlanks(" [ Project ] ", '='), "[Project]");
    EXPECT_EQ(StripKeyBlanks("Name=", '='), "Name=");
    EXPECT_EQ(StripKeyBlanks("", '='), "");

    struct Case
    {
        std::string line, key, value;
    };
    const Case cases[] = {
        {"Name = Trip ", "Name", "Trip"}, {"  Label=a=b", "Label", "a=b"},
        {"[Slides]", "[Slides]", ""},     {"Key=", "Key", ""},
        {"=value", "", "value"},          {"\tKey\t=\t\r", "Key", ""},
    };
    for (const Case& c : cases) {
        std::string key = "old", value = "old";
        SplitKeyValue(c.line, key, value);
        EXPECT_EQ(key, c.key) << c.line;
        EXPECT_EQ(value, c.value) << c.line;
    }
}

TEST(UniqueNames, BaseStampAndExtension)
{
    const int64_t stamp = 0x3bb6a4c2; // eight hex digits
    struct Case
    {
        std::string folder, source, extension, name;
    };
    const Case cases[] = {
        {"/p/", "/pics/Holiday pictures 2001.jpg", ".png", "Holiday3bb6a4c2.png"},
        {"/p", "/pics/beach.jpg", "", "beach3bb6a4c2.jpg"},
        {"/p/", "noext", ".jpg", "noext3bb6a4c2.jpg"},
        {"/p/", "/pics/noext", "", "noext3bb6a4c2"},
        {"/p/", "/pics/a.b.c.jpeg", ".png", "a.b.c3bb6a4c2.png"},
        {"/p/", "/pics/.png", "", "3bb6a4c2.png"},
        {"", "/pics/a.jpg", ".png", ""},
        {"/p/", "", ".png", ""},
        // Sources written on Windows, and characters no card takes.
        {"/p/", "C:\\Pics\\beach.jpg", "", "beach3bb6a4c2.jpg"},
        {"/p/", "\\\\server\\share\\Sea.JPG", ".png", "Sea3bb6a4c2.png"},
        {"/p/", "D:beach.jpg", "", "beach3bb6a4c2.jpg"},
        {"/p/", "/pics/a\\b:c?.jpg", "", "a_b_c_3bb6a4c2.jpg"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MakeUniqueNameAt(c.folder, c.source, c.extension, stamp), c.name)
            << c.folder << " " << c.source;
    // A short stamp leaves more room for the base: 15 bytes together.
    EXPECT_EQ(MakeUniqueNameAt("/p/", "/x/Holiday pictures.jpg", ".png", 0xabc), "Holiday pict"
                                                                                 "abc.png");
}

TEST(PathStrings, SourceFileNameOfEitherSystem)
{
    EXPECT_EQ(SourceFileName("C:\\Pics\\beach.jpg"), "beach.jpg");
    EXPECT_EQ(SourceFileName("C:/Pics/beach.jpg"), "beach.jpg");
    EXPECT_EQ(SourceFileName("E:beach.jpg"), "beach.jpg");
    EXPECT_EQ(SourceFileName("/home/me/a\\b.jpg"), "a\\b.jpg"); // a name of this system
    EXPECT_EQ(SourceFileName("beach.jpg"), "beach.jpg");
    EXPECT_EQ(SafeFileName("a\\b:c|d.jpg"), "a_b_c_d.jpg");
}

TEST(UniqueNames, CutsUtf8BaseAtWholeCharacters)
{
    // "Ääkkösiä": Ä, ö, ä take two bytes; seven bytes fit "Ääkk" (six).
    const std::string name =
        MakeUniqueNameAt("/p/", "/x/\xC3\x84\xC3\xA4kk\xC3\xB6si\xC3\xA4.jpg", ".png", 0x3bb6a4c2);
    EXPECT_EQ(name, "\xC3\x84\xC3\xA4kk"
                    "3bb6a4c2.png");
    EXPECT_TRUE(isValidUtf8(name));
}

TEST(UniqueNames, LongFolders)
{
    const int64_t stamp = 0x3bb6a4c2;
    const auto folderOf = [](size_t lengthWithSlash) {
        return "/" + std::string(lengthWithSlash - 2, 'f') + "/";
    };
    // room = 259 - folder - extension
    EXPECT_EQ(MakeUniqueNameAt(folderOf(255), "/x/Holiday.jpg", ".png", stamp), ""); // room 0
    EXPECT_EQ(MakeUniqueNameAt(folderOf(260), "/x/Holiday.jpg", ".png", stamp), ""); // room < 0
    EXPECT_EQ(MakeUniqueNameAt(folderOf(250), "/x/Holiday.jpg", ".png", stamp), "6a4c2.png"); // 5
    EXPECT_EQ(MakeUniqueNameAt(folderOf(254), "/x/Holiday.jpg", ".png", stamp), "2.png");     // 1
    EXPECT_EQ(MakeUniqueNameAt(folderOf(247), "/x/Holiday.jpg", ".png", stamp),
              "3bb6a4c2.png"); // 8
    EXPECT_EQ(MakeUniqueNameAt(folderOf(245), "/x/Holiday.jpg", ".png", stamp),
              "Ho3bb6a4c2.png"); // room 10
    // The folder without its slash counts as if it had one.
    std::string noSlash = folderOf(245);
    noSlash.pop_back();
    EXPECT_EQ(MakeUniqueNameAt(noSlash, "/x/Holiday.jpg", ".png", stamp), "Ho3bb6a4c2.png");
    // A cut for the room keeps UTF-8 sequences whole: room 11 leaves 3 bytes for "Äb...".
    EXPECT_EQ(MakeUniqueNameAt(folderOf(244), "/x/\xC3\x84\xC3\x84.jpg", ".png", stamp),
              "\xC3\x84"
              "3bb6a4c2.png");
}

TEST(UniqueNames, StampOffsetUsesTheFollowingSeconds)
{
    const int64_t before = std::time(nullptr);
    const std::string name = MakeUniqueName("/p/", "/x/a.jpg", ".png", 5);
    const int64_t after = std::time(nullptr);
    EXPECT_TRUE(name == MakeUniqueNameAt("/p/", "/x/a.jpg", ".png", before + 5) ||
                name == MakeUniqueNameAt("/p/", "/x/a.jpg", ".png", after + 5))
        << name;
    const std::string lower = name;
    EXPECT_TRUE(
        std::none_of(lower.begin(), lower.end(), [](char c) { return c >= 'A' && c <= 'F'; }));
}

TEST_F(PathUtils, ReserveUniqueNameGivesDistinctNamesToParallelWorkers)
{
    constexpr int kThreads = 8, kEach = 25;
    std::mutex lock;
    std::vector<std::string> names;
    std::vector<std::thread> workers;
    for (int t = 0; t < kThreads; ++t)
        workers.emplace_back([&] {
            for (int i = 0; i < kEach; ++i) {
                const std::string n = ReserveUniqueName(dir, "/x/slide.jpg", ".png");
                std::lock_guard<std::mutex> g(lock);
                names.push_back(n);
            }
        });
    for (std::thread& w : workers)
        w.join();
    const std::set<std::string> distinct(names.begin(), names.end());
    EXPECT_EQ(distinct.size(), names.size());
    EXPECT_EQ(distinct.count(""), 0u);
    for (const std::string& n : distinct) {
        EXPECT_EQ(n.rfind("slide", 0), 0u) << n;
        EXPECT_TRUE(FileExists(dir + n)) << n;
        EXPECT_EQ(read(dir + n), "");
    }
}

TEST_F(PathUtils, ReserveUniqueNameAvoidsNamesTakenInEitherFolder)
{
    const std::string other = dir + "other/";
    ASSERT_EQ(mkdir(other.c_str(), 0755), 0);
    const int64_t now = std::time(nullptr);
    // Take the names of this second and the next few in both folders.
    for (int k = 0; k < 4; ++k) {
        write(MakeUniqueNameAt(dir, "/x/a.jpg", ".png", now + k));
        std::ofstream(other + MakeUniqueNameAt(dir, "/x/a.jpg", ".png", now + 4 + k)) << "x";
    }
    const std::string name = ReserveUniqueName(dir, "/x/a.jpg", ".png", other);
    ASSERT_FALSE(name.empty());
    for (int k = 0; k < 8; ++k)
        EXPECT_NE(name, MakeUniqueNameAt(dir, "/x/a.jpg", ".png", now + k));
    EXPECT_FALSE(PathExists(other + name));
    EXPECT_EQ(ReserveUniqueName(dir + "missing/", "/x/a.jpg", ".png"), "");
    EXPECT_EQ(ReserveUniqueName("", "/x/a.jpg", ".png"), "");
}

// Permission tests decide by access() and the mode bits, so they hold when the
// tests run as root, who may open any file.
TEST_F(PathUtils, FileExistsHonoursReadOnly)
{
    const std::string file = write("plain.txt");
    const std::string locked = write("locked.txt");
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);

    EXPECT_TRUE(FileExists(file, false));
    EXPECT_TRUE(FileExists(file, true));
    EXPECT_FALSE(FileExists(locked, false));
    EXPECT_TRUE(FileExists(locked, true));
    EXPECT_FALSE(FileExists(dir, true)); // a folder is not a file
    EXPECT_FALSE(FileExists(dir + "missing", true));
    EXPECT_FALSE(FileExists("", true));
}

TEST_F(PathUtils, ExistenceOfPathsAndFolders)
{
    write("Beach.PNG");
    ASSERT_EQ(mkdir((dir + "sub").c_str(), 0755), 0);
    EXPECT_TRUE(PathExists(dir + "Beach.PNG"));
    EXPECT_TRUE(PathExists(dir + "sub"));
    EXPECT_TRUE(PathExists(dir + "sub/"));
    EXPECT_FALSE(PathExists(dir + "beach.png")); // names compare as the file system does
    EXPECT_TRUE(PathExists(dir + "*.png"));      // patterns ignore ASCII case
    EXPECT_TRUE(PathExists(dir + "Bea?h.*"));
    EXPECT_FALSE(PathExists(dir + "*.jpg"));
    EXPECT_FALSE(PathExists(dir + "missing/*.png"));
    EXPECT_FALSE(PathExists(""));

    EXPECT_TRUE(FolderExists(dir));
    EXPECT_TRUE(FolderExists(dir + "sub"));
    EXPECT_FALSE(FolderExists(dir + "Beach.PNG"));
    EXPECT_FALSE(FolderExists(dir + "missing/"));
    EXPECT_FALSE(FolderExists(""));
}

TEST_F(PathUtils, SizeAttributesAndStatus)
{
    const std::string file = write("one.bin", std::string(1234, 'x'));
    const std::string hidden = write(".hidden");
    ASSERT_EQ(mkdir((dir + "sub").c_str(), 0755), 0);

    uint32_t size = 0;
    EXPECT_TRUE(GetFileSize32(file, size));
    EXPECT_EQ(size, 1234u);
    EXPECT_FALSE(GetFileSize32(dir + "missing", size));

    uint8_t attr = 0xFF;
    ASSERT_TRUE(GetFileAttributesByte(file, attr));
    EXPECT_EQ(attr, 0);
    ASSERT_TRUE(GetFileAttributesByte(hidden, attr));
    EXPECT_EQ(attr, AttrHidden);
    ASSERT_TRUE(GetFileAttributesByte(dir + "sub/", attr));
    EXPECT_EQ(attr, AttrDirectory);
    ASSERT_EQ(chmod(file.c_str(), 0444), 0);
    ASSERT_TRUE(GetFileAttributesByte(file, attr));
    EXPECT_EQ(attr, AttrReadOnly);

    ASSERT_TRUE(SetAttributesAndTime(file, 0, 1000000000));
    CFileStatus status;
    status.fullPath = "stale";
    ASSERT_TRUE(GetFileStatus(dir + "sub/../one.bin", status));
    EXPECT_EQ(status.fullPath, dir + "one.bin");
    EXPECT_EQ(status.size, 1234u);
    EXPECT_EQ(status.mtime, 1000000000);
    EXPECT_NE(status.ctime, 0);
    EXPECT_NE(status.atime, 0);
    EXPECT_EQ(status.attribute, 0);

    CFileStatus data;
    ASSERT_TRUE(FindFileData(file, data));
    EXPECT_EQ(data.mtime, 1000000000);
    EXPECT_EQ(data.fullPath, file);
    EXPECT_FALSE(FindFileData(dir + "missing", data));
    EXPECT_EQ(data.size, 0u); // reset before the search
    EXPECT_FALSE(GetFileStatus("", status));
    EXPECT_FALSE(GetFileStatus(dir + "missing", status));
}

TEST_F(PathUtils, SizesBeyond32Bits)
{
    // A sparse file of 5 GiB takes no room on disk.
    const std::string big = write("big.bin", "");
    ASSERT_EQ(truncate(big.c_str(), 5LL << 30), 0);
    write("small.bin", "12345");
    uint32_t size = 0;
    ASSERT_TRUE(GetFileSize32(big, size));
    EXPECT_EQ(size, 0xFFFFFFFFu); // saturated, never wrapped round to 1 GiB
    CFileStatus status;
    ASSERT_TRUE(GetFileStatus(big, status));
    EXPECT_EQ(status.size, 0xFFFFFFFFu);
    EXPECT_EQ(FolderSize(dir), (5ULL << 30) + 5);
}

TEST(FileTimes, LocalSecondsKeepTheInstant)
{
    EXPECT_EQ(FileTimeToLocalSeconds(1001874130), 1001874130); // 2001-09-30
    EXPECT_EQ(FileTimeToLocalSeconds(0), 0);
    EXPECT_EQ(FileTimeToLocalSeconds(-2300000000LL), 0); // 1897: before 1900
}

TEST_F(PathUtils, SetAttributesAndTime)
{
    const std::string file = write("f.txt");
    ASSERT_TRUE(SetAttributesAndTime(file, AttrReadOnly, 1234567890));
    EXPECT_EQ(mtimeOf(file), 1234567890);
    EXPECT_FALSE(FileExists(file, false));
    ASSERT_TRUE(SetAttributesAndTime(file, 0, 1234567999));
    EXPECT_TRUE(FileExists(file, false));
    EXPECT_EQ(mtimeOf(file), 1234567999);
    EXPECT_FALSE(SetAttributesAndTime(dir + "missing", 0, 1));
}

TEST_F(PathUtils, CopyFileKeepTime)
{
    const std::string source = write("src.jpg", "picture bytes");
    ASSERT_TRUE(SetAttributesAndTime(source, AttrReadOnly, 1111111111));
    const std::string target = dir + "copy.jpg";
    ASSERT_TRUE(CopyFileKeepTime(source, target));
    EXPECT_EQ(read(target), "picture bytes");
    EXPECT_EQ(mtimeOf(target), 1111111111);
    EXPECT_TRUE(FileExists(target, false)); // the copy is not read-only

    // Overwrites an existing file, also a reserved empty one.
    const std::string reserved = ReserveUniqueName(dir, source, ".jpg");
    ASSERT_FALSE(reserved.empty());
    EXPECT_TRUE(CopyFileKeepTime(source, dir + reserved));
    EXPECT_EQ(read(dir + reserved), "picture bytes");

    // A read-only destination is left alone.
    const std::string locked = write("locked.jpg", "keep me");
    ASSERT_EQ(chmod(locked.c_str(), 0444), 0);
    EXPECT_FALSE(CopyFileKeepTime(source, locked));
    EXPECT_EQ(read(locked), "keep me");

    EXPECT_FALSE(CopyFileKeepTime("", target));
    EXPECT_FALSE(CopyFileKeepTime(source, ""));
    EXPECT_FALSE(CopyFileKeepTime(dir + "missing", target));
    EXPECT_EQ(read(target), "picture bytes");
    EXPECT_FALSE(CopyFileKeepTime(source, dir + "no/such/folder/x.jpg"));
    EXPECT_FALSE(CopyFileKeepTime(dir, target)); // a folder is no source
    // No temporary file stays behind.
    EXPECT_FALSE(PathExists(dir + ".zelmcopy-*"));
}

TEST_F(PathUtils, EmptyFolderAndFolderSizeSkipFoldersAndHiddenFiles)
{
    write("a.png", std::string(100, 'a'));
    write("b.jpg", std::string(20, 'b'));
    write(".keep", std::string(1000, 'k'));
    ASSERT_EQ(mkdir((dir + "sub").c_str(), 0755), 0);
    std::ofstream(dir + "sub/inner.png") << std::string(500, 'i');
    const QTemporaryDir outside;
    const std::string target = outside.path().toStdString() + "/target.png";
    std::ofstream(target) << std::string(7, 't');
    ASSERT_EQ(symlink(target.c_str(), (dir + "link.png").c_str()), 0);

    EXPECT_EQ(FolderSize(dir), 127u);
    std::string noSlash = dir;
    noSlash.pop_back();
    EXPECT_EQ(FolderSize(noSlash), 127u);
    EXPECT_EQ(FolderSize(""), 0u);
    EXPECT_EQ(FolderSize(dir + "missing/"), 0u);

    EXPECT_TRUE(EmptyFolder(dir));
    EXPECT_FALSE(PathExists(dir + "a.png"));
    EXPECT_FALSE(PathExists(dir + "b.jpg"));
    EXPECT_FALSE(PathExists(dir + "link.png"));
    EXPECT_TRUE(PathExists(target)); // the link went, not what it pointed to
    EXPECT_TRUE(PathExists(dir + ".keep"));
    EXPECT_TRUE(PathExists(dir + "sub/inner.png"));
    EXPECT_EQ(FolderSize(dir), 0u);
    EXPECT_FALSE(EmptyFolder(dir + "missing/"));
}

TEST_F(PathUtils, CheckDiskSpace)
{
    CScriptedPrompt prompt;
    EXPECT_TRUE(CheckDiskSpace(&prompt, dir, 0, false));
    EXPECT_TRUE(CheckDiskSpace(&prompt, "/", 0, false));
    EXPECT_TRUE(CheckDiskSpace(&prompt, dir + "not/yet/made/", 1, false)); // its volume counts
    EXPECT_TRUE(prompt.shown.empty());

    EXPECT_FALSE(CheckDiskSpace(&prompt, dir, UINT64_MAX, true));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_FALSE(CheckDiskSpace(&prompt, dir, UINT64_MAX, false));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].id, MsgId::NotEnoughSpace);
    EXPECT_EQ(prompt.shown[0].icon, CUserPrompt::Exclamation);
    EXPECT_FALSE(CheckDiskSpace(nullptr, dir, UINT64_MAX, false));

    // No value to be had: the system's text.
    prompt.shown.clear();
    EXPECT_FALSE(CheckDiskSpace(&prompt, "", 0, false));
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].id, 0);
    EXPECT_EQ(prompt.shown[0].text, std::generic_category().message(ENOENT));
}

namespace {
// Makes the missing folder when asked the first time and answers Retry.
class FixingPrompt : public CScriptedPrompt
{
public:
    std::string folderToMake;
    Answer Show(int id, const std::string& text, Icon icon, Buttons buttons) override
    {
        CScriptedPrompt::Show(id, text, icon, buttons);
        mkdir(folderToMake.c_str(), 0755);
        return AnswerRetry;
    }
};
} // namespace

TEST_F(PathUtils, EnsureDriveReadyAsksRetryOrCancel)
{
    CScriptedPrompt prompt;
    EXPECT_TRUE(EnsureDriveReady(&prompt, dir));
    EXPECT_TRUE(EnsureDriveReady(&prompt, dir + "file-to-come.sit"));
    EXPECT_TRUE(EnsureDriveReady(nullptr, "/"));
    EXPECT_TRUE(prompt.shown.empty());

    const std::string card = dir + "card/";
    prompt.answers = {CUserPrompt::AnswerRetry, CUserPrompt::AnswerCancel};
    EXPECT_FALSE(EnsureDriveReady(&prompt, card));
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].id, 0);
    EXPECT_EQ(prompt.shown[0].text, std::generic_category().message(ENOENT));
    EXPECT_EQ(prompt.shown[0].buttons, CUserPrompt::RetryCancel);
    EXPECT_EQ(prompt.shown[0].icon, CUserPrompt::Exclamation);
    EXPECT_FALSE(EnsureDriveReady(nullptr, card));

    FixingPrompt fixing;
    fixing.folderToMake = card;
    EXPECT_TRUE(EnsureDriveReady(&fixing, card));
    EXPECT_EQ(fixing.shown.size(), 1u);
}

TEST(SystemErrors, ShowsTheSystemText)
{
    CScriptedPrompt prompt;
    ShowSystemError(&prompt, ENOSPC);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].id, 0);
    EXPECT_EQ(prompt.shown[0].text, std::generic_category().message(ENOSPC));
    EXPECT_EQ(prompt.shown[0].icon, CUserPrompt::Information);
    EXPECT_EQ(prompt.shown[0].buttons, CUserPrompt::Ok);
    ShowSystemError(nullptr, ENOSPC); // nobody to tell: nothing happens
}

TEST(FileNames, IsValidFileName)
{
    struct Case
    {
        std::string name;
        bool valid;
        int message; // 0: none
    };
    const Case cases[] = {
        {"", false, 0},
        {"Trip.sic", true, 0},
        {"Trip", true, 0},
        {"\xC3\x84nne.png", true, 0},
        {"a b.png", true, 0},
        {"a:b", false, 7102},
        {"a/b", false, 7102},
        {"a\\b", false, 7102},
        {"a,b", false, 7102},
        {"a;b", false, 7102},
        {"a*", false, 7102},
        {"a?", false, 7102},
        {"\"a\"", false, 7102},
        {"<a>", false, 7102},
        {"a|b", false, 7102},
        {"a\tb", false, 7102},
        {std::string("a\0b", 3), false, 7102},
        {".png", false, 7103},
        {"   .png", false, 7103},
        {".", false, 7103},
        {"..", false, 7103},
        {"...", false, 7103},
        {"a.", true, 0},
    };
    for (const Case& c : cases) {
        CScriptedPrompt prompt;
        EXPECT_EQ(IsValidFileName(&prompt, c.name), c.valid) << c.name;
        if (c.message == 0) {
            EXPECT_TRUE(prompt.shown.empty()) << c.name;
            continue;
        }
        ASSERT_EQ(prompt.shown.size(), 1u) << c.name;
        EXPECT_EQ(prompt.shown[0].id, c.message) << c.name;
        EXPECT_EQ(prompt.shown[0].icon, CUserPrompt::Error) << c.name;
        if (c.message == 7102) // the refused characters are the insert, after a tab
            EXPECT_NE(prompt.shown[0].text.find("\t\\/:,;*?\"<>|"), std::string::npos);
    }
    EXPECT_FALSE(IsValidFileName(nullptr, "a:b"));
}
