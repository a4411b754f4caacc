// The largest legal inputs: instructions per POU, lines per file, data memory, call levels and
// rule commands per visualization function. Each compiles (loads) and runs at the limit, and
// one step beyond it gives its own message.
#include "Parser/RuleCompiler.h"
#include "Parser/RuleMachine.h"
#include "SimForm/SoftAGCoupling.h"
#include "softag_il.h"
#include "vis_fakes.h"

#include <gtest/gtest.h>

#include <string>

using namespace korvo;
using namespace korvo::test;

namespace {

// MAIN with variable A : INT; the body lines go between the declarations and END_PROGRAM.
// Five lines of frame around the body; record 0 is the frame set-up.
std::string Program(const std::string& body, const std::string& vars = "  A : INT\n") {
    return "PROGRAM MAIN\nVAR\n" + vars + "END_VAR\n" + body + "END_PROGRAM\n";
}

// Records: 1 (frame) + 1 (LD) + 3 per pair + extra + 1 (ST).
std::string Instructions(int pairs, int extra) {
    std::string body = "  LD 7\n";
    for (int i = 0; i < pairs; ++i)
        body += "  ADD( 0\n  )\n";
    for (int i = 0; i < extra; ++i)
        body += "  ADD 0\n";
    body += "  ST A\n";
    return body;
}

} // namespace

TEST(Limits, POUWithMostInstructions) {
    const int pairs = (65535 - 3) / 3; // exactly 65535 records
    ILMachine m;
    ASSERT_TRUE(m.Load(Program(Instructions(pairs, 0)))) << m.Error;
    const TPOUDesc& main = *m.Proj.POUList[size_t(m.Proj.MainPOU)];
    EXPECT_EQ(main.CmdCount, 65535);
    m.RunCycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.Int("A"), 7);
    EXPECT_EQ(m.AG.ExecutedCmds, 65535u);

    ILMachine beyond;
    EXPECT_FALSE(beyond.Load(Program(Instructions(pairs, 1))));
    EXPECT_NE(beyond.Error.find("Too many instructions in POU (at most 65535)"), std::string::npos)
        << beyond.Error;
}

TEST(Limits, FileWithMostLines) {
    // 65536 lines: the frame, the instructions, comment and blank lines filling the rest.
    std::string body = "  LD 1\n  ADD 2\n  ST A\n";
    const int fill = 65536 - 5 - 3;
    for (int i = 0; i < fill; ++i)
        body += (i % 2) ? "\n" : "(* filler *)\n";
    const std::string text = Program(body);
    ASSERT_EQ(SplitLines(text).size(), 65536u);
    ILMachine m;
    ASSERT_TRUE(m.Load(text)) << m.Error;
    m.RunCycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.Int("A"), 3);

    // CR LF line ends count the same.
    std::string crlf;
    for (char c : text)
        crlf += c == '\n' ? std::string("\r\n") : std::string(1, c);
    ILMachine m2;
    EXPECT_TRUE(m2.Load(crlf)) << m2.Error;

    ILMachine beyond;
    EXPECT_FALSE(beyond.Load("\n" + text));
    EXPECT_NE(beyond.Error.find("Too many lines in POU (at most 65536)"), std::string::npos) << beyond.Error;
    EXPECT_NE(beyond.Error.find("in line 65537"), std::string::npos) << beyond.Error;
}

TEST(Limits, ProgramUsingTheWholeDataMemory) {
    // A PROGRAM's variables start after the process image and may reach the last byte.
    const int free = 2001 - FIRSTFREE; // 1953
    std::string vars;
    for (int i = 0; i < free / 4; ++i)
        vars += "  D" + std::to_string(i) + " : DINT\n";
    for (int i = 0; i < free % 4; ++i)
        vars += "  B" + std::to_string(i) + " : BYTE\n";
    const std::string last = "B" + std::to_string(free % 4 - 1);
    const std::string body = "  LD 16#A5\n  ST " + last + "\n  LD 123456\n  ST D0\n";
    ILMachine m;
    ASSERT_TRUE(m.Load(Program(body, vars))) << m.Error;
    EXPECT_EQ(m.Find(last).adr, 2000);
    m.RunCycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.AG.Data->DMemory[2000], 0xA5);
    EXPECT_EQ(m.Int("D0"), 123456);

    ILMachine beyond;
    EXPECT_FALSE(beyond.Load(Program(body, vars + "  ONEMORE : BOOL\n")));
    EXPECT_NE(beyond.Error.find("Variables do not fit into the PLC memory of 2001 bytes"), std::string::npos)
        << beyond.Error;
}

