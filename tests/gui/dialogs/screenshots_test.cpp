// Pictures of the dialogs for people to look at: written only when
// ZELM_SCREENSHOTS_DIR names a folder (scripts/screenshots.sh sets it).
#include "dialogtestutil.h"
#include "gui/dialogs/autoruneditdlg.h"
#include "gui/dialogs/cardcommands.h"
#include "gui/dialogs/cellpropdlg.h"
#include "gui/dialogs/ctrlpropdlg.h"
#include "gui/dialogs/deletedlg.h"
#include "gui/dialogs/effectdlg.h"
#include "gui/dialogs/exportvideodlg.h"
#include "gui/dialogs/fileopprogressdlg.h"
#include "gui/dialogs/projectdlg.h"
#include "gui/dialogs/saveasdlg.h"
#include "gui/dialogs/senddlg.h"
#include "gui/view/scenarioprinter.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "printtestutil.h"
#include "show/showsequence.h"
#include "support/scriptedprompt.h"
#include "support/tmpfsmount.h"

#include <QAction>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QProgressBar>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class Screenshots : public ::testing::Test
{
protected:
    void SetUp() override
    {
        out = qEnvironmentVariable("ZELM_SCREENSHOTS_DIR");
        if (out.isEmpty())
            GTEST_SKIP() << "ZELM_SCREENSHOTS_DIR is not set";
        ASSERT_TRUE(QDir().mkpath(out));
        ASSERT_TRUE(dir.isValid());
        card = dir.path() + "/card/";
        project = dir.path() + "/project/";
        ASSERT_TRUE(QDir().mkpath(card));
        ASSERT_TRUE(QDir().mkpath(project));
        for (const char* name : {"TRIP", "HARBOUR", "MUSEUM"}) {
            QDir().mkpath(card + name);
            QFile f(card + name + ".SIT");
            ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        }
        QFile list(card + "AUTORUN.SFC");
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write("[Autorun]\nHARBOUR.SIT\nTRIP.SIT\nREPEAT\n");
        volumes.push_back({card.toStdString(), "CARD", "/dev/sdb1", "vfat", CVolumeList::Removable,
                           900u << 20, 1u << 30});
        volumes.push_back(
            {"/", "", "/dev/sda1", "ext4", CVolumeList::Fixed, 20ull << 30, 100ull << 30});
    }

    void Save(QWidget& widget, const QString& name)
    {
        widget.show();
        QApplication::processEvents();
        QTest::qWait(50);
        const QString path = out + "/" + name + ".png";
        EXPECT_TRUE(widget.grab().save(path)) << path.toStdString();
        ++saved;
    }

    QString out, card, project;
    QTemporaryDir dir;
    std::vector<CVolumeList::Volume> volumes;
    CScriptedPrompt prompt;
    int saved = 0;
};

