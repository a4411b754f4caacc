// Calls of function blocks and functions: call levels, memory frames, CR levels, returns and limits.
#include "softag_util.h"

#include <gtest/gtest.h>

#include <functional>

using namespace korvo;
using namespace korvo::test;

namespace {

// PROGRAM (80 bytes) with an instance at 60 of FB (4 bytes: IN INT at 0, OUT INT at 2; OUT := IN + 1).
struct FBFixture : ::testing::Test {
    Machine m;
    TPOUDesc& prog = m.AddPOU(PTPROGRAM, 80, "MAIN");
    TPOUDesc& fb = m.AddPOU(PTFUNCTION_BLOCK, 4, "INC");
    int32_t fbIndex = 1;

    void SetUp() override {
        m.Proj.MainPOU = 0;
        Asm(fb).Line(5).Mem(OP_LD, T_INT, 0).Line(6).Lit(OP_ADD, T_LIT, 1).Mem(OP_ST, T_INT, 2);
    }
};

TEST_F(FBFixture, CallRunsOnTheInstanceAndKeepsTheCallersCR) {
    Asm(prog)
        .Lit(OP_LD, T_INT, 5)
        .Mem(OP_ST, T_INT, 60)
        .Cal(fbIndex, 60, 4)
        .Mem(OP_LD, T_INT, 62)
        .Mem(OP_ST, T_INT, 70);
    m.StartStepped();
    ASSERT_EQ(m.Exec(), ""); // LD 5
    ASSERT_EQ(m.Exec(), ""); // ST inst.IN
    ASSERT_EQ(m.Exec(), ""); // instance frame
    EXPECT_EQ(m.AG.MemBasesNum, 2);
    EXPECT_EQ(m.AG.GetCurrentMemBase(), 60);
    ASSERT_EQ(m.Exec(), ""); // CAL
    EXPECT_EQ(m.AG.RunningPOUNum, 2);
    EXPECT_EQ(m.AG.GetSourcePOU(), fbIndex);
    EXPECT_EQ(m.AG.Data->CRNum, 2);
    EXPECT_EQ(m.CR().DataType, T_EMPTY) << "the block starts on a fresh CR level";
    for (int i = 0; i < 3; ++i)
        ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.AG.RunningPOUNum, 1) << "implicit return at the end of the block";
    EXPECT_EQ(m.AG.Data->CRNum, 1);
    EXPECT_EQ(m.CR().DataType, T_INT);
    EXPECT_EQ(m.CR().Data.S64, 5);
    ASSERT_EQ(m.Exec(), ""); // frame pop
    EXPECT_EQ(m.AG.MemBasesNum, 1);
    ASSERT_EQ(m.Exec(), "");
    ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.Get(70, 2), 6);
}

TEST_F(FBFixture, ConditionalCallsRunOnlyWhenTheirConditionHolds) {
    fb.CmdCount = 0;
    Asm(fb).Mem(OP_LD, T_INT, 2).Lit(OP_ADD, T_LIT, 1).Mem(OP_ST, T_INT, 2); // OUT counts the calls
    Asm(prog)
        .Lit(OP_LD, T_BOOL, 0)
        .Cal(fbIndex, 60, 4, MOD_C) // skipped
        .Lit(OP_LD, T_BOOL, 1)
        .Cal(fbIndex, 60, 4, MOD_C | MOD_N) // skipped
        .Cal(fbIndex, 60, 4, MOD_C)         // runs: the CR is still TRUE after a skipped call
        .Cal(fbIndex, 60, 4);               // runs
    m.Start(MM_RUN);
    m.AG.Cycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.Get(62, 2), 2);
    EXPECT_EQ(m.AG.Data->CRNum, 1);
    EXPECT_EQ(m.AG.MemBasesNum, 1);
}

