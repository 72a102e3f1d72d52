#include "base/msgid.h"
#include "dialogtestutil.h"
#include "document/zurdoc.h"
#include "gui/dialogs/cardcombobox.h"
#include "gui/dialogs/cardcommands.h"
#include "gui/dialogs/fileopprogressdlg.h"
#include "gui/dialogs/senddlg.h"
#include "model/cellbmpinfo.h"
#include "output/cardidentity.h"
#include "support/scriptedprompt.h"
#include "support/tmpfsmount.h"
#include "support/zurdoctestutil.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <map>

namespace {

// Every file and folder under `root` with its size.
std::map<QString, qint64> Listing(const QString& root)
{
    std::map<QString, qint64> files;
    QDirIterator it(root, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        files[it.filePath()] = it.fileInfo().isDir() ? -1 : it.fileInfo().size();
    }
    return files;
}

TEST(FileOpProgressDlg, PercentFollowsTheSteps)
{
    CFileOpProgressDlg progress(nullptr);
    progress.SetPos(0);
    progress.SetStep(1);
    progress.SetRange(0, 4);
    progress.Show(true);
    progress.SetText("/a/long/path/to/the/card/picture.jpg");
    EXPECT_TRUE(progress.isVisible());
    for (int i = 0; i < 3; ++i)
        progress.StepIt();
    EXPECT_EQ(progress.PercentText(), "75%");
    EXPECT_EQ(progress.findChild<QProgressBar*>()->value(), 3);
    progress.StepIt();
    EXPECT_EQ(progress.PercentText(), "100%");
    EXPECT_EQ(progress.MessageText(), "/a/long/path/to/the/card/picture.jpg");
    // Two presses before the work asks count once.
    QTest::mouseClick(progress.CancelButton(), Qt::LeftButton);
    QTest::mouseClick(progress.CancelButton(), Qt::LeftButton);
    EXPECT_TRUE(progress.IsCancelled());
    EXPECT_FALSE(progress.IsCancelled());
    progress.Show(false);
    EXPECT_FALSE(progress.isVisible());
}

TEST(FileOpProgressDlg, CancelStopsASendAndLeavesTheCardAsItWas)
{
    QTemporaryDir projectDir, cardDir;
    const QString project = projectDir.path() + "/";
    const QString card = cardDir.path() + "/";
    // The card already holds a scenario and an autorun list.
    ASSERT_TRUE(QDir().mkpath(card + "OLD"));
    for (const QString& name :
         {QString("OLD.SIT"), QString("OLD/P0001.JPG"), QString("AUTORUN.SFC")}) {
        QFile f(card + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("old content of " + name.toUtf8());
    }
    const auto before = Listing(card);

    CScriptedPrompt prompt;
    prompt.answers = {CUserPrompt::AnswerOk}; // the confirmation
    CZurDoc doc(&prompt);
    doc.ProjectName = "Trip";
    doc.ProjectPath = project.toStdString();
    doc.Cells.ProjectFolder = project.toStdString();
    ASSERT_TRUE(doctest::addSlideCells(doc, 40));

    QWidget window;
    window.show();
    bool cancelled = false;
    bool windowTookInput = true;
    int shownPercentWhenCancelled = -1;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<CFileOpProgressDlg*>(w);
            if (!progress || !progress->isVisible() || cancelled)
                continue;
            // The send runs as a job: only its project takes no input.
            EXPECT_FALSE(progress->isModal());
            if (progress->findChild<QProgressBar*>()->value() < 2)
                continue;
            windowTookInput = window.isEnabled();
            shownPercentWhenCancelled = progress->PercentText().chopped(1).toInt();
            QTest::mouseClick(progress->CancelButton(), Qt::LeftButton);
            cancelled = true;
        }
    });
    watcher.start();
    bool ended = false;
    bool wantsAutorun = true;
    CScenarioExport::Outcome outcome = CScenarioExport::Sent;
    CCardCommands::SendTo(doc, card.toStdString(), &prompt, &window,
                          [&](CScenarioExport::Outcome o, bool wants) {
                              outcome = o;
                              wantsAutorun = wants;
                              ended = true;
                          });
    EXPECT_FALSE(ended) << "the send waits for nobody";
    EXPECT_TRUE(doc.IsBusy());
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 60000));
    watcher.stop();

    ASSERT_TRUE(cancelled) << "the progress window never showed progress";
    EXPECT_FALSE(windowTookInput);
    EXPECT_TRUE(window.isEnabled());
    EXPECT_FALSE(doc.IsBusy());
    EXPECT_GT(shownPercentWhenCancelled, 0);
    EXPECT_EQ(outcome, CScenarioExport::Failed);
    EXPECT_FALSE(wantsAutorun);
    EXPECT_EQ(Listing(card), before);
    // The progress window went with the send.
    QTest::qWait(10);
    for (QWidget* w : QApplication::topLevelWidgets())
        EXPECT_EQ(qobject_cast<CFileOpProgressDlg*>(w), nullptr);
}

