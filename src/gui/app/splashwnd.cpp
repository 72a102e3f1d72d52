#include "gui/app/splashwnd.h"

#include <QApplication>
#include <QEvent>
#include <QEventLoop>
#include <QPainter>
#include <QScreen>

namespace {

constexpr int kSplashBitmap = 103;
constexpr int kTickMs = 1000;
constexpr int kTicksShown = 3;

} // namespace

bool CSplashWnd::s_enabled = true;
CSplashWnd* CSplashWnd::s_current = nullptr;
int CSplashWnd::s_ticks = 0;

CSplashWnd::CSplashWnd(QWidget* owner)
    : QWidget(owner, Qt::SplashScreen | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_owner(owner)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setAccessibleName(QStringLiteral("Splash"));
    setCursor(Qt::ArrowCursor);
}

CSplashWnd::~CSplashWnd()
{
    if (m_timer)
        killTimer(m_timer);
    qApp->removeEventFilter(this);
    if (s_current == this)
        s_current = nullptr;
}

void CSplashWnd::EnableSplashScreen(bool enable)
{
    const bool wasOn = s_enabled;
    s_enabled = enable;
    if (wasOn && !enable && s_current)
        HideSplashScreen();
}

void CSplashWnd::ShowSplashScreen(QWidget* owner)
{
    if (!s_enabled || s_current)
        return;
    auto* splash = new CSplashWnd(owner);
    if (!splash->Create()) {
        delete splash;
        return;
    }
    s_current = splash;
    splash->show();
    splash->raise();
    splash->repaint();
}

bool CSplashWnd::Create()
{
    if (!m_dib.LoadResource(kSplashBitmap))
        return false;
    setFixedSize(m_dib.GetSize());
    // Centred over the owner when it is on screen, else on the screen.
    const QRect area = m_owner && m_owner->isVisible()
                           ? m_owner->frameGeometry()
                           : (screen() ? screen()->availableGeometry() : QRect());
    if (area.isValid())
        move(area.center() - rect().center());
    m_timer = startTimer(kTickMs);
    // Every press anywhere in the program goes past the splash first.
    qApp->installEventFilter(this);
    return m_timer != 0;
}

void CSplashWnd::HideSplashScreen()
{
    CSplashWnd* splash = s_current;
    if (!splash)
        return;
    s_current = nullptr;
    QPointer<QWidget> owner = splash->m_owner;
    splash->close();
    if (owner)
        owner->update();
}

void CSplashWnd::WaitForSplash()
{
    if (!s_current || s_ticks >= kTicksShown)
        return;
    // The splash deletes itself when it hides (three ticks, a click or a key).
    QEventLoop loop;
    QObject::connect(s_current, &QObject::destroyed, &loop, &QEventLoop::quit);
    loop.exec();
}

void CSplashWnd::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_dib.Draw(painter, QRect(QPoint(0, 0), m_dib.GetSize()));
}

void CSplashWnd::timerEvent(QTimerEvent* event)
{
    if (event->timerId() != m_timer)
        return QWidget::timerEvent(event);
    if (++s_ticks >= kTicksShown)
        HideSplashScreen();
}

bool CSplashWnd::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::MouseButtonPress:
    case QEvent::NonClientAreaMouseButtonPress:
    case QEvent::KeyPress:
        if (s_current == this) {
            HideSplashScreen();
            return true; // consumed: the press does not reach the window below
        }
        break;
    default:
        break;
    }
    return QWidget::eventFilter(watched, event);
}
