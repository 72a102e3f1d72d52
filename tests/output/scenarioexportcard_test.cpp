// Send and a card that must stay playable: links on the card, a card that
// changes under the question, bytes that do not read back, and a send cut
// short at any step.
#include "base/msgid.h"
#include "exportfixture.h"
#include "output/cardcheck.h"
#include "output/cardscenariowriter.h"

#include <QDirIterator>
#include <cerrno>
#include <map>
#include <sys/mount.h>

using Names = std::vector<std::string>;
using Snapshot = std::map<std::string, QByteArray>;

namespace {

// Every file below `folder` (hidden ones too) by its path inside it.
Snapshot snapshot(const std::string& folder)
{
    Snapshot files;
    const QString base = QString::fromStdString(folder);
    QDirIterator it(base, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files[path.mid(base.size()).toStdString()] = ReadBytes(path.toStdString());
    }
    return files;
}

void restore(const std::string& folder, const Snapshot& files)
{
    QDir dir(QString::fromStdString(folder));
    for (const QString& entry :
         dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System)) {
        QFileInfo info(dir.filePath(entry));
        if (info.isDir() && !info.isSymLink())
            QDir(info.filePath()).removeRecursively();
        else
            QFile::remove(info.filePath());
    }
    for (const auto& [name, bytes] : files) {
        QDir().mkpath(QFileInfo(QString::fromStdString(folder + name)).path());
        WriteBytes(folder + name, bytes);
    }
}

// The files of scenario Trip: its file and its folder's pictures.
Snapshot showOf(const Snapshot& card)
{
    Snapshot show;
    for (const auto& [name, bytes] : card)
        if (name == "Trip.sit" || name.rfind("Trip/", 0) == 0)
            show[name] = bytes;
    return show;
}

} // namespace

class ScenarioExportCard : public ExportFixture
{
protected:
    void SetUp() override
    {
        ExportFixture::SetUp();
        AddSlide(1024, 768, 160, 120, QColor(200, 40, 40));
        AddSlide(800, 600, 160, 90, QColor(40, 200, 40));
        ASSERT_EQ(Send(), CScenarioExport::Sent);
        ASSERT_TRUE(WriteBytes(card + "AUTORUN.SFC", "[Autorun]\nTRIP.SIT\n"));
        ASSERT_TRUE(WriteBytes(card + "Trip/NOTES.TXT", "the user's own"));
        oldCard = snapshot(card);
        // The new show: other pictures, one slide more.
        AddSlide(1024, 768, 160, 120, QColor(40, 40, 200));
        prompt.shown.clear();
        prompt.answers = {CUserPrompt::AnswerYes};
    }
    // A folder outside the card with a file in it.
    std::string Outside()
    {
        const std::string outside = projectFolder + "outside/";
        QDir().mkpath(QString::fromStdString(outside));
        WriteBytes(outside + "TRIP0001.JPG", "not the card's");
        WriteBytes(outside + "Trip.sit", "not the card's either");
        return outside;
    }
    Snapshot oldCard;
};

TEST_F(ScenarioExportCard, AReSendAsksOnceAndKeepsTheUsersFiles)
{
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskReplaceScenario, MsgId::AskEditAutorun}));
    EXPECT_EQ(prompt.shown[0].buttons, CUserPrompt::ReplaceCancel);
    const std::string& question = prompt.shown[0].text;
    EXPECT_NE(question.find("Its 2 pictures are replaced by 3 new ones"), std::string::npos)
        << question;
    EXPECT_NE(question.find("NOTES.TXT"), std::string::npos) << question;
    EXPECT_EQ(Files(card + "Trip"),
              (Names{"NOTES.TXT", "TRIP0001.JPG", "TRIP0001.JPS", "TRIP0002.JPG", "TRIP0002.JPS",
                     "TRIP0003.JPG", "TRIP0003.JPS"}));
    EXPECT_EQ(ReadBytes(card + "Trip/NOTES.TXT"), QByteArray("the user's own"));
    EXPECT_EQ(Files(card), (Names{"AUTORUN.SFC", "Trip.sit"}));
    CCardCheck check;
    ASSERT_TRUE(check.Run(card));
    EXPECT_TRUE(check.Ok()) << check.ToJson().toStdString();
    EXPECT_TRUE(check.CardNotes().empty());
}

