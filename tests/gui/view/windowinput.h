#pragma once

#include <QApplication>
#include <QMenu>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <functional>

// Input as the platform delivers it: to the top-level window, which finds
// the widget under the pointer or with the focus, grabs the mouse between
// press and release and turns a right press into a context-menu request,
// as a desktop does. Offscreen and on a real X server alike.
namespace WindowInput {

inline QWindow* WindowOf(QWidget* widget)
{
    return widget->window()->windowHandle();
}

inline QPoint InWindow(QWidget* widget, QPoint at)
{
    return widget->mapTo(widget->window(), at);
}

inline void Press(QWidget* widget, Qt::MouseButton button, QPoint at,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mousePress(WindowOf(widget), button, modifiers, InWindow(widget, at));
}

inline void Release(QWidget* widget, Qt::MouseButton button, QPoint at,
                    Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::mouseRelease(WindowOf(widget), button, modifiers, InWindow(widget, at));
}

inline void Click(QWidget* widget, Qt::MouseButton button, QPoint at,
                  Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    Press(widget, button, at, modifiers);
    Release(widget, button, at, modifiers);
}

inline void DoubleClick(QWidget* widget, QPoint at)
{
    QTest::mouseDClick(WindowOf(widget), Qt::LeftButton, Qt::NoModifier, InWindow(widget, at));
}

// A move with whatever buttons are held.
inline void Move(QWidget* widget, QPoint at)
{
    QTest::mouseMove(WindowOf(widget), InWindow(widget, at));
}

inline void Key(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(WindowOf(widget), key, modifiers);
}

// Runs `act` on the next popup menu once it is up (menus run their own
// loop, so the test acts from a timer). Gives up after `timeoutMs`.
inline void WhenMenuShown(std::function<void(QMenu*)> act, int timeoutMs = 5000)
{
    auto* timer = new QTimer;
    auto* elapsed = new int(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, elapsed, act, timeoutMs] {
        *elapsed += 10;
        QPointer<QMenu> menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
        if (!menu && *elapsed < timeoutMs)
            return;
        timer->stop();
        timer->deleteLater();
        delete elapsed;
        if (menu)
            act(menu);
    });
    timer->start();
}

// Escape on the next menu: it closes with nothing chosen.
inline void EscapeNextMenu()
{
    WhenMenuShown([](QMenu* menu) { QTest::keyClick(menu, Qt::Key_Escape); });
}

// The menu entry whose command number is `command`, or null.
inline QAction* EntryOf(QMenu* menu, int command)
{
    for (QAction* action : menu->actions()) {
        if (action->data().toInt() == command)
            return action;
    }
    return nullptr;
}

} // namespace WindowInput
