// korvo-cli run --break FILE:LINE and --force NAME=VALUE: breakpoints that stop the run with
// "break at <file> line <L> in cycle <K>", and forces applied before cycle 1.
#pragma once

#include "Sim_ag/Breakpoints.h"
#include "Sim_ag/SoftAG.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvo::cli {

class TDebugOptions {
public:
    // opt is "--break" or "--force" with its value; empty on success, else the usage error.
    std::string Add(const std::string& opt, const std::string& value);
    // After compiling: resolves the breakpoints against the sources (a line must hold an
    // instruction) and attaches them, resolves and applies the forces. Empty or the error.
    std::string Apply(TSoftAG& ag, const TProjectDesc& project);
    // After a cycle: when it halted at a breakpoint, prints the break line and returns true.
    bool ReportBreak(const TSoftAG& ag, const TProjectDesc& project, uint64_t cycle) const;

private:
    struct TBreak {
        std::string File;
        int32_t Line = 0; // from 1
    };
    struct TForceOpt {
        std::string Name, Value;
    };
    std::vector<TBreak> FBreaks;
    std::vector<TForceOpt> FForces;
    TBreakpoints FSet;
};

} // namespace korvo::cli
