// Every test program starts here: the home, cache and config folders point to
// a fresh temporary folder (tests never touch the real home), Qt runs
// offscreen, and the resource bundle is loaded from the build.
#include "base/resourcebundle.h"

#ifdef ZELM_WIDGET_TESTS
#include <QApplication>
using TestApplication = QApplication;
#else
#include <QGuiApplication>
using TestApplication = QGuiApplication;
#endif
#include <QTemporaryDir>
#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    QTemporaryDir home;
    const QByteArray h = home.path().toUtf8();
    setenv("HOME", h.constData(), 1);
    setenv("ZELM_HOME", (h + "/zelm").constData(), 1);
    setenv("XDG_CONFIG_HOME", (h + "/config").constData(), 1);
    setenv("XDG_CACHE_HOME", (h + "/cache").constData(), 1);
    setenv("XDG_DATA_HOME", (h + "/data").constData(), 1);
    setenv("XDG_DOCUMENTS_DIR", (h + "/Documents").constData(), 1);
    // scripts/screenshots.sh runs the Screenshots tests on a real X server,
    // and a run under Xvfb asks for it with QT_QPA_PLATFORM=xcb (focus,
    // shortcuts, menus and drags then behave as on a desktop).
    const char* platform = getenv("QT_QPA_PLATFORM");
    const bool xcb = platform && strncmp(platform, "xcb", 3) == 0 && getenv("DISPLAY");
    if (!getenv("ZELM_SCREENSHOTS_DIR") && !xcb)
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    TestApplication app(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Pellyx"));
    QCoreApplication::setApplicationName(QStringLiteral("Zelm Tessara"));
    if (!CResourceBundle::Load(ZELM_BIN_DIR "/ZelmTsRsc.rcc")) {
        fprintf(stderr, "resource bundle missing\n");
        return 1;
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
