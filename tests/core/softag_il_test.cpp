// Compiled IL on the soft PLC: deferral, calls with frames, returns, jumps, GET_TIME, runtime
// error positions and stepping by source line.
#include "softag_il.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::test;

namespace {

TEST(CompiledIL, ParenthesesDeferTheOperation) {
    ILMachine m;
    ASSERT_TRUE(m.Load("PROGRAM MAIN\nVAR\n    A : BOOL\n    B : BOOL\n    C : BOOL\n    RES : BOOL\n"
                       "    X : INT\n    Y : BOOL\nEND_VAR\n"
                       "    LD A\n    AND( B\n    OR C\n    )\n    ST RES\n"
                       "    LD 10\n    SUB( 2\n    MUL( 3\n    )\n    )\n    ST X\n"
                       "    LD A\n    ANDN( B\n    )\n    ST Y\nEND_PROGRAM\n"))
        << m.Error;
    for (int bits = 0; bits < 8; ++bits) {
        m.Set("A", bits & 1);
        m.Set("B", (bits >> 1) & 1);
        m.Set("C", (bits >> 2) & 1);
        m.RunCycle();
        ASSERT_EQ(m.AG.LastRuntimeError().Message, "");
        EXPECT_EQ(m.Int("RES"), (bits & 1) && (((bits >> 1) | (bits >> 2)) & 1)) << bits;
        EXPECT_EQ(m.Int("X"), 4);
        EXPECT_EQ(m.Int("Y"), (bits & 1) && !((bits >> 1) & 1)) << bits;
    }
}

const char* const kAdd3 =
    "FUNCTION ADD3 : INT\nVAR_INPUT\n    I1 : INT\n    I2 : INT\n    I3 : INT\nEND_VAR\n"
    "    LD I1\n    ADD I2\n    ADD I3\n    ST ADD3\nEND_FUNCTION\n";

TEST(CompiledIL, FunctionCallWithArguments) {
    ILMachine m;
    ASSERT_TRUE(m.LoadAll({"PROGRAM MAIN\nVAR\n    A : INT\n    RES : INT\nEND_VAR\n"
                           "    LD 100\n    ST A\n    LD A\n    ADD3 A, 5\n    ST RES\nEND_PROGRAM\n",
                           kAdd3}))
        << m.Error;
    m.RunCycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.Int("RES"), 205);
    EXPECT_EQ(m.AG.MemBasesNum, 1);
}

TEST(CompiledIL, BlockCallKeepsTheCallersCR) {
    ILMachine m;
    ASSERT_TRUE(m.Load("PROGRAM MAIN\nVAR\n    T : R_TRIG\n    RES : INT\nEND_VAR\n"
                       "    LD 5\n    CAL T\n    ADD 1\n    ST RES\nEND_PROGRAM\n"))
        << m.Error;
    m.RunCycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.Int("RES"), 6);
    EXPECT_EQ(m.AG.Data->CRNum, 1);
}

TEST(CompiledIL, FunctionInsideABlockLeavesTheProgramsVariablesAlone) {
    ILMachine m;
    ASSERT_TRUE(m.LoadAll(
        {"PROGRAM MAIN\nVAR\n    B : USER\n    AFTER1 : INT\n    AFTER2 : INT\n    AFTER3 : INT\nEND_VAR\n"
         "    LD 1111\n    ST AFTER1\n    ST AFTER2\n    ST AFTER3\n    CAL B\nEND_PROGRAM\n",
         "FUNCTION_BLOCK USER\nVAR_OUTPUT\n    OUT : INT\nEND_VAR\n"
         "    LD 7\n    ADD3 8, 9\n    ST OUT\nEND_FUNCTION_BLOCK\n",
         kAdd3}))
        << m.Error;
    m.RunCycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.Int("B.OUT"), 24);
    EXPECT_EQ(m.Int("AFTER1"), 1111);
    EXPECT_EQ(m.Int("AFTER2"), 1111);
    EXPECT_EQ(m.Int("AFTER3"), 1111);
}

