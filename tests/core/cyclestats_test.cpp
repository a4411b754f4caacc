// Cycle time statistics: min/max/mean over cycles run wholly in run mode, reset, texts.
#include "debug_util.h"

#include "StatForm/CycleStatistics.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::test;

namespace {

struct StatsFixture : ::testing::Test {
    DebugRig rig;
    TCycleStatistics stats{rig.ag};
    void SetUp() override { rig.ag.AddConnector(&stats); }
    void TearDown() override { rig.ag.RemoveConnector(&stats); }
    void RunCycle(uint32_t ms) {
        rig.clock.Advance(ms);
        rig.ag.Cycle();
    }
};

TEST_F(StatsFixture, MinMaxMeanOfRunModeCycles) {
    EXPECT_EQ(stats.MinText(), "-");
    EXPECT_EQ(stats.MeanText(), "-");
    rig.ag.SetMode(MM_RUN);
    RunCycle(5000); // measured from the previous run's end (here tick 0): not counted
    EXPECT_EQ(stats.Count(), 0u);
    for (uint32_t ms : {10u, 30u, 5u, 21u})
        RunCycle(ms);
    EXPECT_EQ(stats.Count(), 4u);
    EXPECT_EQ(stats.Min(), 5u);
    EXPECT_EQ(stats.Max(), 30u);
    EXPECT_DOUBLE_EQ(stats.Mean(), 16.5);
    EXPECT_EQ(stats.MinText(), "5 ms");
    EXPECT_EQ(stats.MaxText(), "30 ms");
    EXPECT_EQ(stats.MeanText(), "16.5 ms");

    stats.Reset();
    EXPECT_EQ(stats.Count(), 0u);
    EXPECT_EQ(stats.MaxText(), "-");
    RunCycle(7);
    RunCycle(9);
    EXPECT_EQ(stats.Count(), 1u) << "after a reset, counting starts with a whole measured cycle";
    EXPECT_EQ(stats.Min(), 9u);
}

TEST_F(StatsFixture, StepModeAndHaltsAreLeftOut) {
    rig.ag.SetMode(MM_RUN);
    RunCycle(10);
    RunCycle(10);
    EXPECT_EQ(stats.Count(), 1u);
    // Cycles in step mode, then back to run mode: the wait in step mode never counts.
    rig.ag.SetMode(MM_STEP);
    RunCycle(1000);
    rig.clock.Advance(60000);
    rig.ag.SetMode(MM_RUN);
    RunCycle(10);
    EXPECT_EQ(stats.Count(), 1u);
    EXPECT_EQ(stats.Max(), 10u);
    RunCycle(12);
    EXPECT_EQ(stats.Count(), 2u);
    EXPECT_EQ(stats.Max(), 12u);

    // A breakpoint halt in the middle of a cycle breaks the run too.
    TBreakpoints bp;
    bp.Set("main.il", 8);
    rig.ag.SetBreakpoints(&bp);
    RunCycle(10);
    EXPECT_EQ(rig.ag.FMode, MM_STEP);
    rig.ag.SetBreakpoints(nullptr);
    rig.clock.Advance(5000);
    rig.ag.SetMode(MM_RUN);
    rig.ag.Cycle();
    EXPECT_EQ(stats.Count(), 2u);
    EXPECT_EQ(stats.Max(), 12u);
}

TEST(CycleStatistics, AddKeepsExtremes) {
    DebugRig rig;
    TCycleStatistics s(rig.ag);
    s.Add(0);
    s.Add(4000000000u);
    s.Add(4000000000u);
    EXPECT_EQ(s.Min(), 0u);
    EXPECT_EQ(s.Max(), 4000000000u);
    EXPECT_NEAR(s.Mean(), 8e9 / 3, 1e-3) << "the sum does not overflow 32 bits";
}

} // namespace
