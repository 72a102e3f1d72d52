#include "gui/view/thumbnailcache.h"

#include <QCoreApplication>
#include <QEvent>
#include <QImageReader>
#include <QMetaObject>

namespace {
// Thumbnails are at most 160 x 120; 32 MB hold some two thousand of them.
constexpr qsizetype kDefaultCost = 32 * 1024 * 1024;
// Nothing on disk that is meant as a thumbnail is bigger than this; a larger
// picture is scaled down while it is decoded.
constexpr int kMaxEdge = 320;
} // namespace

CThumbnailCache::CThumbnailCache(QObject* parent) : QObject(parent), m_cache(kDefaultCost)
{
    // Two decoders keep up with scrolling and leave the machine's other
    // cores to the conversions of an insertion.
    m_pool.setMaxThreadCount(2);
}

CThumbnailCache::~CThumbnailCache()
{
    m_pool.clear();
    m_pool.waitForDone();
}

QImage CThumbnailCache::Picture(const QString& path)
{
    if (path.isEmpty())
        return {};
    if (const QImage* image = m_cache.object(path))
        return *image;
    if (m_pending.contains(path) || m_failed.contains(path))
        return {};
    m_pending.insert(path);
    const quint64 generation = m_generation;
    // The destructor waits for every decode, so `self` outlives the task;
    // the result is handed over on the window's thread (an event posted to
    // an object that is going is dropped with it).
    CThumbnailCache* self = this;
    m_pool.start([self, path, generation] {
        QImageReader reader(path);
        reader.setAutoTransform(false);
        const QSize size = reader.size();
        if (size.isValid() && (size.width() > kMaxEdge || size.height() > kMaxEdge))
            reader.setScaledSize(size.scaled(kMaxEdge, kMaxEdge, Qt::KeepAspectRatio));
        QImage image = reader.read();
        if (!image.isNull())
            image = image.convertToFormat(QImage::Format_RGB32);
        QMetaObject::invokeMethod(
            self, [self, path, image, generation] { self->Finish(path, image, generation); },
            Qt::QueuedConnection);
    });
    return {};
}

void CThumbnailCache::Finish(const QString& path, const QImage& image, quint64 generation)
{
    if (generation != m_generation)
        return;
    m_pending.remove(path);
    if (image.isNull())
        m_failed.insert(path);
    else
        m_cache.insert(path, new QImage(image), image.sizeInBytes());
    Q_EMIT Loaded(path);
}

void CThumbnailCache::Forget()
{
    ++m_generation;
    m_cache.clear();
    m_pending.clear();
    m_failed.clear();
}

void CThumbnailCache::WaitForIdle()
{
    m_pool.waitForDone();
    QCoreApplication::sendPostedEvents(this, QEvent::MetaCall);
}
