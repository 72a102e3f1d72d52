// Send on cards that fail: full, read-only, pulled half-way, and the user's
// cancel. A failure before the card is written leaves an old scenario as it
// was; a failure after leaves no scenario file, and no folder this send made.
#include "base/msgid.h"
#include "base/pathutils.h"
#include "base/safefile.h"
#include "exportfixture.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <sys/mount.h>
#include <unistd.h>

using Names = std::vector<std::string>;

namespace {

// A small file system of its own for the card (needs the right to mount,
// which the test machines have as root). Unmounted at the end.
class TmpfsCard
{
public:
    explicit TmpfsCard(const std::string& folder, const char* size) : m_folder(folder)
    {
        const std::string options = std::string("size=") + size;
        m_mounted = mount("tmpfs", folder.c_str(), "tmpfs", 0, options.c_str()) == 0;
    }
    ~TmpfsCard()
    {
        if (m_mounted)
            umount2(m_folder.c_str(), MNT_DETACH);
    }
    bool Mounted() const { return m_mounted; }
    bool SetReadOnly(bool readOnly)
    {
        return mount("tmpfs", m_folder.c_str(), "tmpfs", MS_REMOUNT | (readOnly ? MS_RDONLY : 0),
                     nullptr) == 0;
    }

private:
    std::string m_folder;
    bool m_mounted = false;
};

} // namespace

class ScenarioExportFault : public ExportFixture
{
protected:
    void SetUp() override
    {
        ExportFixture::SetUp();
        for (int i = 0; i < 4; ++i)
            AddSlide(1024, 768, 160, i == 2 ? 90 : 120, QColor(30 * i, 100, 50));
        AddControl();
    }
    // An earlier scenario of the same name on the card, and its bytes.
    void MakeOldScenario()
    {
        MakeScenario(card, "Trip.sit", "Trip");
        ASSERT_TRUE(WriteBytes(card + "Trip/TRIP0001.JPG", "old picture"));
        ASSERT_TRUE(WriteBytes(card + "Trip/TRIP0009.JPS", "old thumbnail"));
        oldScenario = ReadBytes(card + "Trip.sit");
    }
    void ExpectOldScenarioUntouched()
    {
        EXPECT_EQ(ReadBytes(card + "Trip.sit"), oldScenario);
        EXPECT_EQ(Files(card + "Trip"), (Names{"TRIP0001.JPG", "TRIP0009.JPS"}));
        EXPECT_EQ(ReadBytes(card + "Trip/TRIP0001.JPG"), QByteArray("old picture"));
    }
    void ExpectNothingLeft()
    {
        EXPECT_FALSE(Exists(card + "Trip.sit"));
        EXPECT_FALSE(Exists(card + "Trip"));
    }
    void ExpectFailedWith7132()
    {
        ASSERT_FALSE(prompt.shown.empty());
        EXPECT_EQ(prompt.shown.back().id, MsgId::SendFailed);
        EXPECT_FALSE(Exists(Staging()));
        EXPECT_FALSE(progress.visible);
    }
    // A copy to the card that fails at call `failAt` (1-based), after
    // running `before` when given.
    void FailCopyAt(int failAt, std::function<void()> before = {})
    {
        operations.copyFile = [this, failAt, before](const std::string& s, const std::string& d) {
            if (++copies == failAt) {
                if (before)
                    before();
                return false;
            }
            return CopyFileKeepTime(s, d);
        };
    }
    QByteArray oldScenario;
    int copies = 0;
};

