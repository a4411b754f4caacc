// ClockCmd: every operation with its type checks and messages, stores, conversions, deferral, jumps.
#include "softag_util.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::test;

namespace {

constexpr int32_t A = 48; // CR source variable
constexpr int32_t B = 56; // operand variable
constexpr int32_t C = 64;

struct OpCase {
    const char* name;
    int32_t crType; // T_EMPTY: no load; T_LIT: LD of an untyped literal
    int64_t crValue;
    uint16_t op;
    TModifiers mods;
    int32_t opdType;
    int64_t opdValue;
    bool literal;
    int32_t wantType;
    int64_t wantValue;
    const char* error; // nullptr: no error
};

void PrintTo(const OpCase& c, std::ostream* os) {
    *os << c.name;
}

class OperationTest : public ::testing::TestWithParam<OpCase> {};

TEST_P(OperationTest, ResultOrMessage) {
    const OpCase& c = GetParam();
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm a(p);
    if (c.crType == T_LIT)
        a.Lit(OP_LD, T_LIT, c.crValue);
    else if (c.crType != T_EMPTY)
        a.Mem(OP_LD, c.crType, A);
    if (c.literal)
        a.Lit(c.op, c.opdType, c.opdValue, c.mods);
    else if (c.op == OP_ABS || c.op == OP_NOT)
        a.Op(c.op, c.mods);
    else
        a.Mem(c.op, c.opdType, B, 0, c.mods);
    m.StartStepped();
    m.Put(A, c.crValue, 8);
    m.Put(B, c.opdValue, 8);
    if (c.crType != T_EMPTY) {
        ASSERT_EQ(m.Exec(), "");
    }
    const uint16_t ip = m.AG.Data->IP[1];
    std::string err = m.Exec();
    if (c.error) {
        EXPECT_EQ(err, c.error);
        EXPECT_EQ(m.AG.Data->IP[1], ip) << "the failing instruction stays current";
    } else {
        ASSERT_EQ(err, "");
        EXPECT_EQ(m.CR().DataType, c.wantType);
        EXPECT_EQ(m.CR().Data.S64, c.wantValue);
    }
}

constexpr TModifiers N = MOD_N;
constexpr bool LIT = true, VAR = false;
const char* const NoErr = nullptr;

const OpCase kOperations[] = {
    // name, CR type, CR value, op, mods, operand type, value, literal?, want type, want value, error
    {"LD_INT", T_EMPTY, 0, OP_LD, 0, T_INT, -5, VAR, T_INT, -5, NoErr},
    {"LD_UINT_zero_extends", T_EMPTY, 0, OP_LD, 0, T_UINT, 0xFFFF, VAR, T_UINT, 65535, NoErr},
    {"LD_SINT_sign_extends", T_EMPTY, 0, OP_LD, 0, T_SINT, 0xFF, VAR, T_SINT, -1, NoErr},
    {"LD_literal", T_EMPTY, 0, OP_LD, 0, T_LIT, 123456789012, LIT, T_LIT, 123456789012, NoErr},
    {"LDN_BOOL", T_EMPTY, 0, OP_LD, N, T_BOOL, 1, VAR, T_BOOL, 0, NoErr},
    {"LDN_INT", T_EMPTY, 0, OP_LD, N, T_INT, 1, VAR, 0, 0, "Operand isn't BOOL"},
    {"AND_BYTE", T_BYTE, 0xF0, OP_AND, 0, T_BYTE, 0x3C, VAR, T_BYTE, 0x30, NoErr},
    {"ANDN_BOOL", T_BOOL, 1, OP_AND, N, T_BOOL, 1, VAR, T_BOOL, 0, NoErr},
    {"ANDN_BYTE_operand", T_BYTE, 1, OP_AND, N, T_BYTE, 1, VAR, 0, 0, "Operand isn't BOOL"},
    {"AND_INT_CR", T_INT, 1, OP_AND, 0, T_INT, 1, VAR, 0, 0, "CR expected to be ANY_BIT"},
    {"OR_WORD", T_WORD, 0x0F00, OP_OR, 0, T_WORD, 0x00F0, VAR, T_WORD, 0x0FF0, NoErr},
    {"XOR_BOOL_literal", T_BOOL, 1, OP_XOR, 0, T_LIT, 1, LIT, T_BOOL, 0, NoErr},
    {"ORN_BOOL_literal", T_BOOL, 0, OP_OR, N, T_LIT, 0, LIT, T_BOOL, 1, NoErr},
    {"XOR_TIME_CR", T_TIME, 1, OP_XOR, 0, T_TIME, 1, VAR, 0, 0, "CR expected to be ANY_BIT"},
    {"ADD_INT", T_INT, 2, OP_ADD, 0, T_INT, 3, VAR, T_INT, 5, NoErr},
    {"ADD_INT_overflow", T_INT, 32767, OP_ADD, 0, T_LIT, 1, LIT, 0, 0, "Result out of range"},
    {"ADD_INT_literal_too_big", T_INT, 1, OP_ADD, 0, T_LIT, 40000, LIT, 0, 0, "Operand literal out of range"},
    {"ADD_INT_DINT", T_INT, 1, OP_ADD, 0, T_DINT, 1, VAR, 0, 0,
     "Data type mismatch:   CR is INT, expected DINT"},
    {"ADD_literal_INT_takes_INT", T_LIT, 5, OP_ADD, 0, T_INT, 3, VAR, T_INT, 8, NoErr},
    {"ADD_literal_INT_range", T_LIT, 32767, OP_ADD, 0, T_INT, 1, VAR, 0, 0, "Result out of range"},
    {"ADD_literal_too_big_for_INT", T_LIT, 40000, OP_ADD, 0, T_INT, 1, VAR, 0, 0, "CR literal out of range"},
    {"ADD_BYTE_CR", T_BYTE, 1, OP_ADD, 0, T_BYTE, 1, VAR, 0, 0, "CR expected to be ANY_NUM or TIME"},
    {"ADD_empty_CR", T_EMPTY, 0, OP_ADD, 0, T_INT, 1, VAR, 0, 0, "CR empty"},
    {"ADD_literals", T_LIT, 5000000000, OP_ADD, 0, T_LIT, 1, LIT, T_LIT, 5000000001, NoErr},
    {"SUB_UINT_below_zero", T_UINT, 1, OP_SUB, 0, T_UINT, 2, VAR, 0, 0, "Result out of range"},
    {"SUB_DINT", T_DINT, -5, OP_SUB, 0, T_DINT, 7, VAR, T_DINT, -12, NoErr},
    {"MUL_SINT_overflow", T_SINT, 64, OP_MUL, 0, T_LIT, 2, LIT, 0, 0, "Result out of range"},
    {"MUL_UDINT", T_UDINT, 65536, OP_MUL, 0, T_LIT, 65535, LIT, T_UDINT, 4294901760, NoErr},
    {"DIV_truncates", T_INT, -7, OP_DIV, 0, T_LIT, 2, LIT, T_INT, -3, NoErr},
    {"DIV_zero", T_DINT, 5, OP_DIV, 0, T_DINT, 0, VAR, 0, 0, "Division by zero"},
    {"MOD_sign_of_CR", T_INT, -7, OP_MOD, 0, T_LIT, 2, LIT, T_INT, -1, NoErr},
    {"MOD_zero", T_DINT, 5, OP_MOD, 0, T_DINT, 0, VAR, 0, 0, "Division by zero"},
    {"DIV_min_by_minus_one", T_LIT, INT64_MIN, OP_DIV, 0, T_LIT, -1, LIT, T_LIT, INT64_MIN, NoErr},
    {"MOD_TIME", T_TIME, 5, OP_MOD, 0, T_LIT, 2, LIT, 0, 0, "CR expected to be ANY_NUM"},
    {"GT_INT", T_INT, 3, OP_GT, 0, T_INT, 2, VAR, T_BOOL, 1, NoErr},
    {"GE_equal", T_INT, 2, OP_GE, 0, T_LIT, 2, LIT, T_BOOL, 1, NoErr},
    {"EQ_false", T_DINT, 2, OP_EQ, 0, T_DINT, 3, VAR, T_BOOL, 0, NoErr},
    {"NE_true", T_BYTE, 2, OP_NE, 0, T_BYTE, 3, VAR, T_BOOL, 1, NoErr},
    {"LE_signed", T_INT, -1, OP_LE, 0, T_LIT, 0, LIT, T_BOOL, 1, NoErr},
    {"LT_TIME", T_TIME, 100, OP_LT, 0, T_TIME, 200, VAR, T_BOOL, 1, NoErr},
    {"LT_UINT_mismatch", T_UINT, 1, OP_LT, 0, T_INT, 2, VAR, 0, 0,
     "Data type mismatch:   CR is UINT, expected INT"},
    {"ABS_INT", T_INT, -5, OP_ABS, 0, T_INT, 0, VAR, T_INT, 5, NoErr},
    {"ABS_BYTE", T_BYTE, 5, OP_ABS, 0, T_INT, 0, VAR, 0, 0, "CR expected to be ANY_NUM or TIME"},
    {"ABS_TIME", T_TIME, 5, OP_ABS, 0, T_INT, 0, VAR, 0, 0, "CR expected to be ANY_NUM"},
    {"NOT_BOOL", T_BOOL, 1, OP_NOT, 0, T_INT, 0, VAR, T_BOOL, 0, NoErr},
    {"NOT_BYTE_cut", T_BYTE, 0x0F, OP_NOT, 0, T_INT, 0, VAR, T_BYTE, 0xF0, NoErr},
    {"NOT_literal_64_bits", T_LIT, 0, OP_NOT, 0, T_INT, 0, VAR, T_LIT, -1, NoErr},
    {"NOT_INT", T_INT, 0, OP_NOT, 0, T_INT, 0, VAR, 0, 0, "CR expected to be ANY_BIT"},
    {"ROL_BYTE", T_BYTE, 0x81, OP_ROL, 0, T_LIT, 1, LIT, T_BYTE, 0x03, NoErr},
    {"ROR_BYTE", T_BYTE, 0x81, OP_ROR, 0, T_LIT, 1, LIT, T_BYTE, 0xC0, NoErr},
    {"SHL_BYTE_cut", T_BYTE, 0x81, OP_SHL, 0, T_LIT, 1, LIT, T_BYTE, 0x02, NoErr},
    {"SHR_BYTE", T_BYTE, 0x81, OP_SHR, 0, T_LIT, 1, LIT, T_BYTE, 0x40, NoErr},
    {"ROL_DWORD", T_DWORD, 0x80000001, OP_ROL, 0, T_LIT, 4, LIT, T_DWORD, 0x18, NoErr},
    {"ROL_WORD_by_INT_var", T_WORD, 0x8001, OP_ROL, 0, T_INT, 4, VAR, T_WORD, 0x0018, NoErr},
    {"ROL_count_modulo_width", T_BYTE, 0x81, OP_ROL, 0, T_LIT, 9, LIT, T_BYTE, 0x03, NoErr},
    {"ROR_count_equal_width", T_BYTE, 0x81, OP_ROR, 0, T_LIT, 8, LIT, T_BYTE, 0x81, NoErr},
    {"ROL_literal_32_bits", T_LIT, 0x80000000, OP_ROL, 0, T_LIT, 1, LIT, T_LIT, 0x100000001, NoErr},
    {"SHL_64_gives_0", T_DWORD, 0xFFFFFFFF, OP_SHL, 0, T_LIT, 64, LIT, T_DWORD, 0, NoErr},
    {"SHR_count_255", T_DWORD, 0xFFFFFFFF, OP_SHR, 0, T_LIT, 255, LIT, T_DWORD, 0, NoErr},
    {"ROL_count_256", T_BYTE, 1, OP_ROL, 0, T_LIT, 256, LIT, 0, 0, "Operand out of range"},
    {"SHL_count_negative", T_BYTE, 1, OP_SHL, 0, T_LIT, -1, LIT, 0, 0, "Operand out of range"},
    {"ROL_count_BYTE", T_BYTE, 1, OP_ROL, 0, T_BYTE, 1, VAR, 0, 0, "operand expected to be ANY_NUM"},
    {"ROL_INT_CR", T_INT, 1, OP_ROL, 0, T_LIT, 1, LIT, 0, 0, "CR expected to be ANY_BIT"},
    {"TIME_MUL_literal", T_TIME, 1500, OP_MUL, 0, T_LIT, 3, LIT, T_TIME, 4500, NoErr},
    {"TIME_DIV_INT", T_TIME, 1500, OP_DIV, 0, T_INT, 3, VAR, T_TIME, 500, NoErr},
    {"TIME_MUL_TIME", T_TIME, 1500, OP_MUL, 0, T_TIME, 3, VAR, 0, 0, "operand expected to be ANY_NUM"},
    {"TIME_ADD_literal", T_TIME, 1500, OP_ADD, 0, T_LIT, 3, LIT, 0, 0, "operand expected to be TIME"},
    {"TIME_ADD_TIME", T_TIME, 1500, OP_ADD, 0, T_TIME, 500, VAR, T_TIME, 2000, NoErr},
    {"TIME_overflow", T_TIME, 2147483647, OP_ADD, 0, T_TIME, 1, VAR, 0, 0, "Result out of range"},
};

INSTANTIATE_TEST_SUITE_P(ClockCmd, OperationTest, ::testing::ValuesIn(kOperations),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(ClockCmd, ResultOutOfRangeKeepsTheComputedValue) {
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm(p).Mem(OP_LD, T_INT, A).Lit(OP_ADD, T_LIT, 1);
    m.StartStepped();
    m.Put(A, 32767, 2);
    ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.Exec(), "Result out of range");
    EXPECT_EQ(m.CR().Data.S64, 32768);
    EXPECT_EQ(m.CR().DataType, T_INT);
}

// ---------------------------------------------------------------------------------------------
// Stores

TEST(ClockCmd, StoresWriteTheTargetSizeLittleEndian) {
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm(p)
        .Lit(OP_LD, T_DINT, -2)
        .Mem(OP_ST, T_DINT, A)
        .Lit(OP_LD, T_LIT, 0x1234)
        .Mem(OP_ST, T_WORD, B)
        .Mem(OP_ST, T_INT, C);
    m.StartStepped();
    m.Put(A, -1, 8);
    m.Put(B, -1, 8);
    RecordingConnector rec;
    m.AG.AddConnector(&rec);
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.Get(A, 4, true), -2);
    EXPECT_EQ(m.Mem(A + 4), 0xFF) << "nothing beyond the DINT";
    EXPECT_EQ(m.Get(B, 2), 0x1234);
    EXPECT_EQ(m.Mem(B + 2), 0xFF);
    EXPECT_EQ(m.Get(C, 2), 0x1234);
    EXPECT_EQ(rec.Count("mem 48"), 1u);
    EXPECT_EQ(rec.Count("mem 51"), 1u) << "one notification per stored byte";
    EXPECT_EQ(m.CR().DataType, T_LIT) << "a store leaves the CR alone";
}

