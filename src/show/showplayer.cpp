#include "show/showplayer.h"

#include "show/showclock.h"
#include "show/showsequence.h"

#include <algorithm>

CShowPlayer::CShowPlayer(const CShowSequence& sequence, const CShowClock& clock)
    : m_sequence(sequence), m_clock(clock)
{}

int CShowPlayer::NextOn(int from) const
{
    return m_sequence.FirstOnFrom(from + 1);
}

int CShowPlayer::PreviousOn(int from) const
{
    for (int i = from - 1; i >= 0; --i) {
        if (m_sequence.Steps()[static_cast<size_t>(i)].on)
            return i;
    }
    return -1;
}

int CShowPlayer::PictureAtOrBefore(int step) const
{
    for (int i = step; i >= 0; --i) {
        const CShowStep& s = m_sequence.Steps()[static_cast<size_t>(i)];
        if (s.on && !s.control)
            return i;
    }
    return -1;
}

void CShowPlayer::Enter(int step)
{
    m_current = step;
    const int picture = PictureAtOrBefore(step);
    // A control step at the very start keeps what is on screen.
    if (picture >= 0)
        m_shownPicture = picture;
    m_runStart = m_clock.NowMs();
    m_ranBefore = 0;
}

bool CShowPlayer::Start(int step)
{
    m_loops = 0;
    m_shownPicture = -1;
    const int first = m_sequence.FirstOnFrom(step);
    const int start = first >= 0 ? first : m_sequence.FirstOnFrom(0);
    m_finished = start < 0;
    if (m_finished)
        return false;
    Enter(start);
    return true;
}

qint64 CShowPlayer::Elapsed() const
{
    return m_ranBefore + (m_paused ? 0 : m_clock.NowMs() - m_runStart);
}

qint64 CShowPlayer::TimeLeftMs() const
{
    if (m_finished || m_current < 0)
        return -1;
    const CShowStep& step = m_sequence.Steps()[static_cast<size_t>(m_current)];
    if (!step.timed)
        return -1;
    const qint64 interval = qint64(std::max(step.intervalSec, MinIntervalSec)) * 1000;
    return std::max<qint64>(0, interval - Elapsed());
}

CShowPlayer::Move CShowPlayer::Tick()
{
    if (m_finished || m_paused)
        return NoMove;
    return TimeLeftMs() == 0 ? Next() : NoMove;
}

CShowPlayer::Move CShowPlayer::Next()
{
    if (m_finished)
        return NoMove;
    int next = NextOn(m_current);
    if (next < 0 && m_sequence.Repeat()) {
        next = m_sequence.FirstOnFrom(0);
        ++m_loops;
    }
    if (next < 0) {
        m_finished = true;
        return NoMove;
    }
    Enter(next);
    return Forward;
}

CShowPlayer::Move CShowPlayer::Previous()
{
    if (m_finished)
        return NoMove;
    const int previous = PreviousOn(m_current);
    if (previous < 0)
        return NoMove;
    Enter(previous);
    return Jump;
}

CShowPlayer::Move CShowPlayer::First()
{
    const int first = m_sequence.FirstOnFrom(0);
    if (m_finished || first < 0 || first == m_current)
        return NoMove;
    Enter(first);
    return Jump;
}

CShowPlayer::Move CShowPlayer::Last()
{
    const int last = PreviousOn(static_cast<int>(m_sequence.Steps().size()));
    if (m_finished || last < 0 || last == m_current)
        return NoMove;
    Enter(last);
    return Jump;
}

void CShowPlayer::SetPaused(bool paused)
{
    if (paused == m_paused)
        return;
    if (paused)
        m_ranBefore += m_clock.NowMs() - m_runStart;
    else
        m_runStart = m_clock.NowMs();
    m_paused = paused;
}

int CShowPlayer::NextPicture() const
{
    if (m_finished)
        return -1;
    const auto& steps = m_sequence.Steps();
    const int count = static_cast<int>(steps.size());
    for (int n = 1; n <= count; ++n) {
        int i = m_current + n;
        if (i >= count) {
            if (!m_sequence.Repeat())
                return -1;
            i -= count;
        }
        const CShowStep& s = steps[static_cast<size_t>(i)];
        if (s.on && !s.control)
            return i;
    }
    return -1;
}