TEST(SendDlg, WithNoRemovableVolumeTheCardIsEmptyAndOkWaits)
{
    std::vector<CVolumeList::Volume> volumes(2);
    volumes[0] = {"/", "", "/dev/sda1", "ext4", CVolumeList::Fixed, 0, 0};
    volumes[1] = {"/home/", "", "/dev/sda2", "ext4", CVolumeList::Fixed, 0, 0};
    CScriptedPrompt prompt;
    // Not even a card used last that has gone.
    CSendDlg dialog({"Trip", 0, 2, 3}, volumes, "/media/usb0/", &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    EXPECT_EQ(dialog.Cards()->Root(), "");
    EXPECT_EQ(dialog.Cards()->currentText(), "");
    auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_FALSE(ok->isEnabled());
    QTest::keyClick(ok, Qt::Key_Return);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(prompt.Ids().empty());
    // A folder chosen for the card lets OK go.
    QTemporaryDir dir;
    dialog.Cards()->SelectRoot(dir.path().toStdString());
    EXPECT_TRUE(ok->isEnabled());
}

TEST(SendDlg, ACardTooSmallIsSaidBeforeTheSendStarts)
{
    QTemporaryDir dir;
    const std::string card = dir.path().toStdString() + "/card/";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(card)));
    CTmpfsMount small(card, "64k");
    if (!small.Mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here (needs the right to mount)";
    CCellInfoList cells;
    for (int i = 0; i < 40; ++i)
        cells.Append(std::make_unique<CCellBmpInfo>());
    CScriptedPrompt prompt;
    // Uncompressed pictures: 2.25 MiB each cannot fit.
    CSendDlg::ProjectInfo info{"Trip", 0, 0, 40, &cells};
    CSendDlg dialog(info, {}, card, &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    ASSERT_EQ(dialog.Cards()->Root(), card);
    Press(dialog);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(prompt.Ids(), std::vector<int>{7366});
    // How much is needed against how much is free.
    EXPECT_NE(prompt.shown[0].text.find("MiB"), std::string::npos) << prompt.shown[0].text;
    EXPECT_NE(prompt.shown[0].text.find("KiB"), std::string::npos) << prompt.shown[0].text;
    EXPECT_TRUE(dialog.Root().empty());
}

TEST(SendDlg, AProjectThatWillNotFitIsShownShortAndOkAsks)
{
    QTemporaryDir dir;
    const std::string card = dir.path().toStdString() + "/card/";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(card)));
    CTmpfsMount small(card, "256k");
    if (!small.Mounted())
        GTEST_SKIP() << "a tmpfs cannot be mounted here (needs the right to mount)";
    // Six photos at the smallest quality: a few pages each at the least,
    // about a megabyte in all.
    CCellInfoList cells;
    for (int i = 0; i < 6; ++i)
        cells.Append(std::make_unique<CCellBmpInfo>());
    CScriptedPrompt prompt;
    prompt.answers = {CUserPrompt::AnswerNo, CUserPrompt::AnswerYes};
    CSendDlg dialog({"Trip", 0, 2, 6, &cells}, {}, card, &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    ASSERT_EQ(dialog.Cards()->Root(), card);
    // Both sizes: what is free and what the send needs.
    const QString shown = dialog.findChild<QLabel*>("freeSpace")->text();
    EXPECT_TRUE(shown.contains("too little")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("KiB")) << shown.toStdString();
    EXPECT_TRUE(shown.contains("MiB")) << shown.toStdString();

    // OK asks; No keeps the dialog, Yes (by the keyboard) sends.
    Press(dialog);
    ASSERT_EQ(prompt.Ids(), std::vector<int>{MsgId::CardMayBeTooSmall});
    EXPECT_EQ(prompt.shown[0].buttons, CUserPrompt::YesNo);
    EXPECT_NE(prompt.shown[0].text.find(card.substr(0, card.size() - 1)), std::string::npos);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.Root().empty());
    QTest::keyClick(&dialog, Qt::Key_Return);
    EXPECT_EQ(prompt.Ids().size(), 2u);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Root(), card);
    EXPECT_EQ(dialog.Identity(), CCardIdentity::Of(card));

    // The card pulled while the question is open: Yes sends nothing.
    const std::string other = dir.path().toStdString() + "/other/";
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(other)));
    CTmpfsMount pulled(other, "256k");
    ASSERT_TRUE(pulled.Mounted());
    CScriptedPrompt asked;
    asked.onShow = [&](int id) {
        if (id == MsgId::CardMayBeTooSmall)
            umount2(other.c_str(), MNT_DETACH);
    };
    CSendDlg gone({"Trip", 0, 2, 6, &cells}, {}, other, &asked);
    ASSERT_TRUE(ShowActive(gone));
    Press(gone);
    EXPECT_EQ(asked.Ids(), (std::vector<int>{MsgId::CardMayBeTooSmall, MsgId::CardNotReady}));
    EXPECT_TRUE(gone.isVisible());
    EXPECT_TRUE(gone.Root().empty());

    // A project that fits: nothing short, nothing asked.
    CCellInfoList none;
    CScriptedPrompt quiet;
    CSendDlg empty({"Trip", 0, 2, 0, &none}, {}, card, &quiet);
    ASSERT_TRUE(ShowActive(empty));
    EXPECT_FALSE(empty.findChild<QLabel*>("freeSpace")->text().contains("too little"));
    Press(empty);
    EXPECT_TRUE(quiet.Ids().empty());
    EXPECT_EQ(empty.result(), QDialog::Accepted);
}

