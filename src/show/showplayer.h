#pragma once

#include <QtGlobal>
#include <cstdint>

class CShowClock;
class CShowSequence;

// Runs a show's sequence on a clock, as the card player would: steps that
// are off are skipped, a timed step (MotionType 1) goes on after its
// interval, any other step waits for the user; a control step shows no
// picture of its own (the last picture stays) and waits its interval or for
// its input. Next, previous, first, last and pause work at any time. At the
// end the show finishes, or starts again when its sequence repeats.
class CShowPlayer
{
public:
    enum Move
    {
        NoMove,
        Forward, // by the clock or the user: drawn with the step's transition
        Jump,    // back, first, last: drawn without a transition
    };

    CShowPlayer(const CShowSequence& sequence, const CShowClock& clock);

    // Starts at the first step that is on at or after `step`; false when no
    // step is on.
    bool Start(int step = 0);
    // Moves on when the current step's time is up; what moved.
    Move Tick();
    Move Next();
    Move Previous();
    Move First();
    Move Last();
    void SetPaused(bool paused);
    bool Paused() const { return m_paused; }

    bool Finished() const { return m_finished; }
    int Current() const { return m_current; }
    // The step whose picture is on screen: the current one, or for a
    // control step the last picture before it (-1: none yet).
    int ShownPicture() const { return m_shownPicture; }
    // The picture step that a forward move would show next (-1: none).
    int NextPicture() const;
    // Milliseconds until the current step goes on by itself; -1 when it
    // waits for the user.
    qint64 TimeLeftMs() const;
    // How often the show started again from its beginning.
    int Loops() const { return m_loops; }
    // What a "random" transition into the current step draws from: the
    // same step of the same pass always draws the same.
    uint32_t TransitionSeed() const
    {
        return uint32_t(m_current) * 2654435761U + uint32_t(m_loops);
    }

    // The shortest interval a timed step is given: a step of 0 seconds
    // would make a repeating show spin.
    static constexpr int MinIntervalSec = 1;

private:
    int NextOn(int from) const; // first step that is on after `from`, -1 none
    int PreviousOn(int from) const;
    int PictureAtOrBefore(int step) const;
    void Enter(int step);
    qint64 Elapsed() const;

    const CShowSequence& m_sequence;
    const CShowClock& m_clock;
    int m_current = -1;
    int m_shownPicture = -1;
    bool m_finished = true;
    bool m_paused = false;
    qint64 m_runStart = 0;  // clock when the current step last ran on
    qint64 m_ranBefore = 0; // time the current step ran before a pause
    int m_loops = 0;
};
