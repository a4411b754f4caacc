// Rule statement compiler.
#include "Parser/RuleCompiler.h"

#include "Parser/Scanner.h"
#include "SimForm/VisHost.h"

#include <cstdint>

namespace korvo {

PRuleCode NewRuleCode() {
    auto code = std::make_unique<TRuleCode>();
    code->Size = RuleCodeSize;
    code->Commands[0].Cmd = RCEND;
    return code;
}

namespace {

// Appends commands after the current end; room is kept for the final RCEND.
class TEmitter {
public:
    explicit TEmitter(TRuleCode& Code) : FCode(Code) {
        while (FStart < RuleCodeCommands && FCode.Commands[static_cast<size_t>(FStart)].Cmd != RCEND)
            ++FStart;
        FPos = FStart;
    }
    void Emit(int32_t Cmd, int32_t I = 0) {
        if (FPos >= RuleCodeCommands - 1)
            throw EParseError(rulemsg::TooManyCommands);
        FCode.Commands[static_cast<size_t>(FPos++)] = {Cmd, I};
    }
    void Finish() { FCode.Commands[static_cast<size_t>(FPos)] = {RCEND, 0}; }
    void Rollback() {
        if (FStart < RuleCodeCommands)
            FCode.Commands[static_cast<size_t>(FStart)] = {RCEND, 0};
    }

private:
    TRuleCode& FCode;
    int32_t FStart = 0;
    int32_t FPos = 0;
};

enum TOperator : uint8_t {
    OPNONE,
    OPEQ,
    OPNE,
    OPGT,
    OPGE,
    OPLT,
    OPLE,
    OPAND,
    OPOR,
    OPXOR,
    OPSHL,
    OPSHR,
    OPSHRZF,
    OPADD,
    OPSUB,
    OPMUL,
};

TOperator OperatorOf(const std::string& t) {
    static const struct {
        const char* Text;
        TOperator Op;
    } table[] = {
        {"==", OPEQ},  {"!=", OPNE},     {">", OPGT},  {">=", OPGE}, {"<", OPLT},
        {"<=", OPLE},  {"&", OPAND},     {"|", OPOR},  {"^", OPXOR}, {"<<", OPSHL},
        {">>", OPSHR}, {">>>", OPSHRZF}, {"+", OPADD}, {"-", OPSUB}, {"*", OPMUL},
    };
    for (const auto& e : table)
        if (t == e.Text)
            return e.Op;
    return OPNONE;
}

void EmitOperator(TEmitter& E, TOperator Op) {
    switch (Op) {
    case OPNONE:
        break;
    case OPEQ:
        E.Emit(RCTESTEQUAL);
        break;
    case OPNE:
        E.Emit(RCTESTEQUAL);
        E.Emit(RCNOT);
        break;
    case OPGT:
        E.Emit(RCTESTBIGGER);
        break;
    case OPGE:
        E.Emit(RCTESTBIGEQU);
        break;
    case OPLT:
        E.Emit(RCTESTSMALLER);
        break;
    case OPLE:
        E.Emit(RCTESTSMEQU);
        break;
    case OPAND:
        E.Emit(RCAND);
        break;
    case OPOR:
        E.Emit(RCOR);
        break;
    case OPXOR:
        E.Emit(RCXOR);
        break;
    case OPSHL:
        E.Emit(RCSHIFTLEFT);
        break;
    case OPSHR:
        E.Emit(RCSHIFTRIGHT);
        break;
    case OPSHRZF:
        E.Emit(RCSHIFTRIGHTZF);
        break;
    case OPADD:
        E.Emit(RCADD);
        break;
    case OPSUB:
        E.Emit(RCSUB);
        break;
    case OPMUL:
        E.Emit(RCMUL);
        break;
    }
}

int32_t LoadCommand(TValueType t) {
    switch (t) {
    case TValueType::vtLiteral:
        return RCLOADLITERAL;
    case TValueType::vtCPUReg:
        return RCLOADFROMCPU;
    case TValueType::vtObjField:
        return RCLOADFROMOBJ;
    }
    return RCLOADLITERAL;
}

bool ReadUnsigned(const std::string& s, int32_t& out) {
    if (s.empty() || s.size() > 10)
        return false;
    int64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + (c - '0');
    }
    if (v > INT32_MAX)
        return false;
    out = static_cast<int32_t>(v);
    return true;
}

// Expression up to the end of S: left to right, pending operators in a 6-entry stack.
void CompileExpression(std::string& S, TEmitter& E, const TObjList& AllObjects, IVisHost* Host) {
    TOperator pending[6] = {OPNONE, OPNONE, OPNONE, OPNONE, OPNONE, OPNONE};
    bool expectValue = true;
    int opened = 0; // "(" in this statement
    int depth = 0;  // currently open
    while (!S.empty()) {
        if (expectValue) {
            if (S[0] == '(') {
                if (++opened > 5)
                    throw EParseError(rulemsg::TooManyParens);
                ++depth;
                S.erase(0, 1);
                SkipWhitespace(S);
                E.Emit(RCPUSH);
                for (int i = 5; i > 0; --i)
                    pending[i] = pending[i - 1];
                pending[0] = OPNONE;
            }
            bool negate = false;
            if (!S.empty() && S[0] == '!') {
                S.erase(0, 1);
                negate = true;
            }
            int32_t value = 0;
            TValueType type = TValueType::vtLiteral;
            if (!GetValue(S, value, type, AllObjects, Host))
                throw EParseError(rulemsg::ErrorInExpression);
            E.Emit(LoadCommand(type), value);
            if (negate)
                E.Emit(RCNOT);
            if (pending[0] != OPNONE) {
                EmitOperator(E, pending[0]);
                pending[0] = OPNONE;
            }
            expectValue = false;
        } else {
            if (S[0] == ')') {
                if (--depth < 0)
                    throw EParseError(rulemsg::UnexpectedRParen);
                S.erase(0, 1);
                SkipWhitespace(S);
                E.Emit(RCPOP);
                EmitOperator(E, pending[1]);
                pending[0] = OPNONE;
                for (int i = 1; i < 5; ++i)
                    pending[i] = pending[i + 1];
                pending[5] = OPNONE;
            }
            if (!S.empty() && S[0] != ')') {
                std::string op;
                if (S[0] == '^') {
                    op = "^";
                    S.erase(0, 1);
                } else {
                    op = GetNextElement(S);
                }
                const TOperator o = OperatorOf(op);
                if (o == OPNONE)
                    throw EParseError(rulemsg::UnknownOperation);
                pending[0] = o;
                expectValue = true;
            }
        }
        SkipWhitespace(S);
    }
    if (expectValue)
        throw EParseError(rulemsg::ValueExpected);
    if (depth > 0)
        throw EParseError(rulemsg::RParenExpected);
}

} // namespace

