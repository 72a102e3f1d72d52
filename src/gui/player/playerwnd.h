#pragma once

#include "show/showclock.h"
#include "show/showplayer.h"
#include "show/showsequence.h"

#include <QImage>
#include <QTimer>
#include <QWidget>
#include <memory>

class CShowPictures;
class CScreenSaverInhibitor;

// The show on the screen: full screen on the screen it is given (a key
// switches to a window and back), pictures fitted and letterboxed in the
// background colour, the transitions drawn as they run. Space, Right,
// Page Down and a click go forward; Left and Page Up back; Home and End to
// the first and last step; P pauses; I shows the overlay (slide n of N, the
// time left, the next picture small); F switches between full screen and a
// window; Escape ends. The screen does not blank while it plays.
class CPlayerWnd : public QWidget
{
    Q_OBJECT
public:
    // Why the show ended.
    enum EndReason
    {
        EndedByUser,
        EndedAtLastStep,
        EndedCardGone,
    };

    CPlayerWnd(std::unique_ptr<CShowSequence> sequence, int startStep, QWidget* parent = nullptr);
    ~CPlayerWnd() override;

    // Shows the first picture and starts the clock; full screen on `screen`
    // unless `windowed`. false when nothing is on.
    bool Start(QScreen* screen, bool windowed = false);

    const CShowPlayer& Player() const { return *m_player; }
    const CShowSequence& Sequence() const { return *m_sequence; }
    bool OverlayShown() const { return m_overlay; }
    bool InTransition() const { return m_transitionMs > 0; }
    // The frame on screen now (1024 x 768, before fitting to the window).
    const QImage& Frame() const { return m_frame; }
    // Draws the running transition at `progress` and holds it there (for
    // pictures of a transition caught half way).
    void FreezeTransition(double progress);
    EndReason Reason() const { return m_reason; }
    // The card whose removal ended the show ("" otherwise).
    const std::string& GoneCard() const { return m_goneCard; }
    // How many pictures the show holds now.
    int PicturesHeld() const;

Q_SIGNALS:
    void Ended();

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void Apply(CShowPlayer::Move move);
    void OnTick();
    void ShowStep(bool withTransition);
    void Announce();
    void CheckCard();
    void End(EndReason reason);
    void DrawOverlay(QPainter& painter, const QRect& area);
    QString StatusText() const;

    std::unique_ptr<CShowSequence> m_sequence;
    CSteadyShowClock m_clock;
    std::unique_ptr<CShowPlayer> m_player;
    std::unique_ptr<CShowPictures> m_pictures;
    std::unique_ptr<CScreenSaverInhibitor> m_inhibitor;
    int m_startStep = 0;
    QTimer m_tick;
    QTimer m_cardWatch;
    QImage m_frame; // what is on screen
    QImage m_from;  // the outgoing picture of a running transition
    QImage m_to;    // the incoming one
    int m_effect = 0;
    uint32_t m_seed = 0;
    qint64 m_transitionStart = 0;
    int m_transitionMs = 0; // 0: no transition running
    bool m_frozen = false;
    bool m_overlay = false;
    bool m_ended = false;
    EndReason m_reason = EndedByUser;
    std::string m_goneCard;
};