TEST(SendDlg, TheFreeSpaceFollowsTheCardAndSaysWhenItIsNotReady)
{
    QTemporaryDir dir;
    const QString card = dir.path() + "/card/";
    ASSERT_TRUE(QDir().mkpath(card));
    CScriptedPrompt prompt;
    CSendDlg dialog({"Trip", 0, 2, 3}, {}, card.toStdString(), &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    auto* free = dialog.findChild<QLabel*>("freeSpace");
    EXPECT_NE(free->text(), "not ready");

    // Taken away while the dialog is open: said without any input.
    ASSERT_TRUE(QDir(card).removeRecursively());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return free->text() == "not ready"; }, 3 * CSendDlg::kPollMs));
    // Put back: the card that is there now is shown and taken.
    ASSERT_TRUE(QDir().mkpath(card));
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return free->text() != "not ready"; }, 3 * CSendDlg::kPollMs));
    EXPECT_TRUE(prompt.Ids().empty());

    // Another card in its place before the dialog has looked: OK says so
    // once, and a second OK takes the card that is there.
    ASSERT_TRUE(QDir().mkpath(dir.path() + "/other"));
    ASSERT_TRUE(QDir(card).removeRecursively());
    ASSERT_TRUE(QDir().rename(dir.path() + "/other", card.chopped(1)));
    const CCardIdentity swapped = CCardIdentity::Of(card.toStdString());
    ASSERT_TRUE(swapped.IsValid());
    Press(dialog);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::CardNotReady});
    EXPECT_TRUE(dialog.isVisible());
    Press(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Identity(), swapped);
}

TEST(SendDlg, ChosenCardThatIsGoneIsRefused)
{
    QTemporaryDir dir;
    const QString card = dir.path() + "/card/";
    ASSERT_TRUE(QDir().mkpath(card));
    CScriptedPrompt prompt;
    CSendDlg dialog({"Trip", 0, 2, 3}, {}, card.toStdString(), &prompt);
    ASSERT_TRUE(ShowActive(dialog));
    EXPECT_EQ(dialog.Cards()->Root(), card.toStdString());
    EXPECT_NE(dialog.findChild<QLabel*>("freeSpace")->text(), "unknown");
    ASSERT_TRUE(QDir(card).removeRecursively());
    Press(dialog);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::CardNotReady});
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.Root().empty());
    ASSERT_TRUE(QDir().mkpath(card));
    Press(dialog);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Root(), card.toStdString());
}

} // namespace
