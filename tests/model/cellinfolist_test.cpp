// The cell list: container and flags, look-ups by file name, copies of
// lists, the save and close transactions (Purge), sizes and copies of the
// project's files, and the card names.
#include "base/msgid.h"
#include "modelfixture.h"
#include "support/casename.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

using CellList = ModelFixture;

TEST_F(CellList, ContainerKeepsOwnershipAndOrder)
{
    EXPECT_TRUE(list.IsEmpty());
    CCellBmpInfo* a = AddImageCell("a.png");
    CCellCtrlInfo* c = AddControlCell();
    auto b = std::make_unique<CCellBmpInfo>();
    CCellBmpInfo* braw = b.get();
    EXPECT_EQ(list.InsertAt(1, std::move(b)), 1);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_EQ(list.GetAt(0), a);
    EXPECT_EQ(list.GetAt(1), braw);
    EXPECT_EQ(list.GetAt(2), c);
    EXPECT_EQ(braw->OwnerList, &list);
    EXPECT_EQ(list.IndexOf(c), 2);
    EXPECT_EQ(list.IndexOf(nullptr), -1);
    EXPECT_EQ(list.Append(nullptr), -1);
    EXPECT_EQ(list.InsertAt(99, std::make_unique<CCellInfo>()), 3);

    std::unique_ptr<CCellInfo> removed = list.RemoveAt(1);
    EXPECT_EQ(removed.get(), braw);
    EXPECT_EQ(removed->OwnerList, nullptr);
    EXPECT_EQ(list.GetCount(), 3);
    EXPECT_FALSE(list.RemoveAt(7));
    EXPECT_FALSE(list.RemoveAt(-1));

    a->StateFlags = CCellInfo::StateDeleted;
    EXPECT_EQ(list.VisibleCount(), 2);
    EXPECT_EQ(list.VisibleImageCount(), 0);
    list.DeleteAll();
    EXPECT_TRUE(list.IsEmpty());
}

TEST_F(CellList, ClearFlagsClearsOnlyTheMask)
{
    AddImageCell("a.png", {}, 0x17);
    AddControlCell(0x05);
    list.ClearFlags(CCellInfo::StateAdded | CCellInfo::StateChanged);
    EXPECT_EQ(list.GetAt(0)->StateFlags, 0x14u);
    EXPECT_EQ(list.GetAt(1)->StateFlags, 0x04u);
}

TEST_F(CellList, FindByFileNameSeesLiveImageCellsOnly)
{
    AddImageCell("x.png", "x.jpg", CCellInfo::StateDeleted); // 0: deleted
    AddImageCell("x.png", "x.jpg", CCellInfo::StateAdded);   // 1: added
    AddControlCell();                                        // 2
    AddImageCell("x.png", "y.jpg", 0, "d.png");              // 3
    AddImageCell("z.png", "x.png");                          // 4
    AddImageCell("x.png");                                   // 5
    using F = CCellInfoList::FileField;
    EXPECT_EQ(list.FindByFileName("x.png", F::FieldFileName), 3);
    EXPECT_EQ(list.FindByFileName("x.png", F::FieldFileName, 4), 5);
    EXPECT_EQ(list.FindByFileName("x.png", F::FieldFileName, 6), -1);
    EXPECT_EQ(list.FindByFileName("x.png", F::FieldThumbFileName), 4);
    EXPECT_EQ(list.FindByFileName("x.jpg", F::FieldThumbFileName), -1);
    EXPECT_EQ(list.FindByFileName("d.png", F::FieldDispFileName), 3);
    EXPECT_EQ(list.FindByFileName("d.png", F::FieldFileName), -1);
    EXPECT_EQ(list.FindByFileName("x.png", F::FieldFileName, -3), 3);
}

