// A new project made from a presentation file: its folder, its checks and
// its clean retreat.
#include "base/msgid.h"
#include "document/zurdoc.h"
#include "editor/newprojectfrompresentation.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "pptbuilder.h"
#include "presentationtesting.h"
#include "support/scriptedprompt.h"
#include "testcompound.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// Takes the blocks the command hands over, in place of an editor.
class CBlockObserver
{
public:
    CNewProjectFromPresentation::Inserter Inserter()
    {
        return [this](const QByteArray& block) {
            blocks.push_back(block);
            return accept;
        };
    }
    std::vector<QByteArray> blocks;
    bool accept = true;
};

bool NewProject(CZurDoc& doc, CBlockObserver* observer, const std::string& deck, std::string& file)
{
    return CNewProjectFromPresentation(doc, observer ? observer->Inserter()
                                                     : CNewProjectFromPresentation::Inserter())
        .Run(deck, file);
}

class NewProjectFromPresentation : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_deck = m_dir.filePath("Talk.PPT").toStdString();
        ASSERT_TRUE(CPptBuilder(4).Write(m_deck));
    }
    std::string Home() const { return m_home.path().toStdString() + "/"; }
    bool Exists(const std::string& name) const
    {
        return QFileInfo::exists(QString::fromStdString(Home() + name));
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_home;
    CScopedEnv m_zelmHome{"ZELM_HOME", m_home.path().toStdString()};
    CScriptedPrompt m_prompt;
    CBlockObserver m_observer;
    CZurDoc m_doc{&m_prompt};
    std::string m_deck;
};

TEST_F(NewProjectFromPresentation, MakesTheNextFreeFolderAndHandsOverTheShow)
{
    std::string file;
    ASSERT_TRUE(NewProject(m_doc, &m_observer, m_deck, file));
    EXPECT_EQ(file, Home() + "ZUR0001/ZUR0001.sic");
    EXPECT_TRUE(Exists("ZUR0001/ZUR0001.sic"));
    EXPECT_EQ(m_doc.ProjectName, "ZUR0001");
    EXPECT_EQ(m_doc.ProjectPath, Home() + "ZUR0001/");
    EXPECT_TRUE(m_prompt.shown.empty());
    ASSERT_EQ(m_observer.blocks.size(), 1u);
    CCellInfoList list;
    ASSERT_TRUE(list.AppendFromBytes(m_observer.blocks[0]));
    ASSERT_EQ(list.GetCount(), 1);
    const auto* cell = dynamic_cast<const CCellBmpInfo*>(list.GetAt(0));
    ASSERT_NE(cell, nullptr);
    EXPECT_EQ(cell->RefFilePath, m_deck);
    EXPECT_EQ(cell->RefPage, 0);

    // A plain file named like the next folder is passed over too.
    QFile blocker(QString::fromStdString(Home() + "ZUR0002"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    CZurDoc second(&m_prompt);
    ASSERT_TRUE(NewProject(second, &m_observer, m_deck, file));
    EXPECT_EQ(file, Home() + "ZUR0003/ZUR0003.sic");
}

TEST_F(NewProjectFromPresentation, UnusableFilesAreTold)
{
    CPptBuilder old;
    old.fileVersion = 1008;
    const std::string oldDeck = m_dir.filePath("old.ppt").toStdString();
    ASSERT_TRUE(old.Write(oldDeck));
    const std::string odp = m_dir.filePath("talk.odp").toStdString();
    ASSERT_TRUE(CPptBuilder(2).Write(odp));
    QFile text(m_dir.filePath("text.ppt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("no presentation");
    text.close();

    const std::pair<std::string, int> cases[] = {
        {oldDeck, 7304},
        {odp, 7304},
        {text.fileName().toStdString(), 7304},
        {m_dir.filePath("missing.ppt").toStdString(), 7300},
        {"", 7160},
    };
    for (const auto& [path, id] : cases) {
        m_prompt.shown.clear();
        std::string file = "stale";
        EXPECT_FALSE(NewProject(m_doc, &m_observer, path, file)) << path;
        EXPECT_EQ(file, "");
        ASSERT_EQ(m_prompt.Ids(), std::vector<int>{id}) << path;
        // Both messages, the reason first.
        EXPECT_NE(m_prompt.shown[0].text.find('\n'), std::string::npos);
    }
    EXPECT_FALSE(Exists("ZUR0001"));
    EXPECT_TRUE(m_observer.blocks.empty());
}

TEST_F(NewProjectFromPresentation, RefusedInsertionTakesTheFolderBack)
{
    std::string file;
    m_observer.accept = false;
    EXPECT_FALSE(NewProject(m_doc, &m_observer, m_deck, file));
    EXPECT_FALSE(Exists("ZUR0001"));
    EXPECT_EQ(file, "");
    EXPECT_EQ(m_doc.ProjectName, "");

    CZurDoc lonely(&m_prompt);
    EXPECT_FALSE(NewProject(lonely, nullptr, m_deck, file));
    EXPECT_FALSE(Exists("ZUR0001"));
}

TEST_F(NewProjectFromPresentation, WhenEveryNameIsTakenTheUserChooses)
{
    for (int n = 1; n <= 9999; ++n) {
        char name[16];
        std::snprintf(name, sizeof name, "ZUR%04d", n);
        ASSERT_TRUE(QDir().mkdir(QString::fromStdString(Home() + name)));
    }
    m_prompt.answers = {CUserPrompt::AnswerNo, CUserPrompt::AnswerNo, CUserPrompt::AnswerYes};
    std::string file;
    ASSERT_TRUE(NewProject(m_doc, &m_observer, m_deck, file));
    EXPECT_EQ(file, Home() + "ZUR0003/ZUR0003.sic");
    EXPECT_EQ(m_prompt.Ids(),
              (std::vector<int>{MsgId::AskUseExistingFolder, MsgId::AskUseExistingFolder,
                                MsgId::AskUseExistingFolder}));
    EXPECT_NE(m_prompt.shown[2].text.find(Home() + "ZUR0003/"), std::string::npos);

    m_prompt.shown.clear();
    m_prompt.answers = {CUserPrompt::AnswerCancel};
    CZurDoc other(&m_prompt);
    EXPECT_FALSE(NewProject(other, &m_observer, m_deck, file));
    EXPECT_EQ(m_prompt.Ids(), std::vector<int>{MsgId::AskUseExistingFolder});
    // The existing folder the user declined is left alone.
    EXPECT_TRUE(Exists("ZUR0001"));
}

} // namespace
