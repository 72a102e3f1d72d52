#include "gui/app/windowplacementsettings.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QWidget>
#include <cstdint>

namespace {

// Written as 32-bit two's complement, read back signed.
void put(QSettings& settings, const char* name, int value)
{
    settings.setValue(QLatin1String(name), static_cast<qlonglong>(static_cast<uint32_t>(value)));
}

int get(QSettings& settings, const char* name, int fallback)
{
    bool ok = false;
    const qlonglong v = settings.value(QLatin1String(name), fallback).toLongLong(&ok);
    if (!ok)
        return fallback;
    return static_cast<int32_t>(static_cast<uint32_t>(v));
}

} // namespace

void WindowPlacementSettings::Save(QSettings& settings, const QString& section,
                                   const QWidget& window)
{
    const Qt::WindowStates state = window.windowState();
    showCmd = state & Qt::WindowMaximized   ? ShowMaximized
              : state & Qt::WindowMinimized ? ShowMinimized
                                            : ShowNormal;
    flags = 0;
    const QRect g = window.normalGeometry().isValid() ? window.normalGeometry() : window.geometry();
    normal = g;
    const QPoint at = window.pos();
    minX = minY = -1;
    maxX = at.x();
    maxY = at.y();

    settings.beginGroup(section);
    put(settings, "wp.showCmd", showCmd);
    put(settings, "wp.flags", flags);
    put(settings, "wp.ptMinPosition.x", minX);
    put(settings, "wp.ptMinPosition.y", minY);
    put(settings, "wp.ptMaxPosition.x", maxX);
    put(settings, "wp.ptMaxPosition.y", maxY);
    put(settings, "wp.left", g.left());
    put(settings, "wp.right", g.left() + g.width());
    put(settings, "wp.top", g.top());
    put(settings, "wp.bottom", g.top() + g.height());
    settings.endGroup();
}

bool WindowPlacementSettings::Restore(QSettings& settings, const QString& section, QWidget& window)
{
    settings.beginGroup(section);
    showCmd = get(settings, "wp.showCmd", showCmd);
    flags = get(settings, "wp.flags", flags);
    minX = get(settings, "wp.ptMinPosition.x", minX);
    minY = get(settings, "wp.ptMinPosition.y", minY);
    maxX = get(settings, "wp.ptMaxPosition.x", maxX);
    maxY = get(settings, "wp.ptMaxPosition.y", maxY);
    const int left = get(settings, "wp.left", normal.left());
    const int right =
        get(settings, "wp.right", normal.isNull() ? 0 : normal.left() + normal.width());
    const int top = get(settings, "wp.top", normal.top());
    const int bottom =
        get(settings, "wp.bottom", normal.isNull() ? 0 : normal.top() + normal.height());
    settings.endGroup();

    // Right and bottom lie just outside the rectangle, as stored.
    if (right <= left || bottom <= top)
        return false;
    normal = QRect(left, top, right - left, bottom - top);
    if (!IsOnAScreen(normal))
        return false;
    window.setGeometry(normal);
    if (showCmd == ShowMaximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    else if (showCmd == ShowMinimized)
        window.setWindowState(window.windowState() | Qt::WindowMinimized);
    return true;
}

bool WindowPlacementSettings::IsOnAScreen(const QRect& normal)
{
    for (const QScreen* screen : QGuiApplication::screens()) {
        if (screen->virtualGeometry().intersects(normal) || screen->geometry().intersects(normal))
            return true;
    }
    return false;
}