TEST_F(ScenarioExportCard, NothingIsWrittenOrDeletedThroughALink)
{
    struct Case
    {
        const char* name;
        const char* link; // the entry of the card made a link
        bool outside;     // to a folder off the card, else to one on it
        int message;
    };
    const Case cases[] = {
        {"scenario folder to outside", "Trip", true, MsgId::CardLinkOutside},
        {"scenario folder to inside", "Trip", false, MsgId::CardLinkInside},
        {"scenario file to outside", "Trip.sit", true, MsgId::CardLinkOutside},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        restore(card, oldCard);
        const std::string outside = Outside();
        const Snapshot outsideBefore = snapshot(outside);
        QDir().mkpath(QString::fromStdString(card + "Elsewhere"));
        WriteBytes(card + "Elsewhere/Trip.sit", "inside");
        const std::string target =
            c.outside ? outside + (std::string(c.link) == "Trip" ? "" : c.link)
                      : card + "Elsewhere" + (std::string(c.link) == "Trip" ? "" : "/Trip.sit");
        QFileInfo entry(QString::fromStdString(card + c.link));
        if (entry.isDir())
            QDir(entry.filePath()).removeRecursively();
        else
            QFile::remove(entry.filePath());
        ASSERT_TRUE(QFile::link(QString::fromStdString(target), entry.filePath()));
        const Snapshot before = snapshot(card);
        prompt.shown.clear();
        prompt.answers = {CUserPrompt::AnswerYes};
        EXPECT_EQ(Send(), CScenarioExport::Failed);
        ASSERT_GE(prompt.shown.size(), 3u);
        EXPECT_EQ(prompt.shown[1].id, c.message);
        EXPECT_NE(prompt.shown[1].text.find(card + c.link), std::string::npos);
        EXPECT_EQ(snapshot(outside), outsideBefore);
        EXPECT_EQ(snapshot(card), before);
        QFile::remove(entry.filePath());
    }
    // Nor through the lock a writer holds on the card.
    restore(card, oldCard);
    const std::string outside = Outside();
    ASSERT_TRUE(QFile::link(QString::fromStdString(outside + "Trip.sit"),
                            QString::fromStdString(card + ".zelmcard.lock")));
    prompt.shown.clear();
    prompt.answers = {CUserPrompt::AnswerYes};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(ReadBytes(outside + "Trip.sit"), QByteArray("not the card's either"));
    EXPECT_EQ(showOf(snapshot(card)), showOf(oldCard));
}

TEST_F(ScenarioExportCard, APictureThatIsALinkIsReplacedNotWrittenThrough)
{
    const std::string outside = Outside();
    QFile::remove(QString::fromStdString(card + "Trip/TRIP0001.JPG"));
    ASSERT_TRUE(QFile::link(QString::fromStdString(outside + "TRIP0001.JPG"),
                            QString::fromStdString(card + "Trip/TRIP0001.JPG")));
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    EXPECT_EQ(ReadBytes(outside + "TRIP0001.JPG"), QByteArray("not the card's"));
    EXPECT_FALSE(QFileInfo(QString::fromStdString(card + "Trip/TRIP0001.JPG")).isSymLink());
}

TEST_F(ScenarioExportCard, ACardRootThatIsALinkIsTheCardItLeadsTo)
{
    const std::string link = projectFolder + "cardlink";
    ASSERT_TRUE(QFile::link(QString::fromStdString(card), QString::fromStdString(link)));
    CScenarioExport send(&prompt, &progress);
    ASSERT_EQ(send.Send(project, link), CScenarioExport::Sent);
    EXPECT_EQ(Files(card + "Trip").size(), 7u);
    CCardCheck check;
    ASSERT_TRUE(check.Run(card));
    EXPECT_TRUE(check.Ok()) << check.ToJson().toStdString();
}

TEST_F(ScenarioExportCard, ACardThatChangesUnderTheQuestionGetsNothing)
{
    // Another card (a folder) is put in under the chosen card's name while
    // the question is open: nothing may be written to it.
    const std::string chosen = projectFolder + "mount/";
    QDir().mkpath(QString::fromStdString(chosen));
    if (mount(card.c_str(), chosen.c_str(), nullptr, MS_BIND, nullptr) != 0)
        GTEST_SKIP() << "cannot bind-mount here";
    prompt.onShow = [&](int id) {
        if (id == MsgId::AskReplaceScenario)
            umount2(chosen.c_str(), MNT_DETACH);
    };
    CScenarioExport send(&prompt, &progress);
    send.SetCardIdentity(CCardIdentity::Of(chosen));
    EXPECT_EQ(send.Send(project, chosen), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskReplaceScenario, MsgId::CardNotReady,
                                              MsgId::SendFailed}));
    EXPECT_TRUE(Files(chosen).empty());
    EXPECT_TRUE(QDir(QString::fromStdString(chosen))
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                    .isEmpty());
    EXPECT_EQ(snapshot(card), oldCard);
}

TEST_F(ScenarioExportCard, BytesThatDoNotReadBackFailTheSendAndKeepTheOldShow)
{
    operations.step = [this](int, const std::string& what) {
        if (what == "verify") // the card returns other bytes than it took
            WriteBytes(card + ".zelmnew-Trip/TRIP0002.JPG", "wrapped around");
        return 0;
    };
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskReplaceScenario, MsgId::CardVerifyFailed,
                                              MsgId::SendRowNotCopied, MsgId::SendFailed}));
    EXPECT_NE(prompt.shown[1].text.find("TRIP0002.JPG"), std::string::npos);
    EXPECT_EQ(snapshot(card), oldCard);
    // Without the read-back the same card is taken at its word.
    CScenarioExport send(&prompt, &progress);
    send.SetCardOperations(operations);
    send.SetVerify(false);
    prompt.answers = {CUserPrompt::AnswerYes};
    EXPECT_EQ(send.Send(project, card), CScenarioExport::Sent);
}

