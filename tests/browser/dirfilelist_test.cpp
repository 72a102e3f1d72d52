// The listing model: fill, update in place, check modes, sorting, texts and
// the top level of volumes.
#include "browser/dirfilelist.h"
#include "browser/namepattern.h"
#include "presentation/testcompound.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QByteArray u16(int v)
{
    QByteArray b;
    b.append(char(v & 0xFF));
    b.append(char((v >> 8) & 0xFF));
    return b;
}

class DirFileList : public ::testing::Test
{
protected:
    std::string Path(const std::string& name) const
    {
        return m_dir.path().toStdString() + "/" + name;
    }
    std::string Folder() const { return m_dir.path().toStdString() + "/"; }
    void MakeFile(const std::string& name, int size = 3)
    {
        QFile f(QString::fromStdString(Path(name)));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(size, 'x'));
    }
    void MakeFolder(const std::string& name)
    {
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(QString::fromStdString(name)));
    }
    // Office documents of the 97 generation and a plain file with an office name.
    void MakeOfficeFiles()
    {
        QByteArray user(40, '\0');
        PutU32(user, 12, 0xE391C05Fu);
        PutU16(user, 22, 1012);
        user[24] = 3;
        ASSERT_TRUE(WriteCompoundFile(Path("deck.ppt"), {{"Current User", user}}));
        ASSERT_TRUE(
            WriteCompoundFile(Path("letter.doc"), {{"WordDocument", u16(0xA5EC) + u16(193)}}));
        ASSERT_TRUE(WriteCompoundFile(
            Path("sheet.xls"),
            {{"Workbook", u16(0x0809) + u16(16) + u16(0x0600) + u16(5) + u16(0) + u16(1997)}}));
        ASSERT_TRUE(WriteCompoundFile(
            Path("old.xls"),
            {{"Workbook", u16(0x0809) + u16(16) + u16(0x0500) + u16(5) + u16(2412) + u16(1994)}}));
        MakeFile("fake.ppt");
        MakeFile("photo.jpg");
    }
    static std::set<std::string> Names(const CDirFileList& list)
    {
        std::set<std::string> names;
        for (int i = 0; i < list.GetCount(); ++i)
            names.insert(list.GetAt(i)->Name);
        return names;
    }

    QTemporaryDir m_dir;
};

TEST_F(DirFileList, FillListsFoldersFirstAndLeavesDotFilesOut)
{
    MakeFile("b.jpg");
    MakeFile("a.png");
    MakeFile(".hidden.jpg");
    MakeFolder("zfolder");
    MakeFolder(".git");
    ASSERT_EQ(::mkfifo(Path("pipe.jpg").c_str(), 0600), 0);
    ASSERT_EQ(::symlink("loop", Path("loop").c_str()), 0); // a link loop

    CDirFileList list;
    ASSERT_TRUE(list.Fill(Folder(), "*.*", true, CDirFileList::CheckNone));
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetAt(0)->Name, "zfolder");
    EXPECT_TRUE(list.GetAt(0)->IsFolder());
    EXPECT_TRUE(list.GetAt(0)->IsDirectory());
    EXPECT_EQ(Names(list), (std::set<std::string>{"zfolder", "a.png", "b.jpg"}));
    for (int i = 0; i < list.GetCount(); ++i)
        EXPECT_EQ(list.GetAt(i)->StateFlags, CDirFileInfo::FlagAdded);
    EXPECT_EQ(list.GetFolderPath(), Folder());
}

TEST_F(DirFileList, PatternsAreTrimmedJoinedAndMatchOnce)
{
    MakeFile("one.JPG");
    MakeFile("two.ppt");
    MakeFile("three.txt");
    CDirFileList list;
    ASSERT_TRUE(list.Fill(Folder(), " *.jpg ; *.JPG;*.ppt; ", true, CDirFileList::CheckNone));
    EXPECT_EQ(Names(list), (std::set<std::string>{"one.JPG", "two.ppt"}));
    EXPECT_EQ(list.GetCount(), 2);
    EXPECT_EQ(CNamePattern(" *.jpg ; ;").Parts().size(), 1u);
}

TEST_F(DirFileList, EachCheckModeListsOnlyWhatPassesItsCheck)
{
    MakeOfficeFiles();
    const struct
    {
        int mode;
        std::set<std::string> names;
    } cases[] = {
        {CDirFileList::CheckNone,
         {"deck.ppt", "letter.doc", "sheet.xls", "old.xls", "fake.ppt", "photo.jpg"}},
        {CDirFileList::CheckWord, {"letter.doc"}},
        {CDirFileList::CheckExcel, {"sheet.xls"}},
        {CDirFileList::CheckPowerPoint, {"deck.ppt"}},
        {CDirFileList::CheckByExtension, {"deck.ppt", "letter.doc", "sheet.xls", "photo.jpg"}},
    };
    for (const auto& c : cases) {
        CDirFileList list;
        ASSERT_TRUE(list.Fill(Folder(), "*.*", true, c.mode));
        EXPECT_EQ(Names(list), c.names) << "mode " << c.mode;
    }
    EXPECT_EQ(CDirFileList::CheckModeForType(0), CDirFileList::CheckByExtension);
    EXPECT_EQ(CDirFileList::CheckModeForType(1), CDirFileList::CheckPowerPoint);
    EXPECT_EQ(CDirFileList::CheckModeForType(2), CDirFileList::CheckNone);
}