namespace {

// MAIN calls F1 with 0, Fk calls F(k+1) and adds 1, the last adds 1 only: the result is depth.
std::vector<std::string> CallChain(int depth) {
    std::vector<std::string> texts{Program("  LD 0\n  F1\n  ST A\n")};
    for (int k = 1; k <= depth; ++k) {
        const std::string name = "F" + std::to_string(k);
        std::string body = "  LD X\n";
        if (k < depth)
            body += "  F" + std::to_string(k + 1) + "\n";
        body += "  ADD 1\n  ST " + name + "\n";
        texts.push_back("FUNCTION " + name + " : INT\nVAR_INPUT\n  X : INT\nEND_VAR\n" + body +
                        "END_FUNCTION\n");
    }
    return texts;
}

} // namespace

TEST(Limits, TenCallLevels) {
    // Level 1 is the PROGRAM: nine nested calls fill the ten levels and frames 1..10.
    static_assert(MAX_CALLED_POU_COUNT == 10 && MAX_MEMBASES == 10);
    ILMachine m;
    ASSERT_TRUE(m.LoadAll(CallChain(9))) << m.Error;
    m.RunCycle();
    EXPECT_EQ(m.AG.LastRuntimeError().Message, "");
    EXPECT_EQ(m.Int("A"), 9);
    m.RunCycle();
    EXPECT_EQ(m.Int("A"), 9);

    // Step by step through all levels.
    m.AG.SetMode(MM_STEP);
    uint16_t deepest = 0;
    for (int i = 0; i < 200 && m.AG.RuntimeErrors == 0; ++i) {
        m.AG.Clock();
        deepest = std::max(deepest, m.AG.RunningPOUNum);
    }
    EXPECT_EQ(deepest, 10);
    EXPECT_EQ(m.AG.RuntimeErrors, 0u);

    ILMachine beyond;
    ASSERT_TRUE(beyond.LoadAll(CallChain(10))) << beyond.Error;
    beyond.RunCycle();
    // A FUNCTION's frame is pushed before the call: the eleventh frame is refused first.
    EXPECT_EQ(beyond.AG.LastRuntimeError().Message, "Too many memory frames (more than 10)");
    EXPECT_EQ(beyond.AG.RuntimeErrors, 1u);
}

namespace {

std::vector<std::string> VisLines(int bells) {
    std::vector<std::string> l{
        "OBJECT WINDOW W", "POSITION = 0,0,20,20", "OBJECT DYNAMICPIC LAMP",          "PICALIAS = LAMP",
        "END_OBJECT",      "END_OBJECT",           "FUNCTION VOID LAMP.onMouseDown()"};
    l.push_back("SET %QB0 = #1"); // two commands
    for (int i = 0; i < bells; ++i)
        l.push_back("BELL");
    l.push_back("END_FUNCTION");
    return l;
}

} // namespace

TEST(Limits, VisualizationFunctionWith624Commands) {
    static_assert(RuleCodeCommands == 624);
    vistest::TFakeHost host;
    TPictureLibrary lib;
    lib.Add("LAMP", vistest::SolidStrip(4, 4, 2));
    const int bells = 624 - 1 - 2; // with the SET and the final RCEND: the whole block

    TVisDescription desc;
    TSDFError err;
    ASSERT_TRUE(LoadSDFLines(VisLines(bells), TVisContext{&lib, &host}, desc, err)) << err.Message;
    const TFunction* f = desc.FAllObjects.at(1)->GetFunctionByName("ONMOUSEDOWN");
    ASSERT_NE(f, nullptr);
    EXPECT_EQ(f->FCode->Commands[623].Cmd, RCEND);
    vistest::TFakePLC plc;
    ExecuteRuleCode(f->FCode.get(), desc.FAllObjects, &plc, &host);
    EXPECT_EQ(host.Beeps, bells);
    EXPECT_EQ(plc.Mem[16], 1);

    // Run against the soft PLC through a headless window.
    vistest::TScratchDir dir;
    std::string sdf;
    for (const auto& s : VisLines(bells))
        sdf += s + "\r\n";
    vistest::WriteText(dir.Path / "big.sdf", sdf);
    ILMachine m;
    ASSERT_TRUE(m.Load(Program("  LD A\n  ST A\n"))) << m.Error;
    THeadlessVis vis(m.AG, &lib);
    ASSERT_TRUE(vis.Open((dir.Path / "big.sdf").string()));
    std::string e;
    ASSERT_TRUE(vis.MouseDown("LAMP", e)) << e;
    EXPECT_EQ(vis.Beeps(), bells);
    EXPECT_EQ(m.AG.Data->QBuf[0], 1);

    TVisDescription over;
    EXPECT_FALSE(LoadSDFLines(VisLines(bells + 1), TVisContext{&lib, &host}, over, err));
    EXPECT_EQ(err.Message, "too many commands in function (max. 624)");
    EXPECT_EQ(err.Line, 8 + bells + 1);
}
