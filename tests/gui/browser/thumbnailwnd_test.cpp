// The thumbnail window with real LibreOffice conversions, offscreen: tiles
// fill off the window's thread, a double click offers the slide as a block,
// and a presentation that cannot be converted is reported and hidden.
#include "base/msgid.h"
#include "gui/browser/thumbnailwnd.h"
#include "model/cellbmpinfo.h"
#include "model/cellinfolist.h"
#include "presentation/presentationfixtures.h"
#include "presentation/slidepptobj.h"
#include "support/scriptedprompt.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMimeData>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <fstream>
#include <gtest/gtest.h>

namespace {

// A deck of five slides, made once for this program.
std::string FiveSlides()
{
    static QTemporaryDir folder;
    static std::string path;
    if (path.empty()) {
        CPresentationFixtures::Deck deck;
        deck.name = "five";
        deck.slides = 5;
        const std::string base = folder.path().toStdString() + "/five";
        std::ofstream(base + ".fodp") << CPresentationFixtures::Fodp(deck);
        if (CPresentationFixtures::ConvertFolder(folder.path().toStdString() + "/"))
            path = base + ".ppt";
    }
    return path;
}

class ThumbnailWnd : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_window.SetPrompt(&m_prompt);
        m_window.SetWorkFolder(m_work.path().toStdString() + "/");
        m_window.resize(3 * CThumbnailWnd::TileWidth + 40, 2 * CThumbnailWnd::TileHeight + 10);
        m_window.show();
    }

    QTemporaryDir m_work;
    CScriptedPrompt m_prompt;
    CThumbnailWnd m_window;
};

TEST_F(ThumbnailWnd, DoubleClickOnSlideThreeOfFiveOffersThatSlide)
{
    const std::string deck = FiveSlides();
    ASSERT_FALSE(deck.empty()) << "LibreOffice could not make the deck";
    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(m_window.ShowPresentation(deck));
    // The conversion runs elsewhere: the call came back at once.
    EXPECT_LT(clock.elapsed(), 1000);
    EXPECT_TRUE(m_window.IsConverting());
    QTRY_VERIFY_WITH_TIMEOUT(m_window.IsReported(2), 180000);
    EXPECT_EQ(m_window.Total(), 5);
    EXPECT_EQ(m_window.Columns(), 3);
    EXPECT_EQ(m_window.Rows(), 2);

    QSignalSpy activated(&m_window, &CThumbnailWnd::SlideActivated);
    const QPoint third = m_window.TileRect(2).center();
    QTest::mouseDClick(m_window.viewport(), Qt::LeftButton, {}, third);
    ASSERT_EQ(activated.count(), 1);
    EXPECT_EQ(m_window.Highlighted(), 2);
    CCellInfoList cells;
    ASSERT_TRUE(cells.AppendFromBytes(activated.at(0).at(0).toByteArray()));
    ASSERT_EQ(cells.GetCount(), 1);
    const auto* cell = static_cast<const CCellBmpInfo*>(cells.GetAt(0));
    EXPECT_EQ(cell->RefFilePath, deck);
    EXPECT_EQ(cell->RefPage, 3);
    EXPECT_EQ(cells.ProjectFolder, m_work.path().toStdString() + "/");

    // Copy takes the highlighted slide as a one-cell block.
    QApplication::clipboard()->clear();
    QTest::keySequence(&m_window, QKeySequence::Copy);
    const QMimeData* copied = QApplication::clipboard()->mimeData();
    ASSERT_NE(copied, nullptr);
    EXPECT_EQ(copied->data(QStringLiteral("CellInfo List from ROvuv UR1")),
              activated.at(0).at(0).toByteArray());

    // The margin between two pictures is no slide.
    const QRect tile = m_window.TileRect(1);
    QTest::mouseDClick(m_window.viewport(), Qt::LeftButton, {},
                       QPoint(tile.left() + 3, tile.center().y()));
    EXPECT_EQ(activated.count(), 1);
    EXPECT_EQ(m_window.Highlighted(), -1);
}