struct BitStoreCase {
    const char* name;
    TModifiers mods; // none ST, N STN, C S, N|C R
    int64_t cr;
    uint8_t before, after;
};

class BitStoreTest : public ::testing::TestWithParam<BitStoreCase> {};

TEST_P(BitStoreTest, ChangesOnlyItsBit) {
    const auto& c = GetParam();
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm(p).Mem(OP_LD, T_BOOL, A).Mem(OP_ST, T_BOOL, B, 3, c.mods);
    m.StartStepped();
    m.Put(A, c.cr, 1);
    m.Mem(B) = c.before;
    ASSERT_EQ(m.Exec(), "");
    ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.Mem(B), c.after);
}

INSTANTIATE_TEST_SUITE_P(ClockCmd, BitStoreTest,
                         ::testing::Values(BitStoreCase{"ST_true", 0, 1, 0xF0, 0xF8},
                                           BitStoreCase{"ST_false", 0, 0, 0xFF, 0xF7},
                                           BitStoreCase{"STN_true", MOD_N, 1, 0xFF, 0xF7},
                                           BitStoreCase{"STN_false", MOD_N, 0, 0x00, 0x08},
                                           BitStoreCase{"S_true_sets", MOD_C, 1, 0x00, 0x08},
                                           BitStoreCase{"S_false_keeps", MOD_C, 0, 0x00, 0x00},
                                           BitStoreCase{"R_true_clears", MOD_N | MOD_C, 1, 0xFF, 0xF7},
                                           BitStoreCase{"R_false_keeps", MOD_N | MOD_C, 0, 0xFF, 0xFF}),
                         [](const auto& info) { return std::string(info.param.name); });