TEST_F(FBFixture, RetcReturnsEarlyAndPopsTheBlocksLevel) {
    fb.CmdCount = 0;
    fb.ConstMem.clear();
    fb.ConstMemSize = 0;
    // LD TRUE; RETC; LD 9; ST OUT
    Asm(fb).Line(5).Lit(OP_LD, T_BOOL, 1).Op(OP_RET, MOD_C).Lit(OP_LD, T_INT, 9).Mem(OP_ST, T_INT, 2);
    RecordingConnector rec;
    Asm(prog).Lit(OP_LD, T_INT, 3).Cal(fbIndex, 60, 4).Mem(OP_ST, T_INT, 70);
    m.Start(MM_RUN);
    m.AG.AddConnector(&rec);
    m.AG.Cycle();
    EXPECT_EQ(m.Get(62, 2), 0);
    EXPECT_EQ(m.Get(70, 2), 3);
    EXPECT_EQ(m.AG.Data->CRNum, 1);
    m.AG.RemoveConnector(&rec);
}

TEST(Calls, FunctionGetsItsOwnFrameAndAnEmptyCR) {
    Machine m;
    TPOUDesc& prog = m.AddPOU(PTPROGRAM, 60, "MAIN");
    TPOUDesc& f = m.AddPOU(PTFUNCTION, 6, "ADD2");
    f.ReturnAdr = 4;
    f.ReturnType = T_INT;
    Asm(f).Line(9).Mem(OP_LD, T_INT, 0).Mem(OP_ADD, T_INT, 2).Mem(OP_ST, T_INT, 4);
    // LD a; ADD2 b -> c
    Asm(prog)
        .Line(1)
        .Mem(OP_LD, T_INT, 48)
        .Op(OP_PUSHFRAME, 0, 6, -1)
        .Mem(OP_ST, T_INT, 0)
        .Mem(OP_LD, T_INT, 50, 0, 0, 1)
        .Mem(OP_ST, T_INT, 2)
        .Words(OP_CALLFUN, 1, 0)
        .Mem(OP_LD, T_INT, 4)
        .Op(OP_POPFRAME, 0, 0, -1)
        .Mem(OP_ST, T_INT, 52);
    m.StartStepped();
    m.Put(48, 1000, 2);
    m.Put(50, -3, 2);
    for (int i = 0; i < 6; ++i)
        ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.AG.RunningPOUNum, 2);
    EXPECT_EQ(m.AG.GetCurrentMemBase(), 60) << "directly above the program's frame";
    EXPECT_EQ(m.CR().DataType, T_EMPTY);
    EXPECT_EQ(m.CR().Data.S64, -3) << "emptied, value kept";
    m.AG.SetMode(MM_RUN);
    m.AG.Cycle();
    EXPECT_EQ(m.Get(52, 2, true), 997);
    EXPECT_EQ(m.AG.MemBasesNum, 1);
}

TEST(Calls, FunctionCalledFromAnInstanceLiesAboveAllMemoryInUse) {
    Machine m;
    TPOUDesc& prog = m.AddPOU(PTPROGRAM, 80, "MAIN");
    TPOUDesc& fb = m.AddPOU(PTFUNCTION_BLOCK, 4, "FB");
    TPOUDesc& f = m.AddPOU(PTFUNCTION, 4, "F");
    // F: return (bytes 2..3) := input + 0; writes 4 bytes of its frame
    Asm(f).Mem(OP_LD, T_INT, 0).Mem(OP_ST, T_INT, 2);
    // FB: LD 7; F; ST OUT(2)
    Asm(fb)
        .Lit(OP_LD, T_INT, 7)
        .Op(OP_PUSHFRAME, 0, 4, -1)
        .Mem(OP_ST, T_INT, 0)
        .Words(OP_CALLFUN, 2, 0)
        .Mem(OP_LD, T_INT, 2)
        .Op(OP_POPFRAME, 0, 0, -1)
        .Mem(OP_ST, T_INT, 2);
    Asm(prog).Cal(1, 50, 4);
    m.Start(MM_RUN);
    m.Put(54, 0x7777, 2); // the program's variable right after the instance
    m.Put(56, 0x6666, 2);
    m.AG.Cycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.Get(52, 2), 7);
    EXPECT_EQ(m.Get(54, 2), 0x7777);
    EXPECT_EQ(m.Get(56, 2), 0x6666);
    EXPECT_EQ(m.Get(80, 2), 7) << "the function's frame starts at the end of the program's";
}