TEST_F(Screenshots, Dialogs)
{
    CCellPropData single;
    single.number = 3;
    single.name = "/home/ann/Pictures/harbour.jpg";
    single.motion = 1;
    single.interval = 12;
    single.valid = 1;
    single.effect = 2;
    CCellPropDlg cell(single, &prompt);
    Save(cell, "dialog-cell-properties");

    CCellPropData multi;
    multi.multiple = true;
    multi.interval = 0;
    multi.motion = 1;
    multi.effect = -1;
    CCellPropDlg cells(multi, &prompt);
    Save(cells, "dialog-cell-properties-multiple");

    CCtrlPropData control;
    control.valid = 1;
    control.number = 7;
    control.motion = 0;
    control.inputDev = 1;
    CCtrlPropDlg ctrl(control, &prompt);
    Save(ctrl, "dialog-control-properties");

    CEffectData effect;
    effect.disolve[0] = 6;
    effect.disolve[1] = 2;
    CEffectDlg effects(effect, &prompt);
    Save(effects, "dialog-effect");

    // The card is a folder here, not a mounted volume (which a volume of the
    // list would have to be, or the dialog shows it as gone).
    CDeleteDlg del({volumes.back()}, card.toStdString());
    ASSERT_GT(del.List()->count(), 1);
    del.List()->item(1)->setCheckState(Qt::Checked);
    Save(del, "dialog-delete-scenarios");

    CProjectSettings settings;
    settings.folder = dir.path().toStdString() + "/Documents/Zelm Tessara/";
    CProjectDlg newProject(settings, false, &prompt);
    QTest::keyClicks(newProject.findChild<QLineEdit*>("name"), "Trip");
    Save(newProject, "dialog-new-project");

    CSaveAsDlg saveAs("Trip", project.toStdString(), &prompt);
    Save(saveAs, "dialog-save-as");

    CSendDlg::ProjectInfo info{"Trip", 0x00808000, 1, 24};
    // The card as a folder: a volume entry that is no mount point is a card
    // taken out, "not ready".
    CSendDlg send(info, {}, card.toStdString(), &prompt);
    Save(send, "dialog-send");

    CAutorunEditDlg autorun(volumes, card.toStdString(), &prompt);
    Save(autorun, "dialog-autorun-editor");

    // A card with too little room for the project.
    const std::string small = (dir.path() + "/small/").toStdString();
    ASSERT_TRUE(QDir().mkpath(QString::fromStdString(small)));
    CTmpfsMount tmpfs(small, "1m");
    if (tmpfs.Mounted()) {
        CCellInfoList cells;
        for (int i = 0; i < 24; ++i)
            cells.Append(std::make_unique<CCellBmpInfo>());
        CSendDlg shortCard({"Trip", 0x00808000, 1, 24, &cells}, volumes, small, &prompt);
        Save(shortCard, "dialog-send-card-too-small");
    }
    CShowSequence show;
    CExportVideoDlg video(show, "Trip", (project + "Trip.mp4").toStdString(), &prompt);
    Save(video, "dialog-export-video");
    EXPECT_EQ(saved, tmpfs.Mounted() ? 11 : 10);
}

TEST_F(Screenshots, ProgressDuringSend)
{
    CZurDoc doc(&prompt);
    ASSERT_TRUE(MakePrintProject(doc, project, 40, true));
    for (int i = 0; i < doc.Cells.GetCount(); ++i) // send needs full pictures
        if (auto* image = dynamic_cast<CCellBmpInfo*>(doc.Cells.GetAt(i)))
            image->CellValid = 1;
    prompt.answers = {CUserPrompt::AnswerOk};
    QWidget window;
    window.resize(600, 400);
    window.show();
    bool grabbed = false;
    QTimer watcher;
    watcher.setInterval(5);
    QObject::connect(&watcher, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* progress = qobject_cast<CFileOpProgressDlg*>(w);
            if (!progress || !progress->isVisible() || grabbed ||
                progress->findChild<QProgressBar*>()->value() < 4)
                continue;
            grabbed = true;
            Save(*progress, "window-progress-send");
            QTest::mouseClick(progress->CancelButton(), Qt::LeftButton);
        }
    });
    watcher.start();
    bool ended = false;
    CCardCommands::SendTo(doc, card.toStdString(), &prompt, &window,
                          [&](CScenarioExport::Outcome, bool) { ended = true; });
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended; }, 60000));
    EXPECT_TRUE(grabbed);
}

TEST_F(Screenshots, PrintPreview)
{
    CZurDoc doc(&prompt);
    ASSERT_TRUE(MakePrintProject(doc, project, 30));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    CScenarioPrinter sheet(doc);
    QPrintPreviewDialog preview(&printer);
    QObject::connect(&preview, &QPrintPreviewDialog::paintRequested,
                     [&](QPrinter* p) { sheet.Print(*p, true); });
    preview.resize(900, 1000);
    preview.show();
    QApplication::processEvents();
    auto* widget = preview.findChild<QPrintPreviewWidget*>();
    ASSERT_TRUE(widget);
    widget->fitInView();
    Save(preview, "print-preview-page1");
    // The dialog's own "Next page" button, so its page number follows.
    QAction* next = nullptr;
    for (QAction* action : preview.findChildren<QAction*>())
        if (action->text().remove('&') == QStringLiteral("Next page"))
            next = action;
    ASSERT_TRUE(next);
    next->trigger();
    QApplication::processEvents();
    EXPECT_EQ(widget->currentPage(), 2);
    Save(preview, "print-preview-page2");
}

} // namespace
