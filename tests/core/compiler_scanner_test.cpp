// IL scanner, literal reader, direct addresses and type conversion names.
#include "compiler_util.h"

using namespace korvo;

namespace {

struct ElementCase {
    std::string line;
    std::vector<std::string> elements; // read one after the other, blanks skipped between
};

TEST(Scanner, CutsLinesIntoElements) {
    const std::vector<ElementCase> cases = {
        {"%IX0.1", {"%", "IX0", ".", "1"}},
        {"x := 5", {"x", ":=", "5"}},
        {"LD(x", {"LD", "(", "x"}},
        {"AND(*c*)", {"AND", "(*", "c", "*)"}},
        {"a;b", {"a", ""}}, // ';' belongs to no class: empty
                            // element, nothing consumed
        {"\tMotor_1,\tx", {"Motor_1", ",", "x"}},
    };
    for (const auto& c : cases) {
        TCompileContext ctx;
        std::string s = c.line;
        for (const auto& expected : c.elements) {
            SkipWhitespace(ctx, s);
            EXPECT_EQ(GetNextElement(ctx, s), expected) << c.line;
        }
    }
}

TEST(Scanner, ColumnFollowsEverythingRemovedButLineComments) {
    TCompileContext ctx;
    std::string s = "\t (* note *) LD  x // rest";
    EXPECT_EQ(SkipWhitespace(ctx, s), "\t ");
    EXPECT_EQ(ctx.ACHINDEX, 2);
    EXPECT_EQ(SkipComment(ctx, s), " note ");
    EXPECT_EQ(ctx.ACHINDEX, 12);
    SkipWhitespace(ctx, s);
    EXPECT_EQ(GetNextElement(ctx, s), "LD");
    EXPECT_EQ(ctx.ACHINDEX, 15);
    SkipWhitespace(ctx, s);
    EXPECT_EQ(GetNextElement(ctx, s), "x");
    EXPECT_EQ(ctx.ACHINDEX, 18);
    SkipWhitespace(ctx, s);
    EXPECT_EQ(SkipComment(ctx, s), " rest");
    EXPECT_EQ(ctx.ACHINDEX, 19);
    EXPECT_TRUE(s.empty());
}

TEST(Scanner, CommentForms) {
    TCompileContext ctx;
    std::string s = "(*a*)(*b*)";
    EXPECT_EQ(SkipComment(ctx, s), "a"); // one block comment only
    EXPECT_EQ(s, "(*b*)");
    s = "(* a (* b *) c *)";
    SkipComment(ctx, s);
    EXPECT_EQ(s, " c *)"); // no nesting
    s = "(*x*)// y";
    EXPECT_EQ(SkipComment(ctx, s), " y"); // a block comment directly followed by a line comment
    EXPECT_TRUE(s.empty());
    s = "x (* y *)";
    EXPECT_EQ(SkipComment(ctx, s), ""); // must start at the first character
    s = "(* open";
    try {
        SkipComment(ctx, s);
        FAIL() << "no error";
    } catch (const ECompileError& e) {
        EXPECT_STREQ(e.what(), "'*)' (end of comment) expected");
    }
}

TEST(Scanner, ExtraWordCharactersOnlyAfterAWordCharacter) {
    TCompileContext ctx;
    std::string s = "INT#-5 rest";
    EXPECT_EQ(GetNextElementX(ctx, s, "#+-"), "INT#-5");
    s = "T#1h_2m";
    EXPECT_EQ(GetNextElementX(ctx, s, "#+-"), "T#1h_2m");
    s = "-5";
    EXPECT_EQ(GetNextElementX(ctx, s, "#+-"), "-");
    s = "t1.Q";
    EXPECT_EQ(GetNextElementX(ctx, s, "#"), "t1");
    s = "QX1.3 :";
    EXPECT_EQ(GetNextElementX(ctx, s, "."), "QX1.3");
}

TEST(Scanner, Identifiers) {
    TCompileContext ctx;
    for (const char* ok : {"Motor_1", "_x", "a1", "CTU1"})
        EXPECT_TRUE(IsIdent(ctx, ok)) << ok;
    for (const char* bad : {"", "1x", "a__b", "a-b", "ton", "ld", "TRUE", "END_VAR", "Q", "x "})
        EXPECT_FALSE(IsIdent(ctx, bad)) << bad;
    ctx.COMPILINGSTANDARDIL = true;
    EXPECT_TRUE(IsIdent(ctx, "ton"));
    EXPECT_TRUE(IsIdent(ctx, "IN"));
    EXPECT_FALSE(IsIdent(ctx, "a__b"));
}

TEST(Scanner, AlreadyDefinedComparesUpperCase) {
    std::vector<std::string> pous = {"MAIN"}, vars = {"PUMP"};
    EXPECT_TRUE(AlreadyDefined(pous, &vars, "main"));
    EXPECT_TRUE(AlreadyDefined(pous, &vars, "Pump"));
    EXPECT_FALSE(AlreadyDefined(pous, &vars, "valve"));
    EXPECT_FALSE(AlreadyDefined(pous, nullptr, "pump"));
}

TEST(Scanner, FindIECType) {
    EXPECT_EQ(FindIECType("bool"), DT_BOOL);
    EXPECT_EQ(FindIECType("Time"), DT_TIME);
    EXPECT_EQ(FindIECType("UDINT"), DT_UDINT);
    EXPECT_EQ(FindIECType("TON"), -1);
    EXPECT_EQ(FindIECType(""), -1);
    for (const char* unsupported :
         {"REAL", "lreal", "LWORD", "LINT", "ULINT", "DATE", "TIME_OF_DAY", "STRING"})
        EXPECT_THROW(FindIECType(unsupported), ECompileError) << unsupported;
}

struct LiteralCase {
    std::string text;
    bool isLiteral;
    int64_t value;
    int32_t type;
};

TEST(Literals, Values) {
    const std::vector<LiteralCase> cases = {
        {"0", true, 0, -1002},
        {"-5", true, -5, -1002},
        {"+7", true, 7, -1002},
        {"1_000", true, 1000, -1002},
        {"2147483647", true, 2147483647, -1002},
        {"-2147483648", true, -2147483648LL, -1002},
        {"2147483648", false, 0, 0},
        {"16#FF", true, 255, -1002},
        {"16#ff", true, 255, -1002},
        {"16#7FFFFFFF", true, 2147483647, -1002},
        {"16#80000000", false, 0, 0},
        {"INT#16#FF", true, 255, -7},
        {"2#1010_1010", true, 170, -1002},
        {"2#102", false, 0, 0},
        {"10#99", true, 99, -1002},
        {"16#", false, 0, 0},
        {"1__0", false, 0, 0},
        {"_1", false, 0, 0},
        {"BYTE#300", true, 300, -2},
        {"DINT#-5", true, -5, -8},
        {"true", true, 1, -1},
        {"BOOL#TRUE", true, 1, -1},
        {"FALSE", true, 0, -1},
        {"bool#1", true, 1, -1},
        {"T#1h30m", true, 5400000, -16},
        {"T#90m", true, 5400000, -16},
        {"TIME#2s_500ms", true, 2500, -16},
        {"t#1d", true, 86400000, -16},
        {"T#1d2h3m4s5ms", true, 93784005, -16},
        {"T#0ms", true, 0, -16},
        {"T#1h90m", false, 0, 0},
        {"T#1s1h", false, 0, 0},
        {"T#1m1m", false, 0, 0},
        {"T#5", false, 0, 0},
        {"T#", false, 0, 0},
        {"T#1.5s", false, 0, 0},
        {"T#1s_", false, 0, 0},
        {"T#1x", false, 0, 0},
        {"T#24d20h31m23s647ms", true, 2147483647, -16},
        {"T#5999999999999999DATE99", false, 0, 0}, // huge day count, then no unit: no overflow
        {"x", false, 0, 0},
        {"motor", false, 0, 0},
        {"1x", false, 0, 0},
        {"16#x#1", false, 0, 0}, // only the text before the first "#" is a prefix
    };
    for (const auto& c : cases) {
        int32_t type = 0;
        TUS64 v{};
        bool r = GetLiteralValue(c.text, type, v);
        EXPECT_EQ(r, c.isLiteral) << c.text;
        if (r && c.isLiteral) {
            EXPECT_EQ(v.S64, c.value) << c.text;
            EXPECT_EQ(type, c.type) << c.text;
        }
    }
}

TEST(Literals, Errors) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"8#17", "Invalid arithmetic base"},
        {"3#1", "Invalid arithmetic base"},
        {"INT#TRUE", "Error in expression"},
        {"REAL#1.5", "Data type not supported"},
        {"LWORD#1", "Data type not supported"},
        {"X#12", "Invalid literal prefix"},
        {"T#24d20h31m23s648ms", "TIME literal out of range"},
        {"T#50d", "TIME literal out of range"},
        {"T#99999999999999999999ms", "TIME literal out of range"},
        {"T#99999999999999999999d", "TIME literal out of range"},
        {"T#5999999999999999h", "TIME literal out of range"},
    };
    for (const auto& [text, message] : cases) {
        int32_t type = 0;
        TUS64 v{};
        try {
            GetLiteralValue(text, type, v);
            ADD_FAILURE() << text << ": no error";
        } catch (const ECompileError& e) {
            EXPECT_EQ(e.what(), message) << text;
        }
    }
}

