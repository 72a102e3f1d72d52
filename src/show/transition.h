#pragma once

#include <QImage>
#include <array>
#include <cstdint>

// The transitions of the effect list (0 to 41), drawn from the outgoing and
// the incoming picture at a progress between 0 (all outgoing) and 1 (all
// incoming). How the projector reads the effect parameters is not fixed;
// this player's reading is its own: none of them plainly gives a speed, so
// every transition but the cut lasts one second, and the bands, squares and
// strips have fixed counts.
class CTransition
{
public:
    enum Effect
    {
        Cut = 0,
        FadeThroughBlack = 1,
        Dissolve = 2,
        WipeFromLeft = 3,     // .. WipeFromBottom = 6
        PushFromLeft = 7,     // .. 10
        SlideInFromLeft = 11, // .. 14
        BoxIn = 15,
        BoxOut = 16,
        HorizontalBlinds = 17,
        VerticalBlinds = 18,
        CheckerboardAcross = 19,
        CheckerboardDown = 20,
        SplitInHorizontal = 21,
        SplitOutHorizontal = 22,
        SplitInVertical = 23,
        SplitOutVertical = 24,
        CircleIn = 25,
        CircleOut = 26,
        DiamondIn = 27,
        DiamondOut = 28,
        ClockSweep = 29,
        RandomHorizontalBars = 30,
        RandomVerticalBars = 31,
        StripsDownLeft = 32, // .. StripsUpRight = 35
        CoverFromTopLeft = 36,
        UncoverToBottomRight = 37,
        ZoomIn = 38,
        ZoomOut = 39,
        FadeThroughWhite = 40,
        Random = 41,
    };
    static constexpr int EffectCount = 42;

    // How long the transition into a picture lasts, in milliseconds.
    static int DurationMs(int effect, const std::array<int32_t, 11>& disolve);
    // The effect that "random" stands for at a given step (the same step
    // always draws the same); other effects stand for themselves. An effect
    // outside the list is the cut.
    static int Resolve(int effect, uint32_t seed);
    // Draws `effect` (resolved with `seed`) at `progress` into `out`, which
    // takes the size of `from`; `to` must have the same size. Both are
    // 32-bit RGB pictures.
    static void Draw(const QImage& from, const QImage& to, int effect, double progress,
                     uint32_t seed, QImage& out);
};
