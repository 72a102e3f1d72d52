// Slide cells without image conversion: defaults, labels, copying between
// cells, source kinds, the path choke point for names from outside, and the
// file copies and deletions of an image cell.
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfo.h"
#include "modelfixture.h"
#include "support/casename.h"

#include <chrono>
#include <filesystem>
#include <gtest/gtest.h>

namespace {

TEST(CellDefaults, AreThoseOfANewCell)
{
    CCellInfo plain;
    EXPECT_EQ(plain.Reserved, 0);
    EXPECT_EQ(plain.AutoIntervalSec, 30);
    EXPECT_EQ(plain.MotionType, 0);
    EXPECT_EQ(plain.CellValid, 1);
    EXPECT_EQ(plain.StateFlags, 0u);
    EXPECT_EQ(plain.OwnerList, nullptr);
    EXPECT_EQ(plain.CellType, CCellInfo::Type::Plain);
    EXPECT_EQ(std::string(plain.ClassName()), "CCellInfo");

    CCellBmpInfo image;
    EXPECT_EQ(image.CellType, CCellInfo::Type::Image);
    EXPECT_EQ(image.RefFileTime, 0);
    EXPECT_EQ(image.RefPage, 0);
    EXPECT_EQ(image.Effect, 0);
    EXPECT_EQ(image.Disolve, (std::array<int32_t, 11>{0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 0}));
    EXPECT_EQ(image.BmpSize[0], 1024);
    EXPECT_EQ(image.BmpSize[1], 768);
    EXPECT_EQ(image.Resize[0], 160);
    EXPECT_EQ(image.Resize[1], 120);
    EXPECT_EQ(image.PictureSource, 0);
    EXPECT_EQ(image.SourceKind, 0);
    EXPECT_TRUE(image.Picture.isNull());
    EXPECT_EQ(std::string(image.ClassName()), "CCellBmpInfo");

    CCellCtrlInfo control;
    EXPECT_EQ(control.CellType, CCellInfo::Type::Control);
    EXPECT_EQ(control.InputDev, 0);
    EXPECT_EQ(std::string(control.ClassName()), "CCellCtrlInfo");
}

TEST(CellCreation, ByTypeAndByArchiveName)
{
    EXPECT_EQ(CCellInfo::CreateOfType(CCellInfo::Type::Image)->CellType, CCellInfo::Type::Image);
    EXPECT_EQ(CCellInfo::CreateOfType(CCellInfo::Type::Control)->CellType,
              CCellInfo::Type::Control);
    EXPECT_EQ(std::string(CCellInfo::CreateOfType(static_cast<CCellInfo::Type>(5))->ClassName()),
              "CCellInfo");
    EXPECT_EQ(std::string(CCellInfo::CreateOfType(CCellInfo::Type::Plain)->ClassName()),
              "CCellInfo");

    for (const char* name : {"CCellInfo", "CCellBmpInfo", "CCellCtrlInfo"}) {
        auto object = CCellInfo::CreateForArchive(name);
        ASSERT_TRUE(object) << name;
        EXPECT_EQ(std::string(object->ClassName()), name);
    }
    for (const char* name : {"CUndoCellInfo", "CCellInfoList", "ccellinfo", "", "CObject"})
        EXPECT_FALSE(CCellInfo::CreateForArchive(name)) << name;
}

TEST(CellLabel, ImageCellNamesItsSourceAndPage)
{
    CCellBmpInfo cell;
    cell.RefFilePath = "/home/u/Pictures/beach.jpg";
    cell.RefPage = 1;
    EXPECT_EQ(cell.GetLabel(), "beach.jpg    Page 1");
    cell.RefFilePath = "/talks/deck.ppt";
    cell.RefPage = 12;
    EXPECT_EQ(cell.GetLabel(), "deck.ppt    Page 12");
    cell.RefFilePath = "plain.png";
    cell.RefPage = 0;
    EXPECT_EQ(cell.GetLabel(), "plain.png    Page 0");
    EXPECT_EQ(CCellInfo().GetLabel(), "");
}

TEST(CellLabel, ControlCellNamesItsInputDevice)
{
    const std::string control = CResourceBundle::Text(MsgId::ControlStepLabel);
    ASSERT_FALSE(control.empty());
    CCellCtrlInfo cell;
    for (int device = 0; device <= 2; ++device) {
        cell.InputDev = device;
        const std::string name = CResourceBundle::Text(MsgId::InputRemoteControl + device);
        ASSERT_FALSE(name.empty());
        EXPECT_EQ(cell.GetLabel(), control + "    " + name);
    }
    for (int device : {3, -1, 1000}) {
        cell.InputDev = device;
        EXPECT_EQ(cell.GetLabel(), control + "    ");
    }
}

TEST(CellCopy, ImageCellCopiesEverythingButPictureAndWorkingNames)
{
    CCellInfoList owner;
    CCellBmpInfo source;
    source.Reserved = 0;
    source.AutoIntervalSec = 99;
    source.MotionType = 1;
    source.CellValid = 0;
    source.StateFlags = 0x12;
    source.OwnerList = &owner;
    source.FileName = "f.png";
    source.RefFilePath = "/s/f.bmp";
    source.RefFileTime = 1234;
    source.RefPage = 4;
    source.DispFileName = "d.png";
    source.ThumbFileName = "t.jpg";
    source.PictureSource = 3;
    source.Effect = 41;
    source.Disolve = {7, 6, 1, 1, 5, 4, 3, 2, 1, 148, 0};
    source.Resize[0] = 80;
    source.Resize[1] = 120;
    source.SourceKind = 2;
    source.BmpSize[0] = 512;
    source.BmpSize[1] = 768;
    source.CardFileName = "CARD.JPG";
    source.CardThumbName = "CARD.JPS";
    source.Picture = QImage(4, 4, QImage::Format_RGB32);

    CCellBmpInfo copy;
    ASSERT_TRUE(copy.CopyFrom(&source));
    EXPECT_EQ(copy.AutoIntervalSec, 99);
    EXPECT_EQ(copy.MotionType, 1);
    EXPECT_EQ(copy.CellValid, 0);
    EXPECT_EQ(copy.StateFlags, 0x12u);
    EXPECT_EQ(copy.OwnerList, &owner);
    EXPECT_EQ(copy.CellType, CCellInfo::Type::Image);
    EXPECT_EQ(copy.FileName, "f.png");
    EXPECT_EQ(copy.RefFilePath, "/s/f.bmp");
    EXPECT_EQ(copy.RefFileTime, 1234);
    EXPECT_EQ(copy.RefPage, 4);
    EXPECT_EQ(copy.DispFileName, "d.png");
    EXPECT_EQ(copy.ThumbFileName, "t.jpg");
    EXPECT_EQ(copy.PictureSource, 3);
    EXPECT_EQ(copy.Effect, 41);
    EXPECT_EQ(copy.Disolve, source.Disolve);
    EXPECT_EQ(copy.Resize[0], 80);
    EXPECT_EQ(copy.SourceKind, 2);
    EXPECT_EQ(copy.BmpSize[0], 512);
    EXPECT_EQ(copy.CardFileName, "");
    EXPECT_EQ(copy.CardThumbName, "");
    EXPECT_TRUE(copy.Picture.isNull());
}

TEST(CellCopy, ControlAndPlainCells)
{
    CCellCtrlInfo control;
    control.InputDev = 2;
    control.AutoIntervalSec = 5;
    CCellCtrlInfo controlCopy;
    ASSERT_TRUE(controlCopy.CopyFrom(&control));
    EXPECT_EQ(controlCopy.InputDev, 2);
    EXPECT_EQ(controlCopy.AutoIntervalSec, 5);

    CCellInfo plain;
    plain.CellType = static_cast<CCellInfo::Type>(7);
    plain.CellValid = 0;
    CCellInfo plainCopy;
    ASSERT_TRUE(plainCopy.CopyFrom(&plain));
    EXPECT_EQ(plainCopy.CellType, static_cast<CCellInfo::Type>(7));
    EXPECT_EQ(plainCopy.CellValid, 0);
}

TEST(CellCopy, AnotherTypeFailsAndChangesNothing)
{
    CCellBmpInfo image;
    image.AutoIntervalSec = 11;
    image.FileName = "keep.png";
    CCellCtrlInfo control;
    control.AutoIntervalSec = 22;
    control.InputDev = 1;
    CCellInfo plain;
    plain.AutoIntervalSec = 33;

    EXPECT_FALSE(image.CopyFrom(&control));
    EXPECT_FALSE(image.CopyFrom(&plain));
    EXPECT_FALSE(control.CopyFrom(&image));
    EXPECT_FALSE(control.CopyFrom(&plain));
    EXPECT_FALSE(plain.CopyFrom(&image));
    EXPECT_FALSE(plain.CopyFrom(&control));
    EXPECT_FALSE(image.CopyFrom(nullptr));
    EXPECT_EQ(image.AutoIntervalSec, 11);
    EXPECT_EQ(image.FileName, "keep.png");
    EXPECT_EQ(image.CellType, CCellInfo::Type::Image);
    EXPECT_EQ(control.AutoIntervalSec, 22);
    EXPECT_EQ(control.CellType, CCellInfo::Type::Control);
    EXPECT_EQ(plain.AutoIntervalSec, 33);
    EXPECT_EQ(plain.CellType, CCellInfo::Type::Plain);
}

struct KindCase
{
    const char* path;
    int kind;
    bool presentation;
};

class CellSourceKind : public ::testing::TestWithParam<KindCase>
{
};

TEST_P(CellSourceKind, FollowsTheExtension)
{
    CCellBmpInfo cell;
    cell.RefFilePath = GetParam().path;
    cell.UpdateSourceKind();
    EXPECT_EQ(cell.SourceKind, GetParam().kind);
    EXPECT_EQ(cell.IsFromPresentation(), GetParam().presentation);
}

INSTANTIATE_TEST_SUITE_P(
    Extensions, CellSourceKind,
    ::testing::Values(KindCase{"/a/b.jpg", 1, false}, KindCase{"/a/b.JPEG", 1, false},
                      KindCase{"/a/b.Jpeg", 1, false}, KindCase{"/a/b.bmp", 2, false},
                      KindCase{"/a/b.DIB", 2, false}, KindCase{"/a/b.ppt", 4, true},
                      KindCase{"/a/b.PpT", 4, true}, KindCase{"/a/b.png", 0, false},
                      KindCase{"/a/b.pptx", 4, true}, KindCase{"/a/b.ODP", 4, true},
                      KindCase{"/a/b.pdf", 4, true}, KindCase{"/a/b.heic", 0, false},
                      KindCase{"/a/b.webp", 0, false}, KindCase{"/a/b", 0, false},
                      KindCase{"/a.jpg/b", 0, false}, KindCase{"", 0, false},
                      KindCase{"/a/b.jpg.png", 0, false}),
    [](const auto& info) { return CaseNameSpelled(info.param.path); });

struct NameCase
{
    std::string name;
    bool plain;
};

class CellFileNames : public ::testing::TestWithParam<NameCase>
{
};

TEST_P(CellFileNames, OnlyPlainNamesReachTheProjectFolder)
{
    CCellInfoList owner;
    owner.ProjectFolder = "/work/project/";
    CCellBmpInfo cell;
    cell.OwnerList = &owner;
    const std::string& name = GetParam().name;
    EXPECT_EQ(CCellBmpInfo::IsPlainFileName(name), GetParam().plain) << name;
    EXPECT_EQ(cell.ProjectFilePath(name), GetParam().plain ? "/work/project/" + name : "");
}

INSTANTIATE_TEST_SUITE_P(
    Names, CellFileNames,
    ::testing::Values(NameCase{"beach3bbd8f1a.png", true}, NameCase{".hidden.png", true},
                      NameCase{"a b\\c.png", true}, NameCase{"", false}, NameCase{".", false},
                      NameCase{"..", false}, NameCase{"../x.png", false},
                      NameCase{"/etc/passwd", false}, NameCase{"sub/x.png", false},
                      NameCase{"x/", false}, NameCase{std::string("a\0b", 3), false}),
    [](const auto& info) { return CaseNameSpelled(info.param.name); });

TEST(CellFileNamesNoOwner, GiveNoPath)
{
    CCellBmpInfo cell;
    EXPECT_EQ(cell.ProjectFilePath("a.png"), "");
    CCellInfoList owner;
    cell.OwnerList = &owner;
    EXPECT_EQ(cell.ProjectFilePath("a.png"), ""); // no project folder
    owner.ProjectFolder = "/p";
    EXPECT_EQ(cell.ProjectFilePath("a.png"), "/p/a.png");
    EXPECT_EQ(CCellBmpInfo::FilePathIn("", "a.png"), "");
}

using CellFiles = ModelFixture;

TEST_F(CellFiles, DeleteFilesRemovesTheThreeFilesOnly)
{
    CCellBmpInfo* cell = AddImageCell("d.png", "t.jpg", 0, "x.png");
    for (const char* name : {"d.png", "t.jpg", "x.png", "other.png"})
        WriteFile(project + name, name);
    cell->DeleteFiles(project);
    EXPECT_FALSE(Exists(project + "d.png"));
    EXPECT_FALSE(Exists(project + "t.jpg"));
    EXPECT_FALSE(Exists(project + "x.png"));
    EXPECT_TRUE(Exists(project + "other.png"));
    cell->DeleteFiles(project); // nothing there any more: harmless
}

TEST_F(CellFiles, CraftedNamesNeverReachOutside)
{
    WriteFile(outside + "victim.png", "keep");
    WriteFile(root + "top.png", "keep");
    std::filesystem::create_directories(project + "sub");
    CCellBmpInfo* cell = AddImageCell("../outside/victim.png", outside + "victim.png", 0, "..");
    cell->DeleteFiles(project);
    cell->FileName = "../top.png";
    cell->DispFileName = std::string("top.png\0x", 9);
    cell->ThumbFileName = "sub"; // a folder is never deleted either
    cell->DeleteFiles(project);
    EXPECT_EQ(ReadFile(outside + "victim.png"), "keep");
    EXPECT_EQ(ReadFile(root + "top.png"), "keep");
    EXPECT_TRUE(std::filesystem::is_directory(project + "sub"));

    // Copies treat them as missing files.
    cell->FileName = "../outside/victim.png";
    EXPECT_EQ(cell->CopyDisplayFileTo(root + "dest/"), 0);
    EXPECT_EQ(cell->FileName, "");
    cell->ThumbFileName = "/etc/hostname";
    EXPECT_EQ(cell->CopyThumbFileTo(project), 0);
    EXPECT_EQ(cell->ThumbFileName, "");
    cell->PictureSource = CCellBmpInfo::PictureThumb;
    cell->ThumbFileName = "../outside/victim.png";
    EXPECT_EQ(cell->GetPicturePath(), "");
    EXPECT_FALSE(cell->LoadPicture());
}

TEST_F(CellFiles, CopyDisplayFileKeepsContentAndTimeUnderAFreshName)
{
    CCellBmpInfo* cell = AddImageCell("shown.png");
    cell->RefFilePath = "/pictures/Holiday.jpg";
    WriteFile(project + "shown.png", "display bytes");
    const auto stamp = std::filesystem::file_time_type::clock::now() - std::chrono::hours(48);
    SetTime(project + "shown.png", stamp);
    const std::string dest = root + "dest/";
    std::filesystem::create_directories(dest);

    ASSERT_EQ(cell->CopyDisplayFileTo(dest), 1);
    EXPECT_NE(cell->FileName, "shown.png");
    EXPECT_EQ(cell->FileName.rfind("Holiday", 0), 0u) << cell->FileName;
    EXPECT_EQ(cell->FileName.substr(cell->FileName.size() - 4), ".png");
    EXPECT_EQ(ReadFile(dest + cell->FileName), "display bytes");
    const auto copied = std::filesystem::last_write_time(dest + cell->FileName);
    EXPECT_LT(std::chrono::abs(copied - stamp), std::chrono::seconds(2));

    // Copying again into the same folder gives another name.
    const std::string first = cell->FileName;
    cell->FileName = "shown.png";
    ASSERT_EQ(cell->CopyDisplayFileTo(dest), 1);
    EXPECT_NE(cell->FileName, first);
    EXPECT_TRUE(Exists(dest + first));
    EXPECT_EQ(ReadFile(dest + cell->FileName), "display bytes");
}

TEST_F(CellFiles, CopyDisplayFileFailsClearingTheName)
{
    CCellBmpInfo* cell = AddImageCell("missing.png");
    EXPECT_EQ(cell->CopyDisplayFileTo(root + "dest/"), 0);
    EXPECT_EQ(cell->FileName, "");

    cell->FileName = "here.png";
    WriteFile(project + "here.png", "x");
    EXPECT_EQ(cell->CopyDisplayFileTo(""), 0);
    EXPECT_EQ(cell->FileName, "");

    cell->FileName = "here.png";
    EXPECT_EQ(cell->CopyDisplayFileTo(root + "no/such/folder/"), 0);
    EXPECT_EQ(cell->FileName, "");
    EXPECT_TRUE(Exists(project + "here.png"));
}

TEST_F(CellFiles, CopyThumbFileResults)
{
    CCellBmpInfo* cell = AddImageCell("d.png", "t.jpg");
    cell->Picture = QImage(2, 2, QImage::Format_RGB32);
    // No thumbnail file: 0.
    EXPECT_EQ(cell->CopyThumbFileTo(outside), 0);
    EXPECT_EQ(cell->ThumbFileName, "");
    EXPECT_TRUE(cell->Picture.isNull());
    // Copied: 1.
    WriteFile(project + "t.jpg", "thumb");
    cell->ThumbFileName = "t.jpg";
    ASSERT_EQ(cell->CopyThumbFileTo(outside), 1);
    EXPECT_EQ(ReadFile(outside + cell->ThumbFileName), "thumb");
    EXPECT_EQ(cell->ThumbFileName.substr(cell->ThumbFileName.size() - 4), ".jpg");
    // The copy fails: -1.
    cell->ThumbFileName = "t.jpg";
    EXPECT_EQ(cell->CopyThumbFileTo(root + "missing-folder/"), -1);
    EXPECT_EQ(cell->ThumbFileName, "");
}

TEST_F(CellFiles, PicturePathFollowsThePictureSource)
{
    CCellBmpInfo* cell = AddImageCell("d.png", "t.jpg");
    MakeImage(project + "d.png", 64, 48);
    MakeImage(project + "t.jpg", 16, 12, Qt::blue, "JPG");
    MakeImage(root + "source.jpg", 32, 24, Qt::green, "JPG");

    cell->PictureSource = CCellBmpInfo::PictureNone;
    EXPECT_EQ(cell->GetPicturePath(), "");
    EXPECT_FALSE(cell->LoadPicture());

    cell->PictureSource = CCellBmpInfo::PictureDisplay;
    EXPECT_EQ(cell->GetPicturePath(), project + "d.png");
    ASSERT_TRUE(cell->LoadPicture());
    EXPECT_EQ(cell->Picture.size(), QSize(64, 48));

    cell->PictureSource = CCellBmpInfo::PictureSourceFile;
    EXPECT_EQ(cell->GetPicturePath(), root + "source.jpg");
    ASSERT_TRUE(cell->LoadPicture());
    EXPECT_EQ(cell->Picture.size(), QSize(32, 24));

    cell->PictureSource = CCellBmpInfo::PictureThumb;
    ASSERT_TRUE(cell->LoadPicture());
    EXPECT_EQ(cell->Picture.size(), QSize(16, 12));
    cell->ReleasePicture();
    EXPECT_TRUE(cell->Picture.isNull());

    std::filesystem::remove(project + "t.jpg");
    EXPECT_EQ(cell->GetPicturePath(), "");
    EXPECT_FALSE(cell->LoadPicture());

    // A file that is no picture loads nothing.
    WriteFile(project + "t.jpg", "not a picture");
    EXPECT_FALSE(cell->LoadPicture());
}

TEST(CellWithoutHost, FileOperationsFailCleanly)
{
    CCellInfoList owner;
    owner.ProjectFolder = "/nonexistent/";
    auto cell = std::make_unique<CCellBmpInfo>();
    CCellBmpInfo* c = cell.get();
    owner.Append(std::move(cell));
    c->RefFilePath = "/nonexistent/a.jpg";
    EXPECT_FALSE(c->CreateDisplayFile(nullptr, "/tmp/"));
    EXPECT_FALSE(c->MakeThumbnail(nullptr, true));
    EXPECT_FALSE(c->Validate(nullptr));
    EXPECT_EQ(c->PictureSource, 0);
    EXPECT_FALSE(c->LoadThumbnailPicture(nullptr));

    CCellBmpInfo orphan;
    EXPECT_FALSE(orphan.MakeThumbnail(nullptr, false)); // no owner list
    EXPECT_TRUE(CCellCtrlInfo().Validate(nullptr));
    EXPECT_TRUE(CCellInfo().Validate(nullptr));
    EXPECT_FALSE(CCellInfo().LoadThumbnailPicture(nullptr));
}

} // namespace
