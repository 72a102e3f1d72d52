// Cells an open leaves out (a picture missing, damaged or outside the
// project folder, a file cut short): the project opens with the rest and
// one message, and those cells are the ones `zelm check` reports dropped.
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "document/projectcheck.h"
#include "support/scriptedprompt.h"
#include "support/zurdoctestutil.h"

#include <QTemporaryDir>
#include <cctype>
#include <gtest/gtest.h>

using namespace doctest;

namespace {

struct LeftOutCase
{
    const char* what;
    std::string slides; // the [Slides] section after the two good cells
    int leftOut;
};

class CellsLeftOut : public ::testing::TestWithParam<LeftOutCase>
{
};

const std::string kGood = "Slide\nFileName=a.png\nThumbFileName=a.jpg\n"
                          "Control\nInputDev=1\n";

TEST_P(CellsLeftOut, OpenKeepsTheRestAndTellsOnce)
{
    const LeftOutCase& c = GetParam();
    QTemporaryDir dir;
    const std::string folder = str(dir.path()) + "/P/";
    QDir().mkpath(QString::fromStdString(folder));
    ASSERT_TRUE(makePicture(folder + "a.png", 1024, 768));
    ASSERT_TRUE(makePicture(folder + "a.jpg", 160, 120));
    ASSERT_TRUE(writeAll(folder + "broken.jpg", "not a picture"));
    const std::string file = folder + "P.sic";
    ASSERT_TRUE(writeAll(file, "[Project]\nProjectName=P\nProjectPath=/elsewhere/\nVersion=2\n"
                               "[Slides]\n" +
                                   kGood + c.slides));

    CProjectCheck check;
    ASSERT_EQ(check.Run(file), CProjectFile::ReadOk);
    int dropped = 0;
    for (const auto& problem : check.Problems)
        dropped += problem.kind == CProjectCheck::CellDropped ||
                   problem.kind == CProjectCheck::CellCutShort;

    CScriptedPrompt prompt;
    CZurDoc doc(&prompt);
    ASSERT_TRUE(doc.Open(file));
    const int read = 2 + (c.leftOut > 0 ? 1 : 0);
    EXPECT_EQ(doc.CellsRead(), read);
    EXPECT_EQ(doc.CellsLeftOut(), c.leftOut);
    EXPECT_EQ(doc.CellsLeftOut(), dropped) << "the cells the check reports dropped";
    EXPECT_FALSE(doc.IsModified());
    EXPECT_TRUE(prompt.shown.empty()) << "the window tells it once it shows the project";

    doc.TellCellsLeftOut();
    if (c.leftOut == 0) {
        EXPECT_TRUE(prompt.shown.empty());
        return;
    }
    ASSERT_EQ(prompt.Ids(), (std::vector<int>{MsgId::CellsLeftOut}));
    const std::string counts = CResourceBundle::Format(
        MsgId::CellsLeftOutCount, std::to_string(c.leftOut), std::to_string(read));
    EXPECT_EQ(prompt.shown[0].text, CResourceBundle::Format(MsgId::CellsLeftOut, file, counts));

    // The save the message warns of drops them; the next open says nothing.
    ASSERT_TRUE(doc.Save());
    prompt.shown.clear();
    CZurDoc again(&prompt);
    ASSERT_TRUE(again.Open(file));
    EXPECT_EQ(again.CellsRead(), 2);
    EXPECT_EQ(again.CellsLeftOut(), 0);
    EXPECT_TRUE(exists("/etc/passwd")) << "never touched";
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CellsLeftOut,
    ::testing::Values(
        LeftOutCase{"nothing left out", "", 0},
        LeftOutCase{"pictures outside the folder",
                    "Slide\nFileName=../../etc/passwd\nThumbFileName=../../etc/passwd\n", 1},
        LeftOutCase{"missing pictures", "Slide\nFileName=gone.png\nThumbFileName=gone.jpg\n", 1},
        LeftOutCase{"damaged thumbnail, no display image",
                    "Slide\nFileName=none.png\nThumbFileName=broken.jpg\n", 1},
        LeftOutCase{"file cut in the middle of a record", "Slide\nFileName=a.p", 1},
        // Its pictures are there, but the keys after the cut are not.
        LeftOutCase{"file cut after a record's pictures",
                    "Slide\nFileName=a.png\nThumbFileName=a.jpg\nCellVal", 1},
        LeftOutCase{"file cut inside a control's record", "Control\nInputD", 1}),
    [](const auto& info) {
        std::string name = info.param.what;
        for (char& ch : name)
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        return name;
    });

} // namespace
