// Run control: the cycle phases, stepping over, into and out of calls, runtime errors and timing.
#include "softag_util.h"

#include <gtest/gtest.h>

#include <functional>

using namespace korvo;
using namespace korvo::test;

namespace {

class Reporter : public IRuntimeErrorReporter {
public:
    std::vector<std::string> Shown;
    void ShowRuntimeError(const std::string& text) override { Shown.push_back(text); }
};

struct Position {
    int32_t pou, line;
    bool operator==(const Position&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Position& p) {
    return os << "pou " << p.pou << " line " << p.line;
}

// MAIN (pou 0), header line 0, END_PROGRAM line 9:
//   1: LD 5        2: ST x        3: CAL inst    4: LD x; ADD 1 (one line)    (end)
// USER (pou 1, user FB) lines 20, 21; LIB (pou 2, library FB) lines 30, 31.
struct StepFixture : ::testing::Test {
    Machine m;
    Reporter reporter;
    RecordingConnector rec;

    void Build(int32_t fb, bool library) {
        m.Proj.MainPOUStartLine = 0;
        m.Proj.MainPOUEndLine = 9;
        TPOUDesc& prog = m.AddPOU(PTPROGRAM, 80, "MAIN");
        TPOUDesc& user = m.AddPOU(PTFUNCTION_BLOCK, 4, "USER");
        TPOUDesc& lib = m.AddPOU(PTFUNCTION_BLOCK, 4, "LIB", true);
        (void)library;
        Asm(user).Line(20).Lit(OP_LD, T_INT, 1).Line(21).Mem(OP_ST, T_INT, 0);
        Asm(lib).Line(30).Lit(OP_LD, T_INT, 2).Line(31).Mem(OP_ST, T_INT, 0);
        Asm(prog)
            .Line(1)
            .Lit(OP_LD, T_INT, 5)
            .Line(2)
            .Mem(OP_ST, T_INT, 48)
            .Line(3)
            .Cal(fb, 60, 4)
            .Line(4)
            .Mem(OP_LD, T_INT, 48)
            .Lit(OP_ADD, T_LIT, 1);
        m.AG.SetErrorReporter(&reporter);
        m.AG.AddConnector(&rec);
        m.AG.Data->ProjectDesc = &m.Proj;
        m.AG.Reset();
    }
    void TearDown() override { m.AG.RemoveConnector(&rec); }
    Position Pos() const { return {m.AG.GetSourcePOU(), m.AG.GetSourceLine()}; }
};

TEST_F(StepFixture, StepWalksThePhasesAndTheLines) {
    Build(1, false);
    m.AG.StepCommand(false);
    EXPECT_EQ(m.AG.FMode, MM_STEP);
    EXPECT_EQ(m.AG.Data->Cycle, DATAREAD) << "entering step mode runs nothing";
    EXPECT_EQ(Pos(), (Position{0, 0}));
    rec.Log.clear();
    const Position expected[] = {{0, 1}, {0, 2}, {0, 3}, {0, 4}, {0, 9}, {0, 0}};
    for (const auto& want : expected) {
        m.AG.StepCommand(false);
        EXPECT_EQ(Pos(), want);
    }
    EXPECT_EQ(m.AG.Data->Cycle, DATAREAD);
    // NotifyStep carries the phase each Clock began in.
    std::vector<std::string> steps;
    for (const auto& s : rec.Log)
        if (s.rfind("step", 0) == 0)
            steps.push_back(s);
    // The step over the CAL line is three Clocks: into the block's two lines and back.
    EXPECT_EQ(steps, (std::vector<std::string>{"step 0", "step 1", "step 1", "step 1", "step 1", "step 1",
                                               "step 1", "step 2"}));
}

TEST_F(StepFixture, StepIntoStopsInAUserBlockAndStepOutReturns) {
    Build(1, false);
    m.AG.StepCommand(false);
    for (int i = 0; i < 3; ++i)
        m.AG.StepCommand(true);
    ASSERT_EQ(Pos(), (Position{0, 3}));
    m.AG.StepCommand(true);
    EXPECT_EQ(Pos(), (Position{1, 20}));
    EXPECT_EQ(m.AG.RunningPOUNum, 2);
    m.AG.StepCommand(true);
    EXPECT_EQ(Pos(), (Position{1, 21}));
    m.AG.StepOut();
    EXPECT_EQ(Pos(), (Position{0, 4})) << "back in the caller, past the line of the call";
    EXPECT_EQ(m.AG.MemBasesNum, 1);
}

TEST_F(StepFixture, StepOverRunsTheWholeCall) {
    Build(1, false);
    m.AG.StepCommand(false);
    for (int i = 0; i < 3; ++i)
        m.AG.StepCommand(false);
    ASSERT_EQ(Pos(), (Position{0, 3}));
    m.AG.StepCommand(false);
    EXPECT_EQ(Pos(), (Position{0, 4}));
    EXPECT_EQ(m.Get(60, 2), 1);
}

TEST_F(StepFixture, StepIntoNeverStopsInTheLibrary) {
    Build(2, true);
    m.AG.StepCommand(true);
    for (int i = 0; i < 3; ++i)
        m.AG.StepCommand(true);
    ASSERT_EQ(Pos(), (Position{0, 3}));
    m.AG.StepCommand(true);
    EXPECT_EQ(Pos(), (Position{0, 4}));
    EXPECT_EQ(m.Get(60, 2), 2);
}

TEST_F(StepFixture, StepOutInTheMainProgramCompletesTheCycle) {
    Build(1, false);
    m.AG.StepCommand(false);
    m.AG.StepCommand(false);
    m.AG.StepCommand(false);
    ASSERT_EQ(Pos(), (Position{0, 2}));
    m.AG.StepOut();
    EXPECT_EQ(m.AG.Data->Cycle, DATAREAD);
    EXPECT_EQ(m.CR().DataType, T_EMPTY) << "the output phase empties CR 1";
}

TEST_F(StepFixture, StepCommandsDoNothingOutsideStepMode) {
    Build(1, false);
    m.AG.StepOut();
    m.AG.StepOver();
    m.AG.Cycle();
    EXPECT_EQ(m.AG.Data->Cycle, DATAREAD);
    EXPECT_EQ(rec.Count("step 0"), 0u) << "Clock in MM_OFF sends nothing";
}

// ---------------------------------------------------------------------------------------------
// Runtime errors

struct ErrorFixture : ::testing::Test {
    Machine m;
    Reporter reporter;
    void SetUp() override { m.AG.SetErrorReporter(&reporter); }
};

TEST_F(ErrorFixture, ErrorSwitchesToStepModeAndReportsOnce) {
    TPOUDesc& prog = m.AddPOU(PTPROGRAM, 60);
    Asm(prog).Line(1).Lit(OP_LD, T_INT, 5).Line(2).Lit(OP_DIV, T_LIT, 0).Line(3).Mem(OP_ST, T_INT, 48);
    RecordingConnector rec;
    m.Start(MM_RUN);
    m.AG.AddConnector(&rec);
    m.AG.Cycle();
    EXPECT_EQ(m.AG.FMode, MM_STEP);
    EXPECT_EQ(reporter.Shown, std::vector<std::string>{"Runtime error: Division by zero"});
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "Division by zero");
    EXPECT_EQ(m.AG.LastRuntimeError().Line, 2);
    EXPECT_EQ(m.AG.LastRuntimeError().POU, 0);
    EXPECT_EQ(m.AG.GetSourceLine(), 2) << "the failing instruction stays current";
    EXPECT_EQ(rec.Log.back(), "step 1") << "NotifyStep also after an error";
    // Stepping again re-executes the failing instruction.
    m.AG.StepCommand(false);
    EXPECT_EQ(reporter.Shown.size(), 2u);
    m.AG.Cycle();
    EXPECT_EQ(reporter.Shown.size(), 3u) << "Cycle stops at the first error";
    m.AG.RemoveConnector(&rec);
}

TEST_F(ErrorFixture, StepOverAndStepOutStopOnAnErrorInACall) {
    TPOUDesc& prog = m.AddPOU(PTPROGRAM, 80, "MAIN");
    TPOUDesc& fb = m.AddPOU(PTFUNCTION_BLOCK, 4, "BAD", true);
    Asm(fb).Line(7).Lit(OP_LD, T_INT, 1).Lit(OP_DIV, T_LIT, 0);
    Asm(prog).Line(1).Cal(1, 60, 4);
    m.Start(MM_STEP);
    m.AG.Clock();
    m.AG.StepOver();
    EXPECT_EQ(reporter.Shown.size(), 1u);
    EXPECT_EQ(m.AG.GetSourcePOU(), 1);
    EXPECT_EQ(m.AG.GetSourceLine(), 7);
    m.AG.StepOut();
    EXPECT_EQ(reporter.Shown.size(), 2u);
    m.AG.StepCommand(true);
    EXPECT_EQ(reporter.Shown.size(), 3u);
}

TEST_F(ErrorFixture, WatchdogEndsAnEndlessLoop) {
    TPOUDesc& prog = m.AddPOU(PTPROGRAM, 60);
    Asm(prog).Line(1).Lit(OP_LD, T_INT, 1).Line(2).Jmp(2);
    m.AG.WatchdogLimit = 10000;
    m.Start(MM_RUN);
    m.AG.Cycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "Cycle watchdog: too many instructions in one cycle");
    EXPECT_EQ(m.AG.LastRuntimeError().Line, 2);
    EXPECT_EQ(m.AG.FMode, MM_STEP);
}

