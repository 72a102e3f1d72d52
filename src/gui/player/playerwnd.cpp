#include "gui/player/playerwnd.h"

#include "base/msgid.h"
#include "base/resourcebundle.h"
#include "gui/player/screensaverinhibitor.h"
#include "show/showpictures.h"
#include "show/transition.h"

#include <QAccessible>
#include <QCloseEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace {

constexpr int kIdleTickMs = 100;
constexpr int kFrameTickMs = 15;
constexpr int kCardWatchMs = 500;
constexpr int kControlInputNames = 3;

QString text(int id, const QString& a = {}, const QString& b = {})
{
    return QString::fromStdString(CResourceBundle::Format(id, a.toStdString(), b.toStdString()));
}

QColor colourOf(uint32_t backColor)
{
    return QColor(int(backColor & 0xFF), int((backColor >> 8) & 0xFF),
                  int((backColor >> 16) & 0xFF));
}

// The card a scenario file lies on: the folder it is in.
std::string cardOf(const std::string& scenarioFile)
{
    return QFileInfo(QString::fromStdString(scenarioFile)).absolutePath().toStdString();
}

} // namespace

CPlayerWnd::CPlayerWnd(std::unique_ptr<CShowSequence> sequence, int startStep, QWidget* parent)
    : QWidget(parent, Qt::Window), m_sequence(std::move(sequence)), m_startStep(startStep)
{
    setObjectName(QStringLiteral("playerWindow"));
    setWindowTitle(text(MsgId::ShowWindowName));
    setAccessibleName(windowTitle());
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::BlankCursor);
    m_player = std::make_unique<CShowPlayer>(*m_sequence, m_clock);
    m_pictures = std::make_unique<CShowPictures>(*m_sequence);
    connect(&m_tick, &QTimer::timeout, this, &CPlayerWnd::OnTick);
    connect(&m_cardWatch, &QTimer::timeout, this, &CPlayerWnd::CheckCard);
}

CPlayerWnd::~CPlayerWnd() = default;

int CPlayerWnd::PicturesHeld() const
{
    return m_pictures->Held();
}

bool CPlayerWnd::Start(QScreen* screen, bool windowed)
{
    if (!m_player->Start(m_startStep))
        return false;
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (screen) {
        // The window goes to that screen before it is shown there; full
        // screen covers it also where no window manager does it.
        setGeometry(windowed ? screen->geometry().adjusted(80, 60, -80, -60) : screen->geometry());
    }
    ShowStep(false);
    if (windowed)
        show();
    else
        showFullScreen();
    raise();
    activateWindow();
    setFocus();
    m_inhibitor = std::make_unique<CScreenSaverInhibitor>(windowTitle());
    m_tick.start(kIdleTickMs);
    bool fromCard = false;
    for (const CShowStep& step : m_sequence->Steps())
        fromCard = fromCard || !step.scenarioFile.empty();
    if (fromCard)
        m_cardWatch.start(kCardWatchMs);
    return true;
}

void CPlayerWnd::ShowStep(bool withTransition)
{
    const int shown = m_player->ShownPicture();
    const int current = m_player->Current();
    const CShowStep& step = m_sequence->Steps()[static_cast<size_t>(current)];
    QImage picture = shown >= 0 ? m_pictures->Get(shown) : CShowPictures::Blank(step.backColor);
    const bool newPicture = !step.control;
    if (withTransition && newPicture && !m_frame.isNull()) {
        m_transitionMs = CTransition::DurationMs(step.effect, step.disolve);
        m_from = m_frame;
        m_to = picture;
        m_effect = step.effect;
        m_seed = m_player->TransitionSeed();
        m_transitionStart = m_clock.NowMs();
        m_frozen = false;
    } else {
        m_transitionMs = 0;
    }
    if (m_transitionMs > 0) {
        CTransition::Draw(m_from, m_to, m_effect, 0.0, m_seed, m_frame);
        m_tick.setInterval(kFrameTickMs);
    } else {
        m_from = QImage();
        m_to = QImage();
        m_frame = picture;
        m_tick.setInterval(kIdleTickMs);
    }
    // What stays: the picture on screen and the next; nothing else.
    const int next = m_player->NextPicture();
    m_pictures->Keep({shown, next});
    m_pictures->Prefetch(next);
    Announce();
    update();
}

void CPlayerWnd::FreezeTransition(double progress)
{
    if (m_transitionMs <= 0)
        return;
    m_frozen = true;
    CTransition::Draw(m_from, m_to, m_effect, progress, m_seed, m_frame);
    update();
}

void CPlayerWnd::OnTick()
{
    if (m_ended)
        return;
    if (m_transitionMs > 0 && !m_frozen) {
        const double progress = double(m_clock.NowMs() - m_transitionStart) / m_transitionMs;
        if (progress >= 1.0) {
            m_frame = m_to;
            m_from = QImage();
            m_to = QImage();
            m_transitionMs = 0;
            m_tick.setInterval(kIdleTickMs);
        } else {
            CTransition::Draw(m_from, m_to, m_effect, progress, m_seed, m_frame);
        }
        update();
    }
    Apply(m_player->Tick());
    if (m_overlay)
        update();
}

void CPlayerWnd::Apply(CShowPlayer::Move move)
{
    if (m_ended)
        return;
    if (m_player->Finished()) {
        End(EndedAtLastStep);
        return;
    }
    if (move != CShowPlayer::NoMove)
        ShowStep(move == CShowPlayer::Forward);
}

