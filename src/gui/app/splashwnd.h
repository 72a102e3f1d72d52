#pragma once

#include "imaging/dib.h"

#include <QPointer>
#include <QWidget>

// The picture shown over the main window at start-up for about three seconds,
// or until the user clicks or presses a key. At most one exists; the static
// functions drive it.
class CSplashWnd : public QWidget
{
    Q_OBJECT
public:
    static void EnableSplashScreen(bool enable);
    static bool IsEnabled() { return s_enabled; }
    // Shows the splash over `owner` unless disabled or already shown.
    static void ShowSplashScreen(QWidget* owner);
    static void HideSplashScreen();
    static CSplashWnd* Current() { return s_current; }
    // Pumps events while the splash is up and fewer than three seconds have
    // ticked.
    static void WaitForSplash();
    // Ticks counted since the first splash (never reset).
    static int TickCount() { return s_ticks; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit CSplashWnd(QWidget* owner);
    ~CSplashWnd() override;
    bool Create();

    CDib m_dib;
    int m_timer = 0;
    QPointer<QWidget> m_owner;

    static bool s_enabled;
    static CSplashWnd* s_current;
    static int s_ticks;
};
