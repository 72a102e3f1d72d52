// Pictures of the file browser in each view style on a folder of photos and
// presentations, and of the thumbnail window on a 12-slide presentation.
// scripts/screenshots.sh runs the "Screenshots" tests under Xvfb with
// ZELM_SCREENSHOTS_DIR set; without it they are skipped.
#include "browser/dirfileinfo.h"
#include "gui/browser/browserpanes.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/filelistctrl.h"
#include "gui/browser/filelistmodel.h"
#include "gui/browser/thumbnailwnd.h"
#include "presentation/presentationfixtures.h"

#include <QAbstractItemView>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QMainWindow>
#include <QPainter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <gtest/gtest.h>

namespace {

// Landscape-like photos: a sky, a hill and a sun, each in its own colours.
void makePhotos(const QString& folder)
{
    const QColor skies[] = {QColor(110, 170, 230), QColor(250, 170, 120), QColor(80, 90, 160),
                            QColor(150, 200, 240), QColor(240, 210, 150), QColor(120, 140, 200)};
    const char* names[] = {"beach.jpg", "sunset.jpg", "night.jpg",
                           "lake.jpg",  "dunes.png",  "harbour.bmp"};
    for (int i = 0; i < 6; ++i) {
        QImage image(640, 480, QImage::Format_RGB32);
        QPainter p(&image);
        QLinearGradient sky(0, 0, 0, 300);
        sky.setColorAt(0, skies[i].darker(130));
        sky.setColorAt(1, skies[i].lighter(130));
        p.fillRect(image.rect(), sky);
        p.setBrush(QColor(250, 230, 90));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPoint(120 + 70 * i, 110), 45, 45);
        p.setBrush(QColor(60 + 20 * i, 130, 70));
        p.drawEllipse(QRect(-200, 280, 1100, 500));
        p.end();
        ASSERT_TRUE(image.save(folder + QLatin1Char('/') + QString::fromLatin1(names[i])));
    }
}

class Screenshots : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_out = qEnvironmentVariable("ZELM_SCREENSHOTS_DIR");
        if (m_out.isEmpty())
            GTEST_SKIP() << "ZELM_SCREENSHOTS_DIR is not set";
        QDir().mkpath(m_out);
        m_folder = m_demo.path() + QStringLiteral("/Holiday slides");
        QDir().mkpath(m_folder + QStringLiteral("/Originals"));
        QDir().mkpath(m_folder + QStringLiteral("/Talks"));
        makePhotos(m_folder);
        for (const char* deck : {"deck12", "plain6"}) {
            const std::string path = CPresentationFixtures::Path(deck);
            ASSERT_FALSE(path.empty()) << "LibreOffice could not make " << deck;
            ASSERT_TRUE(QFile::copy(QString::fromStdString(path), m_folder + QLatin1Char('/') +
                                                                      QString::fromLatin1(deck) +
                                                                      QStringLiteral(".ppt")));
        }
        m_frame.setWindowTitle(QStringLiteral("Zelm Tessara"));
        auto* centre = new QTextEdit(&m_frame);
        centre->setReadOnly(true);
        centre->setAccessibleName(QStringLiteral("Project windows"));
        m_frame.setCentralWidget(centre);
        m_panes = new CBrowserPanes(m_frame);
        // The demo folder on a disk of its own, so the tree stays short.
        CVolumeList::Volume disk;
        disk.root = m_demo.path().toStdString() + "/";
        disk.label = "Photos";
        m_panes->SetVolumeSource([disk] { return std::vector<CVolumeList::Volume>{disk}; });
        m_frame.resize(1280, 800);
        m_frame.show();
        m_panes->Start(m_folder.toStdString());
        m_frame.resizeDocks({m_panes->FileBar()}, {460}, Qt::Vertical);
        QTest::qWait(300);
    }

    void Save(QWidget* widget, const char* name)
    {
        widget->repaint();
        QTest::qWait(50);
        const QString path = m_out + QLatin1Char('/') + QString::fromLatin1(name);
        EXPECT_TRUE(widget->grab().save(path)) << name;
    }

    QString m_out;
    QTemporaryDir m_demo;
    QString m_folder;
    QMainWindow m_frame;
    CBrowserPanes* m_panes = nullptr;
};

TEST_F(Screenshots, BrowserInEachViewStyle)
{
    const struct
    {
        int style;
        const char* name;
    } styles[] = {{CFileListCtrl::LargeIcons, "browser-large-icons.png"},
                  {CFileListCtrl::SmallIcons, "browser-small-icons.png"},
                  {CFileListCtrl::List, "browser-list.png"},
                  {CFileListCtrl::Details, "browser-details.png"}};
    ASSERT_EQ(m_panes->FileBar()->Model().rowCount(), 10);
    for (const auto& s : styles) {
        m_panes->SetListViewMode(s.style);
        QTest::qWait(800); // the picture icons arrive
        Save(&m_frame, s.name);
    }
}

TEST_F(Screenshots, ThumbnailWindowOnTwelveSlides)
{
    CFileListModel& model = m_panes->FileBar()->Model();
    QAbstractItemView* view = m_panes->FileBar()->List()->CurrentView();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.EntryAt(row)->Name == "deck12.ppt")
            view->setCurrentIndex(model.index(row, 0));
    }
    CThumbnailWnd* thumbnails = m_panes->FileBar()->Thumbnails();
    ASSERT_EQ(thumbnails->PresentationPath(), m_folder.toStdString() + "/deck12.ppt");
    QTRY_VERIFY_WITH_TIMEOUT(thumbnails->Total() == 12, 180000);
    const int visible = std::min(12, thumbnails->Columns() * thumbnails->Rows());
    QTRY_VERIFY_WITH_TIMEOUT(thumbnails->IsReported(visible - 1), 60000);
    thumbnails->SetHighlight(1);
    Save(&m_frame, "browser-presentation.png");
    Save(thumbnails, "thumbnail-window.png");
}

} // namespace