TEST_F(DirFileList, UpdateInPlaceReportsNewSeenAndGoneEntries)
{
    MakeFile("keep.jpg");
    MakeFile("delete.jpg");
    MakeFile("rename.jpg");
    CDirFileList list;
    ASSERT_TRUE(list.Fill(Folder(), "*.jpg", true, 0));
    CDirFileInfo* kept = list.FindByName("keep.jpg");
    ASSERT_NE(kept, nullptr);

    ASSERT_TRUE(QFile::remove(QString::fromStdString(Path("delete.jpg"))));
    ASSERT_TRUE(QFile::rename(QString::fromStdString(Path("rename.jpg")),
                              QString::fromStdString(Path("renamed.jpg"))));
    MakeFile("new.jpg", 2000);
    ASSERT_TRUE(list.Fill("/ignored", "*.jpg", false, 0));

    EXPECT_EQ(list.FindByName("keep.jpg"), kept) << "the entry itself is kept";
    EXPECT_EQ(kept->StateFlags, CDirFileInfo::FlagSeen);
    EXPECT_EQ(list.FindByName("new.jpg")->StateFlags, CDirFileInfo::FlagAdded);
    EXPECT_EQ(list.FindByName("new.jpg")->Size, 2000u);
    EXPECT_EQ(list.FindByName("renamed.jpg")->StateFlags, CDirFileInfo::FlagAdded);
    EXPECT_EQ(list.FindByName("delete.jpg")->StateFlags, 0u);
    EXPECT_EQ(list.FindByName("rename.jpg")->StateFlags, 0u);

    const auto gone = list.TakeGone();
    ASSERT_EQ(gone.size(), 2u);
    EXPECT_EQ(Names(list), (std::set<std::string>{"keep.jpg", "new.jpg", "renamed.jpg"}));
    EXPECT_EQ(list.FindByName("delete.jpg"), nullptr);
}

TEST_F(DirFileList, UnreadableOrVanishedFolderGivesAnEmptyListAndTheReason)
{
    MakeFile("a.jpg");
    CDirFileList list;
    ASSERT_TRUE(list.Fill(Folder(), "*.*", true, 0));
    ASSERT_EQ(list.GetCount(), 1);
    EXPECT_FALSE(list.Fill(Folder() + "missing/", "*.*", true, 0));
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.LastError(), ENOENT);
    if (::geteuid() != 0) {
        MakeFolder("closed");
        ASSERT_EQ(::chmod(Path("closed").c_str(), 0), 0);
        EXPECT_FALSE(list.Fill(Path("closed"), "*.*", true, 0));
        EXPECT_EQ(list.LastError(), EACCES);
        ::chmod(Path("closed").c_str(), 0700);
    }
}

TEST_F(DirFileList, SortingByEveryColumnKeepsFoldersFirstAscending)
{
    MakeFile("b.jpg", 5000);
    MakeFile("A.png", 10);
    MakeFile("c.ppt", 1024);
    MakeFolder("m");
    MakeFolder("d");
    CDirFileList list;
    ASSERT_TRUE(list.Fill(Folder(), "*.*", true, 0));
    // Distinct times, oldest first: c.ppt, A.png, b.jpg.
    const struct timespec times[2][2] = {{{1000000, 0}, {1000000, 0}},
                                         {{2000000, 0}, {2000000, 0}}};
    ::utimensat(AT_FDCWD, Path("c.ppt").c_str(), times[0], 0);
    ::utimensat(AT_FDCWD, Path("A.png").c_str(), times[1], 0);
    ASSERT_TRUE(list.Fill(Folder(), "*.*", true, 0));

    auto sorted = [&](int column, bool descending) {
        std::vector<CDirFileInfo*> entries;
        for (int i = 0; i < list.GetCount(); ++i)
            entries.push_back(list.GetAt(i));
        std::stable_sort(entries.begin(), entries.end(),
                         [&](auto* a, auto* b) { return a->Compare(*b, column, descending) < 0; });
        std::vector<std::string> names;
        for (auto* e : entries)
            names.push_back(e->Name);
        return names;
    };
    using V = std::vector<std::string>;
    EXPECT_EQ(sorted(1, false), (V{"d", "m", "A.png", "b.jpg", "c.ppt"}));
    EXPECT_EQ(sorted(1, true), (V{"c.ppt", "b.jpg", "A.png", "m", "d"}));
    const V bySize = sorted(2, false);
    EXPECT_EQ(V(bySize.begin() + 2, bySize.end()), (V{"A.png", "c.ppt", "b.jpg"}));
    EXPECT_EQ(std::set<std::string>(bySize.begin(), bySize.begin() + 2),
              (std::set<std::string>{"d", "m"}));
    const V bySizeDown = sorted(2, true);
    EXPECT_EQ(V(bySizeDown.begin(), bySizeDown.begin() + 3), (V{"b.jpg", "c.ppt", "A.png"}));
    const V byDate = sorted(4, false);
    EXPECT_EQ(V(byDate.begin() + 2, byDate.end()), (V{"c.ppt", "A.png", "b.jpg"}));
    const V byType = sorted(3, false);
    EXPECT_TRUE(list.FindByName(byType[0])->IsDirectory());
    EXPECT_EQ(list.FindByName("c.ppt")->Compare(*list.FindByName("c.ppt"), 9, false), 0);
}

