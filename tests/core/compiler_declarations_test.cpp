// Declaration blocks, declaration lines, memory layout of frames, on-demand compiling of
// function block types.
#include "compiler_util.h"

using namespace korvo;
using korvo::test::Files;
using korvo::test::Project;

namespace {

std::string Program(const std::string& decls, const std::string& body = "LD 1") {
    return "PROGRAM Main\n" + decls + "\n" + body + "\nEND_PROGRAM";
}

TEST(Declarations, ProgramVariablesFollowTheProcessImage) {
    Project p(Program("VAR\na, b : BOOL\nEND_VAR"));
    ASSERT_TRUE(p.Compile().ok);
    const TPOUDesc& m = p.Main();
    EXPECT_EQ(p.Var(m, "A")->MemAdr, 48);
    EXPECT_EQ(p.Var(m, "B")->MemAdr, 49);
    EXPECT_EQ(m.LocalMemSize, 50);
    EXPECT_EQ(m.Code[0].OpdLong, 50u); // frame record updated with the final size
}

TEST(Declarations, SizesInWholeBytesWithoutAlignment) {
    Project p(Program("VAR\nb : BOOL\nw : WORD\nby : BYTE\nd : DWORD\nt : TIME\nsi : SINT\nu : UINT\n"
                      "ud : UDINT\ni : INT\ndi : DINT\nus : USINT\ntm : TON\nk : BOOL\nEND_VAR"));
    ASSERT_TRUE(p.Compile().ok);
    const TPOUDesc& m = p.Main();
    const std::vector<std::pair<std::string, int32_t>> expected = {
        {"B", 48},  {"W", 49}, {"BY", 51}, {"D", 52},  {"T", 56},  {"SI", 60}, {"U", 61},
        {"UD", 63}, {"I", 67}, {"DI", 69}, {"US", 73}, {"TM", 74}, {"K", 97},
    };
    for (const auto& [name, adr] : expected)
        EXPECT_EQ(p.Var(m, name)->MemAdr, adr) << name;
    EXPECT_EQ(p.Var(m, "TM")->DataSize, 23 * 8);
    EXPECT_EQ(p.Var(m, "W")->DataType, -3);
    EXPECT_EQ(p.Var(m, "W")->DataSize, 16);
    EXPECT_EQ(m.LocalMemSize, 98);
}

TEST(Declarations, DirectAddressesStayInTheProcessImage) {
    Project p(Program("VAR\na : INT\nx AT %QX1.3 : BOOL\nw AT %iw2 : INT\nb, y AT %MB5 : DINT\nEND_VAR"));
    ASSERT_TRUE(p.Compile().ok);
    const TPOUDesc& m = p.Main();
    EXPECT_EQ(p.Var(m, "X")->MemAdr, 17);
    EXPECT_EQ(p.Var(m, "X")->BitAdr, 3);
    EXPECT_EQ(p.Var(m, "W")->MemAdr, 2);
    EXPECT_EQ(p.Var(m, "Y")->MemAdr, 37); // a DINT at a byte address: sizes are not compared
    EXPECT_EQ(p.Var(m, "A")->MemAdr, 48);
    EXPECT_EQ(p.Var(m, "B")->MemAdr, 50);
    EXPECT_EQ(m.LocalMemSize, 54);
}

TEST(Declarations, GroupsAreAllocatedInOrderVarInputOutput) {
    Project p(Files{{"main.il", Program("VAR\nf : Blk\nEND_VAR")},
                    {"blk.il",
                     "FUNCTION_BLOCK Blk\nVAR_OUTPUT\no1 : BOOL\nEND_VAR\nVAR_INPUT\ni : INT\nEND_VAR\n"
                     "VAR\nv : DINT\nEND_VAR\nVAR_OUTPUT\no2 : BOOL\nEND_VAR\nLD i\nEND_FUNCTION_BLOCK"}});
    ASSERT_TRUE(p.Compile().ok);
    const TPOUDesc& fb = p.File(1);
    EXPECT_EQ(p.Var(fb, "V")->MemAdr, 0);
    EXPECT_EQ(p.Var(fb, "I")->MemAdr, 4);
    EXPECT_EQ(p.Var(fb, "O1")->MemAdr, 6);
    EXPECT_EQ(p.Var(fb, "O2")->MemAdr, 7);
    EXPECT_EQ(p.Var(fb, "O1")->VarType, VTVAR_OUTPUT);
    EXPECT_EQ(fb.LocalMemSize, 8);
    EXPECT_TRUE(fb.FBCompiled);
    const TTypeDesc& type = *p.desc.TypeList[11];
    EXPECT_EQ(type.TypeName, "Blk");
    EXPECT_EQ(type.DataSize, 64);
    EXPECT_EQ(type.DT_Type, TDT_Type::STRUCT);
    EXPECT_EQ(p.Var(p.Main(), "F")->DataType, 11);
    EXPECT_EQ(p.Var(p.Main(), "F")->DataSize, 64);
}

TEST(Declarations, FunctionFrameEndsWithTheReturnValue) {
    Project p(Files{{"main.il", Program("VAR\nx : INT\nEND_VAR", "LD 1\nF x\nST x")},
                    {"f.il", "FUNCTION F : INT\nVAR_INPUT\na, b : INT\nEND_VAR\nVAR\nt : BOOL\nEND_VAR\n"
                             "LD a\nADD b\nST F\nEND_FUNCTION"}});
    ASSERT_TRUE(p.Compile().ok);
    const TPOUDesc& f = p.File(1);
    EXPECT_EQ(p.Var(f, "T")->MemAdr, 0);
    EXPECT_EQ(p.Var(f, "A")->MemAdr, 1);
    EXPECT_EQ(p.Var(f, "B")->MemAdr, 3);
    EXPECT_EQ(f.ReturnAdr, 5);
    EXPECT_EQ(f.LocalMemSize, 7);
    const TVarDesc& ret = *f.VarList.back();
    EXPECT_EQ(ret.VarName, "F");
    EXPECT_EQ(ret.VarType, VTVAR_OUTPUT);
    EXPECT_EQ(ret.MemAdr, 5);
    EXPECT_EQ(ret.DataType, -7);
    EXPECT_EQ(f.Identifiers, (std::vector<std::string>{"A", "B", "T"})); // not the return variable
}

struct DeclError {
    std::string text;
    std::string message;
    int32_t line, column;
};

TEST(Declarations, ErrorsAtTheirPosition) {
    const std::vector<DeclError> cases = {
        {Program("VAR\nx : INT;\nEND_VAR"), "End of line expected", 2, 7},
        {Program("VAR\nx : INT := 5\nEND_VAR"), "End of line expected", 2, 8},
        {Program("VAR\nx : INT (* ok *) (* two *)\nEND_VAR"), "End of line expected", 2, 17},
        {Program("VAR\nx : REAL\nEND_VAR"), "Data type not supported", 2, 8},
        {Program("VAR\nx : FOO\nEND_VAR"), "Unknown type identifier", 2, 7},
        {Program("VAR\nx :\nEND_VAR"), "Unknown type identifier", 2, 3},
        {Program("VAR\nx INT\nEND_VAR"), "':' expected", 2, 5},
        {Program("VAR\nx, : INT\nEND_VAR"), "Invalid identifier", 2, 4},
        {Program("VAR\n1x : INT\nEND_VAR"), "Invalid identifier", 2, 2},
        {Program("VAR\n  IN : BOOL\nEND_VAR"), "Invalid identifier", 2, 4},
        {Program("VAR\nx, LD : BOOL\nEND_VAR"), "Invalid identifier", 2, 5},
        {Program("VAR\nton : BOOL\nEND_VAR"), "Keyword not supported", 2, 3},
        {Program("VAR\nmain : BOOL\nEND_VAR"), "Identifier already defined", 2, 4},
        {Program("VAR\nx : BOOL\nEND_VAR\nVAR_INPUT\nX : INT\nEND_VAR"), "Identifier already defined", 5, 1},
        {Program("VAR\nx AT % QX1.3 : BOOL\nEND_VAR"), "Direct address expected (%xxx)", 2, 6},
        {Program("VAR\nx AT QX1.3 : BOOL\nEND_VAR"), "Direct address expected (%xxx)", 2, 8},
        {Program("VAR\nx AT %QX1.8 : BOOL\nEND_VAR"), "Direct address expected (%xxx)", 2, 11},
        {Program("VAR\nx AT %QD13 : DINT\nEND_VAR"), "Direct address expected (%xxx)", 2, 10},
        {Program("VAR x\nEND_VAR"), "End of line expected", 1, 4},
        {Program("VAR\nx : INT\nEND_VAR x"), "End of line expected", 3, 8},
        {Program("VAR_IN_OUT\nEND_VAR"), "Keyword not supported", 1, 10},
        {Program("VAR_GLOBAL\nEND_VAR"), "Keyword not supported", 1, 10},
        {Program("VAR\nx : INT\nEND_VAR", ""), "Unexpected end of file", 5, 11},
        {"PROGRAM Main\nVAR\nx : INT\nEND_VAR", "Unexpected end of file", 3, 7},
        {"FUNCTION F : INT\nVAR_OUTPUT\nEND_VAR\nEND_FUNCTION", "No PROGRAM found", 0, 16},
    };
    for (const auto& c : cases) {
        Project p(c.text);
        auto r = p.Compile();
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.message, c.message) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_EQ(r.column, c.column) << c.text;
    }
}

