#include "xtestinput.h"

#include <QTest>
#include <cstdlib>
#include <vector>

#ifdef ZELM_HAVE_XTEST
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#endif

#ifdef ZELM_HAVE_XTEST
namespace {
Display* D(void* display)
{
    return static_cast<Display*>(display);
}
} // namespace
#endif

CXTestInput::CXTestInput()
{
#ifdef ZELM_HAVE_XTEST
    if (!std::getenv("DISPLAY"))
        return;
    Display* display = XOpenDisplay(nullptr);
    if (!display)
        return;
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor)) {
        XCloseDisplay(display);
        return;
    }
    m_display = display;
#endif
}

CXTestInput::~CXTestInput()
{
#ifdef ZELM_HAVE_XTEST
    if (m_display)
        XCloseDisplay(D(m_display));
#endif
}

void CXTestInput::Flush()
{
#ifdef ZELM_HAVE_XTEST
    if (m_display)
        XSync(D(m_display), False);
#endif
}

void CXTestInput::Settle(int ms)
{
    QTest::qWait(ms);
}

void CXTestInput::MoveTo(QPoint global)
{
#ifdef ZELM_HAVE_XTEST
    if (!m_display)
        return;
    XTestFakeMotionEvent(D(m_display), -1, global.x(), global.y(), CurrentTime);
    m_at = global;
    Flush();
#endif
}

void CXTestInput::DragTo(QPoint global, int steps)
{
    const QPoint from = m_at;
    for (int i = 1; i <= steps; ++i)
        MoveTo(from + (global - from) * i / steps);
}

void CXTestInput::Press(int button)
{
#ifdef ZELM_HAVE_XTEST
    if (!m_display)
        return;
    XTestFakeButtonEvent(D(m_display), static_cast<unsigned>(button), True, CurrentTime);
    Flush();
#endif
}

void CXTestInput::Release(int button)
{
#ifdef ZELM_HAVE_XTEST
    if (!m_display)
        return;
    XTestFakeButtonEvent(D(m_display), static_cast<unsigned>(button), False, CurrentTime);
    Flush();
#endif
}

void CXTestInput::Click(QPoint global, int button)
{
    MoveTo(global);
    Press(button);
    Release(button);
}

void CXTestInput::Key(const char* keysym, std::initializer_list<const char*> modifiers)
{
#ifdef ZELM_HAVE_XTEST
    if (!m_display)
        return;
    Display* display = D(m_display);
    std::vector<KeyCode> held;
    for (const char* modifier : modifiers) {
        const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(modifier));
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        held.push_back(code);
    }
    const KeyCode code = XKeysymToKeycode(display, XStringToKeysym(keysym));
    XTestFakeKeyEvent(display, code, True, CurrentTime);
    XTestFakeKeyEvent(display, code, False, CurrentTime);
    for (auto it = held.rbegin(); it != held.rend(); ++it)
        XTestFakeKeyEvent(display, *it, False, CurrentTime);
    Flush();
#else
    (void)keysym;
    (void)modifiers;
#endif
}

void CXTestInput::Type(const QString& text)
{
    for (const QChar c : text) {
        const QByteArray name = QString(c.toLower()).toLatin1();
        if (c.isUpper())
            Key(name.constData(), {"Shift_L"});
        else
            Key(name.constData());
    }
}