struct StoreErrorCase {
    const char* name;
    int32_t crType;
    int64_t crValue;
    TModifiers mods;
    int32_t target;
    const char* error;
};

class StoreErrorTest : public ::testing::TestWithParam<StoreErrorCase> {};

TEST_P(StoreErrorTest, Raises) {
    const auto& c = GetParam();
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm a(p);
    if (c.crType == T_LIT)
        a.Lit(OP_LD, T_LIT, c.crValue);
    else if (c.crType != T_EMPTY)
        a.Mem(OP_LD, c.crType, A);
    a.Mem(OP_ST, c.target, B, 0, c.mods);
    m.StartStepped();
    m.Put(A, c.crValue, 8);
    if (c.crType != T_EMPTY) {
        ASSERT_EQ(m.Exec(), "");
    }
    EXPECT_EQ(m.Exec(), c.error);
    EXPECT_EQ(m.Get(B, 8), 0) << "nothing stored";
}

INSTANTIATE_TEST_SUITE_P(ClockCmd, StoreErrorTest,
                         ::testing::Values(StoreErrorCase{"literal_too_big_for_INT", T_LIT, 40000, 0, T_INT,
                                                          "CR literal out of range"},
                                           StoreErrorCase{"S_with_INT_CR", T_INT, 1, MOD_C, T_BOOL,
                                                          "Data type mismatch:   CR is INT, expected BOOL"},
                                           StoreErrorCase{"S_with_literal_CR_2", T_LIT, 2, MOD_C, T_BOOL,
                                                          "CR literal out of range"},
                                           StoreErrorCase{"TIME_into_DINT", T_TIME, 1, 0, T_DINT,
                                                          "operand expected to be TIME"},
                                           StoreErrorCase{"ST_empty_CR", T_EMPTY, 0, 0, T_INT, "CR empty"}),
                         [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Conversions

struct ConvCase {
    const char* name;
    int32_t crType;
    int64_t crValue;
    uint16_t from, to;
    const char* error;
};

class ConversionTest : public ::testing::TestWithParam<ConvCase> {};

TEST_P(ConversionTest, RetypesOrRaises) {
    const auto& c = GetParam();
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm a(p);
    if (c.crType == T_LIT)
        a.Lit(OP_LD, T_LIT, c.crValue);
    else if (c.crType != T_EMPTY)
        a.Mem(OP_LD, c.crType, A);
    a.Words(OP_CONV, c.from, c.to);
    m.StartStepped();
    m.Put(A, c.crValue, 8);
    if (c.crType != T_EMPTY) {
        ASSERT_EQ(m.Exec(), "");
    }
    std::string err = m.Exec();
    if (c.error) {
        EXPECT_EQ(err, c.error);
    } else {
        ASSERT_EQ(err, "");
        EXPECT_EQ(m.CR().DataType, TypeRef(c.to));
        EXPECT_EQ(m.CR().Data.S64, c.crValue);
    }
}

INSTANTIATE_TEST_SUITE_P(
    ClockCmd, ConversionTest,
    ::testing::Values(
        ConvCase{"INT_TO_DINT", T_INT, -5, DT_INT, DT_DINT, nullptr},
        ConvCase{"INT_TO_BYTE_minus_one", T_INT, -1, DT_INT, DT_BYTE, "CR value out of range of type BYTE"},
        ConvCase{"literal_TO_BYTE", T_LIT, 200, DT_INT, DT_BYTE, nullptr},
        ConvCase{"literal_TO_BYTE_300", T_LIT, 300, DT_INT, DT_BYTE, "CR value out of range of type BYTE"},
        ConvCase{"literal_TIME_TO_DINT", T_LIT, 5, DT_TIME, DT_DINT,
                 "Data type mismatch:   CR is ANY_BIT/ANY_NUM, expected TIME"},
        ConvCase{"BYTE_as_INT", T_BYTE, 5, DT_INT, DT_DINT, "Data type mismatch:   CR is BYTE, expected INT"},
        ConvCase{"DINT_TO_TIME", T_DINT, 1500, DT_DINT, DT_TIME, nullptr},
        ConvCase{"empty", T_EMPTY, 0, DT_INT, DT_DINT, "CR empty"}),
    [](const auto& info) { return std::string(info.param.name); });

// ---------------------------------------------------------------------------------------------
// Deferral

TEST(Deferral, AppliesTheRecordedOperationAtTheClose) {
    // LD a; AND( b; OR c; ) -> a AND (b OR c)
    for (int bits = 0; bits < 8; ++bits) {
        Machine m;
        TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
        Asm(p)
            .Mem(OP_LD, T_BOOL, A)
            .Op(OP_AND, MOD_B)
            .Mem(OP_LD, T_BOOL, B)
            .Mem(OP_OR, T_BOOL, C)
            .Op(OP_CLOSE);
        m.StartStepped();
        m.Mem(A) = bits & 1;
        m.Mem(B) = (bits >> 1) & 1;
        m.Mem(C) = (bits >> 2) & 1;
        for (int i = 0; i < 5; ++i)
            ASSERT_EQ(m.Exec(), "");
        EXPECT_EQ(m.CR().Data.S64, (bits & 1) & (((bits >> 1) | (bits >> 2)) & 1)) << bits;
        EXPECT_EQ(m.AG.Data->CRNum, 1);
    }
}

TEST(Deferral, NestsAndAppliesNegation) {
    // LD 10; SUB( 2; MUL( 3; ); ) -> 10 - (2*3) = 4; then ANDN( of BOOLs
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm(p)
        .Lit(OP_LD, T_INT, 10)
        .Op(OP_SUB, MOD_B)
        .Lit(OP_LD, T_INT, 2)
        .Op(OP_MUL, MOD_B)
        .Lit(OP_LD, T_INT, 3)
        .Op(OP_CLOSE)
        .Op(OP_CLOSE)
        .Mem(OP_ST, T_INT, B)
        .Mem(OP_LD, T_BOOL, A)
        .Op(OP_AND, MOD_B | MOD_N)
        .Mem(OP_LD, T_BOOL, A)
        .Op(OP_CLOSE);
    m.StartStepped();
    for (int i = 0; i < 7; ++i)
        ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.CR().Data.S64, 4);
    EXPECT_EQ(m.CR().DataType, T_INT);
    ASSERT_EQ(m.Exec(), "");
    m.Mem(A) = 1;
    for (int i = 0; i < 4; ++i)
        ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.CR().Data.S64, 0) << "TRUE AND NOT TRUE";
    EXPECT_EQ(m.AG.Data->CRNum, 1);
}

