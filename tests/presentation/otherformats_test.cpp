// Presentations of the current office formats, OpenDocument presentations
// and PDF documents become cells as .ppt presentations do.
#include "base/filefailure.h"
#include "base/msgid.h"
#include "document/zurdoc.h"
#include "editor/scenarioeditor.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "model/presentationblock.h"
#include "presentation/presentationreader.h"
#include "presentation/slidepptobj.h"
#include "presentation/zipcontainer.h"
#include "presentationfixtures.h"
#include "presentationtesting.h"
#include "support/projecteditortest.h"
#include "support/scriptedprogress.h"
#include "support/scriptedprompt.h"
#include "support/workcopies.h"
#include "testcompound.h"
#include "testpackages.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class OtherFormats : public ProjectEditorTest
{
protected:
    // The deck in `format`, copied beside the project as a user's file.
    std::string Deck(const std::string& fixture, const std::string& format)
    {
        return CopyInto(m_decks.path(), CPresentationFixtures::PathAs(fixture, format),
                        QString::fromStdString(fixture + "." + format));
    }
    std::string File(const std::string& name) const
    {
        return m_decks.filePath(QString::fromStdString(name)).toStdString();
    }
    bool Insert(const std::string& deck) { return InsertBlock(MakePresentationBlock(deck)); }
    int Shown(int r) const
    {
        return SlideShownIn(
            m_folder.filePath(QString::fromStdString(Row(r)->FileName)).toStdString());
    }
};

class OfficeFormat : public OtherFormats, public ::testing::WithParamInterface<const char*>
{
};

TEST_P(OfficeFormat, HiddenSlideGivesItsCellSwitchedOff)
{
    const std::string deck = Deck("hidden4", GetParam());
    ASSERT_TRUE(Insert(deck));
    EXPECT_TRUE(m_prompt.shown.empty());
    ASSERT_EQ(m_editor.Rows().GetCount(), 4);
    EXPECT_EQ(Pages(), (std::vector<int>{1, 2, 3, 4}));
    for (int r = 0; r < 4; ++r) {
        EXPECT_EQ(Row(r)->CellValid != 0, r != 1) << r;
        EXPECT_EQ(Row(r)->RefFilePath, deck);
        EXPECT_EQ(Row(r)->SourceKind, CCellBmpInfo::SourcePpt);
        EXPECT_EQ(Shown(r), r + 1);
    }
}

TEST_P(OfficeFormat, NamedShowGivesItsSlides)
{
    ASSERT_TRUE(Insert(Deck("custom6", GetParam())));
    EXPECT_EQ(Pages(), (std::vector<int>{5, 2, 4}));
    EXPECT_EQ(Shown(1), 2);
}

TEST_P(OfficeFormat, StartSlideRunsTheShowFromThere)
{
    ASSERT_TRUE(Insert(Deck("range7", GetParam())));
    EXPECT_EQ(Pages(), (std::vector<int>{3, 4, 5, 6, 7}));
    EXPECT_EQ(Shown(0), 3);
}

INSTANTIATE_TEST_SUITE_P(Formats, OfficeFormat, ::testing::Values("pptx", "ppsx", "odp"),
                         [](const auto& info) { return std::string(info.param); });

// LibreOffice draws the slides of macro-enabled packages and templates as
// it draws a presentation's.
TEST_F(OtherFormats, MacroEnabledPackagesAndTemplatesBecomeCells)
{
    testpackages::Parts pptm = testpackages::ReadZip(Deck("hidden4", "pptx"));
    ASSERT_FALSE(pptm.empty());
    for (auto& [name, bytes] : pptm) {
        if (name == "[Content_Types].xml")
            bytes.replace("application/vnd.openxmlformats-officedocument.presentationml."
                          "presentation.main+xml",
                          "application/vnd.ms-powerpoint.presentation.macroEnabled.main+xml");
    }
    ASSERT_TRUE(testpackages::WriteZip(File("macros.pptm"), pptm));
    testpackages::Parts otp = testpackages::ReadZip(Deck("custom6", "odp"));
    ASSERT_FALSE(otp.empty());
    // A template says so in its type and in its manifest.
    for (auto& [name, bytes] : otp) {
        if (name == "mimetype")
            bytes = "application/vnd.oasis.opendocument.presentation-template";
        else if (name == "META-INF/manifest.xml")
            bytes.replace("\"application/vnd.oasis.opendocument.presentation\"",
                          "\"application/vnd.oasis.opendocument.presentation-template\"");
    }
    ASSERT_TRUE(testpackages::WriteZip(File("show.otp"), otp));

    ASSERT_TRUE(Insert(File("macros.pptm")));
    EXPECT_TRUE(m_prompt.shown.empty());
    ASSERT_EQ(m_editor.Rows().GetCount(), 4);
    EXPECT_EQ(Row(1)->CellValid, 0) << "the hidden slide";
    EXPECT_EQ(Shown(3), 4);
    ASSERT_TRUE(Insert(File("show.otp")));
    EXPECT_TRUE(m_prompt.shown.empty());
    // The template's named show joins the four slides, before or after them.
    const std::vector<int> pages = Pages();
    EXPECT_TRUE(pages == (std::vector<int>{1, 2, 3, 4, 5, 2, 4}) ||
                pages == (std::vector<int>{5, 2, 4, 1, 2, 3, 4}));
}

