// Instruction part: every record form of the bytecode encoding, labels and forward jumps,
// function block and function calls, and the errors of instruction lines.
#include "compiler_util.h"

using namespace korvo;
using korvo::test::Files;
using korvo::test::Project;
using korvo::test::Rec;
using korvo::test::Records;
using korvo::test::ToRec;
using korvo::test::Words;

namespace {

// a 48, b 49, i 50, t1 52 (TON: IN +13, PT +14, Q +18, ET +19; 23 bytes), x %QX1.3
const char* kDecls = "VAR\na, b : BOOL\ni : INT\nt1 : TON\nx AT %QX1.3 : BOOL\nEND_VAR\n";

std::string Program(const std::string& body, const std::string& decls = kDecls) {
    return "PROGRAM Main\n" + decls + body + "\nEND_PROGRAM";
}

constexpr int32_t kBodyLine = 7; // line index of the first body line in Program()
constexpr TModifiers N = MOD_N, B = MOD_B, C = MOD_C;

struct EncodingCase {
    std::string body;
    std::vector<Rec> records; // after the frame record
};

TEST(Encoding, RecordByRecord) {
    const uint32_t tonIndex = uint32_t(Project("").POUIndex("TON"));
    const std::vector<EncodingCase> cases = {
        {"LD a\nST b", {{0x10, 0, 0, 48, 0, -1, 0}, {0x50, 0, 0, 49, 0, -1, 0}}},
        {"LDN a\nSTN x", {{0x10, N, 0, 48, 0, -1, 0}, {0x50, N, 0, 17, 3, -1, 0}}},
        {"S b\nR x", {{0x50, C, 0, 49, 0, -1, 0}, {0x50, N | C, 0, 17, 3, -1, 0}}},
        {"AND a\nANDN b\nOR a\nORN a\nXOR a\nXORN a",
         {{0x20, 0, 0, 48, 0, -1, 0},
          {0x20, N, 0, 49, 0, -1, 0},
          {0x30, 0, 0, 48, 0, -1, 0},
          {0x30, N, 0, 48, 0, -1, 0},
          {0x40, 0, 0, 48, 0, -1, 0},
          {0x40, N, 0, 48, 0, -1, 0}}},
        {"ADD i\nSUB i\nMUL i\nDIV i\nMOD i",
         {{0x60, 0, 0, 50, 0, -7, 0},
          {0x70, 0, 0, 50, 0, -7, 0},
          {0x80, 0, 0, 50, 0, -7, 0},
          {0x90, 0, 0, 50, 0, -7, 0},
          {0x150, 0, 0, 50, 0, -7, 0}}},
        {"GT i\nGE i\nEQ i\nNE i\nLE i\nLT i",
         {{0xA0, 0, 0, 50, 0, -7, 0},
          {0xB0, 0, 0, 50, 0, -7, 0},
          {0xC0, 0, 0, 50, 0, -7, 0},
          {0xD0, 0, 0, 50, 0, -7, 0},
          {0xE0, 0, 0, 50, 0, -7, 0},
          {0xF0, 0, 0, 50, 0, -7, 0}}},
        {"ROL i\nROR i\nSHL i\nSHR i",
         {{0x170, 0, 0, 50, 0, -7, 0},
          {0x180, 0, 0, 50, 0, -7, 0},
          {0x190, 0, 0, 50, 0, -7, 0},
          {0x1A0, 0, 0, 50, 0, -7, 0}}},
        {"RET\nRETC\nRETCN\nABS\nNOT",
         {{0x130, 0, 0, 0, 0, 0, 0},
          {0x130, C, 0, 0, 0, 0, 0},
          {0x130, N | C, 0, 0, 0, 0, 0},
          {0x140, 0, 0, 0, 0, 0, 0},
          {0x160, 0, 0, 0, 0, 0, 0}}},
        {"LD 5\nADD T#2s\nAND 16#FF\nEQ INT#-3",
         {{0x11, 0, 0, 0, 0, -1002, 0},
          {0x61, 0, 0, 0, 0, -16, 8},
          {0x21, 0, 0, 0, 0, -1002, 16},
          {0xC1, 0, 0, 0, 0, -7, 24}}},
        {"ANDN( a\nOR b\n)",
         {{0x20, N | B, 0, 0, 0, 0, 0},
          {0x10, 0, 0, 48, 0, -1, 0},
          {0x30, 0, 0, 49, 0, -1, 0},
          {0x100, 0, 0, 0, 0, 0, 0}}},
        {"ADD( 7\n)", {{0x60, B, 0, 0, 0, 0, 0}, {0x11, 0, 0, 0, 0, -1002, 0}, {0x100, 0, 0, 0, 0, 0, 0}}},
        {"LD t1.Q\nST t1.IN\nLD T#1s\nST t1.pt",
         {{0x10, 0, 0, 70, 0, -1, 0},
          {0x50, 0, 0, 65, 0, -1, 0},
          {0x11, 0, 0, 0, 0, -16, 0},
          {0x50, 0, 0, 66, 0, -16, 0}}},
        {"CAL t1",
         {{0x1030, 0, -1, 0, 0, 0, Words(52, 23)},
          {0xF010, 0, 0, 0, 0, 0, tonIndex},
          {0x1040, 0, -1, 0, 0, 0, 0}}},
        {"CALC t1",
         {{0x1030, 0, -1, 0, 0, 0, Words(52, 23)},
          {0xF010, C, 0, 0, 0, 0, tonIndex},
          {0x1040, 0, -1, 0, 0, 0, 0}}},
        {"CALCN t1",
         {{0x1030, 0, -1, 0, 0, 0, Words(52, 23)},
          {0xF010, N | C, 0, 0, 0, 0, tonIndex},
          {0x1040, 0, -1, 0, 0, 0, 0}}},
        {"GET_TIME", {{0x1F, 0, 0, 0, 0, -16, 0}}},
        {"INT_TO_BYTE\ntime_to_dint",
         {{0x1B0, 0, 0, 0, 0, 0, Words(6, 1)}, {0x1B0, 0, 0, 0, 0, 0, Words(15, 7)}}},
        {"start: JMP start\nJMPC next\nnext: JMPCN start",
         {{0x110, 0, 0, 0, 0, 0, 1}, {0x110, C, 0, 0, 0, 0, 3}, {0x110, N | C, 0, 0, 0, 0, 1}}},
    };
    for (const auto& c : cases) {
        Project p(Program(c.body));
        auto r = p.Compile();
        ASSERT_TRUE(r.ok) << c.body << ": " << r;
        EXPECT_EQ(Records(p.Main(), 1), c.records) << c.body;
    }
}

TEST(Encoding, FrameRecordAndSourceLines) {
    Project p(
        "(* header comment *)\nPROGRAM Main\nVAR\ni : INT\nEND_VAR\n\n  LD 1\n\n  ADD( i\n  )\nEND_PROGRAM");
    ASSERT_TRUE(p.Compile().ok);
    const TPOUDesc& m = p.Main();
    ASSERT_EQ(m.CmdCount, 5);
    EXPECT_EQ(Records(m)[0], (Rec{0x1010, 0, 0, 0, 0, 0, 50}));
    std::vector<int32_t> lines;
    for (size_t k = 0; k < m.CmdCount; ++k)
        lines.push_back(m.Code[k].SourceLine);
    EXPECT_EQ(lines, (std::vector<int32_t>{1, 6, 8, 8, 9}));
}

TEST(Encoding, LiteralsFillConstantMemoryInOrder) {
    Project p(Program("LD 5\nST i\nADD 5\nLD DINT#-2"));
    ASSERT_TRUE(p.Compile().ok);
    const TPOUDesc& m = p.Main();
    ASSERT_EQ(m.ConstMemSize, 24); // equal literals are not shared
    ASSERT_EQ(m.ConstMem.size(), 24u);
    auto at = [&](size_t off) {
        TUS64 v;
        std::memcpy(v.Bytes, m.ConstMem.data() + off, 8);
        return v.S64;
    };
    EXPECT_EQ(at(0), 5);
    EXPECT_EQ(at(8), 5);
    EXPECT_EQ(at(16), -2); // sign-extended to 64 bits
    EXPECT_EQ(m.Code[4].OpdLong, 16u);
}

TEST(Encoding, CodeBufferGrowsByThirtyRecords) {
    std::string body;
    for (int k = 0; k < 30; ++k)
        body += "NOT\n";
    Project p(Program(body));
    ASSERT_TRUE(p.Compile().ok);
    const TPOUDesc& m = p.Main();
    EXPECT_EQ(m.CmdCount, 31);
    EXPECT_EQ(m.CodeSize, int32_t(60 * sizeof(TAWLCommand)));
    for (size_t k = 31; k < 60; ++k)
        EXPECT_EQ(m.Code[k].MicroCmd, 0) << k;
}

TEST(Labels, ForwardAndBackwardJumps) {
    Project p(Program("  JMP later\ntop:\n  LD a\n  JMPC top\nLater :\n  ST b\n  jmp TOP"));
    ASSERT_TRUE(p.Compile().ok);
    const TPOUDesc& m = p.Main();
    ASSERT_EQ(m.Labels.size(), 2u);
    EXPECT_EQ(m.Labels[0]->LabelName, "top");
    EXPECT_EQ(m.Labels[0]->CmdNo, 2);
    EXPECT_EQ(m.Labels[1]->LabelName, "Later");
    EXPECT_EQ(m.Labels[1]->CmdNo, 4);
    EXPECT_EQ(m.Code[1].OpdLong, 4u); // resolved at the end of the text
    EXPECT_EQ(m.Code[3].OpdLong, 2u);
    EXPECT_EQ(m.Code[5].OpdLong, 2u);
}

TEST(Labels, LabelAndInstructionOnOneLine) {
    // The last label marks the end of the code; the END line after it closes the POU.
    Project p("PROGRAM Main\n" + std::string(kDecls) +
              "loop: LD a\n  ST b\nl2: (* c *) l3: JMPC loop\ndone: END_PROGRAM");
    auto r = p.Compile();
    ASSERT_TRUE(r.ok) << r;
    const TPOUDesc& m = p.Main();
    EXPECT_EQ(Records(m, 1),
              (std::vector<Rec>{
                  {0x10, 0, 0, 48, 0, -1, 0}, {0x50, 0, 0, 49, 0, -1, 0}, {0x110, C, 0, 0, 0, 0, 1}}));
    ASSERT_EQ(m.Labels.size(), 4u);
    EXPECT_EQ(m.Labels[1]->CmdNo, 3);
    EXPECT_EQ(m.Labels[2]->CmdNo, 3);
    EXPECT_EQ(m.Labels[3]->CmdNo, 4);
    EXPECT_EQ(p.desc.MainPOUEndLine, 10);
}

TEST(Labels, DuplicateLabelJumpsToTheFirst) {
    Project p(Program("JMP lb\nlb: LD a\nlb: LD b"));
    ASSERT_TRUE(p.Compile().ok);
    EXPECT_EQ(p.Main().Code[1].OpdLong, 2u);
}

TEST(Calls, FunctionCallSequence) {
    Project p(Files{{"main.il", Program("LD i\nF i, 5\nST i")},
                    {"f.il", "FUNCTION F : INT\nVAR_INPUT\ni1 : INT\ni2 : INT\ni3 : INT\nEND_VAR\n"
                             "LD i1\nADD i2\nADD i3\nST F\nEND_FUNCTION"}});
    auto r = p.Compile();
    ASSERT_TRUE(r.ok) << r;
    const int32_t f = p.POUIndex("F");
    EXPECT_EQ(Records(p.Main(), 1), (std::vector<Rec>{
                                        {0x10, 0, 0, 50, 0, -7, 0},
                                        {0x1010, 0, -1, 0, 0, 0, 8},
                                        {0x50, 0, 0, 0, 0, -7, 0},
                                        {0x10, 0, 1, 50, 0, -7, 0},
                                        {0x50, 0, 0, 2, 0, -7, 0},
                                        {0x11, 0, 1, 0, 0, -1002, 0},
                                        {0x50, 0, 0, 4, 0, -7, 0},
                                        {0xF000, 0, 0, 0, 0, 0, uint32_t(f)},
                                        {0x10, 0, 0, 6, 0, -7, 0},
                                        {0x1020, 0, -1, 0, 0, 0, 0},
                                        {0x50, 0, 0, 50, 0, -7, 0},
                                    }));
    EXPECT_TRUE(p.File(1).FBCompiled);
    EXPECT_EQ(p.Main().ConstMemSize, 8); // the literal argument lives in the caller
}

TEST(Calls, ArgumentsMayBeMembersAndEndInAComma) {
    Project p(Files{
        {"main.il", Program("LD 1\nF t1.Q,")},
        {"f.il", "FUNCTION F : BOOL\nVAR_INPUT\nx, y : BOOL\nEND_VAR\nLD x\nAND y\nST F\nEND_FUNCTION"}});
    auto r = p.Compile();
    ASSERT_TRUE(r.ok) << r;
    EXPECT_EQ(ToRec(p.Main().Code[4]), (Rec{0x10, 0, 1, 70, 0, -1, 0}));
}

struct ErrorCase {
    std::string body;
    std::string message;
    int32_t line; // relative to the first body line
    int32_t column;
};

TEST(InstructionErrors, AtTheirPosition) {
    const std::vector<ErrorCase> cases = {
        {"AND(", "Operand expected", 0, 4},
        {"LD", "Operand expected", 0, 2},
        {"LD  ", "Operand expected", 0, 4},
        {"LD( a", "Modifier \"(\" not allowed with LD", 0, 3},
        {"st(a", "Modifier \"(\" not allowed with ST", 0, 3},
        {"CAL( t1", "Modifier \"(\" not allowed with CAL", 0, 4},
        {"NOT(", "Modifier \"(\" not allowed with NOT", 0, 4},
        {"AND (a)", "Unknown identifier", 0, 5},
        {"LD(*c*) a", "Unknown identifier", 0, 4},
        {"AND((a", "Unknown identifier", 0, 5},
        {"ST 5", "Unknown identifier", 0, 4},
        {"LD -5", "Unknown identifier", 0, 4},
        {"LD nothing", "Unknown identifier", 0, 10},
        {"LD %IX0.0", "Unknown identifier", 0, 4},
        {"LD t1", "'.' expected", 0, 5},
        {"LD t1 .Q", "'.' expected", 0, 5},
        {"LD t1.foo", "Unknown identifier", 0, 9},
        {"LD t1.RUNNING", "Unknown identifier", 0, 13}, // a local of the block is no member
        {"CAL i", "Unknown identifier", 0, 5},
        {"CAL t1(IN := a)", "End of line expected", 0, 6},
        {"CAL t1 a", "End of line expected", 0, 7},
        {"LD a b", "End of line expected", 0, 5},
        {"LD a;", "End of line expected", 0, 4},
        {"LD a (* c *) (* d *)", "End of line expected", 0, 13},
        {"RET a", "End of line expected", 0, 4},
        {") a", "End of line expected", 0, 2},
        {"GET_TIME a", "End of line expected", 0, 9},
        {"INT_TO_BYTE a", "End of line expected", 0, 12},
        {"REAL_TO_INT", "Data type not supported", 0, 11},
        {"LD 8#17", "Invalid arithmetic base", 0, 7},
        {"LD INT#TRUE", "Error in expression", 0, 11},
        {"LD X#12", "Invalid literal prefix", 0, 7},
        {"LD T#25d", "TIME literal out of range", 0, 8},
        {"LD REAL#1", "Data type not supported", 0, 9},
        {"1abc", "Invalid identifier", 0, 4},
        {"#", "Invalid identifier", 0, 1},
        {"lbl x", "':' expected", 0, 5},
        {"lbl := 1", "':' expected", 0, 6},
        {"lb: TON", "Keyword not supported", 0, 7},
        {"l: LD a", "Keyword not supported", 0, 1}, // L is reserved
        {"lb: x", "':' expected", 0, 5},
        {"LD a\nJMP nowhere\nLD b", "Unknown label", 1, 11},
        {"JMP l1\nJMP l2\nl1: LD a", "Unknown label", 1, 6},
        {"LD a\nEND_FUNCTION_BLOCK", "Only allowed in a FUNCTION_BLOCK", 1, 18},
        {"LD a\nEND_FUNCTION", "Only allowed in a FUNCTION", 1, 12},
        {"LD a\nEND_PROGRAM x", "End of line expected", 1, 12},
        {"LD a\nEND_PROGRAM\nx", "PROGRAM, FUNCTION or FUNCTION_BLOCK expected", 2, 1},
        {"Main", "A PROGRAM cannot be called", 0, 4},
        {"TON", "Keyword not supported", 0, 3},
    };
    for (const auto& c : cases) {
        Project p(Program(c.body));
        auto r = p.Compile();
        EXPECT_FALSE(r.ok) << c.body;
        EXPECT_EQ(r.message, c.message) << c.body;
        EXPECT_EQ(r.pou, int32_t(p.libCount)) << c.body;
        EXPECT_EQ(r.line, kBodyLine + c.line) << c.body;
        EXPECT_EQ(r.column, c.column) << c.body;
    }
}

TEST(InstructionErrors, AfterTheEndLine) {
    Project p(Program("LD a") + "\n(* trailing comment *)\n\nVAR\n");
    auto r = p.Compile();
    EXPECT_EQ(r.message, "Unexpected end of file"); // a keyword line re-opens the POU
    EXPECT_TRUE(Project(Program("LD a") + "\n(* fine *)\n// also fine\n").Compile().ok);
}

TEST(InstructionErrors, DeclarationsAfterTheFirstInstructionAreNoDeclarations) {
    Project p(Program("LD a\nVAR\nz : INT\nEND_VAR"));
    auto r = p.Compile();
    EXPECT_EQ(r.message, "Keyword not supported"); // "z :" is a label, INT is reserved
    EXPECT_EQ(r.line, kBodyLine + 2);
}

TEST(InstructionErrors, RetIsAcceptedEverywhere) {
    EXPECT_TRUE(Project(Program("RET\nRETC\nRETCN")).Compile().ok);
}

struct CallCase {
    std::string main;   // body of the PROGRAM
    std::string others; // further files, separated by "----\n"
    std::string message;
    int32_t pouOffset; // file index of the error
    int32_t line, column;
};

TEST(Calls, Errors) {
    const std::string f3 =
        "FUNCTION F : INT\nVAR_INPUT\ni1, i2, i3 : INT\nEND_VAR\nLD i1\nST F\nEND_FUNCTION";
    const std::string fGap = "FUNCTION F : INT\nVAR_INPUT\ni1 : INT\nEND_VAR\nVAR\nv : "
                             "INT\nEND_VAR\nVAR_INPUT\ni2 : INT\nEND_VAR\n"
                             "LD i1\nST F\nEND_FUNCTION";
    const std::vector<CallCase> cases = {
        {"LD 1\nF i, 5, i", f3, "Unknown identifier", 0, 1, 9},
        {"LD 1\nF i; 5", f3, "',' expected", 0, 1, 3},
        {"LD 1\nF i 5", f3, "',' expected", 0, 1, 5},
        {"LD 1\nF (* c *)", f3, "Unknown identifier", 0, 1, 4},
        {"LD 1\nF nothing", f3, "Unknown identifier", 0, 1, 9},
        {"LD 1\nF t1", f3, "'.' expected", 0, 1, 4},
        {"LD 1\nF i", fGap, "Unknown identifier", 0, 1, 3}, // inputs must follow each other
        {"LD 1\nG", "FUNCTION G : INT\nVAR\nv : INT\nEND_VAR\nLD 1\nST G\nEND_FUNCTION", "Unknown identifier",
         0, 1, 1},
        {"LD 1\nBlk", "FUNCTION_BLOCK Blk\nEND_FUNCTION_BLOCK",
         "A FUNCTION_BLOCK is called with CAL and an instance", 0, 1, 3},
        {"LD 1\nF", "FUNCTION F : INT\nVAR_INPUT\na : INT\nEND_VAR\nLD a\nF\nEND_FUNCTION",
         "Recursive call not allowed", 1, 5, 1},
        {"LD 1\nF",
         "FUNCTION F : INT\nVAR_INPUT\na : INT\nEND_VAR\nLD a\nG\nEND_FUNCTION\n----\n"
         "FUNCTION G : INT\nVAR_INPUT\nb : INT\nEND_VAR\nLD b\nF\nEND_FUNCTION",
         "Recursive call not allowed", 2, 5, 1},
        {"LD 1\nF",
         "FUNCTION F : INT\nVAR_INPUT\na : INT\nEND_VAR\nLD a\nG F\nEND_FUNCTION\n----\n"
         "FUNCTION G : INT\nVAR_INPUT\nb, c : INT\nEND_VAR\nLD b\nST G\nEND_FUNCTION",
         "Meaning not clear", 1, 5, 3},
        {"LD 1\nF", "FUNCTION F : INT\nVAR_INPUT\na : INT\nEND_VAR\nLD a\nMain\nEND_FUNCTION",
         "A PROGRAM cannot be called", 1, 5, 4},
    };
    for (const auto& c : cases) {
        Files files{{"main.il", Program(c.main)}};
        size_t start = 0;
        while (start < c.others.size()) {
            size_t end = c.others.find("----\n", start);
            std::string text =
                c.others.substr(start, end == std::string::npos ? std::string::npos : end - start);
            files.push_back({"f" + std::to_string(files.size()) + ".il", text});
            start = end == std::string::npos ? c.others.size() : end + 5;
        }
        Project p(files);
        auto r = p.Compile();
        EXPECT_EQ(r.message, c.message) << c.main << "\n" << c.others;
        EXPECT_EQ(r.pou, int32_t(p.libCount) + c.pouOffset) << c.main;
        EXPECT_EQ(r.line, (c.pouOffset == 0 ? kBodyLine : 0) + c.line) << c.main;
        EXPECT_EQ(r.column, c.column) << c.main;
    }
}

TEST(Calls, OwnNameInsideAFunctionIsItsReturnValue) {
    Project p(Files{
        {"main.il", Program("LD 1\nF\nST i")},
        {"f.il", "FUNCTION F : INT\nVAR_INPUT\na : INT\nEND_VAR\nLD a\nADD 1\nST F\nLD F\nEND_FUNCTION"}});
    ASSERT_TRUE(p.Compile().ok);
    const TPOUDesc& f = p.File(1);
    EXPECT_EQ(ToRec(f.Code[2]), (Rec{0x50, 0, 0, 2, 0, -7, 0}));
    EXPECT_EQ(ToRec(f.Code[3]), (Rec{0x10, 0, 0, 2, 0, -7, 0}));
}

TEST(Limits, InstructionsPerPOU) {
    auto body = [](int n) {
        std::string s;
        s.reserve(size_t(n) * 4);
        for (int k = 0; k < n; ++k)
            s += "NOT\n";
        s.pop_back();
        return s;
    };
    Project ok(Program(body(65534), ""));
    ASSERT_TRUE(ok.Compile().ok);
    EXPECT_EQ(ok.Main().CmdCount, 65535);

    // "ADD(" writes two records: the second one would be record 65535.
    Project over(Program(body(65533) + "\nADD( 1", ""));
    auto r = over.Compile();
    EXPECT_EQ(r.message, "Too many instructions in POU (at most 65535)");
    EXPECT_EQ(r.line, 65534);
}

TEST(Limits, LinesPerPOU) {
    std::string text = "PROGRAM Main\nLD 1\n";
    text += std::string(65533, '\n');
    Project ok(text + "END_PROGRAM"); // 65536 lines
    ASSERT_EQ(ok.File(0).POUText.size(), 65536u);
    EXPECT_TRUE(ok.Compile().ok);
    Project over(text + "\nEND_PROGRAM");
    auto r = over.Compile();
    EXPECT_EQ(r.message, "Too many lines in POU (at most 65536)");
    EXPECT_EQ(r.line, 65536);
}

TEST(Limits, LongSourcesStayLinear) {
    // Many names on one line, many labels and jumps: found through hash indexes, so this
    // takes milliseconds where pairwise name comparisons would take minutes.
    std::string names = "VAR\nv0";
    for (int k = 1; k < 60000; ++k)
        names += ", v" + std::to_string(k);
    Project big(Program("LD 1", names + " : BOOL\nEND_VAR\n"));
    EXPECT_EQ(big.Compile().message, "Variables do not fit into the PLC memory of 2001 bytes");

    std::string body;
    for (int k = 0; k < 20000; ++k)
        body += "JMP L" + std::to_string(k) + "\n";
    for (int k = 0; k < 20000; ++k)
        body += "l" + std::to_string(k) + ": NOT\n";
    Project jumps(Program(body, ""));
    ASSERT_TRUE(jumps.Compile().ok);
    EXPECT_EQ(jumps.Main().Code[1].OpdLong, 20001u);
    EXPECT_EQ(jumps.Main().Code[20000].OpdLong, 40000u);
}

} // namespace
