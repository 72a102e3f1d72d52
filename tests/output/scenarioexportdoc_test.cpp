// Send over an open project document: only a saved project is sent, with the
// document's name, colour and quality.
#include "base/msgid.h"
#include "output/cardpicture.h"
#include "output/scenarioexport.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"
#include "support/zurdoctestutil.h"

#include <QTemporaryDir>
#include <algorithm>
#include <gtest/gtest.h>

using namespace doctest;

TEST(ScenarioExportDocument, SendsOnlyASavedProjectWithItsSettings)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString() + "/";
    const std::string card = base + "card/";
    QDir().mkpath(QString::fromStdString(card));
    QDir().mkpath(QString::fromStdString(base + "Show"));
    CScriptedPrompt prompt;
    CZurDoc doc(&prompt);
    CProjectSettings settings;
    settings.name = "Show";
    settings.folder = base + "Show/";
    settings.backColor = 0x000000FF;
    settings.imageQuality = 0;
    ASSERT_TRUE(doc.NewProject(settings));
    ASSERT_TRUE(makePicture(base + "p.png", 300, 200));
    ASSERT_NE(importPicture(doc, base + "p.png"), nullptr);

    CScriptedProgress progress;
    CScenarioExport send(&prompt, &progress);
    EXPECT_FALSE(CScenarioExport::CanSend(doc));
    // Refused, and the user is told why.
    EXPECT_EQ(send.Send(doc, card), CScenarioExport::Declined);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::SendProjectChanged});
    prompt.shown.clear();
    EXPECT_TRUE(filesOf(card).empty());

    ASSERT_TRUE(doc.Save());
    prompt.answers = {CUserPrompt::AnswerOk};
    ASSERT_EQ(send.Send(doc, card), CScenarioExport::Sent);
    EXPECT_EQ(readAll(card + "Show.sit").substr(0, 40),
              "[Project]\nShow\nBG_COLOR=ff0000\n[Slides]\n");
    EXPECT_TRUE(CCardPicture::Check(card + "Show/SHOW0001.BMP", CCardPicture::Bitmap, 1024, 768));
    EXPECT_TRUE(CCardPicture::Check(card + "Show/SHOW0001.JPS", CCardPicture::Jpeg, 160, 120));
    // The card names stay in the cells; the project is not modified by a send.
    EXPECT_EQ(static_cast<CCellBmpInfo*>(doc.Cells.GetAt(0))->CardFileName, "SHOW0001.BMP");
    EXPECT_FALSE(doc.IsModified());
}

TEST(ScenarioExportDocument, TheProjectCannotBeClosedOrChangedWhileItIsSent)
{
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString() + "/";
    const std::string card = base + "card/";
    QDir().mkpath(QString::fromStdString(card));
    QDir().mkpath(QString::fromStdString(base + "Show"));
    CScriptedPrompt prompt;
    CZurDoc doc(&prompt);
    CProjectSettings settings;
    settings.name = "Show";
    settings.folder = base + "Show/";
    ASSERT_TRUE(doc.NewProject(settings));
    ASSERT_TRUE(makePicture(base + "p.png", 300, 200));
    ASSERT_NE(importPicture(doc, base + "p.png"), nullptr);
    ASSERT_TRUE(doc.Save());

    // A second command started from inside the send's progress is refused.
    CScriptedProgress progress;
    std::vector<bool> answers;
    progress.onStep = [&] {
        EXPECT_TRUE(doc.IsBusy());
        answers.push_back(doc.CloseWithoutSaving());
        answers.push_back(doc.SaveAs("Other", base + "Show/"));
        CScenarioExport second(&prompt, nullptr);
        answers.push_back(second.Send(doc, card) == CScenarioExport::Sent);
    };
    CScenarioExport send(&prompt, &progress);
    send.SetThreads(1);
    prompt.answers = {CUserPrompt::AnswerOk};
    ASSERT_EQ(send.Send(doc, card), CScenarioExport::Sent);
    ASSERT_FALSE(answers.empty());
    EXPECT_EQ(std::count(answers.begin(), answers.end(), true), 0);
    const std::vector<int> ids = prompt.Ids();
    EXPECT_GE(std::count(ids.begin(), ids.end(), MsgId::ProjectBusy), 3);
    // The project is still open, and free again.
    EXPECT_FALSE(doc.IsBusy());
    EXPECT_EQ(doc.Cells.GetCount(), 1);
    EXPECT_EQ(doc.ProjectName, "Show");
    EXPECT_TRUE(doc.CloseWithoutSaving());
}
