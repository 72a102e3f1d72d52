// The window and font settings, and the desktop registration of project files.
#include "apptesting.h"
#include "gui/app/filetyperegistration.h"
#include "gui/app/recentfilelist.h"
#include "gui/app/windowplacementsettings.h"
#include "gui/dialogs/fontui.h"

#include <QDir>
#include <QFile>
#include <QMainWindow>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kSection = QStringLiteral("Settings");

void writePlacement(QSettings& settings, int left, int top, int right, int bottom)
{
    settings.setValue(QStringLiteral("Settings/wp.showCmd"), 1);
    settings.setValue(QStringLiteral("Settings/wp.left"), left);
    settings.setValue(QStringLiteral("Settings/wp.top"), top);
    settings.setValue(QStringLiteral("Settings/wp.right"), right);
    settings.setValue(QStringLiteral("Settings/wp.bottom"), bottom);
}

} // namespace

TEST(WindowPlacement, SavedValuesReadBackIncludingNegativeOnes)
{
    ClearSettings();
    QSettings settings;
    QMainWindow window;
    window.setGeometry(-30, 20, 400, 300);
    WindowPlacementSettings().Save(settings, kSection, window);
    // Stored as 32-bit two's complement.
    EXPECT_EQ(settings.value(QStringLiteral("Settings/wp.left")).toLongLong(), 4294967266LL);
    EXPECT_EQ(settings.value(QStringLiteral("Settings/wp.right")).toInt(), 370);
    QMainWindow other;
    WindowPlacementSettings restored;
    ASSERT_TRUE(restored.Restore(settings, kSection, other));
    EXPECT_EQ(other.geometry(), QRect(-30, 20, 400, 300));
}

TEST(WindowPlacement, RestoredOnlyOnAScreenThatExists)
{
    struct Case
    {
        const char* what;
        int left, top, right, bottom;
        bool applied;
    } cases[] = {
        {"on the screen", 10, 10, 500, 400, true},
        {"overlapping the edge", -300, -200, 50, 50, true},
        {"off every screen", 20000, 20000, 20800, 20600, false},
        {"empty", 100, 100, 100, 100, false},
        {"upside down", 500, 400, 10, 10, false},
    };
    for (const Case& c : cases) {
        ClearSettings();
        QSettings settings;
        writePlacement(settings, c.left, c.top, c.right, c.bottom);
        QMainWindow window;
        window.setGeometry(1, 2, 300, 200);
        EXPECT_EQ(WindowPlacementSettings().Restore(settings, kSection, window), c.applied)
            << c.what;
        if (!c.applied)
            EXPECT_EQ(window.geometry(), QRect(1, 2, 300, 200)) << c.what;
    }
    ClearSettings();
    QSettings nothing;
    QMainWindow window;
    EXPECT_FALSE(WindowPlacementSettings().Restore(nothing, kSection, window)) << "first run";
}

TEST(FontUI, ReadsOnlyWellFormedDescriptions)
{
    struct Case
    {
        const char* stored;
        bool read;
        const char* family;
        int points;
        bool italic;
    } cases[] = {
        {"Arial,10,400,0", true, "Arial", 10, false},
        {"DejaVu Sans,14,700,1", true, "DejaVu Sans", 14, true},
        {"Arial,10,400,256", true, "Arial", 10, false}, // italic is the low byte
        {"Noto Sans CJK JP,9,400,0", true, "Noto Sans CJK JP", 9, false},
        {"Font2,10,400,0", false, "", 0, false},
        {"Sans-Serif,10,400,0", false, "", 0, false},
        {"\xe3\x83\xa1\xe3\x82\xa4\xe3\x83\xaa\xe3\x82\xaa,10,400,0", false, "", 0, false},
        {"Arial,10,400", false, "", 0, false},
        {"", false, "", 0, false},
        {"Abcdefghijklmnopqrstuvwxyzabcdefgh,10,400,0", false, "", 0, false}, // over 31
    };
    for (const Case& c : cases) {
        ClearSettings();
        QSettings settings;
        settings.setValue(QStringLiteral("Settings/Font"), QString::fromUtf8(c.stored));
        QFont font(QStringLiteral("Keep"), 33);
        EXPECT_EQ(CFontUI().ReadFont(settings, kSection, QStringLiteral("Font"), font), c.read)
            << c.stored;
        if (c.read) {
            EXPECT_EQ(font.family(), QLatin1String(c.family)) << c.stored;
            EXPECT_EQ(CFontUI::GetPointSize(font), c.points) << c.stored;
            EXPECT_EQ(font.italic(), c.italic) << c.stored;
        } else {
            EXPECT_EQ(font.family(), QStringLiteral("Keep")) << c.stored;
            EXPECT_EQ(CFontUI::GetPointSize(font), 33) << c.stored;
        }
    }
}

