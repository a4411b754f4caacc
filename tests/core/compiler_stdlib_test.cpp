// The standard function block library compiles, holds the 11 IEC blocks with their members,
// and projects can declare, call and read them.
#include "compiler_util.h"

using namespace korvo;
using korvo::test::Project;

namespace {

struct Member {
    std::string name;
    TVarType kind;
    int32_t type;
};

TEST(StandardLibrary, HoldsTheElevenBlocksWithTheirMembers) {
    const std::vector<std::pair<std::string, std::vector<Member>>> blocks = {
        {"R_TRIG", {{"CLK", VTVAR_INPUT, -1}, {"Q", VTVAR_OUTPUT, -1}}},
        {"F_TRIG", {{"CLK", VTVAR_INPUT, -1}, {"Q", VTVAR_OUTPUT, -1}}},
        {"RS", {{"S", VTVAR_INPUT, -1}, {"R1", VTVAR_INPUT, -1}, {"Q1", VTVAR_OUTPUT, -1}}},
        {"SR", {{"S1", VTVAR_INPUT, -1}, {"R", VTVAR_INPUT, -1}, {"Q1", VTVAR_OUTPUT, -1}}},
        {"CTU",
         {{"CU", VTVAR_INPUT, -1},
          {"R", VTVAR_INPUT, -1},
          {"PV", VTVAR_INPUT, -7},
          {"Q", VTVAR_OUTPUT, -1},
          {"CV", VTVAR_OUTPUT, -7}}},
        {"CTD",
         {{"CD", VTVAR_INPUT, -1},
          {"LD", VTVAR_INPUT, -1},
          {"PV", VTVAR_INPUT, -7},
          {"Q", VTVAR_OUTPUT, -1},
          {"CV", VTVAR_OUTPUT, -7}}},
        {"CTUD",
         {{"CU", VTVAR_INPUT, -1},
          {"CD", VTVAR_INPUT, -1},
          {"R", VTVAR_INPUT, -1},
          {"LD", VTVAR_INPUT, -1},
          {"PV", VTVAR_INPUT, -7},
          {"QU", VTVAR_OUTPUT, -1},
          {"QD", VTVAR_OUTPUT, -1},
          {"CV", VTVAR_OUTPUT, -7}}},
        {"TON",
         {{"IN", VTVAR_INPUT, -1},
          {"PT", VTVAR_INPUT, -16},
          {"Q", VTVAR_OUTPUT, -1},
          {"ET", VTVAR_OUTPUT, -16}}},
        {"TOF",
         {{"IN", VTVAR_INPUT, -1},
          {"PT", VTVAR_INPUT, -16},
          {"Q", VTVAR_OUTPUT, -1},
          {"ET", VTVAR_OUTPUT, -16}}},
        {"TP",
         {{"IN", VTVAR_INPUT, -1},
          {"PT", VTVAR_INPUT, -16},
          {"Q", VTVAR_OUTPUT, -1},
          {"ET", VTVAR_OUTPUT, -16}}},
        {"RTC",
         {{"IN", VTVAR_INPUT, -1},
          {"PDT", VTVAR_INPUT, -16},
          {"Q", VTVAR_OUTPUT, -1},
          {"CDT", VTVAR_OUTPUT, -16}}},
    };
    TProjectDesc lib;
    LoadStdFBs(lib, korvo::test::StdLibPath());
    ASSERT_EQ(lib.POUList.size(), 11u);
    ASSERT_EQ(lib.TypeList.size(), 11u);
    for (size_t i = 0; i < blocks.size(); ++i) {
        const TPOUDesc& pou = *lib.POUList[i];
        const auto& [name, members] = blocks[i];
        EXPECT_EQ(pou.POUName, name);
        EXPECT_EQ(pou.POUType, PTFUNCTION_BLOCK) << name;
        EXPECT_TRUE(pou.Compiled) << name;
        EXPECT_TRUE(pou.FBCompiled) << name;
        EXPECT_GT(pou.CmdCount, 0) << name;
        EXPECT_EQ(lib.TypeList[i]->TypeName, name);
        EXPECT_EQ(lib.TypeList[i]->FB, int32_t(i));
        EXPECT_EQ(lib.TypeList[i]->DataSize, pou.LocalMemSize * 8) << name;
        EXPECT_LE(pou.LocalMemSize, 32) << name;
        for (const Member& m : members) {
            const TVarDesc* v = nullptr;
            for (const auto& var : pou.VarList)
                if (var->VarName == m.name)
                    v = var.get();
            ASSERT_NE(v, nullptr) << name << "." << m.name;
            EXPECT_EQ(v->VarType, m.kind) << name << "." << m.name;
            EXPECT_EQ(v->DataType, m.type) << name << "." << m.name;
        }
        // Every record is a form the soft PLC executes; jumps stay inside the block.
        for (size_t k = 0; k < pou.CmdCount; ++k) {
            const TAWLCommand& c = pou.Code[k];
            EXPECT_NE(c.Op(), 0x120) << name << " " << k;
            if (c.Op() == OP_JMP) {
                EXPECT_LE(c.OpdWord0, pou.CmdCount) << name << " " << k;
            }
        }
    }
}

TEST(StandardLibrary, TimersReadTheClock) {
    TProjectDesc lib;
    LoadStdFBs(lib, korvo::test::StdLibPath());
    for (size_t i : {7u, 8u, 9u, 10u}) {
        const TPOUDesc& pou = *lib.POUList[i];
        bool clock = false;
        for (size_t k = 0; k < pou.CmdCount; ++k)
            clock |= pou.Code[k].MicroCmd == 0x1F && pou.Code[k].DataType == -16;
        EXPECT_TRUE(clock) << pou.POUName;
    }
}

TEST(StandardLibrary, ProjectsDeclareCallAndReadTheBlocks) {
    Project p(
        "PROGRAM Main\nVAR\n  b AT %IX0.0 : BOOL\n  t1 : TON\n  t2 : TOF\n  t3 : TP\n  c1 : CTU\n  c2 : CTD\n"
        "  c3 : CTUD\n  e1 : R_TRIG\n  e2 : F_TRIG\n  f1 : RS\n  f2 : SR\n  clock : RTC\nEND_VAR\n"
        "  LD b\n  ST t1.IN\n  LD T#500ms\n  ST t1.PT\n  CAL t1\n  LD t1.ET\n  ST t2.PT\n  CALC t2\n"
        "  CALCN t3\n  LD t1.Q\n  ST c1.CU\n  CAL c1\n  LD c1.CV\n  ST c2.PV\n  CAL c2\n  CAL c3\n"
        "  LD c3.QU\n  ST e1.CLK\n  CAL e1\n  CAL e2\n  LD e2.Q\n  ST f1.S\n  CAL f1\n  LD f1.Q1\n"
        "  ST f2.S1\n  CAL f2\n  CAL clock\n  LD clock.CDT\n  ST t3.PT\nEND_PROGRAM");
    auto r = p.Compile();
    ASSERT_TRUE(r.ok) << r;
    EXPECT_EQ(p.Var(p.Main(), "T1")->DataType, 7);
    EXPECT_LE(p.Main().LocalMemSize, 2001);
}

} // namespace
