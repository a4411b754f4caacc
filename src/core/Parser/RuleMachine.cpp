// Rule code execution.
#include "Parser/RuleMachine.h"

#include "SimForm/VisHost.h"

namespace korvo {

namespace {

struct TMachine {
    const TObjList& Objects;
    IVisPLC* PLC;
    IVisHost* Host;

    void Message(const char* Text) {
        if (Host)
            Host->ShowMessage(Text);
    }
    uint8_t Get(int32_t Index) { return PLC ? PLC->GetMemory_IQBuf(Index) : 0; }
    void Set(int32_t Index, uint8_t V) {
        if (PLC)
            PLC->SetMemory_IQBuf(Index, V);
    }

    int32_t ReadPLC(const TRuleCommand& c) {
        const int32_t adr = c.W1();
        switch (c.B4()) {
        case 1:
            return (Get(adr) >> (c.B3() & 7)) & 1;
        case 8:
            return Get(adr);
        case 16:
            return Get(adr) | (Get(adr + 1) << 8);
        default: // 32, and 64 of which the upper half contributes nothing
            return static_cast<int32_t>(uint32_t(Get(adr)) | (uint32_t(Get(adr + 1)) << 8) |
                                        (uint32_t(Get(adr + 2)) << 16) | (uint32_t(Get(adr + 3)) << 24));
        }
    }

    void WritePLC(const TRuleCommand& c, int32_t V) {
        const int32_t adr = c.W1();
        const uint32_t u = static_cast<uint32_t>(V);
        switch (c.B4()) {
        case 1: {
            const uint8_t mask = static_cast<uint8_t>(1u << (c.B3() & 7));
            const uint8_t b = Get(adr);
            Set(adr, static_cast<uint8_t>((u & 1) ? (b | mask) : (b & ~mask)));
            break;
        }
        case 8:
            Set(adr, static_cast<uint8_t>(u));
            break;
        case 16:
            Set(adr, static_cast<uint8_t>(u));
            Set(adr + 1, static_cast<uint8_t>(u >> 8));
            break;
        case 32:
        case 64:
            for (int i = 0; i < 4; ++i)
                Set(adr + i, static_cast<uint8_t>(u >> (8 * i)));
            if (c.B4() == 64)
                for (int i = 4; i < 8; ++i)
                    Set(adr + i, 0);
            break;
        default:
            break;
        }
    }

    TodUnknown* Object(const TRuleCommand& c) {
        const size_t i = c.W2();
        return i < Objects.size() ? Objects[i] : nullptr;
    }

    // False for an unknown field identifier (message shown, Out untouched).
    bool ReadField(const TRuleCommand& c, int32_t& Out) {
        TodUnknown* o = Object(c);
        const uint16_t id = c.W1();
        if (o && id == FieldIdBuiltIn) {
            if (o->FObjType == OTDYNAMICPIC) {
                Out = static_cast<TodDynamicPic*>(o)->FCurrentPic;
                return true;
            }
            if (o->FObjType == OTGROUP) {
                Out = static_cast<TodGroup*>(o)->FMovePos;
                return true;
            }
        } else if (o && id < FieldIdBuiltIn && id < o->FFields.size()) {
            Out = o->FFields[id]->Value;
            return true;
        }
        Message(rulemsg::BadFieldId);
        return false;
    }

