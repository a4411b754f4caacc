// Logic analyzer signal list: the BOOL variables of the main program and, depth first, of its
// function block instances, with absolute data memory addresses and dotted names.
#pragma once

#include "PLCTypes/PLCTypes.h"

#include <string>
#include <vector>

namespace korvo {

struct TSignalInfo {
    int32_t MemAdr = 0; // absolute byte address in the data memory
    uint8_t BitAdr = 0;
};

struct TSignalEntry {
    std::string Name;   // dotted instance path + variable name
    bool Ticked = true; // ticked entries are drawn; all are recorded
};

struct TSignalList {
    std::vector<TSignalInfo> Signals;
    std::vector<TSignalEntry> Entries; // parallel to Signals

    int Count() const { return int(Signals.size()); }
    void Clear() {
        Signals.clear();
        Entries.clear();
    }
};

// Appends the BOOL variables of APOU (and of its instances) until LA_MAX_SIGNALS exist. Inside a
// standard library POU only VAR_INPUT/VAR_OUTPUT/VAR_IN_OUT BOOLs start ticked and only such
// instances are entered. Variables without a valid address are skipped.
void AddSignalsFromPOU(const TProjectDesc& project, const TPOUDesc& APOU, const std::string& ABaseName,
                       int32_t AMemOfs, TSignalList& list);

// The signals of the project's main POU; empty when there is none.
TSignalList BuildSignalList(const TProjectDesc& project);

} // namespace korvo