TEST_F(OtherFormats, PdfPagesBecomeCellsWithoutLibreOffice)
{
    const std::string pdf = File("handout.pdf");
    ASSERT_TRUE(testpackages::WriteColouredPdf(pdf, {CPresentationFixtures::SlideColour(1),
                                                     CPresentationFixtures::SlideColour(2),
                                                     CPresentationFixtures::SlideColour(3)}));
    // Nothing named soffice on the path.
    QTemporaryDir emptyPath;
    CScopedEnv path("PATH", emptyPath.path().toStdString());
    ASSERT_TRUE(Insert(pdf));
    EXPECT_TRUE(m_prompt.shown.empty());
    EXPECT_EQ(Pages(), (std::vector<int>{1, 2, 3}));
    for (int r = 0; r < 3; ++r) {
        EXPECT_EQ(Row(r)->SourceKind, CCellBmpInfo::SourcePpt);
        EXPECT_EQ(Row(r)->RefFilePath, pdf);
        EXPECT_EQ(Shown(r), r + 1);
    }
}

TEST_F(OtherFormats, PortraitPdfPageGivesAnUnstretchedDisplayImage)
{
    // A 3:4 page standing upright, white with a black square in the middle.
    const std::string pdf = File("portrait.pdf");
    {
        QPdfWriter writer(QString::fromStdString(pdf));
        writer.setPageSize(
            QPageSize(QSizeF(540, 720), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(72);
        QPainter painter(&writer);
        painter.fillRect(QRect(0, 0, writer.width(), writer.height()), Qt::white);
        const int side = writer.width() / 2;
        painter.fillRect(
            QRect((writer.width() - side) / 2, (writer.height() - side) / 2, side, side),
            Qt::black);
        ASSERT_TRUE(painter.end());
    }
    ASSERT_TRUE(Insert(pdf));
    ASSERT_EQ(m_editor.Rows().GetCount(), 1);
    EXPECT_EQ(QSize(Row(0)->BmpSize[0], Row(0)->BmpSize[1]), QSize(576, 768));
    const QImage display(m_folder.filePath(QString::fromStdString(Row(0)->FileName)));
    ASSERT_EQ(display.size(), QSize(576, 768));
    int wide = 0;
    int high = 0;
    for (int x = 0; x < display.width(); ++x)
        wide += qGray(display.pixel(x, display.height() / 2)) < 64 ? 1 : 0;
    for (int y = 0; y < display.height(); ++y)
        high += qGray(display.pixel(display.width() / 2, y)) < 64 ? 1 : 0;
    EXPECT_NEAR(wide, 288, 3);
    EXPECT_NEAR(high, 288, 3);
    EXPECT_FALSE(Row(0)->ThumbFileName.empty());
}

TEST_F(OtherFormats, OneSlideMadeAgainGetsThePictureSizeOfTheShowsImport)
{
    // Pages of one size each: the import renders the show's pages straight
    // from its PDF, a cell made again goes through the one-slide export.
    const auto pdf = [this](const char* name, QSizeF points) {
        const std::string path = File(name);
        QPdfWriter writer(QString::fromStdString(path));
        writer.setPageSize(QPageSize(points, QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(72);
        QPainter painter(&writer);
        painter.fillRect(QRect(0, 0, writer.width(), writer.height()), Qt::darkCyan);
        writer.newPage();
        painter.fillRect(QRect(0, 0, writer.width(), writer.height()), Qt::darkRed);
        return painter.end() ? path : std::string();
    };
    const std::string wide = CPresentationFixtures::Path("wide3");
    ASSERT_FALSE(wide.empty());
    struct Case
    {
        const char* name;
        std::string deck;
        QSize size;
    } cases[] = {
        {"16:9 slides from LibreOffice", CopyInto(m_decks.path(), wide, "wide3.ppt"), {1024, 576}},
        {"16:9 PDF", pdf("wide.pdf", {960, 540}), {1024, 576}},
        {"upright 3:4 PDF", pdf("upright.pdf", {540, 720}), {576, 768}},
    };
    const std::string folder = m_folder.path().toStdString() + "/";
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.deck.empty());
        const int first = m_editor.Rows().GetCount();
        ASSERT_TRUE(Insert(c.deck));
        ASSERT_GT(m_editor.Rows().GetCount(), first + 1);
        const CCellBmpInfo& imported = *Row(first + 1);
        EXPECT_EQ(QSize(imported.BmpSize[0], imported.BmpSize[1]), c.size);
        EXPECT_EQ(QImage(QString::fromStdString(folder + imported.FileName)).size(), c.size);

        CCellBmpInfo again;
        again.CopyFrom(&imported);
        again.FileName.clear();
        ASSERT_TRUE(again.CreateDisplayFile(&m_doc, folder));
        EXPECT_EQ(QSize(again.BmpSize[0], again.BmpSize[1]), c.size);
        EXPECT_EQ(QImage(QString::fromStdString(folder + again.FileName)).size(), c.size);
        EXPECT_NE(again.FileName, imported.FileName);
    }
}

TEST_F(OtherFormats, PasswordProtectedFilesAreRefusedTheSameWayInEveryFormat)
{
    ASSERT_TRUE(testpackages::WriteEncryptedPdf(File("locked.pdf")));
    ASSERT_TRUE(
        WriteCompoundFile(File("locked.pptx"), {{"EncryptionInfo", QByteArray(64, '\4')},
                                                {"EncryptedPackage", QByteArray(512, 'x')}}));
    ASSERT_TRUE(testpackages::WriteZip(
        File("locked.odp"), {{"mimetype", "application/vnd.oasis.opendocument.presentation"},
                             {"META-INF/manifest.xml", testpackages::EncryptedManifest()},
                             {"content.xml", QByteArray(300, '\x93')}}));
    for (const char* name : {"locked.pdf", "locked.pptx", "locked.odp"}) {
        SCOPED_TRACE(name);
        const std::string path = File(name);
        CPptStructure structure;
        EXPECT_EQ(CPresentationReader::ReadFile(path, structure), CPptReader::Encrypted);
        m_prompt.shown.clear();
        EXPECT_FALSE(Insert(path));
        EXPECT_EQ(m_editor.Rows().GetCount(), 0);
        ASSERT_EQ(m_prompt.shown.size(), 1u);
        EXPECT_EQ(m_prompt.shown[0].id, MsgId::PresentationPasswordProtected);
        EXPECT_NE(m_prompt.shown[0].text.find(path), std::string::npos);
    }
}

TEST_F(OtherFormats, BadPackagesAreRefusedWithTheirReason)
{
    using testpackages::Pptx;
    using testpackages::WithMainType;
    const QByteArray slide = testpackages::SlideXml(false);
    const testpackages::Parts whole = Pptx({slide, testpackages::SlideXml(true)});
    const QByteArray showOfAMissingPart =
        "<p:custShowLst><p:custShow name=\"A\" id=\"0\"><p:sldLst><p:sld r:id=\"rId9\"/>"
        "</p:sldLst></p:custShow></p:custShowLst>";
    const QByteArray ninth =
        "<Relationship Id=\"rId9\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/slide\" Target=\"slides/slide9.xml\"/>";
    testpackages::Parts otp = {
        {"mimetype", "application/vnd.oasis.opendocument.presentation-template"},
        {"content.xml", QByteArray::fromStdString(CPresentationFixtures::Fodp([] {
             CPresentationFixtures::Deck deck;
             deck.slides = 2;
             deck.hidden = {2};
             return deck;
         }()))}};
    struct Case
    {
        const char* name;
        testpackages::Parts parts; // empty: plain text instead of a zip
        CPptReader::Failure failure;
    } cases[] = {
        {"whole.pptx", whole, CPptReader::NoFailure},
        {"sections.pptx", Pptx({slide, testpackages::SlideXml(true)}, -1, testpackages::Sections()),
         CPptReader::NoFailure},
        // Macro-enabled and template packages read alike; another office
        // document under a presentation's name does not.
        {"macros.pptm",
         WithMainType(whole, "application/vnd.ms-powerpoint.presentation.macroEnabled.main+xml"),
         CPptReader::NoFailure},
        {"template.potx",
         WithMainType(
             whole,
             "application/vnd.openxmlformats-officedocument.presentationml.template.main+xml"),
         CPptReader::NoFailure},
        {"letter.pptx",
         WithMainType(
             whole,
             "application/vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml"),
         CPptReader::NotPresentation},
        {"template.otp", otp, CPptReader::NoFailure},
        {"show-of-a-missing-part.pptx",
         testpackages::WithRelationship(Pptx({slide}, 1, showOfAMissingPart), ninth),
         CPptReader::Damaged},
        {"text.pptx", {}, CPptReader::NotPresentation},
        {"missing-slide.pptx", Pptx({slide}, 2), CPptReader::Damaged},
        {"entities.pptx", Pptx({testpackages::EntityBomb()}), CPptReader::Damaged},
        {"bomb.pptx", Pptx({slide}, 1, QByteArray(CZipContainer::kMaxPartBytes + 1024, ' ')),
         CPptReader::Damaged},
        {"no-main-part.pptx", {{"[Content_Types].xml", "<Types/>"}}, CPptReader::NotPresentation},
        {"not-odp.odp", {{"mimetype", "text/plain"}}, CPptReader::NotPresentation},
        {"empty.odp",
         {{"mimetype", "application/vnd.oasis.opendocument.presentation"},
          {"content.xml", "<office:document-content xmlns:office=\"o\"/>"}},
         CPptReader::Damaged},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = File(c.name);
        if (c.parts.empty())
            ASSERT_TRUE(testpackages::WriteFile(path, "This is no presentation."));
        else
            ASSERT_TRUE(testpackages::WriteZip(path, c.parts));
        CPptStructure structure;
        EXPECT_EQ(CPresentationReader::ReadFile(path, structure), c.failure);
        if (c.failure == CPptReader::NoFailure) {
            EXPECT_EQ(structure.slideHidden, (std::vector<uint8_t>{0, 1}));
        }
    }
    // Through an insertion: the message names the file and the part that is
    // missing (LibreOffice is never asked), nothing is inserted.
    CFakeSoffice never("touch \"$PIDFILE\"; exit 1");
    CScopedEnv path("PATH", never.PathValue());
    for (const char* name : {"missing-slide.pptx", "show-of-a-missing-part.pptx"}) {
        SCOPED_TRACE(name);
        m_prompt.shown.clear();
        EXPECT_FALSE(Insert(File(name)));
        EXPECT_EQ(m_editor.Rows().GetCount(), 0);
        ASSERT_EQ(m_prompt.shown.size(), 1u);
        EXPECT_EQ(m_prompt.shown[0].id, MsgId::PresentationPartMissing);
        EXPECT_NE(m_prompt.shown[0].text.find(File(name)), std::string::npos);
        EXPECT_NE(m_prompt.shown[0].text.find("ppt/slides/slide"), std::string::npos)
            << m_prompt.shown[0].text;
    }
    EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(never.PidFile())));

    // A zip cut short is damaged, not some other kind of file.
    QByteArray bytes;
    {
        QFile file(QString::fromStdString(File("whole.pptx")));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        bytes = file.readAll();
    }
    for (const qsizetype keep : {qsizetype(30), bytes.size() / 2, bytes.size() - 10}) {
        SCOPED_TRACE(keep);
        ASSERT_TRUE(testpackages::WriteFile(File("cut.pptx"), bytes.left(keep)));
        CPptStructure structure;
        EXPECT_EQ(CPresentationReader::ReadFile(File("cut.pptx"), structure), CPptReader::Damaged);
        EXPECT_EQ(CPresentationReader::Check(File("cut.pptx")), 8) << "refused when used";
    }
}

