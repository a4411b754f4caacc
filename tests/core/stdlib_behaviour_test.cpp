// The standard function blocks against their IEC 61131-3 definitions, cycle by cycle on the
// virtual clock: timers (Q and ET over time), counters (counting, reset, load, limits), edge
// detectors and bistables.
#include "softag_il.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::test;

namespace {

// A PROGRAM with one instance B of `block`: inputs copied from program variables each cycle.
std::string Harness(const std::string& block, const std::string& vars, const std::string& code) {
    return "PROGRAM HARNESS\nVAR\n" + vars + "    B : " + block + "\nEND_VAR\n" + code +
           "    CAL B\nEND_PROGRAM\n";
}

struct TimerStep {
    bool in;
    bool q;
    int et; // ms
};

// Runs one cycle per step, 10 ms apart, and checks Q and ET after each.
void RunTimer(const char* block, int pt, const std::vector<TimerStep>& steps, uint32_t start = 0) {
    ILMachine m;
    m.Ticks.Set(start);
    ASSERT_TRUE(
        m.Load(Harness(block, "    X : BOOL\n",
                       "    LD X\n    ST B.IN\n    LD T#" + std::to_string(pt) + "ms\n    ST B.PT\n")))
        << m.Error;
    for (size_t k = 0; k < steps.size(); ++k) {
        m.Set("X", steps[k].in);
        m.RunCycle(10);
        EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
        EXPECT_EQ(m.Int("B.Q"), steps[k].q) << block << " cycle " << k;
        EXPECT_EQ(m.Val("B.ET"), GetValString(TR_TIME, DTDEC, 0, TUS64{.U64 = uint64_t(steps[k].et)}))
            << block << " cycle " << k;
    }
}

TEST(StandardTimers, TonDelaysTheRisingEdge) {
    RunTimer("TON", 30,
             {{false, false, 0},
              {true, false, 0}, // starts timing
              {true, false, 10},
              {true, false, 20},
              {true, true, 30}, // PT reached
              {true, true, 30}, // ET stays at PT
              {false, false, 0},
              {true, false, 0},
              {false, false, 0}, // interrupted before PT: no output
              {true, false, 0},
              {true, false, 10}});
}

TEST(StandardTimers, TonWithZeroPresetSwitchesAtOnce) {
    RunTimer("TON", 0, {{true, true, 0}, {false, false, 0}});
}

TEST(StandardTimers, TonKeepsTimingAcrossMidnight) {
    // GET_TIME wraps to 0 at 24 h; the timer adds the wrapped difference.
    RunTimer("TON", 30, {{true, false, 0}, {true, false, 10}, {true, false, 20}, {true, true, 30}},
             TIME_OF_DAY_MS - 15);
}

TEST(StandardTimers, TofDelaysTheFallingEdge) {
    RunTimer("TOF", 30,
             {{false, false, 0},
              {true, true, 0},
              {false, true, 0}, // falls: starts timing, Q stays
              {false, true, 10},
              {false, true, 20},
              {false, false, 30}, // PT reached
              {false, false, 30}, // ET keeps PT
              {true, true, 0},
              {false, true, 0},
              {true, true, 0}, // retriggered before PT
              {false, true, 0},
              {false, true, 10}});
}

TEST(StandardTimers, TpGivesAPulseOfFixedLength) {
    RunTimer("TP", 30,
             {{false, false, 0},
              {true, true, 0},   // rising edge starts the pulse
              {false, true, 10}, // runs on whatever IN does
              {true, true, 20},  // an edge during the pulse is ignored
              {true, false, 30}, // pulse over
              {true, false, 30}, // ET stays while IN is TRUE
              {false, false, 0}, // and is cleared with IN FALSE
              {true, true, 0}});
}

// ---------------------------------------------------------------------------------------------
// Counters

struct CounterStep {
    bool up, down, reset, load;
    int pv;
    int cv;
    bool q1, q2; // CTU/CTD: Q in q1; CTUD: QU, QD
};

void RunCounter(const char* block, const std::vector<CounterStep>& steps) {
    const std::string b = block;
    std::string code;
    if (b == "CTU")
        code = "    LD UP\n    ST B.CU\n    LD RST\n    ST B.R\n    LD PRE\n    ST B.PV\n";
    else if (b == "CTD")
        code = "    LD DN\n    ST B.CD\n    LD LOAD\n    ST B.LD\n    LD PRE\n    ST B.PV\n";
    else
        code = "    LD UP\n    ST B.CU\n    LD DN\n    ST B.CD\n    LD RST\n    ST B.R\n    LD LOAD\n    ST "
               "B.LD\n"
               "    LD PRE\n    ST B.PV\n";
    ILMachine m;
    ASSERT_TRUE(m.Load(Harness(
        block, "    UP : BOOL\n    DN : BOOL\n    RST : BOOL\n    LOAD : BOOL\n    PRE : INT\n", code)))
        << m.Error;
    for (size_t k = 0; k < steps.size(); ++k) {
        const auto& s = steps[k];
        m.Set("UP", s.up);
        m.Set("DN", s.down);
        m.Set("RST", s.reset);
        m.Set("LOAD", s.load);
        m.Set("PRE", s.pv);
        m.RunCycle();
        EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
        EXPECT_EQ(m.Int("B.CV"), s.cv) << block << " step " << k;
        if (b == "CTUD") {
            EXPECT_EQ(m.Int("B.QU"), s.q1) << block << " step " << k;
            EXPECT_EQ(m.Int("B.QD"), s.q2) << block << " step " << k;
        } else {
            EXPECT_EQ(m.Int("B.Q"), s.q1) << block << " step " << k;
        }
    }
}

TEST(StandardCounters, CtuCountsRisingEdgesAndResets) {
    //             up     down   reset  load   pv cv q
    RunCounter("CTU", {{false, false, false, false, 2, 0, false, false},
                       {true, false, false, false, 2, 1, false, false},
                       {true, false, false, false, 2, 1, false, false}, // held: no edge
                       {false, false, false, false, 2, 1, false, false},
                       {true, false, false, false, 2, 2, true, false}, // CV >= PV
                       {false, false, false, false, 2, 2, true, false},
                       {true, false, false, false, 2, 3, true, false},
                       {true, false, true, false, 2, 0, false, false},  // reset wins
                       {false, false, true, false, 2, 0, false, false}, // edge seen under reset is gone
                       {true, false, true, false, 2, 0, false, false},
                       {true, false, false, false, 2, 0, false, false},   // still the same high level
                       {false, false, false, false, 0, 0, true, false}}); // PV 0: Q at once
}

TEST(StandardCounters, CtdLoadsAndCountsDown) {
    RunCounter("CTD", {{false, false, false, false, 2, 0, true, false}, // CV 0 <= 0
                       {false, false, false, true, 2, 2, false, false}, // load PV
                       {false, true, false, false, 2, 1, false, false},
                       {false, true, false, false, 2, 1, false, false},
                       {false, false, false, false, 2, 1, false, false},
                       {false, true, false, false, 2, 0, true, false},
                       {false, false, false, false, 2, 0, true, false},
                       {false, true, false, false, 2, -1, true, false},  // goes on below zero
                       {false, true, false, true, 5, 5, false, false}}); // load wins over counting
}

TEST(StandardCounters, CtudCountsBothWaysWithResetBeforeLoad) {
    //               up     down   reset  load   pv cv  QU     QD
    RunCounter("CTUD", {{false, false, false, false, 2, 0, false, true},
                        {true, false, false, false, 2, 1, false, false},
                        {false, false, false, false, 2, 1, false, false},
                        {true, false, false, false, 2, 2, true, false},
                        {false, true, false, false, 2, 1, false, false},
                        {true, true, false, false, 2, 2, true, false},   // CD held, CU edge: up
                        {false, false, false, false, 2, 2, true, false}, // both fell: nothing
                        {true, true, false, false, 2, 2, true, false},   // both edges: no change
                        {false, false, false, true, 7, 7, true, false},  // load
                        {false, false, true, true, 7, 0, false, true}}); // reset before load
}

TEST(StandardCounters, CountersStopAtTheIntLimits) {
    ILMachine m;
    ASSERT_TRUE(m.Load(Harness("CTUD", "    UP : BOOL\n    DN : BOOL\n    LOAD : BOOL\n    PRE : INT\n",
                               "    LD UP\n    ST B.CU\n    LD DN\n    ST B.CD\n    LD LOAD\n    ST B.LD\n"
                               "    LD PRE\n    ST B.PV\n")))
        << m.Error;
    m.Set("PRE", 32766);
    m.Set("LOAD", 1);
    m.RunCycle();
    m.Set("LOAD", 0);
    for (int i = 0; i < 3; ++i) {
        m.Set("UP", 1);
        m.RunCycle();
        m.Set("UP", 0);
        m.RunCycle();
    }
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "") << "no Result out of range at the top";
    EXPECT_EQ(m.Int("B.CV"), 32767);
    m.Set("PRE", -32767);
    m.Set("LOAD", 1);
    m.RunCycle();
    m.Set("LOAD", 0);
    for (int i = 0; i < 3; ++i) {
        m.Set("DN", 1);
        m.RunCycle();
        m.Set("DN", 0);
        m.RunCycle();
    }
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.Int("B.CV"), -32768);
}