TEST(Deferral, Errors) {
    {
        Machine m;
        TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
        Asm(p).Lit(OP_LD, T_INT, 1).Op(OP_CLOSE);
        m.StartStepped();
        ASSERT_EQ(m.Exec(), "");
        EXPECT_EQ(m.Exec(), "No corresponding \"(\" found");
    }
    {
        Machine m;
        TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
        Asm(p).Lit(OP_LD, T_INT, 1).Op(OP_ST, MOD_B);
        m.StartStepped();
        ASSERT_EQ(m.Exec(), "");
        EXPECT_EQ(m.Exec(), "Unexpected error in bytecode");
    }
    {
        // The close has popped its level before the check fails.
        Machine m;
        TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
        Asm(p).Mem(OP_LD, T_INT, A).Op(OP_ADD, MOD_B).Mem(OP_LD, T_DINT, B).Op(OP_CLOSE);
        m.StartStepped();
        for (int i = 0; i < 3; ++i)
            ASSERT_EQ(m.Exec(), "");
        EXPECT_EQ(m.AG.Data->CRNum, 2);
        EXPECT_EQ(m.Exec(), "Data type mismatch:   CR is INT, expected DINT");
        EXPECT_EQ(m.AG.Data->CRNum, 1);
    }
}

TEST(Deferral, LevelsAreReusedWithoutGrowing) {
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm a(p);
    a.Lit(OP_LD, T_INT, 0);
    for (int i = 0; i < 20; ++i)
        a.Op(OP_ADD, MOD_B).Lit(OP_LD, T_INT, 1);
    for (int i = 0; i < 20; ++i)
        a.Op(OP_CLOSE);
    m.Start(MM_RUN);
    m.AG.Cycle();
    const TCR* deep = m.AG.Data->CR[21].get();
    ASSERT_NE(deep, nullptr);
    m.AG.Cycle();
    EXPECT_EQ(m.AG.Data->CR[21].get(), deep) << "entries are kept for reuse";
    EXPECT_EQ(m.AG.Data->CRSize, 4 * 21);
    EXPECT_EQ(m.CR().Data.S64, 20);
}

