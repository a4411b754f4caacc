// POU discovery: header scan, library cutter, editor name and kind readers.
#include "compiler_util.h"

using namespace korvo;
using korvo::test::Files;
using korvo::test::Project;

namespace {

struct HeaderCase {
    std::string text;
    std::string message;
    int32_t line, column;
};

TEST(HeaderScan, ErrorsAtTheirPosition) {
    const std::vector<HeaderCase> cases = {
        {"PROGRAM Main;\nLD 1\nEND_PROGRAM", "End of line expected", 0, 12},
        {"PROGRAM Main (* a *) (* b *)\nLD 1\nEND_PROGRAM", "End of line expected", 0, 21},
        {"FUNCTION F : REAL\nEND_FUNCTION", "Data type not supported", 0, 17},
        {"FUNCTION F INT", "':' expected", 0, 14},
        {"FUNCTION F :", "Type identifier expected", 0, 12},
        {"FUNCTION F : FOO", "Unknown type identifier", 0, 16},
        {"FUNCTION F : INT x", "End of line expected", 0, 17},
        {"PROGRAM", "POU-name expected", 0, 7},
        {"PROGRAM   ", "POU-name expected", 0, 10},
        {"PROGRAM 1st", "Invalid identifier", 0, 11},
        {"PROGRAM LD", "Invalid identifier", 0, 10},
        {"PROGRAM a__b", "Invalid identifier", 0, 12},
        {"PROGRAM ;", "Invalid identifier", 0, 8},
        {"\n  VAR", "PROGRAM, FUNCTION or FUNCTION_BLOCK expected", 1, 5},
        {"LD x\nEND_PROGRAM", "PROGRAM, FUNCTION or FUNCTION_BLOCK expected", 0, 2},
        {"x\nPROGRAM Main\nLD 1\nEND_PROGRAM", "PROGRAM, FUNCTION or FUNCTION_BLOCK expected", 0, 1},
        {"TON t", "Keyword not supported", 0, 3},
        {"(* open\nPROGRAM Main", "'*)' (end of comment) expected", 0, 0},
        {"PROGRAM TON", "Invalid identifier", 0, 11},
    };
    for (const auto& c : cases) {
        Project p(c.text);
        auto r = p.Compile();
        EXPECT_FALSE(r.ok) << c.text;
        EXPECT_EQ(r.message, c.message) << c.text;
        EXPECT_EQ(r.pou, int32_t(p.libCount)) << c.text;
        EXPECT_EQ(r.line, c.line) << c.text;
        EXPECT_EQ(r.column, c.column) << c.text;
    }
}

TEST(HeaderScan, CommentsBeforeAndAfterTheHeader) {
    Project p("(* a program *)\n// more\n\n  PROGRAM Main (* main *)\n  LD 1\nEND_PROGRAM // done");
    ASSERT_TRUE(p.Compile().ok);
    EXPECT_EQ(p.desc.MainPOUStartLine, 3);
    EXPECT_EQ(p.desc.MainPOUEndLine, 5);
    EXPECT_EQ(p.Main().POUName, "Main");
    EXPECT_EQ(p.Main().POUType, PTPROGRAM);
    EXPECT_EQ(p.Main().VarGroups, 0x7F);
}

TEST(HeaderScan, ProgramHeaderResetsCodeToTheFrameRecord) {
    Project p("PROGRAM Main\nVAR\nx : INT\nEND_VAR\nLD 1\nST x\nEND_PROGRAM");
    ASSERT_TRUE(p.Compile().ok);
    TCompileContext ctx;
    p.desc.Identifiers.clear();
    p.desc.MainPOU = -1;
    UpdatePOUDesc(ctx, p.desc, int32_t(p.libCount), p.File(0));
    const TPOUDesc& m = p.File(0);
    EXPECT_EQ(m.CmdCount, 1);
    EXPECT_EQ(m.Code[0].MicroCmd, 0x1010);
    EXPECT_EQ(m.Code[0].OpdLong, 48u);
    EXPECT_EQ(m.Code[1].MicroCmd, 0); // rest of the buffer cleared, capacity kept
    EXPECT_EQ(m.CodeSize, int32_t(30 * sizeof(TAWLCommand)));
    EXPECT_EQ(m.LocalMemSize, 48);
    EXPECT_TRUE(m.VarList.empty());
    EXPECT_TRUE(m.Identifiers.empty());
    EXPECT_EQ(m.ConstMemSize, 0);
    EXPECT_EQ(p.desc.MainPOU, int32_t(p.libCount));
}

TEST(HeaderScan, KindsSetGroupsAndTypes) {
    Project p(Files{{"main.il", "PROGRAM Main\nLD 1\nEND_PROGRAM"},
                    {"fb.il", "FUNCTION_BLOCK Blk\nEND_FUNCTION_BLOCK"},
                    {"f.il", "FUNCTION F : Blk\nEND_FUNCTION"},
                    {"g.il", "FUNCTION G : udint\nEND_FUNCTION"}});
    ASSERT_TRUE(p.Compile().ok);
    EXPECT_EQ(p.File(1).POUType, PTFUNCTION_BLOCK);
    EXPECT_EQ(p.File(1).VarGroups, 0x1F);
    EXPECT_EQ(p.File(2).POUType, PTFUNCTION);
    EXPECT_EQ(p.File(2).VarGroups, 0x03);
    EXPECT_EQ(p.File(2).ReturnType, 11); // type list: 11 library blocks, then Blk
    EXPECT_EQ(p.File(3).ReturnType, -12);
    ASSERT_EQ(p.desc.TypeList.size(), 12u);
    EXPECT_EQ(p.desc.TypeList[11]->TypeName, "Blk");
    EXPECT_EQ(p.desc.TypeList[11]->FB, int32_t(p.libCount) + 1);
    EXPECT_EQ(p.desc.TypeList[11]->DataSize, -1); // not used, not compiled
    EXPECT_EQ(p.desc.Identifiers, (std::vector<std::string>{"MAIN", "BLK", "F", "G"}));
}

TEST(HeaderScan, FunctionReturnTypeMustBeRegisteredEarlier) {
    Project p(Files{{"f.il", "FUNCTION F : Blk\nEND_FUNCTION"},
                    {"fb.il", "FUNCTION_BLOCK Blk\nEND_FUNCTION_BLOCK"},
                    {"main.il", "PROGRAM Main\nLD 1\nEND_PROGRAM"}});
    auto r = p.Compile();
    EXPECT_EQ(r.message, "Unknown type identifier");
    EXPECT_EQ(r.pou, int32_t(p.libCount));
}

TEST(HeaderScan, ProjectWideErrors) {
    {
        Project p(
            Files{{"a.il", "PROGRAM A\nLD 1\nEND_PROGRAM"}, {"b.il", "\nPROGRAM B\nLD 1\nEND_PROGRAM"}});
        auto r = p.Compile();
        EXPECT_EQ(r.message, "More than one PROGRAM");
        EXPECT_EQ(r.pou, int32_t(p.libCount) + 1);
        EXPECT_EQ(r.line, 1);
        EXPECT_EQ(r.column, 9);
    }
    {
        Project p(Files{{"a.il", "PROGRAM pump\nLD 1\nEND_PROGRAM"},
                        {"b.il", "FUNCTION_BLOCK PUMP\nEND_FUNCTION_BLOCK"}});
        auto r = p.Compile();
        EXPECT_EQ(r.message, "POU already defined");
        EXPECT_EQ(r.pou, int32_t(p.libCount) + 1);
        EXPECT_EQ(r.column, 19);
    }
    {
        Project p(Files{{"fb.il", "FUNCTION_BLOCK Blk\nEND_FUNCTION_BLOCK"}});
        auto r = p.Compile();
        EXPECT_EQ(r.message, "No PROGRAM found");
        EXPECT_EQ(r.pou, int32_t(p.libCount)); // where the header scan stopped
    }
    {
        Project p(Files{}, false);
        auto r = p.Compile();
        EXPECT_EQ(r.message, "No PROGRAM found");
        EXPECT_EQ(r.pou, -1);
    }
}

TEST(HeaderScan, AFileWithoutHeaderLosesItsOldName) {
    Project p(Files{{"main.il", "PROGRAM Main\nLD 1\nEND_PROGRAM"},
                    {"f.il", "FUNCTION F : INT\nVAR_INPUT\na : INT\nEND_VAR\nLD a\nST F\nEND_FUNCTION"}});
    ASSERT_TRUE(p.Compile().ok);
    EXPECT_EQ(p.File(1).POUName, "F");
    p.File(1).POUText = {"(* emptied *)"};
    p.File(0).POUText = SplitLines("PROGRAM Main\nLD 1\nF\nEND_PROGRAM");
    auto r = p.Compile();
    EXPECT_EQ(p.File(1).POUName, "");
    EXPECT_EQ(p.File(1).POUType, PTUNKNOWN);
    EXPECT_EQ(r.message, "':' expected"); // F is no POU any more: read as a label
    EXPECT_EQ(r.line, 2);
}

TEST(LibraryCutter, CutsPOUsWithoutBlankAndCommentLines) {
    TProjectDesc p;
    TCompileContext ctx;
    ctx.COMPILINGSTANDARDIL = true;
    CreatePOUDescs(
        ctx, p,
        SplitLines("text outside\r\nFUNCTION_BLOCK X\r\n\r\nVAR\r\n(* c *)\r\nEND_VAR\r\n   LD 1\r\n"
                   "END_FUNCTION_BLOCK\r\nignored\r\nFUNCTION_BLOCK TON (* keyword name *)\r\n"
                   "END_FUNCTION_BLOCK"));
    ASSERT_EQ(p.POUList.size(), 2u);
    const TPOUDesc& x = *p.POUList[0];
    EXPECT_EQ(x.POUText, (std::vector<std::string>{"FUNCTION_BLOCK X", "VAR", "END_VAR", "   LD 1",
                                                   "END_FUNCTION_BLOCK"}));
    EXPECT_TRUE(x.Compiled);
    EXPECT_EQ(x.POUType, PTFUNCTION_BLOCK);
    EXPECT_EQ(x.CodeSize, int32_t(30 * sizeof(TAWLCommand)));
    EXPECT_EQ(p.POUList[1]->POUName, "TON");
    ASSERT_EQ(p.TypeList.size(), 2u);
    EXPECT_EQ(p.TypeList[1]->TypeName, "TON");
    EXPECT_EQ(p.TypeList[1]->FB, 1);
    EXPECT_EQ(p.TypeList[1]->DataSize, -1);
    EXPECT_TRUE(p.Identifiers.empty());
}

TEST(LibraryCutter, Errors) {
    const std::vector<HeaderCase> cases = {
        {"FUNCTION_BLOCK X\nEND_FUNCTION", "Only allowed in a FUNCTION", 1, 12},
        {"FUNCTION F : INT\nEND_FUNCTION", "End of line expected", 0, 11},
        {"FUNCTION_BLOCK\nEND_FUNCTION_BLOCK", "POU-name expected", 0, 14},
        {"FUNCTION_BLOCK 1x", "Invalid identifier", 0, 17},
        {"FUNCTION_BLOCK X\nEND_FUNCTION_BLOCK x", "End of line expected", 1, 19},
        {"FUNCTION_BLOCK X\nEND_FUNCTION_BLOCK\nFUNCTION_BLOCK Y (* *\nEND_FUNCTION_BLOCK",
         "'*)' (end of comment) expected", 2, 17},
    };
    for (const auto& c : cases) {
        TProjectDesc p;
        TCompileContext ctx;
        ctx.COMPILINGSTANDARDIL = true;
        try {
            CreatePOUDescs(ctx, p, SplitLines(c.text));
            ADD_FAILURE() << c.text << ": no error";
        } catch (const ECompileError& e) {
            EXPECT_EQ(e.what(), c.message) << c.text;
            EXPECT_EQ(ctx.ALINDEX, c.line) << c.text;
            EXPECT_EQ(ctx.ACHINDEX, c.column) << c.text;
        }
    }
}

TEST(EditorNames, NameAndKindOfAFile) {
    struct Case {
        std::string text;
        std::string name;
        TPOUType type;
    };
    const std::vector<Case> cases = {
        {"PROGRAM Main", "Main", PTPROGRAM},
        {"\n\n  function_block Blk_1 (* x *)", "Blk_1", PTFUNCTION_BLOCK},
        {"FUNCTION F:INT", "F", PTFUNCTION},
        {"FUNCTION", "", PTFUNCTION},
        {"PROGRAM LD", "", PTPROGRAM},
        {"PROGRAM 1x", "", PTPROGRAM},
        {"foo bar\nVAR\nPROGRAM Main", "", PTUNKNOWN},               // VAR decides
        {"(* PROGRAM A *) PROGRAM Main\nPROGRAM B", "B", PTPROGRAM}, // a comment hides a line
        {"", "", PTUNKNOWN},
        {"just text", "", PTUNKNOWN},
        {"PROGRAM Main\r", "Main", PTPROGRAM},
    };
    for (const auto& c : cases) {
        auto lines = SplitLines(c.text);
        if (c.text.back() == '\r')
            lines = {c.text}; // a CR left in the text by an editor
        EXPECT_EQ(GetPOUName(lines), c.name) << c.text;
        EXPECT_EQ(GetPOUType(lines), c.type) << c.text;
    }
}

} // namespace
