#include "show/videoexport.h"

#include "base/asciicase.h"
#include "base/msgid.h"
#include "base/progress.h"
#include "base/resourcebundle.h"
#include "base/userprompt.h"
#include "show/showpictures.h"
#include "show/transition.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QPainter>
#include <QRandomGenerator>
#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <fcntl.h>
#include <mutex>
#include <sys/statvfs.h>
#include <thread>
#include <unistd.h>

namespace {

// Frames waiting for the encoder: enough to keep it busy while the next
// transition is drawn, few enough that memory stays small.
constexpr size_t kQueued = 3;

QColor colourOf(uint32_t backColor)
{
    return QColor(int(backColor & 0xFF), int((backColor >> 8) & 0xFF),
                  int((backColor >> 16) & 0xFF));
}

std::string shownPath(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdString();
}

// The frames between the drawing thread and the encoder's thread. A still
// picture travels once with the number of frames it lasts.
class CFrameQueue
{
public:
    struct Item
    {
        QImage frame;
        int count = 0;
    };

    // Waits for room; false once the encoder has given up.
    bool Push(Item item)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return m_items.size() < kQueued || m_failed; });
        if (m_failed)
            return false;
        m_items.push_back(std::move(item));
        m_changed.notify_all();
        return true;
    }
    // The next item; false when the queue is closed and empty.
    bool Pop(Item& item)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_items.empty() || m_closed; });
        if (m_items.empty())
            return false;
        item = std::move(m_items.front());
        m_items.pop_front();
        m_changed.notify_all();
        return true;
    }
    void Close()
    {
        std::lock_guard lock(m_mutex);
        m_closed = true;
        m_changed.notify_all();
    }
    void Fail()
    {
        std::lock_guard lock(m_mutex);
        m_failed = true;
        m_items.clear();
        m_changed.notify_all();
    }
    bool Failed()
    {
        std::lock_guard lock(m_mutex);
        return m_failed;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<Item> m_items;
    bool m_closed = false;
    bool m_failed = false;
};

} // namespace

CVideoExport::CVideoExport(CUserPrompt* prompt, CProgress* progress)
    : m_prompt(prompt), m_progress(progress)
{}

bool CVideoExport::FormatOf(const std::string& path, CVideoEncoder::Format& format)
{
    const struct
    {
        const char* extension;
        CVideoEncoder::Format format;
    } formats[] = {
        {".mp4", CVideoEncoder::Mp4}, {".webm", CVideoEncoder::WebM}, {".mkv", CVideoEncoder::Mkv}};
    // A name that is the extension alone (".mp4") is a hidden file without one.
    const std::string name = path.substr(path.find_last_of('/') + 1);
    for (const auto& f : formats) {
        if (CAsciiCase::EndsWith(name, f.extension) && name.size() > std::strlen(f.extension)) {
            format = f.format;
            return true;
        }
    }
    return false;
}

bool CVideoExport::ValidSize(int width, int height)
{
    return width >= MinWidth && width <= MaxWidth && height >= MinHeight && height <= MaxHeight &&
           width % 2 == 0 && height % 2 == 0;
}

bool CVideoExport::Refuse(int id, const std::string& insert1, const std::string& insert2)
{
    AskUser(m_prompt, id, CUserPrompt::Exclamation, CUserPrompt::Ok, insert1, insert2);
    return false;
}

bool CVideoExport::CheckTarget(const std::string& out)
{
    const QFileInfo target(QString::fromStdString(out));
    // isDir follows a link: a link to a folder is refused as the folder is.
    if (target.isDir())
        return Refuse(MsgId::VideoOutputIsFolder, shownPath(target.filePath()));
    if (!FormatOf(out, m_format))
        return Refuse(MsgId::VideoUnknownFormat, shownPath(target.filePath()));
    const QFileInfo folder(target.absolutePath());
    if (!folder.isDir())
        return Refuse(MsgId::VideoFolderMissing, shownPath(folder.filePath()));
    if (access(folder.filePath().toLocal8Bit().constData(), W_OK | X_OK) != 0)
        return Refuse(MsgId::VideoFolderNotWritable, shownPath(folder.filePath()));
    m_target = target.absoluteFilePath().toStdString();
    return true;
}

bool CVideoExport::CheckPictures(const std::string& what)
{
    std::vector<int> seen;
    std::string missing;
    for (const CShowTimeline::Entry& entry : m_timeline.Entries()) {
        if (entry.picture < 0 || std::count(seen.begin(), seen.end(), entry.picture))
            continue;
        seen.push_back(entry.picture);
        const CShowStep& step = m_sequence.Steps()[static_cast<size_t>(entry.picture)];
        if (!step.picture.empty() && QFileInfo(QString::fromStdString(step.picture)).isFile())
            continue;
        missing += (missing.empty() ? "" : ", ") +
                   (step.pictureName.empty() ? step.label : step.pictureName);
    }
    if (missing.empty())
        return true;
    return Refuse(MsgId::VideoPicturesMissing, missing, what);
}

