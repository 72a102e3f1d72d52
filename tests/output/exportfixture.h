#pragma once

// A project folder with slides and a card folder, for the tests of Send.

#include "base/appfolders.h"
#include "cardtestutil.h"
#include "imaging/imaginghost.h"
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"
#include "output/scenarioexport.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

class ExportFixture : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_projectDir.isValid());
        ASSERT_TRUE(m_cardDir.isValid());
        projectFolder = m_projectDir.path().toStdString() + "/";
        card = m_cardDir.path().toStdString() + "/";
        cells.ProjectFolder = projectFolder;
        project.name = "Trip";
        project.backColor = 0x00336699; // red 0x99, green 0x66, blue 0x33
        project.imageQuality = 2;
        project.cells = &cells;
        project.hosts = CImagingHost::MakeFactory(project.backColor, project.imageQuality,
                                                  CImagingHost::NoSpaceCheck);
        // OK to the confirmation; Yes to every question after it.
        prompt.answers = {CUserPrompt::AnswerOk};
    }

    void SetQuality(int quality)
    {
        project.imageQuality = quality;
        project.hosts =
            CImagingHost::MakeFactory(project.backColor, quality, CImagingHost::NoSpaceCheck);
    }

    // An image cell with a display image of the given size and a thumbnail of
    // thumbWidth x thumbHeight in the project folder.
    CCellBmpInfo* AddSlide(int width = 1024, int height = 768, int thumbWidth = 160,
                           int thumbHeight = 120, QColor color = QColor(20, 200, 40))
    {
        const int n = ++m_slides;
        auto cell = std::make_unique<CCellBmpInfo>();
        cell->FileName = "slide" + std::to_string(n) + ".png";
        cell->ThumbFileName = "slide" + std::to_string(n) + ".jpg";
        cell->RefFilePath = "/nowhere/slide" + std::to_string(n) + ".png";
        cell->RefPage = 1;
        cell->BmpSize[0] = width;
        cell->BmpSize[1] = height;
        cell->Resize[0] = thumbWidth;
        cell->Resize[1] = thumbHeight;
        EXPECT_TRUE(WritePicture(projectFolder + cell->FileName, width, height, "PNG", color));
        EXPECT_TRUE(WritePicture(projectFolder + cell->ThumbFileName, thumbWidth, thumbHeight,
                                 "JPG", color));
        CCellBmpInfo* raw = cell.get();
        cells.Append(std::move(cell));
        return raw;
    }

    CCellCtrlInfo* AddControl()
    {
        auto cell = std::make_unique<CCellCtrlInfo>();
        CCellCtrlInfo* raw = cell.get();
        cells.Append(std::move(cell));
        return raw;
    }

    CScenarioExport::Outcome Send(int threads = 0)
    {
        CScenarioExport send(&prompt, &progress);
        send.SetThreads(threads);
        send.SetCardOperations(operations);
        const CScenarioExport::Outcome outcome = send.Send(project, card);
        wantsAutorun = send.WantsAutorunEditor();
        return outcome;
    }

    // The names of the files in `folder`, sorted.
    static std::vector<std::string> Files(const std::string& folder)
    {
        std::vector<std::string> names;
        for (const QString& n :
             QDir(QString::fromStdString(folder)).entryList(QDir::Files | QDir::Hidden, QDir::Name))
            names.push_back(n.toStdString());
        return names;
    }

    static std::string Staging() { return CAppFolders::WorkRoot() + "Temp3/"; }

    QTemporaryDir m_projectDir;
    QTemporaryDir m_cardDir;
    std::string projectFolder;
    std::string card;
    CCellInfoList cells;
    CScenarioExport::Project project;
    CScenarioExport::CardOperations operations;
    CScriptedPrompt prompt;
    CScriptedProgress progress;
    bool wantsAutorun = false;
    int m_slides = 0;
};
