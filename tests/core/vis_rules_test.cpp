// Rule language: scanner, compiled encodings, left-to-right evaluation, parentheses,
// IF/ELSE/ENDIF with nesting and run-time messages, PLC operand widths, compile errors.
#include "Parser/RuleCompiler.h"
#include "Parser/RuleMachine.h"
#include "Parser/Scanner.h"
#include "objdesc/Loader.h"
#include "vis_fakes.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::vistest;

namespace {

struct Cmd {
    int32_t Code;
    int32_t I;
    bool operator==(const Cmd&) const = default;
};
std::ostream& operator<<(std::ostream& os, const Cmd& c) {
    return os << "{" << c.Code << "," << c.I << "}";
}

int32_t Plc(uint16_t adr, uint8_t bit, uint8_t size) {
    return TRuleCommand::PLCOperand(adr, bit, size);
}
int32_t Fld(uint16_t obj, uint16_t field) {
    return TRuleCommand::ObjOperand(field, obj);
}

class VisRules : public ::testing::Test {
protected:
    void SetUp() override {
        // Object list: CPU 0, LAMP 1 (animated), T 2 (timer with fields X, N), DOOR 3 (group), A 4
        TSDFError err;
        Lib.Add("LAMP", SolidStrip(4, 4, 2));
        ASSERT_TRUE(LoadSDFLines(Lines("OBJECT WINDOW W\n"
                                       "OBJECT DYNAMICPIC LAMP\nPICALIAS = LAMP\nEND_OBJECT\n"
                                       "OBJECT TIMER T\nFIELD LINT X\nFIELD LINT N\nEND_OBJECT\n"
                                       "OBJECT GROUP DOOR\nPOSITION = 0,0\nPOSITION_2 = 0,100\nEND_OBJECT\n"
                                       "OBJECT TIMER A\nFIELD LINT X\nEND_OBJECT\n"
                                       "END_OBJECT\n"),
                                 TVisContext{&Lib, &Host}, Desc, err))
            << err.Message;
    }
    // Compiles the statements; returns the commands up to and including RCEND.
    std::vector<Cmd> Compile(const std::vector<std::string>& Stmts) {
        Code.reset();
        for (std::string s : Stmts) {
            CompileSDLExpression(s, Code, Desc.FAllObjects, &Host);
            EXPECT_EQ(s, "") << "unconsumed";
        }
        std::vector<Cmd> r;
        for (const auto& c : Code->Commands) {
            r.push_back({c.Cmd, c.I});
            if (c.Cmd == RCEND)
                break;
        }
        return r;
    }
    std::string CompileError(std::string Stmt) {
        PRuleCode code;
        try {
            CompileSDLExpression(Stmt, code, Desc.FAllObjects, &Host);
        } catch (const EParseError& e) {
            return e.what();
        }
        return Stmt.empty() ? "" : "left: " + Stmt;
    }
    void Run(const std::vector<std::string>& Stmts) {
        Compile(Stmts);
        ExecuteRuleCode(Code.get(), Desc.FAllObjects, &Plc_, &Host);
    }
    TSOField& Field(size_t obj, size_t f) { return *Desc.FAllObjects[obj]->FFields[f]; }

    TPictureLibrary Lib;
    TFakeHost Host;
    TFakePLC Plc_;
    TVisDescription Desc;
    PRuleCode Code;
};

} // namespace

TEST(VisScanner, Tokens) {
    std::string s = "  \tSET $A.B";
    EXPECT_EQ(SkipWhitespace(s), "  \t");
    EXPECT_EQ(GetNextElement(s), "SET");
    EXPECT_EQ(GetNextElement(s), "");
    EXPECT_EQ(s, " $A.B");
    s = "() x";
    EXPECT_EQ(GetNextElement(s), "()");
    s = ">=(.%";
    EXPECT_EQ(GetNextElement(s), ">=(.%");
    s = "^x";
    EXPECT_EQ(GetNextElement(s), "");
    EXPECT_EQ(s, "^x");
    s = "IX0.3 &";
    EXPECT_EQ(GetNextElementX(s, "."), "IX0.3");
    s = "IX0.3";
    EXPECT_EQ(GetNextElement(s), "IX0");
    s = "a_1\xC3\xA4";
    EXPECT_EQ(GetNextElement(s), "a_1");
}

