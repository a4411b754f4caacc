// korvo-cli dump: compile the sources and list the bytecode and variables of every compiled
// POU of the project (with --all also the standard library's).
#include "Commands.h"
#include "Sources.h"

#include "PLCTypes/PLCTypes.h"

#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <string>

namespace korvo::cli {

namespace {

std::string TypeName(const TProjectDesc& p, int32_t type) {
    const TTypeDesc* td = GetTypeDesc(type, p.TypeList);
    return td ? td->TypeName : "?" + std::to_string(type);
}

std::string ModifierText(TModifiers m) {
    std::string s;
    if (m & MOD_N)
        s += 'N';
    if (m & MOD_B)
        s += 'B';
    if (m & MOD_C)
        s += 'C';
    return s.empty() ? "-" : s;
}

// IL name of a record: the instruction table row with the same code and modifiers.
std::string OperationName(const TAWLCommand& c) {
    switch (c.Op()) {
    case OP_PUSHFRAME:
        return "FRAME";
    case OP_POPFRAME:
        return "ENDFRAME";
    case OP_PUSHFB:
        return "FBFRAME";
    case OP_POPFB:
        return "ENDFBFRAME";
    case OP_CALLFUN:
        return "CALLFUN";
    case OP_CALLFB:
        return "CALFB";
    case OP_CONV:
        return "CONV";
    default:
        break;
    }
    if (c.MicroCmd == (uint16_t(OP_LD) | uint16_t(SRC_TICKS)))
        return "GET_TIME";
    TModifiers want = TModifiers(c.Modifiers & ~MOD_B);
    for (int r = 0; r < MAXAWLCOMMAND; ++r) {
        const TAWLCmdDesc& row = AWLCOMMANDS[size_t(r)];
        if (row.MicroCmd == c.Op() && TModifiers(row.Modifiers & ~MOD_B) == want &&
            std::strchr(row.Name, '(') == nullptr)
            return row.Name;
    }
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%X", c.Op());
    return buf;
}

std::string OperandText(const TProjectDesc& p, const TPOUDesc& pou, const TAWLCommand& c) {
    char buf[160];
    switch (c.Op()) {
    case OP_PUSHFRAME:
        std::snprintf(buf, sizeof buf, "size %" PRIu32, c.OpdLong);
        return buf;
    case OP_PUSHFB:
        std::snprintf(buf, sizeof buf, "offset %u size %u", c.OpdWord0, c.OpdWord1);
        return buf;
    case OP_CALLFUN:
    case OP_CALLFB: {
        std::string name = c.OpdWord0 < p.POUList.size() ? p.POUList[c.OpdWord0]->POUName : "?";
        std::snprintf(buf, sizeof buf, "POU %u %s", c.OpdWord0, name.c_str());
        return buf;
    }
    case OP_CONV:
        return TypeName(p, TypeRef(c.OpdWord0)) + " -> " + TypeName(p, TypeRef(c.OpdWord1));
    case OP_JMP:
        return "-> " + std::to_string(c.OpdWord0);
    case OP_POPFRAME:
    case OP_POPFB:
    case OP_RET:
    case OP_ABS:
    case OP_NOT:
    case OP_CLOSE:
        return "";
    default:
        break;
    }
    if (c.Modifiers & MOD_B)
        return "";
    switch (c.Source()) {
    case SRC_CONST: {
        TUS64 v{};
        if (c.OpdLong + 8 <= pou.ConstMem.size())
            std::memcpy(v.Bytes, pou.ConstMem.data() + c.OpdLong, 8);
        std::snprintf(buf, sizeof buf, "const[%" PRIu32 "] = %" PRId64 " : ", c.OpdLong, v.S64);
        return buf + TypeName(p, c.DataType);
    }
    case SRC_TICKS:
        return "clock : " + TypeName(p, c.DataType);
    default: {
        const TTypeDesc* td = GetTypeDesc(c.DataType, p.TypeList);
        if (td && td->DataSize == 1)
            std::snprintf(buf, sizeof buf, "frame %" PRId32 " byte %" PRId32 ".%u : ", c.MemBase, c.ByteAdr,
                          unsigned(c.BitAdr));
        else
            std::snprintf(buf, sizeof buf, "frame %" PRId32 " byte %" PRId32 " : ", c.MemBase, c.ByteAdr);
        return buf + TypeName(p, c.DataType);
    }
    }
}

const char* KindName(TPOUType t) {
    switch (t) {
    case PTPROGRAM:
        return "PROGRAM";
    case PTFUNCTION_BLOCK:
        return "FUNCTION_BLOCK";
    case PTFUNCTION:
        return "FUNCTION";
    default:
        return "UNKNOWN";
    }
}

const char* VarKindName(TVarType t) {
    switch (t) {
    case VTVAR:
        return "VAR";
    case VTVAR_INPUT:
        return "VAR_INPUT";
    case VTVAR_OUTPUT:
        return "VAR_OUTPUT";
    case VTVAR_IN_OUT:
        return "VAR_IN_OUT";
    case VTVAR_EXTERNAL:
        return "VAR_EXTERNAL";
    case VTVAR_GLOBAL:
        return "VAR_GLOBAL";
    default:
        return "VAR_ACCESS";
    }
}

void DumpPOU(const TProjectDesc& p, size_t index) {
    const TPOUDesc& pou = *p.POUList[index];
    std::printf("POU %zu %s %s", index, KindName(pou.POUType), pou.POUName.c_str());
    if (!pou.FileName.empty()) {
        std::string file = pou.FileName;
        size_t slash = file.find_last_of("/\\");
        std::printf(" (%s)", slash == std::string::npos ? file.c_str() : file.c_str() + slash + 1);
    }
    std::printf("\n  frame %" PRId32 " bytes, constants %" PRId32 " bytes, %u instructions\n",
                pou.LocalMemSize, pou.ConstMemSize, unsigned(pou.CmdCount));
    if (pou.POUType == PTFUNCTION)
        std::printf("  returns %s at byte %" PRId32 "\n", TypeName(p, pou.ReturnType).c_str(), pou.ReturnAdr);
    std::printf("  variables:\n");
    for (const auto& v : pou.VarList) {
        std::string adr = std::to_string(v->MemAdr);
        if (v->DataSize == 1)
            adr += "." + std::to_string(v->BitAdr);
        std::printf("    %-20s %-12s %-16s byte %-8s size %" PRId32 " bits\n", v->VarName.c_str(),
                    VarKindName(v->VarType), TypeName(p, v->DataType).c_str(), adr.c_str(), v->DataSize);
    }
    std::printf("  code:\n");
    for (size_t i = 0; i < pou.CmdCount; ++i) {
        const TAWLCommand& c = pou.Code[i];
        char head[64];
        std::snprintf(head, sizeof head, "    %5zu  line %-5" PRId64 " ", i, int64_t(c.SourceLine) + 1);
        char ops[32];
        std::snprintf(ops, sizeof ops, "%-10s %-3s ", OperationName(c).c_str(),
                      ModifierText(c.Modifiers).c_str());
        std::string text = std::string(head) + ops + OperandText(p, pou, c);
        while (!text.empty() && text.back() == ' ')
            text.pop_back();
        std::printf("%s\n", text.c_str());
    }
}

} // namespace

int DumpCommand(const std::vector<std::string>& argsIn) {
    std::vector<std::string> args;
    std::string stdlib, error;
    bool all = false;
    for (const std::string& a : argsIn)
        if (a == "--all")
            all = true;
        else
            args.push_back(a);
    if (!TakeStdlibOption(args, stdlib, error)) {
        std::fprintf(stderr, "korvo-cli dump: %s\n", error.c_str());
        return 3;
    }
    for (const std::string& a : args)
        if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "korvo-cli dump: unknown option '%s'\n", a.c_str());
            return 3;
        }
    if (args.empty()) {
        std::fprintf(stderr, "usage: korvo-cli dump [--stdlib FILE] [--all] SOURCES...\n");
        return 3;
    }
    TProjectDesc project;
    if (!LoadSources(args, stdlib, project, error)) {
        std::fprintf(stderr, "korvo-cli dump: %s\n", error.c_str());
        return 3;
    }
    if (!CompileProject(project, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    bool first = true;
    for (size_t i = 0; i < project.POUList.size(); ++i) {
        const TPOUDesc& pou = *project.POUList[i];
        bool compiled = int32_t(i) == project.MainPOU || pou.FBCompiled;
        if (!compiled || (pou.Compiled && !all))
            continue;
        if (!first)
            std::printf("\n");
        first = false;
        DumpPOU(project, i);
    }
    return 0;
}

} // namespace korvo::cli
