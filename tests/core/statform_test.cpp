// Performance window model: statistics refresh in run mode only, execution clock validation,
// direct input/output switches.
#include "StatForm/Statistics.h"

#include "views_util.h"

#include <gtest/gtest.h>

using namespace korvo;

namespace {

struct FakeRunTimer final : IRunTimer {
    int interval = DEFAULT_PLC_CLOCK_MS;
    std::vector<int> set;
    void SetInterval(int ms) override {
        interval = ms;
        set.push_back(ms);
    }
    int Interval() const override { return interval; }
};

} // namespace

TEST(ClockText, Parsing) {
    struct Case {
        const char* text;
        TClockParse::TKind kind;
        int value;
    };
    const Case cases[] = {
        {"5", TClockParse::Valid, 5},
        {" 20 ", TClockParse::Valid, 20},
        {"+7", TClockParse::Valid, 7},
        {"1", TClockParse::Valid, 1},
        {"2147483647", TClockParse::Valid, 2147483647},
        {"0", TClockParse::TooSmall, 0},
        {"-3", TClockParse::TooSmall, -3},
        {"", TClockParse::NotANumber, 5},
        {"abc", TClockParse::NotANumber, 5},
        {"1.5", TClockParse::NotANumber, 5},
        {"10ms", TClockParse::NotANumber, 5},
        {"-", TClockParse::NotANumber, 5},
        {"2147483648", TClockParse::NotANumber, 5},
        {"99999999999999999999", TClockParse::NotANumber, 5},
    };
    for (const Case& c : cases) {
        const TClockParse p = ParseClockText(c.text);
        EXPECT_EQ(p.Kind, c.kind) << c.text;
        EXPECT_EQ(p.Value, c.value) << c.text;
    }
}

TEST(StatisticsModel, ExecutionClockBoxAndEdit) {
    TVirtualTickSource ticks;
    TSoftAG ag(ticks);
    FakeRunTimer timer;
    TStatisticsModel m(ag, timer);
    EXPECT_FALSE(m.ClockChecked());
    EXPECT_FALSE(m.ClockEditEnabled());
    EXPECT_EQ(m.ClockText(), "5");

    m.SetClockText("20"); // edit disabled: nothing applied yet
    EXPECT_EQ(timer.interval, 5);
    m.SetClockChecked(true); // ticking applies the current text at once
    EXPECT_TRUE(m.ClockEditEnabled());
    EXPECT_EQ(timer.interval, 20);
    EXPECT_EQ(m.ClockHint(), "");

    m.SetClockText("0"); // refused, not applied
    EXPECT_EQ(timer.interval, 20);
    EXPECT_EQ(m.ClockHint(), "The execution clock must be at least 1 ms; it stays at 20 ms.");
    m.SetClockText("-4");
    EXPECT_EQ(timer.interval, 20);
    m.SetClockText("1");
    EXPECT_EQ(timer.interval, 1);
    EXPECT_EQ(m.ClockHint(), "");
    m.SetClockText("fast");
    EXPECT_EQ(timer.interval, 5);
    EXPECT_EQ(m.ClockHint(), "Not a whole number of milliseconds: the execution clock is 5 ms.");

    m.SetClockText("50");
    m.SetClockChecked(false); // back to the default
    EXPECT_EQ(m.ClockText(), "5");
    EXPECT_EQ(timer.interval, 5);
    EXPECT_EQ(m.ClockHint(), "");
    for (int v : timer.set)
        EXPECT_GE(v, MIN_PLC_CLOCK_MS);
}

TEST(StatisticsModel, FiguresRefreshInRunModeOnly) {
    korvo::test::CompiledPLC plc;
    plc.Load({{"main.il",
               "PROGRAM MAIN\nVAR\n    X : INT\nEND_VAR\n    LD X\n    ADD 1\n    ST X\nEND_PROGRAM\n"}});
    FakeRunTimer timer;
    TStatisticsModel m(plc.AG, timer);
    plc.AG.Reset();
    plc.AG.SetMode(MM_RUN);
    for (int i = 0; i < 300; ++i) { // 1.5 s of run mode at one cycle per 5 ms
        plc.Ticks.Advance(5);
        plc.AG.Cycle();
    }
    ASSERT_GT(plc.AG.CmdPSec, 0);
    EXPECT_TRUE(m.StatUpdTimerTimer());
    EXPECT_EQ(m.CycleTimeText(), std::to_string(plc.AG.CycleTime));
    EXPECT_EQ(m.CycleTimeText(), "5");
    EXPECT_EQ(m.CmdPSecText(), std::to_string(plc.AG.CmdPSec));

    const std::string cycle = m.CycleTimeText(), cmds = m.CmdPSecText();
    plc.AG.SetMode(MM_STEP);
    plc.AG.CycleTime = 999;
    plc.AG.CmdPSec = 1;
    EXPECT_FALSE(m.StatUpdTimerTimer());
    EXPECT_EQ(m.CycleTimeText(), cycle);
    EXPECT_EQ(m.CmdPSecText(), cmds);
    plc.AG.Reset();
    EXPECT_FALSE(m.StatUpdTimerTimer());
    EXPECT_EQ(m.CycleTimeText(), cycle);
}

TEST(StatisticsModel, DirectSwitchesApplyAllSixteenEntries) {
    TVirtualTickSource ticks;
    TSoftAG ag(ticks);
    FakeRunTimer timer;
    TStatisticsModel m(ag, timer);
    EXPECT_EQ(TStatisticsModel::DirectIQCaption(0), "%ib/%qb 0");
    EXPECT_EQ(TStatisticsModel::DirectIQCaption(15), "%ib/%qb 15");

    m.SetDirectIQChecked(3, true);
    for (int i = 0; i < DIRECT_IQ_COUNT; ++i) {
        EXPECT_EQ(ag.Data->IDirect[size_t(i)], i == 3 ? 255 : 0) << i;
        EXPECT_EQ(ag.Data->QDirect[size_t(i)], i == 3 ? 255 : 0) << i;
    }
    // Input byte 3 reaches the program at once, output byte 3 the outside at once.
    ag.SetMemory_IQBuf(FIRSTE + 3, 0x11);
    EXPECT_EQ(ag.GetMemory(FIRSTE + 3), 0x11);
    ag.SetMemory(FIRSTA + 3, 0x22);
    EXPECT_EQ(ag.GetMemory_IQBuf(FIRSTA + 3), 0x22);
    ag.SetMemory(FIRSTA + 4, 0x33); // not direct
    EXPECT_EQ(ag.GetMemory_IQBuf(FIRSTA + 4), 0);

    // A reset clears the switches but not the list; the next click applies every entry again.
    ag.Reset();
    EXPECT_EQ(ag.Data->IDirect[3], 0);
    EXPECT_TRUE(m.DirectIQChecked(3));
    m.SetDirectIQChecked(5, true);
    EXPECT_EQ(ag.Data->IDirect[3], 255);
    EXPECT_EQ(ag.Data->QDirect[5], 255);
    m.SetDirectIQChecked(3, false);
    EXPECT_EQ(ag.Data->QDirect[3], 0);
    EXPECT_EQ(ag.Data->QDirect[5], 255);
    m.SetDirectIQChecked(16, true); // out of range: entries unchanged, still applied
    EXPECT_FALSE(m.DirectIQChecked(16));
    EXPECT_EQ(ag.Data->IDirect[5], 255);
}
