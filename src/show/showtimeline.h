#pragma once

#include <QtGlobal>
#include <cstdint>
#include <vector>

class CShowSequence;

// A show laid out on a time line, one pass from its first step to its last,
// as the player runs it: each step that is on for its interval, a step that
// waits for the user for a fixed time instead. Each entry says what is on
// screen and which transition leads into it.
class CShowTimeline
{
public:
    struct Entry
    {
        int step = 0;      // the step the player is at
        int picture = -1;  // the step whose picture shows (-1: none yet)
        int effect = 0;    // transition into it (0: cut)
        uint32_t seed = 0; // for a "random" transition
        int transitionMs = 0;
        qint64 startMs = 0;
        qint64 durationMs = 0;
    };

    // `waitMs`: how long a step that waits for the user lasts.
    void Build(const CShowSequence& sequence, qint64 waitMs);

    const std::vector<Entry>& Entries() const { return m_entries; }
    qint64 DurationMs() const;
    // Frames at `fps`: frame n shows the moment n / fps seconds.
    static qint64 FrameAt(qint64 ms, int fps);

private:
    std::vector<Entry> m_entries;
};