TEST_F(ErrorFixture, MissingProgramIsARuntimeError) {
    m.AG.Data->ProjectDesc = &m.Proj;
    m.AG.Reset();
    m.AG.SetMode(MM_RUN);
    m.AG.Cycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "No PROGRAM loaded");
    EXPECT_EQ(m.AG.FMode, MM_STEP);
}

// A connector that runs an action on the n-th NotifyStep.
class StepHook : public ISoftAGConnector {
public:
    int Steps = 0, At = -1;
    std::function<void()> Action;
    void NotifyModeChange() override {}
    void NotifyMemChange(int32_t, int32_t, int32_t, int32_t) override {}
    void NotifyCRChange() override {}
    void NotifyPOUChange() override {}
    void NotifyStep(TCycle) override {
        if (++Steps == At && Action)
            Action();
    }
    void NotifyCycle() override {}
    void NotifyCodeChange() override {}
};

TEST(RunMode, OneNotifyStepPerLineAndModeChangesFromConnectorsTakeEffect) {
    Machine m;
    TPOUDesc& prog = m.AddPOU(PTPROGRAM, 60);
    Asm(prog)
        .Line(1)
        .Lit(OP_LD, T_INT, 1)
        .Line(2)
        .Mem(OP_ST, T_INT, 48)
        .Line(3)
        .Lit(OP_LD, T_INT, 2)
        .Line(4)
        .Mem(OP_ST, T_INT, 50);
    StepHook hook;
    m.Start(MM_RUN);
    m.AG.AddConnector(&hook);
    m.AG.Cycle();
    EXPECT_EQ(hook.Steps, 6) << "input, four lines, output";

    hook.Steps = 0;
    hook.At = 2; // after the first line: stop (as the Reset button does)
    hook.Action = [&] { m.AG.Reset(); };
    m.AG.Cycle();
    EXPECT_EQ(m.AG.FMode, MM_OFF);
    EXPECT_EQ(hook.Steps, 2) << "the cycle ends at once when a connector switches the PLC off";
    EXPECT_EQ(m.Get(50, 2), 0);

    m.AG.SetMode(MM_RUN);
    hook.Steps = 0;
    hook.At = 3;
    hook.Action = [&] { m.AG.SetMode(MM_STEP); };
    m.AG.Cycle();
    EXPECT_EQ(m.AG.FMode, MM_STEP);
    EXPECT_EQ(m.AG.Data->Cycle, DATAREAD) << "Cycle completes the cycle in step mode";
    EXPECT_EQ(m.Get(50, 2), 2);
    m.AG.RemoveConnector(&hook);
}

