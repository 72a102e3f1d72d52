#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "dialogtestutil.h"
#include "gui/dialogs/autoruneditdlg.h"
#include "gui/dialogs/autorunlistwidget.h"
#include "gui/dialogs/cardcombobox.h"
#include "gui/dialogs/deletedlg.h"
#include "support/scriptedprompt.h"

#include <QCheckBox>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QMimeData>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

class AutorunDlgTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        card = dir.path() + "/";
        for (const char* name : {"A", "B", "C", "D"})
            AddScenario(name);
    }

    void AddScenario(const QString& name)
    {
        ASSERT_TRUE(QDir().mkpath(card + name));
        QFile f(card + name + ".SIT");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("scenario");
    }

    void WriteList(const QByteArray& bytes)
    {
        QFile f(card + "AUTORUN.SFC");
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QByteArray ReadList()
    {
        QFile f(card + "AUTORUN.SFC");
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    std::unique_ptr<CAutorunEditDlg> Open()
    {
        auto dialog = std::make_unique<CAutorunEditDlg>(std::vector<CVolumeList::Volume>{},
                                                        card.toStdString(), &prompt);
        EXPECT_TRUE(ShowActive(*dialog));
        return dialog;
    }

    static QStringList Texts(const QListWidget* list)
    {
        QStringList texts;
        for (int i = 0; i < list->count(); ++i)
            texts << list->item(i)->text();
        return texts;
    }

    // Drops `data` on row `row` of `list` (below the last row when -1), as
    // a drag without modifiers ends.
    static void Drop(QListWidget* list, QMimeData* data, int row, Qt::DropActions actions)
    {
        QPoint at = row >= 0 ? list->visualItemRect(list->item(row)).center()
                             : QPoint(5, list->viewport()->height() - 2);
        QDragEnterEvent enter(at, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->viewport(), &enter);
        QDragMoveEvent move(at, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->viewport(), &move);
        QDropEvent drop(at, actions, data, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(list->viewport(), &drop);
    }

    QTemporaryDir dir;
    QString card;
    CScriptedPrompt prompt;
};

TEST_F(AutorunDlgTest, DragReorderWithinTheListWritesTheNewOrder)
{
    WriteList("[Autorun]\nA.SIT\nB.SIT\nC.SIT\nGONE.SIT\n");
    auto dialog = Open();
    CAutorunListWidget* list = dialog->AutorunList();
    // The missing scenario is pruned on loading.
    ASSERT_EQ(Texts(list), QStringList({"A.SIT", "B.SIT", "C.SIT"}));
    EXPECT_EQ(Texts(dialog->AvailableList()), QStringList({"A.SIT", "B.SIT", "C.SIT", "D.SIT"}));

    list->item(0)->setSelected(true);
    std::unique_ptr<QMimeData> data(list->DragData());
    EXPECT_TRUE(data->hasFormat("Autorun File Drag Drop"));
    Drop(list, data.get(), 2, Qt::CopyAction | Qt::MoveAction); // before C
    EXPECT_EQ(Texts(list), QStringList({"B.SIT", "A.SIT", "C.SIT"}));
    EXPECT_EQ(list->SelectedNames(), QStringList({"A.SIT"}));

    // Below the last row appends.
    std::unique_ptr<QMimeData> again(list->DragData());
    Drop(list, again.get(), -1, Qt::CopyAction | Qt::MoveAction);
    EXPECT_EQ(Texts(list), QStringList({"B.SIT", "C.SIT", "A.SIT"}));

    QCheckBox* repeat = dialog->RepeatBox();
    QTest::mouseClick(repeat, Qt::LeftButton, {}, QPoint(8, repeat->height() / 2));
    EXPECT_TRUE(repeat->isChecked());
    Press(*dialog);
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ReadList(), QByteArray("[Autorun]\nB.SIT\nC.SIT\nA.SIT\nREPEAT\n"));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST_F(AutorunDlgTest, AddAndDropFromTheCardsScenarios)
{
    WriteList("[Autorun]\nb.sit\n  repeat \n");
    auto dialog = Open();
    EXPECT_TRUE(dialog->RepeatBox()->isChecked());
    QListWidget* available = dialog->AvailableList();
    available->item(0)->setSelected(true); // A
    available->item(1)->setSelected(true); // B, listed already
    QTest::mouseClick(dialog->findChild<QPushButton*>("add"), Qt::LeftButton);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::AlreadyInAutorun});
    EXPECT_EQ(Texts(dialog->AutorunList()), QStringList({"B.SIT", "A.SIT"}));

    available->clearSelection();
    available->item(3)->setSelected(true); // D, dropped on B
    std::unique_ptr<QMimeData> data(dialog->AvailableList()->DragData());
    Drop(dialog->AutorunList(), data.get(), 0, Qt::CopyAction);
    EXPECT_EQ(Texts(dialog->AutorunList()), QStringList({"D.SIT", "B.SIT", "A.SIT"}));
    Press(*dialog, QDialogButtonBox::Cancel);
    EXPECT_EQ(ReadList(), QByteArray("[Autorun]\nb.sit\n  repeat \n")); // Cancel writes nothing
}

