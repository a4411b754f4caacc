// Instruction part of a POU: instruction lines with operands and "(", ")" lines, type
// conversions, GET_TIME, function block and function calls, labels, END lines and the
// resolution of forward jumps.
#include "Compiler/POUCompiler.h"

#include "Compiler/Literals.h"
#include "Compiler/Scanner.h"

#include <algorithm>

namespace korvo {

TAWLCommand& TPOUCompiler::NewCmd(size_t n) {
    if (n >= MAXPOUCOMMANDS)
        C.Fail(msg::TooManyCommands);
    TAWLCommand& cmd = POU.CodeAt(n);
    cmd = TAWLCommand{};
    cmd.SourceLine = C.ALINDEX;
    return cmd;
}

void TPOUCompiler::InstructionPart(const std::string& s1, int kw, std::string& line) {
    if (kw > 0) {
        const TKeyword& k = KEYWORDS[size_t(kw)];
        if (k.Group == KG_ENDPROGFB) {
            EndLine(k, line);
        } else if (k.Group == KG_AWLCMD) {
            InstructionLine(k, line);
        } else if (k.Group == KG_PREDEF_FUNCS) { // GET_TIME
            ExpectEndOfLine(C, line);
            TAWLCommand& cmd = NewCmd(POU.CmdCount);
            cmd.MicroCmd = uint16_t(uint16_t(OP_LD) | uint16_t(SRC_TICKS));
            cmd.DataType = TR_TIME;
            ++POU.CmdCount;
        }
        return; // other keywords: the line is skipped
    }
    if (s1 == ")") {
        ExpectEndOfLine(C, line);
        NewCmd(POU.CmdCount).MicroCmd = OP_CLOSE;
        ++POU.CmdCount;
        return;
    }
    int32_t inType, outType;
    if (IsTypeConvFunc(s1, inType, outType)) {
        ExpectEndOfLine(C, line);
        TAWLCommand& cmd = NewCmd(POU.CmdCount);
        cmd.MicroCmd = OP_CONV;
        cmd.OpdWord0 = uint16_t(inType);
        cmd.OpdWord1 = uint16_t(outType);
        ++POU.CmdCount;
        return;
    }
    if (!s1.empty())
        for (size_t i = 0; i < Project.POUList.size(); ++i)
            if (SameText(Project.POUList[i]->POUName, s1)) {
                FunctionCall(int32_t(i), line);
                return;
            }
    LabelLine(s1, line);
}

void TPOUCompiler::EndLine(const TKeyword& k, std::string& line) {
    switch (k.ID) {
    case KW_END_PROGRAM:
        if (POU.POUType != PTPROGRAM)
            C.Fail(msg::OnlyInProgram);
        Project.MainPOUEndLine = C.ALINDEX;
        break;
    case KW_END_FUNCTION_BLOCK: {
        if (POU.POUType != PTFUNCTION_BLOCK)
            C.Fail(msg::OnlyInFunctionBlock);
        TTypeDesc* type = nullptr;
        for (auto& t : Project.TypeList)
            if (SameText(t->TypeName, POU.POUName)) {
                type = t.get();
                break;
            }
        if (!type)
            C.Fail("FUNCTION_BLOCK-type not registered");
        type->DataSize = POU.LocalMemSize * 8;
        type->Initial.assign(size_t(std::max(POU.LocalMemSize, 8)), 0);
        POU.FBCompiled = true;
        break;
    }
    default: // END_FUNCTION
        if (POU.POUType != PTFUNCTION)
            C.Fail(msg::OnlyInFunction);
        POU.FBCompiled = true;
        break;
    }
    ExpectEndOfLine(C, line);
    Context = CTROOT;
}

const TVarDesc* TPOUCompiler::FindVar(const TPOUDesc& pou, std::string_view name) {
    // Only called in the instruction part, when the variable lists no longer change.
    auto [it, fresh] = VarIndex.try_emplace(&pou);
    if (fresh)
        for (const auto& v : pou.VarList)
            it->second.emplace(v->VarName, v.get());
    auto found = it->second.find(UpperCase(name));
    return found == it->second.end() ? nullptr : found->second;
}

const TLabelDesc* TPOUCompiler::FindLabel(std::string_view name) const {
    auto it = LabelIndex.find(UpperCase(name));
    return it == LabelIndex.end() ? nullptr : POU.Labels[it->second].get();
}

void TPOUCompiler::ReadOperand(const std::string& text, std::string& line, TOpdTypes allowed, TOperand& opd) {
    auto add = [&](TOpdType kind) {
        opd.kinds |= OpdBit(kind);
        ++opd.count;
        opd.last = kind;
    };
    const TVarDesc* v = FindVar(POU, text);
    const TTypeDesc* td = v ? GetTypeDesc(v->DataType, Project.TypeList) : nullptr;
    const TPOUDesc* fb = nullptr;
    if (td && td->DT_Type == TDT_Type::STRUCT && td->FB >= 0 && size_t(td->FB) < Project.POUList.size())
        fb = Project.POUList[size_t(td->FB)].get();

    if ((allowed & OpdBit(OTFBINSTNAME)) && v && v->DataType >= 0 && fb) {
        opd.var = v;
        add(OTFBINSTNAME);
    }
    if (allowed & OpdBit(OTLABEL))
        add(OTLABEL);
    if ((allowed & OpdBit(OTLITERAL)) && GetLiteralValue(text, opd.literalType, opd.literal))
        add(OTLITERAL);
    if ((allowed & OpdBit(OTVAR)) && td) {
        if (td->DT_Type == TDT_Type::NUMERIC) {
            opd.var = v;
            add(OTVAR);
        } else if (fb) {
            if (GetNextElement(C, line) != ".")
                C.Fail("'.' expected");
            const TVarDesc* m = FindVar(*fb, GetNextElement(C, line));
            if (m &&
                (m->VarType == VTVAR_INPUT || m->VarType == VTVAR_OUTPUT || m->VarType == VTVAR_IN_OUT)) {
                opd.var = v;
                opd.member = m;
                add(OTVAR);
            }
        }
    }
}

void TPOUCompiler::FillOperand(TAWLCommand& cmd, const TOperand& opd) {
    if (opd.last == OTLITERAL) {
        cmd.MicroCmd |= SRC_CONST;
        cmd.OpdLong = uint32_t(POU.AddConst(opd.literal));
        cmd.DataType = opd.literalType;
    } else if (opd.member) {
        cmd.ByteAdr = opd.var->MemAdr + opd.member->MemAdr;
        cmd.BitAdr = 0;
        cmd.DataType = opd.member->DataType;
    } else {
        cmd.ByteAdr = opd.var->MemAdr;
        cmd.BitAdr = opd.var->BitAdr;
        cmd.DataType = opd.var->DataType;
    }
}

void TPOUCompiler::InstructionLine(const TKeyword& k, std::string& line) {
    const TAWLCmdDesc& row = AWLCOMMANDS[k.GroupID];
    const size_t n = POU.CmdCount;
    {
        TAWLCommand& cmd = NewCmd(n);
        cmd.MicroCmd = row.MicroCmd;
        cmd.Modifiers = row.Modifiers;
    }
    size_t target = n;
    std::string e = GetNextElement(C, line);
    if (e == "(") {
        if (!(row.Modifiers & MOD_B))
            C.Fail(std::string("Modifier \"(\" not allowed with ") + k.Name);
        ++POU.CmdCount;
        target = n + 1;
        NewCmd(target).MicroCmd = OP_LD;
    } else {
        if (!e.empty())
            C.Fail(msg::UnknownIdentifier);
        POU.Code[n].Modifiers &= TModifiers(~MOD_B);
    }

    for (int o = 0; o < row.OpdNum; ++o) {
        SkipWhitespace(C, line);
        if (line.empty())
            C.Fail("Operand expected");
        std::string text = GetNextElementX(C, line, "#+-");
        TOperand opd;
        ReadOperand(text, line, row.OpdTypes[1], opd);
        if (opd.count == 0)
            C.Fail(msg::UnknownIdentifier);
        if (opd.count > 1)
            C.Fail("Meaning not clear");
        switch (opd.last) {
        case OTFBINSTNAME: {
            const TTypeDesc& type = *Project.TypeList[size_t(opd.var->DataType)];
            const TPOUDesc& fb = *Project.POUList[size_t(type.FB)];
            TAWLCommand& push = POU.Code[n];
            push.MicroCmd = OP_PUSHFB;
            push.Modifiers = 0;
            push.MemBase = -1;
            push.OpdWord0 = uint16_t(opd.var->MemAdr);
            push.OpdWord1 = uint16_t(fb.LocalMemSize);
            ++POU.CmdCount;
            TAWLCommand& call = NewCmd(POU.CmdCount);
            call.MicroCmd = OP_CALLFB;
            call.Modifiers = row.Modifiers;
            call.OpdWord0 = uint16_t(type.FB);
            ++POU.CmdCount;
            TAWLCommand& pop = NewCmd(POU.CmdCount);
            pop.MicroCmd = OP_POPFB;
            pop.MemBase = -1;
            break;
        }
        case OTLABEL: {
            const TLabelDesc* label = FindLabel(text);
            if (label)
                POU.Code[target].OpdWord0 = label->CmdNo;
            else
                Pending.push_back({uint16_t(target), text, C.ALINDEX, C.ACHINDEX});
            break;
        }
        default:
            FillOperand(POU.Code[target], opd);
            break;
        }
    }
    ExpectEndOfLine(C, line);
    ++POU.CmdCount;
}

void TPOUCompiler::FunctionCall(int32_t fIndex, std::string& line) {
    const TPOUDesc& F = *Project.POUList[size_t(fIndex)];
    if (F.POUType == PTFUNCTION_BLOCK)
        C.Fail(msg::CallOfFunctionBlock);
    if (F.POUType != PTFUNCTION)
        C.Fail(msg::CallOfProgram);
    for (int32_t active : C.ActivePOUs)
        if (active == fIndex)
            C.Fail(msg::RecursiveCall);
    if (!F.FBCompiled)
        CompileOnDemand(fIndex, true);

    TAWLCommand& frame = NewCmd(POU.CmdCount);
    frame.MicroCmd = OP_PUSHFRAME;
    frame.MemBase = -1;
    frame.OpdLong = uint32_t(F.LocalMemSize);
    ++POU.CmdCount;

    std::vector<size_t> inputs; // indexes of F's VAR_INPUT variables in VarList
    for (size_t i = 0; i < F.VarList.size(); ++i)
        if (F.VarList[i]->VarType == VTVAR_INPUT)
            inputs.push_back(i);
    if (inputs.empty())
        C.Fail(msg::UnknownIdentifier);
    auto store = [&](const TVarDesc& v) {
        TAWLCommand& st = NewCmd(POU.CmdCount);
        st.MicroCmd = OP_ST;
        st.ByteAdr = v.MemAdr;
        st.DataType = v.DataType;
        ++POU.CmdCount;
    };
    store(*F.VarList[inputs[0]]);

    SkipWhitespace(C, line);
    for (size_t j = 1; !line.empty(); ++j) {
        NewCmd(POU.CmdCount).MicroCmd = OP_LD;
        std::string text = GetNextElementX(C, line, "#");
        TOperand opd;
        ReadOperand(text, line, OpdBit(OTLITERAL) | OpdBit(OTVAR), opd);
        if (POU.POUType == PTFUNCTION && SameText(text, POU.POUName)) {
            ++opd.count; // its own name is also its return value
            opd.last = OTFRETURN;
        }
        if (opd.count == 0)
            C.Fail(msg::UnknownIdentifier);
        if (opd.count > 1)
            C.Fail("Meaning not clear");
        TAWLCommand& ld = POU.Code[POU.CmdCount];
        ld.MemBase = 1;
        FillOperand(ld, opd);
        ++POU.CmdCount;

        size_t next = j - 1 < inputs.size() ? inputs[j - 1] + 1 : F.VarList.size();
        if (next >= F.VarList.size() || F.VarList[next]->VarType != VTVAR_INPUT)
            C.Fail(msg::UnknownIdentifier);
        store(*F.VarList[next]);

        SkipWhitespace(C, line);
        std::string sep = GetNextElement(C, line);
        SkipWhitespace(C, line);
        if (sep != "," && !(sep.empty() && line.empty()))
            C.Fail("',' expected");
    }

    NewCmd(POU.CmdCount).MicroCmd = OP_CALLFUN;
    POU.Code[POU.CmdCount].OpdWord0 = uint16_t(fIndex);
    ++POU.CmdCount;
    TAWLCommand& result = NewCmd(POU.CmdCount);
    result.MicroCmd = OP_LD;
    result.ByteAdr = F.ReturnAdr;
    result.DataType = F.ReturnType;
    ++POU.CmdCount;
    TAWLCommand& pop = NewCmd(POU.CmdCount);
    pop.MicroCmd = OP_POPFRAME;
    pop.MemBase = -1;
    ++POU.CmdCount;
}

void TPOUCompiler::LabelLine(const std::string& s1, std::string& line) {
    if (!IsIdent(C, s1))
        C.Fail(msg::InvalidIdentifier);
    SkipWhitespace(C, line);
    if (GetNextElement(C, line) != ":")
        C.Fail(msg::ColonExpected);
    auto label = std::make_unique<TLabelDesc>();
    label->LabelName = s1;
    label->CmdNo = POU.CmdCount;
    LabelIndex.emplace(UpperCase(s1), POU.Labels.size());
    POU.Labels.push_back(std::move(label));

    // "loop: LD x": the instruction after the label is compiled as a line of its own.
    SkipBlanksAndComment(C, line);
    if (line.empty())
        return;
    std::string next = GetNextElement(C, line);
    int kw = FindKeyword(next);
    if (kw > 0 && !KEYWORDS[size_t(kw)].Supported)
        C.Fail(msg::KeywordNotSupported);
    InstructionPart(next, kw, line);
}

void TPOUCompiler::ResolveJumps() {
    for (const TPendingJump& p : Pending) {
        const TLabelDesc* label = FindLabel(p.LabelName);
        if (!label) {
            C.APOUINDEX = POUIndex;
            C.ALINDEX = p.Line;
            C.ACHINDEX = p.Column;
            C.Fail("Unknown label");
        }
        POU.Code[p.CmdNo].OpdWord0 = label->CmdNo;
        POU.Code[p.CmdNo].OpdWord1 = 0;
    }
    Pending.clear();
}

} // namespace korvo
