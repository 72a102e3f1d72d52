// Faults a new user met with files from outside the program, each run
// through the command where it was met: autorun lists with stray bytes,
// damaged and superseded display images, card layouts with commas and long
// names, pictures from cameras, and projects written on Windows.
#include "output/sfcfile.h"
#include "support/clirunner.h"
#include "support/scriptedprompt.h"
#include "support/zurdoctestutil.h"

#include <QBuffer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <vector>

using namespace doctest;

namespace {

class UserFaults : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        base = m_dir.path().toStdString() + "/";
        card = base + "card/";
        folder = base + "Trip/";
        QDir().mkpath(QString::fromStdString(card));
        QDir().mkpath(QString::fromStdString(base + "sources"));
        QDir().mkpath(QString::fromStdString(folder));
        // A saved project "Trip": two slides, then a control step.
        CZurDoc doc(&prompt);
        project = makeTripProject(doc, folder, base + "sources/");
        ASSERT_FALSE(project.empty());
    }
    static QJsonObject Json(const std::string& text)
    {
        return QJsonDocument::fromJson(QByteArray::fromStdString(text)).object();
    }
    struct Files
    {
        std::string FileName;
        std::string ThumbFileName;
    };
    // The files of the image cell of `row` as the project file names them.
    Files Cell(int row)
    {
        CZurDoc doc;
        if (!doc.Open(project))
            return {};
        const auto* cell = dynamic_cast<const CCellBmpInfo*>(doc.Cells.GetAt(row - 1));
        return cell ? Files{cell->FileName, cell->ThumbFileName} : Files{};
    }
    bool SendTo(const std::string& root)
    {
        return RunZelm({"send", project, root, "--yes"}).exitCode == 0;
    }

    QTemporaryDir m_dir;
    CScriptedPrompt prompt;
    std::string base;
    std::string card;
    std::string folder;
    std::string project;
};

} // namespace

TEST_F(UserFaults, AnAutorunListWithStrayBytesKeepsItsEntries)
{
    ASSERT_TRUE(SendTo(card));
    // A second scenario on the card to add.
    ASSERT_TRUE(QFile::copy(QString::fromStdString(card + "Trip.sit"),
                            QString::fromStdString(card + "SHOW.SIT")));
    QDir().mkpath(QString::fromStdString(card + "SHOW"));
    const std::string list = std::string("[Autorun]\nTRIP.SIT\n\0\0junk\x01\nREPEAT\n", 34) +
                             "\x1A" + std::string("\0after the end\n", 15);
    ASSERT_TRUE(writeAll(card + "AUTORUN.SFC", list));

    // Alone, the command lists and leaves the file as it is.
    const CCliResult listed = RunZelm({"autorun", card});
    EXPECT_EQ(listed.exitCode, 0) << listed.err;
    EXPECT_EQ(listed.out, "TRIP.SIT\nrepeat: on\n");
    EXPECT_EQ(readAll(card + "AUTORUN.SFC"), list);

    const CCliResult added = RunZelm({"autorun", card, "--add", "show.sit"});
    EXPECT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(readAll(card + "AUTORUN.SFC"), "[Autorun]\nTRIP.SIT\nSHOW.SIT\nREPEAT\n");
}

TEST_F(UserFaults, ATooLargeAutorunListIsReplacedOnlyWithConsent)
{
    ASSERT_TRUE(SendTo(card));
    const std::string huge(size_t(CSfcFile::MaxFileSize) + 1, 'A');
    ASSERT_TRUE(writeAll(card + "AUTORUN.SFC", huge));

    const CCliResult declined = RunZelm({"autorun", card, "--add", "TRIP.SIT", "--message-ids"});
    EXPECT_EQ(declined.exitCode, 3);
    EXPECT_NE(declined.err.find("[7126]"), std::string::npos) << declined.err;
    EXPECT_NE(declined.err.find("[7187]"), std::string::npos) << declined.err;
    EXPECT_EQ(readAll(card + "AUTORUN.SFC"), huge);

    const CCliResult replaced = RunZelm({"autorun", card, "--add", "TRIP.SIT", "--yes"});
    EXPECT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(readAll(card + "AUTORUN.SFC"), "[Autorun]\nTRIP.SIT\n");
}

TEST_F(UserFaults, ADamagedDisplayImageFailsTheCheckWithItsRow)
{
    const std::string display = Cell(2).FileName;
    const std::string bytes = readAll(folder + display);
    ASSERT_TRUE(writeAll(folder + display, bytes.substr(0, bytes.size() / 2)));

    const CCliResult r = RunZelm({"check", project, "--json"});
    EXPECT_EQ(r.exitCode, 1) << r.out;
    const QJsonArray problems = Json(r.out)["problems"].toArray();
    ASSERT_EQ(problems.size(), 1) << r.out;
    EXPECT_EQ(problems[0].toObject()["row"].toInt(), 2);
    EXPECT_EQ(problems[0].toObject()["file"].toString().toStdString(), display);
}