bool GetDirectAdr(const std::string& AStr, int32_t& ByteAdr, uint8_t& BitAdr, uint16_t& DataSize) {
    const std::string s = VisUpper(AStr);
    if (s.empty())
        return false;
    int32_t area;
    switch (s[0]) {
    case 'I':
        area = 0;
        break;
    case 'Q':
        area = 16;
        break;
    case 'M':
        area = 32;
        break;
    default:
        return false;
    }
    std::string r = s.substr(1);
    char form = 'X';
    if (!r.empty() && (r[0] == 'X' || r[0] == 'B' || r[0] == 'W' || r[0] == 'D' || r[0] == 'L')) {
        form = r[0];
        r.erase(0, 1);
    }
    int32_t n = 0;
    if (form == 'X') {
        const size_t dot = r.find('.');
        if (dot != std::string::npos) {
            int32_t b = 0;
            if (!ReadUnsigned(r.substr(0, dot), n) || !ReadUnsigned(r.substr(dot + 1), b) || n > 15 || b > 7)
                return false;
            ByteAdr = area + n;
            BitAdr = static_cast<uint8_t>(b);
        } else {
            if (!ReadUnsigned(r, n) || n / 8 > 15)
                return false;
            ByteAdr = area + n / 8;
            BitAdr = static_cast<uint8_t>(n % 8);
        }
        DataSize = 1;
        return true;
    }
    if (!ReadUnsigned(r, n))
        return false;
    int32_t limit = 15;
    switch (form) {
    case 'B':
        limit = 15;
        DataSize = 8;
        break;
    case 'W':
        limit = 14;
        DataSize = 16;
        break;
    case 'D':
        limit = 12;
        DataSize = 32;
        break;
    default:
        limit = 8;
        DataSize = 64;
        break;
    }
    if (n > limit)
        return false;
    ByteAdr = area + n;
    BitAdr = 0;
    return true;
}

