#pragma once

#include <QString>
#include <cstdint>

// Keeps the screen from blanking while a show plays: asks the desktop's
// screen saver (the freedesktop ScreenSaver interface on the session bus)
// to hold off, and lets go when destroyed. Without a session bus or that
// service (a bare X server, a build without Qt DBus) nothing is inhibited
// and Active() says so; the player then keeps running all the same.
class CScreenSaverInhibitor
{
public:
    explicit CScreenSaverInhibitor(const QString& reason);
    ~CScreenSaverInhibitor();
    CScreenSaverInhibitor(const CScreenSaverInhibitor&) = delete;
    CScreenSaverInhibitor& operator=(const CScreenSaverInhibitor&) = delete;

    bool Active() const { return m_active; }

private:
    uint32_t m_cookie = 0;
    bool m_active = false;
};