// ---------------------------------------------------------------------------------------------
// Jumps, GET_TIME, guards

TEST(Jumps, ConditionalJumpFollowsTheCR) {
    // LD x; NOT; JMPC skip; LD 1; ST y; skip: (end)
    for (int x = 0; x < 2; ++x) {
        Machine m;
        TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
        Asm(p).Mem(OP_LD, T_BOOL, A).Op(OP_NOT).Jmp(6, MOD_C).Lit(OP_LD, T_INT, 1).Mem(OP_ST, T_INT, B);
        m.Start(MM_RUN);
        m.Mem(A) = uint8_t(x);
        m.AG.Data->IBuf.fill(0);
        // The input copy leaves byte 48 alone.
        m.AG.Cycle();
        EXPECT_EQ(m.Get(B, 2), x ? 1 : 0) << "jumps exactly when x is FALSE";
    }
}

TEST(Jumps, JmpcnAndUnconditional) {
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm(p).Mem(OP_LD, T_BOOL, A).Jmp(4, MOD_C | MOD_N).Lit(OP_LD, T_INT, 7).Jmp(5).Lit(OP_LD, T_INT, 9);
    m.StartStepped();
    ASSERT_EQ(m.Exec(), "");
    ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.AG.Data->IP[1], 4) << "JMPCN jumps on FALSE";
    ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.AG.Data->IP[1], 5);
    ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.CR().Data.S64, 9);
    EXPECT_EQ(m.AG.Data->Cycle, DATAWRITE);
}

