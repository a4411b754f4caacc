// Breakpoint halts and forcing: the parts of the soft PLC that only cost when they are used.
#include "Sim_ag/Breakpoints.h"
#include "Sim_ag/SoftAG.h"

#include <algorithm>

namespace korvo {

// ---------------------------------------------------------------------------------------------
// Breakpoints

void TSoftAG::SetBreakpoints(const TBreakpoints* bp) {
    FBreakpoints = bp;
    FBreakMapValid = false;
}

void TSoftAG::RebuildBreakMap() {
    FBreakMap.clear();
    FBreakMapValid = true;
    FBreakRevision = FBreakpoints->Revision();
    const TProjectDesc* P = Data->ProjectDesc;
    if (!P)
        return;
    FBreakMap.resize(P->POUList.size());
    for (size_t i = 0; i < P->POUList.size(); ++i) {
        const TPOUDesc* pou = P->POUList[i].get();
        if (!pou || pou->Compiled)
            continue;
        const std::vector<int32_t> lines = FBreakpoints->Lines(pou->FileName);
        if (lines.empty())
            continue;
        FBreakMap[i].assign(size_t(lines.back()) + 1, 0);
        for (int32_t l : lines)
            FBreakMap[i][size_t(l)] = 1;
    }
}

// Whether the position is the first instruction of a breakpoint line of a user POU.
bool TSoftAG::AtBreakpoint() {
    if (FBreakpoints->Empty() || Data->Cycle != PROG)
        return false;
    if (!FBreakMapValid || FBreakRevision != FBreakpoints->Revision())
        RebuildBreakMap();
    const uint16_t lvl = Data->IPNum;
    if (lvl < 1 || lvl > MAX_CALLED_POU_COUNT)
        return false;
    const TRunLevel& L = FLevel[lvl];
    if (!L.POU || L.Library || L.Count == 0)
        return false;
    const int32_t pou = RunningPOU[lvl];
    if (pou < 0 || size_t(pou) >= FBreakMap.size())
        return false;
    const std::vector<uint8_t>& map = FBreakMap[size_t(pou)];
    const int32_t line = LevelLine();
    return line >= 0 && size_t(line) < map.size() && map[size_t(line)];
}

// ---------------------------------------------------------------------------------------------
// Forcing

namespace {

// Bytes a forced value of an elementary type covers; 0 for types that cannot be forced.
int ForceBytes(int32_t DataType) {
    const int32_t t = -DataType - 1;
    if (t < 0 || t >= IECTYPECOUNT)
        return 0;
    if (t == DT_BOOL)
        return 1;
    if (t <= DT_ULINT || t == DT_TIME) {
        const int32_t bits = IECTYPES[size_t(t)].DataSize;
        if (bits == 8 || bits == 16 || bits == 32 || bits == 64)
            return bits / 8;
        return 0;
    }
    return 0;
}

bool SameTarget(const TSoftAG::TForce& f, int32_t Adr, uint8_t Bit, int32_t DataType) {
    return f.Adr == Adr && f.DataType == DataType && (DataType != TR_BOOL || f.Bit == Bit);
}

} // namespace

void TSoftAG::RebuildForces() {
    FForceActive = !FForceList.empty();
    if (!FForceActive) {
        FForceMask.clear();
        FForceValue.clear();
        return;
    }
    FForceMask.assign(size_t(DMEMSIZE), 0);
    FForceValue.assign(size_t(DMEMSIZE), 0);
    for (const TForce& f : FForceList) {
        if (f.DataType == TR_BOOL) {
            const uint8_t m = uint8_t(1u << (f.Bit & 7));
            FForceMask[size_t(f.Adr)] |= m;
            FForceValue[size_t(f.Adr)] =
                uint8_t(f.Value & 1 ? FForceValue[size_t(f.Adr)] | m : FForceValue[size_t(f.Adr)] & ~m);
            continue;
        }
        const int n = ForceBytes(f.DataType);
        for (int i = 0; i < n; ++i) {
            FForceMask[size_t(f.Adr + i)] = 0xFF;
            FForceValue[size_t(f.Adr + i)] = uint8_t(uint64_t(f.Value) >> (8 * i));
        }
    }
}

std::string TSoftAG::Force(int32_t Adr, uint8_t Bit, int32_t DataType, int64_t Value) {
    const int n = ForceBytes(DataType);
    const int32_t t = -DataType - 1;
    const std::string typeName = t >= 0 && t < IECTYPECOUNT ? IECTYPES[size_t(t)].TypeName : "this";
    if (n == 0)
        return "A variable of type " + typeName + " cannot be forced";
    if (Adr < 0 || Adr + n > DMEMSIZE || Bit > 7)
        return "Address outside the data memory";
    if (DataType == TR_BOOL ? (Value != 0 && Value != 1) : (n < 8 && !CheckRange(Value, -DataType - 1)))
        return "Value out of range of type " + typeName;
    for (int32_t i = Adr; i < Adr + n && i < NUME; ++i)
        if (!FForceActive || !FForceMask[size_t(i)])
            FOutsideIn[size_t(i)] = Data->IBuf[size_t(i)];
    auto it = std::find_if(FForceList.begin(), FForceList.end(),
                           [&](const TForce& f) { return SameTarget(f, Adr, Bit, DataType); });
    const TForce entry{Adr, DataType == TR_BOOL ? Bit : uint8_t(0), DataType, Value};
    if (it != FForceList.end())
        *it = entry;
    else
        FForceList.push_back(entry);
    RebuildForces();
    TSoftAGData& D = *Data;
    for (int32_t i = Adr; i < Adr + n; ++i) {
        D.DMemory[size_t(i)] = ForcedByte(i, D.DMemory[size_t(i)]);
        if (i < NUME)
            D.IBuf[size_t(i)] = ForcedByte(i, D.IBuf[size_t(i)]);
        else if (i < NUME + NUMA)
            D.QBuf[size_t(i - NUME)] = ForcedByte(i, D.QBuf[size_t(i - NUME)]);
    }
    for (int32_t i = Adr; i < Adr + n; ++i)
        SendNotifyMemChange(i, 0, 8, 0);
    return {};
}

bool TSoftAG::ReleaseForce(int32_t Adr, uint8_t Bit, int32_t DataType) {
    auto it = std::find_if(FForceList.begin(), FForceList.end(),
                           [&](const TForce& f) { return SameTarget(f, Adr, Bit, DataType); });
    if (it == FForceList.end())
        return false;
    FForceList.erase(it);
    const std::vector<uint8_t> oldMask = FForceMask;
    RebuildForces();
    RestoreOutsideInputs(oldMask);
    SendNotifyMemChange(Adr, 0, 8, 0);
    return true;
}

void TSoftAG::ReleaseAllForces() {
    if (FForceList.empty())
        return;
    FForceList.clear();
    const std::vector<uint8_t> oldMask = FForceMask;
    RebuildForces();
    RestoreOutsideInputs(oldMask);
    SendNotifyMemChange(0, 0, 8, 0);
}

// Input bits no longer forced take the outside's value again (also the image when direct).
void TSoftAG::RestoreOutsideInputs(const std::vector<uint8_t>& oldMask) {
    if (oldMask.size() < size_t(NUME))
        return;
    TSoftAGData& D = *Data;
    for (int32_t i = 0; i < NUME; ++i) {
        const uint8_t newMask = FForceActive ? FForceMask[size_t(i)] : 0;
        const uint8_t freed = uint8_t(oldMask[size_t(i)] & ~newMask);
        if (!freed)
            continue;
        D.IBuf[size_t(i)] = uint8_t((D.IBuf[size_t(i)] & ~freed) | (FOutsideIn[size_t(i)] & freed));
        if (D.IDirect[size_t(i)])
            D.DMemory[size_t(i)] = D.IBuf[size_t(i)];
    }
}

const TSoftAG::TForce* TSoftAG::FindForce(int32_t Adr, uint8_t Bit, int32_t DataType) const {
    for (const TForce& f : FForceList)
        if (SameTarget(f, Adr, Bit, DataType))
            return &f;
    return nullptr;
}

bool TSoftAG::IsForcedRange(int32_t Adr, int32_t bytes) const {
    if (!FForceActive)
        return false;
    for (int32_t i = std::max(Adr, 0); i < Adr + bytes && i < DMEMSIZE; ++i)
        if (FForceMask[size_t(i)])
            return true;
    return false;
}

} // namespace korvo
