#include "presentation/sofficeconverter.h"

#include <QDir>
#include <QDirIterator>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>
#include <dirent.h>
#include <signal.h>
#include <unistd.h>
#include <utility>

namespace {

// The PDF filter with hidden slides, so that page N is slide N.
const char* const kPdfFilter =
    R"(pdf:impress_pdf_Export:{"ExportHiddenSlides":{"type":"boolean","value":"true"}})";

// The profile settings that keep macros from running, in LibreOffice's own
// one-item-per-line form.
const char* const kMacroItems[] = {
    R"(<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="DisableMacrosExecution" oor:op="fuse"><value>true</value></prop></item>)",
    R"(<item oor:path="/org.openoffice.Office.Common/Security/Scripting"><prop oor:name="MacroSecurityLevel" oor:op="fuse"><value>3</value></prop></item>)",
};
const char* const kMacroProps[] = {R"(<prop oor:name="DisableMacrosExecution")",
                                   R"(<prop oor:name="MacroSecurityLevel")"};

void killGroup(QProcess& process)
{
    const qint64 pid = process.processId();
    if (pid > 0)
        ::kill(-static_cast<pid_t>(pid), SIGKILL);
}

// The processor time (clock ticks) the processes of group `group` have used,
// with that of their children that ended.
long long groupCpuTicks(pid_t group)
{
    long long ticks = 0;
    DIR* proc = ::opendir("/proc");
    if (!proc)
        return -1;
    while (const dirent* entry = ::readdir(proc)) {
        if (entry->d_name[0] < '1' || entry->d_name[0] > '9')
            continue;
        QFile stat(QStringLiteral("/proc/%1/stat").arg(QLatin1String(entry->d_name)));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray line = stat.readAll();
        // The command name may hold anything: the fields follow its last ')'.
        const qsizetype close = line.lastIndexOf(')');
        if (close < 0)
            continue;
        const QList<QByteArray> fields = line.mid(close + 2).split(' ');
        // state ppid pgrp ... utime (14th field) stime cutime cstime
        if (fields.size() < 15 || fields[2].toLongLong() != group)
            continue;
        for (int i = 11; i <= 14; ++i)
            ticks += fields[i].toLongLong();
    }
    ::closedir(proc);
    return ticks;
}

// The bytes LibreOffice has written into the scratch folder (its temporary
// files, the PDF among them, land there).
long long folderBytes(const QString& folder)
{
    long long bytes = 0;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        it.next();
        bytes += it.fileInfo().size();
    }
    return bytes;
}

// Counts the page objects of the PDF LibreOffice is writing, reading only
// what was added since the last look.
class PageCounter
{
public:
    int Pages(const QString& folder)
    {
        if (m_file.isEmpty())
            m_file = FindPdf(folder);
        QFile file(m_file);
        if (m_file.isEmpty() || !file.open(QIODevice::ReadOnly) || file.size() < m_offset) {
            m_file.clear();
            return m_pages;
        }
        if (m_pages < 0)
            m_pages = 0;
        file.seek(m_offset);
        const QByteArray added = file.readAll();
        m_offset += added.size();
        const QByteArray text = m_carry + added;
        static const QByteArray kPage("/Type/Page");
        for (qsizetype at = text.indexOf(kPage); at >= 0; at = text.indexOf(kPage, at + 1)) {
            const qsizetype next = at + kPage.size();
            if (next >= text.size())
                break; // decided once the next byte is there
            if (text[next] != 's')
                ++m_pages;
        }
        m_carry = text.right(kPage.size());
        return m_pages;
    }

private:
    static QString FindPdf(const QString& folder)
    {
        QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::NoSymLinks,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            if (file.open(QIODevice::ReadOnly) && file.read(5) == "%PDF-")
                return file.fileName();
        }
        return {};
    }

    QString m_file;
    qint64 m_offset = 0;
    QByteArray m_carry;
    int m_pages = -1;
};

} // namespace

CSofficeConverter::CSofficeConverter(std::string workFolder, int stallMs)
    : m_workFolder(std::move(workFolder)), m_stallMs(stallMs > 0 ? stallMs : DefaultTimeoutMs)
{}

std::string CSofficeConverter::FindProgram()
{
    return QStandardPaths::findExecutable(QStringLiteral("soffice")).toStdString();
}