struct AddressCase {
    std::string text;
    bool valid;
    int32_t byte;
    int bit;
    int size;
    int32_t type;
};

TEST(DirectAddress, Forms) {
    const std::vector<AddressCase> cases = {
        {"IX0.7", true, 0, 7, 1, -1},   {"I12", true, 1, 4, 1, -1},    {"ix15.7", true, 15, 7, 1, -1},
        {"QX2.0", true, 18, 0, 1, -1},  {"Q0.1", true, 16, 1, 1, -1},  {"MX127", true, 47, 7, 1, -1},
        {"IB3", true, 3, -1, 8, -2},    {"QB15", true, 31, -1, 8, -2}, {"MW14", true, 46, -1, 16, -3},
        {"ID12", true, 12, -1, 32, -4}, {"ML8", true, 40, -1, 64, -5}, {"MD13", false, 0, 0, 0, 0},
        {"IX16.0", false, 0, 0, 0, 0},  {"IX0.8", false, 0, 0, 0, 0},  {"I128", false, 0, 0, 0, 0},
        {"MW15", false, 0, 0, 0, 0},    {"ML9", false, 0, 0, 0, 0},    {"IX", false, 0, 0, 0, 0},
        {"I", false, 0, 0, 0, 0},       {"", false, 0, 0, 0, 0},       {"X0.0", false, 0, 0, 0, 0},
        {"IB1.0", false, 0, 0, 0, 0},   {"IX0.", false, 0, 0, 0, 0},   {"IX.1", false, 0, 0, 0, 0},
        {"IY0", false, 0, 0, 0, 0},     {"IB-1", false, 0, 0, 0, 0},   {"IX0.1x", false, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        int32_t byte = -99, type = 0, adrType = 0;
        uint8_t bit = 0xEE;
        int16_t size = 0;
        bool r = GetDirectAdr(c.text, byte, bit, size, type, adrType);
        EXPECT_EQ(r, c.valid) << c.text;
        if (r && c.valid) {
            EXPECT_EQ(byte, c.byte) << c.text;
            EXPECT_EQ(int(bit), c.bit < 0 ? 0xEE : c.bit) << c.text; // B/W/D/L leave BitAdr alone
            EXPECT_EQ(size, c.size) << c.text;
            EXPECT_EQ(type, c.type) << c.text;
            EXPECT_EQ(adrType, c.type) << c.text;
        }
    }
}

TEST(TypeConversion, Names) {
    int32_t a = -1, b = -1;
    EXPECT_TRUE(IsTypeConvFunc("INT_TO_BYTE", a, b));
    EXPECT_EQ(a, DT_INT);
    EXPECT_EQ(b, DT_BYTE);
    EXPECT_TRUE(IsTypeConvFunc("time_to_dint", a, b));
    EXPECT_EQ(a, DT_TIME);
    EXPECT_EQ(b, DT_DINT);
    EXPECT_FALSE(IsTypeConvFunc("A_TO_B", a, b));
    EXPECT_FALSE(IsTypeConvFunc("INT_TO_", a, b));
    EXPECT_FALSE(IsTypeConvFunc("INTTOBYTE", a, b));
    EXPECT_THROW(IsTypeConvFunc("REAL_TO_INT", a, b), ECompileError);
    EXPECT_THROW(IsTypeConvFunc("INT_TO_LREAL", a, b), ECompileError);
}

TEST(SourceText, SplitsLfAndCrlfAlike) {
    EXPECT_EQ(SplitLines("a\r\nb\nc"), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(SplitLines("a\r\n\r\n"), (std::vector<std::string>{"a", ""}));
    EXPECT_EQ(SplitLines(""), std::vector<std::string>{});
}

} // namespace
