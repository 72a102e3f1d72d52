#include "base/msgid.h"
#include "editor/celldialogrules.h"
#include "editor/cellpropdata.h"
#include "editor/ctrlpropdata.h"
#include "editor/effectdata.h"
#include "support/scriptedprompt.h"

#include <gtest/gtest.h>

namespace {

using Verdict = CCellDialogRules::Verdict;

TEST(CellDialogRulesTest, SingleModeInterval)
{
    struct Case
    {
        int motion, interval;
        Verdict expected;
    };
    const Case cases[] = {
        {1, 0, Verdict::IntervalRefused},  {1, 1, Verdict::Accepted},
        {1, 1800, Verdict::Accepted},      {1, 1801, Verdict::IntervalRefused},
        {1, -5, Verdict::IntervalRefused}, {0, 0, Verdict::Accepted},
        {0, 99999, Verdict::Accepted}, // the interval is not used without motion
    };
    for (const Case& c : cases) {
        CCellPropData d;
        d.motion = c.motion;
        d.interval = c.interval;
        d.effect = 3;
        EXPECT_EQ(CCellDialogRules::CheckCellProp(d), c.expected)
            << "motion " << c.motion << " interval " << c.interval;
        CCtrlPropData ctrl;
        ctrl.motion = c.motion;
        ctrl.interval = c.interval;
        EXPECT_EQ(CCellDialogRules::CheckCtrlProp(ctrl), c.expected);
    }
}

TEST(CellDialogRulesTest, MultipleModeInterval)
{
    struct Case
    {
        int initial, interval;
        Verdict expected;
    };
    const Case cases[] = {
        {30, 0, Verdict::IntervalRefused}, // the cells shared an interval: 0 is no value
        {0, 0, Verdict::Accepted},         // they differed: 0 keeps each cell's own
        {0, 1801, Verdict::IntervalRefused}, {30, 1800, Verdict::Accepted},
        {0, -1, Verdict::IntervalRefused}, // negative counts as above 1800
        {30, 1, Verdict::Accepted},
    };
    for (const Case& c : cases) {
        CCellPropData d;
        d.multiple = true;
        d.motion = 1;
        d.interval = c.initial;
        d.effect = -1;
        CCellDialogRules::OpenCellProp(d);
        EXPECT_EQ(d.initialInterval, c.initial);
        d.interval = c.interval;
        EXPECT_EQ(CCellDialogRules::CheckCellProp(d), c.expected)
            << "initial " << c.initial << " interval " << c.interval;
        d.motion = -1;
        EXPECT_EQ(CCellDialogRules::CheckCellProp(d), Verdict::Accepted) << "no motion chosen";
    }
}

TEST(CellDialogRulesTest, EffectSelection)
{
    CCellPropData single;
    single.effect = 50;
    CCellDialogRules::OpenCellProp(single);
    EXPECT_EQ(single.effect, 0) << "an effect out of range opens as effect 0";
    single.effect = -1;
    EXPECT_EQ(CCellDialogRules::CheckCellProp(single), Verdict::EffectRefused);
    single.effect = 41;
    EXPECT_EQ(CCellDialogRules::CheckCellProp(single), Verdict::Accepted);

    CCellPropData multi;
    multi.multiple = true;
    multi.effect = -1;
    CCellDialogRules::OpenCellProp(multi);
    EXPECT_EQ(multi.effect, -1) << "multiple mode keeps 'nothing chosen'";
    EXPECT_EQ(CCellDialogRules::CheckCellProp(multi), Verdict::Accepted);
    multi.effect = 42;
    EXPECT_EQ(CCellDialogRules::CheckCellProp(multi), Verdict::EffectRefused);
    multi.hasImageCells = false;
    EXPECT_EQ(CCellDialogRules::CheckCellProp(multi), Verdict::Accepted)
        << "without image cells the effect takes no part";
}

TEST(CellDialogRulesTest, ReportShowsTheRangeMessage)
{
    CScriptedPrompt prompt;
    EXPECT_TRUE(CCellDialogRules::Report(&prompt, Verdict::Accepted));
    EXPECT_FALSE(CCellDialogRules::Report(&prompt, Verdict::IntervalRefused));
    EXPECT_FALSE(CCellDialogRules::Report(&prompt, Verdict::CountRefused));
    EXPECT_FALSE(CCellDialogRules::Report(&prompt, Verdict::EffectRefused));
    ASSERT_EQ(prompt.shown.size(), 2u) << "the effect list only beeps";
    EXPECT_EQ(prompt.shown[0].id, MsgId::EnterWholeNumberInRange);
    EXPECT_NE(prompt.shown[0].text.find("1800"), std::string::npos);
    EXPECT_EQ(prompt.shown[0].icon, CUserPrompt::Exclamation);
    EXPECT_NE(prompt.shown[1].text.find("148"), std::string::npos);
    EXPECT_EQ(prompt.shown[1].text.find("%1"), std::string::npos);
    EXPECT_FALSE(CCellDialogRules::Report(nullptr, Verdict::IntervalRefused));
}

TEST(CellDialogRulesTest, EffectDialogOpeningAndCount)
{
    CEffectData d;
    d.disolve = {3, 9, 0, 0, -1, 0, 0, 0, 8, 2, 0};
    CCellDialogRules::OpenEffect(d);
    EXPECT_EQ(d.disolve[1], 0) << "colour 9 shows colour 0";
    EXPECT_EQ(d.disolve[4], 0);
    EXPECT_EQ(d.disolve[8], 0);
    EXPECT_EQ(d.disolve[0], 3) << "the pattern is not a colour";
    for (const auto& [count, expected] :
         std::vector<std::pair<int, Verdict>>{{1, Verdict::CountRefused},
                                              {2, Verdict::Accepted},
                                              {148, Verdict::Accepted},
                                              {149, Verdict::CountRefused}}) {
        d.disolve[9] = count;
        EXPECT_EQ(CCellDialogRules::CheckEffect(d), expected) << count;
    }
}

TEST(CellDialogRulesTest, EffectEnablingByPattern)
{
    const int motionGroup[] = {1100, 1070, 1071};
    const int colourGroup[] = {1101, 1110, 1103, 1072, 1073};
    struct Case
    {
        int pattern;
        bool motion, colour;
    };
    const Case cases[] = {{0, true, false}, {5, true, false}, {6, false, true},
                          {7, false, true}, {8, true, true},  {-1, true, true}};
    for (const Case& c : cases) {
        for (int id : motionGroup)
            EXPECT_EQ(CCellDialogRules::EffectControlEnabled(c.pattern, id), c.motion)
                << "pattern " << c.pattern << " control " << id;
        for (int id : colourGroup)
            EXPECT_EQ(CCellDialogRules::EffectControlEnabled(c.pattern, id), c.colour)
                << "pattern " << c.pattern << " control " << id;
        EXPECT_TRUE(CCellDialogRules::EffectControlEnabled(c.pattern, 1050));
    }
}

} // namespace