bool GetValue(std::string& Expression, int32_t& Value, TValueType& ValueType, const TObjList& AllObjects,
              IVisHost* Host) {
    const std::string prefix = GetNextElement(Expression);
    if (prefix == "#") {
        if (!ReadUnsigned(GetNextElement(Expression), Value))
            return false;
        ValueType = TValueType::vtLiteral;
        return true;
    }
    if (prefix == "%") {
        int32_t adr = 0;
        uint8_t bit = 0;
        uint16_t size = 0;
        if (!GetDirectAdr(GetNextElementX(Expression, "."), adr, bit, size))
            return false;
        Value = TRuleCommand::PLCOperand(static_cast<uint16_t>(adr), bit, static_cast<uint8_t>(size));
        ValueType = TValueType::vtCPUReg;
        return true;
    }
    if (prefix == "$") {
        const std::string name = VisUpper(GetNextElement(Expression));
        size_t index = 0;
        while (index < AllObjects.size() && AllObjects[index]->FObjName != name)
            ++index;
        if (index == AllObjects.size() || index > 0xFFFF) {
            if (Host)
                Host->ShowMessage(rulemsg::UnknownObjectBox(name));
            throw EParseError(rulemsg::ErrorInExpression);
        }
        if (GetNextElement(Expression) != "." && Host)
            Host->ShowMessage(rulemsg::DotExpectedBox);
        const uint16_t field = AllObjects[index]->GetFieldID(VisUpper(GetNextElement(Expression)));
        Value = TRuleCommand::ObjOperand(field, static_cast<uint16_t>(index));
        ValueType = TValueType::vtObjField;
        return true;
    }
    return false;
}

void CompileSDLExpression(std::string& Expression, PRuleCode& RuleCode, const TObjList& AllObjects,
                          IVisHost* Host) {
    std::string s = Expression;
    const std::string kw = VisUpper(GetNextElement(s));
    if (kw != "SET" && kw != "IF" && kw != "ELSE" && kw != "ENDIF" && kw != "BELL")
        return;
    SkipWhitespace(s);
    if (!RuleCode)
        RuleCode = NewRuleCode();
    TEmitter e(*RuleCode);
    try {
        if (kw == "SET") {
            int32_t target = 0;
            TValueType type = TValueType::vtLiteral;
            if (!GetValue(s, target, type, AllObjects, Host) || type == TValueType::vtLiteral)
                throw EParseError(rulemsg::InvalidTarget);
            SkipWhitespace(s);
            if (s.empty() || s[0] != '=')
                throw EParseError(rulemsg::EqualExpected);
            s.erase(0, 1);
            SkipWhitespace(s);
            CompileExpression(s, e, AllObjects, Host);
            e.Emit(type == TValueType::vtCPUReg ? RCSTORETOCPU : RCSTORETOOBJ, target);
        } else if (kw == "IF") {
            CompileExpression(s, e, AllObjects, Host);
            e.Emit(RCIF);
        } else if (kw == "ELSE") {
            e.Emit(RCELSE);
        } else if (kw == "ENDIF") {
            e.Emit(RCENDIF);
        } else {
            e.Emit(RCBELL);
        }
        e.Finish();
    } catch (const EParseError&) {
        e.Rollback();
        throw;
    }
    Expression = s;
}

} // namespace korvo
