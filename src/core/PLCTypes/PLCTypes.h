// PLC model: the IEC data types, the type reference convention, the IL instruction and
// keyword tables, and the records of a project (POUs, variables, labels, bytecode).
// Everything the compiler, the soft PLC and the views share is defined here once.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace korvo {

// ---------------------------------------------------------------------------------------------
// 8-byte little-endian value with overlapping signed/unsigned views, all starting at byte 0.
union TUS64 {
    uint8_t U8;
    uint16_t U16;
    uint32_t U32;
    uint64_t U64;
    int8_t S8;
    int16_t S16;
    int32_t S32;
    int64_t S64;
    uint8_t Bytes[8];
};
static_assert(sizeof(TUS64) == 8);

// ---------------------------------------------------------------------------------------------
// Data types

enum class TDT_Type : uint8_t { NUMERIC = 0, STRUCT = 1 };

struct TTypeDesc {
    std::string TypeName;
    int32_t DataSize = 0; // bits; -1 where not fixed
    TDT_Type DT_Type = TDT_Type::NUMERIC;
    int32_t FB = -1;              // POU index of a function block type, -1 for elementary types
    std::vector<uint8_t> Initial; // initial value image; 8 bytes, or the instance size for an FB type
};

// Indexes of the IEC type table.
inline constexpr int32_t DT_BOOL = 0;
inline constexpr int32_t DT_BYTE = 1;
inline constexpr int32_t DT_WORD = 2;
inline constexpr int32_t DT_DWORD = 3;
inline constexpr int32_t DT_LWORD = 4;
inline constexpr int32_t DT_SINT = 5;
inline constexpr int32_t DT_INT = 6;
inline constexpr int32_t DT_DINT = 7;
inline constexpr int32_t DT_LINT = 8;
inline constexpr int32_t DT_USINT = 9;
inline constexpr int32_t DT_UINT = 10;
inline constexpr int32_t DT_UDINT = 11;
inline constexpr int32_t DT_ULINT = 12;
inline constexpr int32_t DT_REAL = 13;
inline constexpr int32_t DT_LREAL = 14;
inline constexpr int32_t DT_TIME = 15;
inline constexpr int32_t DT_DATE = 16;
inline constexpr int32_t DT_TIME_OF_DAY = 17;
inline constexpr int32_t DT_DATE_AND_TIME = 18;
inline constexpr int32_t DT_STRING = 19;
inline constexpr int32_t IECTYPEFIRST = 0;
inline constexpr int32_t IECTYPELAST = 19;
inline constexpr int32_t IECTYPECOUNT = 20;
// Table of other types.
inline constexpr int32_t DT_CR_EMPTY = 1000;    // type of an empty current result
inline constexpr int32_t DT_CR_SLITERAL = 1001; // integer literal without a type prefix
inline constexpr int32_t OTHERTYPEFIRST = 1000;
inline constexpr int32_t OTHERTYPELAST = 1001;
inline constexpr int32_t OTHERTYPECOUNT = 2;

// Type references: negative = elementary type -r-1, >= 0 = index into the project's type list.
constexpr int32_t TypeRef(int32_t tableIndex) {
    return -tableIndex - 1;
}
constexpr int32_t TableIndex(int32_t typeRef) {
    return -typeRef - 1;
}
constexpr int32_t TR_BOOL = TypeRef(DT_BOOL);            // -1
constexpr int32_t TR_TIME = TypeRef(DT_TIME);            // -16
constexpr int32_t TR_CR_EMPTY = TypeRef(DT_CR_EMPTY);    // -1001
constexpr int32_t TR_SLITERAL = TypeRef(DT_CR_SLITERAL); // -1002

extern const std::array<TTypeDesc, IECTYPECOUNT> IECTYPES;
extern const std::array<TTypeDesc, OTHERTYPECOUNT> OTHERTYPES;

// A set of IEC type table indexes, bit n for index n.
using TTypeSet = uint32_t;
constexpr TTypeSet TypeBit(int32_t index) {
    return TTypeSet(1) << index;
}
constexpr bool InSet(TTypeSet set, int32_t index) {
    return index >= 0 && index < IECTYPECOUNT && (set & TypeBit(index)) != 0;
}
constexpr TTypeSet SUPPORTEDTYPES = TypeBit(DT_BOOL) | TypeBit(DT_BYTE) | TypeBit(DT_WORD) |
                                    TypeBit(DT_DWORD) | TypeBit(DT_SINT) | TypeBit(DT_INT) |
                                    TypeBit(DT_DINT) | TypeBit(DT_USINT) | TypeBit(DT_UINT) |
                                    TypeBit(DT_UDINT) | TypeBit(DT_TIME);
