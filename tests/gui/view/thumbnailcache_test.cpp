// Thumbnails decoded off the window's thread into a bounded cache.
#include "gui/view/thumbnailcache.h"

#include <QImage>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

TEST(ThumbnailCache, DecodesOffTheWindowThreadAndStaysWithinItsBound)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QImage picture(160, 120, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    QStringList paths;
    for (int i = 0; i < 40; ++i) {
        paths << dir.filePath(QStringLiteral("t%1.jpg").arg(i));
        ASSERT_TRUE(picture.save(paths.back()));
    }
    paths << dir.filePath(QStringLiteral("missing.jpg"));

    CThumbnailCache cache;
    cache.SetCostLimit(10 * picture.sizeInBytes());
    QSignalSpy loaded(&cache, &CThumbnailCache::Loaded);
    for (const QString& path : paths)
        EXPECT_TRUE(cache.Picture(path).isNull()) << "nothing is decoded on the caller's thread";
    cache.WaitForIdle();
    EXPECT_EQ(loaded.count(), paths.size());
    EXPECT_LE(cache.Count(), 10);
    EXPECT_EQ(cache.PendingCount(), 0);
    EXPECT_FALSE(cache.Picture(paths[39]).isNull());
    // A file that cannot be decoded is not tried again and again.
    EXPECT_TRUE(cache.IsFailed(paths.back()));
    EXPECT_TRUE(cache.Picture(paths.back()).isNull());
    EXPECT_EQ(cache.PendingCount(), 0);
}