TEST(Declarations, ErrorsSpecificToFunctionBlocksAndFunctions) {
    const std::vector<DeclError> cases = {
        {"FUNCTION_BLOCK Blk\nVAR\nx AT %QX1.3 : BOOL\nEND_VAR\nLD x\nEND_FUNCTION_BLOCK",
         "Only allowed in a PROGRAM", 2, 4},
        {"FUNCTION F : INT\nVAR_OUTPUT\nq : INT\nEND_VAR\nLD 1\nEND_FUNCTION",
         "VAR-type not allowed in this POU", 1, 10},
        {"FUNCTION F : INT\nVAR\nx AT %IX0.0 : BOOL\nEND_VAR\nLD 1\nEND_FUNCTION",
         "Only allowed in a PROGRAM", 2, 4},
    };
    for (const auto& c : cases) {
        // Used by the PROGRAM, so compiled on demand.
        const char* use = c.text.rfind("FUNCTION_BLOCK", 0) == 0 ? "VAR\nb : Blk\nEND_VAR" : "";
        Project p(
            Files{{"main.il", Program(use, c.text.rfind("FUNCTION_BLOCK", 0) == 0 ? "LD 1" : "LD 1\nF")},
                  {"pou.il", c.text}});
        auto r = p.Compile();
        EXPECT_EQ(r.message, c.message) << c.text;
        EXPECT_EQ(r.pou, int32_t(p.libCount) + 1) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_EQ(r.column, c.column) << c.text;
    }
}

