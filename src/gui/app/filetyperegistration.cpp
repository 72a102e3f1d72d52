#include "gui/app/filetyperegistration.h"

#include "base/resourcebundle.h"
#include "base/slidesourcetypes.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QMimeDatabase>
#include <QProcess>
#include <QSaveFile>
#include <QStandardPaths>

namespace {

constexpr int kIconBitmap = 128;

} // namespace

CFileTypeRegistration::CFileTypeRegistration(const QString& program, const QString& dataHome,
                                             const QString& configHome)
    : m_program(program), m_dataHome(dataHome), m_configHome(configHome)
{
    if (m_dataHome.isEmpty())
        m_dataHome = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (m_configHome.isEmpty())
        m_configHome = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

QString CFileTypeRegistration::MimePackagePath() const
{
    return m_dataHome + QStringLiteral("/mime/packages/zelm-tessara.xml");
}

QString CFileTypeRegistration::DesktopEntryPath() const
{
    return m_dataHome + QStringLiteral("/applications/") + QLatin1String(DesktopFile);
}

QString CFileTypeRegistration::IconPath() const
{
    return m_dataHome + QStringLiteral("/icons/hicolor/256x256/apps/zelm-tessara.png");
}

QString CFileTypeRegistration::MimeAppsPath() const
{
    return m_configHome + QStringLiteral("/mimeapps.list");
}

QString CFileTypeRegistration::MimePackageText()
{
    return QStringLiteral(
               "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n"
               "  <mime-type type=\"%1\">\n"
               "    <comment>Zelm Tessara project</comment>\n"
               "    <sub-class-of type=\"text/plain\"/>\n"
               "    <icon name=\"zelm-tessara\"/>\n"
               "    <glob pattern=\"*.sic\"/>\n"
               "  </mime-type>\n"
               "</mime-info>\n")
        .arg(QLatin1String(MimeType));
}

QString CFileTypeRegistration::MimeTypes()
{
    // Projects, and the presentations a new project is made from.
    QString types = QLatin1String(MimeType);
    for (const std::string& type : CSlideSourceTypes::PresentationMimeTypes())
        types += QLatin1Char(';') + QString::fromStdString(type);
    return types;
}

QString CFileTypeRegistration::DesktopEntryText() const
{
    // The program path is quoted as desktop entries quote arguments.
    QString program = m_program;
    program.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QStringLiteral("[Desktop Entry]\n"
                          "Type=Application\n"
                          "Name=Zelm Tessara\n"
                          "Comment=Slide shows for the projector's card player\n"
                          "Exec=\"%1\" --shell-open %f\n"
                          "Icon=zelm-tessara\n"
                          "Terminal=false\n"
                          "Categories=Office;Presentation;\n"
                          "MimeType=%2;\n")
        .arg(program, MimeTypes());
}

bool CFileTypeRegistration::SicIsFree(const QStringList& typesForSic)
{
    for (const QString& type : typesForSic) {
        if (type != QLatin1String(MimeType) && type != QLatin1String("application/octet-stream"))
            return false;
    }
    return true;
}

QStringList CFileTypeRegistration::TypesForSic()
{
    QStringList names;
    for (const QMimeType& type : QMimeDatabase().mimeTypesForFileName(QStringLiteral("x.sic")))
        names << type.name();
    return names;
}

bool CFileTypeRegistration::InstalledWithDesktopEntry(const QString& programDir)
{
    return QFileInfo::exists(programDir + QStringLiteral("/../share/applications/") +
                             QLatin1String(DesktopFile));
}

bool CFileTypeRegistration::WriteIfDifferent(const QString& path, const QByteArray& bytes) const
{
    QFile old(path);
    if (old.open(QIODevice::ReadOnly) && old.readAll() == bytes)
        return false;
    old.close();
    QDir().mkpath(QFileInfo(path).absolutePath());
    QSaveFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit();
}

bool CFileTypeRegistration::SetDefaultApplication() const
{
    // mimeapps.list is shared with every other program: only our own line
    // is added, and only when the project type has no default yet.
    QFile file(MimeAppsPath());
    QStringList lines;
    if (file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        lines = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
        file.close();
    }
    const QString key = QLatin1String(MimeType) + QLatin1Char('=');
    int section = -1;
    for (int i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (line.startsWith(key))
            return false;
        if (line == QLatin1String("[Default Applications]"))
            section = i;
    }
    const QString entry = key + QLatin1String(DesktopFile) + QLatin1Char(';');
    if (section < 0) {
        if (!lines.isEmpty() && lines.last().isEmpty())
            lines.removeLast();
        lines << QStringLiteral("[Default Applications]") << entry << QString();
    } else {
        lines.insert(section + 1, entry);
    }
    return WriteIfDifferent(MimeAppsPath(), lines.join(QLatin1Char('\n')).toUtf8());
}

bool CFileTypeRegistration::Register()
{
    bool wrote = false;
    bool mimeChanged = false;
    if (SicIsFree(TypesForSic())) {
        mimeChanged = WriteIfDifferent(MimePackagePath(), MimePackageText().toUtf8());
        wrote |= mimeChanged;
    }
    const bool desktopChanged = WriteIfDifferent(DesktopEntryPath(), DesktopEntryText().toUtf8());
    wrote |= desktopChanged;
    if (!QFileInfo::exists(IconPath())) {
        const QImage icon = CResourceBundle::Bitmap(kIconBitmap);
        QDir().mkpath(QFileInfo(IconPath()).absolutePath());
        wrote |= !icon.isNull() && icon.save(IconPath(), "PNG");
    }
    wrote |= SetDefaultApplication();
    // The desktop reads its caches, not our files: refresh them, without
    // waiting, when the tools are there.
    if (mimeChanged && m_refreshCaches) {
        const QString tool = QStandardPaths::findExecutable(QStringLiteral("update-mime-database"));
        if (!tool.isEmpty())
            QProcess::startDetached(tool, {m_dataHome + QStringLiteral("/mime")});
    }
    if (desktopChanged && m_refreshCaches) {
        const QString tool =
            QStandardPaths::findExecutable(QStringLiteral("update-desktop-database"));
        if (!tool.isEmpty())
            QProcess::startDetached(tool, {m_dataHome + QStringLiteral("/applications")});
    }
    return wrote;
}
