// Pictures of a project window for people to look at (scripts/screenshots.sh
// runs the "Screenshots" tests on an X server with ZELM_SCREENSHOTS_DIR set).
#include "gui/view/celllistbox.h"
#include "model/cellbmpinfo.h"
#include "presentation/presentationfixtures.h"
#include "viewfixture.h"

#include <QDragEnterEvent>
#include <QImage>
#include <QMenu>
#include <QPainter>
#include <QUrl>

namespace {

std::string MakePicture(const std::string& path, const char* format, QSize size, QColor colour)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    painter.fillRect(image.rect(), colour);
    painter.setBrush(QColor(255, 255, 255, 160));
    painter.drawEllipse(image.rect().adjusted(size.width() / 4, size.height() / 4,
                                              -size.width() / 4, -size.height() / 4));
    painter.end();
    image.save(QString::fromStdString(path), format);
    return path;
}

} // namespace

class Screenshots : public ViewFixture
{
protected:
    void SetUp() override
    {
        ViewFixture::SetUp();
        out = qEnvironmentVariable("ZELM_SCREENSHOTS_DIR");
        if (out.isEmpty())
            GTEST_SKIP() << "ZELM_SCREENSHOTS_DIR is not set";
    }
    QString out;
};

TEST_F(Screenshots, ProjectWindow)
{
    const std::string pictures = Folder("pictures");
    QDir().mkpath(QString::fromStdString(pictures));
    std::vector<std::string> files = {
        MakePicture(pictures + "beach.jpg", "JPEG", {800, 600}, QColor(40, 120, 200)),
        MakePicture(pictures + "harbour.bmp", "BMP", {640, 480}, QColor(30, 150, 90)),
        MakePicture(pictures + "panorama.png", "PNG", {1200, 400}, QColor(200, 120, 40)),
    };
    const std::string deck = CPresentationFixtures::Path("plain6");
    if (!deck.empty())
        files.push_back(deck);
    ViewProject p(Folder("Trip"), {});
    p.doc->ProjectName = "Trip";
    p.doc->BackColor = 0x202020;
    p.view->resize(620, 720);

    auto data = std::make_unique<QMimeData>();
    QList<QUrl> urls;
    for (const std::string& f : files)
        urls.append(QUrl::fromLocalFile(QString::fromStdString(f)));
    data->setUrls(urls);
    ASSERT_EQ(p.DropAt(data.get(), -1), Qt::CopyAction);
    // Two control steps, one of them before the presentation's slides.
    p.Select({});
    p.editor->SetInsertionIndex(1);
    ASSERT_TRUE(p.editor->InsertControlCell());
    p.Select({});
    ASSERT_TRUE(p.editor->InsertControlCell());
    p.editor->Rows().GetCell(2)->CellValid = 0;
    p.Select({2, 3});
    p.editor->Rows().SetFocusRow(3);
    p.view->Refresh();
    p.view->ListBox()->setFocus();
    // The first paint asks for the thumbnails; they come off the window's
    // thread.
    p.view->grab();
    p.view->Model()->Thumbnails().WaitForIdle();
    QApplication::processEvents();

    const QImage shot = p.view->grab().toImage();
    ASSERT_FALSE(shot.isNull());
    EXPECT_TRUE(shot.save(out + QStringLiteral("/project-window.png")));

    std::unique_ptr<QMenu> menu(p.view->CreateContextMenu(2, nullptr));
    ASSERT_TRUE(menu);
    menu->adjustSize();
    const QImage menuShot = menu->grab().toImage();
    EXPECT_TRUE(menuShot.save(out + QStringLiteral("/project-context-menu.png")));
    EXPECT_TRUE(p.view->DragPixmap().save(out + QStringLiteral("/project-drag.png")));

    // Files dragged over the rows: the line where they would go.
    QMimeData photo;
    photo.setUrls({QUrl::fromLocalFile(QString::fromStdString(files[0]))});
    const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
    const QPoint at =
        p.view->ListBox()->visualRect(p.view->Model()->index(2)).topLeft() + QPoint(40, 4);
    QDragEnterEvent enter(at, actions, &photo, Qt::LeftButton, {});
    QApplication::sendEvent(p.Viewport(), &enter);
    ASSERT_EQ(p.view->ListBox()->DropLineRow(), 2);
    EXPECT_TRUE(p.view->grab().toImage().save(out + QStringLiteral("/project-drop-line.png")));
    QDragLeaveEvent leave;
    QApplication::sendEvent(p.Viewport(), &leave);
}
