#include "base/msgid.h"
#include "dialogtestutil.h"
#include "gui/dialogs/exportvideodlg.h"
#include "gui/dialogs/fileopprogressdlg.h"
#include "gui/dialogs/videoexportjob.h"
#include "show/showsequence.h"
#include "support/scriptedprompt.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ExportVideoDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        base = dir.path() + "/";
        // Two slides of a second each; the second waits for the remote.
        QFile scenario(base + "SHOW.SIT");
        ASSERT_TRUE(scenario.open(QIODevice::WriteOnly));
        scenario.write("[Project]\nSHOW\nBG_COLOR=000000\n[Slides]\n"
                       "SHOW0001.JPG,SHOW0001.JPS,1,1,0001,00,0,0,0,0,0,0,0,0,0,002,0\n"
                       "SHOW0002.JPG,SHOW0002.JPS,1,0,0000,02,0,0,0,0,0,0,0,0,0,002,0\n");
        scenario.close();
        ASSERT_TRUE(QDir(base).mkdir("SHOW"));
        for (int i = 1; i <= 2; ++i) {
            QImage picture(1024, 768, QImage::Format_RGB32);
            picture.fill(i == 1 ? Qt::red : Qt::blue);
            ASSERT_TRUE(picture.save(base + QString("SHOW/SHOW000%1.JPG").arg(i)));
        }
        ASSERT_TRUE(sequence.FromScenarioFile((base + "SHOW.SIT").toStdString()));
    }

    // Selects what the focused field holds and types `text` over it.
    static void Retype(const QString& text)
    {
        QWidget* field = QApplication::focusWidget();
        QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(field, text);
    }

    QTemporaryDir dir;
    QString base;
    CShowSequence sequence;
    CScriptedPrompt prompt;
};

} // namespace

// The keyboard alone reaches every choice (mnemonics and Tab), every
// control carries a name, a refused choice keeps the dialog open, and the
// export then runs on a worker while the progress window is shown.
TEST_F(ExportVideoDlgTest, KeyboardAloneChoosesAndTheExportRunsOnAWorker)
{
    CExportVideoDlg dialog(sequence, "SHOW.SIT", (base + "show.mp4").toStdString(), &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    for (QWidget* control : dialog.findChildren<QWidget*>()) {
        if (qobject_cast<QAbstractSpinBox*>(control) || qobject_cast<QPushButton*>(control)) {
            EXPECT_FALSE(control->accessibleName().isEmpty())
                << control->objectName().toStdString();
        }
    }
    EXPECT_FALSE(dialog.FileEdit()->accessibleName().isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), dialog.FileEdit());

    Retype(base + "show.avi");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_S, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QSpinBox*>("width"));
    Retype("320");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    Retype("180");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), dialog.findChild<QSpinBox*>("fps"));
    Retype("10");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_W, Qt::AltModifier);
    Retype("2");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Q, Qt::AltModifier);
    Retype("60");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::VideoUnknownFormat});
    EXPECT_EQ(QApplication::focusWidget(), dialog.FileEdit());

    Retype(base + "show.mkv");
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    const CVideoExport::Options options = dialog.Options();
    EXPECT_EQ(options.width, 320);
    EXPECT_EQ(options.height, 180);
    EXPECT_EQ(options.fps, 10);
    EXPECT_EQ(options.waitSeconds, 2);
    EXPECT_EQ(options.quality, 60);

    QWidget owner;
    owner.show();
    CVideoExportJob* job = CVideoExportJob::Start(dialog.TakeExport(), &prompt, &owner);
    QSignalSpy finished(job, &CVideoExportJob::Finished);
    EXPECT_TRUE(job->Progress()->isVisible());
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished.at(0).at(0).toInt(), int(CVideoExport::Written));
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::VideoUnknownFormat, MsgId::VideoExported}));
    EXPECT_GT(QFileInfo(base + "show.mkv").size(), 0);
}

// The progress window's Cancel, clicked with the mouse, stops the worker;
// nothing is left under the name or beside it.
TEST_F(ExportVideoDlgTest, CancelInTheProgressWindowLeavesNoFile)
{
    CExportVideoDlg dialog(sequence, "SHOW.SIT", (base + "long.mp4").toStdString(), &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    // An hour for the slide that waits: far longer than the test.
    dialog.findChild<QSpinBox*>("wait")->setValue(3600);
    Press(dialog);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    QWidget owner;
    owner.show();
    CVideoExportJob* job = CVideoExportJob::Start(dialog.TakeExport(), &prompt, &owner);
    QSignalSpy finished(job, &CVideoExportJob::Finished);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(job->Progress()));
    QTest::mouseClick(job->Progress()->CancelButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(60000));
    EXPECT_EQ(finished.at(0).at(0).toInt(), int(CVideoExport::Cancelled));
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(QDir(base).entryList(QDir::Files | QDir::Hidden), QStringList{"SHOW.SIT"});
}
