#pragma once

#include <QString>
#include <QStringList>

// The per-user registration of project files with the desktop: a
// shared-mime-info package for "*.sic", a desktop entry that opens them in
// the running program, the program's icon and the default application for
// the project type. An association of ".sic" with another program is never
// taken over.
class CFileTypeRegistration
{
public:
    static constexpr const char* MimeType = "application/x-zelm-tessara-project";
    static constexpr const char* DesktopFile = "zelm-tessara.desktop";

    // `dataHome`: the user's data folder (default: XDG_DATA_HOME or
    // ~/.local/share); `configHome` likewise for mimeapps.list.
    CFileTypeRegistration(const QString& program, const QString& dataHome = {},
                          const QString& configHome = {});
    // Whether Register refreshes the desktop's caches (on by default).
    void SetRefreshCaches(bool refresh) { m_refreshCaches = refresh; }

    // Writes what is missing or out of date; true when anything was written
    // (the desktop's caches are then refreshed in the background).
    bool Register();

    // Whether the types the desktop knows for "*.sic" leave the extension
    // free for us (none, or only ours).
    static bool SicIsFree(const QStringList& typesForSic);
    // The types the desktop knows now for a "*.sic" name.
    static QStringList TypesForSic();
    // Whether the program in `programDir` was installed with its own desktop
    // entry (<dir>/../share/applications, as a package installs it): the
    // installation then registered the type for every user, and nothing of
    // it is copied into the user's folders, where it would outlive a
    // removal of the package.
    static bool InstalledWithDesktopEntry(const QString& programDir);

    QString MimePackagePath() const;
    QString DesktopEntryPath() const;
    QString IconPath() const;
    QString MimeAppsPath() const;

    static QString MimePackageText();
    // The types the desktop entry opens, separated by ';': projects and
    // presentations (a presentation opened becomes a new project). Only the
    // project type is made the default.
    static QString MimeTypes();
    QString DesktopEntryText() const;

private:
    bool WriteIfDifferent(const QString& path, const QByteArray& bytes) const;
    bool SetDefaultApplication() const;

    QString m_program;
    QString m_dataHome;
    QString m_configHome;
    bool m_refreshCaches = true;
};
