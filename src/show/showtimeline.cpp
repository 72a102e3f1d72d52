#include "show/showtimeline.h"

#include "show/showclock.h"
#include "show/showplayer.h"
#include "show/showsequence.h"
#include "show/transition.h"

#include <algorithm>

namespace {

// Time that moves only when told: the player's timing without waiting.
class CSteppedClock : public CShowClock
{
public:
    qint64 NowMs() const override { return m_now; }
    void Advance(qint64 ms) { m_now += ms; }

private:
    qint64 m_now = 0;
};

} // namespace

void CShowTimeline::Build(const CShowSequence& sequence, qint64 waitMs)
{
    m_entries.clear();
    CSteppedClock clock;
    CShowPlayer player(sequence, clock);
    if (!player.Start())
        return;
    // A repeating show ends where it would start again: one pass.
    while (!player.Finished() && player.Loops() == 0) {
        const CShowStep& step = sequence.Steps()[static_cast<size_t>(player.Current())];
        Entry entry;
        entry.step = player.Current();
        entry.picture = player.ShownPicture();
        entry.startMs = clock.NowMs();
        const qint64 left = player.TimeLeftMs();
        entry.durationMs = left < 0 ? waitMs : left;
        // A control step leaves the picture as it is; the first picture
        // appears without a transition.
        if (!step.control && !m_entries.empty()) {
            entry.effect = step.effect;
            entry.seed = player.TransitionSeed();
            entry.transitionMs = int(std::min<qint64>(
                CTransition::DurationMs(step.effect, step.disolve), entry.durationMs));
        }
        m_entries.push_back(entry);
        clock.Advance(entry.durationMs);
        player.Next();
    }
}

qint64 CShowTimeline::DurationMs() const
{
    return m_entries.empty() ? 0 : m_entries.back().startMs + m_entries.back().durationMs;
}

qint64 CShowTimeline::FrameAt(qint64 ms, int fps)
{
    // The first frame at or after `ms`.
    return (ms * fps + 999) / 1000;
}
