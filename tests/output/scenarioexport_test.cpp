#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "exportfixture.h"
#include "output/cardcheck.h"
#include "output/cardpicture.h"
#include "output/scenariofile.h"

#include <QImage>
#include <QLockFile>
#include <functional>

using Names = std::vector<std::string>;

namespace {

// Whether `a` is within `tolerance` of `b` in each channel (JPEG is lossy).
bool near(QColor a, QColor b, int tolerance = 10)
{
    return std::abs(a.red() - b.red()) <= tolerance &&
           std::abs(a.green() - b.green()) <= tolerance &&
           std::abs(a.blue() - b.blue()) <= tolerance;
}

} // namespace

using ScenarioExport = ExportFixture;

TEST_F(ScenarioExport, SendsTheScenarioInOrder)
{
    AddSlide();
    AddControl()->InputDev = 1;
    AddSlide(800, 600);
    AddSlide(1024, 768, 160, 60);
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskSendToCard, MsgId::AskEditAutorun}));
    EXPECT_EQ(prompt.shown[0].buttons, CUserPrompt::OkCancel);
    EXPECT_EQ(prompt.shown[0].text, CResourceBundle::Format(MsgId::AskSendToCard, "Trip", card));
    EXPECT_TRUE(wantsAutorun);

    QByteArray expected;
    ASSERT_TRUE(CScenarioFile::Format("Trip", project.backColor, cells, expected));
    EXPECT_EQ(ReadBytes(card + "Trip.sit"), expected);
    EXPECT_EQ(Files(card + "Trip"), (Names{"TRIP0001.JPG", "TRIP0001.JPS", "TRIP0002.JPG",
                                           "TRIP0002.JPS", "TRIP0003.JPG", "TRIP0003.JPS"}));
    CCardCheck check;
    ASSERT_TRUE(check.Run(card));
    EXPECT_TRUE(check.Ok()) << check.ToJson().toStdString();

    // Progress: range n + 2, the three texts, one step per unit of work.
    EXPECT_EQ(progress.rangeUpper, 4 + 2);
    EXPECT_EQ(progress.texts, (Names{CResourceBundle::Text(MsgId::GettingReady),
                                     CResourceBundle::Text(MsgId::ConvertingForCard),
                                     CResourceBundle::Format(MsgId::CopyingToCard, "Trip"),
                                     CResourceBundle::Text(MsgId::VerifyingCard)}));
    // Preparing 2, converting 3, copying 1 + 3, reading back 1, the swap 1.
    EXPECT_EQ(progress.steps, 2 + 3 + 1 + 3 + 1 + 1);
    EXPECT_FALSE(progress.visible);
    // The staging folder is gone.
    EXPECT_FALSE(Exists(Staging()));
}

TEST_F(ScenarioExport, QualityZeroGivesBitmapsAndJpegThumbnails)
{
    SetQuality(0);
    AddSlide(640, 480);
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    EXPECT_EQ(Files(card + "Trip"), (Names{"TRIP0001.BMP", "TRIP0001.JPS"}));
    EXPECT_TRUE(CCardPicture::Check(card + "Trip/TRIP0001.BMP", CCardPicture::Bitmap, 1024, 768));
    EXPECT_TRUE(CCardPicture::Check(card + "Trip/TRIP0001.JPS", CCardPicture::Jpeg, 160, 120));
    EXPECT_NE(ReadBytes(card + "Trip.sit").indexOf("TRIP0001.BMP,TRIP0001.JPS,"), -1);
}

TEST_F(ScenarioExport, ThumbnailsAreCopiedOrRemadeOnTheBackground)
{
    AddSlide(1024, 768, 160, 120, QColor(250, 10, 10));
    AddSlide(1024, 384, 160, 60, QColor(10, 10, 250));
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    // Exactly 160 x 120: the stored thumbnail itself.
    EXPECT_EQ(ReadBytes(card + "Trip/TRIP0001.JPS"), ReadBytes(projectFolder + "slide1.jpg"));
    // 160 x 60: centred on a 160 x 120 canvas of the project's background.
    const QByteArray remade = ReadBytes(card + "Trip/TRIP0002.JPS");
    EXPECT_NE(remade, ReadBytes(projectFolder + "slide2.jpg"));
    EXPECT_TRUE(CCardPicture::IsBaselineJpeg(remade, 160, 120));
    const QImage image = QImage::fromData(remade);
    const QColor background(0x99, 0x66, 0x33);
    EXPECT_TRUE(near(image.pixelColor(80, 5), background))
        << image.pixelColor(80, 5).name().toStdString();
    EXPECT_TRUE(near(image.pixelColor(80, 114), background));
    EXPECT_TRUE(near(image.pixelColor(80, 60), QColor(10, 10, 250)));
}

