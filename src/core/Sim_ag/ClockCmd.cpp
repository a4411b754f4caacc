// Instruction execution: one bytecode instruction per ClockCmd, with the run-time type checks, and
// the loop that runs instructions up to the next source line.
// Hot path: no allocation (except a CR level's first use) and no string work unless an error is raised.
#include "Sim_ag/RuntimeMessages.h"
#include "Sim_ag/SoftAG.h"

#include <algorithm>
#include <cstring>

namespace korvo {

namespace {

// Type classes of the CR and operand checks.
enum TClass : uint8_t { C_EMPTY, C_BIT, C_NUM, C_TIME, C_SLIT, C_FB, C_OTHER };

// What execution needs of a type, by slot: IEC table index 0..19, 20 the untyped literal,
// 21 the empty CR, 22 anything else (function block types).
struct TTypeInfo {
    TClass cls;
    uint8_t read;  // bytes an operand load reads (0: nothing)
    uint8_t store; // bytes a store writes (DataSize div 8); 0xFF: ask the type list
    bool sign;
    uint8_t cut;    // NOT/ROL/ROR/SHL cut the result to this many bits (0: keep 64)
    uint8_t width;  // DataSize for ROL/ROR (0: use 64)
    int64_t lo, hi; // CheckRange; lo > hi: no value is in range
};

constexpr int SLOT_SLIT = 20, SLOT_EMPTY = 21, SLOT_OTHER = 22;
constexpr int64_t kNone = 1; // lo of a type without range (hi 0)

constexpr TTypeInfo kTypes[23] = {
    {C_BIT, 1, 0, false, 1, 1, 0, 1},                         // BOOL (stored as a bit)
    {C_BIT, 1, 1, false, 8, 8, 0, 255},                       // BYTE
    {C_BIT, 2, 2, false, 16, 16, 0, 65535},                   // WORD
    {C_BIT, 4, 4, false, 32, 32, 0, 4294967295LL},            // DWORD
    {C_BIT, 0, 8, false, 0, 64, kNone, 0},                    // LWORD
    {C_NUM, 1, 1, true, 0, 8, -128, 127},                     // SINT
    {C_NUM, 2, 2, true, 0, 16, -32768, 32767},                // INT
    {C_NUM, 4, 4, true, 0, 32, -2147483648LL, 2147483647LL},  // DINT
    {C_NUM, 0, 8, true, 0, 64, kNone, 0},                     // LINT
    {C_NUM, 1, 1, false, 0, 8, 0, 255},                       // USINT
    {C_NUM, 2, 2, false, 0, 16, 0, 65535},                    // UINT
    {C_NUM, 4, 4, false, 0, 32, 0, 4294967295LL},             // UDINT
    {C_NUM, 0, 8, false, 0, 64, kNone, 0},                    // ULINT
    {C_NUM, 0, 4, false, 0, 32, kNone, 0},                    // REAL
    {C_NUM, 0, 8, false, 0, 64, kNone, 0},                    // LREAL
    {C_TIME, 4, 4, true, 0, 32, -2147483648LL, 2147483647LL}, // TIME
    {C_OTHER, 0, 3, false, 0, 24, kNone, 0},                  // DATE
    {C_OTHER, 0, 3, false, 0, 24, kNone, 0},                  // TIME_OF_DAY
    {C_OTHER, 0, 6, false, 0, 48, kNone, 0},                  // DATE_AND_TIME
    {C_OTHER, 0, 0, false, 0, 0, kNone, 0},                   // STRING
    {C_SLIT, 8, 4, false, 0, 32, INT64_MIN, INT64_MAX},       // untyped literal
    {C_EMPTY, 0, 0, false, 0, 0, kNone, 0},                   // empty CR
    {C_FB, 0, 0xFF, false, 0, 0, kNone, 0},                   // function block types
};

inline int Slot(int32_t t) {
    const uint32_t i = uint32_t(-int64_t(t) - 1);
    if (i < uint32_t(IECTYPECOUNT))
        return int(i);
    return t == TR_SLITERAL ? SLOT_SLIT : t == TR_CR_EMPTY ? SLOT_EMPTY : SLOT_OTHER;
}

inline bool InRange(int64_t v, const TTypeInfo& ti) {
    return v >= ti.lo && v <= ti.hi;
}
inline bool BoolLike(int32_t t) {
    return t == TR_BOOL || t == TR_SLITERAL;
}

// Reads a value of type slot s at p (s.read bytes), zero- or sign-extended to 64 bits.
inline int64_t ReadTyped(const uint8_t* p, int s, uint8_t bit) {
    const TTypeInfo& ti = kTypes[s];
    uint64_t v;
    switch (ti.read) {
    case 1:
        v = p[0];
        if (s == DT_BOOL)
            return (v >> (bit & 7)) & 1;
        return ti.sign ? int64_t(int8_t(v)) : int64_t(v);
    case 2: {
        uint16_t x;
        std::memcpy(&x, p, 2);
        return ti.sign ? int64_t(int16_t(x)) : int64_t(x);
    }
    case 4: {
        uint32_t x;
        std::memcpy(&x, p, 4);
        return ti.sign ? int64_t(int32_t(x)) : int64_t(x);
    }
    case 8:
        std::memcpy(&v, p, 8);
        return int64_t(v);
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
    if (DataType >= 0 && DataType < IECTYPECOUNT)
        return InRange(S64, kTypes[DataType]);
    return DataType == DT_CR_SLITERAL;
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

bool TSoftAG::ConditionOfCR(const TAWLCommand& cmd) const {
    const TCR& cr = Data->TopCR();
    if (!BoolLike(cr.DataType))
        Fail(rtmsg::CRNotBool);
    bool cond = cr.Data.U64 != 0;
    if ((cmd.Modifiers & MOD_N) && cmd.Op() != OP_ST)
        cond = !cond;
    return cond;
}

// Byte address of a memory operand of `bytes` bytes, checked against the frames and the memory.
inline int32_t TSoftAG::OperandAddress(const TAWLCommand& cmd, int32_t bytes) const {
    if (uint32_t(cmd.MemBase) > MemBasesNum)
        Fail(rtmsg::MemoryOutOfRange);
    const int64_t a = int64_t(MemBases[size_t(MemBasesNum - cmd.MemBase)].Base) + cmd.ByteAdr;
    if (cmd.ByteAdr < 0 || a < 0 || a + bytes > DMEMSIZE)
        Fail(rtmsg::MemoryOutOfRange);
    return int32_t(a);
}

[[gnu::always_inline]] inline void TSoftAG::Execute() {
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
    if (D.IP[cur] >= FLevel[cur].Count)
        EndOfCode();
}

void TSoftAG::ClockCmd() {
    Execute();
}

// Runs up to the first instruction of another source line, never stopping in library code.
void TSoftAG::RunLine() {
    RunLineInline();
}

// What repeated Clock does in run mode during the program phase, without the per-Clock call:
// one count (and statistics check) and one NotifyStep per source line.
bool TSoftAG::RunProgram() {
    FBreakHit = false;
    try {
        while (FMode == MM_RUN && Data->Cycle == PROG) {
            ++CmdCounter;
            const uint32_t now = FTicks->TickCount();
            if (TicksSince(now, LastCmdStatTime) >= 1000) {
                CmdPSec = CmdCounter;
                CmdCounter = 0;
                LastCmdStatTime = now;
            }
            RunLineInline();
            if (FBreakpoints && AtBreakpoint()) [[unlikely]] {
                FBreakHit = true;
                SetMode(MM_STEP);
            }
            if (!FConnectors.empty())
                DeliverStep(PROG);
        }
    } catch (const ERuntimeError& e) {
        ReportRuntimeError(e);
        if (!FConnectors.empty())
            DeliverStep(PROG);
        return false;
    }
    return true;
}

[[gnu::always_inline]] inline void TSoftAG::RunLineInline() {
    TSoftAGData& D = *Data;
    uint16_t refLevel = D.IPNum;
    const TPOUDesc* refPOU = FLevel[refLevel].POU;
    int32_t refLine = LevelLine();
    uint64_t budget = WatchdogLimit > FCycleCmds ? WatchdogLimit - FCycleCmds : 0;
    for (;;) {
        if (budget-- == 0) {
            FCycleCmds = 0; // stepping on after the report may continue the loop under the debugger
            throw ERuntimeError(rtmsg::Watchdog);
        }
        ++FCycleCmds;
        Execute();
        if (D.Cycle != PROG)
            return; // end of the main program; its end line differs from every code line
        const uint16_t lvl = D.IPNum;
        if (lvl < refLevel) {
            refLevel = lvl;
            refPOU = FLevel[lvl].POU;
            refLine = LevelLine();
        }
        const TRunLevel& L = FLevel[lvl];
        if (L.Library)
            continue;
        const uint16_t ip = D.IP[lvl];
        const int32_t line = ip < L.Count ? L.Code[ip].SourceLine : LevelLine();
        if (L.POU != refPOU || line != refLine)
            return;
    }
}

// Operations 0x10..0x100 and 0x140..0x1A0: steps from the effective command to the CR update.
// Raises before anything moves the instruction pointer; the caller advances.
[[gnu::always_inline]] inline void TSoftAG::Operation(const TAWLCommand& cmd, uint16_t op) {
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
        opd = ReadTyped(popped->Data.Bytes, Slot(opdType), cmd.BitAdr);
        loaded = true;
    } else {
        opdType = cmd.DataType;
        mods = cmd.Modifiers;
        if (op != OP_ST && op != OP_ABS && op != OP_NOT) {
            loaded = true;
            const int s = Slot(opdType);
            const int32_t n = kTypes[s].read;
            switch (cmd.Source()) {
            case SRC_MEMORY:
                if (n > 0)
                    opd = ReadTyped(&D.DMemory[size_t(OperandAddress(cmd, n))], s, cmd.BitAdr);
                break;
            case SRC_CONST: {
                const TRunLevel& L = FLevel[D.IPNum];
                if (n > 0) {
                    if (uint64_t(cmd.OpdLong) + uint64_t(n) > L.ConstSize)
                        Fail(rtmsg::UnexpectedBytecode);
                    opd = ReadTyped(L.Const + cmd.OpdLong, s, cmd.BitAdr);
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
    const int crSlot = Slot(crType);
    const TTypeInfo& crInfo = kTypes[crSlot];
    const bool shiftOp = op >= OP_ROL && op <= OP_SHR;

    if (op == OP_LD) {
        cr->Data.S64 = opd;
        cr->DataType = int16_t(opdType);
        SendNotifyCRChange();
        return;
    }

    // CR class check.
    switch (crInfo.cls) {
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

    // Operand check.
    if (op != OP_ABS && op != OP_NOT) {
        if (shiftOp) {
            const TClass oc = kTypes[Slot(opdType)].cls;
            if (oc != C_SLIT && oc != C_NUM)
                Fail(rtmsg::OperandNotNum);
            if (opd < 0 || opd > 255)
                Fail(rtmsg::OperandOutOfRange);
        } else {
            switch (crInfo.cls) {
            case C_BIT:
            case C_NUM:
                if (opdType == TR_SLITERAL) {
                    if (!InRange(opd, crInfo))
                        Fail(rtmsg::OperandLiteralOutOfRange);
                } else if (opdType != crType) {
                    RaiseTypeMismatch(opdType);
                }
                break;
            case C_TIME:
                if (op == OP_MUL || op == OP_DIV) {
                    const TClass oc = kTypes[Slot(opdType)].cls;
                    if (oc != C_SLIT && oc != C_NUM)
                        Fail(rtmsg::OperandNotNum);
                } else if (opdType != TR_TIME) {
                    Fail(rtmsg::OperandNotTime);
                }
                break;
            case C_SLIT: {
                // Only elementary types have a range; any other operand type fails.
                const int os = Slot(opdType);
                if (os != SLOT_SLIT && (os >= IECTYPECOUNT || !InRange(cr->Data.S64, kTypes[os])))
                    Fail(rtmsg::CRLiteralOutOfRange);
                break;
            }
            default:
                break;
            }
        }
    }

    // The operation.
    const uint64_t a = cr->Data.U64;
    const uint64_t b = uint64_t(opd);
    uint64_t r;
    switch (op) {
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
        r = Cut(~a, crInfo.cut);
        break;
    case OP_SHL:
        r = Cut(b >= 64 ? 0 : a << b, crInfo.cut);
        break;
    case OP_SHR:
        r = b >= 64 ? 0 : a >> b;
        break;
    case OP_ROL:
    case OP_ROR: {
        int n = crInfo.width;
        if (crSlot == SLOT_OTHER) {
            const TTypeDesc* td = GetTypeDesc(crType, TypeListOf(D.ProjectDesc));
            n = td ? td->DataSize : 64;
        }
        if (n <= 0 || n > 64)
            n = 64;
        const uint64_t v = Cut(a, n == 64 ? 0 : n);
        const unsigned c = unsigned(b % unsigned(n));
        if (c == 0)
            r = v;
        else if (op == OP_ROL)
            r = (v >> (n - c)) | (v << c);
        else
            r = (v << (n - c)) | (v >> c);
        r = Cut(r, crInfo.cut);
        break;
    }
    case OP_ST: {
        if (!CheckModifierCond(cmd))
            return;
        const uint64_t value = a; // copied: notifications below may change the CR stack
        const int ts = Slot(cmd.DataType);
        if (ts == DT_BOOL) {
            const int32_t addr = OperandAddress(cmd, 1);
            uint8_t bit = uint8_t(value & 1);
            if (cmd.Modifiers & MOD_N)
                bit ^= 1;
            const uint8_t mask = uint8_t(1u << (cmd.BitAdr & 7));
            const uint8_t old = D.DMemory[size_t(addr)];
            StoreByte(addr, bit ? uint8_t(old | mask) : uint8_t(old & ~mask));
            return;
        }
        int32_t n = kTypes[ts].store;
        if (n == 0xFF) {
            const TTypeDesc* td = GetTypeDesc(cmd.DataType, TypeListOf(D.ProjectDesc));
            n = td && td->DataSize > 0 ? std::min(td->DataSize / 8, 8) : 0;
        }
        if (n > 0) {
            const int32_t addr = OperandAddress(cmd, n);
            if (addr >= NUME + NUMA && FConnectors.empty() && !FForceActive) {
                // Nothing to mirror into the buffers and nobody to notify: one little-endian write.
                for (int32_t i = 0; i < n; ++i)
                    D.DMemory[size_t(addr + i)] = uint8_t(value >> (8 * i));
            } else {
                for (int32_t i = 0; i < n; ++i)
                    StoreByte(addr + i, uint8_t(value >> (8 * i)));
            }
        }
        return;
    }
    default:
        r = a;
        break;
    }
    cr->Data.U64 = r;

    // After the operation.
    switch (op) {
    case OP_ADD:
    case OP_SUB:
    case OP_MUL:
    case OP_DIV:
        if (cr->DataType == TR_SLITERAL)
            cr->DataType = int16_t(opdType);
        if (!InRange(cr->Data.S64, kTypes[Slot(cr->DataType)]))
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
