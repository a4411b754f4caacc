// The shared model tables: type table, type references, instruction and keyword tables.
#include "PLCTypes/PLCTypes.h"

#include <gtest/gtest.h>

#include <set>

using namespace korvo;

TEST(TypeTable, GetTypeDescResolvesEveryKindOfReference) {
    std::vector<std::unique_ptr<TTypeDesc>> types;
    types.push_back(std::make_unique<TTypeDesc>(TTypeDesc{"MYFB", -1, TDT_Type::STRUCT, 3, {}}));

    const TTypeDesc* time = GetTypeDesc(-16, types);
    ASSERT_NE(time, nullptr);
    EXPECT_EQ(time->TypeName, "TIME");
    EXPECT_EQ(time->DataSize, 32);

    const TTypeDesc* lit = GetTypeDesc(-1002, types);
    ASSERT_NE(lit, nullptr);
    EXPECT_EQ(lit->TypeName, "ANY_BIT/ANY_NUM");
    EXPECT_EQ(lit->DataSize, 32);
    EXPECT_EQ(GetTypeDesc(-1001, types)->TypeName, "<empty>");
    EXPECT_EQ(GetTypeDesc(-1, types)->TypeName, "BOOL");
    EXPECT_EQ(GetTypeDesc(-20, types)->DT_Type, TDT_Type::STRUCT);
    EXPECT_EQ(GetTypeDesc(0, types)->TypeName, "MYFB");

    for (int32_t bad : {-21, -1000, -1003, 1, INT32_MIN, INT32_MAX})
        EXPECT_EQ(GetTypeDesc(bad, types), nullptr) << bad;
}

TEST(TypeTable, SupportedTypesAndInitialImages) {
    std::set<std::string> supported;
    for (int i = 0; i < IECTYPECOUNT; ++i)
        if (InSet(SUPPORTEDTYPES, i))
            supported.insert(IECTYPES[i].TypeName);
    EXPECT_EQ(supported, (std::set<std::string>{"BOOL", "BYTE", "WORD", "DWORD", "SINT", "INT", "DINT",
                                                "USINT", "UINT", "UDINT", "TIME"}));
    EXPECT_EQ(IECTYPES[DT_DATE].Initial[0], 0x21);
    EXPECT_EQ(IECTYPES[DT_DATE].Initial[1], 0x02);
    EXPECT_EQ(IECTYPES[DT_DATE_AND_TIME].Initial[3], 0x21);
    EXPECT_EQ(IECTYPES[DT_DATE_AND_TIME].Initial[4], 0x02);
    EXPECT_TRUE(InSet(IEC_ANY_NUM, DT_REAL));
    EXPECT_FALSE(InSet(IEC_ANY_INT, DT_BYTE));
    EXPECT_TRUE(InSet(IEC_ANY_BIT, DT_LWORD));
}

TEST(InstructionTable, RowsPointedToByKeywordsCarryTheirName) {
    int checked = 0;
    for (int i = 1; i <= KEYWORDNUM; ++i) {
        if (KEYWORDS[i].Group != KG_AWLCMD)
            continue;
        const TAWLCmdDesc& row = AWLCOMMANDS[KEYWORDS[i].GroupID];
        EXPECT_STREQ(row.Name, KEYWORDS[i].Name);
        ++checked;
    }
    EXPECT_EQ(checked, 38);
    EXPECT_EQ(AWLCOMMANDS[17].Modifiers, MOD_N | MOD_C); // R
    EXPECT_EQ(AWLCOMMANDS[38].MicroCmd, 0x100);
    EXPECT_EQ(AWLCOMMANDS[55].MicroCmd, 0x1B0);
    EXPECT_EQ(AWLCOMMANDS[45].OpdNum, 0);
    EXPECT_EQ(AWLCOMMANDS[14].OpdTypes[1], OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTVAR));
}

TEST(KeywordTable, OrderedUniqueAndCounted) {
    std::set<std::string> names;
    int supported = 0;
    for (int i = 1; i <= KEYWORDNUM; ++i) {
        EXPECT_GT(KEYWORDS[i].ID, KEYWORDS[i - 1].ID) << KEYWORDS[i].Name;
        EXPECT_TRUE(names.insert(KEYWORDS[i].Name).second) << KEYWORDS[i].Name;
        supported += KEYWORDS[i].Supported;
    }
    EXPECT_EQ(supported, 63);
    EXPECT_EQ(KEYWORDS[155].ID, KW_GET_TIME);
    EXPECT_STREQ(KEYWORDS[155].Name, "GET_TIME");
}