TEST_F(DirFileList, ColumnTexts)
{
    MakeFile("exact.jpg", 1024);
    MakeFile("more.jpg", 1025);
    MakeFile("empty.jpg", 0);
    MakeFolder("sub");
    CDirFileList list;
    ASSERT_TRUE(list.Fill(Folder(), "*.*", true, 0));
    EXPECT_EQ(list.FindByName("exact.jpg")->FormatSize(), "1");
    EXPECT_EQ(list.FindByName("more.jpg")->FormatSize(), "2");
    EXPECT_EQ(list.FindByName("empty.jpg")->FormatSize(), "0");
    EXPECT_EQ(list.FindByName("sub")->FormatSize(), "");
    EXPECT_FALSE(list.FindByName("exact.jpg")->FormatDate().empty());
    EXPECT_FALSE(list.FindByName("exact.jpg")->TypeName.empty());
    EXPECT_EQ(list.FindByName("EXACT.JPG"), list.FindByName("exact.jpg"));
}

TEST_F(DirFileList, OddNamesAreListedAsTheyAre)
{
    const std::string newline = "two\nlines.jpg";
    const std::string invalid = std::string("bad\xff\xfe") + ".jpg";
    for (const std::string& name : {newline, invalid}) {
        // Raw bytes: no conversion through QString on the way.
        const int fd = ::open(Path(name).c_str(), O_WRONLY | O_CREAT, 0600);
        ASSERT_GE(fd, 0);
        ::close(fd);
    }
    CDirFileList list;
    ASSERT_TRUE(list.Fill(Folder(), "*.jpg", true, 0));
    EXPECT_EQ(Names(list), (std::set<std::string>{newline, invalid}));
    EXPECT_EQ(list.FindByName(invalid)->Path, Folder() + invalid);
}

TEST_F(DirFileList, TopLevelHoldsHomeAndTheVolumesOfTheSource)
{
    std::vector<CVolumeList::Volume> volumes(2);
    volumes[0].root = "/media/card/";
    volumes[0].label = "CARD";
    volumes[1].root = "/";
    CDirFileList list;
    list.SetVolumeSource([&] { return volumes; });
    ASSERT_TRUE(list.Fill("", "*.*", true, 0));
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetAt(0)->Path, QDir::homePath().toStdString() + "/");
    EXPECT_TRUE(list.GetAt(1)->IsVolume());
    EXPECT_EQ(list.GetAt(1)->TypeName, "CARD");
    EXPECT_EQ(list.GetAt(1)->FormatDate(), "");

    volumes.erase(volumes.begin()); // the card is pulled
    ASSERT_TRUE(list.Fill("", "*.*", false, 0));
    EXPECT_EQ(list.TakeGone().size(), 1u);
    EXPECT_EQ(list.GetCount(), 2);
}

TEST_F(DirFileList, ReloadTakesTheNewName)
{
    MakeFile("old.jpg", 10);
    CDirFileList list;
    ASSERT_TRUE(list.Fill(Folder(), "*.*", true, 0));
    CDirFileInfo* entry = list.FindByName("old.jpg");
    ASSERT_TRUE(QFile::rename(QString::fromStdString(Path("old.jpg")),
                              QString::fromStdString(Path("new.png"))));
    ASSERT_TRUE(entry->Reload(Folder(), "new.png"));
    list.Rename(entry, "old.jpg");
    EXPECT_EQ(entry->Name, "new.png");
    EXPECT_EQ(list.FindByName("new.png"), entry);
    EXPECT_FALSE(entry->Reload(Folder(), "gone.png"));
    EXPECT_EQ(entry->Name, "new.png");
}

} // namespace