TEST_F(ScenarioExportCard, AShowThatFailsTheCardCheckAfterTheSwapIsTakenBack)
{
    operations.step = [this](int, const std::string& what) {
        if (what == "flush swap")
            WriteBytes(card + "Trip/TRIP0003.JPG", "not a picture");
        return 0;
    };
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskReplaceScenario, MsgId::CardCheckAfterSend,
                                              MsgId::SendFailed}));
    EXPECT_EQ(snapshot(card), oldCard);
}

TEST_F(ScenarioExportCard, ACardWithoutRoomForBothShowsAsksToRemoveTheOldFirst)
{
    const uint64_t staged = 3 * 2 * 4096; // far below what both shows take
    operations.freeBytes = [staged](const std::string&) { return int64_t(staged); };
    prompt.answers = {CUserPrompt::AnswerYes, CUserPrompt::AnswerNo};
    EXPECT_EQ(Send(), CScenarioExport::Failed);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskReplaceScenario,
                                              MsgId::AskRemoveOldShowFirst, MsgId::SendFailed}));
    EXPECT_EQ(snapshot(card), oldCard);

    prompt.shown.clear();
    prompt.answers = {CUserPrompt::AnswerYes, CUserPrompt::AnswerYes};
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    CCardCheck check;
    ASSERT_TRUE(check.Run(card));
    EXPECT_TRUE(check.Ok()) << check.ToJson().toStdString();
    EXPECT_EQ(ReadBytes(card + "Trip/NOTES.TXT"), QByteArray("the user's own"));
}

TEST_F(ScenarioExportCard, AKillAtAnyStepLeavesTheOldShowOrTheNewWhole)
{
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    Snapshot newShow = showOf(snapshot(card));
    newShow.erase("Trip/NOTES.TXT");
    int steps = 0;
    restore(card, oldCard);
    operations.step = [&steps](int step, const std::string&) {
        steps = step;
        return 0;
    };
    prompt.answers = {CUserPrompt::AnswerYes};
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    ASSERT_GT(steps, 8);

    for (const bool roomForBoth : {true, false}) {
        if (!roomForBoth)
            operations.freeBytes = [](const std::string&) { return int64_t(3 * 2 * 4096); };
        for (int kill = 1; kill <= steps + 8; ++kill) {
            SCOPED_TRACE(std::to_string(kill) + (roomForBoth ? "" : " without room"));
            restore(card, oldCard);
            operations.step = [kill](int step, const std::string&) {
                return step == kill ? -1 : 0;
            };
            prompt.answers = {CUserPrompt::AnswerYes, CUserPrompt::AnswerYes};
            Send();
            CCardCheck check;
            ASSERT_TRUE(check.Run(card));
            const Snapshot show = showOf(snapshot(card));
            if (!roomForBoth && show.count("Trip.sit") == 0) {
                // The old show was given up on the user's word: no scenario
                // file, and the autorun list still names it.
                EXPECT_TRUE(check.Scenarios().empty());
                continue;
            }
            EXPECT_TRUE(check.Ok()) << check.ToJson().toStdString();
            // Old or new, each whole (the old one's user file aside).
            Snapshot old = showOf(oldCard);
            old.erase("Trip/NOTES.TXT");
            Snapshot shown = show;
            shown.erase("Trip/NOTES.TXT");
            EXPECT_TRUE(shown == old || shown == newShow)
                << "scenario of " << show.count("Trip.sit") << " scenario files";
            // The next send cleans what the cut one left.
            operations.step = {};
            prompt.answers = {CUserPrompt::AnswerYes, CUserPrompt::AnswerYes};
            ASSERT_EQ(Send(), CScenarioExport::Sent);
            ASSERT_TRUE(check.Run(card));
            EXPECT_TRUE(check.Ok());
            EXPECT_TRUE(check.CardNotes().empty());
            EXPECT_EQ(ReadBytes(card + "Trip/NOTES.TXT"), QByteArray("the user's own"));
        }
    }
}

TEST(CardScenarioWriter, TheScenariosPicturesAreKnownByName)
{
    struct Case
    {
        const char* file;
        const char* scenario;
        bool picture;
    };
    const Case cases[] = {
        {"TRIP0001.JPG", "Trip", true},     {"trip0012.jps", "Trip", true},
        {"TRIP0001.BMP", "Trip", true},     {"TR000001.JPG", "Trip", true},
        {"12345678.JPG", "Verylong", true}, {"TRIP0001.PNG", "Trip", false},
        {"NOTES.TXT", "Trip", false},       {"SHOW0001.JPG", "Trip", false},
        {"TRIPA001.JPG", "Trip", false},    {"TRIP.JPG", "Trip", false},
        {".zelmnew-Trip", "Trip", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CCardScenarioWriter::IsScenarioPicture(c.file, c.scenario), c.picture) << c.file;
}