TEST_F(ScenarioExport, ADisplayImageLostOrDamagedIsMadeAgainOrStopsTheSend)
{
    struct Case
    {
        const char* name;
        std::function<void(const std::string& path)> damage;
        bool decodes; // the damaged file still makes a card picture
    };
    const Case cases[] = {
        {"missing", [](const std::string& p) { QFile::remove(QString::fromStdString(p)); }, false},
        {"empty", [](const std::string& p) { WriteBytes(p, {}); }, false},
        {"truncated", [](const std::string& p) { WriteBytes(p, ReadBytes(p).left(200)); }, false},
        {"wrongly sized", [](const std::string& p) { WritePicture(p, 2048, 300, "PNG"); }, true},
    };
    AddSlide();
    CCellBmpInfo* lost = AddSlide();
    const std::string display = projectFolder + lost->FileName;
    const std::string source = projectFolder + "source.png";
    for (const Case& c : cases) {
        for (const bool sourceThere : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (sourceThere ? " with source" : " without"));
            ASSERT_TRUE(WritePicture(display, 1024, 768, "PNG", QColor(10, 10, 250)));
            c.damage(display);
            QFile::remove(QString::fromStdString(source));
            if (sourceThere)
                ASSERT_TRUE(WritePicture(source, 640, 480, "PNG", QColor(250, 250, 10)));
            lost->RefFilePath = source;
            QDir(QString::fromStdString(card)).removeRecursively();
            QDir().mkpath(QString::fromStdString(card));
            prompt.shown.clear();
            prompt.answers = {CUserPrompt::AnswerOk};
            if (c.decodes || sourceThere) {
                ASSERT_EQ(Send(), CScenarioExport::Sent);
                CCardCheck check;
                ASSERT_TRUE(check.Run(card));
                EXPECT_TRUE(check.Ok()) << check.ToJson().toStdString();
                const QImage picture(QString::fromStdString(card + "Trip/TRIP0002.JPG"));
                EXPECT_TRUE(near(picture.pixelColor(512, 384),
                                 c.decodes ? QColor(40, 120, 200) : QColor(250, 250, 10)));
            } else {
                // The row and the file, before anything is on the card.
                EXPECT_EQ(Send(), CScenarioExport::Failed);
                EXPECT_EQ(prompt.Ids(),
                          (std::vector<int>{MsgId::AskSendToCard, MsgId::SendRowPictureMissing,
                                            MsgId::SendFailed}));
                EXPECT_NE(prompt.shown[1].text.find(display), std::string::npos);
                EXPECT_TRUE(Files(card).empty());
            }
            // The project folder is never changed by a send.
            EXPECT_EQ(lost->FileName,
                      QFileInfo(QString::fromStdString(display)).fileName().toStdString());
        }
    }
}

TEST_F(ScenarioExport, AnEmptyProjectGivesFourLinesAndAnEmptyFolder)
{
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    EXPECT_EQ(ReadBytes(card + "Trip.sit"),
              QByteArray("[Project]\nTrip\nBG_COLOR=996633\n[Slides]\n"));
    EXPECT_TRUE(Files(card + "Trip").empty());
    EXPECT_TRUE(QFileInfo(QString::fromStdString(card + "Trip")).isDir());
}

TEST_F(ScenarioExport, DeletedCellsAreNeitherWrittenNorNumbered)
{
    AddSlide();
    AddSlide()->StateFlags = CCellInfo::StateDeleted;
    AddSlide();
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    EXPECT_EQ(Files(card + "Trip"),
              (Names{"TRIP0001.JPG", "TRIP0001.JPS", "TRIP0002.JPG", "TRIP0002.JPS"}));
    EXPECT_EQ(cells.GetAt(1)->StateFlags, CCellInfo::StateDeleted);
    EXPECT_EQ(static_cast<CCellBmpInfo*>(cells.GetAt(1))->CardFileName, "");
}

