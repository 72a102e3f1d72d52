#include "gui/browser/iconloader.h"

#include "base/outsidefile.h"
#include "imaging/imagedecoder.h"
#include "imaging/photodecoder.h"

#include <QFile>
#include <QImageReader>

namespace {

// Larger pictures are not worth an icon and could exhaust memory.
constexpr qint64 kMaxPixels = 100LL * 1000 * 1000;

} // namespace

CIconLoader::CIconLoader(QObject* parent) : QObject(parent)
{
    m_pool.setMaxThreadCount(2);
}

CIconLoader::~CIconLoader()
{
    m_pool.clear();
    m_pool.waitForDone();
}

QImage CIconLoader::Load(const QString& path, int size, bool& readable)
{
    readable = false;
    // Never a pipe or device: a read of one could wait for ever.
    QFile file;
    if (COutsideFile::Open(path.toStdString(), file).IsFailure())
        return {};
    if (CPhotoDecoder::Sniff(file.peek(16)) != CPhotoDecoder::None &&
        file.size() <= CImageDecoder::kMaxFileBytes) {
        // Photos the picture readers of Qt do not know: the program's own
        // decoder, reduced where the codec can.
        QImage image;
        QSize full;
        const auto icon = [size](const QSize& s) {
            return s.scaled(size, size, Qt::KeepAspectRatio);
        };
        if (!CImageDecoder::Decode(file.readAll(), false, icon, image, full))
            return {};
        image = image.scaled(icon(image.size()).expandedTo(QSize(1, 1)), Qt::IgnoreAspectRatio,
                             Qt::SmoothTransformation);
        readable = !image.isNull();
        return image;
    }
    file.seek(0);
    QImageReader reader(&file);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (!full.isValid() || qint64(full.width()) * full.height() > kMaxPixels)
        return {};
    reader.setScaledSize(
        full.scaled(QSize(size, size), Qt::KeepAspectRatio).expandedTo(QSize(1, 1)));
    QImage image = reader.read();
    readable = !image.isNull();
    return image;
}

bool CIconLoader::IsReadable(const QString& path)
{
    QFile file;
    if (COutsideFile::Open(path.toStdString(), file).IsFailure())
        return false;
    QImageReader reader(&file);
    const QSize full = reader.size();
    return reader.canRead() && full.isValid() && qint64(full.width()) * full.height() <= kMaxPixels;
}

void CIconLoader::Check(const QString& path)
{
    const QString key = path + QStringLiteral("\ncheck");
    if (m_pending.contains(key))
        return;
    m_pending.insert(key);
    // Below the icons the views wait for.
    m_pool.start(
        [this, path, key] {
            const bool readable = IsReadable(path);
            QMetaObject::invokeMethod(
                this,
                [this, path, readable, key] {
                    if (m_pending.remove(key))
                        Q_EMIT Checked(path, readable);
                },
                Qt::QueuedConnection);
        },
        -1);
}

void CIconLoader::Request(const QString& path, int size)
{
    const QString key = path + QLatin1Char('\n') + QString::number(size);
    if (m_pending.contains(key))
        return;
    m_pending.insert(key);
    m_pool.start([this, path, size, key] {
        bool readable = false;
        const QImage image = Load(path, size, readable);
        QMetaObject::invokeMethod(
            this,
            [this, path, size, image, readable, key] {
                if (m_pending.remove(key))
                    Q_EMIT Loaded(path, size, image, readable);
            },
            Qt::QueuedConnection);
    });
}

void CIconLoader::Cancel()
{
    m_pool.clear();
    m_pending.clear();
}

bool CIconLoader::WaitForDone(int milliseconds)
{
    return m_pool.waitForDone(milliseconds);
}
