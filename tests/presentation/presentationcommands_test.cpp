// The command line's presentation paths: a project made from a presentation,
// and a presentation added to a project.
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "document/zurdoc.h"
#include "model/cellbmpinfo.h"
#include "presentationfixtures.h"
#include "support/clirunner.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdlib>
#include <gtest/gtest.h>

namespace {

class PresentationCommands : public ::testing::Test
{
protected:
    std::string Deck(const std::string& fixture)
    {
        const QString to = m_dir.filePath(QString::fromStdString(fixture) + ".ppt");
        EXPECT_TRUE(QFile::copy(QString::fromStdString(CPresentationFixtures::Path(fixture)), to));
        return to.toStdString();
    }
    static std::string Home() { return std::string(std::getenv("ZELM_HOME")) + "/"; }
    static std::vector<int> Pages(const std::string& project)
    {
        CZurDoc doc;
        std::vector<int> pages;
        if (!doc.Open(project))
            return pages;
        for (int i = 0; i < doc.Cells.GetCount(); ++i) {
            if (const auto* cell = dynamic_cast<const CCellBmpInfo*>(doc.Cells.GetAt(i)))
                pages.push_back(cell->RefPage);
        }
        return pages;
    }
    static std::vector<int> Switches(const std::string& project)
    {
        CZurDoc doc;
        std::vector<int> valid;
        if (!doc.Open(project))
            return valid;
        for (int i = 0; i < doc.Cells.GetCount(); ++i)
            valid.push_back(doc.Cells.GetAt(i)->CellValid);
        return valid;
    }
    QTemporaryDir m_dir;
};

TEST_F(PresentationCommands, FromPresentationMakesAProjectOfTheShow)
{
    const CCliResult made = RunZelm({"from-presentation", Deck("range3to5")});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const std::string project = Home() + "ZUR0001/ZUR0001.sic";
    EXPECT_EQ(made.out, project + "\n");
    EXPECT_EQ(Pages(project), (std::vector<int>{3, 4, 5}));

    const CCliResult list = RunZelm({"list", project});
    EXPECT_EQ(list.exitCode, 0) << list.err;
    EXPECT_NE(list.out.find("Page 4"), std::string::npos) << list.out;
}

TEST_F(PresentationCommands, FromPresentationRefusesOtherFiles)
{
    QFile text(m_dir.filePath("notes.ppt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("plain text");
    text.close();
    const QStringList before =
        QDir(QString::fromStdString(Home())).entryList({QStringLiteral("ZUR*")});
    const CCliResult r =
        RunZelm({"from-presentation", text.fileName().toStdString(), "--message-ids"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("[7304] " + CResourceBundle::Format(MsgId::FileNotAPresentation,
                                                             text.fileName().toStdString())),
              std::string::npos)
        << r.err;
    EXPECT_EQ(QDir(QString::fromStdString(Home())).entryList({QStringLiteral("ZUR*")}), before);
    EXPECT_EQ(RunZelm({"from-presentation"}).exitCode, 2);
}

TEST_F(PresentationCommands, AddExpandsAPresentation)
{
    const CCliResult made = RunZelm({"new", "Deck", "--in", m_dir.path().toStdString()});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    const std::string project = m_dir.path().toStdString() + "/Deck/Deck.sic";
    const CCliResult added = RunZelm({"add", project, Deck("custom6")});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(Pages(project), (std::vector<int>{5, 2, 4}));
}

// A slide the author hid becomes a switched-off cell in its place, from both
// paths, and its line on the card says 0.
TEST_F(PresentationCommands, HiddenSlidesBecomeSwitchedOffCells)
{
    const std::string deck = Deck("hidden4");
    const CCliResult made = RunZelm({"from-presentation", deck});
    ASSERT_EQ(made.exitCode, 0) << made.err;
    ASSERT_FALSE(made.out.empty());
    const std::string project = made.out.substr(0, made.out.size() - 1);
    const std::string name =
        QFileInfo(QString::fromStdString(project)).completeBaseName().toStdString();
    EXPECT_EQ(Pages(project), (std::vector<int>{1, 2, 3, 4}));
    EXPECT_EQ(Switches(project), (std::vector<int>{1, 0, 1, 1}));

    const std::string card = m_dir.filePath("card").toStdString() + "/";
    QDir().mkpath(QString::fromStdString(card));
    const CCliResult sent = RunZelm({"send", project, card, "--yes"});
    ASSERT_EQ(sent.exitCode, 0) << sent.err;
    QFile scenario(QString::fromStdString(card + name + ".sit"));
    ASSERT_TRUE(scenario.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = scenario.readAll().split('\n');
    ASSERT_GE(lines.size(), 8);
    // The third field of a slide line is the switch.
    EXPECT_EQ(lines[4].split(',').value(2), "1") << lines[4].toStdString();
    EXPECT_EQ(lines[5].split(',').value(2), "0") << lines[5].toStdString();
    EXPECT_EQ(lines[6].split(',').value(2), "1") << lines[6].toStdString();

    ASSERT_EQ(RunZelm({"new", "Deck", "--in", m_dir.path().toStdString()}).exitCode, 0);
    const std::string other = m_dir.path().toStdString() + "/Deck/Deck.sic";
    const CCliResult added = RunZelm({"add", other, deck});
    ASSERT_EQ(added.exitCode, 0) << added.err;
    EXPECT_EQ(Switches(other), (std::vector<int>{1, 0, 1, 1}));
}

} // namespace