TEST_F(ScenarioExportFault, AFullCardIsFoundBeforeAnythingIsWritten)
{
    MakeOldScenario();
    operations.checkSpace = [](CUserPrompt* p, const std::string& root, uint64_t need) {
        return CheckDiskSpace(p, root, need + (uint64_t(1) << 62), false);
    };
    prompt.answers = {CUserPrompt::AnswerOk, CUserPrompt::AnswerYes, CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskSendToCard, MsgId::AskUseExistingFolder,
                                              MsgId::AskUseExistingFolder, MsgId::NotEnoughSpace,
                                              MsgId::SendFailed}));
    ExpectOldScenarioUntouched();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, AFullCardLeavesNothingNew)
{
    operations.checkSpace = [](CUserPrompt* p, const std::string&, uint64_t) {
        AskUser(p, MsgId::NotEnoughSpace, CUserPrompt::Exclamation, CUserPrompt::Ok);
        return false;
    };
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::AskSendToCard, MsgId::NotEnoughSpace, MsgId::SendFailed}));
    ExpectNothingLeft();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, ARealSmallCardIsFull)
{
    TmpfsCard tmpfs(card, "32k");
    if (!tmpfs.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    MakeOldScenario();
    prompt.answers = {CUserPrompt::AnswerOk, CUserPrompt::AnswerYes, CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    // How much more is needed against how much is free, and what to do.
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::AskSendToCard, MsgId::AskUseExistingFolder,
                                MsgId::AskUseExistingFolder, MsgId::CardFull, MsgId::SendFailed}));
    ASSERT_EQ(prompt.shown.size(), 5u);
    const std::string& full = prompt.shown[3].text;
    EXPECT_NE(full.find("KiB more"), std::string::npos) << full;
    EXPECT_NE(full.find("Delete scenarios"), std::string::npos) << full;
    ExpectOldScenarioUntouched();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, WhyTheCardWriteFailedIsSaid)
{
    struct Case
    {
        const char* name;
        int error;          // the failure the write met
        bool pullCard;      // the card is taken out at that moment
        int expectedReason; // 0: no reason beyond the row's
    };
    const Case cases[] = {
        {"card pulled", EIO, true, 7368},
        {"full card", ENOSPC, false, 7367},
        {"write error", EIO, false, 7369},
        {"no reason known", 0, false, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir().mkpath(QString::fromStdString(card));
        prompt.shown.clear();
        prompt.answers = {CUserPrompt::AnswerOk};
        copies = 0;
        FailCopyAt(3, [this, c] {
            if (c.pullCard)
                QDir(QString::fromStdString(card)).removeRecursively();
            if (c.error)
                CSafeFile::NoteFailure(card + "Trip/TRIP0002.JPG", c.error);
        });
        EXPECT_EQ(Send(), CScenarioExport::Failed);
        std::vector<int> expected{7134, 7311, 7132};
        if (c.expectedReason)
            expected.insert(expected.begin() + 1, c.expectedReason);
        EXPECT_EQ(prompt.Ids(), expected);
        if (c.expectedReason == 7369) {
            EXPECT_NE(prompt.shown[1].text.find(strerror(EIO)), std::string::npos);
        }
        ExpectNothingLeft();
    }
}

TEST_F(ScenarioExportFault, AReadOnlyCardGetsNoFolder)
{
    TmpfsCard tmpfs(card, "8m");
    if (!tmpfs.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    ASSERT_TRUE(tmpfs.SetReadOnly(true));
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::AskSendToCard, MsgId::FolderNotCreated, MsgId::SendFailed}));
    ExpectNothingLeft();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, AReadOnlyCardKeepsItsOldScenario)
{
    TmpfsCard tmpfs(card, "8m");
    if (!tmpfs.Mounted())
        GTEST_SKIP() << "cannot mount a tmpfs here";
    MakeOldScenario();
    ASSERT_TRUE(tmpfs.SetReadOnly(true));
    prompt.answers = {CUserPrompt::AnswerOk, CUserPrompt::AnswerYes, CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskSendToCard, MsgId::AskUseExistingFolder,
                                              MsgId::AskUseExistingFolder, MsgId::SendFailed}));
    ExpectOldScenarioUntouched();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, ACardUnderAFileIsNotReady)
{
    ASSERT_TRUE(WriteBytes(card + "file", "not a folder"));
    CScenarioExport send(&prompt, &progress);
    EXPECT_EQ(send.Send(project, card + "file/card/"), CScenarioExport::Failed);
    EXPECT_EQ(prompt.shown.size(), 3u);
    EXPECT_EQ(prompt.shown[1].buttons, CUserPrompt::RetryCancel);
    EXPECT_EQ(prompt.shown.back().id, MsgId::SendFailed);
    EXPECT_EQ(ReadBytes(card + "file"), QByteArray("not a folder"));
}

