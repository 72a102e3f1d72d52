// Every test program starts here: the home, cache and config folders point to
// a fresh temporary folder (tests never touch the real home), Qt runs on the
// platform chosen below, and the resource bundle is loaded from the build.
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
    // Window tests run on the platform ZELM_TEST_PLATFORM names: xcb on a
    // real X server in scripts/test.sh (focus, shortcuts, menus and drags
    // behave as on a desktop), offscreen when unset, for a quick local run.
    // Tests without widgets need no display. scripts/screenshots.sh sets
    // its own platform for the Screenshots tests.
    if (!getenv("ZELM_SCREENSHOTS_DIR")) {
#ifdef ZELM_WIDGET_TESTS
        const char* platform = getenv("ZELM_TEST_PLATFORM");
        setenv("QT_QPA_PLATFORM", platform && *platform ? platform : "offscreen", 1);
#else
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
#endif
    }
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