TEST_F(CellList, NamesDifferingInCaseAreOneFileOnlyWhereTheFileSystemSaysSo)
{
    // This file system keeps case: two files, so two names.
    WriteFile(project + "Pic.png", "1");
    WriteFile(project + "pic.png", "2");
    if (ReadFile(project + "Pic.png") != "1")
        GTEST_SKIP() << "file system ignores case";
    EXPECT_FALSE(list.IsSameFile("Pic.png", "pic.png"));
    EXPECT_TRUE(list.IsSameFile("pic.png", "pic.png"));
    // A link makes two spellings one file.
    std::filesystem::remove(project + "pic.png");
    std::filesystem::create_symlink("Pic.png", project + "pic.png");
    EXPECT_TRUE(list.IsSameFile("Pic.png", "pic.png"));
    EXPECT_FALSE(list.IsSameFile("Pic.png", "pid.png"));
}

TEST_F(CellList, IsFileNameSharedLooksAtEarlierVisibleCells)
{
    AddImageCell("a.png");                              // 0
    AddImageCell("b.png", {}, CCellInfo::StateDeleted); // 1
    AddImageCell("b.png");                              // 2
    AddImageCell("a.png");                              // 3
    AddImageCell("");                                   // 4
    AddImageCell("");                                   // 5
    AddControlCell();                                   // 6
    EXPECT_FALSE(list.IsFileNameShared(0));
    EXPECT_FALSE(list.IsFileNameShared(2));
    EXPECT_TRUE(list.IsFileNameShared(3));
    EXPECT_FALSE(list.IsFileNameShared(5));
    EXPECT_FALSE(list.IsFileNameShared(6));
    EXPECT_FALSE(list.IsFileNameShared(42));
}

TEST_F(CellList, CopyFromMakesCellsOfTheSameClass)
{
    CCellBmpInfo* image = AddImageCell("a.png", "a.jpg", 0x02);
    image->Effect = 9;
    AddControlCell()->InputDev = 2;
    auto plain = std::make_unique<CCellInfo>();
    plain->CellType = static_cast<CCellInfo::Type>(9);
    list.Append(std::move(plain));

    CCellInfoList copy;
    copy.Append(std::make_unique<CCellCtrlInfo>()); // replaced
    ASSERT_TRUE(copy.CopyFrom(&list));
    ASSERT_EQ(copy.GetCount(), 3);
    auto* ci = dynamic_cast<CCellBmpInfo*>(copy.GetAt(0));
    ASSERT_TRUE(ci);
    EXPECT_EQ(ci->FileName, "a.png");
    EXPECT_EQ(ci->Effect, 9);
    EXPECT_EQ(ci->StateFlags, 0x02u);
    EXPECT_EQ(ci->OwnerList, &copy);
    EXPECT_EQ(static_cast<CCellCtrlInfo*>(copy.GetAt(1))->InputDev, 2);
    EXPECT_EQ(copy.GetAt(2)->CellType, static_cast<CCellInfo::Type>(9));
    EXPECT_NE(copy.GetAt(0), list.GetAt(0));

    EXPECT_FALSE(copy.CopyFrom(nullptr));
    EXPECT_TRUE(copy.IsEmpty());
}

TEST_F(CellList, RestoreValuesFromKeepsEachCellsOwner)
{
    AddImageCell("a.png")->Effect = 1;
    AddControlCell()->InputDev = 0;
    AddImageCell("c.png");
    CCellInfoList saved;
    ASSERT_TRUE(saved.CopyFrom(&list));
    static_cast<CCellBmpInfo*>(list.GetAt(0))->Effect = 30;
    static_cast<CCellCtrlInfo*>(list.GetAt(1))->InputDev = 2;
    saved.RemoveAt(2); // shorter: the third cell keeps its values
    static_cast<CCellBmpInfo*>(list.GetAt(2))->Effect = 7;

    EXPECT_TRUE(list.RestoreValuesFrom(&saved));
    EXPECT_EQ(static_cast<CCellBmpInfo*>(list.GetAt(0))->Effect, 1);
    EXPECT_EQ(static_cast<CCellCtrlInfo*>(list.GetAt(1))->InputDev, 0);
    EXPECT_EQ(static_cast<CCellBmpInfo*>(list.GetAt(2))->Effect, 7);
    for (int i = 0; i < list.GetCount(); ++i)
        EXPECT_EQ(list.GetAt(i)->OwnerList, &list);
    EXPECT_FALSE(list.RestoreValuesFrom(nullptr));

    // Cells of different types at one position are not copied.
    CCellInfoList swapped;
    swapped.Append(std::make_unique<CCellCtrlInfo>());
    EXPECT_FALSE(list.RestoreValuesFrom(&swapped));
    EXPECT_EQ(list.GetAt(0)->CellType, CCellInfo::Type::Image);
}