TEST_F(UserFaults, ADisplayImageReplacedByARefreshIsDeletedOnSave)
{
    const std::string old = Cell(1).FileName;
    // The source changes after the display image was made.
    const QString source = QString::fromStdString(base + "sources/p0.png");
    ASSERT_TRUE(makePicture(source.toStdString(), 640, 480, QColor(250, 250, 0)));
    QFile touched(source);
    ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
    ASSERT_TRUE(touched.setFileTime(QDateTime::currentDateTime().addSecs(60),
                                    QFileDevice::FileModificationTime));
    touched.close();

    const CCliResult edited = RunZelm({"disable", project, "3"});
    ASSERT_EQ(edited.exitCode, 0) << edited.err;
    EXPECT_NE(Cell(1).FileName, old);
    EXPECT_FALSE(exists(folder + old));
    const CCliResult checked = RunZelm({"check", project, "--json"});
    EXPECT_EQ(checked.exitCode, 0) << checked.out;
    EXPECT_TRUE(Json(checked.out)["notes"].toArray().isEmpty()) << checked.out;
}

TEST_F(UserFaults, CardCheckAcceptsWhatTheCardLayoutAllows)
{
    // A project name longer than 8 with a comma: the card names carry the
    // comma as it is, the scenario keeps the long name.
    const std::string scenario = "Trip,Day2026";
    QDir().mkpath(QString::fromStdString(card + scenario));
    ASSERT_TRUE(writeAll(card + scenario + ".sit",
                         "[Project]\n" + scenario +
                             "\nBG_COLOR=000000\n[Slides]\n"
                             "TRIP,DA1.JPG,TRIP,DA1.JPS,1,0,0005,01,0,0,3,0,0,0,0,0,0,030,0\n"));
    QImage picture(1024, 768, QImage::Format_RGB32);
    picture.fill(Qt::blue);
    ASSERT_TRUE(picture.save(QString::fromStdString(card + scenario + "/TRIP,DA1.JPG"), "JPEG"));
    ASSERT_TRUE(picture.scaled(160, 120).save(
        QString::fromStdString(card + scenario + "/TRIP,DA1.JPS"), "JPEG"));
    const CCliResult good = RunZelm({"card-check", card, "--json"});
    EXPECT_EQ(good.exitCode, 0) << good.out << good.err;
    EXPECT_TRUE(Json(good.out)["ok"].toBool()) << good.out;

    const std::string empty = base + "empty/";
    QDir().mkpath(QString::fromStdString(empty));
    const CCliResult none = RunZelm({"card-check", empty, "--message-ids"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("[7146]"), std::string::npos) << none.err;
}

TEST_F(UserFaults, PicturesFromCamerasImport)
{
    // A JPEG without its end marker, and a panorama wider than 32,767 pixels.
    QImage photo(640, 480, QImage::Format_RGB32);
    photo.fill(QColor(20, 120, 220));
    QByteArray jpeg;
    QBuffer buffer(&jpeg);
    ASSERT_TRUE(buffer.open(QIODevice::WriteOnly));
    ASSERT_TRUE(photo.save(&buffer, "JPEG"));
    ASSERT_TRUE(jpeg.endsWith("\xFF\xD9"));
    const std::string noEnd = base + "sources/noend.jpg";
    ASSERT_TRUE(writeAll(noEnd, jpeg.chopped(2).toStdString()));
    QImage panorama(33000, 400, QImage::Format_Grayscale8);
    panorama.fill(90);
    const std::string wide = base + "sources/wide.png";
    ASSERT_TRUE(panorama.save(QString::fromStdString(wide)));

    const CCliResult added = RunZelm({"add", project, noEnd, wide});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    const QJsonArray cells = Json(RunZelm({"list", project, "--json"}).out)["cells"].toArray();
    ASSERT_EQ(cells.size(), 5);
    EXPECT_EQ(cells[3].toObject()["BmpSize"].toArray()[0].toInt(), 1024);
    EXPECT_EQ(cells[4].toObject()["BmpSize"].toArray()[0].toInt(), 1024);
}

TEST_F(UserFaults, AWindowsSourcePathGivesACleanLabelAndNames)
{
    const Files first = Cell(1);
    std::string text = readAll(project);
    const size_t at = text.find("RefFilePath=");
    ASSERT_NE(at, std::string::npos);
    text.replace(at, text.find('\n', at) - at, "RefFilePath=C:\\Pics\\beach.jpg");
    const size_t created = text.find("CreateDateTime=");
    ASSERT_NE(created, std::string::npos);
    text.erase(created, text.find('\n', created) + 1 - created);
    ASSERT_TRUE(writeAll(project, text));
    // Its thumbnail is made again, named after the source.
    ASSERT_TRUE(QFile::remove(QString::fromStdString(folder + first.ThumbFileName)));

    ASSERT_EQ(RunZelm({"disable", project, "3"}).exitCode, 0);
    const QJsonObject cell =
        Json(RunZelm({"list", project, "--json"}).out)["cells"].toArray()[0].toObject();
    EXPECT_EQ(cell["label"].toString().toStdString().substr(0, 13), "beach.jpg    ");
    const std::string thumb = cell["ThumbFileName"].toString().toStdString();
    EXPECT_EQ(thumb.substr(0, 5), "beach") << thumb;
    EXPECT_EQ(thumb.find_first_of("\\:"), std::string::npos) << thumb;
    EXPECT_TRUE(exists(folder + thumb));
    EXPECT_NE(readAll(project).find("\nCreateDateTime="), std::string::npos);
}
