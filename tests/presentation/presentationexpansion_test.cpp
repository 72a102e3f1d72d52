// A presentation cell with page 0 inserted into a project becomes one image
// cell per slide of the show.
#include "base/appfolders.h"
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "model/presentationblock.h"
#include "presentation/slidepptobj.h"
#include "presentationfixtures.h"
#include "presentationtesting.h"
#include "support/projecteditortest.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"
#include "support/workcopies.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <algorithm>
#include <fstream>
#include <gtest/gtest.h>

namespace {

class PresentationExpansion : public ProjectEditorTest
{
protected:
    // The deck copied beside the project, as a user's file would be.
    std::string Deck(const std::string& fixture)
    {
        return CopyInto(m_decks.path(), CPresentationFixtures::Path(fixture),
                        QString::fromStdString(fixture) + ".ppt");
    }
    bool Insert(const std::string& deck, bool reportCancel = false)
    {
        return InsertBlock(MakePresentationBlock(deck), reportCancel);
    }
    // Files of the project folder besides the project file.
    QStringList ProjectFiles() const
    {
        QStringList files = QDir(m_folder.path()).entryList(QDir::Files);
        files.removeAll(QStringLiteral("Talk.sic"));
        return files;
    }
    QStringList WorkFiles() const
    {
        return QDir(QString::fromStdString(CAppFolders::WorkFolder("Temp1")))
            .entryList(QDir::Files);
    }
};

TEST_F(PresentationExpansion, SixSlidesBecomeSixCells)
{
    const std::string deck = Deck("plain6");
    ASSERT_TRUE(Insert(deck));
    EXPECT_TRUE(m_prompt.shown.empty());
    ASSERT_EQ(m_editor.Rows().GetCount(), 6);
    EXPECT_EQ(Pages(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    for (int r = 0; r < 6; ++r) {
        const auto* cell = static_cast<const CCellBmpInfo*>(m_editor.Rows().GetCell(r));
        EXPECT_EQ(cell->RefFilePath, deck);
        EXPECT_EQ(cell->SourceKind, CCellBmpInfo::SourcePpt);
        EXPECT_TRUE(cell->StateFlags & CCellInfo::StateAdded);
        const std::string label = cell->GetLabel();
        EXPECT_EQ(label.substr(label.size() - 2), " " + std::to_string(r + 1)) << label;
        const std::string display =
            m_folder.filePath(QString::fromStdString(cell->FileName)).toStdString();
        EXPECT_EQ(cell->FileName.substr(cell->FileName.size() - 4), ".png");
        EXPECT_EQ(QImage(QString::fromStdString(display)).size(), QSize(1024, 768));
        EXPECT_EQ(SlideShownIn(display), r + 1);
        EXPECT_FALSE(cell->ThumbFileName.empty());
    }
    ASSERT_FALSE(m_progress.texts.empty());
    EXPECT_EQ(m_progress.texts.back(), CResourceBundle::Format(MsgId::ReadingSlides, deck));
    EXPECT_TRUE(m_doc.IsModified());
    // The exported pictures do not stay in the work folder.
    EXPECT_TRUE(WorkFiles().isEmpty()) << WorkFiles().join(' ').toStdString();

    // The slides are part of the paste's undo, and the project saves them.
    EXPECT_TRUE(m_editor.Undo());
    EXPECT_EQ(m_editor.Rows().GetCount(), 0);
}

TEST_F(PresentationExpansion, CustomShowGivesItsSlides)
{
    ASSERT_TRUE(Insert(Deck("custom6")));
    EXPECT_EQ(Pages(), (std::vector<int>{5, 2, 4}));
    const auto* second = static_cast<const CCellBmpInfo*>(m_editor.Rows().GetCell(1));
    EXPECT_EQ(
        SlideShownIn(m_folder.filePath(QString::fromStdString(second->FileName)).toStdString()), 2);
    ASSERT_TRUE(m_doc.Save());
    CZurDoc reopened;
    ASSERT_TRUE(reopened.Open(m_doc.GetPathName()));
    EXPECT_EQ(reopened.Cells.VisibleImageCount(), 3);
}

TEST_F(PresentationExpansion, CancelKeepsTheSlidesMadeSoFar)
{
    m_progress.cancelAtStep = 2;
    EXPECT_TRUE(Insert(Deck("plain6")));
    EXPECT_TRUE(m_editor.LastInsertCancelled());
    EXPECT_EQ(Pages(), (std::vector<int>{1, 2}));
    // How many of the show's slides went in.
    ASSERT_EQ(m_prompt.Ids(), std::vector<int>{MsgId::InsertStopped});
    EXPECT_EQ(m_prompt.shown[0].text, CResourceBundle::Format(MsgId::InsertStopped, "2", "6"));
    EXPECT_EQ(ProjectFiles().size(), 4); // two display images, two thumbnails
}

// For a caller that takes the whole insertion back (a new project), a
// cancel is a failure; nobody is told the slides "could not be inserted".
TEST_F(PresentationExpansion, CancelIsAFailureWhenTheCallerTakesItBack)
{
    m_progress.cancelAtStep = 3;
    CCellInfoList list;
    ASSERT_TRUE(list.AppendFromBytes(MakePresentationBlock(Deck("plain6"))));
    EXPECT_FALSE(m_editor.InsertCells(kPaste, list, true));
    EXPECT_EQ(Pages(), (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(m_prompt.shown.empty());
}

// While LibreOffice works the window says so, with the time, and Cancel
// stops it there: no LibreOffice left, no cell, nobody told of a failure.
TEST_F(PresentationExpansion, CancelWhileLibreOfficeConvertsStopsIt)
{
    CFakeSoffice fake("echo busy > \"$TMPDIR/part\"\nsleep 600 &\necho $! > \"$PIDFILE\"\nwait");
    CScopedEnv path("PATH", fake.PathValue());
    const std::string deck = Deck("plain6");
    const std::string converting = CResourceBundle::Format(MsgId::ConvertingPresentation, deck, "");
    const std::string prefix = converting.substr(0, converting.find('('));
    // Cancel once it has told two different times.
    const auto said = [&] {
        return std::count_if(m_progress.texts.begin(), m_progress.texts.end(),
                             [&](const std::string& t) { return t.rfind(prefix, 0) == 0; });
    };
    bool pressed = false;
    m_progress.onQuery = [&] {
        if (said() == 2 && !pressed) {
            pressed = true;
            m_progress.cancelAtQuery = m_progress.queries - 1;
        }
    };
    EXPECT_TRUE(Insert(deck));
    EXPECT_TRUE(m_editor.LastInsertCancelled());
    EXPECT_EQ(m_editor.Rows().GetCount(), 0);
    EXPECT_TRUE(m_prompt.shown.empty());
    EXPECT_EQ(said(), 2);
    EXPECT_NE(m_progress.texts[m_progress.texts.size() - 2].find("(1 s)"), std::string::npos);
    std::ifstream pidFile(fake.PidFile());
    long pid = 0;
    ASSERT_TRUE(pidFile >> pid);
    EXPECT_TRUE(ProcessGone(pid));
    EXPECT_TRUE(ProjectFiles().isEmpty()) << ProjectFiles().join(' ').toStdString();
}

TEST_F(PresentationExpansion, SharedPresentationIsBorrowed)
{
    const std::string deck = Deck("plain6");
    QTemporaryDir thumbs;
    CSlidePPTObj shared;
    shared.SetWorkFolder(thumbs.path().toStdString() + "/");
    shared.SetBatchSize(2);
    ASSERT_TRUE(shared.OpenPresentation(deck, 160, 120, nullptr, false));
    ASSERT_TRUE(shared.MakeThumbnails(1));
    ASSERT_EQ(shared.State(), CSlidePPTObj::StatePaused);
    m_editor.SetSharedPresentation(&shared);

    // Without LibreOffice only the shared object, which has its pictures
    // already, can give the slides.
    const QTemporaryDir emptyBin;
    CScopedEnv path("PATH", emptyBin.path().toStdString());
    ASSERT_TRUE(Insert(deck));
    EXPECT_EQ(Pages(), (std::vector<int>{1, 2, 3, 4, 5, 6}));
    EXPECT_FALSE(m_editor.IsBorrowingPresentation());
    EXPECT_TRUE(shared.IsOpen());
    EXPECT_EQ(shared.RetainCount(), 0);
    EXPECT_EQ(shared.State(), CSlidePPTObj::StatePaused);
}

struct FailCase
{
    const char* what;
    const char* soffice; // fake LibreOffice script, or null for the real one
    bool badFile;
    int message;           // the reason shown, naming the presentation
    bool noOffice = false; // no LibreOffice on the PATH at all
};

TEST_F(PresentationExpansion, FailuresInsertNothingAndLeaveNoFiles)
{
    const FailCase cases[] = {
        {"not a presentation", nullptr, true, 7304},
        {"LibreOffice crashes", "kill -SEGV $$", false, 7307},
        {"LibreOffice fails", "exit 1", false, 7307},
        {"LibreOffice not installed", nullptr, false, 7306, true},
    };
    for (const FailCase& c : cases) {
        m_prompt.shown.clear();
        std::string deck = Deck("plain6");
        if (c.badFile) {
            QFile file(QString::fromStdString(deck));
            ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write("not a presentation at all");
        } else {
            // A copy of its own, so no converted PDF of it is cached.
            deck = m_decks.filePath(QStringLiteral("fresh%1.ppt").arg(&c - cases)).toStdString();
            ASSERT_TRUE(
                QFile::copy(QString::fromStdString(Deck("plain6")), QString::fromStdString(deck)));
        }
        std::unique_ptr<CFakeSoffice> fake;
        std::unique_ptr<CScopedEnv> path;
        QTemporaryDir emptyBin;
        if (c.soffice) {
            fake = std::make_unique<CFakeSoffice>(c.soffice);
            path = std::make_unique<CScopedEnv>("PATH", fake->PathValue());
        } else if (c.noOffice) {
            path = std::make_unique<CScopedEnv>("PATH", emptyBin.path().toStdString());
        }
        CScenarioEditor editor(m_doc);
        editor.SetProgress(&m_progress);
        CCellInfoList list;
        ASSERT_TRUE(list.AppendFromBytes(MakePresentationBlock(deck)));
        EXPECT_FALSE(editor.InsertCells(kPaste, list, false)) << c.what;
        EXPECT_EQ(m_prompt.Ids(), std::vector<int>{c.message}) << c.what;
        EXPECT_EQ(editor.LastInsertFailure().file(), deck) << c.what;
        ASSERT_FALSE(m_prompt.shown.empty()) << c.what;
        EXPECT_NE(m_prompt.shown[0].text.find(deck), std::string::npos) << c.what;
        EXPECT_EQ(editor.Rows().GetCount(), 0) << c.what;
        EXPECT_EQ(m_doc.Cells.GetCount(), 0) << c.what;
        EXPECT_TRUE(ProjectFiles().isEmpty())
            << c.what << ": " << ProjectFiles().join(' ').toStdString();
        EXPECT_TRUE(WorkFiles().isEmpty()) << c.what;
    }
}

} // namespace
