#include "presentation/sliderenderer.h"

#include "base/safefile.h"
#include "presentation/pdfpageimages.h"
#include "presentation/presentationreader.h"
#include "presentation/sofficeconverter.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <sys/stat.h>
#include <utility>

CSlideRenderer::CSlideRenderer(std::string presentation, int slideCount, std::string cacheFolder,
                               int timeoutMs)
    : m_presentation(std::move(presentation)), m_slideCount(slideCount),
      m_cacheFolder(std::move(cacheFolder)), m_timeoutMs(timeoutMs)
{}

CSlideRenderer::~CSlideRenderer() = default;

std::string CSlideRenderer::CachedPdfPath(const std::string& cacheFolder,
                                          const std::string& presentation)
{
    struct stat st
    {
    };
    if (::stat(presentation.c_str(), &st) != 0)
        return {};
    const QString absolute = QFileInfo(QString::fromStdString(presentation)).absoluteFilePath();
    const QByteArray key = absolute.toUtf8() + '\n' + QByteArray::number(qint64(st.st_size)) +
                           '\n' + QByteArray::number(qint64(st.st_mtim.tv_sec)) + '.' +
                           QByteArray::number(qint64(st.st_mtim.tv_nsec));
    const QByteArray hash = QCryptographicHash::hash(key, QCryptographicHash::Sha1).toHex();
    return cacheFolder + "slides-" + hash.left(24).toStdString() + ".pdf";
}

CSlideRenderer::Status CSlideRenderer::ConvertToCache(const std::string& presentation,
                                                      const std::string& cacheFolder, int timeoutMs,
                                                      const std::atomic<bool>* cancel,
                                                      const CSofficeConverter::Watcher& watcher)
{
    // A PDF document is its own picture source.
    if (CPresentationReader::DrawsItself(presentation))
        return QFileInfo(QString::fromStdString(presentation)).isFile() ? Ready : Unreadable;
    const std::string pdfPath = CachedPdfPath(cacheFolder, presentation);
    if (pdfPath.empty() || !QDir().mkpath(QString::fromStdString(cacheFolder)))
        return Unreadable;
    const QString pdf = QString::fromStdString(pdfPath);
    if (!QFileInfo::exists(pdf)) {
        const CSofficeConverter converter(cacheFolder, timeoutMs);
        switch (converter.ConvertToPdf(presentation, pdfPath, cancel, watcher)) {
        case CSofficeConverter::Converted:
            break;
        case CSofficeConverter::NoProgram:
            return NoProgram;
        case CSofficeConverter::TimedOut:
            return TimedOut;
        case CSofficeConverter::Cancelled:
            return Cancelled;
        case CSofficeConverter::Failed:
            return ConversionFailed;
        }
        Prune(cacheFolder);
    } else {
        // Recently used PDFs stay in the cache longest.
        QFile file(pdf);
        if (file.open(QIODevice::ReadWrite))
            file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    }
    return Ready;
}

CSlideRenderer::Status CSlideRenderer::Prepare(const CSofficeConverter::Watcher& watcher)
{
    if (m_status != NotReady)
        return m_status;
    const Status converted =
        ConvertToCache(m_presentation, m_cacheFolder, m_timeoutMs, nullptr, watcher);
    // The user may well want it after all, later.
    if (converted == Cancelled)
        return Cancelled;
    if (converted != Ready)
        return m_status = converted;
    const bool own = CPresentationReader::DrawsItself(m_presentation);
    const QString pdf =
        QString::fromStdString(own ? m_presentation : CachedPdfPath(m_cacheFolder, m_presentation));
    m_pdf = CPdfDocument::Open(pdf.toStdString());
    // A PDF that does not hold one page per slide would put the wrong
    // picture on a slide; it is not used (and a converted one not kept).
    if (!m_pdf || m_pdf->PageCount() != m_slideCount) {
        m_pdf.reset();
        if (!own)
            QFile::remove(pdf);
        return m_status = Unreadable;
    }
    m_pdfPath = pdf.toStdString();
    return m_status = Ready;
}

bool CSlideRenderer::Render(int index, const std::string& file, const std::string& filter,
                            int width, int height)
{
    if (index < 1 || index > m_slideCount || width <= 0 || height <= 0 || width > MaxSide ||
        height > MaxSide || file.empty())
        return false;
    QByteArray format = QByteArray::fromStdString(filter).toLower();
    if (format == "jpeg")
        format = "jpg";
    if (format != "jpg" && format != "png")
        return false;
    if (Prepare() != Ready)
        return false;
    // Fitted into the frame by the rule of the show's own import, so that a
    // slide made again on its own gets the picture size the import gave it.
    QImage image = CPdfPageImages::RenderPage(*m_pdf, index, QSize(width, height));
    if (image.isNull())
        return false;
    image = image.convertToFormat(QImage::Format_RGB888);

    // Encoded in memory, then written whole or not at all (a full disk
    // never leaves half a picture, nor the encoder's own error lines).
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QImageWriter writer(&buffer, format);
    if (format == "jpg")
        writer.setQuality(90);
    if (!writer.write(image))
        return false;
    buffer.close();
    return CSafeFile::WriteAll(file, bytes);
}

void CSlideRenderer::Prune(const std::string& cacheFolder)
{
    QDir dir(QString::fromStdString(cacheFolder));
    const QFileInfoList pdfs =
        dir.entryInfoList({QStringLiteral("slides-*.pdf")}, QDir::Files, QDir::Time);
    for (qsizetype i = CachedPdfs; i < pdfs.size(); ++i)
        QFile::remove(pdfs[i].absoluteFilePath());
}