TEST_F(AutorunDlgTest, DamagedListShowsWhatWasReadAndIsNotEmptiedWithoutAsking)
{
    // A second header inside the section: the entries before it are kept.
    const QByteArray repeated("[Autorun]\nC.SIT\n[Autorun]\nA.SIT\n");
    WriteList(repeated);
    {
        auto dialog = Open();
        EXPECT_TRUE(dialog->ListDamaged());
        EXPECT_EQ(Texts(dialog->AutorunList()), QStringList({"C.SIT"}));
        EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::AutorunListDamaged});
        // Emptied, then OK: the user is asked, and No keeps the file.
        dialog->AutorunList()->selectAll();
        QTest::mouseClick(dialog->findChild<QPushButton*>("remove"), Qt::LeftButton);
        prompt.answers = {CUserPrompt::AnswerNo};
        Press(*dialog);
        EXPECT_EQ(prompt.Ids(),
                  (std::vector<int>{MsgId::AutorunListDamaged, MsgId::AutorunReplaceDamaged}));
        EXPECT_TRUE(dialog->isVisible());
        EXPECT_EQ(ReadList(), repeated);
    }
    // Binary rubbish: its lines are dropped (7122), nothing is shown, and
    // nothing is written without asking.
    const QByteArray rubbish("\x00\x01\x02[Autorun]\xff\xfe", 11);
    WriteList(rubbish);
    prompt.shown.clear();
    prompt.answers = {CUserPrompt::AnswerOk, CUserPrompt::AnswerNo};
    auto dialog = Open();
    EXPECT_TRUE(Texts(dialog->AutorunList()).isEmpty());
    Press(*dialog);
    EXPECT_EQ(prompt.Ids(),
              (std::vector<int>{MsgId::AutorunListDamaged, MsgId::AutorunReplaceDamaged}));
    EXPECT_EQ(ReadList(), rubbish);
}

TEST_F(AutorunDlgTest, CardTakenOutWhileOpenIsNotWritten)
{
    WriteList("[Autorun]\nA.SIT\n");
    auto dialog = Open();
    ASSERT_EQ(Texts(dialog->AutorunList()), QStringList({"A.SIT"}));
    ASSERT_TRUE(QDir(card).removeRecursively());
    Press(*dialog);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::CardNotReady});
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_FALSE(QDir(card).exists());
}