constexpr TTypeSet IEC_ANY_INT = TypeBit(DT_SINT) | TypeBit(DT_INT) | TypeBit(DT_DINT) | TypeBit(DT_LINT) |
                                 TypeBit(DT_USINT) | TypeBit(DT_UINT) | TypeBit(DT_UDINT) | TypeBit(DT_ULINT);
constexpr TTypeSet IEC_ANY_NUM = IEC_ANY_INT | TypeBit(DT_REAL) | TypeBit(DT_LREAL);
constexpr TTypeSet IEC_ANY_BIT =
    TypeBit(DT_BOOL) | TypeBit(DT_BYTE) | TypeBit(DT_WORD) | TypeBit(DT_DWORD) | TypeBit(DT_LWORD);

// ---------------------------------------------------------------------------------------------
// Instruction table

enum TOpdType : uint8_t {
    OTFBINSTNAME = 0, // a function block instance
    OTLABEL = 1,      // a jump label
    OTFRETURN = 2,    // the return value of the running function
    OTDIRECTADR = 3,  // a direct address such as %IX0.0
    OTLITERAL = 4,    // a literal
    OTVAR = 5,        // a variable
};
using TOpdTypes = uint8_t; // bit n for TOpdType n
constexpr TOpdTypes OpdBit(TOpdType t) {
    return TOpdTypes(1u << t);
}

// Modifier set: N negates, B may open a parenthesis level, C makes the instruction conditional.
using TModifiers = uint8_t;
constexpr TModifiers MOD_N = 0x01;
constexpr TModifiers MOD_B = 0x02;
constexpr TModifiers MOD_C = 0x04;

constexpr int MAXOPDNUM = 1;
constexpr int MAXAWLCOMMAND = 55;

struct TAWLCmdDesc {
    const char* Name;
    uint16_t MicroCmd;
    TModifiers Modifiers;
    uint16_t OpdNum;
    TOpdTypes OpdTypes[MAXOPDNUM + 1]; // indexed from 1
};

extern const std::array<TAWLCmdDesc, MAXAWLCOMMAND + 1> AWLCOMMANDS;

// Operation codes (upper twelve bits of MicroCmd) and operand sources (lower four bits).
inline constexpr uint16_t OP_LD = 0x10;
inline constexpr uint16_t OP_AND = 0x20;
inline constexpr uint16_t OP_OR = 0x30;
inline constexpr uint16_t OP_XOR = 0x40;
inline constexpr uint16_t OP_ST = 0x50; // ST, STN, S, R
inline constexpr uint16_t OP_ADD = 0x60;
inline constexpr uint16_t OP_SUB = 0x70;
inline constexpr uint16_t OP_MUL = 0x80;
inline constexpr uint16_t OP_DIV = 0x90;
inline constexpr uint16_t OP_GT = 0xA0;
inline constexpr uint16_t OP_GE = 0xB0;
inline constexpr uint16_t OP_EQ = 0xC0;
inline constexpr uint16_t OP_NE = 0xD0;
inline constexpr uint16_t OP_LE = 0xE0;
inline constexpr uint16_t OP_LT = 0xF0;
inline constexpr uint16_t OP_CLOSE = 0x100; // ")"
inline constexpr uint16_t OP_JMP = 0x110;
inline constexpr uint16_t OP_CAL = 0x120; // replaced by a call sequence in compiled code
inline constexpr uint16_t OP_RET = 0x130;
inline constexpr uint16_t OP_ABS = 0x140;
inline constexpr uint16_t OP_MOD = 0x150;
inline constexpr uint16_t OP_NOT = 0x160;
inline constexpr uint16_t OP_ROL = 0x170;
inline constexpr uint16_t OP_ROR = 0x180;
inline constexpr uint16_t OP_SHL = 0x190;
inline constexpr uint16_t OP_SHR = 0x1A0;
inline constexpr uint16_t OP_CONV = 0x1B0; // A_TO_B type conversion
inline constexpr uint16_t OP_PUSHFRAME =
    0x1010; // push a FUNCTION frame of OpdLong bytes (record 0 of a PROGRAM: set up its frame)
inline constexpr uint16_t OP_POPFRAME = 0x1020; // pop the FUNCTION frame
inline constexpr uint16_t OP_PUSHFB =
    0x1030; // make an instance window the top frame (OpdWord0 offset, OpdWord1 size)
inline constexpr uint16_t OP_POPFB = 0x1040;   // return to the caller's frame
inline constexpr uint16_t OP_CALLFUN = 0xF000; // call FUNCTION with POU index OpdWord0
inline constexpr uint16_t OP_CALLFB =
    0xF010; // call FUNCTION_BLOCK with POU index OpdWord0 (modifiers of CAL/CALC/CALCN)
