#pragma once

#include <QElapsedTimer>
#include <QtGlobal>

// The time a show runs on, in milliseconds from an arbitrary start. The
// player reads it through this interface so tests can drive it by hand.
class CShowClock
{
public:
    virtual ~CShowClock() = default;
    virtual qint64 NowMs() const = 0;
};

// The real clock: a monotonic timer started on construction.
class CSteadyShowClock : public CShowClock
{
public:
    CSteadyShowClock() { m_timer.start(); }
    qint64 NowMs() const override { return m_timer.elapsed(); }

private:
    QElapsedTimer m_timer;
};