TEST(FontUI, WrittenFontReadsBackAndSizesStep)
{
    ClearSettings();
    QSettings settings;
    QFont font(QStringLiteral("Liberation Serif"), 11, QFont::Bold, true);
    CFontUI ui;
    ui.WriteFont(settings, kSection, QStringLiteral("Font"), font);
    EXPECT_EQ(settings.value(QStringLiteral("Settings/Font")).toString(),
              QStringLiteral("Liberation Serif,11,700,1"));
    QFont read;
    ASSERT_TRUE(ui.ReadFont(settings, kSection, QStringLiteral("Font"), read));
    EXPECT_EQ(read.weight(), QFont::Bold);
    const int steps[][3] = {{12, 1, 13}, {12, -1, 11}, {13, 1, 15}, {31, -1, 29},
                            {32, 1, 36}, {47, -1, 43}, {48, 1, 56}, {48, -1, 40}};
    for (const auto& s : steps)
        EXPECT_EQ(ui.NextPointSize(s[0], s[1]), s[2]) << s[0] << " " << s[1];
}

TEST(RecentFiles, FourNewestFirstWithoutRepeats)
{
    ClearSettings();
    CRecentFileList list;
    for (const char* path :
         {"/p/a.sic", "/p/b.sic", "/p/c.sic", "/p/d.sic", "/p/b.sic", "/p/e.sic"})
        list.Add(QLatin1String(path));
    EXPECT_EQ(list.Files(), (QStringList{QStringLiteral("/p/e.sic"), QStringLiteral("/p/b.sic"),
                                         QStringLiteral("/p/d.sic"), QStringLiteral("/p/c.sic")}));
    QSettings settings;
    list.Write(settings);
    EXPECT_EQ(settings.value(QStringLiteral("Recent File List/File1")).toString(),
              QStringLiteral("/p/e.sic"));
    CRecentFileList read;
    read.Read(settings);
    EXPECT_EQ(read.Files(), list.Files());
}

TEST(FileTypeRegistration, NeverTakesSicFromAnotherProgram)
{
    EXPECT_TRUE(CFileTypeRegistration::SicIsFree({}));
    EXPECT_TRUE(CFileTypeRegistration::SicIsFree({QStringLiteral("application/octet-stream")}));
    EXPECT_TRUE(CFileTypeRegistration::SicIsFree({QLatin1String(CFileTypeRegistration::MimeType)}));
    EXPECT_FALSE(CFileTypeRegistration::SicIsFree({QStringLiteral("application/x-other-sic")}));
}

TEST(FileTypeRegistration, WritesOnceAndKeepsOtherDefaults)
{
    QTemporaryDir dir;
    const QString data = dir.filePath(QStringLiteral("data"));
    const QString config = dir.filePath(QStringLiteral("config"));
    QDir().mkpath(config);
    {
        QFile apps(config + QStringLiteral("/mimeapps.list"));
        ASSERT_TRUE(apps.open(QIODevice::WriteOnly));
        apps.write("[Default Applications]\ntext/plain=editor.desktop;\n");
    }
    CFileTypeRegistration registration(QStringLiteral("/opt/zt/bin/zelm-tessara"), data, config);
    registration.SetRefreshCaches(false);
    EXPECT_TRUE(registration.Register());
    EXPECT_FALSE(registration.Register()) << "a second start writes nothing";
    QFile entry(registration.DesktopEntryPath());
    ASSERT_TRUE(entry.open(QIODevice::ReadOnly));
    const QByteArray text = entry.readAll();
    EXPECT_TRUE(text.contains("Exec=\"/opt/zt/bin/zelm-tessara\" --shell-open %f"));
    // It opens presentations of every kind the program reads (a new project
    // is made from them), but is the default for projects only.
    for (const char* type : {"application/vnd.ms-powerpoint.presentation.macroEnabled.12",
                             "application/vnd.ms-powerpoint.template.macroEnabled.12",
                             "application/vnd.oasis.opendocument.presentation-template"})
        EXPECT_TRUE(text.contains(QByteArray(";") + type + ";")) << type;
    QFile apps(registration.MimeAppsPath());
    ASSERT_TRUE(apps.open(QIODevice::ReadOnly));
    const QByteArray list = apps.readAll();
    EXPECT_TRUE(list.contains("text/plain=editor.desktop;"));
    EXPECT_TRUE(list.contains("application/x-zelm-tessara-project=zelm-tessara.desktop;"));
    EXPECT_FALSE(list.contains("powerpoint"));
    EXPECT_TRUE(QFile::exists(registration.IconPath()));
}

TEST(FileTypeRegistration, AnInstallationWithItsOwnDesktopEntryIsNotRegisteredPerUser)
{
    QTemporaryDir dir;
    const QString bin = dir.filePath(QStringLiteral("usr/bin"));
    QDir().mkpath(bin);
    EXPECT_FALSE(CFileTypeRegistration::InstalledWithDesktopEntry(bin));
    const QString applications = dir.filePath(QStringLiteral("usr/share/applications"));
    QDir().mkpath(applications);
    EXPECT_FALSE(CFileTypeRegistration::InstalledWithDesktopEntry(bin))
        << "another program's folder of entries is not ours";
    QFile entry(applications + QStringLiteral("/zelm-tessara.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.close();
    EXPECT_TRUE(CFileTypeRegistration::InstalledWithDesktopEntry(bin));
}