    void WriteField(const TRuleCommand& c, int32_t V) {
        TodUnknown* o = Object(c);
        const uint16_t id = c.W1();
        if (o && id == FieldIdBuiltIn) {
            if (o->FObjType == OTDYNAMICPIC) {
                static_cast<TodDynamicPic*>(o)->SetCurrentPic(V);
                return;
            }
            if (o->FObjType == OTGROUP) {
                static_cast<TodGroup*>(o)->SetMovePos(V);
                return;
            }
        } else if (o && id < FieldIdBuiltIn && id < o->FFields.size()) {
            o->FFields[id]->Value = V;
            return;
        }
        Message(rulemsg::BadFieldId);
    }
};

int32_t Wrap(uint32_t v) {
    return static_cast<int32_t>(v);
}

// Index after the RCELSE/RCENDIF (StopAtElse) or RCENDIF matching the conditional before
// From, or -1 when RCEND comes first.
int32_t SkipConditional(const TRuleCode& Code, int32_t From, bool StopAtElse) {
    int32_t nesting = 0;
    for (int32_t i = From; i < RuleCodeCommands; ++i) {
        switch (Code.Commands[static_cast<size_t>(i)].Cmd) {
        case RCIF:
            ++nesting;
            break;
        case RCELSE:
            if (StopAtElse && nesting == 0)
                return i + 1;
            break;
        case RCENDIF:
            if (nesting == 0)
                return i + 1;
            --nesting;
            break;
        case RCEND:
            return -1;
        default:
            break;
        }
    }
    return -1;
}

} // namespace

void ExecuteRuleCode(const TRuleCode* Code, const TObjList& AllObjects, IVisPLC* PLC, IVisHost* Host) {
    if (!Code)
        return;
    TMachine m{AllObjects, PLC, Host};
    int32_t wr1 = 0, wr2 = 0;
    int32_t stack[5] = {0, 0, 0, 0, 0};
    int32_t pc = 0;
    while (pc >= 0 && pc < RuleCodeCommands) {
        const TRuleCommand& c = Code->Commands[static_cast<size_t>(pc)];
        ++pc;
        switch (c.Cmd) {
        case RCLOADLITERAL:
            wr2 = wr1;
            wr1 = c.I;
            break;
        case RCLOADFROMCPU:
            wr2 = wr1;
            wr1 = m.ReadPLC(c);
            break;
        case RCLOADFROMOBJ:
            wr2 = wr1;
            m.ReadField(c, wr1);
            break;
        case RCSTORETOCPU:
            m.WritePLC(c, wr1);
            break;
        case RCSTORETOOBJ:
            m.WriteField(c, wr1);
            break;
        case RCNOT:
            wr1 = wr1 == 0 ? 1 : 0;
            break;
        case RCTESTEQUAL:
            wr1 = wr2 == wr1;
            break;
        case RCTESTBIGGER:
            wr1 = wr2 > wr1;
            break;
        case RCTESTBIGEQU:
            wr1 = wr2 >= wr1;
            break;
        case RCTESTSMALLER:
            wr1 = wr2 < wr1;
            break;
        case RCTESTSMEQU:
            wr1 = wr2 <= wr1;
            break;
        case RCAND:
            wr1 = wr2 & wr1;
            break;
        case RCOR:
            wr1 = wr2 | wr1;
            break;
        case RCXOR:
            wr1 = wr2 ^ wr1;
            break;
        case RCSHIFTLEFT:
            wr1 = Wrap(static_cast<uint32_t>(wr2) << (wr1 & 31));
            break;
        case RCSHIFTRIGHT:
        case RCSHIFTRIGHTZF:
            wr1 = Wrap(static_cast<uint32_t>(wr2) >> (wr1 & 31));
            break;
        case RCADD:
            wr1 = Wrap(static_cast<uint32_t>(wr2) + static_cast<uint32_t>(wr1));
            break;
        case RCSUB:
            wr1 = Wrap(static_cast<uint32_t>(wr2) - static_cast<uint32_t>(wr1));
            break;
        case RCMUL:
            wr1 = Wrap(static_cast<uint32_t>(wr2) * static_cast<uint32_t>(wr1));
            break;
        case RCPUSH:
            for (int i = 4; i > 0; --i)
                stack[i] = stack[i - 1];
            stack[0] = wr1;
            break;
        case RCPOP:
            wr2 = stack[0];
            for (int i = 0; i < 4; ++i)
                stack[i] = stack[i + 1];
            break;
        case RCIF:
            if (wr1 == 0) {
                pc = SkipConditional(*Code, pc, true);
                if (pc < 0) {
                    m.Message(rulemsg::IfWithoutEndif);
                    return;
                }
            }
            break;
        case RCELSE:
            pc = SkipConditional(*Code, pc, false);
            if (pc < 0) {
                m.Message(rulemsg::ElseWithoutEndif);
                return;
            }
            break;
        case RCBELL:
            if (Host)
                Host->Beep();
            break;
        case RCEND:
            return;
        default:
            break; // RCENDIF, RCTESTUNEQUAL and unknown codes
        }
    }
}

} // namespace korvo