TEST_F(ScenarioExportFault, ACopyFailingHalfWayLeavesNoScenario)
{
    FailCopyAt(4); // the second slide's thumbnail
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    // The row and the file on the card that stopped it, then the failure.
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::AskSendToCard, MsgId::SendRowNotCopied, MsgId::SendFailed}));
    ASSERT_EQ(prompt.shown.size(), 3u);
    EXPECT_NE(prompt.shown[1].text.find(card), std::string::npos) << prompt.shown[1].text;
    EXPECT_NE(prompt.shown[1].text.find(".JPS"), std::string::npos) << prompt.shown[1].text;
    ExpectNothingLeft();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, ACopyFailingOverAnOldScenarioEmptiesItsFolder)
{
    MakeOldScenario();
    FailCopyAt(9); // the scenario file itself, after every picture
    prompt.answers = {CUserPrompt::AnswerOk, CUserPrompt::AnswerYes, CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(copies, 9);
    EXPECT_FALSE(Exists(card + "Trip.sit"));
    EXPECT_TRUE(Files(card + "Trip").empty());
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, ACardPulledHalfWay)
{
    FailCopyAt(3, [this] { QDir(QString::fromStdString(card)).removeRecursively(); });
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_FALSE(Exists(card));
    // The reason: the device is gone.
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{7134, 7368, 7311, 7132}));
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, CancelDuringConversion)
{
    MakeOldScenario();
    progress.cancelAtStep = 3; // after the preparing steps and the first slide
    prompt.answers = {CUserPrompt::AnswerOk, CUserPrompt::AnswerYes, CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(progress.steps, 3);
    ExpectOldScenarioUntouched();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, CancelDuringConversionRemovesTheNewFolder)
{
    progress.cancelAtStep = 4;
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskSendToCard, MsgId::SendFailed}));
    ExpectNothingLeft();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, CancelDuringCopy)
{
    // 2 preparing steps, 4 slides, the first card step, then one slide copied.
    FailCopyAt(100); // counts the copies, fails none
    progress.cancelAtStep = 2 + 4 + 1 + 1;
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(copies, 2);
    ExpectNothingLeft();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, CancelDuringCopyOverAnOldScenario)
{
    MakeOldScenario();
    progress.cancelAtStep = 2 + 4 + 1 + 3;
    prompt.answers = {CUserPrompt::AnswerOk, CUserPrompt::AnswerYes, CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_FALSE(Exists(card + "Trip.sit"));
    EXPECT_TRUE(Files(card + "Trip").empty());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(card + "Trip")).isDir());
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, ANoToAReplaceQuestionKeepsTheOldScenario)
{
    MakeOldScenario();
    for (int noAt : {1, 2}) {
        prompt.shown.clear();
        prompt.answers = {CUserPrompt::AnswerOk};
        if (noAt == 2)
            prompt.answers.push_back(CUserPrompt::AnswerYes);
        prompt.answers.push_back(CUserPrompt::AnswerNo);
        EXPECT_EQ(Send(), CScenarioExport::Failed);
        EXPECT_EQ(prompt.Ids().back(), MsgId::SendFailed);
        ExpectOldScenarioUntouched();
    }
}

