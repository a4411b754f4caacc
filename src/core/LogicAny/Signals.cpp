// Logic analyzer signal list.
#include "LogicAny/Signals.h"

#include "LogicAny/AnalyzerBuffer.h"

namespace korvo {

namespace {

constexpr int32_t DATA_MEMORY_SIZE = 2001;
constexpr int MAX_NESTING = 16; // guards against a cyclic instance chain in a broken project

bool IsInterfaceVar(const TVarDesc& v) {
    return v.VarType == VTVAR_INPUT || v.VarType == VTVAR_OUTPUT || v.VarType == VTVAR_IN_OUT;
}

void AddSignals(const TProjectDesc& project, const TPOUDesc& pou, const std::string& base, int32_t memOfs,
                TSignalList& list, int depth) {
    if (depth > MAX_NESTING)
        return;
    for (const auto& vp : pou.VarList) {
        if (list.Count() >= LA_MAX_SIGNALS)
            return;
        const TVarDesc& v = *vp;
        if (v.MemAdr < 0)
            continue;
        const int32_t adr = memOfs + v.MemAdr;
        if (v.DataType == TR_BOOL) {
            if (adr >= DATA_MEMORY_SIZE || v.BitAdr > 7)
                continue;
            list.Signals.push_back({adr, v.BitAdr});
            list.Entries.push_back({base + v.VarName, !pou.Compiled || IsInterfaceVar(v)});
        } else if (v.DataType >= 0) {
            if (pou.Compiled && !IsInterfaceVar(v))
                continue;
            const TTypeDesc* type = GetTypeDesc(v.DataType, project.TypeList);
            if (!type || type->FB < 0 || size_t(type->FB) >= project.POUList.size())
                continue;
            AddSignals(project, *project.POUList[size_t(type->FB)], base + v.VarName + ".", adr, list,
                       depth + 1);
        }
    }
}

} // namespace

void AddSignalsFromPOU(const TProjectDesc& project, const TPOUDesc& APOU, const std::string& ABaseName,
                       int32_t AMemOfs, TSignalList& list) {
    AddSignals(project, APOU, ABaseName, AMemOfs, list, 0);
}

TSignalList BuildSignalList(const TProjectDesc& project) {
    TSignalList list;
    if (project.MainPOU >= 0 && size_t(project.MainPOU) < project.POUList.size())
        AddSignalsFromPOU(project, *project.POUList[size_t(project.MainPOU)], "", 0, list);
    return list;
}

} // namespace korvo
