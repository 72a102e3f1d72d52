#pragma once

#include <QCache>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QSize>
#include <QString>
#include <QThreadPool>

// The thumbnails of the rows on screen: decoded off the window's thread,
// kept in a cache bounded in bytes, so a long project never holds more than
// about a few screens of pictures and never decodes rows it does not show.
class CThumbnailCache : public QObject
{
    Q_OBJECT

public:
    explicit CThumbnailCache(QObject* parent = nullptr);
    // Waits for the decodes under way: they write into this object.
    ~CThumbnailCache() override;

    // The picture of `path` when it is decoded; otherwise a null image, and
    // the decode is started (Loaded follows). A file that cannot be decoded
    // is remembered as such and not tried again until Forget.
    QImage Picture(const QString& path);
    bool IsFailed(const QString& path) const { return m_failed.contains(path); }
    // Drops everything (the project's files changed under the same names).
    void Forget();
    void SetCostLimit(qsizetype bytes) { m_cache.setMaxCost(bytes); }
    qsizetype CostLimit() const { return m_cache.maxCost(); }
    int Count() const { return m_cache.count(); }
    int PendingCount() const { return m_pending.size(); }
    // Blocks until no decode is under way (tests and benchmarks).
    void WaitForIdle();

Q_SIGNALS:
    void Loaded(const QString& path);

private:
    void Finish(const QString& path, const QImage& image, quint64 generation);

    QCache<QString, QImage> m_cache;
    QSet<QString> m_pending;
    QSet<QString> m_failed;
    QThreadPool m_pool;
    quint64 m_generation = 0;
};