TEST(Jumps, ConditionNeedsABoolCR) {
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm(p).Jmp(0, MOD_C).Mem(OP_LD, T_INT, A).Jmp(0, MOD_C);
    m.StartStepped();
    EXPECT_EQ(m.Exec(), "CR isn't BOOL") << "empty CR";
    m.AG.Data->IP[1] = 2;
    ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.Exec(), "CR isn't BOOL");
}

TEST(ClockCmd, GetTimeReadsTheClockModuloOneDay) {
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
    Asm(p).Op(uint16_t(OP_LD + SRC_TICKS)).Mem(OP_ST, T_TIME, A);
    p.Code[1].DataType = T_TIME;
    m.StartStepped();
    m.Ticks.Set(TIME_OF_DAY_MS + 1234);
    ASSERT_EQ(m.Exec(), "");
    EXPECT_EQ(m.CR().DataType, T_TIME);
    EXPECT_EQ(m.CR().Data.S64, 1234);
}

TEST(ClockCmd, GuardsAgainstBadOperands) {
    struct Case {
        const char* name;
        TAWLCommand cmd;
        const char* error;
    };
    auto mem = [](uint16_t op, int32_t type, int32_t adr, int32_t base) {
        TAWLCommand c;
        c.MicroCmd = op;
        c.DataType = type;
        c.ByteAdr = adr;
        c.MemBase = base;
        return c;
    };
    TAWLCommand lit;
    lit.MicroCmd = uint16_t(OP_LD + SRC_CONST);
    lit.DataType = T_LIT;
    lit.OpdLong = 1000;
    TAWLCommand cal;
    cal.MicroCmd = OP_CAL;
    TAWLCommand kind;
    kind.MicroCmd = uint16_t(OP_LD + 0x7);
    kind.DataType = T_INT;
    TAWLCommand badPOU;
    badPOU.MicroCmd = OP_CALLFUN;
    badPOU.OpdWord0 = 77;
    const Case cases[] = {
        {"DINT at the last byte", mem(OP_LD, T_DINT, 1998, 0), "Memory address out of range"},
        {"negative address", mem(OP_LD, T_INT, -4, 0), "Memory address out of range"},
        {"store past the end", mem(OP_ST, T_INT, 2000, 0), "Memory address out of range"},
        {"frame below the root", mem(OP_LD, T_INT, 0, 5), "Memory address out of range"},
        {"literal outside the constants", lit, "Unexpected error in bytecode"},
        {"CAL code", cal, "Unexpected error in bytecode"},
        {"unknown operand kind", kind, "Unexpected error in bytecode"},
        {"call of an unknown POU", badPOU, "Unexpected error in bytecode"},
    };
    for (const auto& c : cases) {
        Machine m;
        TPOUDesc& p = m.AddPOU(PTPROGRAM, 80);
        Asm(p).Lit(OP_LD, T_INT, 1);
        p.CodeAt(p.CmdCount) = c.cmd;
        ++p.CmdCount;
        m.StartStepped();
        ASSERT_EQ(m.Exec(), "");
        EXPECT_EQ(m.Exec(), c.error) << c.name;
        EXPECT_EQ(m.AG.Data->IP[1], 2) << c.name;
    }
}

} // namespace