TEST_F(ThumbnailWnd, PresentationReplacedOnDiskIsShownAgain)
{
    const std::string five = FiveSlides();
    const std::string six = CPresentationFixtures::Path("plain6");
    ASSERT_FALSE(five.empty());
    ASSERT_FALSE(six.empty());
    const QString shown = m_work.filePath(QStringLiteral("talk.ppt"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(five), shown));
    ASSERT_TRUE(m_window.ShowPresentation(shown.toStdString()));
    QTRY_VERIFY_WITH_TIMEOUT(m_window.IsReported(0), 180000);
    ASSERT_EQ(m_window.Total(), 5);

    // Another program writes a new version beside it and renames it over.
    const QString next = m_work.filePath(QStringLiteral("talk.tmp"));
    ASSERT_TRUE(QFile::copy(QString::fromStdString(six), next));
    ASSERT_TRUE(::rename(next.toLocal8Bit().constData(), shown.toLocal8Bit().constData()) == 0);
    QTRY_VERIFY_WITH_TIMEOUT(m_window.Total() == 6 && m_window.IsReported(0), 180000);
    EXPECT_EQ(m_window.PresentationPath(), shown.toStdString());
    EXPECT_TRUE(m_prompt.shown.empty());
}

TEST_F(ThumbnailWnd, PresentationThatCannotBeOpenedIsReportedAndHidden)
{
    const std::string broken = m_work.path().toStdString() + "/broken.ppt";
    {
        QFile f(QString::fromStdString(broken));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'z'));
    }
    EXPECT_TRUE(m_window.ShowPresentation(broken));
    QTRY_VERIFY_WITH_TIMEOUT(!m_prompt.shown.empty(), 180000);
    EXPECT_EQ(m_prompt.Ids(), std::vector<int>{MsgId::PresentationNotOpened});
    EXPECT_FALSE(m_window.isVisible());
    EXPECT_EQ(m_window.Total(), 0);

    EXPECT_FALSE(m_window.ShowPresentation(m_work.path().toStdString() + "/missing.ppt"));
    EXPECT_EQ(m_prompt.Ids().back(), MsgId::FileNotFound);
    EXPECT_FALSE(m_window.ShowPresentation(m_work.path().toStdString() + "/photo.jpg"));
    EXPECT_EQ(m_prompt.shown.size(), 2u);
}

TEST_F(ThumbnailWnd, WideSlideKeepsItsShapeInItsTile)
{
    // A 16:9 page, all red: in the 4:3 tile it fills the width, with the
    // window's own background above and below it.
    const QString pdf = m_work.filePath(QStringLiteral("wide.pdf"));
    {
        QPdfWriter writer(pdf);
        writer.setPageSize(
            QPageSize(QSizeF(960, 540), QPageSize::Point, QString(), QPageSize::ExactMatch));
        writer.setPageMargins(QMarginsF(0, 0, 0, 0));
        writer.setResolution(72);
        QPainter painter(&writer);
        painter.fillRect(QRect(0, 0, writer.width(), writer.height()), Qt::red);
        ASSERT_TRUE(painter.end());
    }
    ASSERT_TRUE(m_window.ShowPresentation(pdf.toStdString()));
    QTRY_VERIFY_WITH_TIMEOUT(m_window.IsReported(0), 60000);
    const QImage shown = m_window.viewport()->grab().toImage();
    const QRect tile = m_window.TileRect(0);
    const int x = tile.center().x();
    const int top = tile.top() + CThumbnailWnd::Margin;
    const int height = CThumbnailWnd::TileHeight - 2 * CThumbnailWnd::Margin;
    const auto red = [&shown](int y, int x) {
        const QRgb pixel = shown.pixel(x, y);
        return qRed(pixel) > 200 && qGreen(pixel) < 60 && qBlue(pixel) < 60;
    };
    EXPECT_TRUE(red(tile.center().y(), x));
    // A 160 x 90 picture in a 160 x 120 box: bands of 15 rows, above and below.
    EXPECT_FALSE(red(top + 5, x));
    EXPECT_FALSE(red(top + height - 6, x));
    EXPECT_TRUE(red(top + 20, x));
    EXPECT_TRUE(red(top + height - 21, x));
}

} // namespace
