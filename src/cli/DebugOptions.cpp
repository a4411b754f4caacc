#include "DebugOptions.h"

#include "Sim_ag/ForceTarget.h"

#include <cstdio>

namespace korvo::cli {

namespace {

std::string BaseNameOf(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace

std::string TDebugOptions::Add(const std::string& opt, const std::string& value) {
    if (opt == "--break") {
        const size_t colon = value.rfind(':');
        const std::string line = colon == std::string::npos ? "" : value.substr(colon + 1);
        if (colon == 0 || line.empty() || line.size() > 9 ||
            line.find_first_not_of("0123456789") != std::string::npos || std::stol(line) < 1)
            return "expected FILE:LINE with LINE from 1, got '" + value + "'";
        FBreaks.push_back(TBreak{value.substr(0, colon), int32_t(std::stol(line))});
        return {};
    }
    const size_t eq = value.find('=');
    if (eq == std::string::npos || eq == 0 || eq + 1 == value.size())
        return "expected NAME=VALUE, got '" + value + "'";
    FForces.push_back(TForceOpt{value.substr(0, eq), value.substr(eq + 1)});
    return {};
}

std::string TDebugOptions::Apply(TSoftAG& ag, const TProjectDesc& project) {
    for (const TBreak& b : FBreaks) {
        // The file as given, else the user source with that file name.
        std::string file;
        for (const auto& pou : project.POUList)
            if (pou && !pou->Compiled && pou->FileName == b.File)
                file = pou->FileName;
        if (file.empty())
            for (const auto& pou : project.POUList)
                if (pou && !pou->Compiled && BaseNameOf(pou->FileName) == BaseNameOf(b.File))
                    file = pou->FileName;
        if (file.empty())
            return "--break: no source file '" + b.File + "'";
        if (!LineHoldsCode(project, file, b.Line - 1))
            return "--break: line " + std::to_string(b.Line) + " of " + b.File + " holds no instruction";
        FSet.Set(file, b.Line - 1);
    }
    if (!FSet.Empty())
        ag.SetBreakpoints(&FSet);
    for (const TForceOpt& f : FForces) {
        TForceTarget t;
        std::string error;
        int64_t v = 0;
        if (!ResolveForceTarget(project, f.Name, t, error) || !ParseForceValue(t.DataType, f.Value, v, error))
            return "--force " + f.Name + ": " + error;
        if (std::string e = ag.Force(t.Adr, t.Bit, t.DataType, v); !e.empty())
            return "--force " + f.Name + ": " + e;
    }
    return {};
}

bool TDebugOptions::ReportBreak(const TSoftAG& ag, const TProjectDesc& project, uint64_t cycle) const {
    if (!ag.BreakHit())
        return false;
    const int32_t pou = ag.GetSourcePOU();
    std::string file = "?";
    if (pou >= 0 && size_t(pou) < project.POUList.size() && project.POUList[size_t(pou)])
        file = BaseNameOf(project.POUList[size_t(pou)]->FileName);
    std::printf("break at %s line %d in cycle %llu\n", file.c_str(), ag.GetSourceLine() + 1,
                (unsigned long long)cycle);
    return true;
}

} // namespace korvo::cli
