// Soft PLC state: creation, memory and buffer access, reset, mode and connector delivery.
#include "Sim_ag/RuntimeMessages.h"
#include "Sim_ag/SoftAG.h"

#include <algorithm>

namespace korvo {

namespace {
void CheckIndex(int32_t Index) {
    if (Index < 0 || Index >= DMEMSIZE)
        throw ERuntimeError(rtmsg::MemoryOutOfRange);
}
void CheckSwitch(int32_t Index) {
    if (Index < 0 || Index >= NUME)
        throw ERuntimeError(rtmsg::MemoryOutOfRange);
}
} // namespace

TSoftAG::TSoftAG(ITickSource& ticks) : Data(std::make_unique<TSoftAGData>()), FTicks(&ticks) {
    Data->CR.resize(2);
    Data->CR[1] = std::make_unique<TCR>();
    Data->CRNum = 1;
    Data->CRSize = 4;
}

TSoftAG::~TSoftAG() = default;

// ---------------------------------------------------------------------------------------------
// Memory

uint8_t TSoftAG::GetMemory(int32_t Index) const {
    CheckIndex(Index);
    return Data->DMemory[size_t(Index)];
}

TUS64 TSoftAG::GetMemory64(int32_t Index) const {
    CheckIndex(Index);
    TUS64 v{};
    for (int32_t i = 0; i < 8 && Index + i < DMEMSIZE; ++i)
        v.Bytes[i] = Data->DMemory[size_t(Index + i)];
    return v;
}

uint8_t TSoftAG::GetMemory_IQBuf(int32_t Index) const {
    CheckIndex(Index);
    if (Index < NUME)
        return Data->IBuf[size_t(Index)];
    if (Index < NUME + NUMA)
        return Data->QBuf[size_t(Index - NUME)];
    return Data->DMemory[size_t(Index)];
}

TUS64 TSoftAG::GetMemory_IQBuf64(int32_t Index) const {
    CheckIndex(Index);
    TUS64 v{};
    if (Index >= NUME + NUMA)
        return GetMemory64(Index);
    // The four outside arrays read as one run: IBuf, QBuf, IDirect, QDirect.
    for (int32_t i = 0; i < 8; ++i) {
        int32_t p = Index + i;
        const auto& area = p < 16 ? Data->IBuf : p < 32 ? Data->QBuf : p < 48 ? Data->IDirect : Data->QDirect;
        v.Bytes[i] = area[size_t(p % 16)];
    }
    return v;
}

void TSoftAG::SetMemory(int32_t Index, uint8_t AValue) {
    CheckIndex(Index);
    StoreByte(Index, AValue);
}

void TSoftAG::SetMemory_IQBuf(int32_t Index, uint8_t AValue) {
    CheckIndex(Index);
    TSoftAGData& D = *Data;
    if (FForceActive) {
        if (Index < NUME && FForceMask[size_t(Index)])
            FOutsideIn[size_t(Index)] = AValue;
        AValue = ForcedByte(Index, AValue);
    }
    if (Index < NUME) {
        if (D.IBuf[size_t(Index)] == AValue)
            return;
        D.IBuf[size_t(Index)] = AValue;
        if (D.IDirect[size_t(Index)])
            D.DMemory[size_t(Index)] = AValue;
    } else if (Index < NUME + NUMA) {
        size_t q = size_t(Index - NUME);
        if (D.QBuf[q] == AValue)
            return;
        D.QBuf[q] = AValue;
        if (D.QDirect[q])
            D.DMemory[size_t(Index)] = AValue;
    } else {
        if (D.DMemory[size_t(Index)] == AValue)
            return;
        D.DMemory[size_t(Index)] = AValue;
    }
    SendNotifyMemChange(Index, 0, 8, 0);
}

void TSoftAG::SetIDirect(int32_t Index, uint8_t AValue) {
    CheckSwitch(Index);
    Data->IDirect[size_t(Index)] = AValue;
}

void TSoftAG::SetQDirect(int32_t Index, uint8_t AValue) {
    CheckSwitch(Index);
    Data->QDirect[size_t(Index)] = AValue;
}

// ---------------------------------------------------------------------------------------------
// Position

int32_t TSoftAG::GetSourcePOU() const {
    if (RunningPOUNum > MAX_CALLED_POU_COUNT)
        return -1;
    return RunningPOU[RunningPOUNum];
}

int32_t TSoftAG::GetSourceLine() const {
    const TProjectDesc* P = Data->ProjectDesc;
    switch (Data->Cycle) {
    case DATAREAD:
        return P ? P->MainPOUStartLine : -1;
    case DATAWRITE:
        return P ? P->MainPOUEndLine : -1;
    case PROG:
        break;
    }
    if (Data->IPNum < 1 || Data->IPNum > MAX_CALLED_POU_COUNT)
        return -1;
    return LevelLine();
}

void TSoftAG::EnterLevel(uint16_t level, int32_t pouIndex) {
    TRunLevel& L = FLevel[level];
    const TProjectDesc* P = Data->ProjectDesc;
    RunningPOU[level] = pouIndex;
    if (!P || pouIndex < 0 || size_t(pouIndex) >= P->POUList.size() || !P->POUList[size_t(pouIndex)]) {
        L = TRunLevel{};
        return;
    }
    const TPOUDesc& pou = *P->POUList[size_t(pouIndex)];
    L.POU = &pou;
    L.Code = pou.Code.data();
    L.Count = std::min<uint32_t>(pou.CmdCount, uint32_t(pou.Code.size()));
    L.Const = pou.ConstMem.data();
    L.ConstSize = uint32_t(std::min<size_t>(size_t(std::max(pou.ConstMemSize, 0)), pou.ConstMem.size()));
    L.IsFB = pou.POUType == PTFUNCTION_BLOCK;
    L.Library = pou.Compiled;
}

// ---------------------------------------------------------------------------------------------
// Mode, reset

void TSoftAG::SetMode(TMode AValue) {
    if (AValue == FMode)
        return;
    FMode = AValue;
    if (!FConnectors.empty())
        Deliver(&ISoftAGConnector::NotifyModeChange);
}

void TSoftAG::Reset() {
    SetMode(MM_OFF);
    ReleaseAllForces();
    FBreakMapValid = false;
    FBreakHit = false;
    TSoftAGData& D = *Data;
    D.Cycle = DATAREAD;
    if (D.IPNum <= MAX_CALLED_POU_COUNT)
        D.IP[D.IPNum] = 0;
    D.DMemory.fill(0);
    D.QBuf.fill(0);
    D.IDirect.fill(0);
    D.QDirect.fill(0);
    D.CR.resize(2);
    D.CRNum = 1;
    D.CRSize = 4;
    D.CRActions.clear();
    D.CRActionsSize = 0;
    RunningPOUNum = 1;
    for (auto& level : FLevel) // the code may have been recompiled: drop every cached level
        level = TRunLevel{};
    EnterLevel(1, D.ProjectDesc ? D.ProjectDesc->MainPOU : -1);
    FCycleCmds = 0;
    if (!FConnectors.empty())
        Deliver(&ISoftAGConnector::NotifyCodeChange);
    SendNotifyPOUChange();
    MemBasesNum = 0;
    MemBases[0].Base = 0;
    FFrameTop[0] = MemBases[0].Base + MemBases[0].Size;
}

void TSoftAG::ResetAll() {
    Reset();
    Data->IBuf.fill(0);
}

// ---------------------------------------------------------------------------------------------
// Connectors. Delivery takes the count at its start; a connector removed mid-delivery is nulled
// (never called again) and the list is compacted when the outermost delivery ends.

void TSoftAG::AddConnector(ISoftAGConnector* Conn) {
    if (Conn)
        FConnectors.push_back(Conn);
}

void TSoftAG::RemoveConnector(ISoftAGConnector* Conn) {
    auto it = std::find(FConnectors.begin(), FConnectors.end(), Conn);
    if (it == FConnectors.end() || !Conn)
        return;
    if (FDeliveryDepth > 0) {
        *it = nullptr;
        FConnectorsDirty = true;
    } else {
        FConnectors.erase(it);
    }
}

size_t TSoftAG::ConnectorCount() const {
    return size_t(
        std::count_if(FConnectors.begin(), FConnectors.end(), [](auto* c) { return c != nullptr; }));
}

void TSoftAG::EndDelivery() {
    if (--FDeliveryDepth == 0 && FConnectorsDirty) {
        FConnectors.erase(std::remove(FConnectors.begin(), FConnectors.end(), nullptr), FConnectors.end());
        FConnectorsDirty = false;
    }
}

// Keeps the delivery depth right when a connector throws.
struct TSoftAG::TDeliveryScope {
    TSoftAG& AG;
    explicit TDeliveryScope(TSoftAG& ag) : AG(ag) { ++AG.FDeliveryDepth; }
    ~TDeliveryScope() { AG.EndDelivery(); }
};

// The list only grows during a delivery (removal nulls), so indexes below the starting count stay valid.
void TSoftAG::Deliver(void (ISoftAGConnector::*fn)()) {
    TDeliveryScope scope(*this);
    const size_t n = FConnectors.size();
    for (size_t i = 0; i < n; ++i)
        if (ISoftAGConnector* c = FConnectors[i])
            (c->*fn)();
}

void TSoftAG::DeliverCRChange() {
    TDeliveryScope scope(*this);
    const size_t n = FConnectors.size();
    for (size_t i = 0; i < n; ++i)
        if (ISoftAGConnector* c = FConnectors[i])
            c->NotifyCRChange();
}

void TSoftAG::DeliverMemChange(int32_t Ofs, int32_t Bit, int32_t Len, int32_t Value) {
    TDeliveryScope scope(*this);
    const size_t n = FConnectors.size();
    for (size_t i = 0; i < n; ++i)
        if (ISoftAGConnector* c = FConnectors[i])
            c->NotifyMemChange(Ofs, Bit, Len, Value);
}

void TSoftAG::DeliverStep(TCycle was) {
    TDeliveryScope scope(*this);
    const size_t n = FConnectors.size();
    for (size_t i = 0; i < n; ++i)
        if (ISoftAGConnector* c = FConnectors[i])
            c->NotifyStep(was);
}

} // namespace korvo