TEST(Declarations, FunctionBlockOfALaterFileIsCompiledWhenDeclared) {
    Project p(
        Files{{"main.il", Program("VAR\nb1 : Blk\nEND_VAR")},
              {"blk.il", "FUNCTION_BLOCK Blk\nVAR_INPUT\nx : INT\nEND_VAR\n  LD y\nEND_FUNCTION_BLOCK"}});
    auto r = p.Compile();
    EXPECT_EQ(r.message, "Unknown identifier");
    EXPECT_EQ(r.pou, int32_t(p.libCount) + 1);
    EXPECT_EQ(r.line, 4);
    EXPECT_EQ(r.column, 6);
    EXPECT_EQ(FormatCompileError(p.desc, r.pou, r.line, r.column, r.message),
              "Unknown identifier in file blk.il in line 5 at column 7");
}

TEST(Declarations, UnusedFunctionBlockBodyIsNotCompiled) {
    Project p(
        Files{{"main.il", Program("")}, {"blk.il", "FUNCTION_BLOCK Blk\n  LD nothing\nEND_FUNCTION_BLOCK"}});
    EXPECT_TRUE(p.Compile().ok);
    EXPECT_FALSE(p.File(1).FBCompiled);
    Project q(
        Files{{"main.il", Program("")}, {"blk.il", "FUNCTION_BLOCK Blk;\n  LD nothing\nEND_FUNCTION_BLOCK"}});
    EXPECT_EQ(q.Compile().message, "End of line expected"); // its header is always read
}

