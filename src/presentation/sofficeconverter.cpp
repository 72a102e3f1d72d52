#include "presentation/sofficeconverter.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <signal.h>
#include <unistd.h>
#include <utility>

namespace {

// The PDF filter with hidden slides, so that page N is slide N.
const char* const kPdfFilter =
    R"(pdf:impress_pdf_Export:{"ExportHiddenSlides":{"type":"boolean","value":"true"}})";

void killGroup(QProcess& process)
{
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
}

} // namespace

CSofficeConverter::CSofficeConverter(std::string workFolder, int timeoutMs)
    : m_workFolder(std::move(workFolder)), m_timeoutMs(timeoutMs > 0 ? timeoutMs : DefaultTimeoutMs)
{}

std::string CSofficeConverter::FindProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("soffice")).toStdString();
}

CSofficeConverter::Result CSofficeConverter::ConvertToPdf(const std::string& presentation,
                                                          const std::string& pdf,
                                                          const std::atomic<bool>* cancel) const
{
    const auto cancelled = [cancel] { return cancel && cancel->load(); };
    // Waits are cut into slices so that a cancel is seen quickly.
    constexpr int kSliceMs = 100;
    const QString program = QString::fromStdString(FindProgram());
    if (program.isEmpty())
        return NoProgram;
    const QString work = QString::fromStdString(m_workFolder);
    if (work.isEmpty() || !QDir().mkpath(work))
        return Failed;

    QElapsedTimer clock;
    clock.start();
    // A profile is used by one LibreOffice at a time; a second one would hand
    // its work to the first and return at once.
    QLockFile lock(work + QStringLiteral("lo-profile.lock"));
    lock.setStaleLockTime(0);
    while (!lock.tryLock(kSliceMs)) {
        if (cancelled())
            return Cancelled;
        if (clock.elapsed() >= m_timeoutMs)
            return TimedOut;
    }
    if (cancelled())
        return Cancelled;

    QTemporaryDir scratch(work + QStringLiteral("lo-XXXXXX"));
    if (!scratch.isValid())
        return Failed;
    // LibreOffice sees a link with a plain name in the scratch folder: its
    // lock file and output land there, never beside the user's file.
    const QString source = QFileInfo(QString::fromStdString(presentation)).absoluteFilePath();
    const QString input = scratch.filePath(QStringLiteral("slides.ppt"));
    if (!QFile::link(source, input))
        return Failed;

    QProcess process;
    process.setProgram(program);
    process.setArguments({
        QStringLiteral("-env:UserInstallation=") +
            QUrl::fromLocalFile(work + QStringLiteral("lo-profile")).toString(QUrl::FullyEncoded),
        QStringLiteral("--headless"),
        QStringLiteral("--norestore"),
        QStringLiteral("--nologo"),
        QStringLiteral("--convert-to"),
        QString::fromUtf8(kPdfFilter),
        QStringLiteral("--outdir"),
        scratch.path(),
        input,
    });
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setChildProcessModifier([] { ::setsid(); });
    process.start();
    if (!process.waitForStarted(10000)) {
        killGroup(process);
        return Failed;
    }
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(kSliceMs)) {
        if (process.state() == QProcess::NotRunning)
            break;
        const bool stop = cancelled();
        if (stop || clock.elapsed() >= m_timeoutMs) {
            killGroup(process);
            process.waitForFinished(5000);
            return stop ? Cancelled : TimedOut;
        }
    }
    if (cancelled()) {
        killGroup(process);
        return Cancelled;
    }
    // Helpers it may have left behind go with the group.
    killGroup(process);
    if (process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return Failed;

    const QString made = scratch.filePath(QStringLiteral("slides.pdf"));
    if (QFileInfo(made).size() <= 0)
        return Failed;
    const QString target = QString::fromStdString(pdf);
    QFile::remove(target);
    return QFile::rename(made, target) ? Converted : Failed;
}
