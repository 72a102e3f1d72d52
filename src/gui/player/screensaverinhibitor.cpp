#include "gui/player/screensaverinhibitor.h"

#include <QCoreApplication>

#ifdef ZELM_HAVE_DBUS
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusInterface>
#include <QDBusReply>
#include <QFileInfo>

namespace {

const QString kService = QStringLiteral("org.freedesktop.ScreenSaver");
const QString kPath = QStringLiteral("/ScreenSaver");
constexpr int kCallTimeoutMs = 500;

} // namespace
#endif

CScreenSaverInhibitor::CScreenSaverInhibitor(const QString& reason)
{
#ifdef ZELM_HAVE_DBUS
    // Only a session that has a bus is asked: without one, the bus library
    // would start a bus daemon of its own for the X display.
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (qEnvironmentVariableIsEmpty("DBUS_SESSION_BUS_ADDRESS") &&
        (runtime.isEmpty() || !QFileInfo::exists(runtime + QStringLiteral("/bus"))))
        return;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface() ||
        !bus.interface()->isServiceRegistered(kService).value())
        return;
    QDBusInterface saver(kService, kPath, kService, bus);
    saver.setTimeout(kCallTimeoutMs);
    const QDBusReply<uint> reply =
        saver.call(QStringLiteral("Inhibit"), QCoreApplication::applicationName(), reason);
    if (reply.isValid()) {
        m_cookie = reply.value();
        m_active = true;
    }
#else
    Q_UNUSED(reason);
#endif
}

CScreenSaverInhibitor::~CScreenSaverInhibitor()
{
#ifdef ZELM_HAVE_DBUS
    if (!m_active)
        return;
    QDBusInterface saver(kService, kPath, kService, QDBusConnection::sessionBus());
    saver.setTimeout(kCallTimeoutMs);
    saver.call(QDBus::NoBlock, QStringLiteral("UnInhibit"), m_cookie);
#endif
}