TEST(Declarations, SelfContainingFunctionBlocksAreRejected) {
    {
        Project p(Files{{"main.il", Program("VAR\ninst : A\nEND_VAR")},
                        {"a.il", "FUNCTION_BLOCK A\nVAR\nme : A\nEND_VAR\nLD 1\nEND_FUNCTION_BLOCK"}});
        auto r = p.Compile();
        EXPECT_EQ(r.message, "FUNCTION_BLOCK contains an instance of itself");
        EXPECT_EQ(r.pou, int32_t(p.libCount) + 1);
        EXPECT_EQ(r.line, 2);
        EXPECT_EQ(r.column, 6);
    }
    {
        Project p(Files{{"main.il", Program("VAR\ninst : A\nEND_VAR")},
                        {"a.il", "FUNCTION_BLOCK A\nVAR\nx : B\nEND_VAR\nLD 1\nEND_FUNCTION_BLOCK"},
                        {"b.il", "FUNCTION_BLOCK B\nVAR\ny : A\nEND_VAR\nLD 1\nEND_FUNCTION_BLOCK"}});
        auto r = p.Compile();
        EXPECT_EQ(r.message, "FUNCTION_BLOCK contains an instance of itself");
        EXPECT_EQ(r.pou, int32_t(p.libCount) + 2); // reported where the cycle closes
        EXPECT_EQ(r.line, 2);
    }
    {
        // The same block twice, and a block used by two others, is no cycle.
        Project p(Files{{"main.il", Program("VAR\ni1, i2 : A\ni3 : B\nEND_VAR")},
                        {"a.il", "FUNCTION_BLOCK A\nVAR\nx : B\nEND_VAR\nLD 1\nEND_FUNCTION_BLOCK"},
                        {"b.il", "FUNCTION_BLOCK B\nVAR\nt : TON\nEND_VAR\nLD 1\nEND_FUNCTION_BLOCK"}});
        ASSERT_TRUE(p.Compile().ok);
        EXPECT_EQ(p.File(1).LocalMemSize, 23);
        EXPECT_EQ(p.Main().LocalMemSize, 48 + 3 * 23);
    }
}

TEST(Declarations, ProgramFrameMustFitTheDataMemory) {
    auto decls = [](int dints, bool extraBool) {
        std::string s = "VAR\n";
        for (int i = 0; i < dints; ++i)
            s += "d" + std::to_string(i) + " : DINT\n";
        if (extraBool)
            s += "b : BOOL\n";
        return s + "END_VAR";
    };
    Project fits(Program(decls(488, true))); // 48 + 1952 + 1 = 2001 bytes
    ASSERT_TRUE(fits.Compile().ok);
    EXPECT_EQ(fits.Main().LocalMemSize, 2001);

    Project over(Program(decls(489, false)));
    auto r = over.Compile();
    EXPECT_EQ(r.message, "Variables do not fit into the PLC memory of 2001 bytes");
    EXPECT_EQ(r.line, 490); // the declaration of d488
    EXPECT_EQ(r.column, 0);

    // An instance that makes the frame too big is found the same way.
    Project inst(
        Files{{"main.il", Program("VAR\nx, y : Big\nEND_VAR")},
              {"big.il", "FUNCTION_BLOCK Big\n" + decls(400, false) + "\nLD 1\nEND_FUNCTION_BLOCK"}});
    r = inst.Compile();
    EXPECT_EQ(r.message, "Variables do not fit into the PLC memory of 2001 bytes");
    EXPECT_EQ(r.pou, int32_t(inst.libCount));
}

TEST(Declarations, KeywordMembersOnlyInTheLibrary) {
    TProjectDesc lib;
    CompileStandardIL(
        lib, SplitLines("FUNCTION_BLOCK X\nVAR_INPUT\nIN, PT : BOOL\nEND_VAR\nVAR_OUTPUT\nQ, ET : INT\n"
                        "END_VAR\nLD IN\nST Q\nEND_FUNCTION_BLOCK"));
    EXPECT_EQ(lib.POUList[0]->LocalMemSize, 6);
    Project p(
        Files{{"main.il", Program("VAR\nb : Blk\nEND_VAR")},
              {"blk.il", "FUNCTION_BLOCK Blk\nVAR_INPUT\nIN : BOOL\nEND_VAR\nLD 1\nEND_FUNCTION_BLOCK"}});
    EXPECT_EQ(p.Compile().message, "Invalid identifier");
}

} // namespace