TEST_F(ScenarioExportFault, ANameThatWouldLeaveTheRootIsRefused)
{
    for (const char* name : {"", "..", "../Trip", "a/b"}) {
        project.name = name;
        prompt.shown.clear();
        prompt.answers = {CUserPrompt::AnswerOk};
        EXPECT_EQ(Send(), CScenarioExport::Failed) << name;
        EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskSendToCard, MsgId::SendFailed}))
            << name;
        EXPECT_TRUE(Files(card).empty()) << name;
        EXPECT_TRUE(QDir(QString::fromStdString(card))
                        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                        .isEmpty());
    }
}

TEST_F(ScenarioExportFault, AFailedConversionFailsTheSendButParallelMatchesSequential)
{
    // A display image that is not a picture.
    ASSERT_TRUE(WriteBytes(projectFolder + "slide2.png", "not a picture"));
    for (int threads : {1, 4}) {
        prompt.shown.clear();
        prompt.answers = {CUserPrompt::AnswerOk};
        progress = CScriptedProgress();
        EXPECT_EQ(Send(threads), CScenarioExport::Failed) << threads;
        // Every slide was still converted: a failed conversion does not stop.
        EXPECT_EQ(progress.steps, 2 + 4) << threads;
        ExpectNothingLeft();
        ExpectFailedWith7132();
    }
}

TEST_F(ScenarioExportFault, TheCardHoldsThePicturesBeforeTheScenarioFileIsWritten)
{
    std::vector<std::string> steps;
    operations.copyFile = [&steps](const std::string& s, const std::string& d) {
        steps.push_back(d.substr(d.size() - 4));
        return CopyFileKeepTime(s, d);
    };
    operations.flush = [&steps](const std::string& folder) {
        steps.push_back("flush");
        return CSafeFile::FlushVolume(folder);
    };
    EXPECT_EQ(Send(), CScenarioExport::Sent);
    // Four pictures and four thumbnails, on the card before the scenario
    // file names them, and the scenario file itself flushed at the end.
    ASSERT_EQ(steps.size(), 11u);
    EXPECT_EQ(std::count(steps.begin(), steps.begin() + 8, ".JPG"), 4);
    EXPECT_EQ(std::count(steps.begin(), steps.begin() + 8, ".JPS"), 4);
    EXPECT_EQ(std::vector<std::string>(steps.begin() + 8, steps.end()),
              (std::vector<std::string>{"flush", ".sit", "flush"}));
}

TEST_F(ScenarioExportFault, AWriteErrorTheCardReportsAtTheFlushFailsTheSend)
{
    // The first flush follows the pictures, the second the scenario file.
    for (const int failingFlush : {1, 2}) {
        SCOPED_TRACE(failingFlush);
        QDir().mkpath(QString::fromStdString(card));
        prompt.shown.clear();
        prompt.answers = {CUserPrompt::AnswerOk};
        int flushes = 0;
        operations.flush = [&flushes, failingFlush](const std::string& folder) {
            if (++flushes < failingFlush)
                return CSafeFile::FlushVolume(folder);
            CSafeFile::NoteFailure(folder, EIO);
            return false;
        };
        EXPECT_EQ(Send(), CScenarioExport::Failed);
        EXPECT_EQ(flushes, failingFlush);
        // The card's reason, then the failure; no row is to blame.
        EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskSendToCard, MsgId::CardWriteError,
                                                  MsgId::SendFailed}));
        ExpectNothingLeft();
        ExpectFailedWith7132();
    }
}

TEST(ScenarioExportFlush, AFolderThatIsNotThereIsAFailureWithItsReason)
{
    CSafeFile::ClearLastFailure();
    EXPECT_FALSE(CSafeFile::FlushVolume("/nonexistent-zelm-card/Trip/"));
    EXPECT_EQ(CSafeFile::LastFailure().error, ENOENT);
    const QTemporaryDir dir;
    EXPECT_TRUE(CSafeFile::FlushVolume(dir.path().toStdString() + "/"));
}
