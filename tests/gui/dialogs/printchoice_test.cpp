// What the user chooses in the print dialog is what comes out of the
// printer, and a print that fails says where and why.
#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "editor/scenarioeditor.h"
#include "gui/dialogs/fontui.h"
#include "gui/view/scenarioprinter.h"
#include "gui/view/scenarioview.h"
#include "printtestutil.h"
#include "support/scriptedprompt.h"
#include "support/tmpfsmount.h"

#include <QAbstractFileIconProvider>
#include <QApplication>
#include <QCompleter>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLineEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QSettings>
#include <QTemporaryDir>
#include <QTimer>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <gtest/gtest.h>
#include <poppler-qt6.h>
#include <sys/mount.h>
#include <sys/stat.h>

namespace {

TEST(PrintPageSequence, RangeCopiesCollationAndOrder)
{
    struct Case
    {
        int from, to, copies;
        bool collate, lastFirst;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {1, 3, 1, true, false, {1, 2, 3}},
        {2, 2, 1, true, false, {2}},
        {1, 3, 2, true, false, {1, 2, 3, 1, 2, 3}},
        {1, 3, 2, false, false, {1, 1, 2, 2, 3, 3}},
        {2, 3, 2, true, true, {3, 2, 3, 2}},
        {1, 2, 0, true, false, {1, 2}}, // no copies asked: one
        {3, 2, 1, true, false, {}},     // an empty range
        {0, 2, 1, true, false, {}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CPrintLayout::PageSequence(c.from, c.to, c.copies, c.collate, c.lastFirst),
                  c.pages)
            << c.from << "-" << c.to << " x" << c.copies;
}

class PrintChoiceTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        folder = dir.path() + "/";
        pdf = folder + "sheet.pdf";
    }

    void ToPdf(QPrinter& printer, const QString& file) const
    {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
    }

    // The page of the sheet each page of the PDF shows, told by its first
    // and last row numbers; 0 for a page that is none of them.
    std::vector<int> SheetPages(const CPrintLayout& l, const QString& file) const
    {
        std::vector<int> found;
        std::unique_ptr<Poppler::Document> document = Poppler::Document::load(file);
        if (!document)
            return found;
        for (int i = 0; i < document->numPages(); ++i) {
            std::unique_ptr<Poppler::Page> page(document->page(i));
            QStringList words;
            for (const auto& box : page->textList())
                words << box->text();
            int which = 0;
            for (int p = 1; p <= l.PageCount(); ++p) {
                if (words.contains(QString::number(l.FirstRow(p) + 1)) &&
                    words.contains(QString::number(l.LastRow(p) + 1)))
                    which = p;
            }
            // The row just above the page's first row is not on it.
            if (which > 1 && words.contains(QString::number(l.FirstRow(which))))
                which = 0;
            found.push_back(which);
        }
        return found;
    }

    QTemporaryDir dir;
    QString folder, pdf;
    CScriptedPrompt prompt;
};