TEST_F(CellList, PurgeKeepsAFileStillNamedByALiveCell)
{
    for (const char* f :
         {"shared.png", "shared.jpg", "own.png", "own.jpg", "live.jpg", "d.png", "other.jpg"})
        WriteFile(project + f, f);
    AddImageCell("shared.png", "live.jpg"); // live
    AddImageCell("shared.png", "shared.jpg", CCellInfo::StateDeleted, "d.png");
    AddImageCell("own.png", "own.jpg", CCellInfo::StateAdded);
    AddImageCell("d.png", "other.jpg"); // live
    AddImageCell("other.jpg", {}, CCellInfo::StateAdded | CCellInfo::StateDeleted);
    AddControlCell(CCellInfo::StateDeleted);
    AddControlCell();

    list.Purge();
    ASSERT_EQ(list.GetCount(), 3);
    EXPECT_EQ(static_cast<CCellBmpInfo*>(list.GetAt(0))->FileName, "shared.png");
    EXPECT_EQ(static_cast<CCellBmpInfo*>(list.GetAt(1))->FileName, "d.png");
    EXPECT_EQ(list.GetAt(2)->CellType, CCellInfo::Type::Control);
    EXPECT_TRUE(Exists(project + "shared.png")); // FileName of a live cell
    EXPECT_TRUE(Exists(project + "live.jpg"));
    EXPECT_FALSE(Exists(project + "own.png"));
    EXPECT_FALSE(Exists(project + "own.jpg"));
    EXPECT_FALSE(Exists(project + "shared.jpg"));
    // Named by a live cell in another of its fields: still that cell's file.
    EXPECT_TRUE(Exists(project + "d.png"));
    EXPECT_TRUE(Exists(project + "other.jpg"));
}

TEST_F(CellList, PurgeOfCraftedNamesTouchesNothingOutside)
{
    WriteFile(outside + "victim.png", "keep");
    WriteFile(root + "top.png", "keep");
    AddImageCell("../outside/victim.png", "../top.png", CCellInfo::StateDeleted,
                 outside + "victim.png");
    AddImageCell(std::string("../top.png\0", 11), "..", CCellInfo::StateAdded, "/");
    list.Purge();
    EXPECT_TRUE(list.IsEmpty());
    EXPECT_EQ(ReadFile(outside + "victim.png"), "keep");
    EXPECT_EQ(ReadFile(root + "top.png"), "keep");
    EXPECT_TRUE(Exists(project));
}

// The save and close transactions as the document runs them.
TEST_F(CellList, SaveDropsDeletedCellsAndKeepsAddedOnes)
{
    for (const char* f : {"old.png", "old.jpg", "new.png", "new.jpg", "gone.png", "gone.jpg"})
        WriteFile(project + f, f);
    AddImageCell("old.png", "old.jpg", CCellInfo::StateChanged);
    AddImageCell("new.png", "new.jpg", CCellInfo::StateAdded);
    AddImageCell("gone.png", "gone.jpg", CCellInfo::StateDeleted | CCellInfo::StateChanged);

    list.ClearFlags(CCellInfo::StateAdded | CCellInfo::StateChanged);
    list.Purge();
    ASSERT_EQ(list.GetCount(), 2);
    EXPECT_EQ(list.GetAt(0)->StateFlags, 0u);
    EXPECT_EQ(list.GetAt(1)->StateFlags, 0u);
    EXPECT_TRUE(Exists(project + "new.png"));
    EXPECT_TRUE(Exists(project + "old.jpg"));
    EXPECT_FALSE(Exists(project + "gone.png"));
    EXPECT_FALSE(Exists(project + "gone.jpg"));
}