// ---------------------------------------------------------------------------------------------
// Edge detectors and bistables

TEST(StandardEdges, RTrigPulsesOnceOnTheRisingEdge) {
    ILMachine m;
    ASSERT_TRUE(m.Load(Harness("R_TRIG", "    X : BOOL\n", "    LD X\n    ST B.CLK\n"))) << m.Error;
    const bool clk[] = {false, true, true, false, true, false, false};
    const bool q[] = {false, true, false, false, true, false, false};
    for (size_t k = 0; k < std::size(clk); ++k) {
        m.Set("X", clk[k]);
        m.RunCycle();
        EXPECT_EQ(m.Int("B.Q"), q[k]) << k;
    }
}

TEST(StandardEdges, FTrigPulsesOnceOnTheFallingEdge) {
    // IEC: Q := NOT CLK AND NOT M; M := NOT CLK, with M TRUE at the start, so a first call with
    // CLK FALSE reports no edge.
    ILMachine m;
    ASSERT_TRUE(m.Load(Harness("F_TRIG", "    X : BOOL\n", "    LD X\n    ST B.CLK\n"))) << m.Error;
    const bool clk[] = {false, false, true, true, false, false, true, false};
    const bool q[] = {false, false, false, false, true, false, false, true};
    for (size_t k = 0; k < std::size(clk); ++k) {
        m.Set("X", clk[k]);
        m.RunCycle();
        EXPECT_EQ(m.Int("B.Q"), q[k]) << k;
    }
}