TEST_F(VisRules, EncodingsOfDocumentedExamples) {
    EXPECT_EQ(Compile({"SET %QX0.0 = %IX0.0"}),
              (std::vector<Cmd>{{RCLOADFROMCPU, Plc(0, 0, 1)}, {RCSTORETOCPU, Plc(16, 0, 1)}, {RCEND, 0}}));
    // T has object index 2; N is its second field.
    EXPECT_EQ(Compile({"SET $T.N = $T.N + #1"}), (std::vector<Cmd>{{RCLOADFROMOBJ, Fld(2, 1)},
                                                                   {RCLOADLITERAL, 1},
                                                                   {RCADD, 0},
                                                                   {RCSTORETOOBJ, Fld(2, 1)},
                                                                   {RCEND, 0}}));
    EXPECT_EQ(Compile({"IF (%IX0.0 == #1) & !$LAMP.IMG"}), (std::vector<Cmd>{{RCPUSH, 0},
                                                                             {RCLOADFROMCPU, Plc(0, 0, 1)},
                                                                             {RCLOADLITERAL, 1},
                                                                             {RCTESTEQUAL, 0},
                                                                             {RCPOP, 0},
                                                                             {RCLOADFROMOBJ, Fld(1, 0x8000)},
                                                                             {RCNOT, 0},
                                                                             {RCAND, 0},
                                                                             {RCIF, 0},
                                                                             {RCEND, 0}}));
    // Statements concatenate with one final RCEND.
    EXPECT_EQ(Compile({"IF $A.X != #3", "BELL", "ELSE", "ENDIF"}),
              (std::vector<Cmd>{{RCLOADFROMOBJ, Fld(4, 0)},
                                {RCLOADLITERAL, 3},
                                {RCTESTEQUAL, 0},
                                {RCNOT, 0},
                                {RCIF, 0},
                                {RCBELL, 0},
                                {RCELSE, 0},
                                {RCENDIF, 0},
                                {RCEND, 0}}));
    EXPECT_EQ(Code->Size, 5000);
    static_assert(sizeof(TRuleCode) == 5000);
}

TEST_F(VisRules, OperatorCommands) {
    const std::pair<const char*, std::vector<int32_t>> ops[] = {
        {"==", {RCTESTEQUAL}},  {"!=", {RCTESTEQUAL, RCNOT}},
        {">", {RCTESTBIGGER}},  {">=", {RCTESTBIGEQU}},
        {"<", {RCTESTSMALLER}}, {"<=", {RCTESTSMEQU}},
        {"&", {RCAND}},         {"|", {RCOR}},
        {"^", {RCXOR}},         {"<<", {RCSHIFTLEFT}},
        {">>", {RCSHIFTRIGHT}}, {">>>", {RCSHIFTRIGHTZF}},
        {"+", {RCADD}},         {"-", {RCSUB}},
        {"*", {RCMUL}},
    };
    for (const auto& [op, cmds] : ops) {
        const auto code = Compile({std::string("SET %MB0 = #1 ") + op + " #2"});
        std::vector<int32_t> got;
        for (size_t i = 2; i + 2 < code.size(); ++i)
            got.push_back(code[i].Code);
        EXPECT_EQ(got, cmds) << op;
    }
}