TEST_F(CellList, CloseDropsAddedCellsAndKeepsTheFilesOfDeletedOnes)
{
    for (const char* f : {"old.png", "old.jpg", "new.png", "new.jpg", "gone.png", "gone.jpg"})
        WriteFile(project + f, f);
    AddImageCell("old.png", "old.jpg");
    AddImageCell("new.png", "new.jpg", CCellInfo::StateAdded);
    AddImageCell("gone.png", "gone.jpg", CCellInfo::StateDeleted);
    // A pasted cell that shares the display image of a saved one.
    AddImageCell("old.png", "new2.jpg", CCellInfo::StateAdded);

    list.ClearFlags(CCellInfo::StateDeleted);
    list.Purge();
    EXPECT_EQ(list.GetCount(), 2);
    list.DeleteAll();
    EXPECT_TRUE(Exists(project + "old.png"));
    EXPECT_TRUE(Exists(project + "old.jpg"));
    EXPECT_TRUE(Exists(project + "gone.png"));
    EXPECT_TRUE(Exists(project + "gone.jpg"));
    EXPECT_FALSE(Exists(project + "new.png"));
    EXPECT_FALSE(Exists(project + "new.jpg"));
}

TEST_F(CellList, TotalFileSizeCountsSharedFilesOnce)
{
    WriteFile(project + "a.png", std::string(100, 'a'));
    WriteFile(project + "a.jpg", std::string(10, 'a'));
    WriteFile(project + "b.jpg", std::string(20, 'b'));
    WriteFile(project + "d.png", std::string(1000, 'd'));
    WriteFile(project + "x.png", std::string(5000, 'x'));
    WriteFile(project + "x.jpg", std::string(7, 'x'));
    AddImageCell("a.png", "a.jpg", 0, "d.png");
    AddImageCell("a.png", "b.jpg");
    AddImageCell("x.png", "x.jpg", CCellInfo::StateDeleted);
    AddImageCell("missing.png", "missing.jpg");
    AddImageCell("../outside/big.png");
    WriteFile(outside + "big.png", std::string(100000, 'o'));
    AddControlCell();

    EXPECT_EQ(list.TotalFileSize(false, false), 100u + 10 + 1000 + 20);
    EXPECT_EQ(list.TotalFileSize(true, false), 100u + 1000);
    EXPECT_EQ(list.TotalFileSize(false, true), 100u + 10 + 1000 + 20 + 5000 + 7);
    EXPECT_EQ(list.TotalFileSize(true, true), 100u + 1000 + 5000);
}

