// Files dropped from the desktop's file manager (text/uri-list).
#include "base/msgid.h"
#include "model/cellbmpinfo.h"
#include "presentation/presentationfixtures.h"
#include "viewfixture.h"

#include <QFile>
#include <QImage>
#include <QUrl>
#include <algorithm>
#include <sys/stat.h>

namespace {

std::string MakePhoto(const std::string& path, QColor colour)
{
    QImage image(400, 300, QImage::Format_RGB32);
    image.fill(colour);
    EXPECT_TRUE(image.save(QString::fromStdString(path), "JPEG"));
    return path;
}

QMimeData* UriList(const std::vector<std::string>& paths)
{
    auto* data = new QMimeData;
    QList<QUrl> urls;
    for (const std::string& p : paths)
        urls.append(QUrl::fromLocalFile(QString::fromStdString(p)));
    data->setUrls(urls);
    return data;
}

std::string LabelOf(const ViewProject& p, int row)
{
    const CCellInfo* cell = p.editor->Rows().GetCell(row);
    return cell && cell->CellType == CCellInfo::Type::Image
               ? static_cast<const CCellBmpInfo*>(cell)->RefFilePath
               : "";
}

} // namespace

TEST_F(ViewFixture, TwoPhotosAndAPresentationDroppedBeforeRow2)
{
    const std::string deck = CPresentationFixtures::Path("plain6");
    if (deck.empty())
        GTEST_SKIP() << "LibreOffice made no presentation";
    const std::string photos = Folder("photos");
    QDir().mkpath(QString::fromStdString(photos));
    const std::string red = MakePhoto(photos + "red.jpg", Qt::red);
    const std::string blue = MakePhoto(photos + "blue.jpg", Qt::blue);
    ViewProject p(Folder("a"), {1, 2, 3});

    std::unique_ptr<QMimeData> data(UriList({red, blue, deck}));
    // A file manager's files are copied, never moved away.
    EXPECT_EQ(p.DropAt(data.get(), 1, Qt::CopyAction | Qt::MoveAction), Qt::CopyAction);
    ASSERT_EQ(p.editor->Rows().GetCount(), 3 + 2 + 6) << p.prompt.Ids().size();
    EXPECT_EQ(p.editor->Rows().GetCell(0)->AutoIntervalSec, 1);
    EXPECT_EQ(LabelOf(p, 1), red);
    EXPECT_EQ(LabelOf(p, 2), blue);
    for (int row = 3; row < 9; ++row) {
        const auto* slide = static_cast<const CCellBmpInfo*>(p.editor->Rows().GetCell(row));
        ASSERT_EQ(slide->CellType, CCellInfo::Type::Image);
        EXPECT_EQ(slide->RefFilePath, deck);
        EXPECT_EQ(slide->RefPage, row - 2);
        EXPECT_EQ(slide->SourceKind, CCellBmpInfo::SourcePpt);
    }
    EXPECT_EQ(p.editor->Rows().GetCell(9)->AutoIntervalSec, 2);
    EXPECT_EQ(p.editor->Rows().SelectedCount(), 8);
    EXPECT_TRUE(QFile::exists(red.c_str())) << "the dropped file stays";
    EXPECT_TRUE(p.prompt.shown.empty());
    // The photos' thumbnails load off the window's thread and paint.
    EXPECT_TRUE(p.view->Model()->Thumbnail(1).isNull());
    p.view->Model()->Thumbnails().WaitForIdle();
    EXPECT_FALSE(p.view->Model()->Thumbnail(1).isNull());
}

struct RefusedFile
{
    const char* name;
    int message;
};

class RefusedFiles : public ViewFixture, public ::testing::WithParamInterface<RefusedFile>
{
};

// One file that cannot become a slide stops the whole drop and is named.
TEST_P(RefusedFiles, NothingIsInsertedAndTheFileIsNamed)
{
    const std::string files = Folder("files");
    QDir().mkpath(QString::fromStdString(files + "folder.jpg"));
    const std::string good = MakePhoto(files + "good.jpg", Qt::green);
    QFile text(QString::fromStdString(files + "notes.txt"));
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("notes");
    text.close();
    QFile fake(QString::fromStdString(files + "fake.png"));
    ASSERT_TRUE(fake.open(QIODevice::WriteOnly));
    fake.write("not a picture at all");
    fake.close();
    // Pipes with nobody writing: a read of one would wait for ever.
    for (const char* pipe : {"pipe.jpg", "pipe.pdf", "pipe.pptx"})
        ASSERT_EQ(::mkfifo((files + pipe).c_str(), 0600), 0);

    ViewProject p(Folder("a"), {1, 2});
    const std::string bad = files + GetParam().name;
    std::unique_ptr<QMimeData> data(UriList({good, bad}));
    EXPECT_EQ(p.DropAt(data.get(), 0), Qt::IgnoreAction);
    EXPECT_EQ(p.Rows(), (std::vector<int>{1, 2}));
    ASSERT_EQ(p.prompt.shown.size(), 1u);
    EXPECT_EQ(p.prompt.shown[0].id, GetParam().message);
    EXPECT_NE(p.prompt.shown[0].text.find(bad), std::string::npos) << p.prompt.shown[0].text;
}

INSTANTIATE_TEST_SUITE_P(ViewFixture, RefusedFiles,
                         ::testing::Values(RefusedFile{"folder.jpg", 7170},
                                           RefusedFile{"notes.txt", 7171},
                                           RefusedFile{"vanished.jpg", 7159},
                                           RefusedFile{"fake.png", 7118},
                                           RefusedFile{"pipe.jpg", MsgId::NotARegularFile},
                                           RefusedFile{"pipe.pdf", MsgId::NotARegularFile},
                                           RefusedFile{"pipe.pptx", MsgId::NotARegularFile}),
                         [](const auto& info) {
                             std::string n = info.param.name;
                             std::replace(n.begin(), n.end(), '.', '_');
                             return n;
                         });