bool CVideoExport::Prepare(const CShowSequence& sequence, const std::string& what,
                           const std::string& out, const Options& options)
{
    m_options = options;
    if (!ValidSize(options.width, options.height))
        return Refuse(MsgId::VideoSizeOutOfRange,
                      std::to_string(options.width) + "x" + std::to_string(options.height));
    if (options.fps < 1 || options.fps > MaxFps)
        return Refuse(MsgId::VideoFpsOutOfRange, std::to_string(options.fps));
    if (options.waitSeconds < 1 || options.waitSeconds > MaxWaitSeconds)
        return Refuse(MsgId::VideoManualOutOfRange, std::to_string(options.waitSeconds));
    if (options.quality < 1 || options.quality > 100)
        return Refuse(MsgId::VideoQualityOutOfRange, std::to_string(options.quality));
    if (!CheckTarget(out))
        return false;
    if (sequence.ReportUnplayable(what, m_prompt))
        return false;
    m_sequence = sequence;
    m_timeline.Build(m_sequence, qint64(options.waitSeconds) * 1000);
    // Control steps alone would make a video of the background colour.
    if (m_sequence.PictureCount() == 0)
        return Refuse(MsgId::ShowNothingToPlay, what);
    if (!CheckPictures(what))
        return false;
    std::string why;
    if (!CVideoEncoder::Available(why))
        return Refuse(MsgId::VideoModuleMissing, CVideoEncoder::Packages(), why);
    return true;
}

qint64 CVideoExport::FrameCount() const
{
    return CShowTimeline::FrameAt(m_timeline.DurationMs(), m_options.fps);
}

QImage CVideoExport::CardPicture(int step, uint32_t backColor) const
{
    const QImage card = step < 0 ? CShowPictures::Blank(backColor)
                                 : CShowPictures::Compose(m_sequence.Steps()[size_t(step)]);
    return card.format() == QImage::Format_RGB32 ? card
                                                 : card.convertToFormat(QImage::Format_RGB32);
}

QImage CVideoExport::Framed(const QImage& card, uint32_t backColor) const
{
    const int w = m_options.width, h = m_options.height;
    if (card.size() == QSize(w, h))
        return card;
    // The card's 4:3 picture as large as it fits, centred on the colour
    // the card player shows around it.
    QImage frame(w, h, QImage::Format_RGB32);
    frame.fill(colourOf(backColor));
    const QSize fitted = card.size().scaled(w, h, Qt::KeepAspectRatio);
    QPainter painter(&frame);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(QRect(QPoint((w - fitted.width()) / 2, (h - fitted.height()) / 2), fitted),
                      card);
    return frame;
}

CVideoExport::Result CVideoExport::Encode(CVideoEncoder& encoder)
{
    CFrameQueue queue;
    std::thread worker([&queue, &encoder] {
        CFrameQueue::Item item;
        while (queue.Pop(item)) {
            if (!encoder.Add(item.frame, item.count)) {
                queue.Fail();
                return;
            }
        }
    });
    const int fps = m_options.fps;
    const qint64 total = FrameCount();
    const int pictures = m_sequence.PictureCount();
    if (m_progress) {
        m_progress->SetCaption(CResourceBundle::Format(MsgId::VideoExportCaption));
        m_progress->SetRange(0, int(std::min<qint64>(total, INT32_MAX)));
        m_progress->SetPos(0);
        m_progress->Show(true);
    }
    qint64 done = 0;
    bool cancelled = false;
    auto push = [&](const QImage& frame, qint64 count) {
        while (count > 0 && !cancelled) {
            // A second at a time, so that Cancel is seen soon.
            const int chunk = int(std::min<qint64>(count, fps));
            if (!queue.Push({frame, chunk}))
                return false;
            count -= chunk;
            done += chunk;
            if (m_progress) {
                m_progress->SetPos(int(std::min<qint64>(done, INT32_MAX)));
                cancelled = m_progress->IsCancelled();
            }
        }
        return !cancelled;
    };

    QImage from;
    QImage drawn;
    for (const CShowTimeline::Entry& entry : m_timeline.Entries()) {
        const CShowStep& step = m_sequence.Steps()[size_t(entry.step)];
        if (m_progress) {
            m_progress->SetText(CResourceBundle::Format(
                MsgId::VideoProgressText,
                std::to_string(std::max(1, m_sequence.PictureNumber(entry.picture))),
                std::to_string(pictures)));
        }
        const QImage card = CardPicture(entry.picture, step.backColor);
        const qint64 first = CShowTimeline::FrameAt(entry.startMs, fps);
        const qint64 end = CShowTimeline::FrameAt(entry.startMs + entry.durationMs, fps);
        qint64 n = first;
        if (entry.transitionMs > 0 && !from.isNull()) {
            const qint64 transitionEnd =
                std::min(end, CShowTimeline::FrameAt(entry.startMs + entry.transitionMs, fps));
            for (; n < transitionEnd; ++n) {
                const double progress =
                    (double(n) * 1000.0 / fps - double(entry.startMs)) / entry.transitionMs;
                CTransition::Draw(from, card, entry.effect, progress, entry.seed, drawn);
                if (!push(Framed(drawn, step.backColor), 1))
                    break;
            }
        }
        if (n < end && !cancelled && !queue.Failed())
            push(Framed(card, step.backColor), end - n);
        if (cancelled || queue.Failed())
            break;
        from = card;
    }
    queue.Close();
    worker.join();
    if (m_progress)
        m_progress->Show(false);
    if (cancelled)
        return Cancelled;
    if (queue.Failed()) {
        ReportWriteFailure(encoder);
        return Failed;
    }
    if (!encoder.Finish()) {
        ReportWriteFailure(encoder);
        return Failed;
    }
    return Written;
}