struct FlipFlopCase {
    bool before, set, reset, after;
};

void RunFlipFlop(const char* block, const char* setName, const char* resetName,
                 const FlipFlopCase (&cases)[8]) {
    for (const auto& c : cases) {
        ILMachine m;
        ASSERT_TRUE(m.Load(Harness(block, "    S0 : BOOL\n    R0 : BOOL\n",
                                   std::string("    LD S0\n    ST B.") + setName + "\n    LD R0\n    ST B." +
                                       resetName + "\n")))
            << m.Error;
        m.Set("S0", c.before);
        m.RunCycle(); // bring Q1 to `before` (set alone)
        ASSERT_EQ(m.Int("B.Q1"), c.before);
        m.Set("S0", c.set);
        m.Set("R0", c.reset);
        m.RunCycle();
        EXPECT_EQ(m.Int("B.Q1"), c.after)
            << block << " Q1 " << c.before << " S " << c.set << " R " << c.reset;
    }
}

TEST(StandardBistables, RsIsResetDominant) {
    const FlipFlopCase cases[8] = {{false, false, false, false}, {false, true, false, true},
                                   {false, false, true, false},  {false, true, true, false},
                                   {true, false, false, true},   {true, true, false, true},
                                   {true, false, true, false},   {true, true, true, false}};
    RunFlipFlop("RS", "S", "R1", cases);
}

TEST(StandardBistables, SrIsSetDominant) {
    const FlipFlopCase cases[8] = {{false, false, false, false}, {false, true, false, true},
                                   {false, false, true, false},  {false, true, true, true},
                                   {true, false, false, true},   {true, true, false, true},
                                   {true, false, true, false},   {true, true, true, true}};
    RunFlipFlop("SR", "S1", "R", cases);
}

} // namespace