bool CSofficeConverter::ForbidMacros(const std::string& profileFolder)
{
    const QString user = QString::fromStdString(profileFolder) + QStringLiteral("/user");
    if (!QDir().mkpath(user))
        return false;
    const QString path = user + QStringLiteral("/registrymodifications.xcu");
    QByteArray text;
    {
        QFile stored(path);
        if (stored.open(QIODevice::ReadOnly))
            text = stored.readAll();
    }
    const qsizetype end = text.lastIndexOf("</oor:items>");
    if (end < 0) {
        text = R"(<?xml version="1.0" encoding="UTF-8"?>
<oor:items xmlns:oor="http://openoffice.org/2001/registry" xmlns:xs="http://www.w3.org/2001/XMLSchema" xmlns:xsi="http://www.w3.org/2001/XMLSchema-instance">
</oor:items>
)";
    }
    // The items of those two settings, whatever their values, give way to
    // ours.
    QList<QByteArray> lines = text.split('\n');
    lines.removeIf([](const QByteArray& line) {
        for (const char* prop : kMacroProps)
            if (line.contains(prop) && line.contains("/Security/Scripting\""))
                return true;
        return false;
    });
    QByteArray merged = lines.join('\n');
    QByteArray items;
    for (const char* item : kMacroItems)
        items += QByteArray(item) + '\n';
    merged.insert(merged.lastIndexOf("</oor:items>"), items);
    if (merged == text)
        return true;
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(merged) == merged.size() && file.commit();
}

CSofficeConverter::Result CSofficeConverter::ConvertToPdf(const std::string& presentation,
                                                          const std::string& pdf,
                                                          const std::atomic<bool>* cancel,
                                                          const Watcher& watcher) const
{
    // Waits are cut into slices so that a cancel is seen quickly (and a
    // watcher on a window's thread keeps it alive); progress is looked at
    // less often.
    constexpr int kSliceMs = 100;
    constexpr int kLookMs = 1000;
    QElapsedTimer clock;
    clock.start();
    int pages = -1;
    bool stop = false;
    // Whether to stop: a cancel, or the watcher's answer.
    const auto cancelled = [&] {
        if (!stop && cancel && cancel->load())
            stop = true;
        if (!stop && watcher)
            stop = !watcher(int(clock.elapsed() / 1000), pages);
        return stop;
    };
    const QString program = QString::fromStdString(FindProgram());
    if (program.isEmpty())
        return NoProgram;
    const QString work = QString::fromStdString(m_workFolder);
    if (work.isEmpty() || !QDir().mkpath(work))
        return Failed;

    // A profile is used by one LibreOffice at a time; a second one would hand
    // its work to the first and return at once. The holder stops on its own
    // when its LibreOffice makes no progress, so the wait ends.
    QLockFile lock(work + QStringLiteral("lo-profile.lock"));
    lock.setStaleLockTime(0);
    while (!lock.tryLock(kSliceMs)) {
        if (cancelled())
            return Cancelled;
    }
    if (cancelled())
        return Cancelled;

    const QString profile = work + QStringLiteral("lo-profile");
    if (!ForbidMacros(profile.toStdString()))
        return Failed;
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
            QUrl::fromLocalFile(profile).toString(QUrl::FullyEncoded),
        QStringLiteral("--headless"),
        QStringLiteral("--norestore"),
        QStringLiteral("--nologo"),
        QStringLiteral("--convert-to"),
        QString::fromUtf8(kPdfFilter),
        QStringLiteral("--outdir"),
        scratch.path(),
        input,
    });
    // Its temporary files, the PDF being written among them, go to the
    // scratch folder too: their growth is the progress watched.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("TMPDIR"), scratch.path());
    process.setProcessEnvironment(environment);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setStandardOutputFile(QProcess::nullDevice());
    process.setStandardErrorFile(QProcess::nullDevice());
    process.setChildProcessModifier([] { ::setsid(); });
    process.start();
    if (!process.waitForStarted(10000)) {
        killGroup(process);
        return Failed;
    }
    const pid_t group = static_cast<pid_t>(process.processId());
    PageCounter counter;
    long long cpu = -1, bytes = -1;
    qint64 progressAt = clock.elapsed(), sampledAt = clock.elapsed();
    while (process.state() != QProcess::NotRunning && !process.waitForFinished(kSliceMs)) {
        if (process.state() == QProcess::NotRunning)
            break;
        const qint64 now = clock.elapsed();
        if (now - sampledAt >= kLookMs) {
            sampledAt = now;
            const long long nowCpu = groupCpuTicks(group);
            const long long nowBytes = folderBytes(scratch.path());
            if (nowCpu != cpu || nowBytes != bytes)
                progressAt = now;
            cpu = nowCpu;
            bytes = nowBytes;
            pages = counter.Pages(scratch.path());
        }
        const bool stalled = now - progressAt >= m_stallMs;
        if (cancelled() || stalled) {
            killGroup(process);
            process.waitForFinished(5000);
            return stalled && !stop ? TimedOut : Cancelled;
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