TEST(KeywordTable, FixedIdsAndLookup) {
    struct Case {
        const char* word;
        uint16_t id;
        uint16_t group;
        bool supported;
    };
    const Case cases[] = {
        {"FUNCTION", 0x4F, KG_PROGFB, true},
        {"function_block", 0x50, KG_PROGFB, true},
        {"Program", 0x7A, KG_PROGFB, true},
        {"END_FUNCTION", 0x36, KG_ENDPROGFB, true},
        {"END_FUNCTION_BLOCK", 0x37, KG_ENDPROGFB, true},
        {"END_PROGRAM", 0x39, KG_ENDPROGFB, true},
        {"VAR", 0xBB, KG_VARDEC, true},
        {"VAR_INPUT", 0xBF, KG_VARDEC, true},
        {"VAR_OUTPUT", 0xC1, KG_VARDEC, true},
        {"END_VAR", 0x40, KG_RESERVED, true},
        {"get_time", 0xC7, KG_PREDEF_FUNCS, true},
    };
    for (const Case& c : cases) {
        int row = FindKeyword(c.word);
        ASSERT_GT(row, 0) << c.word;
        EXPECT_EQ(KEYWORDS[row].ID, c.id) << c.word;
        EXPECT_EQ(KEYWORDS[row].Group, c.group) << c.word;
        EXPECT_EQ(KEYWORDS[row].Supported, c.supported) << c.word;
    }
    for (const char* w : {"ton", "Ton", "TON"}) {
        int row = FindKeyword(w);
        ASSERT_GT(row, 0);
        EXPECT_STREQ(KEYWORDS[row].Name, "TON");
        EXPECT_EQ(KEYWORDS[row].Group, STANDARD_FUNCTION_BLOCKS);
        EXPECT_FALSE(KEYWORDS[row].Supported);
    }
    EXPECT_TRUE(KEYWORDS[FindKeyword("Q")].Supported);
    EXPECT_FALSE(KEYWORDS[FindKeyword("TRUE")].Supported);
    EXPECT_EQ(FindKeyword("MOTOR"), 0);
    EXPECT_EQ(FindKeyword(""), 0);
}

TEST(Memory, GetSomeMemKeepsPrefixAndZeroesGrowth) {
    std::vector<uint8_t> mem;
    GetSomeMem(mem, 0, 720);
    std::fill(mem.begin(), mem.end(), 0xAB);
    GetSomeMem(mem, 720, 1440);
    ASSERT_EQ(mem.size(), 1440u);
    EXPECT_EQ(mem[719], 0xAB);
    EXPECT_EQ(mem[720], 0);
    EXPECT_EQ(mem[1439], 0);
    GetSomeMem(mem, 1440, 100);
    ASSERT_EQ(mem.size(), 100u);
    EXPECT_EQ(mem[99], 0xAB);
}

TEST(Memory, CodeBufferGrowsByThirtyRecords) {
    TPOUDesc pou;
    for (int i = 0; i < 30; ++i) {
        pou.CodeAt(size_t(i)).MicroCmd = 0x10;
        pou.CmdCount = uint16_t(i + 1);
    }
    EXPECT_EQ(pou.CodeSize, int32_t(30 * sizeof(TAWLCommand)));
    pou.CodeAt(30).MicroCmd = 0x50;
    EXPECT_EQ(pou.CodeSize, int32_t(60 * sizeof(TAWLCommand)));
    for (int i = 31; i < 60; ++i)
        EXPECT_EQ(pou.Code[size_t(i)].MicroCmd, 0) << i;
    EXPECT_EQ(pou.Code[29].MicroCmd, 0x10);
}

TEST(Memory, ConstantsAppendEightBytesEach) {
    TPOUDesc pou;
    TUS64 a{}, b{};
    a.S64 = -5;
    b.U64 = 0x1122334455667788ull;
    EXPECT_EQ(pou.AddConst(a), 0);
    EXPECT_EQ(pou.AddConst(b), 8);
    EXPECT_EQ(pou.ConstMemSize, 16);
    EXPECT_EQ(pou.ConstMem[0], 0xFB);
    EXPECT_EQ(pou.ConstMem[8], 0x88);
    EXPECT_EQ(pou.ConstMem[15], 0x11);
}
