// Instruction execution: one bytecode instruction per ClockCmd, with the run-time type checks.
// Hot path: no allocation (except a CR level's first use) and no string work unless an error is raised.
#include "Sim_ag/RuntimeMessages.h"
#include "Sim_ag/SoftAG.h"

#include <cstdio>

namespace korvo {

namespace {

// Type classes of the CR and operand checks.
enum TClass : uint8_t { C_EMPTY, C_BIT, C_NUM, C_TIME, C_SLIT, C_FB, C_OTHER };

inline TClass ClassOf(int32_t t) {
    if (t >= 0)
        return C_FB;
    if (t == TR_SLITERAL)
        return C_SLIT;
    if (t == TR_CR_EMPTY)
        return C_EMPTY;
    int32_t i = -t - 1;
    if (i <= DT_LWORD)
        return C_BIT;
    if (i <= DT_LREAL)
        return C_NUM;
    if (i == DT_TIME)
        return C_TIME;
    return C_OTHER;
}

inline bool BoolLike(int32_t t) {
    return t == TR_BOOL || t == TR_SLITERAL;
}

// Bytes an operand of type t occupies when read or stored (0: nothing is read).
inline int32_t ReadBytes(int32_t t) {
    switch (t) {
    case -1:  // BOOL
    case -2:  // BYTE
    case -10: // USINT
    case -6:  // SINT
        return 1;
    case -3:  // WORD
    case -11: // UINT
    case -7:  // INT
        return 2;
    case -4:  // DWORD
    case -12: // UDINT
    case -8:  // DINT
    case -16: // TIME
        return 4;
    case TR_SLITERAL:
        return 8;
    default:
        return 0;
    }
}

inline uint64_t Load(const uint8_t* p, int n) {
    uint64_t v = 0;
    for (int i = 0; i < n; ++i)
        v |= uint64_t(p[i]) << (8 * i);
    return v;
}

// Reads a value of type t at p, zero- or sign-extended to 64 bits; n = ReadBytes(t).
inline int64_t ReadTyped(const uint8_t* p, int32_t t, uint8_t bit) {
    switch (t) {
    case -1:
        return (p[0] >> (bit & 7)) & 1;
    case -2:
    case -10:
        return p[0];
    case -3:
    case -11:
        return int64_t(uint16_t(Load(p, 2)));
    case -4:
    case -12:
        return int64_t(uint32_t(Load(p, 4)));
    case -6:
        return int8_t(p[0]);
    case -7:
        return int16_t(uint16_t(Load(p, 2)));
    case -8:
    case -16:
        return int32_t(uint32_t(Load(p, 4)));
    case TR_SLITERAL:
        return int64_t(Load(p, 8));
    default:
        return 0;
    }
}

// Width in bits that NOT, ROL, ROR and SHL cut their result to (0: keep 64 bits).
inline int CutWidth(int32_t t) {
    switch (t) {
    case -1:
        return 1;
    case -2:
        return 8;
    case -3:
        return 16;
    case -4:
        return 32;
    default:
        return 0;
    }
}

inline uint64_t Cut(uint64_t v, int w) {
    return w == 0 ? v : v & ((uint64_t(1) << w) - 1);
}

inline bool Deferrable(uint16_t op) {
    return (op >= OP_AND && op <= OP_XOR) || (op >= OP_ADD && op <= OP_LT) || op == OP_MOD ||
           (op >= OP_ROL && op <= OP_SHR);
}

[[noreturn]] void Fail(const char* msg) {
    throw ERuntimeError(msg);
}

const std::vector<std::unique_ptr<TTypeDesc>>& TypeListOf(const TProjectDesc* P) {
    static const std::vector<std::unique_ptr<TTypeDesc>> none;
    return P ? P->TypeList : none;
}

} // namespace

bool TSoftAG::CheckRange(int64_t S64, int32_t DataType) {
    switch (DataType) {
    case DT_BOOL:
        return S64 >= 0 && S64 <= 1;
    case DT_BYTE:
    case DT_USINT:
        return S64 >= 0 && S64 <= 255;
    case DT_WORD:
    case DT_UINT:
        return S64 >= 0 && S64 <= 65535;
    case DT_DWORD:
    case DT_UDINT:
        return S64 >= 0 && S64 <= 4294967295LL;
    case DT_SINT:
        return S64 >= -128 && S64 <= 127;
    case DT_INT:
        return S64 >= -32768 && S64 <= 32767;
    case DT_DINT:
    case DT_TIME:
        return S64 >= -2147483648LL && S64 <= 2147483647LL;
    case DT_CR_SLITERAL:
        return true;
    default:
        return false;
    }
}

void TSoftAG::RaiseTypeMismatch(int32_t OpdDataType) const {
    const auto& types = TypeListOf(Data->ProjectDesc);
    const TTypeDesc* cr = GetTypeDesc(Data->TopCR().DataType, types);
    const TTypeDesc* opd = GetTypeDesc(OpdDataType, types);
    std::string a = cr ? cr->TypeName : "???";
    std::string b = opd ? opd->TypeName : "???";
    std::string msg = "Data type mismatch:   CR is " + a + ", expected " + b;
    throw ERuntimeError(msg);
}

void TSoftAG::PushCR() {
    TSoftAGData& D = *Data;
    if (D.CRNum >= MAX_CR_LEVELS)
        Fail(rtmsg::CRStackOverflow);
    size_t next = size_t(D.CRNum) + 1;
    if (D.CR.size() <= next) {
        D.CR.resize(next + 1);
        D.CRSize = uint16_t(4 * (D.CR.size() - 1));
    }
    if (D.CRActions.size() <= next) {
        D.CRActions.resize(next + 1);
        D.CRActionsSize = uint16_t(2 * (D.CRActions.size() - 2));
    }
    if (!D.CR[next])
        D.CR[next] = std::make_unique<TCR>();
    D.CRNum = uint16_t(next);
    D.CR[next]->Size = SIZEOFCR;
    D.CR[next]->DataType = TR_CR_EMPTY;
}

bool TSoftAG::CheckModifierCond(const TAWLCommand& cmd) const {
    if (!(cmd.Modifiers & MOD_C))
        return true;
    const TCR& cr = Data->TopCR();
    if (!BoolLike(cr.DataType))
        Fail(rtmsg::CRNotBool);
    bool cond = cr.Data.U64 != 0;
    if ((cmd.Modifiers & MOD_N) && cmd.Op() != OP_ST)
        cond = !cond;
    return cond;
}

// Byte address of a memory operand of `bytes` bytes, checked against the frames and the memory.
int32_t TSoftAG::OperandAddress(const TAWLCommand& cmd, int32_t bytes) const {
    if (cmd.MemBase < 0 || cmd.MemBase > MemBasesNum)
        Fail(rtmsg::MemoryOutOfRange);
    int64_t a = int64_t(MemBases[size_t(MemBasesNum - cmd.MemBase)].Base) + cmd.ByteAdr;
    if (cmd.ByteAdr < 0 || a < 0 || a + bytes > DMEMSIZE)
        Fail(rtmsg::MemoryOutOfRange);
    return int32_t(a);
}

void TSoftAG::ClockCmd() {
    TSoftAGData& D = *Data;
    const uint16_t lvl = D.IPNum;
    if (lvl < 1 || lvl > MAX_CALLED_POU_COUNT)
        Fail(rtmsg::UnexpectedBytecode);
    const TRunLevel& L = FLevel[lvl];
    const uint16_t ip = D.IP[lvl];
    if (ip >= L.Count) {
        // A level that became current by a return right at its end.
        EndOfCode();
        return;
    }
    const TAWLCommand& cmd = L.Code[ip];
    const uint16_t op = cmd.Op();
    ++ExecutedCmds;

    if (cmd.Modifiers & MOD_B) {
        if (!Deferrable(op))
            Fail(rtmsg::UnexpectedBytecode);
        PushCR();
        D.CRActions[D.CRNum] = uint16_t(op | ((cmd.Modifiers & MOD_N) ? 1 : 0));
        SendNotifyCRChange();
        ++D.IP[lvl];
    } else if ((op >= OP_LD && op <= OP_CLOSE) || (op >= OP_ABS && op <= OP_SHR)) {
        Operation(cmd, op);
        ++D.IP[lvl];
    } else {
        Control(cmd, op);
    }

    const uint16_t cur = D.IPNum;
    if (cur >= 1 && cur <= MAX_CALLED_POU_COUNT && D.IP[cur] >= FLevel[cur].Count)
        EndOfCode();
}

// Operations 0x10..0x100 and 0x140..0x1A0: steps from the effective command to the CR update.
// Raises before anything moves the instruction pointer; the caller advances.
void TSoftAG::Operation(const TAWLCommand& cmd, uint16_t op) {
    TSoftAGData& D = *Data;
    TCR* cr = D.CR[D.CRNum].get();
    int32_t opdType;
    TModifiers mods;
    int64_t opd = 0;
    bool loaded = false;

    if (op == OP_CLOSE) {
        if (D.CRNum < 2)
            Fail(rtmsg::NoOpenParen);
        const uint16_t action = D.CRActions[D.CRNum];
        const TCR* popped = cr;
        --D.CRNum;
        cr = D.CR[D.CRNum].get();
        op = uint16_t(action & 0xFFF0);
        mods = (action & 1) ? MOD_N : TModifiers(0);
        opdType = popped->DataType;
        if (op == 0) {
            // A level opened by a function block call: nothing deferred to apply.
            SendNotifyCRChange();
            return;
        }
        opd = ReadTyped(popped->Data.Bytes, opdType, cmd.BitAdr);
        loaded = true;
    } else {
        opdType = cmd.DataType;
        mods = cmd.Modifiers;
        if (op != OP_ST && op != OP_ABS && op != OP_NOT) {
            loaded = true;
            switch (cmd.Source()) {
            case SRC_MEMORY: {
                const int32_t n = ReadBytes(opdType);
                if (n > 0)
                    opd = ReadTyped(&D.DMemory[size_t(OperandAddress(cmd, n))], opdType, cmd.BitAdr);
                break;
            }
            case SRC_CONST: {
                const int32_t n = ReadBytes(opdType);
                const TRunLevel& L = FLevel[D.IPNum];
                if (n > 0) {
                    if (uint64_t(cmd.OpdLong) + uint64_t(n) > L.ConstSize)
                        Fail(rtmsg::UnexpectedBytecode);
                    opd = ReadTyped(L.Const + cmd.OpdLong, opdType, cmd.BitAdr);
                }
                break;
            }
            case SRC_TICKS:
                opd = int64_t(FTicks->TickCount() % TIME_OF_DAY_MS);
                break;
            default:
                Fail(rtmsg::UnexpectedBytecode);
            }
        }
    }

    // Operand negation.
    if ((mods & MOD_N) && loaded) {
        if (!BoolLike(opdType))
            Fail(rtmsg::OperandNotBool);
        opd = (opd & 1) ? 0 : 1;
    }

    const int32_t crType = cr->DataType;
    const TClass crClass = ClassOf(crType);
    const bool shiftOp = op >= OP_ROL && op <= OP_SHR;

    // CR class check.
    if (op != OP_LD) {
        switch (crClass) {
        case C_EMPTY:
            Fail(rtmsg::CREmpty);
        case C_BIT:
            if ((op >= OP_ADD && op <= OP_DIV) || op == OP_ABS || op == OP_MOD)
                Fail(rtmsg::CRNotNumOrTime);
            break;
        case C_NUM:
            if ((op >= OP_AND && op <= OP_XOR) || op == OP_NOT || shiftOp)
                Fail(rtmsg::CRNotBit);
            break;
        case C_TIME:
            if ((op >= OP_AND && op <= OP_XOR) || op == OP_NOT || shiftOp)
                Fail(rtmsg::CRNotBit);
            if (op == OP_ABS || op == OP_MOD)
                Fail(rtmsg::CRNotNum);
            break;
        default:
            break;
        }
    }

    // Operand check.
    if (op != OP_LD && op != OP_ABS && op != OP_NOT) {
        if (shiftOp) {
            const TClass oc = ClassOf(opdType);
            if (oc != C_SLIT && oc != C_NUM)
                Fail(rtmsg::OperandNotNum);
            if (opd < 0 || opd > 255)
                Fail(rtmsg::OperandOutOfRange);
        } else {
            switch (crClass) {
            case C_BIT:
            case C_NUM:
                if (opdType == TR_SLITERAL) {
                    if (!CheckRange(opd, -crType - 1))
                        Fail(rtmsg::OperandLiteralOutOfRange);
                } else if (opdType != crType) {
                    RaiseTypeMismatch(opdType);
                }
                break;
            case C_TIME:
                if (op == OP_MUL || op == OP_DIV) {
                    const TClass oc = ClassOf(opdType);
                    if (oc != C_SLIT && oc != C_NUM)
                        Fail(rtmsg::OperandNotNum);
                } else if (opdType != TR_TIME) {
                    Fail(rtmsg::OperandNotTime);
                }
                break;
            case C_SLIT:
                if (opdType != TR_SLITERAL && !CheckRange(cr->Data.S64, opdType < 0 ? -opdType - 1 : -1))
                    Fail(rtmsg::CRLiteralOutOfRange);
                break;
            default:
                break;
            }
        }
    }

    // The operation.
    const uint64_t a = cr->Data.U64;
    const uint64_t b = uint64_t(opd);
    uint64_t r = a;
    switch (op) {
    case OP_LD:
        r = b;
        break;
    case OP_AND:
        r = a & b;
        break;
    case OP_OR:
        r = a | b;
        break;
    case OP_XOR:
        r = a ^ b;
        break;
    case OP_ADD:
        r = a + b;
        break;
    case OP_SUB:
        r = a - b;
        break;
    case OP_MUL:
        r = a * b;
        break;
    case OP_DIV:
    case OP_MOD:
        if (opd == 0)
            Fail(rtmsg::DivisionByZero);
        if (opd == -1) // INT64_MIN / -1 traps; the wrapped result is what 64-bit arithmetic gives
            r = op == OP_DIV ? uint64_t(0) - a : 0;
        else
            r = uint64_t(op == OP_DIV ? int64_t(a) / opd : int64_t(a) % opd);
        break;
    case OP_GT:
        r = int64_t(a) > opd;
        break;
    case OP_GE:
        r = int64_t(a) >= opd;
        break;
    case OP_EQ:
        r = int64_t(a) == opd;
        break;
    case OP_NE:
        r = int64_t(a) != opd;
        break;
    case OP_LE:
        r = int64_t(a) <= opd;
        break;
    case OP_LT:
        r = int64_t(a) < opd;
        break;
    case OP_ABS:
        r = int64_t(a) < 0 ? uint64_t(0) - a : a;
        break;
    case OP_NOT:
        r = Cut(~a, CutWidth(crType));
        break;
    case OP_SHL:
        r = Cut(b >= 64 ? 0 : a << b, CutWidth(crType));
        break;
    case OP_SHR:
        r = b >= 64 ? 0 : a >> b;
        break;
    case OP_ROL:
    case OP_ROR: {
        int n = 32; // untyped literal
        if (crType != TR_SLITERAL) {
            const TTypeDesc* td = crType < 0 && -crType - 1 < IECTYPECOUNT
                                      ? &IECTYPES[size_t(-crType - 1)]
                                      : GetTypeDesc(crType, TypeListOf(D.ProjectDesc));
            n = td ? td->DataSize : 64;
        }
        if (n <= 0 || n > 64)
            n = 64;
        const uint64_t v = n == 64 ? a : a & ((uint64_t(1) << n) - 1);
        const unsigned c = unsigned(b % unsigned(n));
        if (c == 0)
            r = v;
        else if (op == OP_ROL)
            r = (v >> (n - c)) | (v << c);
        else
            r = (v << (n - c)) | (v >> c);
        r = Cut(r, CutWidth(crType));
        break;
    }
    case OP_ST: {
        if (!CheckModifierCond(cmd))
            return;
        const uint64_t value = a; // copied: notifications below may change the CR stack
        const int32_t tt = cmd.DataType;
        if (tt == TR_BOOL) {
            const int32_t addr = OperandAddress(cmd, 1);
            uint8_t bit = uint8_t(value & 1);
            if (cmd.Modifiers & MOD_N)
                bit ^= 1;
            const uint8_t mask = uint8_t(1u << (cmd.BitAdr & 7));
            const uint8_t old = D.DMemory[size_t(addr)];
            StoreByte(addr, bit ? uint8_t(old | mask) : uint8_t(old & ~mask));
        } else {
            int32_t n = ReadBytes(tt);
            if (n == 0 || tt == TR_SLITERAL) {
                const TTypeDesc* td = GetTypeDesc(tt, TypeListOf(D.ProjectDesc));
                n = td && td->DataSize > 0 ? td->DataSize / 8 : 0;
                if (n > 8)
                    n = 8;
            }
            if (n > 0) {
                const int32_t addr = OperandAddress(cmd, n);
                for (int32_t i = 0; i < n; ++i)
                    StoreByte(addr + i, uint8_t(value >> (8 * i)));
            }
        }
        return;
    }
    default:
        break;
    }
    cr->Data.U64 = r;

    // After the operation.
    switch (op) {
    case OP_LD:
        cr->DataType = int16_t(opdType);
        break;
    case OP_ADD:
    case OP_SUB:
    case OP_MUL:
    case OP_DIV:
        if (cr->DataType == TR_SLITERAL)
            cr->DataType = int16_t(opdType);
        if (!CheckRange(cr->Data.S64, -int32_t(cr->DataType) - 1))
            Fail(rtmsg::ResultOutOfRange);
        break;
    case OP_GT:
    case OP_GE:
    case OP_EQ:
    case OP_NE:
    case OP_LE:
    case OP_LT:
        cr->DataType = TR_BOOL;
        break;
    default:
        break;
    }
    SendNotifyCRChange();
}

// JMP, RET, conversion, frames and calls. Each advances (or jumps) itself.
void TSoftAG::Control(const TAWLCommand& cmd, uint16_t op) {
    TSoftAGData& D = *Data;
    const uint16_t lvl = D.IPNum;
    switch (op) {
    case OP_JMP:
        if (CheckModifierCond(cmd))
            D.IP[lvl] = cmd.OpdWord0;
        else
            ++D.IP[lvl];
        return;

    case OP_RET:
        if (!CheckModifierCond(cmd)) {
            ++D.IP[lvl];
            return;
        }
        if (lvl <= 1) {
            // In the main program: the program's part of the cycle ends here.
            D.IP[lvl] = uint16_t(FLevel[lvl].Count);
            return;
        }
        if (FLevel[lvl].IsFB && D.CRNum > 1) {
            --D.CRNum;
            SendNotifyCRChange();
        }
        --D.IPNum;
        --RunningPOUNum;
        SendNotifyPOUChange();
        return;

    case OP_CONV: {
        TCR& cr = D.TopCR();
        const int32_t src = cmd.OpdWord0, dst = cmd.OpdWord1;
        if (src >= IECTYPECOUNT || dst >= IECTYPECOUNT)
            Fail(rtmsg::UnexpectedBytecode);
        if (cr.DataType == TR_CR_EMPTY)
            Fail(rtmsg::CREmpty);
        if (cr.DataType == TR_SLITERAL ? src == DT_TIME : cr.DataType != TypeRef(src))
            RaiseTypeMismatch(TypeRef(src));
        if (!CheckRange(cr.Data.S64, dst))
            throw ERuntimeError(std::string(rtmsg::ValueOutOfRangeOfType) + IECTYPES[size_t(dst)].TypeName);
        cr.DataType = int16_t(TypeRef(dst));
        SendNotifyCRChange();
        ++D.IP[lvl];
        return;
    }

    case OP_PUSHFRAME:
    case OP_PUSHFB: {
        if (MemBasesNum >= MAX_MEMBASES)
            Fail(rtmsg::TooManyFrames);
        const TMemBase& top = MemBases[MemBasesNum];
        int64_t base, size;
        if (op == OP_PUSHFRAME) {
            // Above all memory in use: never overlaps the variables of a caller whose
            // instance frame is the top frame.
            base = FFrameTop[MemBasesNum];
            size = int64_t(cmd.OpdLong);
        } else {
            base = int64_t(top.Base) + cmd.OpdWord0;
            size = cmd.OpdWord1;
        }
        if (base < 0 || size < 0 || base + size > DMEMSIZE)
            Fail(rtmsg::OutOfDataMemory);
        const int32_t below = FFrameTop[MemBasesNum];
        ++MemBasesNum;
        MemBases[MemBasesNum] = TMemBase{int32_t(base), int32_t(size)};
        FFrameTop[MemBasesNum] = std::max<int32_t>(below, int32_t(base + size));
        SendNotifyMemChange(0, 0, 8, 0);
        ++D.IP[lvl];
        return;
    }

    case OP_POPFRAME:
    case OP_POPFB:
        if (MemBasesNum == 0)
            Fail(rtmsg::UnexpectedBytecode);
        --MemBasesNum;
        SendNotifyMemChange(0, 0, 8, 0);
        ++D.IP[lvl];
        return;

    case OP_CALLFUN:
    case OP_CALLFB: {
        if (op == OP_CALLFB && !CheckModifierCond(cmd)) {
            ++D.IP[lvl];
            return;
        }
        if (lvl >= MAX_CALLED_POU_COUNT)
            Fail(rtmsg::TooManyCalls);
        const TProjectDesc* P = D.ProjectDesc;
        const int32_t pou = cmd.OpdWord0;
        if (!P || size_t(pou) >= P->POUList.size() || !P->POUList[size_t(pou)])
            Fail(rtmsg::UnexpectedBytecode);
        if (op == OP_CALLFB && D.CRNum >= MAX_CR_LEVELS)
            Fail(rtmsg::CRStackOverflow);
        ++D.IP[lvl];
        const uint16_t next = uint16_t(lvl + 1);
        D.IPNum = next;
        D.IP[next] = 0;
        RunningPOUNum = next;
        EnterLevel(next, pou);
        if (op == OP_CALLFUN) {
            D.TopCR().DataType = TR_CR_EMPTY;
            SendNotifyCRChange();
            SendNotifyPOUChange();
        } else {
            SendNotifyPOUChange();
            PushCR();
            D.CRActions[D.CRNum] = 0;
            SendNotifyCRChange();
        }
        return;
    }

    default:
        Fail(rtmsg::UnexpectedBytecode);
    }
}

// The running level's code has ended: the main program ends its cycle, a called POU returns.
void TSoftAG::EndOfCode() {
    TSoftAGData& D = *Data;
    if (D.IPNum <= 1) {
        D.Cycle = DATAWRITE;
        const uint32_t now = FTicks->TickCount();
        CycleTime = TicksSince(now, CycleStartTime);
        CycleStartTime += CycleTime;
        return;
    }
    if (FLevel[D.IPNum].IsFB && D.CRNum > 1)
        --D.CRNum;
    --D.IPNum;
    --RunningPOUNum;
    SendNotifyPOUChange();
}

} // namespace korvo
