// Compiled rule code of one visualization function: a fixed 5000-byte block of 8-byte
// commands ended by RCEND. Executed by ProcessRule on two registers and a 5-entry stack.
#pragma once

#include <array>
#include <cstdint>
#include <memory>

namespace korvo {

enum : int32_t {
    RCLOADLITERAL = 16,  // WR2 := WR1; WR1 := I
    RCLOADFROMCPU = 17,  // WR2 := WR1; WR1 := PLC operand
    RCLOADFROMOBJ = 18,  // WR2 := WR1; WR1 := object field
    RCSTORETOCPU = 33,   // PLC operand := WR1
    RCSTORETOOBJ = 34,   // object field := WR1
    RCNOT = 48,          // WR1 := WR1 = 0
    RCTESTEQUAL = 49,    // WR1 := WR2 = WR1
    RCTESTUNEQUAL = 50,  // never generated, does nothing
    RCTESTBIGGER = 51,   // WR1 := WR2 > WR1
    RCTESTBIGEQU = 52,   // WR1 := WR2 >= WR1
    RCTESTSMALLER = 53,  // WR1 := WR2 < WR1
    RCTESTSMEQU = 54,    // WR1 := WR2 <= WR1
    RCAND = 55,          // WR1 := WR2 and WR1
    RCOR = 56,           // WR1 := WR2 or WR1
    RCXOR = 57,          // WR1 := WR2 xor WR1
    RCSHIFTLEFT = 58,    // WR1 := WR2 shl (WR1 and 31)
    RCSHIFTRIGHT = 59,   // WR1 := WR2 shr (WR1 and 31), zeros in
    RCSHIFTRIGHTZF = 60, // same as RCSHIFTRIGHT
    RCADD = 61,          // WR1 := WR2 + WR1 (wraps)
    RCSUB = 62,          // WR1 := WR2 - WR1 (wraps)
    RCMUL = 63,          // WR1 := WR2 * WR1 (wraps)
    RCPUSH = 64,         // push WR1
    RCPOP = 65,          // WR2 := pop
    RCIF = 80,           // WR1 = 0: skip to after matching RCELSE / RCENDIF
    RCELSE = 81,         // skip to after matching RCENDIF
    RCENDIF = 82,        // nothing
    RCBELL = 96,         // beep
    RCEND = 255,         // end of code
};

// Field identifiers of object-field operands.
constexpr uint16_t FieldIdBuiltIn = 0x8000; // IMG of DYNAMICPIC, MOVEPOS of GROUP
constexpr uint16_t FieldIdNone = 0xFFFF;

// One command. The operand's views: W1 = bits 0..15 of I, W2 = bits 16..31, B3 = bits
// 16..23, B4 = bits 24..31. PLC operand: W1 byte address 0..47, B3 bit, B4 size in bits.
// Object field: W1 field identifier, W2 object index.
struct TRuleCommand {
    int32_t Cmd = 0;
    int32_t I = 0;

    uint16_t W1() const { return static_cast<uint16_t>(static_cast<uint32_t>(I) & 0xFFFF); }
    uint16_t W2() const { return static_cast<uint16_t>(static_cast<uint32_t>(I) >> 16); }
    uint8_t B3() const { return static_cast<uint8_t>((static_cast<uint32_t>(I) >> 16) & 0xFF); }
    uint8_t B4() const { return static_cast<uint8_t>(static_cast<uint32_t>(I) >> 24); }

    static int32_t PLCOperand(uint16_t ByteAdr, uint8_t Bit, uint8_t SizeBits) {
        return static_cast<int32_t>(uint32_t(ByteAdr) | (uint32_t(Bit) << 16) | (uint32_t(SizeBits) << 24));
    }
    static int32_t ObjOperand(uint16_t FieldId, uint16_t ObjIndex) {
        return static_cast<int32_t>(uint32_t(FieldId) | (uint32_t(ObjIndex) << 16));
    }
};
static_assert(sizeof(TRuleCommand) == 8);

constexpr int32_t RuleCodeSize = 5000;
constexpr int32_t RuleCodeCommands = (RuleCodeSize - 4) / 8; // 624, final RCEND included

struct TRuleCode {
    int32_t Size = RuleCodeSize;
    std::array<TRuleCommand, RuleCodeCommands> Commands{};
    uint8_t Unused[RuleCodeSize - 4 - RuleCodeCommands * 8]{}; // tail of the block, no room for a command
};
static_assert(sizeof(TRuleCode) == RuleCodeSize);

using PRuleCode = std::unique_ptr<TRuleCode>;

// A fresh block: zeros, Size 5000, command 0 RCEND.
PRuleCode NewRuleCode();

} // namespace korvo
