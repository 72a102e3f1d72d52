// Draws the file browser in each view style on a folder of photos and
// presentations, and the thumbnail window on a 12-slide presentation, into
// PNG files: zelm-browser-capture OUTPUT_FOLDER. The presentations are the
// decks of the presentation tests (made by LibreOffice once per build).
#include "base/resourcebundle.h"
#include "gui/browser/browserpanes.h"
#include "gui/browser/dirtreectrl.h"
#include "gui/browser/filedlgbar.h"
#include "gui/browser/filelistctrl.h"
#include "gui/browser/filelistmodel.h"
#include "gui/browser/folderdlgbar.h"
#include "gui/browser/thumbnailwnd.h"
#include "presentation/presentationfixtures.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLinearGradient>
#include <QMainWindow>
#include <QPainter>
#include <QTemporaryDir>
#include <QTextEdit>
#include <cstdio>
#include <cstdlib>

namespace {

void wait(int milliseconds)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < milliseconds)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
}

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
        image.save(folder + QLatin1Char('/') + QString::fromLatin1(names[i]));
    }
}

bool save(QWidget* widget, const QString& path)
{
    widget->repaint();
    wait(50);
    const bool ok = widget->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Pellyx"));
    QCoreApplication::setApplicationName(QStringLiteral("Zelm Tessara"));
    if (argc < 2) {
        std::fprintf(stderr, "usage: zelm-browser-capture OUTPUT_FOLDER\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    QDir().mkpath(out);
    if (!CResourceBundle::Load()) {
        std::fprintf(stderr, "resource bundle missing\n");
        return 1;
    }
    QTemporaryDir demo;
    const QString folder = demo.path() + QStringLiteral("/Holiday slides");
    QDir().mkpath(folder + QStringLiteral("/Originals"));
    QDir().mkpath(folder + QStringLiteral("/Talks"));
    makePhotos(folder);
    for (const char* deck : {"deck12", "plain6", "hidden4"}) {
        const std::string path = CPresentationFixtures::Path(deck);
        if (!path.empty())
            QFile::copy(QString::fromStdString(path), folder + QLatin1Char('/') +
                                                          QString::fromLatin1(deck) +
                                                          QStringLiteral(".ppt"));
    }

    QMainWindow frame;
    frame.setWindowTitle(QStringLiteral("Zelm Tessara"));
    auto* centre = new QTextEdit(&frame);
    centre->setReadOnly(true);
    centre->setAccessibleName(QStringLiteral("Project windows"));
    frame.setCentralWidget(centre);
    CBrowserPanes panes(frame);
    frame.resize(1280, 800);
    frame.show();
    panes.Start(folder.toStdString());
    frame.resizeDocks({panes.FileBar()}, {460}, Qt::Vertical);
    wait(300);

    const struct
    {
        int style;
        const char* name;
    } styles[] = {{CFileListCtrl::LargeIcons, "browser-large-icons"},
                  {CFileListCtrl::SmallIcons, "browser-small-icons"},
                  {CFileListCtrl::List, "browser-list"},
                  {CFileListCtrl::Details, "browser-details"}};
    bool ok = true;
    for (const auto& s : styles) {
        panes.SetListViewMode(s.style);
        wait(800); // picture icons arrive
        ok = save(&frame,
                  out + QLatin1Char('/') + QString::fromLatin1(s.name) + QStringLiteral(".png")) &&
             ok;
    }

    // The 12-slide presentation selected: its slides in the preview.
    CFileListModel& model = panes.FileBar()->Model();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (model.EntryAt(row)->Name == "deck12.ppt") {
            panes.FileBar()->List()->CurrentView()->setCurrentIndex(model.index(row, 0));
            break;
        }
    }
    CThumbnailWnd* thumbnails = panes.FileBar()->Thumbnails();
    QElapsedTimer clock;
    clock.start();
    // The conversion first, then the tiles of the first screenful.
    while (clock.elapsed() < 180000 && thumbnails->IsConverting())
        wait(100);
    const int visible = std::min(thumbnails->Total(), thumbnails->Columns() * thumbnails->Rows());
    while (clock.elapsed() < 180000 && visible > 0 && !thumbnails->IsReported(visible - 1))
        wait(100);
    wait(1500);
    thumbnails->SetHighlight(1);
    ok = save(&frame, out + QStringLiteral("/browser-presentation.png")) && ok;
    ok = save(thumbnails, out + QStringLiteral("/thumbnail-window.png")) && ok;
    return ok ? 0 : 1;
}