TEST(CompiledIL, JumpsLoopsAndReturnInTheMainProgram) {
    ILMachine m;
    ASSERT_TRUE(m.Load("PROGRAM MAIN\nVAR\n    I : INT\n    SUM : INT\n    Z : INT\nEND_VAR\n"
                       "    LD 0\n    ST I\n    ST SUM\nLOOP:\n    LD SUM\n    ADD I\n    ST SUM\n"
                       "    LD I\n    ADD 1\n    ST I\n    LT 10\n    JMPC LOOP\n"
                       "    LD TRUE\n    RETC\n    LD 1\n    ST Z\nEND_PROGRAM\n"))
        << m.Error;
    m.RunCycle();
    m.RunCycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.Int("SUM"), 45);
    EXPECT_EQ(m.Int("Z"), 0) << "RETC ended the program's part of the cycle";
    EXPECT_EQ(m.AG.Data->Cycle, DATAREAD);
}

TEST(CompiledIL, GetTimeReadsTheVirtualClock) {
    ILMachine m;
    ASSERT_TRUE(m.Load("PROGRAM MAIN\nVAR\n    T : TIME\nEND_VAR\n    GET_TIME\n    ST T\nEND_PROGRAM\n"))
        << m.Error;
    m.Ticks.Set(2 * TIME_OF_DAY_MS + 61500);
    m.RunCycle();
    EXPECT_EQ(m.Val("T"), "t#1m1s500ms");
}

TEST(CompiledIL, RuntimeErrorNamesTheFailingLineInTheCalledPOU) {
    ILMachine m;
    ASSERT_TRUE(m.LoadAll(
        {"PROGRAM MAIN\nVAR\n    RES : INT\nEND_VAR\n    LD 1\n    DIVIDE 0\n    ST RES\nEND_PROGRAM\n",
         "FUNCTION DIVIDE : INT\nVAR_INPUT\n    A : INT\n    B : INT\nEND_VAR\n"
         "    LD A\n    DIV B\n    ST DIVIDE\nEND_FUNCTION\n"}))
        << m.Error;
    m.RunCycle();
    const auto& e = m.AG.LastRuntimeError();
    EXPECT_EQ(e.Message, "Division by zero");
    EXPECT_EQ(m.Proj.POUList[size_t(e.POU)]->POUName, "DIVIDE");
    EXPECT_EQ(e.Line, 6) << "line 7 of the function's file";
    EXPECT_EQ(m.AG.FMode, MM_STEP);
    EXPECT_EQ(m.AG.RunningPOUNum, 2);
}

TEST(CompiledIL, SteppingFollowsSourceLinesAndSkipsTheLibrary) {
    ILMachine m;
    ASSERT_TRUE(m.LoadAll({"PROGRAM MAIN\n" // 0
                           "VAR\n"          // 1
                           "    B : USER\n" // 2
                           "    T : TON\n"  // 3
                           "    X : INT\n"  // 4
                           "END_VAR\n"      // 5
                           "    LD 1\n"     // 6
                           "    ST X\n"     // 7
                           "    CAL T\n"    // 8
                           "    CAL B\n"    // 9
                           "    LD X\n"     // 10
                           "END_PROGRAM\n", // 11
                           "FUNCTION_BLOCK USER\nVAR_OUTPUT\n    OUT : INT\nEND_VAR\n"
                           "    LD 2\n"   // 4
                           "    ST OUT\n" // 5
                           "END_FUNCTION_BLOCK\n"}))
        << m.Error;
    m.AG.Reset();
    const int32_t main = m.Proj.MainPOU, user = main + 1;
    auto pos = [&] { return std::make_pair(m.AG.GetSourcePOU(), m.AG.GetSourceLine()); };
    m.AG.StepCommand(true);
    EXPECT_EQ(pos(), std::make_pair(main, 0));
    const std::pair<int32_t, int32_t> into[] = {{main, 6}, {main, 7}, {main, 8},  {main, 9},
                                                {user, 4}, {user, 5}, {main, 10}, {main, 11}};
    for (const auto& want : into) {
        m.AG.StepCommand(true);
        EXPECT_EQ(pos(), want);
    }
    m.AG.StepCommand(true); // output phase
    for (int i = 0; i < 4; ++i)
        m.AG.StepCommand(false);
    ASSERT_EQ(pos(), std::make_pair(main, 9));
    m.AG.StepCommand(false);
    EXPECT_EQ(pos(), std::make_pair(main, 10)) << "Step runs the whole call";
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
}

} // namespace