TEST_F(VisRules, DirectAddresses) {
    struct Case {
        const char* Text;
        bool Ok;
        int32_t Byte;
        int Bit;
        int Size;
    };
    const Case cases[] = {
        {"IX0.3", true, 0, 3, 1},  {"ix0.3", true, 0, 3, 1},  {"I0.7", true, 0, 7, 1},
        {"I13", true, 1, 5, 1},    {"X13", false, 0, 0, 0},   {"QX15.7", true, 31, 7, 1},
        {"QB1", true, 17, 0, 8},   {"MW4", true, 36, 0, 16},  {"MD12", true, 44, 0, 32},
        {"QL8", true, 24, 0, 64},  {"MX127", true, 47, 7, 1}, {"MX128", false, 0, 0, 0},
        {"IX0.8", false, 0, 0, 0}, {"IB16", false, 0, 0, 0},  {"IW15", false, 0, 0, 0},
        {"ID13", false, 0, 0, 0},  {"IL9", false, 0, 0, 0},   {"AX0.0", false, 0, 0, 0},
        {"I", false, 0, 0, 0},     {"IB", false, 0, 0, 0},    {"IX0.", false, 0, 0, 0},
        {"IX.1", false, 0, 0, 0},  {"IB1.2", false, 0, 0, 0}, {"I0.1.2", false, 0, 0, 0},
        {"", false, 0, 0, 0},
    };
    for (const Case& c : cases) {
        int32_t adr = -1;
        uint8_t bit = 99;
        uint16_t size = 0;
        ASSERT_EQ(GetDirectAdr(c.Text, adr, bit, size), c.Ok) << c.Text;
        if (c.Ok) {
            EXPECT_EQ(adr, c.Byte) << c.Text;
            EXPECT_EQ(bit, c.Bit) << c.Text;
            EXPECT_EQ(size, c.Size) << c.Text;
        }
    }
}