TEST_F(AutorunDlgTest, ReadOnlyCardReportsTheFailedWrite)
{
    WriteList("[Autorun]\nA.SIT\n");
    auto dialog = Open();
    // A card folder where the list cannot be written: the list is a folder.
    ASSERT_TRUE(QFile::remove(card + "AUTORUN.SFC"));
    ASSERT_TRUE(QDir().mkpath(card + "AUTORUN.SFC"));
    Press(*dialog);
    EXPECT_EQ(prompt.Ids(), std::vector<int>{MsgId::FileNotWritten});
    EXPECT_EQ(dialog->result(), QDialog::Accepted); // closes anyway, as after any write failure
    EXPECT_TRUE(QFileInfo(card + "AUTORUN.SFC").isDir());
}

TEST(DeleteDlg, ListsTheCardsScenariosWithCheckBoxes)
{
    QTemporaryDir dir;
    const QString card = dir.path() + "/";
    for (const char* name : {"trip.sit", "SHOW.SIT", "notes.txt"}) {
        QFile f(card + name);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    CDeleteDlg dialog({}, card.toStdString());
    ASSERT_TRUE(ShowActive(dialog));
    // Its title is not cut: the window is wider than the title's text.
    EXPECT_GT(dialog.width(), dialog.fontMetrics().horizontalAdvance(dialog.windowTitle()) + 100);
    QListWidget* list = dialog.List();
    ASSERT_EQ(list->count(), 2);
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) {
        texts << list->item(i)->text();
        EXPECT_EQ(list->item(i)->checkState(), Qt::Unchecked);
    }
    texts.sort();
    EXPECT_EQ(texts, QStringList({"SHOW.SIT", "TRIP.SIT"}));
    list->findItems("TRIP.SIT", Qt::MatchExactly)[0]->setCheckState(Qt::Checked);
    Press(dialog);
    ASSERT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Root(), card.toStdString());
    EXPECT_EQ(dialog.Names(), std::vector<std::string>{"TRIP.SIT"});
}

TEST(CardComboBox, RemovableFirstNoOpticalChooseFolderLast)
{
    std::vector<CVolumeList::Volume> volumes(3);
    volumes[0] = {"/", "", "/dev/sda1", "ext4", CVolumeList::Fixed, 0, 0};
    volumes[1] = {"/media/cd/", "DISC", "/dev/sr0", "iso9660", CVolumeList::Optical, 0, 0};
    volumes[2] = {"/media/card/", "CARD", "/dev/sdb1", "vfat", CVolumeList::Removable, 0, 0};
    CCardComboBox cards(volumes);
    ASSERT_EQ(cards.count(), 3);
    EXPECT_EQ(cards.Root(), "");
    cards.OfferCard({});
    EXPECT_EQ(cards.Root(), "/media/card/");
    EXPECT_EQ(cards.itemText(1), "/");
    EXPECT_EQ(cards.itemText(2).toStdString(), CResourceBundle::Text(MsgId::ChooseFolderEntry));
}

TEST(DeleteDlg, ACardThatHasGoneIsShownAsGone)
{
    QTemporaryDir dir;
    const QString card = dir.path() + "/card/";
    ASSERT_TRUE(QDir().mkpath(card));
    QFile(card + "TRIP.SIT").open(QIODevice::WriteOnly);
    CDeleteDlg dialog({}, card.toStdString());
    ASSERT_TRUE(ShowActive(dialog));
    ASSERT_EQ(dialog.List()->count(), 1);
    // Taken out while the dialog is up, then looked at again.
    ASSERT_TRUE(QDir(card).removeRecursively());
    Press(dialog);
    EXPECT_TRUE(dialog.isVisible());
    ASSERT_EQ(dialog.List()->count(), 1);
    const QString text = dialog.List()->item(0)->text();
    EXPECT_TRUE(text.contains(QStringLiteral("has gone"))) << text.toStdString();
    EXPECT_TRUE(text.contains(dir.path() + "/card")) << text.toStdString();
    EXPECT_FALSE(dialog.List()->item(0)->flags() & Qt::ItemIsUserCheckable);
    auto* ok = dialog.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok);
    EXPECT_FALSE(ok->isEnabled());
    EXPECT_TRUE(dialog.Names().empty());
}

} // namespace