TEST_F(CellList, CopyFilesToCopiesEachFileOnceKeepingTimes)
{
    const std::string dest = root + "dest/";
    std::filesystem::create_directories(dest);
    for (const char* f : {"a.png", "a.jpg", "b.jpg", "d.png", "x.png", "x.jpg"})
        WriteFile(project + f, f);
    const auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(30);
    SetTime(project + "a.png", stamp);
    AddImageCell("a.png", "a.jpg", 0, "d.png");
    AddImageCell("a.png", "b.jpg");
    AddImageCell("x.png", "x.jpg", CCellInfo::StateDeleted);
    AddImageCell("missing.png");
    AddControlCell();

    CScriptedProgress progress;
    ASSERT_TRUE(list.CopyFilesTo(dest, false, false, &progress));
    EXPECT_EQ(progress.steps, 3);
    for (const char* f : {"a.png", "a.jpg", "b.jpg", "d.png"})
        EXPECT_EQ(ReadFile(dest + f), f);
    EXPECT_FALSE(Exists(dest + "x.png"));
    EXPECT_FALSE(Exists(dest + "missing.png"));
    EXPECT_LT(std::chrono::abs(std::filesystem::last_write_time(dest + "a.png") - stamp),
              std::chrono::seconds(2));

    const std::string dest2 = root + "dest2/";
    std::filesystem::create_directories(dest2);
    ASSERT_TRUE(list.CopyFilesTo(dest2, true, true, nullptr));
    EXPECT_TRUE(Exists(dest2 + "x.png"));
    EXPECT_FALSE(Exists(dest2 + "x.jpg"));
    EXPECT_FALSE(Exists(dest2 + "a.jpg"));

    EXPECT_FALSE(list.CopyFilesTo("", false, false, nullptr));
    // Copying onto itself changes nothing.
    EXPECT_TRUE(list.CopyFilesTo(project, false, false, nullptr));
    EXPECT_EQ(ReadFile(project + "a.png"), "a.png");
}

TEST_F(CellList, CopyFilesToStopsAtCancelAndAtAFailedCopy)
{
    const std::string dest = root + "dest/";
    std::filesystem::create_directories(dest);
    for (const char* f : {"1.png", "2.png", "3.png"})
        WriteFile(project + f, f);
    AddImageCell("1.png");
    AddImageCell("2.png");
    AddImageCell("3.png");
    CScriptedProgress progress;
    progress.cancelAtStep = 1;
    EXPECT_FALSE(list.CopyFilesTo(dest, false, false, &progress));
    EXPECT_TRUE(Exists(dest + "1.png"));
    EXPECT_FALSE(Exists(dest + "2.png"));

    EXPECT_FALSE(list.CopyFilesTo(root + "no-such-folder/", false, false, nullptr));
}

TEST_F(CellList, CopyFilesToWithCraftedNamesWritesNothingOutside)
{
    const std::string dest = root + "dest/";
    std::filesystem::create_directories(dest);
    WriteFile(outside + "secret.png", "secret");
    AddImageCell("../outside/secret.png", outside + "secret.png", 0, "..");
    ASSERT_TRUE(list.CopyFilesTo(dest, false, true, nullptr));
    EXPECT_TRUE(std::filesystem::is_empty(dest));
    EXPECT_EQ(ReadFile(outside + "secret.png"), "secret");
}

struct CardCase
{
    std::string prefix;
    int cells;
    std::string extension;
    std::string first;
    std::string last;
};

class CardNames : public ::testing::TestWithParam<CardCase>
{
};

TEST_P(CardNames, FillEightCharacters)
{
    const CardCase& c = GetParam();
    CCellInfoList list;
    list.Append(std::make_unique<CCellCtrlInfo>());
    auto deleted = std::make_unique<CCellBmpInfo>();
    deleted->StateFlags = CCellInfo::StateDeleted;
    deleted->CardFileName = "STALE.JPG";
    list.Append(std::move(deleted));
    for (int i = 0; i < c.cells; ++i)
        list.Append(std::make_unique<CCellBmpInfo>());
    list.AssignCardNames(c.prefix, c.extension);

    const auto* deletedCell = static_cast<CCellBmpInfo*>(list.GetAt(1));
    EXPECT_EQ(deletedCell->CardFileName, "");
    EXPECT_EQ(deletedCell->CardThumbName, "");
    const auto* first = static_cast<CCellBmpInfo*>(list.GetAt(2));
    const auto* last = static_cast<CCellBmpInfo*>(list.GetAt(list.GetCount() - 1));
    EXPECT_EQ(first->CardFileName, c.first);
    EXPECT_EQ(last->CardFileName, c.last);
    const std::string base = c.last.substr(0, c.last.find('.'));
    EXPECT_EQ(last->CardThumbName, base + ".JPS");
}