TEST_F(VisRules, CompileErrors) {
    struct Case {
        const char* Stmt;
        std::string Expected;
    };
    const Case cases[] = {
        {"SET #1 = #2", "invalid expression target"},
        {"SET = #2", "invalid expression target"},
        {"SET %QB0 #2", "'=' expected"},
        {"SET %QB0 = ", "value expected"},
        {"SET %QB0 = #1 +", "value expected"},
        {"IF", "value expected"},
        {"SET %QB0 = #1 &#2", "unknown operation"},
        {"SET %QB0 = #1 #2", "unknown operation"},
        {"SET %QB0 = !", "error in expression"},
        {"SET %QB0 = !(#1)", "error in expression"},
        {"SET %QB0 = ((#1))", "error in expression"},
        {"SET %QB0 = 5", "error in expression"},
        {"SET %QB0 = %IX0.8", "error in expression"},
        {"SET %QB0 = #", "error in expression"},
        {"SET %QB0 = #1a", "error in expression"},
        {"SET %QB0 = #-1", "error in expression"},
        {"SET %QB0 = #99999999999", "error in expression"},
        {"SET %QB0 = $NOBODY.X", "error in expression"},
        {"SET $NOBODY.X = #1", "error in expression"},
        {"SET %QB0 = (#1", "')' expected"},
        {"SET %QB0 = #1)", "')' without '('"},
        {"SET %QB0 = (#1) + (#2) + (#3) + (#4) + (#5)", ""},
        {"SET %QB0 = (#1) + (#2) + (#3) + (#4) + (#5) + (#6)", "too many nested '(' (max. 5)"},
        {"SET %QB0 = (#1 + (#2 + (#3 + (#4 + (#5)))))", ""},
        {"LOAD %IX0.0", "left: LOAD %IX0.0"},
        {"ENDIF now", "left: now"},
        {"BELL", ""},
        {"set %qb0=#1", ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CompileError(c.Stmt), c.Expected) << c.Stmt;
    EXPECT_EQ(Host.Messages,
              (std::vector<std::string>{"unknown object: 'NOBODY'!", "unknown object: 'NOBODY'!"}));
}

TEST_F(VisRules, MissingDotIsReportedAndCompilationGoesOn) {
    Compile({"SET $A.X = $T,N"});
    EXPECT_EQ(Code->Commands[0].I, Fld(2, 1));
    EXPECT_EQ(Host.Messages, (std::vector<std::string>{"error in expression: '.' expected!"}));
}

TEST_F(VisRules, CommandLimitOfOneFunction) {
    // 623 commands plus the final RCEND fit; one more fails and leaves the code as it was.
    PRuleCode code;
    for (int i = 0; i < 623; ++i) {
        std::string s = "BELL";
        CompileSDLExpression(s, code, Desc.FAllObjects, &Host);
    }
    EXPECT_EQ(code->Commands[623].Cmd, RCEND);
    std::string s = "BELL";
    EXPECT_THROW(CompileSDLExpression(s, code, Desc.FAllObjects, &Host), EParseError);
    EXPECT_EQ(code->Commands[622].Cmd, RCBELL);
    EXPECT_EQ(code->Commands[623].Cmd, RCEND);
    ExecuteRuleCode(code.get(), Desc.FAllObjects, &Plc_, &Host);
    EXPECT_EQ(Host.Beeps, 623);
}

TEST_F(VisRules, LeftToRightEvaluationAndArithmetic) {
    Run({"SET %QB0 = #1 + #2 * #3"});
    EXPECT_EQ(Plc_.Mem[16], 9);
    Run({"SET %QB1 = #1 + (#2 * #3)"});
    EXPECT_EQ(Plc_.Mem[17], 7);
    Run({"SET %QB2 = #10 - (#2 - (#3 * #2))"}); // 10 - (2 - 6) = 14
    EXPECT_EQ(Plc_.Mem[18], 14);
    Plc_.Mem[0] = 1;
    Plc_.Mem[1] = 0b10110;
    Run({"SET %MB0 = %IX0.0 == #1 & %IX0.1"}); // (1 == 1) & 0
    EXPECT_EQ(Plc_.Mem[32], 0);
    Run({"SET %QB3 = %IB1 >> #1", "SET %QB4 = %IB1 >>> #33", "SET %QB5 = #3 << #2", "SET %QB6 = #6 ^ #3"});
    EXPECT_EQ(Plc_.Mem[19], 0b1011);
    EXPECT_EQ(Plc_.Mem[20], 0b1011);
    EXPECT_EQ(Plc_.Mem[21], 12);
    EXPECT_EQ(Plc_.Mem[22], 5);
    Run({"SET $T.X = #2147483647 + #1", "SET $T.N = #0 - #1 >> #28"});
    EXPECT_EQ(Field(2, 0).Value, INT32_MIN);
    EXPECT_EQ(Field(2, 1).Value, 15); // logical shift of -1
    Run({"SET $T.X = #0 - #5 < #3", "SET $T.N = #7 | #8 & #4"});
    EXPECT_EQ(Field(2, 0).Value, 1); // signed comparison
    EXPECT_EQ(Field(2, 1).Value, 4);
}

TEST_F(VisRules, NotAndFlipOfTwoFramePicture) {
    Plc_.Mem[0] = 1;
    Run({"SET %QX0.0 = !%IX0.0"});
    EXPECT_EQ(Plc_.Mem[16] & 1, 0);
    Plc_.Mem[0] = 0;
    Run({"SET %QX0.0 = !%IX0.0"});
    EXPECT_EQ(Plc_.Mem[16] & 1, 1);
    auto* lamp = static_cast<TodDynamicPic*>(Desc.FAllObjects[1]);
    Run({"SET $LAMP.IMG = !$LAMP.IMG"});
    EXPECT_EQ(lamp->FCurrentPic, 1);
    Run({"SET $LAMP.IMG = !$LAMP.IMG"});
    EXPECT_EQ(lamp->FCurrentPic, 0);
    Run({"SET $DOOR.MOVEPOS = $DOOR.MOVEPOS + #250"});
    EXPECT_EQ(static_cast<TodGroup*>(Desc.FAllObjects[3])->FTop, 25);
}

TEST_F(VisRules, PlcOperandWidths) {
    Run({"SET %MW2 = #258"});
    EXPECT_EQ(Plc_.Mem[34], 2);
    EXPECT_EQ(Plc_.Mem[35], 1);
    Plc_.Mem.fill(0xEE);
    Plc_.Writes.clear();
    Run({"SET %QL0 = #1"});
    for (int i = 0; i < 8; ++i)
        EXPECT_EQ(Plc_.Mem[16 + i], i == 0 ? 1 : 0) << i;
    EXPECT_EQ(Plc_.Writes.size(), 8u);
    Run({"SET %QD8 = #0 - #2"});
    EXPECT_EQ(Plc_.Mem[24], 0xFE);
    EXPECT_EQ(Plc_.Mem[27], 0xFF);
    EXPECT_EQ(Plc_.Mem[28], 0xEE); // untouched beyond the double word
    Run({"SET $T.X = %QD8", "SET $T.N = %QL8"});
    EXPECT_EQ(Field(2, 0).Value, -2);
    EXPECT_EQ(Field(2, 1).Value, -2); // the upper four bytes contribute nothing
    Plc_.Mem[4] = 0xFF;
    Plc_.Mem[5] = 0xFF;
    Run({"SET $T.X = %IW4", "SET $T.N = %IB4"});
    EXPECT_EQ(Field(2, 0).Value, 0xFFFF); // zero-extended
    EXPECT_EQ(Field(2, 1).Value, 0xFF);
    // Bit writes keep the other bits of the byte.
    Plc_.Mem[40] = 0b1010'0000;
    Run({"SET %MX8.1 = #3"});
    EXPECT_EQ(Plc_.Mem[40], 0b1010'0010);
    Run({"SET %MX8.7 = #2"});
    EXPECT_EQ(Plc_.Mem[40], 0b0010'0010);
}

TEST_F(VisRules, ConditionalsWithNesting) {
    auto run = [&](int outer, int inner) {
        Field(2, 0).Value = outer;
        Field(2, 1).Value = inner;
        Field(4, 0).Value = 0;
        Run({"IF $T.X", "IF $T.N", "SET $A.X = #1", "ELSE", "SET $A.X = #2", "ENDIF", "ELSE", "SET $A.X = #3",
             "ENDIF", "SET $A.X = $A.X * #10"});
        return Field(4, 0).Value;
    };
    EXPECT_EQ(run(1, 1), 10);
    EXPECT_EQ(run(1, 0), 20);
    EXPECT_EQ(run(0, 1), 30); // a false outer condition skips to the outer ELSE
    EXPECT_EQ(run(0, 0), 30);
    EXPECT_TRUE(Host.Messages.empty());

    Field(4, 0).Value = 0;
    Run({"SET $A.X = #5", "IF $A.X != #3", "SET $A.X = #6", "ENDIF"});
    EXPECT_EQ(Field(4, 0).Value, 6);
}

TEST_F(VisRules, RuntimeMessages) {
    Field(2, 0).Value = 1;
    Run({"IF $T.X", "SET $A.X = #1"}); // true: runs to the end silently
    EXPECT_EQ(Field(4, 0).Value, 1);
    EXPECT_TRUE(Host.Messages.empty());
    Field(2, 0).Value = 0;
    Run({"SET $A.X = #2", "IF $T.X", "SET $A.X = #3"});
    EXPECT_EQ(Field(4, 0).Value, 2);
    Field(2, 0).Value = 1;
    Run({"IF $T.X", "ELSE", "SET $A.X = #4"});
    EXPECT_EQ(Field(4, 0).Value, 2);
    Run({"SET $T.X = #7 + $T.NONE", "SET $T.NONE = #1"});
    EXPECT_EQ(Host.Messages,
              (std::vector<std::string>{"SDL-error: IF without an ENDIF", "SDL-error: ELSE without an ENDIF",
                                        "Fehler in Feld-ID", "Fehler in Feld-ID"}));
    // The failed read moved WR1 into WR2 and left WR1 as it was: 7 + 7.
    EXPECT_EQ(Field(2, 0).Value, 14);
    Run({"BELL", "BELL"});
    EXPECT_EQ(Host.Beeps, 2);
    ExecuteRuleCode(nullptr, Desc.FAllObjects, &Plc_, &Host);
}
