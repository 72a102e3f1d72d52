// zelm-tessara: the window program.
#include "gui/app/vantorelapp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication qapp(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Pellyx"));
    QCoreApplication::setApplicationName(QStringLiteral("Zelm Tessara"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ZELM_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral("zelm-tessara"));

    CVantorelApp app;
    if (!app.InitInstance(QCoreApplication::arguments()))
        return app.ExitInstance();
    const int status = QApplication::exec();
    const int exitStatus = app.ExitInstance();
    return status != 0 ? status : exitStatus;
}