struct LimitCase {
    const char* name;
    std::function<void(Machine&)> build;
    const char* error;
};

TEST(Calls, LimitsRaiseInsteadOfCorrupting) {
    const LimitCase cases[] = {
        {"call nesting",
         [](Machine& m) {
             TPOUDesc& g = m.AddPOU(PTFUNCTION, 0, "G");
             Asm(g).Words(OP_CALLFUN, 1, 0);
             Asm(*m.Proj.POUList[0]).Words(OP_CALLFUN, 1, 0);
         },
         "Call nesting deeper than 10 levels"},
        {"frames",
         [](Machine& m) {
             TPOUDesc& r = m.AddPOU(PTFUNCTION_BLOCK, 2, "R");
             Asm(r).Cal(1, 0, 2);
             Asm(*m.Proj.POUList[0]).Cal(1, 48, 2);
         },
         "Too many memory frames (more than 10)"},
        {"frame past the memory end",
         [](Machine& m) { Asm(*m.Proj.POUList[0]).Op(OP_PUSHFRAME, 0, 2000, -1); },
         "Memory frame exceeds the data memory"},
        {"instance window past the memory end",
         [](Machine& m) { Asm(*m.Proj.POUList[0]).Words(OP_PUSHFB, 1990, 20); },
         "Memory frame exceeds the data memory"},
        {"unclosed parentheses in a loop",
         [](Machine& m) {
             Asm(*m.Proj.POUList[0]).Lit(OP_LD, T_BOOL, 1).Op(OP_AND, MOD_B).Lit(OP_LD, T_BOOL, 1).Jmp(2);
         },
         "CR stack overflow"},
        {"pop of the root frame", [](Machine& m) { Asm(*m.Proj.POUList[0]).Op(OP_POPFRAME).Op(OP_POPFRAME); },
         "Unexpected error in bytecode"},
    };
    for (const auto& c : cases) {
        Machine m;
        m.AddPOU(PTPROGRAM, 60, "MAIN");
        c.build(m);
        m.Start(MM_RUN);
        m.AG.Cycle();
        EXPECT_EQ(m.AG.LastRuntimeError().Message, c.error) << c.name;
        EXPECT_EQ(m.AG.FMode, MM_STEP) << c.name;
        EXPECT_LE(m.AG.MemBasesNum, MAX_MEMBASES) << c.name;
        EXPECT_LE(m.AG.RunningPOUNum, MAX_CALLED_POU_COUNT) << c.name;
    }
}

TEST(Calls, RetInTheMainProgramEndsItsPartOfTheCycle) {
    Machine m;
    TPOUDesc& prog = m.AddPOU(PTPROGRAM, 60);
    // LD TRUE; RETCN (not taken); RETC (taken); LD 1; ST x
    Asm(prog)
        .Lit(OP_LD, T_BOOL, 1)
        .Op(OP_RET, MOD_C | MOD_N)
        .Op(OP_RET, MOD_C)
        .Lit(OP_LD, T_INT, 1)
        .Mem(OP_ST, T_INT, 48);
    m.StartStepped();
    ASSERT_EQ(m.Exec(), "");
    ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.AG.Data->IP[1], 3);
    ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.AG.Data->Cycle, DATAWRITE);
    m.AG.Cycle();
    m.AG.Cycle();
    EXPECT_EQ(m.Get(48, 2), 0);
}

} // namespace