TEST_F(ScenarioExport, CancelAtTheConfirmationDoesNothing)
{
    AddSlide();
    prompt.answers = {CUserPrompt::AnswerCancel};
    EXPECT_EQ(Send(), CScenarioExport::Declined);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::AskSendToCard});
    EXPECT_TRUE(Files(card).empty());
    EXPECT_FALSE(Exists(card + "Trip"));
    EXPECT_FALSE(progress.visible);
    EXPECT_TRUE(progress.texts.empty());
}

TEST_F(ScenarioExport, ResendNeedsRoomForBothShowsOnlyWhileItIsWritten)
{
    AddSlide();
    AddSlide();
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    std::vector<uint64_t> needs;
    operations.freeBytes = [](const std::string&) { return int64_t(0); };
    operations.checkSpace = [&](CUserPrompt*, const std::string& root, uint64_t need) {
        EXPECT_EQ(root, card);
        needs.push_back(need);
        return false;
    };
    // One slide more on a full card: only the growth is reported as missing.
    AddSlide();
    prompt.shown.clear();
    prompt.answers = {CUserPrompt::AnswerYes};
    ASSERT_EQ(Send(), CScenarioExport::Failed);
    ASSERT_EQ(needs.size(), 1u);
    const uint64_t added = QFileInfo(QString::fromStdString(card + "Trip/TRIP0002.JPG")).size() +
                           QFileInfo(QString::fromStdString(card + "Trip/TRIP0002.JPS")).size();
    EXPECT_GE(needs[0], added);
    EXPECT_LT(needs[0], added + 4 * 65536); // at most a few clusters of rounding
    EXPECT_EQ(Files(card + "Trip").size(), 4u);
}

TEST_F(ScenarioExport, NamesOnTheCardIgnoreCase)
{
    AddSlide();
    MakeScenario(card, "TRIP.SIT", "trip");
    ASSERT_TRUE(WriteBytes(card + "trip/TRIP0009.JPG", "old"));
    prompt.answers = {CUserPrompt::AnswerYes};
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::AskReplaceScenario, MsgId::AskEditAutorun}));
    // One scenario file and one folder, as a FAT card would have them.
    EXPECT_EQ(Files(card), Names{"Trip.sit"});
    EXPECT_FALSE(Exists(card + "Trip"));
    EXPECT_EQ(Files(card + "trip"), (Names{"TRIP0001.JPG", "TRIP0001.JPS"}));
}

TEST_F(ScenarioExport, ParallelAndSequentialGiveTheSameCard)
{
    for (int i = 0; i < 6; ++i)
        AddSlide(400 + 100 * i, 300 + 50 * i, 160, i % 2 ? 120 : 90,
                 QColor(40 * i, 90, 200 - 30 * i));
    AddControl();
    ASSERT_EQ(Send(1), CScenarioExport::Sent);
    std::vector<QByteArray> sequential;
    for (const std::string& name : Files(card + "Trip"))
        sequential.push_back(ReadBytes(card + "Trip/" + name));
    const QByteArray scenario = ReadBytes(card + "Trip.sit");
    const int steps = progress.steps;

    progress = CScriptedProgress();
    prompt.answers = {CUserPrompt::AnswerYes};
    ASSERT_EQ(Send(4), CScenarioExport::Sent);
    std::vector<QByteArray> parallel;
    for (const std::string& name : Files(card + "Trip"))
        parallel.push_back(ReadBytes(card + "Trip/" + name));
    EXPECT_EQ(parallel, sequential);
    EXPECT_EQ(ReadBytes(card + "Trip.sit"), scenario);
    EXPECT_EQ(progress.steps, steps);
}

TEST_F(ScenarioExport, AnotherSendKeepsItsOwnStagingFolder)
{
    AddSlide();
    const std::string work = CAppFolders::WorkRoot();
    QLockFile other(QString::fromStdString(work + "Temp3.lock"));
    ASSERT_TRUE(other.tryLock(0));
    QDir().mkpath(QString::fromStdString(work + "Temp3"));
    ASSERT_TRUE(WriteBytes(work + "Temp3/OTHER.JPG", "the other send's file"));
    ASSERT_EQ(Send(), CScenarioExport::Sent);
    EXPECT_EQ(ReadBytes(work + "Temp3/OTHER.JPG"), QByteArray("the other send's file"));
    EXPECT_FALSE(Exists(work + "Temp3-2"));
    other.unlock();
    QDir(QString::fromStdString(work + "Temp3")).removeRecursively();
}