inline constexpr uint16_t SRC_MEMORY = 0x0;
inline constexpr uint16_t SRC_CONST = 0x1;
inline constexpr uint16_t SRC_TICKS = 0xF;
inline constexpr uint16_t SRC_MASK = 0xF;

// Rows of the instruction table the compiler writes directly.
inline constexpr int AWL_LD = 0;
inline constexpr int AWL_ST = 14;
inline constexpr int AWL_CLOSE = 38;
inline constexpr int AWL_CAL = 42;
inline constexpr int AWL_CONV = 55;

// ---------------------------------------------------------------------------------------------
// Keyword table

inline constexpr uint16_t KG_PROGFB = 0x10;
inline constexpr uint16_t KG_ENDPROGFB = 0x11;
inline constexpr uint16_t KG_VARDEC = 0x20;
inline constexpr uint16_t KG_AWLCMD = 0x30;
inline constexpr uint16_t KG_STDFB_OP = 0x31;
inline constexpr uint16_t KG_PREDEF_FUNCS = 0x32;
inline constexpr uint16_t KG_RESERVED = 0xFF00; // reserved words without a construct of their own
inline constexpr uint16_t NUMERIC_FUNCTIONS = 0xFF01;
inline constexpr uint16_t ARITHMETIC_FUNCTIONS = 0xFF02;
inline constexpr uint16_t EXP_FUNCTION = 0xFF03;
inline constexpr uint16_t SHIFT_FUNCTIONS = 0xFF04;
inline constexpr uint16_t BOOLEAN_FUNCTIONS = 0xFF05;
inline constexpr uint16_t MAX_MIN_LIMIT_FUNCTIONS = 0xFF06;
inline constexpr uint16_t SEL_MUX_FUNCTIONS = 0xFF07;
inline constexpr uint16_t COMPARE_FUNCTIONS = 0xFF08;
inline constexpr uint16_t STRING_FUNCTIONS = 0xFF09;
inline constexpr uint16_t STANDARD_FUNCTION_BLOCKS = 0xFF10;
inline constexpr uint16_t STRUCTURE_KEYWORDS = 0xFF20;
inline constexpr uint16_t COMMANDS = 0xFF30;

// IDs the compiler tests.
inline constexpr uint16_t KW_END_FUNCTION = 0x36;
inline constexpr uint16_t KW_END_FUNCTION_BLOCK = 0x37;
inline constexpr uint16_t KW_END_PROGRAM = 0x39;
inline constexpr uint16_t KW_END_VAR = 0x40;
inline constexpr uint16_t KW_FUNCTION = 0x4F;
inline constexpr uint16_t KW_FUNCTION_BLOCK = 0x50;
inline constexpr uint16_t KW_PROGRAM = 0x7A;
inline constexpr uint16_t KW_VAR = 0xBB;
inline constexpr uint16_t KW_VAR_INPUT = 0xBF;
inline constexpr uint16_t KW_VAR_OUTPUT = 0xC1;
inline constexpr uint16_t KW_GET_TIME = 0xC7;

struct TKeyword {
    uint16_t ID;
    uint16_t Group;
    uint16_t GroupID; // instruction table row for KG_AWLCMD, else 0
    const char* Name;
    bool Supported;
};

constexpr int KEYWORDNUM = 155;
// Rows 1..KEYWORDNUM; row 0 is an unused placeholder so indexes match the table's numbering.
extern const std::array<TKeyword, KEYWORDNUM + 1> KEYWORDS;

// Row (1..155) of the keyword whose name equals the upper-case form of word, or 0.
int FindKeyword(std::string_view word);

// ---------------------------------------------------------------------------------------------
// Process image and frames

inline constexpr int32_t FIRSTE = 0;      // first input byte (%I)
inline constexpr int32_t NUME = 16;       // number of input bytes
inline constexpr int32_t FIRSTA = 16;     // first output byte (%Q)
inline constexpr int32_t NUMA = 16;       // number of output bytes
inline constexpr int32_t FIRSTM = 32;     // first flag byte (%M)
inline constexpr int32_t NUMM = 16;       // number of flag bytes
inline constexpr int32_t FIRSTFREE = 48;  // first byte after the process image
inline constexpr int32_t DMEMSIZE = 2001; // soft PLC data memory bytes 0..2000; every frame must fit

// ---------------------------------------------------------------------------------------------
// Project records

