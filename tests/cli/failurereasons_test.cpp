// Every failure names its file and the reason, as the user meets it on the
// command line; a cancelled send ends with status 3.
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "imaging/phototestfiles.h"
#include "model/cellbmpinfo.h"
#include "presentation/testpackages.h"
#include "support/clirunner.h"
#include "support/scriptedprompt.h"
#include "support/zurdoctestutil.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <memory>
#include <signal.h>
#include <string>
#include <sys/types.h>
#include <vector>

using namespace doctest;

namespace {

// Sets an environment variable for the programs a test runs.
class ScopedPath
{
public:
    explicit ScopedPath(const std::string& value) : m_old(qgetenv("PATH"))
    {
        qputenv("PATH", QByteArray::fromStdString(value));
    }
    ~ScopedPath() { qputenv("PATH", m_old); }

private:
    QByteArray m_old;
};

class FailureReasons : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        base = m_dir.path().toStdString() + "/";
        QDir().mkpath(QString::fromStdString(base + "Trip/"));
        CZurDoc doc(&prompt);
        CProjectSettings settings;
        settings.name = "Trip";
        settings.folder = base + "Trip/";
        ASSERT_TRUE(doc.NewProject(settings));
        project = doc.GetPathName();
    }

    std::string Write(const std::string& name, const QByteArray& bytes)
    {
        QFile file(QString::fromStdString(base + name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return base + name;
    }

    std::string Picture(const std::string& name, int w = 400, int h = 300)
    {
        EXPECT_TRUE(makePicture(base + name, w, h, QColor(30, 90, 160)));
        return base + name;
    }

    // "[id] text" as --message-ids prints it, with the file filled in.
    static std::string Said(int id, const std::string& file, const std::string& second = {})
    {
        return second.empty()
                   ? "[" + std::to_string(id) + "] " + CResourceBundle::Format(id, file)
                   : "[" + std::to_string(id) + "] " + CResourceBundle::Format(id, file, second);
    }

    QTemporaryDir m_dir;
    CScriptedPrompt prompt;
    std::string base;
    std::string project;
};

TEST_F(FailureReasons, AddNamesTheFileAndWhyItCannotBeInserted)
{
    QByteArray jpeg;
    {
        const std::string whole = Picture("whole.jpg", 800, 600);
        QFile f(QString::fromStdString(whole));
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        jpeg = f.readAll();
    }
    // A well-formed PNG that claims 100000 x 100000 pixels.
    const QByteArray huge = QByteArray::fromHex("89504e470d0a1a0a"
                                                "0000000d49484452000186a0000186a0080200000027309c9f"
                                                "0000000c49444154789c63606060000000040001f6173855"
                                                "0000000049454e44ae426082");
    QTemporaryDir noOffice; // a PATH without LibreOffice
    const struct Case
    {
        const char* what;
        std::string file;
        int message;
        std::string path; // PATH for the program, "" to keep it
    } cases[] = {
        {"missing", base + "absent.jpg", 7300, ""},
        {"truncated JPEG", Write("cut.jpg", jpeg.left(jpeg.size() / 3)), 7302, ""},
        {"text saved as .jpg", Write("notes.jpg", "these are my notes\n"), 7301, ""},
        {"too large", Write("huge.png", huge), 7303, ""},
        {"empty .ppt", Write("empty.ppt", ""), 7304, ""},
        {"missing .ppt", base + "absent.ppt", 7300, ""},
        {".ppt without LibreOffice", Write("talk.ppt", ""), 7306, noOffice.path().toStdString()},
    };
    for (const Case& c : cases) {
        std::unique_ptr<ScopedPath> path;
        if (!c.path.empty())
            path = std::make_unique<ScopedPath>(c.path);
        const CCliResult r = RunZelm({"add", project, c.file, "--quiet", "--message-ids"});
        EXPECT_EQ(r.exitCode, 1) << c.what << ": " << r.err;
        EXPECT_NE(r.err.find(Said(c.message, c.file)), std::string::npos)
            << c.what << ": " << r.err;
        EXPECT_EQ(r.err.find("[7130]"), std::string::npos) << c.what << ": " << r.err;
    }
}

TEST_F(FailureReasons, PicturesOfExtremeProportionsKeepEverySideAtLeastAPixel)
{
    const auto picture = [&](const char* name, int w, int h, const char* format) {
        QImage image(w, h, QImage::Format_RGB32);
        image.fill(QColor(200, 40, 40));
        EXPECT_TRUE(image.save(QString::fromStdString(base + name), format)) << name;
        return base + name;
    };
    QImage tall(1, 100000, QImage::Format_RGB32);
    tall.fill(Qt::blue);
    ASSERT_TRUE(phototest::Tiff(base + "tall.tif", {tall}));
    {
        QPdfWriter pdf(QString::fromStdString(base + "strip.pdf"));
        pdf.setPageSize(
            QPageSize(QSizeF(14400, 1), QPageSize::Point, QString(), QPageSize::ExactMatch));
        pdf.setPageMargins(QMarginsF(0, 0, 0, 0));
        QPainter painter(&pdf);
        painter.fillRect(QRect(0, 0, pdf.width(), pdf.height()), Qt::green);
    }
    const struct Case
    {
        std::string file;
        QSize display; // the frame filled in one direction, at least a pixel across
    } cases[] = {
        {picture("wide.png", 4000, 3, "PNG"), {1024, 1}},
        {picture("band.jpg", 16000, 8, "JPEG"), {1024, 1}},
        {base + "tall.tif", {1, 768}},
        {base + "strip.pdf", {1024, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const CCliResult r = RunZelm({"add", project, c.file, "--quiet", "--message-ids"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
    }
    CZurDoc doc(&prompt);
    ASSERT_TRUE(doc.Open(project));
    ASSERT_EQ(doc.Cells.GetCount(), 4);
    for (int i = 0; i < 4; ++i) {
        const auto* cell = static_cast<const CCellBmpInfo*>(doc.Cells.GetAt(i));
        EXPECT_EQ(QSize(cell->BmpSize[0], cell->BmpSize[1]), cases[i].display) << cases[i].file;
        EXPECT_GE(cell->Resize[0], 1) << cases[i].file;
        EXPECT_GE(cell->Resize[1], 1) << cases[i].file;
        EXPECT_EQ(QImage(QString::fromStdString(base + "Trip/" + cell->FileName)).size(),
                  cases[i].display);
    }
}

TEST_F(FailureReasons, PresentationsSayWhatIsWrongWithThem)
{
    // One slide more than the program takes, listed but never read.
    const std::string big = base + "big.pptx";
    ASSERT_TRUE(testpackages::WriteZip(big, testpackages::Pptx({}, 32768)));
    // A slide listed whose part is not there: named before LibreOffice runs.
    const std::string gap = base + "gap.pptm";
    ASSERT_TRUE(
        testpackages::WriteZip(gap, testpackages::Pptx({testpackages::SlideXml(false)}, 2)));
    // A copy cut short.
    QByteArray whole;
    {
        const std::string path = base + "whole.pptx";
        ASSERT_TRUE(
            testpackages::WriteZip(path, testpackages::Pptx({testpackages::SlideXml(false)})));
        QFile file(QString::fromStdString(path));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        whole = file.readAll();
    }
    const std::string cut = Write("cut.potx", whole.left(whole.size() * 2 / 3));
    const struct Case
    {
        std::string file;
        std::string said;
    } cases[] = {
        {big, "[" + std::to_string(MsgId::PresentationTooManySlides) + "] " + big +
                  " has 32768 slides; the program takes at most 32767."},
        {gap,
         "[" + std::to_string(MsgId::PresentationPartMissing) + "] " +
             CResourceBundle::Format(MsgId::PresentationPartMissing, gap, "ppt/slides/slide2.xml")},
        {cut, Said(MsgId::PresentationDamaged, cut)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const CCliResult r = RunZelm({"add", project, c.file, "--quiet", "--message-ids"});
        EXPECT_EQ(r.exitCode, 1) << r.err;
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
    }
}

TEST_F(FailureReasons, OtherCommandsNameTheFileTheyCouldNotUse)
{
    const std::string text = Write("notes.txt", "no block of slides here");
    const std::string damaged = Write("bad.sic", "[Project]\nProjectName=A\n");
    const struct Case
    {
        std::vector<std::string> args;
        int message;
        std::string file;
    } cases[] = {
        {{"paste", project, text}, 7308, text},
        {{"paste", project, base + "none.block"}, 7300, base + "none.block"},
        {{"list", base + "none.sic"}, 7300, base + "none.sic"},
        {{"info", base + "none.sic"}, 7300, base + "none.sic"},
        {{"list", damaged}, 7126, damaged},
        {{"info", damaged}, 7126, damaged},
        {{"from-presentation", base + "none.ppt"}, 7300, base + "none.ppt"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.push_back("--message-ids");
        const CCliResult r = RunZelm(args);
        EXPECT_EQ(r.exitCode, 1) << c.args[0] << ": " << r.err;
        EXPECT_NE(r.err.find(Said(c.message, c.file)), std::string::npos)
            << c.args[0] << ": " << r.err;
    }
}

TEST_F(FailureReasons, AFailedSendNamesTheRowAndTheFile)
{
    ASSERT_EQ(RunZelm({"add", project, Picture("a.png"), Picture("b.png"), "--quiet"}).exitCode, 0);
    ASSERT_EQ(RunZelm({"add-control", project, "--before", "1", "--quiet"}).exitCode, 0);
    // The display image of row 3 (the second picture) is damaged since, and
    // its source is gone, so it cannot be made again.
    QFile::remove(QString::fromStdString(base + "b.png"));
    CZurDoc doc;
    ASSERT_TRUE(doc.Open(project));
    const auto* second = static_cast<const CCellBmpInfo*>(doc.Cells.GetAt(2));
    ASSERT_EQ(second->CellType, CCellInfo::Type::Image);
    const std::string display = doc.ProjectPath + second->FileName;
    {
        QFile f(QString::fromStdString(display));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("\x89PNG\r\n\x1a\n broken");
    }
    const std::string card = base + "card/";
    QDir().mkpath(QString::fromStdString(card));
    const CCliResult r = RunZelm({"send", project, card, "--yes", "--quiet", "--message-ids"});
    EXPECT_EQ(r.exitCode, 1) << r.err;
    EXPECT_NE(r.err.find(Said(7427, "3", display)), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("[7132]"), std::string::npos) << r.err;
}

TEST_F(FailureReasons, ACancelledSendEndsWithStatus3)
{
    // Enough slides that the send is still converting when Ctrl-C comes.
    std::vector<std::string> args = {"add", project};
    for (int i = 0; i < 30; ++i)
        args.push_back(Picture("p" + std::to_string(i) + ".png", 1280, 960));
    args.push_back("--quiet");
    ASSERT_EQ(RunZelm(args).exitCode, 0);
    const std::string card = base + "card/";
    QDir().mkpath(QString::fromStdString(card));

    QProcess send;
    send.start(QStringLiteral(ZELM_BIN_DIR "/zelm"),
               {QString::fromStdString("send"), QString::fromStdString(project),
                QString::fromStdString(card), QStringLiteral("--yes"), QStringLiteral("--quiet")});
    ASSERT_TRUE(send.waitForStarted());
    send.closeWriteChannel();
    // The new scenario's folder is made once the send works under its
    // progress, which takes Ctrl-C as Cancel.
    const QString folder = QString::fromStdString(card + ".zelmnew-Trip");
    for (int i = 0; i < 2000 && !QFileInfo::exists(folder) && send.state() == QProcess::Running;
         ++i)
        QThread::msleep(5);
    ASSERT_TRUE(QFileInfo::exists(folder)) << send.readAllStandardError().toStdString();
    ::kill(static_cast<pid_t>(send.processId()), SIGINT);
    ASSERT_TRUE(send.waitForFinished(60000));
    EXPECT_EQ(send.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(send.exitCode(), 3) << send.readAllStandardError().toStdString();
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(card + "Trip.sit")))
        << "a cancelled send leaves no scenario file";
    EXPECT_FALSE(QFileInfo::exists(folder)) << "nor its new pictures";
}

} // namespace