// ---------------------------------------------------------------------------------------------
// Timing

TEST(Timing, CycleTimeAndInstructionRateOnTheVirtualClock) {
    Machine m;
    TPOUDesc& prog = m.AddPOU(PTPROGRAM, 60);
    Asm(prog).Line(1).Lit(OP_LD, T_INT, 1).Line(2).Mem(OP_ST, T_INT, 48);
    m.Start(MM_RUN);
    m.Ticks.Set(7);
    m.AG.Cycle();
    EXPECT_EQ(m.AG.CycleTime, 7u) << "the first cycle measures from tick 0";
    m.Ticks.Set(0);
    m.AG.CycleStartTime = 0;
    for (int i = 1; i <= 100; ++i) {
        m.Ticks.Advance(10);
        m.AG.Cycle();
        EXPECT_EQ(m.AG.CycleTime, 10u);
        if (i < 100) {
            EXPECT_EQ(m.AG.CmdPSec, 0);
        }
    }
    // Four Clocks per cycle (input, two lines, output); the Clock that sees the second has passed
    // (the first of the cycle at tick 1000) counts itself.
    EXPECT_EQ(m.AG.CmdPSec, 4 * 100 + 1);
    EXPECT_EQ(m.AG.ExecutedCmds, 101u * 3u);
}

TEST(Timing, TickArithmeticSurvivesTheWrap) {
    Machine m;
    TPOUDesc& prog = m.AddPOU(PTPROGRAM, 60);
    Asm(prog).Lit(OP_LD, T_INT, 1);
    m.Start(MM_RUN);
    m.Ticks.Set(0xFFFFFFF0u);
    m.AG.Cycle();
    m.AG.LastCmdStatTime = 0xFFFFFFF0u;
    m.AG.CmdCounter = 0;
    m.AG.CmdPSec = 0;
    m.Ticks.Set(0x10); // 32 ms later, across the wrap
    m.AG.Cycle();
    EXPECT_EQ(m.AG.CycleTime, 32u);
    EXPECT_EQ(m.AG.CmdPSec, 0) << "32 ms is not a second";
    m.Ticks.Set(0x10 + 1000);
    m.AG.Cycle();
    EXPECT_EQ(m.AG.CmdPSec, 3 + 1) << "three Clocks per cycle here";
    EXPECT_EQ(TicksSince(5, 0xFFFFFFFBu), 10u);
}

} // namespace
