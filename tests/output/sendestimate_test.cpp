// The room a send probably takes, which the send dialog warns with.
#include "model/cellbmpinfo.h"
#include "model/cellctrlinfo.h"
#include "model/cellinfolist.h"
#include "output/sendestimate.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

constexpr uint64_t kBmp = 54 + 1024 * 768 * 3;

void writeFile(const QString& path, qint64 size)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(QByteArray(size, 'x'));
}

} // namespace

TEST(SendEstimate, PicturesByQualityRoundedToTheCardsUnit)
{
    // Uncompressed pictures have their exact size; the JPEG qualities grow
    // with the quality (2 smallest, 1, then the best JPEG of other values).
    const uint64_t bmp = CSendEstimate::CardBytes(1, 1, 0, 1);
    EXPECT_GE(bmp, kBmp);
    EXPECT_LT(bmp, kBmp + 64 * 1024);
    EXPECT_GE(CSendEstimate::CardBytes(2, 2, 0, 1) - bmp, kBmp);
    EXPECT_GT(bmp, CSendEstimate::CardBytes(1, 1, 3, 1));
    EXPECT_GT(CSendEstimate::CardBytes(1, 1, 3, 1), CSendEstimate::CardBytes(1, 1, 1, 1));
    EXPECT_GT(CSendEstimate::CardBytes(1, 1, 1, 1), CSendEstimate::CardBytes(1, 1, 2, 1));
    // Control steps only lengthen the scenario file.
    EXPECT_LT(CSendEstimate::CardBytes(1, 40, 2, 1) - CSendEstimate::CardBytes(1, 1, 2, 1), 4096u);
    // On a card of 32 KiB clusters every file takes whole clusters: a picture,
    // its thumbnail and the scenario file at least one each.
    const uint64_t unit = 32 * 1024;
    for (int quality : {0, 1, 2}) {
        const uint64_t bytes = CSendEstimate::CardBytes(3, 4, quality, unit);
        EXPECT_EQ(bytes % unit, 0u) << quality;
        EXPECT_GE(bytes, 7 * unit) << quality;
    }
    EXPECT_EQ(CSendEstimate::CardBytes(0, 0, 2, unit), unit);
}

TEST(SendEstimate, TheScenarioReplacedFreesItsRoomButNotThroughALink)
{
    QTemporaryDir tmp, elsewhere;
    const QString card = tmp.path() + "/";
    CCellInfoList cells;
    for (int i = 0; i < 4; ++i)
        cells.Append(std::make_unique<CCellBmpInfo>());
    cells.Append(std::make_unique<CCellCtrlInfo>());
    auto deleted = std::make_unique<CCellBmpInfo>();
    deleted->StateFlags |= CCellInfo::StateDeleted;
    cells.Append(std::move(deleted));

    const uint64_t fresh = CSendEstimate::Growth(cells, 0, "Trip", card.toStdString());
    EXPECT_GE(fresh, 4 * kBmp); // the four visible pictures, not the deleted one
    EXPECT_LT(fresh, 5 * kBmp);

    // A scenario of the same name in another case, as a FAT card finds it.
    ASSERT_TRUE(QDir().mkpath(card + "TRIP"));
    writeFile(card + "TRIP/TRIP0001.BMP", qint64(kBmp));
    writeFile(card + "TRIP/TRIP0002.BMP", qint64(kBmp));
    writeFile(card + "TRIP.SIT", 100);
    const uint64_t replacing = CSendEstimate::Growth(cells, 0, "Trip", card.toStdString());
    EXPECT_LE(replacing, fresh - 2 * kBmp);
    EXPECT_GT(replacing, fresh - 3 * kBmp);
    // Nothing is needed when the old show is larger.
    writeFile(card + "TRIP/TRIP0003.BMP", qint64(5 * kBmp));
    EXPECT_EQ(CSendEstimate::Growth(cells, 0, "Trip", card.toStdString()), 0u);
    // Another scenario's room is not freed.
    EXPECT_EQ(CSendEstimate::Growth(cells, 0, "Other", card.toStdString()), fresh);

    // A scenario folder that is a link to elsewhere frees nothing here.
    ASSERT_TRUE(QDir(card + "TRIP").removeRecursively());
    ASSERT_TRUE(QFile::remove(card + "TRIP.SIT"));
    writeFile(elsewhere.path() + "/BIG.BMP", qint64(5 * kBmp));
    ASSERT_TRUE(QFile::link(elsewhere.path(), card + "TRIP"));
    EXPECT_EQ(CSendEstimate::Growth(cells, 0, "Trip", card.toStdString()), fresh);
}
