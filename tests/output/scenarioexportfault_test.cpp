// Send on cards that fail: full, read-only, pulled half-way, and the user's
// cancel. Whatever fails, an old scenario stays as it was, and a new one
// leaves nothing behind.
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
        // Nor any hidden file of the send.
        for (const std::string& name : Files(card))
            EXPECT_EQ(name.rfind(".zelm", 0), std::string::npos) << name;
        EXPECT_FALSE(Exists(card + ".zelmnew-Trip"));
    }
    void ExpectFailedWith7132()
    {
        ASSERT_FALSE(prompt.shown.empty());
        EXPECT_EQ(prompt.shown.back().id, MsgId::SendFailed);
        EXPECT_FALSE(Exists(Staging()));
        EXPECT_FALSE(progress.visible);
    }
    // A copy to the card that fails with `error` at copy `failAt` (1-based),
    // after running `before` when given.
    void FailCopyAt(int failAt, int error = EIO, std::function<void()> before = {})
    {
        operations.step = [this, failAt, error, before](int, const std::string& what) {
            if (what.rfind("copy ", 0) != 0 || ++copies != failAt)
                return 0;
            if (before)
                before();
            return error;
        };
    }
    QByteArray oldScenario;
    int copies = 0;
};

TEST_F(ScenarioExportFault, AFullCardIsFoundBeforeAnythingIsWritten)
{
    MakeOldScenario();
    operations.freeBytes = [](const std::string&) { return int64_t(1000); };
    prompt.answers = {CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::AskReplaceScenario, MsgId::CardFull, MsgId::SendFailed}));
    ExpectOldScenarioUntouched();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, AFullCardLeavesNothingNew)
{
    operations.freeBytes = [](const std::string&) { return int64_t(0); };
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
    prompt.answers = {CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    // How much more is needed against how much is free, and what to do.
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::AskReplaceScenario, MsgId::CardFull, MsgId::SendFailed}));
    ASSERT_EQ(prompt.shown.size(), 3u);
    const std::string& full = prompt.shown[1].text;
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QDir().mkpath(QString::fromStdString(card));
        prompt.shown.clear();
        prompt.answers = {CUserPrompt::AnswerOk};
        copies = 0;
        FailCopyAt(3, c.error, [this, c] {
            if (c.pullCard)
                QDir(QString::fromStdString(card)).removeRecursively();
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
              (std::vector<int>{MsgId::AskSendToCard, MsgId::CardWriteError, MsgId::SendFailed}));
    EXPECT_NE(prompt.shown[1].text.find(strerror(EROFS)), std::string::npos);
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
    prompt.answers = {CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskReplaceScenario, MsgId::CardWriteError,
                                              MsgId::SendFailed}));
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
    // The card's reason, the row and the file on the card that stopped it,
    // then the failure.
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskSendToCard, MsgId::CardWriteError,
                                              MsgId::SendRowNotCopied, MsgId::SendFailed}));
    ASSERT_EQ(prompt.shown.size(), 4u);
    EXPECT_NE(prompt.shown[2].text.find(card + "Trip/TRIP0002.JPS"), std::string::npos)
        << prompt.shown[2].text;
    ExpectNothingLeft();
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, AFailureOverAnOldScenarioKeepsIt)
{
    MakeOldScenario();
    // The last picture, the scenario file, and the swap itself.
    for (const char* failing : {"copy TRIP0004.JPS", "scenario", "swap", "flush swap"}) {
        SCOPED_TRACE(failing);
        prompt.shown.clear();
        prompt.answers = {CUserPrompt::AnswerYes};
        operations.step = [failing](int, const std::string& what) {
            return what == failing ? EIO : 0;
        };
        EXPECT_EQ(Send(), CScenarioExport::Failed);
        ExpectOldScenarioUntouched();
        EXPECT_FALSE(Exists(card + ".zelmnew-Trip"));
        EXPECT_FALSE(Exists(card + ".zelmold-Trip"));
        ExpectFailedWith7132();
    }
}

TEST_F(ScenarioExportFault, ACardPulledHalfWay)
{
    FailCopyAt(3, EIO, [this] { QDir(QString::fromStdString(card)).removeRecursively(); });
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
    prompt.answers = {CUserPrompt::AnswerYes};
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

TEST_F(ScenarioExportFault, CancelDuringCopyOverAnOldScenarioKeepsIt)
{
    MakeOldScenario();
    progress.cancelAtStep = 2 + 4 + 1 + 3;
    prompt.answers = {CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    ExpectOldScenarioUntouched();
    EXPECT_FALSE(Exists(card + ".zelmnew-Trip"));
    ExpectFailedWith7132();
}

TEST_F(ScenarioExportFault, CancelAtTheReplaceQuestionKeepsTheOldScenario)
{
    MakeOldScenario();
    prompt.answers = {CUserPrompt::AnswerCancel};
    EXPECT_EQ(Send(), CScenarioExport::Declined);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::AskReplaceScenario});
    EXPECT_EQ(prompt.shown[0].buttons, CUserPrompt::ReplaceCancel);
    ExpectOldScenarioUntouched();
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
    operations.step = [&steps](int, const std::string& what) {
        steps.push_back(what.substr(0, 4) == "copy" ? what.substr(what.size() - 4) : what);
        return 0;
    };
    EXPECT_EQ(Send(), CScenarioExport::Sent);
    // Four pictures and four thumbnails, flushed and read back before the
    // scenario file names them; the swap last, the old show's files after.
    ASSERT_EQ(steps.size(), 15u);
    EXPECT_EQ(steps[0], "folder");
    EXPECT_EQ(std::count(steps.begin() + 1, steps.begin() + 9, ".JPG"), 4);
    EXPECT_EQ(std::count(steps.begin() + 1, steps.begin() + 9, ".JPS"), 4);
    EXPECT_EQ(
        std::vector<std::string>(steps.begin() + 9, steps.end()),
        (std::vector<std::string>{"flush", "verify", "scenario", "swap", "flush swap", "old"}));
}

TEST_F(ScenarioExportFault, AWriteErrorTheCardReportsAtTheFlushFailsTheSend)
{
    // The first flush follows the pictures, the second the swap.
    for (const char* failing : {"flush", "flush swap"}) {
        SCOPED_TRACE(failing);
        QDir().mkpath(QString::fromStdString(card));
        prompt.shown.clear();
        prompt.answers = {CUserPrompt::AnswerOk};
        operations.step = [failing](int, const std::string& what) {
            return what == failing ? EIO : 0;
        };
        EXPECT_EQ(Send(), CScenarioExport::Failed);
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