void CVideoExport::ReportWriteFailure(const CVideoEncoder& encoder)
{
    const int error = encoder.ErrorNumber();
    const QFileInfo target(QString::fromStdString(m_target));
    if (error == ENOSPC || error == EDQUOT) {
        struct statvfs fs = {};
        const qint64 free = statvfs(target.absolutePath().toLocal8Bit().constData(), &fs) == 0
                                ? qint64(fs.f_bavail) * qint64(fs.f_frsize)
                                : 0;
        const QLocale locale;
        const std::string figures = CResourceBundle::Format(
            MsgId::VideoSpaceFigures,
            locale.formattedDataSize(std::max<qint64>(encoder.BytesWritten(), 0)).toStdString(),
            locale.formattedDataSize(free).toStdString());
        Refuse(MsgId::VideoDiskFull, shownPath(target.absolutePath()), figures);
        return;
    }
    Refuse(MsgId::VideoWriteFailed, shownPath(target.filePath()), encoder.Error());
}

CVideoExport::Result CVideoExport::Run()
{
    // A hidden name beside the target, on the same disk, so that the
    // finished file takes the target's name in one step.
    const QFileInfo target(QString::fromStdString(m_target));
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        m_temporary = (target.absolutePath() + "/." + target.fileName() + "." +
                       QString::number(QRandomGenerator::global()->generate(), 36) + ".part")
                          .toStdString();
        fd = open(m_temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            break;
    }
    if (fd < 0) {
        Refuse(MsgId::VideoWriteFailed, shownPath(target.filePath()), std::strerror(errno));
        return Failed;
    }
    close(fd);

    CVideoEncoder::Settings settings;
    settings.path = m_temporary;
    settings.format = m_format;
    settings.width = m_options.width;
    settings.height = m_options.height;
    settings.fps = m_options.fps;
    settings.quality = m_options.quality;
    std::string error;
    std::unique_ptr<CVideoEncoder> encoder = CVideoEncoder::Open(settings, error);
    Result result = Failed;
    if (!encoder)
        Refuse(MsgId::VideoWriteFailed, shownPath(target.filePath()), error);
    else
        result = Encode(*encoder);
    encoder.reset();
    if (result == Written && std::rename(m_temporary.c_str(), m_target.c_str()) != 0) {
        Refuse(MsgId::VideoWriteFailed, shownPath(target.filePath()), std::strerror(errno));
        result = Failed;
    }
    if (result != Written) {
        unlink(m_temporary.c_str());
        return result;
    }
    m_bytes = QFileInfo(target.filePath()).size();
    return Written;
}

std::string CVideoExport::Summary() const
{
    const qint64 seconds = (m_timeline.DurationMs() + 500) / 1000;
    char length[32];
    std::snprintf(length, sizeof length, "%lld:%02lld", seconds / 60, seconds % 60);
    const QLocale locale;
    return std::string(length) + ", " + std::to_string(m_options.width) + " x " +
           std::to_string(m_options.height) + ", " + std::to_string(m_options.fps) + " fps, " +
           locale.formattedDataSize(m_bytes).toStdString();
}
