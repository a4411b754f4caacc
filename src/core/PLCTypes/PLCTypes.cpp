// PLC model tables and helpers.
#include "PLCTypes/PLCTypes.h"

#include <algorithm>
#include <unordered_map>

namespace korvo {

namespace {
std::vector<uint8_t> Bytes8(std::initializer_list<uint8_t> b = {}) {
    std::vector<uint8_t> v(8, 0);
    std::copy(b.begin(), b.end(), v.begin());
    return v;
}
} // namespace

const std::array<TTypeDesc, IECTYPECOUNT> IECTYPES = {{
    {"BOOL", 1, TDT_Type::NUMERIC, -1, Bytes8()},
    {"BYTE", 8, TDT_Type::NUMERIC, -1, Bytes8()},
    {"WORD", 16, TDT_Type::NUMERIC, -1, Bytes8()},
    {"DWORD", 32, TDT_Type::NUMERIC, -1, Bytes8()},
    {"LWORD", 64, TDT_Type::NUMERIC, -1, Bytes8()},
    {"SINT", 8, TDT_Type::NUMERIC, -1, Bytes8()},
    {"INT", 16, TDT_Type::NUMERIC, -1, Bytes8()},
    {"DINT", 32, TDT_Type::NUMERIC, -1, Bytes8()},
    {"LINT", 64, TDT_Type::NUMERIC, -1, Bytes8()},
    {"USINT", 8, TDT_Type::NUMERIC, -1, Bytes8()},
    {"UINT", 16, TDT_Type::NUMERIC, -1, Bytes8()},
    {"UDINT", 32, TDT_Type::NUMERIC, -1, Bytes8()},
    {"ULINT", 64, TDT_Type::NUMERIC, -1, Bytes8()},
    {"REAL", 32, TDT_Type::NUMERIC, -1, Bytes8()},
    {"LREAL", 64, TDT_Type::NUMERIC, -1, Bytes8()},
    {"TIME", 32, TDT_Type::NUMERIC, -1, Bytes8()},
    {"DATE", 24, TDT_Type::NUMERIC, -1, Bytes8({0x21, 0x02})},
    {"TIME_OF_DAY", 24, TDT_Type::NUMERIC, -1, Bytes8()},
    {"DATE_AND_TIME", 48, TDT_Type::NUMERIC, -1, Bytes8({0x00, 0x00, 0x00, 0x21, 0x02})},
    {"STRING", -1, TDT_Type::STRUCT, -1, Bytes8()},
}};

const std::array<TTypeDesc, OTHERTYPECOUNT> OTHERTYPES = {{
    {"<empty>", 0, TDT_Type::NUMERIC, -1, Bytes8()},
    {"ANY_BIT/ANY_NUM", 32, TDT_Type::NUMERIC, -1, Bytes8()},
}};

// One row per instruction and per keyword, so the tables read as tables.
// clang-format off
// Name, MicroCmd, Modifiers, OpdNum, OpdTypes[1]
const std::array<TAWLCmdDesc, MAXAWLCOMMAND + 1> AWLCOMMANDS = {{
    {"LD", 0x10, 0, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 0
    {"LDN", 0x10, MOD_N, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 1
    {"AND", 0x20, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 2
    {"ANDN", 0x20, MOD_N | MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 3
    {"AND(", 0x20, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 4
    {"ANDN(", 0x20, MOD_N | MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 5
    {"OR", 0x30, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 6
    {"ORN", 0x30, MOD_N | MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 7
    {"OR(", 0x30, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 8
    {"ORN(", 0x30, MOD_N | MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 9
    {"XOR", 0x40, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 10
    {"XORN", 0x40, MOD_N | MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 11
    {"XOR(", 0x40, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 12
    {"XORN(", 0x40, MOD_N | MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 13
    {"ST", 0x50, 0, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTVAR))}}, // 14
    {"STN", 0x50, MOD_N, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTVAR))}}, // 15
    {"S", 0x50, MOD_C, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTVAR))}}, // 16
    {"R", 0x50, MOD_N | MOD_C, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTVAR))}}, // 17
    {"ADD", 0x60, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 18
    {"ADD(", 0x60, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 19
    {"SUB", 0x70, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 20
    {"SUB(", 0x70, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 21
    {"MUL", 0x80, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 22
    {"MUL(", 0x80, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 23
    {"DIV", 0x90, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 24
    {"DIV(", 0x90, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 25
    {"GT", 0xA0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 26
    {"GT(", 0xA0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 27
    {"GE", 0xB0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 28
    {"GE(", 0xB0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 29
    {"EQ", 0xC0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 30
    {"EQ(", 0xC0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 31
    {"NE", 0xD0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 32
    {"NE(", 0xD0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 33
    {"LE", 0xE0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 34
    {"LE(", 0xE0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 35
    {"LT", 0xF0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 36
    {"LT(", 0xF0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 37
    {")", 0x100, 0, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 38
    {"JMP", 0x110, 0, 1, {0, TOpdTypes(OpdBit(OTLABEL))}}, // 39
    {"JMPC", 0x110, MOD_C, 1, {0, TOpdTypes(OpdBit(OTLABEL))}}, // 40
    {"JMPCN", 0x110, MOD_N | MOD_C, 1, {0, TOpdTypes(OpdBit(OTLABEL))}}, // 41
    {"CAL", 0x120, 0, 1, {0, TOpdTypes(OpdBit(OTFBINSTNAME))}}, // 42
    {"CALC", 0x120, MOD_C, 1, {0, TOpdTypes(OpdBit(OTFBINSTNAME))}}, // 43
    {"CALCN", 0x120, MOD_N | MOD_C, 1, {0, TOpdTypes(OpdBit(OTFBINSTNAME))}}, // 44
    {"RET", 0x130, 0, 0, {0, TOpdTypes(0)}}, // 45
    {"RETC", 0x130, MOD_C, 0, {0, TOpdTypes(0)}}, // 46
    {"RETCN", 0x130, MOD_N | MOD_C, 0, {0, TOpdTypes(0)}}, // 47
    {"ABS", 0x140, 0, 0, {0, TOpdTypes(0)}}, // 48
    {"MOD", 0x150, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 49
    {"NOT", 0x160, 0, 0, {0, TOpdTypes(0)}}, // 50
    {"ROL", 0x170, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 51
    {"ROR", 0x180, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 52
    {"SHL", 0x190, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 53
    {"SHR", 0x1A0, MOD_B, 1, {0, TOpdTypes(OpdBit(OTFRETURN) | OpdBit(OTDIRECTADR) | OpdBit(OTLITERAL) | OpdBit(OTVAR))}}, // 54
    {"", 0x1B0, 0, 0, {0, TOpdTypes(0)}}, // 55
}};

// ID, Group, GroupID, Name, Supported; ordered by ID.
const std::array<TKeyword, KEYWORDNUM + 1> KEYWORDS = {{
    {0, 0, 0, "", false}, // 0: unused
    {0x01, KG_AWLCMD, 48, "ABS", true}, // 1
    {0x03, NUMERIC_FUNCTIONS, 0, "ACOS", false}, // 2
    {0x04, KG_AWLCMD, 18, "ADD", true}, // 3
    {0x06, KG_AWLCMD, 2, "AND", true}, // 4
    {0x07, KG_AWLCMD, 3, "ANDN", true}, // 5
    {0x08, KG_RESERVED, 0, "ANY", false}, // 6
    {0x0A, KG_RESERVED, 0, "ANY_BIT", false}, // 7
    {0x0B, KG_RESERVED, 0, "ANY_DATE", false}, // 8
    {0x0C, KG_RESERVED, 0, "ANY_INT", false}, // 9
    {0x0E, KG_RESERVED, 0, "ANY_NUM", false}, // 10
    {0x0F, KG_RESERVED, 0, "ANY_REAL", false}, // 11
    {0x11, KG_RESERVED, 0, "ARRAY", false}, // 12
    {0x12, NUMERIC_FUNCTIONS, 0, "ASIN", false}, // 13
    {0x13, KG_RESERVED, 0, "AT", false}, // 14
    {0x15, NUMERIC_FUNCTIONS, 0, "ATAN", false}, // 15
    {0x16, KG_RESERVED, 0, "BOOL", false}, // 16
    {0x18, KG_RESERVED, 0, "BYTE", false}, // 17
    {0x19, KG_AWLCMD, 42, "CAL", true}, // 18
    {0x1A, KG_AWLCMD, 43, "CALC", true}, // 19
    {0x1C, KG_AWLCMD, 44, "CALCN", true}, // 20
    {0x1D, KG_STDFB_OP, 0, "CD", true}, // 21
    {0x1E, KG_STDFB_OP, 0, "CLK", true}, // 22
    {0x20, KG_RESERVED, 0, "CONSTANT", false}, // 23
    {0x21, NUMERIC_FUNCTIONS, 0, "COS", false}, // 24
    {0x23, STANDARD_FUNCTION_BLOCKS, 0, "CTD", false}, // 25
    {0x24, STANDARD_FUNCTION_BLOCKS, 0, "CTU", false}, // 26
    {0x25, STANDARD_FUNCTION_BLOCKS, 0, "CTUD", false}, // 27
    {0x27, KG_STDFB_OP, 0, "CU", true}, // 28
    {0x28, KG_RESERVED, 0, "CV", true}, // 29
    {0x2A, KG_RESERVED, 0, "DATE", false}, // 30
    {0x2B, KG_RESERVED, 0, "DATE_AND_TIME", false}, // 31
    {0x2C, KG_RESERVED, 0, "DINT", false}, // 32
    {0x2E, KG_AWLCMD, 24, "DIV", true}, // 33
    {0x2F, KG_RESERVED, 0, "DO", false}, // 34
    {0x30, KG_RESERVED, 0, "DS", false}, // 35
    {0x32, KG_RESERVED, 0, "DT", false}, // 36
    {0x33, KG_RESERVED, 0, "DWORD", false}, // 37
    {0x35, KG_RESERVED, 0, "EN", false}, // 38
    {0x36, KG_ENDPROGFB, 0, "END_FUNCTION", true}, // 39
    {0x37, KG_ENDPROGFB, 0, "END_FUNCTION_BLOCK", true}, // 40
    {0x39, KG_ENDPROGFB, 0, "END_PROGRAM", true}, // 41
    {0x3B, KG_RESERVED, 0, "END_STRUCT", false}, // 42
    {0x3E, KG_RESERVED, 0, "END_TYPE", false}, // 43
    {0x40, KG_RESERVED, 0, "END_VAR", true}, // 44
    {0x42, KG_RESERVED, 0, "ENO", false}, // 45
    {0x43, KG_AWLCMD, 30, "EQ", true}, // 46
    {0x45, KG_RESERVED, 0, "ET", true}, // 47
    {0x47, KG_RESERVED, 0, "EXIT", false}, // 48
    {0x48, EXP_FUNCTION, 0, "EXP", false}, // 49
    {0x4A, KG_RESERVED, 0, "EXPT", false}, // 50
    {0x4C, KG_RESERVED, 0, "FALSE", false}, // 51
    {0x4D, KG_RESERVED, 0, "FROM", false}, // 52
    {0x4F, KG_PROGFB, 0, "FUNCTION", true}, // 53
    {0x50, KG_PROGFB, 0, "FUNCTION_BLOCK", true}, // 54
    {0x51, KG_RESERVED, 0, "F_EDGE", false}, // 55
    {0x52, STANDARD_FUNCTION_BLOCKS, 0, "F_TRIG", false}, // 56
    {0x53, KG_AWLCMD, 28, "GE", true}, // 57
    {0x55, KG_AWLCMD, 26, "GT", true}, // 58
    {0x56, KG_RESERVED, 0, "IF", false}, // 59
    {0x57, KG_STDFB_OP, 0, "IN", true}, // 60
    {0x58, KG_RESERVED, 0, "INT", false}, // 61
    {0x59, KG_AWLCMD, 39, "JMP", true}, // 62
    {0x5A, KG_AWLCMD, 40, "JMPC", true}, // 63
    {0x5B, KG_AWLCMD, 41, "JMPCN", true}, // 64
    {0x5C, KG_RESERVED, 0, "L", false}, // 65
    {0x5E, KG_AWLCMD, 0, "LD", true}, // 66
    {0x5F, KG_AWLCMD, 1, "LDN", true}, // 67
    {0x60, KG_AWLCMD, 34, "LE", true}, // 68
    {0x61, KG_RESERVED, 0, "LINT", false}, // 69
    {0x62, NUMERIC_FUNCTIONS, 0, "LN", false}, // 70
    {0x63, NUMERIC_FUNCTIONS, 0, "LOG", false}, // 71
    {0x64, KG_RESERVED, 0, "LREAL", false}, // 72
    {0x66, KG_AWLCMD, 36, "LT", true}, // 73
    {0x67, KG_RESERVED, 0, "LWORD", false}, // 74
    {0x68, MAX_MIN_LIMIT_FUNCTIONS, 0, "MAX", false}, // 75
    {0x69, STRING_FUNCTIONS, 0, "MID", false}, // 76
    {0x6A, MAX_MIN_LIMIT_FUNCTIONS, 0, "MIN", false}, // 77
    {0x6B, KG_AWLCMD, 49, "MOD", true}, // 78
    {0x6C, ARITHMETIC_FUNCTIONS, 0, "MOVE", false}, // 79
    {0x6E, KG_AWLCMD, 22, "MUL", true}, // 80
    {0x6F, SEL_MUX_FUNCTIONS, 0, "MUX", false}, // 81
    {0x70, KG_RESERVED, 0, "N", false}, // 82
    {0x71, KG_AWLCMD, 32, "NE", true}, // 83
    {0x72, KG_RESERVED, 0, "NEG", false}, // 84
    {0x73, KG_AWLCMD, 50, "NOT", true}, // 85
    {0x74, KG_RESERVED, 0, "OF", false}, // 86
    {0x75, KG_RESERVED, 0, "ON", false}, // 87
    {0x77, KG_AWLCMD, 6, "OR", true}, // 88
    {0x78, KG_AWLCMD, 7, "ORN", true}, // 89
    {0x79, KG_RESERVED, 0, "P", false}, // 90
    {0x7A, KG_PROGFB, 0, "PROGRAM", true}, // 91
    {0x7B, KG_STDFB_OP, 0, "PT", true}, // 92
    {0x7C, KG_STDFB_OP, 0, "PV", true}, // 93
    {0x7E, KG_RESERVED, 0, "Q", true}, // 94
    {0x7F, KG_RESERVED, 0, "Q1", true}, // 95
    {0x80, KG_RESERVED, 0, "QD", true}, // 96
    {0x81, KG_RESERVED, 0, "QU", true}, // 97
    {0x82, KG_AWLCMD, 17, "R", true}, // 98
    {0x84, KG_STDFB_OP, 0, "R1", true}, // 99
    {0x85, KG_RESERVED, 0, "READ_ONLY", false}, // 100
    {0x86, KG_RESERVED, 0, "READ_WRITE", false}, // 101
    {0x87, KG_RESERVED, 0, "REAL", false}, // 102
    {0x88, KG_AWLCMD, 45, "RET", true}, // 103
    {0x8A, KG_RESERVED, 0, "RETAIN", false}, // 104
    {0x8B, KG_AWLCMD, 46, "RETC", true}, // 105
    {0x8C, KG_AWLCMD, 47, "RETCN", true}, // 106
    {0x8D, KG_RESERVED, 0, "RETURN", false}, // 107
    {0x8E, KG_AWLCMD, 51, "ROL", true}, // 108
    {0x90, KG_AWLCMD, 52, "ROR", true}, // 109
    {0x91, STANDARD_FUNCTION_BLOCKS, 0, "RS", false}, // 110
    {0x92, STANDARD_FUNCTION_BLOCKS, 0, "RTC", false}, // 111
    {0x93, KG_RESERVED, 0, "R_EDGE", false}, // 112
    {0x94, STANDARD_FUNCTION_BLOCKS, 0, "R_TRIG", false}, // 113
    {0x96, KG_AWLCMD, 16, "S", true}, // 114
    {0x97, KG_STDFB_OP, 0, "S1", true}, // 115
    {0x98, KG_RESERVED, 0, "SD", false}, // 116
    {0x99, SEL_MUX_FUNCTIONS, 0, "SEL", false}, // 117
    {0x9A, KG_AWLCMD, 53, "SHL", true}, // 118
    {0x9C, KG_AWLCMD, 54, "SHR", true}, // 119
    {0x9D, NUMERIC_FUNCTIONS, 0, "SIN", false}, // 120
    {0x9E, KG_RESERVED, 0, "SINT", false}, // 121
    {0x9F, KG_RESERVED, 0, "SL", false}, // 122
    {0xA1, NUMERIC_FUNCTIONS, 0, "SQRT", false}, // 123
    {0xA2, STANDARD_FUNCTION_BLOCKS, 0, "SR", false}, // 124
    {0xA3, KG_AWLCMD, 14, "ST", true}, // 125
    {0xA4, KG_AWLCMD, 15, "STN", true}, // 126
    {0xA5, KG_RESERVED, 0, "STRING", false}, // 127
    {0xA7, KG_RESERVED, 0, "STRUCT", false}, // 128
    {0xA8, KG_AWLCMD, 20, "SUB", true}, // 129
    {0xA9, NUMERIC_FUNCTIONS, 0, "TAN", false}, // 130
    {0xAA, KG_RESERVED, 0, "TIME", false}, // 131
    {0xAB, KG_RESERVED, 0, "TIME_OF_DAY", false}, // 132
    {0xAD, KG_RESERVED, 0, "TO", false}, // 133
    {0xAE, KG_RESERVED, 0, "TOD", false}, // 134
    {0xAF, STANDARD_FUNCTION_BLOCKS, 0, "TOF", false}, // 135
    {0xB0, STANDARD_FUNCTION_BLOCKS, 0, "TON", false}, // 136
    {0xB1, STANDARD_FUNCTION_BLOCKS, 0, "TP", false}, // 137
    {0xB3, KG_RESERVED, 0, "TRUE", false}, // 138
    {0xB4, KG_RESERVED, 0, "TYPE", false}, // 139
    {0xB5, KG_RESERVED, 0, "UDINT", false}, // 140
    {0xB6, KG_RESERVED, 0, "UINT", false}, // 141
    {0xB7, KG_RESERVED, 0, "ULINT", false}, // 142
    {0xB9, KG_RESERVED, 0, "UNTIL", false}, // 143
    {0xBA, KG_RESERVED, 0, "USINT", false}, // 144
    {0xBB, KG_VARDEC, 0, "VAR", true}, // 145
    {0xBC, KG_VARDEC, 0, "VAR_ACCESS", false}, // 146
    {0xBD, KG_VARDEC, 0, "VAR_EXTERNAL", false}, // 147
    {0xBE, KG_VARDEC, 0, "VAR_GLOBAL", false}, // 148
    {0xBF, KG_VARDEC, 0, "VAR_INPUT", true}, // 149
    {0xC0, KG_VARDEC, 0, "VAR_IN_OUT", false}, // 150
    {0xC1, KG_VARDEC, 0, "VAR_OUTPUT", true}, // 151
    {0xC2, KG_RESERVED, 0, "WORD", false}, // 152
    {0xC3, KG_AWLCMD, 10, "XOR", true}, // 153
    {0xC4, KG_AWLCMD, 11, "XORN", true}, // 154
    {0xC7, KG_PREDEF_FUNCS, 0, "GET_TIME", true}, // 155
}};
// clang-format on

std::string UpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = char(c - 'a' + 'A');
    return r;
}

bool SameText(std::string_view a, std::string_view b) {
    if (a.size() != b.size())
        return false;
    for (size_t i = 0; i < a.size(); ++i) {
        char x = a[i], y = b[i];
        if (x >= 'a' && x <= 'z')
            x = char(x - 'a' + 'A');
        if (y >= 'a' && y <= 'z')
            y = char(y - 'a' + 'A');
        if (x != y)
            return false;
    }
    return true;
}

int FindKeyword(std::string_view word) {
    // Names are unique, so a hash lookup gives the same row as a search from row 1.
    static const std::unordered_map<std::string, int> index = [] {
        std::unordered_map<std::string, int> m;
        for (int i = KEYWORDNUM; i >= 1; --i)
            m[KEYWORDS[i].Name] = i;
        return m;
    }();
    if (word.empty() || word.size() > 18)
        return 0;
    auto it = index.find(UpperCase(word));
    return it == index.end() ? 0 : it->second;
}

const TTypeDesc* GetTypeDesc(int32_t DataType, const std::vector<std::unique_ptr<TTypeDesc>>& TypeList) {
    if (DataType < 0) {
        int64_t i = -int64_t(DataType) - 1;
        if (i >= IECTYPEFIRST && i <= IECTYPELAST)
            return &IECTYPES[size_t(i)];
        if (i >= OTHERTYPEFIRST && i <= OTHERTYPELAST)
            return &OTHERTYPES[size_t(i - OTHERTYPEFIRST)];
        return nullptr;
    }
    if (size_t(DataType) < TypeList.size())
        return TypeList[size_t(DataType)].get();
    return nullptr;
}

TAWLCommand& TPOUDesc::CodeAt(size_t n) {
    size_t capacity = size_t(CodeSize) / sizeof(TAWLCommand);
    if (Code.size() < capacity)
        Code.resize(capacity);
    if (n >= capacity) {
        size_t newCap = capacity == 0 ? CODE_GROWTH : size_t(CmdCount) + CODE_GROWTH;
        if (newCap <= n)
            newCap = n + 1;
        GetSomeMem(Code, capacity, newCap);
        CodeSize = int32_t(newCap * sizeof(TAWLCommand));
    }
    return Code[n];
}

int32_t TPOUDesc::AddConst(const TUS64& value) {
    int32_t offset = ConstMemSize;
    GetSomeMem(ConstMem, size_t(ConstMemSize), size_t(ConstMemSize) + 8);
    std::memcpy(ConstMem.data() + offset, value.Bytes, 8);
    ConstMemSize += 8;
    return offset;
}

} // namespace korvo