TEST_F(OtherFormats, ZipWithTooManyEntriesIsDamaged)
{
    testpackages::Parts parts = testpackages::Pptx({testpackages::SlideXml(false)});
    for (int i = 0; i < 20001; ++i)
        parts.emplace_back("filler/" + std::to_string(i), QByteArray("x"));
    ASSERT_TRUE(testpackages::WriteZip(File("crowded.pptx"), parts));
    CPptStructure structure;
    EXPECT_EQ(CPresentationReader::ReadFile(File("crowded.pptx"), structure), CPptReader::Damaged);
}

TEST_F(OtherFormats, LockFilesOfOfficeProgramsMarkThePresentationLocked)
{
    ASSERT_TRUE(testpackages::WriteZip(File("talk.pptx"),
                                       testpackages::Pptx({testpackages::SlideXml(false)})));
    EXPECT_EQ(CPresentationReader::Check(File("talk.pptx")), 8);
    for (const char* lock : {".~lock.talk.pptx#", "~$talk.pptx"}) {
        SCOPED_TRACE(lock);
        ASSERT_TRUE(testpackages::WriteFile(File(lock), "someone"));
        EXPECT_EQ(CPresentationReader::Check(File("talk.pptx")), -1);
        QFile::remove(QString::fromStdString(File(lock)));
    }
    EXPECT_EQ(CPresentationReader::Check(File("talk.pptx")), 8);
}

} // namespace
