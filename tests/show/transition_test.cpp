#include "show/transition.h"

#include <QColor>
#include <QImage>
#include <gtest/gtest.h>

namespace {

constexpr QRgb kFrom = 0xFFFF0000; // red
constexpr QRgb kTo = 0xFF0000FF;   // blue

QImage solid(QRgb colour)
{
    QImage image(1024, 768, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

QImage draw(int effect, double progress, uint32_t seed = 7)
{
    QImage out;
    CTransition::Draw(solid(kFrom), solid(kTo), effect, progress, seed, out);
    return out;
}

} // namespace

// Every effect starts on the outgoing picture and ends on the incoming one,
// whatever its drawing does in between.
TEST(Transition, EveryEffectStartsOnTheOldPictureAndEndsOnTheNew)
{
    const QImage from = solid(kFrom);
    const QImage to = solid(kTo);
    for (int effect = 0; effect < CTransition::EffectCount; ++effect) {
        SCOPED_TRACE(effect);
        EXPECT_EQ(draw(effect, 0.0), from);
        EXPECT_EQ(draw(effect, 1.0), to);
        // Half way is drawn at the picture's size without failing.
        const QImage half = draw(effect, 0.5);
        EXPECT_EQ(half.size(), from.size());
    }
}

// Half way through, the new picture shows where the effect has reached and
// the old one where it has not.
TEST(Transition, HalfWayEachFamilyShowsTheNewPictureWhereItHasReached)
{
    struct Case
    {
        int effect;
        QPoint at;
        QRgb expected;
    };
    const Case cases[] = {
        {CTransition::Cut, {512, 384}, kTo},
        {CTransition::WipeFromLeft, {100, 384}, kTo},
        {CTransition::WipeFromLeft, {900, 384}, kFrom},
        {CTransition::WipeFromLeft + 1, {100, 384}, kFrom}, // from the right
        {CTransition::WipeFromLeft + 1, {900, 384}, kTo},
        {CTransition::WipeFromLeft + 2, {512, 100}, kTo}, // from the top
        {CTransition::WipeFromLeft + 3, {512, 100}, kFrom},
        {CTransition::PushFromLeft, {100, 384}, kTo},
        {CTransition::PushFromLeft, {900, 384}, kFrom},
        {CTransition::SlideInFromLeft + 3, {512, 700}, kTo}, // from the bottom
        {CTransition::SlideInFromLeft + 3, {512, 100}, kFrom},
        {CTransition::BoxIn, {512, 384}, kFrom},
        {CTransition::BoxIn, {5, 5}, kTo},
        {CTransition::BoxOut, {512, 384}, kTo},
        {CTransition::BoxOut, {5, 5}, kFrom},
        {CTransition::HorizontalBlinds, {512, 10}, kTo},
        {CTransition::HorizontalBlinds, {512, 60}, kFrom},
        {CTransition::VerticalBlinds, {10, 384}, kTo},
        {CTransition::VerticalBlinds, {90, 384}, kFrom},
        {CTransition::CheckerboardAcross, {64, 64}, kTo},
        {CTransition::CheckerboardAcross, {192, 64}, kFrom},
        {CTransition::SplitInHorizontal, {512, 10}, kTo},
        {CTransition::SplitInHorizontal, {512, 384}, kFrom},
        {CTransition::SplitOutVertical, {512, 384}, kTo},
        {CTransition::SplitOutVertical, {10, 384}, kFrom},
        {CTransition::CircleIn, {512, 384}, kFrom},
        {CTransition::CircleIn, {3, 3}, kTo},
        {CTransition::CircleOut, {512, 384}, kTo},
        {CTransition::CircleOut, {3, 3}, kFrom},
        {CTransition::DiamondOut, {512, 384}, kTo},
        {CTransition::DiamondOut, {3, 3}, kFrom},
        {CTransition::ClockSweep, {900, 384}, kTo},
        {CTransition::ClockSweep, {100, 384}, kFrom},
        {CTransition::StripsDownLeft + 1, {10, 10}, kTo}, // down right: from the top left
        {CTransition::StripsDownLeft + 1, {1010, 760}, kFrom},
        {CTransition::CoverFromTopLeft, {100, 100}, kTo},
        {CTransition::CoverFromTopLeft, {900, 700}, kFrom},
        {CTransition::UncoverToBottomRight, {100, 100}, kTo},
        {CTransition::UncoverToBottomRight, {900, 700}, kFrom},
        {CTransition::ZoomIn, {512, 384}, kTo},
        {CTransition::ZoomIn, {5, 5}, kFrom},
        {CTransition::ZoomOut, {512, 384}, kFrom},
        {CTransition::ZoomOut, {5, 5}, kTo},
        {CTransition::FadeThroughBlack, {512, 384}, 0xFF000000},
        {CTransition::FadeThroughWhite, {512, 384}, 0xFFFFFFFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message()
                     << "effect " << c.effect << " at " << c.at.x() << "," << c.at.y());
        EXPECT_EQ(draw(c.effect, 0.5).pixel(c.at), c.expected);
    }
}

// Dissolve and random bars change about the share of the picture that the
// progress says, and the same seed draws the same frame.
TEST(Transition, ScatteredEffectsTurnTheShareTheProgressSays)
{
    for (int effect : {int(CTransition::Dissolve), int(CTransition::RandomHorizontalBars),
                       int(CTransition::RandomVerticalBars)}) {
        SCOPED_TRACE(effect);
        for (double p : {0.25, 0.5, 0.75}) {
            const QImage frame = draw(effect, p);
            qint64 turned = 0;
            for (int y = 0; y < frame.height(); ++y)
                for (int x = 0; x < frame.width(); ++x)
                    turned += frame.pixel(x, y) == kTo ? 1 : 0;
            const double share = double(turned) / (1024.0 * 768.0);
            EXPECT_NEAR(share, p, 0.03);
        }
        EXPECT_EQ(draw(effect, 0.4, 11), draw(effect, 0.4, 11));
    }
}

TEST(Transition, RandomStandsForAnotherEffectAndTheCutTakesNoTime)
{
    const std::array<int32_t, 11> disolve{};
    for (uint32_t seed = 0; seed < 50; ++seed) {
        const int e = CTransition::Resolve(CTransition::Random, seed);
        EXPECT_GE(e, 1);
        EXPECT_LT(e, CTransition::Random);
    }
    EXPECT_EQ(CTransition::Resolve(99, 1), int(CTransition::Cut));
    EXPECT_EQ(CTransition::DurationMs(CTransition::Cut, disolve), 0);
    EXPECT_GT(CTransition::DurationMs(CTransition::Dissolve, disolve), 0);
    EXPECT_EQ(CTransition::DurationMs(-3, disolve), 0);
}
