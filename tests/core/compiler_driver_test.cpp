// Compile driver: whole-project compiles, error positions and their text, the library load,
// recompiling, and malformed input.
#include "compiler_util.h"

#include <random>

using namespace korvo;
using korvo::test::Files;
using korvo::test::Project;
using korvo::test::Records;

namespace {

const char* kMain =
    "PROGRAM Main\nVAR\n  t : TON\n  c : Counter\n  x AT %QX0.0 : BOOL\nEND_VAR\n"
    "  LD TRUE\n  ST t.IN\n  CAL t\n  LD t.Q\n  ST c.up\n  CAL c\n  LD c.total\n  Twice\n  GT 10\n"
    "  ST x\nEND_PROGRAM\n";
const char* kCounter =
    "FUNCTION_BLOCK Counter\nVAR_INPUT\n  up : BOOL\nEND_VAR\nVAR_OUTPUT\n  total : INT\nEND_VAR\n"
    "  LD up\n  JMPCN skip\n  LD total\n  ADD 1\n  ST total\nskip:\nEND_FUNCTION_BLOCK\n";
const char* kTwice =
    "FUNCTION Twice : INT\nVAR_INPUT\n  v : INT\nEND_VAR\n  LD v\n  MUL 2\n  ST Twice\nEND_FUNCTION\n";

TEST(CompileDriver, CompilesWhatTheProgramUses) {
    Project p(
        Files{{"main.il", kMain}, {"counter.il", kCounter}, {"twice.il", kTwice}, {"unused.il", kCounter}});
    p.File(3).POUText = SplitLines("FUNCTION_BLOCK Unused\n  LD nothing\nEND_FUNCTION_BLOCK");
    auto r = p.Compile();
    ASSERT_TRUE(r.ok) << r;
    EXPECT_EQ(p.desc.MainPOU, int32_t(p.libCount));
    EXPECT_TRUE(p.File(1).FBCompiled);
    EXPECT_TRUE(p.File(2).FBCompiled);
    EXPECT_FALSE(p.File(3).FBCompiled);
    ASSERT_EQ(p.desc.TypeList.size(), 13u); // 11 library blocks, then the project's in file order
    EXPECT_EQ(p.desc.TypeList[0]->TypeName, "R_TRIG");
    EXPECT_EQ(p.desc.TypeList[11]->TypeName, "Counter");
    EXPECT_EQ(p.desc.TypeList[11]->DataSize, 24);
    EXPECT_EQ(p.desc.TypeList[12]->TypeName, "Unused");
    EXPECT_EQ(p.desc.TypeList[12]->DataSize, -1);
    EXPECT_EQ(p.desc.Identifiers, (std::vector<std::string>{"MAIN", "COUNTER", "TWICE", "UNUSED"}));
}

TEST(CompileDriver, CompilingTwiceGivesTheSameCode) {
    Project p(Files{{"main.il", kMain}, {"counter.il", kCounter}, {"twice.il", kTwice}});
    ASSERT_TRUE(p.Compile().ok);
    auto first = Records(p.Main());
    auto firstConst = p.Main().ConstMem;
    auto counter = Records(p.File(1));
    size_t vars = p.Main().VarList.size();
    int32_t size = p.Main().LocalMemSize;
    ASSERT_TRUE(p.Compile().ok);
    EXPECT_EQ(Records(p.Main()), first);
    EXPECT_EQ(p.Main().ConstMem, firstConst);
    EXPECT_EQ(Records(p.File(1)), counter);
    EXPECT_EQ(p.Main().VarList.size(), vars);
    EXPECT_EQ(p.Main().LocalMemSize, size);
    EXPECT_EQ(p.desc.TypeList.size(), 12u);
    EXPECT_EQ(p.desc.POUList[7]->CmdCount, Project("").desc.POUList[7]->CmdCount); // library kept
}

TEST(CompileDriver, ErrorInAUsedFunctionBlockIsReportedInItsFile) {
    Project p(Files{{"main.il", kMain}, {"counter.il", kCounter}, {"twice.il", kTwice}});
    p.File(1).POUText[10] = "  ADD one";
    auto r = p.Compile();
    EXPECT_EQ(r.message, "Unknown identifier");
    EXPECT_EQ(r.pou, int32_t(p.libCount) + 1);
    EXPECT_EQ(r.line, 10);
    EXPECT_EQ(r.column, 9);
    EXPECT_EQ(FormatCompileError(p.desc, r.pou, r.line, r.column, r.message),
              "Unknown identifier in file counter.il in line 11 at column 10");
}

TEST(CompileDriver, FormatsErrorsLikeTheMainWindow) {
    Project p(Files{{"/some/dir/main.il", "PROGRAM Main\nLD 1\nEND_PROGRAM"}});
    EXPECT_EQ(FormatCompileError(p.desc, int32_t(p.libCount), 6, 9, "Unknown identifier"),
              "Unknown identifier in file main.il in line 7 at column 10");
    EXPECT_EQ(FormatCompileError(p.desc, int32_t(p.libCount), 0, 0, "x"),
              "x in file main.il in line 1 at column 1");
    EXPECT_EQ(FormatCompileError(p.desc, -1, 3, 4, "No PROGRAM found"), "No PROGRAM found");
    EXPECT_EQ(FormatCompileError(p.desc, 99, 3, 4, "x"), "x");
    EXPECT_EQ(FormatCompileError(p.desc, 0, 3, 4, "No PROGRAM found"), "No PROGRAM found"); // library POU
    p.File(0).FileName = "C:\\work\\prog.il";
    EXPECT_EQ(FormatCompileError(p.desc, int32_t(p.libCount), 1, 2, "m"),
              "m in file prog.il in line 2 at column 3");
}

TEST(CompileDriver, LineEndsAreNeverPartOfAnElement) {
    const std::string text =
        "PROGRAM Main\r\nVAR\r\n  x : INT\r\nEND_VAR\r\n  LD 5\r\n  ST x\r\nEND_PROGRAM\r\n";
    Project p(text);
    ASSERT_TRUE(p.Compile().ok);
    EXPECT_EQ(p.Main().POUText.size(), 7u);
    // Lines handed over with their CR still attached (as an editor may) compile alike.
    Project raw(Files{{"main.il", ""}});
    raw.File(0).POUText = {"PROGRAM Main\r", "VAR\r",    "  x : INT\r",  "END_VAR\r",
                           "  LD 5 \r",      "  ST y\r", "END_PROGRAM\r"};
    auto r = raw.Compile();
    EXPECT_EQ(r.message, "Unknown identifier");
    EXPECT_EQ(r.line, 5);
    EXPECT_EQ(r.column, 6);
}

TEST(StandardLibrary, LoadErrors) {
    TProjectDesc p;
    EXPECT_THROW(LoadStdFBs(p, "/nonexistent/standard.il"), std::runtime_error);
    EXPECT_THROW(LoadStdFBs(p, KORVO_SOURCE_DIR "/data"), std::runtime_error); // a directory
    EXPECT_TRUE(p.POUList.empty());
    TProjectDesc q;
    try {
        CompileStandardIL(
            q, SplitLines("FUNCTION_BLOCK X\nVAR\n  a : INT\nEND_VAR\n  LD b\nEND_FUNCTION_BLOCK"));
        FAIL() << "no error";
    } catch (const ECompileError& e) {
        EXPECT_STREQ(e.what(), "Unknown identifier");
    }
}

TEST(StandardLibrary, KeywordNamesAreOnlyRelaxedWhileTheLibraryCompiles) {
    TProjectDesc p;
    CompileStandardIL(
        p, SplitLines("FUNCTION_BLOCK X\nVAR_INPUT\n  IN : BOOL\nEND_VAR\n  LD IN\nEND_FUNCTION_BLOCK"));
    auto pou = std::make_unique<TPOUDesc>();
    pou->FileName = "main.il";
    pou->POUText = SplitLines("PROGRAM Main\nVAR\n  ton : BOOL\nEND_VAR\n  LD 1\nEND_PROGRAM");
    p.POUList.push_back(std::move(pou));
    int32_t a, b, c;
    std::string m;
    EXPECT_FALSE(Compile(p, a, b, c, m));
    EXPECT_EQ(m, "Keyword not supported");
    EXPECT_EQ(p.TypeList.size(), 1u);
    EXPECT_EQ(p.TypeList[0]->DataSize, 8);
}

TEST(StandardLibrary, BlockUsedByAnEarlierBlockIsCompiledOnce) {
    // Outer declares an Inner, which comes later in the file: Inner is compiled on demand and
    // not a second time by the library loop (that would declare its members twice).
    TProjectDesc p;
    CompileStandardIL(
        p, SplitLines("FUNCTION_BLOCK Outer\nVAR\n  x : Inner\nEND_VAR\n  CAL x\nEND_FUNCTION_BLOCK\n"
                      "FUNCTION_BLOCK Inner\nVAR_OUTPUT\n  Q : BOOL\nEND_VAR\n  LDN Q\n  ST Q\n"
                      "END_FUNCTION_BLOCK"));
    ASSERT_EQ(p.POUList.size(), 2u);
    EXPECT_EQ(p.POUList[1]->VarList.size(), 1u);
    EXPECT_EQ(p.POUList[0]->LocalMemSize, 1);
    EXPECT_EQ(p.TypeList[1]->DataSize, 8);
}

// Random token soup: every input gets an answer, none crashes or hangs.
TEST(CompileDriver, MalformedInputGetsAMessage) {
    const std::vector<std::string> tokens = {
        "PROGRAM",
        "FUNCTION_BLOCK",
        "FUNCTION",
        "END_PROGRAM",
        "END_FUNCTION_BLOCK",
        "END_FUNCTION",
        "VAR",
        "VAR_INPUT",
        "VAR_OUTPUT",
        "END_VAR",
        "LD",
        "ST",
        "AND(",
        ")",
        "CAL",
        "JMP",
        "JMPC",
        "RET",
        "x",
        "y",
        "t",
        "F",
        "Blk",
        "Main",
        ":",
        ",",
        ";",
        "(*",
        "*)",
        "//",
        "%",
        "%IX0.0",
        "AT",
        "INT",
        "BOOL",
        "TON",
        "TIME",
        "T#5s",
        "16#FF",
        "8#7",
        "X#1",
        "INT_TO_BYTE",
        "GET_TIME",
        "l1:",
        ".",
        "t.Q",
        "\t",
        " ",
        "\r",
        "\n",
        "\n",
        "\n",
        "\xff",
        std::string(1, '\0'),
        "__",
        "IN",
        "1",
        "-5",
        "T#99d",
    };
    std::mt19937 rng(61131);
    for (int round = 0; round < 400; ++round) {
        Files files;
        for (int f = 0; f < 3; ++f) {
            std::string text;
            int n = int(rng() % 60);
            for (int k = 0; k < n; ++k) {
                text += tokens[rng() % tokens.size()];
                text += (rng() % 3) ? " " : "\n";
            }
            if (f == 0 && rng() % 2)
                text = "PROGRAM Main\n" + text;
            files.push_back({"f" + std::to_string(f) + ".il", text});
        }
        Project p(files);
        auto r = p.Compile();
        if (!r.ok) {
            EXPECT_FALSE(r.message.empty());
        }
    }
}

} // namespace