QString CPlayerWnd::StatusText() const
{
    const int current = m_player->Current();
    const CShowStep& step = m_sequence->Steps()[static_cast<size_t>(current)];
    QString status;
    if (step.control) {
        status = step.timed ? text(MsgId::ShowControlTimed, QString::number(step.intervalSec))
                            : text(MsgId::ShowControlWaits,
                                   text(MsgId::InputRemoteControl +
                                        (step.inputDev >= 0 && step.inputDev < kControlInputNames
                                             ? step.inputDev
                                             : 0)));
    } else {
        status = text(MsgId::ShowSlideOfCount, QString::number(m_sequence->PictureNumber(current)),
                      QString::number(m_sequence->PictureCount()));
    }
    return status;
}

void CPlayerWnd::Announce()
{
    const int current = m_player->Current();
    const CShowStep& step = m_sequence->Steps()[static_cast<size_t>(current)];
    const QString number =
        step.control ? StatusText() : QString::number(m_sequence->PictureNumber(current));
    setAccessibleName(text(MsgId::ShowAccessibleSlide, number, QString::fromStdString(step.label)));
    setAccessibleDescription(StatusText());
    QAccessibleEvent event(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&event);
}

void CPlayerWnd::CheckCard()
{
    if (m_ended || m_player->Current() < 0)
        return;
    const CShowStep& step = m_sequence->Steps()[static_cast<size_t>(m_player->Current())];
    if (step.scenarioFile.empty() || QFileInfo::exists(QString::fromStdString(step.scenarioFile)))
        return;
    m_goneCard = cardOf(step.scenarioFile);
    End(EndedCardGone);
}

void CPlayerWnd::End(EndReason reason)
{
    if (m_ended)
        return;
    m_ended = true;
    m_reason = reason;
    m_tick.stop();
    m_cardWatch.stop();
    m_inhibitor.reset();
    close();
    Q_EMIT Ended();
}

void CPlayerWnd::closeEvent(QCloseEvent* event)
{
    if (!m_ended) {
        m_ended = true;
        m_tick.stop();
        m_cardWatch.stop();
        m_inhibitor.reset();
        Q_EMIT Ended();
    }
    event->accept();
}

void CPlayerWnd::keyPressEvent(QKeyEvent* event)
{
    switch (event->key()) {
    case Qt::Key_Space:
    case Qt::Key_Right:
    case Qt::Key_PageDown:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return Apply(m_player->Next());
    case Qt::Key_Left:
    case Qt::Key_PageUp:
    case Qt::Key_Backspace:
        return Apply(m_player->Previous());
    case Qt::Key_Home:
        return Apply(m_player->First());
    case Qt::Key_End:
        return Apply(m_player->Last());
    case Qt::Key_P:
        m_player->SetPaused(!m_player->Paused());
        Announce();
        update();
        return;
    case Qt::Key_I:
        m_overlay = !m_overlay;
        setCursor(m_overlay ? Qt::ArrowCursor : Qt::BlankCursor);
        update();
        return;
    case Qt::Key_F:
    case Qt::Key_F11:
        if (isFullScreen())
            showNormal();
        else
            showFullScreen();
        return;
    case Qt::Key_Escape:
        return End(EndedByUser);
    default:
        QWidget::keyPressEvent(event);
    }
}

void CPlayerWnd::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        Apply(m_player->Next());
    else if (event->button() == Qt::RightButton)
        Apply(m_player->Previous());
}

void CPlayerWnd::paintEvent(QPaintEvent* /*event*/)
{
    QPainter painter(this);
    const int current = std::max(0, m_player->Current());
    const uint32_t back = m_sequence->Steps().empty()
                              ? 0
                              : m_sequence->Steps()[static_cast<size_t>(current)].backColor;
    painter.fillRect(rect(), colourOf(back));
    if (!m_frame.isNull()) {
        // Fitted and letterboxed, as the projector fits the card's picture.
        QSize fitted = m_frame.size().scaled(size(), Qt::KeepAspectRatio);
        const QRect target(QPoint((width() - fitted.width()) / 2, (height() - fitted.height()) / 2),
                           fitted);
        painter.setRenderHint(QPainter::SmoothPixmapTransform, m_transitionMs == 0);
        painter.drawImage(target, m_frame);
    }
    if (m_overlay)
        DrawOverlay(painter, rect());
}

void CPlayerWnd::DrawOverlay(QPainter& painter, const QRect& area)
{
    QString line = StatusText();
    const qint64 left = m_player->TimeLeftMs();
    if (m_player->Paused())
        line += QStringLiteral("  \u00b7  ") + text(MsgId::ShowPaused);
    else if (left >= 0)
        line += QStringLiteral("  \u00b7  ") +
                text(MsgId::ShowTimeLeft, QString::number((left + 999) / 1000));
    else
        line += QStringLiteral("  \u00b7  ") + text(MsgId::ShowWaiting);
    const int current = m_player->Current();
    line += QStringLiteral("\n") +
            QString::fromStdString(m_sequence->Steps()[static_cast<size_t>(current)].label);

    const int margin = 16;
    const QSize thumb(200, 150);
    QRect panel(area.left() + margin, area.bottom() - margin - thumb.height() - 2 * margin,
                area.width() - 2 * margin, thumb.height() + 2 * margin);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, true);
    painter.fillRect(panel, QColor(0, 0, 0, 180));
    const int next = m_player->NextPicture();
    QRect textArea = panel.adjusted(margin, margin, -margin, -margin);
    if (next >= 0) {
        // The next picture is held already: it was decoded ahead.
        const QImage picture = m_pictures->Get(next);
        const QRect box(panel.right() - margin - thumb.width(), panel.top() + margin, thumb.width(),
                        thumb.height());
        painter.drawImage(box, picture);
        painter.setPen(Qt::white);
        painter.drawRect(box);
        textArea.setRight(box.left() - margin);
    }
    QFont font = painter.font();
    font.setPixelSize(22);
    painter.setFont(font);
    painter.setPen(Qt::white);
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextWordWrap, line);
}