INSTANTIATE_TEST_SUITE_P(Rule, CardNames,
                         ::testing::Values(
                             // Two digits widened to three so that the name fills eight characters.
                             CardCase{"SLIDE", 12, "", "SLIDE001.JPG", "SLIDE012.JPG"},
                             CardCase{"slide", 12, ".jpg", "SLIDE001.JPG", "SLIDE012.JPG"},
                             CardCase{"SLIDE", 12, ".bmp", "SLIDE001.BMP", "SLIDE012.BMP"},
                             // One digit leaves room for seven characters of the prefix.
                             CardCase{"ABCDEFGH", 3, "", "ABCDEFG1.JPG", "ABCDEFG3.JPG"},
                             CardCase{"ABCDEFGHIJ", 8, "", "ABCDEFG1.JPG", "ABCDEFG8.JPG"},
                             CardCase{"ABCDEFGHIJ", 10, "", "ABCDEF01.JPG", "ABCDEF10.JPG"},
                             // No prefix: eight digits.
                             CardCase{"", 5, "", "00000001.JPG", "00000005.JPG"},
                             // Twelve characters and two digits: the prefix is cut to six.
                             CardCase{"Presentation", 25, "", "PRESEN01.JPG", "PRESEN25.JPG"},
                             CardCase{"Trip", 1, "", "TRIP0001.JPG", "TRIP0001.JPG"},
                             CardCase{"Show", 100, "", "SHOW0001.JPG", "SHOW0100.JPG"},
                             CardCase{"LONGSHOW", 100, "", "LONGS001.JPG", "LONGS100.JPG"}),
                         [](const auto& info) {
                             const CardCase& c = info.param;
                             return CaseNameSpelled(c.prefix + " " + std::to_string(c.cells) +
                                                    c.extension);
                         });

TEST(CardBaseName, FormatsAndLimits)
{
    EXPECT_EQ(CCellInfoList::CardBaseName("SLIDE", 12, 7), "SLIDE007");
    EXPECT_EQ(CCellInfoList::CardBaseName("", 5, 5), "00000005");
    // Eight digits leave no room for a prefix.
    EXPECT_EQ(CCellInfoList::CardBaseName("AB", 10000000, 1), "00000001");
    EXPECT_EQ(CCellInfoList::CardBaseName("AB", 100000000, 99999999), "99999999");
    EXPECT_EQ(CCellInfoList::CardBaseName("AB", 100000000, 100000000), "");
    EXPECT_EQ(CCellInfoList::CardBaseName("", 100000000, 100000000), "");
    EXPECT_EQ(CCellInfoList::CardBaseName("ABCDEFG", 1234567, 3), "A0000003");
    // A prefix is never cut inside a UTF-8 character.
    EXPECT_EQ(CCellInfoList::CardBaseName("ABCDEF\xC3\xA9", 10, 1), "ABCDEF01");
    EXPECT_EQ(CCellInfoList::CardBaseName("ABCDE\xC3\xA9Z", 10, 1), "ABCDE01");
    EXPECT_EQ(CCellInfoList::CardBaseName("A", 9999999, 9999999), "A9999999");
    EXPECT_EQ(CCellInfoList::CardBaseName("ABCDEFGHI", 0, 1), "ABCDEFG1");
}