enum class TFileType : uint8_t { FTNONE, FTPLC, FTIL };
enum TPOUType : uint8_t { PTUNKNOWN = 0, PTPROGRAM = 1, PTFUNCTION_BLOCK = 2, PTFUNCTION = 3 };
enum TVarType : uint8_t {
    VTVAR = 0,
    VTVAR_INPUT = 1,
    VTVAR_OUTPUT = 2,
    VTVAR_IN_OUT = 3,
    VTVAR_EXTERNAL = 4,
    VTVAR_GLOBAL = 5,
    VTVAR_ACCESS = 6,
};
enum TVarGroup : uint8_t {
    VGVAR = 0,
    VGVAR_INPUT = 1,
    VGVAR_OUTPUT = 2,
    VGVAR_IN_OUT = 3,
    VGVAR_EXTERNAL = 4,
    VGVAR_GLOBAL = 5,
    VGVAR_ACCESS = 6,
};
using TVarGroups = uint8_t; // bit n for TVarGroup n
constexpr TVarGroups VARGROUPS_PROGRAM = 0x7F;
constexpr TVarGroups VARGROUPS_FUNCTION_BLOCK = 0x1F;
constexpr TVarGroups VARGROUPS_FUNCTION = 0x03;

struct TVarDesc {
    std::string VarName; // upper case
    TVarType VarType = VTVAR;
    int32_t MemAdr = -1;
    uint8_t BitAdr = 0;
    int32_t DataType = 0;
    int32_t DataSize = 0;
    uint8_t Initial = 0;
};

struct TLabelDesc {
    std::string LabelName;
    uint16_t CmdNo = 0;
};

// One bytecode instruction.
struct TAWLCommand {
    int32_t SourceLine = 0;
    uint16_t MicroCmd = 0;
    TModifiers Modifiers = 0;
    int32_t MemBase = 0;
    int32_t ByteAdr = 0;
    uint8_t BitAdr = 0;
    int32_t DataType = 0;
    union {
        uint8_t OpdByte[4];
        struct {
            uint16_t OpdWord0; // low half
            uint16_t OpdWord1; // high half
        };
        uint32_t OpdLong;
        int32_t OpdPtr;
    };

    TAWLCommand() : OpdLong(0) {}
    uint16_t Op() const { return uint16_t(MicroCmd & ~SRC_MASK); }
    uint16_t Source() const { return uint16_t(MicroCmd & SRC_MASK); }
};

constexpr int CODE_GROWTH = 30; // records added when the code buffer is full

struct TPOUDesc {
    std::string FileName;
    bool FNameValid = false;
    std::vector<std::string> POUText;
    std::string POUName;
    bool Modified = false;
    bool Compiled = false;
    bool FBCompiled = false;
    std::vector<std::unique_ptr<TVarDesc>> VarList;
    TVarGroups VarGroups = 0;
    std::vector<std::unique_ptr<TLabelDesc>> Labels;
    int32_t CodeSize = 0;          // capacity of Code in bytes
    std::vector<TAWLCommand> Code; // CodeSize / sizeof(TAWLCommand) records
    uint16_t CmdCount = 0;
    int32_t LocalMemSize = 0;
    int32_t ConstMemSize = 0;
    std::vector<uint8_t> ConstMem;
    std::vector<std::string> Identifiers; // upper case
    TPOUType POUType = PTUNKNOWN;
    int32_t ReturnAdr = 0;
    int32_t ReturnType = 0;
    bool CRLF = false; // the file on disk has CR LF line ends; saving writes them back

    // Makes room for record index n, growing by CODE_GROWTH records as the compiler does.
    TAWLCommand& CodeAt(size_t n);
    // Appends an 8-byte literal to the constant memory and returns its offset.
    int32_t AddConst(const TUS64& value);
};

struct TProjectDesc {
    TFileType FileType = TFileType::FTNONE;
    std::string FileName;
    bool FNameValid = false;
    int32_t MainPOU = -1;
    int32_t MainPOUStartLine = 0;
    int32_t MainPOUEndLine = 0;
    std::vector<std::unique_ptr<TPOUDesc>> POUList;
    std::vector<std::unique_ptr<TTypeDesc>> TypeList;
    std::vector<std::string> Identifiers; // upper case names of the project's POUs
    bool Modified = false;
};

// ---------------------------------------------------------------------------------------------
// Helpers

// The type descriptor of a type reference, or nullptr.
const TTypeDesc* GetTypeDesc(int32_t DataType, const std::vector<std::unique_ptr<TTypeDesc>>& TypeList);

// Resizes a block to NewSize elements keeping the first min(CurSize, NewSize) and zeroing
// the elements from CurSize up to NewSize-1.
template <typename T>
void GetSomeMem(std::vector<T>& P, size_t CurSize, size_t NewSize) {
    if (P.size() < CurSize)
        P.resize(CurSize);
    P.resize(NewSize);
    for (size_t i = CurSize; i < NewSize; ++i)
        P[i] = T{};
}

// Upper-case form of an ASCII identifier.
std::string UpperCase(std::string_view s);
bool SameText(std::string_view a, std::string_view b);

} // namespace korvo