TEST_F(PrintChoiceTest, ThePagesChosenAreThePagesPrinted)
{
    CZurDoc doc(&prompt);
    int rowsPerPage = 0;
    {
        QPrinter probe(QPrinter::HighResolution);
        ToPdf(probe, pdf);
        CScenarioPrinter sheet(doc);
        rowsPerPage = sheet.Begin(probe).RowsPerPage();
    }
    ASSERT_GT(rowsPerPage, 1);
    // Three pages, the last with one row.
    ASSERT_TRUE(MakePrintProject(doc, folder, 2 * rowsPerPage + 1));

    struct Case
    {
        const char* what;
        bool range;
        int from, to, copies;
        bool collate, lastFirst;
        std::vector<int> pages;
    };
    const Case cases[] = {
        {"page 2 to 2", true, 2, 2, 1, true, false, {2}},
        {"all pages", false, 0, 0, 1, true, false, {1, 2, 3}},
        {"two collated copies", false, 0, 0, 2, true, false, {1, 2, 3, 1, 2, 3}},
        {"2 to 9, two copies, last first", true, 2, 9, 2, false, true, {3, 3, 2, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        QFile::remove(pdf);
        QPrinter printer(QPrinter::HighResolution);
        ToPdf(printer, pdf);
        if (c.range) {
            printer.setPrintRange(QPrinter::PageRange);
            printer.setFromTo(c.from, c.to);
        }
        printer.setCopyCount(c.copies);
        printer.setCollateCopies(c.collate);
        printer.setPageOrder(c.lastFirst ? QPrinter::LastPageFirst : QPrinter::FirstPageFirst);
        CScenarioPrinter sheet(doc);
        ASSERT_TRUE(sheet.PrintChosen(printer, &prompt));
        EXPECT_EQ(sheet.Layout().PageCount(), 3);
        EXPECT_EQ(SheetPages(sheet.Layout(), pdf), c.pages);
        EXPECT_EQ(printer.outputFileName(), pdf) << "the printer keeps the user's file";
    }
    EXPECT_TRUE(prompt.shown.empty());

    // A range past the end of the sheet prints nothing and says so.
    QFile::remove(pdf);
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(4, 5);
    CScenarioPrinter sheet(doc);
    EXPECT_FALSE(sheet.PrintChosen(printer, &prompt));
    EXPECT_EQ(prompt.Ids(), (std::vector<int>{MsgId::PrintRangeOutside}));
    EXPECT_FALSE(QFileInfo::exists(pdf));
}

TEST_F(PrintChoiceTest, AnEmptyProjectPrintsItsHeaderPage)
{
    CZurDoc doc(&prompt);
    doc.ProjectName = "Empty";
    doc.ProjectPath = doc.Cells.ProjectFolder = folder.toStdString();
    CScenarioEditor editor(doc);
    CScenarioView view(doc, editor);
    EXPECT_EQ(view.StateOf(CScenarioView::PrintCommand), CommandState::Enabled);

    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf);
    CScenarioPrinter sheet(doc);
    ASSERT_TRUE(sheet.PrintChosen(printer, &prompt));
    std::unique_ptr<Poppler::Document> document = Poppler::Document::load(pdf);
    ASSERT_TRUE(document);
    ASSERT_EQ(document->numPages(), 1);
    std::unique_ptr<Poppler::Page> page(document->page(0));
    QStringList words;
    for (const auto& box : page->textList())
        words << box->text();
    EXPECT_TRUE(words.contains(QString::fromStdString(CResourceBundle::Text(MsgId::SlideHeader))));
}

// A PDF that cannot be written is told with its name and the reason, and
// nothing is left at its place.
TEST_F(PrintChoiceTest, APdfThatCannotBeWrittenSaysWhy)
{
    CZurDoc doc(&prompt);
    ASSERT_TRUE(MakePrintProject(doc, folder, 40));
    const std::string disk = folder.toStdString() + "disk";
    QDir().mkpath(QString::fromStdString(disk));
    CTmpfsMount mount(disk, "1m");

    struct Case
    {
        const char* what;
        QString file;
        std::function<bool()> prepare;
        std::string reason;
    };
    const Case cases[] = {
        {"a folder that does not exist", folder + "none/sheet.pdf", [] { return true; },
         std::strerror(ENOENT)},
        {"a folder that is not writable", QString::fromStdString(disk) + "/sheet.pdf",
         [&] {
             return mount.Mounted() &&
                    ::mount(nullptr, disk.c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr) == 0;
         },
         std::strerror(EROFS)},
        {"a full disk", QString::fromStdString(disk) + "/sheet.pdf",
         [&] {
             return ::mount(nullptr, disk.c_str(), nullptr, MS_REMOUNT, nullptr) == 0 &&
                    mount.Fill(0);
         },
         CResourceBundle::Text(MsgId::NotEnoughSpace)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        if (!c.prepare()) {
            std::printf("skipped: %s (a tmpfs cannot be mounted here)\n", c.what);
            continue;
        }
        prompt.shown.clear();
        QPrinter printer(QPrinter::HighResolution);
        ToPdf(printer, c.file);
        CScenarioPrinter sheet(doc);
        EXPECT_FALSE(sheet.PrintChosen(printer, &prompt));
        ASSERT_EQ(prompt.Ids(), (std::vector<int>{MsgId::FileNotWritten}));
        const std::string& text = prompt.shown[0].text;
        EXPECT_NE(text.find(c.file.toStdString()), std::string::npos) << text;
        EXPECT_NE(text.find(c.reason), std::string::npos) << text;
        EXPECT_FALSE(QFileInfo::exists(c.file));
        const QDir where = QFileInfo(c.file).dir();
        EXPECT_TRUE(
            where.entryList(QStringList{QStringLiteral(".zelmcopy-*")}, QDir::Files | QDir::Hidden)
                .isEmpty());
    }
}

// The dialog offers the page range, copies and collation, which the
// printing honours, and neither a selection nor a current page.
TEST_F(PrintChoiceTest, TheDialogOffersWhatThePrintingHonours)
{
    CZurDoc doc(&prompt);
    ASSERT_TRUE(MakePrintProject(doc, folder, 60));
    QPrinter printer(QPrinter::HighResolution);
    ToPdf(printer, pdf);
    printer.setPrintRange(QPrinter::PageRange);
    printer.setFromTo(7, 9); // from an earlier print
    CScenarioPrinter sheet(doc);
    bool seen = false;
    QAbstractPrintDialog::PrintDialogOptions options;
    int minPage = -1, maxPage = -1;
    QAbstractPrintDialog::PrintRange range = QAbstractPrintDialog::PageRange;
    int tries = 0;
    int fileFields = 0;
    bool nameOnlyTypes = false;
    const QString pipe = folder + "pipe.pdf";
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    std::function<void()> answer = [&] {
        QPrintDialog* dialog = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* d = qobject_cast<QPrintDialog*>(w); d && d->isVisible())
                dialog = d;
        if (!dialog) {
            if (++tries < 200)
                QTimer::singleShot(20, answer);
            return;
        }
        seen = true;
        // The output file's field completes without reading any file: its
        // model tells types by the kind of entry alone.
        for (QLineEdit* edit : dialog->findChildren<QLineEdit*>())
            if (edit->completer())
                if (auto* files = qobject_cast<QFileSystemModel*>(edit->completer()->model())) {
                    ++fileFields;
                    nameOnlyTypes = files->iconProvider() &&
                                    files->iconProvider()->type(QFileInfo(pipe)) == "Other" &&
                                    files->iconProvider()->type(QFileInfo(folder)) == "Folder";
                }
        options = dialog->options();
        minPage = dialog->minPage();
        maxPage = dialog->maxPage();
        range = dialog->printRange();
        dialog->reject();
    };
    QTimer::singleShot(0, answer);
    EXPECT_FALSE(sheet.PrintWithDialog(printer, nullptr, &prompt));
    ASSERT_TRUE(seen);
    EXPECT_EQ(fileFields, 1);
    EXPECT_TRUE(nameOnlyTypes);
    EXPECT_TRUE(options.testFlag(QAbstractPrintDialog::PrintPageRange));
    EXPECT_TRUE(options.testFlag(QAbstractPrintDialog::PrintCollateCopies));
    EXPECT_TRUE(options.testFlag(QAbstractPrintDialog::PrintToFile));
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintSelection));
    EXPECT_FALSE(options.testFlag(QAbstractPrintDialog::PrintCurrentPage));
    EXPECT_EQ(minPage, 1);
    EXPECT_EQ(maxPage, sheet.Layout().PageCount());
    EXPECT_EQ(range, QAbstractPrintDialog::AllPages) << "every print starts from the whole sheet";
    EXPECT_FALSE(QFileInfo::exists(pdf));
    EXPECT_TRUE(prompt.shown.empty());
}

TEST(PrintFont, IsWrittenBackToTheSettings)
{
    QSettings().remove(QStringLiteral("Settings/Font"));
    CZurDoc doc;
    {
        CScenarioPrinter sheet(doc);
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPointSize(11);
        font.setItalic(true);
        sheet.SetPrintFont(font);
    }
    QSettings settings;
    EXPECT_TRUE(settings.value(QStringLiteral("Settings/Font")).isValid());
    const QFont read = CScenarioPrinter::ReadPrintFont();
    EXPECT_EQ(read.family(), QStringLiteral("DejaVu Sans"));
    EXPECT_EQ(CFontUI::GetPointSize(read), 11);
    EXPECT_TRUE(read.italic());
    // The next printer starts from it.
    CScenarioPrinter next(doc);
    EXPECT_EQ(next.PrintFont().family(), QStringLiteral("DejaVu Sans"));
}

} // namespace