TEST_F(CellList, CopyCardFilesCopiesTheNamedFiles)
{
    const std::string stage = root + "stage/";
    const std::string card = root + "card/";
    std::filesystem::create_directories(stage);
    std::filesystem::create_directories(card);
    AddImageCell("a.png");
    AddControlCell();
    AddImageCell("b.png");
    AddImageCell("c.png", {}, CCellInfo::StateDeleted);
    list.AssignCardNames("S");
    for (const char* f : {"S0000001.JPG", "S0000001.JPS", "S0000002.JPG", "S0000002.JPS"})
        WriteFile(stage + f, f);
    WriteFile(card + "S0000001.JPG", "old");

    CScriptedProgress progress;
    ASSERT_TRUE(list.CopyCardFiles(stage, card, &progress));
    EXPECT_EQ(progress.steps, 2);
    for (const char* f : {"S0000001.JPG", "S0000001.JPS", "S0000002.JPG", "S0000002.JPS"})
        EXPECT_EQ(ReadFile(card + f), f);

    CScriptedProgress cancel;
    cancel.cancelAtStep = 1;
    EXPECT_FALSE(list.CopyCardFiles(stage, card, &cancel));
    EXPECT_EQ(cancel.steps, 1);

    // A picture left out of the staging folder is skipped, as Send skips it;
    // a copy that fails stops.
    std::filesystem::remove(stage + "S0000002.JPS");
    EXPECT_TRUE(list.CopyCardFiles(stage, card, nullptr));
    std::filesystem::remove_all(card);
    EXPECT_FALSE(list.CopyCardFiles(stage, card, nullptr));
}

TEST_F(CellList, CopyNewImagesFromAsksBeforeStopping)
{
    const std::string temp = root + "temp2/";
    std::filesystem::create_directories(temp);
    AddImageCell("n1.png", "n1.jpg");
    AddControlCell();
    AddImageCell("n2.png", "n2.jpg");
    for (const char* f : {"n1.png", "n1.jpg", "n2.png", "n2.jpg"})
        WriteFile(temp + f, f);

    // The user declines to stop: everything is copied.
    CScriptedProgress progress;
    progress.cancelAtQuery = 0;
    CScriptedPrompt prompt;
    prompt.answers = {CUserPrompt::AnswerNo};
    ASSERT_TRUE(list.CopyNewImagesFrom(temp, &progress, &prompt));
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::AskStopAndUndo});
    EXPECT_EQ(progress.steps, 2);
    for (const char* f : {"n1.png", "n1.jpg", "n2.png", "n2.jpg"})
        EXPECT_EQ(ReadFile(project + f), f);

    // The user confirms: it stops with false.
    for (const char* f : {"n1.png", "n2.png"})
        std::filesystem::remove(project + f);
    CScriptedProgress stop;
    stop.cancelAtStep = 1;
    CScriptedPrompt yes;
    EXPECT_FALSE(list.CopyNewImagesFrom(temp, &stop, &yes));
    EXPECT_EQ(yes.Ids(), std::vector<int>{MsgId::AskStopAndUndo});
    EXPECT_TRUE(Exists(project + "n1.png"));
    EXPECT_FALSE(Exists(project + "n2.png"));

    // A missing file fails.
    std::filesystem::remove(temp + "n2.jpg");
    EXPECT_FALSE(list.CopyNewImagesFrom(temp, nullptr, nullptr));
}

TEST_F(CellList, RestoreWorkNamesPutsBackOrDeletesTheOldFiles)
{
    CCellBmpInfo* converted = AddImageCell("new.png", "new.jpg");
    converted->CardFileName = "old.png";
    converted->CardThumbName = "old.jpg";
    CCellBmpInfo* untouched = AddImageCell("keep.png", "keep.jpg");
    AddControlCell();

    list.RestoreWorkNames(true);
    EXPECT_EQ(converted->FileName, "old.png");
    EXPECT_EQ(converted->ThumbFileName, "old.jpg");
    EXPECT_EQ(converted->CardFileName, "");
    EXPECT_EQ(untouched->FileName, "keep.png"); // never converted: kept
    EXPECT_EQ(untouched->ThumbFileName, "keep.jpg");

    WriteFile(project + "old.png", "o");
    WriteFile(project + "old.jpg", "o");
    converted->FileName = "new.png";
    converted->CardFileName = "old.png";
    converted->CardThumbName = "old.jpg";
    list.RestoreWorkNames(false);
    EXPECT_EQ(converted->FileName, "new.png");
    EXPECT_EQ(converted->CardFileName, "");
    EXPECT_FALSE(Exists(project + "old.png"));
    EXPECT_FALSE(Exists(project + "old.jpg"));
}

} // namespace
