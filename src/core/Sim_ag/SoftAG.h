// The soft PLC: data memory with the process images, the CR stack, call levels and memory frames,
// connectors (observers), instruction execution (ClockCmd) and run control (Clock, Cycle, stepping).
// Single-threaded; notifications are synchronous and may nest.
#pragma once

#include "PLCTypes/PLCTypes.h"
#include "Sim_ag/TickSource.h"

#include <array>
#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvo {

class TBreakpoints;

constexpr int MAX_CALLED_POU_COUNT = 10;  // call levels 1..10
constexpr int MAX_MEMBASES = 10;          // memory frames 0..10
constexpr uint16_t SIZEOFCR = 12;         // allocated size of one CR entry
constexpr uint16_t MAX_CR_LEVELS = 16383; // CRSize (4 bytes per entry) must fit 16 bits
constexpr uint32_t TIME_OF_DAY_MS = 86400000;

enum TMode : uint8_t { MM_OFF = 0, MM_RUN = 1, MM_STEP = 2 };
enum TCycle : uint8_t { DATAREAD = 0, PROG = 1, DATAWRITE = 2 };

// A runtime error of the running program; carries only its message.
class ERuntimeError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// One CR stack entry. Size is the logical allocation (SIZEOFCR); the value is the 64-bit Data.
struct TCR {
    uint16_t Size = SIZEOFCR;
    int16_t DataType = TR_CR_EMPTY; // type reference; -1001 = empty
    TUS64 Data{};
};

struct TSoftAGData {
    TCycle Cycle = DATAREAD;
    uint16_t IPNum = 0;                                  // current call level, 1 = main program
    std::array<uint16_t, MAX_CALLED_POU_COUNT + 1> IP{}; // [1..10]: next instruction per level
    std::array<uint8_t, DMEMSIZE> DMemory{};
    std::array<uint8_t, NUME> IBuf{};    // inputs as set from outside
    std::array<uint8_t, NUMA> QBuf{};    // outputs as seen from outside
    std::array<uint8_t, NUME> IDirect{}; // 0 = latched, else direct
    std::array<uint8_t, NUMA> QDirect{};
    uint16_t CRNum = 1;                   // CR levels in use; CR[CRNum] is the current result
    uint16_t CRSize = 4;                  // capacity of CR in bytes, 4 per entry
    std::vector<std::unique_ptr<TCR>> CR; // [1..]; slot 0 unused; null = not allocated yet
    uint16_t CRActionsSize = 0;           // capacity of CRActions in bytes, 2 per entry
    std::vector<uint16_t> CRActions;      // [2..]: deferred operation per level (bit 0 = N)
    TProjectDesc* ProjectDesc = nullptr;  // not owned

    TCR& TopCR() { return *CR[CRNum]; }
    const TCR& TopCR() const { return *CR[CRNum]; }
};

struct TMemBase {
    int32_t Base = 0; // first byte in DMemory
    int32_t Size = 0; // length in bytes
};

// Observer of the soft PLC. A connector must remove itself before it is destroyed.
class ISoftAGConnector {
public:
    virtual void NotifyModeChange() = 0;
    virtual void NotifyMemChange(int32_t Ofs, int32_t Bit, int32_t Len, int32_t Value) = 0;
    virtual void NotifyCRChange() = 0;
    virtual void NotifyPOUChange() = 0;
    virtual void NotifyStep(TCycle WasCycle) = 0;
    virtual void NotifyCycle() = 0;
    virtual void NotifyCodeChange() = 0;

protected:
    ~ISoftAGConnector() = default;
};

// Shows a runtime error to the user (a message box in the app); gets "Runtime error: " + message.
class IRuntimeErrorReporter {
public:
    virtual void ShowRuntimeError(const std::string& text) = 0;

protected:
    ~IRuntimeErrorReporter() = default;
};

class TSoftAG {
public:
    explicit TSoftAG(ITickSource& ticks = SystemTickSource());
    ~TSoftAG();
    TSoftAG(const TSoftAG&) = delete;
    TSoftAG& operator=(const TSoftAG&) = delete;

    // State read directly by the rest of the system; change it only through the operations.
    TMode FMode = MM_OFF;
    uint16_t RunningPOUNum = 0;
    std::array<int32_t, MAX_CALLED_POU_COUNT + 1> RunningPOU{}; // [1..10]
    uint16_t MemBasesNum = 0;
    std::array<TMemBase, MAX_MEMBASES + 1> MemBases{};
    uint32_t CycleStartTime = 0;
    uint32_t LastCmdStatTime = 0;
    int32_t CmdCounter = 0;
    std::unique_ptr<TSoftAGData> Data;
    uint32_t CycleTime = 0;
    int32_t CmdPSec = 0;

    // Instructions executed by ClockCmd since creation (statistics, benchmarks).
    uint64_t ExecutedCmds = 0;
    // Runtime errors Clock has caught since creation.
    uint64_t RuntimeErrors = 0;
    // Instructions one cycle may execute before it is stopped with a runtime error (endless loop).
    uint64_t WatchdogLimit = 50'000'000;

    // The last runtime error Clock caught: message, POU and source line (from 0) of the instruction.
    struct TRuntimeErrorInfo {
        std::string Message;
        int32_t POU = -1;
        int32_t Line = -1;
    };
    const TRuntimeErrorInfo& LastRuntimeError() const { return FLastError; }

    void SetTickSource(ITickSource& ticks) { FTicks = &ticks; }
    uint32_t TickCount() const { return FTicks->TickCount(); }
    void SetErrorReporter(IRuntimeErrorReporter* reporter) { FReporter = reporter; }

    // Memory. Indices outside the data memory (or 0..15 for the switches) raise ERuntimeError;
    // 64-bit reads that run past the end read zero bytes there.
    uint8_t GetMemory(int32_t Index) const;
    TUS64 GetMemory64(int32_t Index) const;
    uint8_t GetMemory_IQBuf(int32_t Index) const;
    TUS64 GetMemory_IQBuf64(int32_t Index) const;
    void SetMemory(int32_t Index, uint8_t AValue);       // the program's write
    void SetMemory_IQBuf(int32_t Index, uint8_t AValue); // the outside world's write
    void SetIDirect(int32_t Index, uint8_t AValue);
    void SetQDirect(int32_t Index, uint8_t AValue);

    int32_t GetSourcePOU() const;
    int32_t GetSourceLine() const;
    int32_t GetCurrentMemBase() const { return MemBases[MemBasesNum].Base; }

    void SetMode(TMode AValue);
    void AddConnector(ISoftAGConnector* Conn);
    void RemoveConnector(ISoftAGConnector* Conn);
    size_t ConnectorCount() const;
    void SendNotifyMemChange(int32_t Ofs, int32_t Bit, int32_t Len, int32_t Value) {
        if (!FConnectors.empty())
            DeliverMemChange(Ofs, Bit, Len, Value);
    }
    void SendNotifyCRChange() {
        if (!FConnectors.empty())
            DeliverCRChange();
    }
    void SendNotifyPOUChange() {
        if (!FConnectors.empty())
            Deliver(&ISoftAGConnector::NotifyPOUChange);
    }

    void Reset();
    void ResetAll();

    // Breakpoints (not owned; null: none). Run mode, Cycle, Step Over and Step Out halt in step
    // mode before the first instruction of a breakpoint line. Costs one test per source line.
    void SetBreakpoints(const TBreakpoints* bp);
    const TBreakpoints* Breakpoints() const { return FBreakpoints; }
    // The last Clock (or run-mode program phase) halted at a breakpoint.
    bool BreakHit() const { return FBreakHit; }

    // Forcing. A forced byte or bit holds its value in the data memory (and, for the process
    // images, in the input or output buffer): the program and every observer read it, program
    // and outside writes leave it. Reset releases all forces.
    struct TForce {
        int32_t Adr = 0;      // absolute byte in the data memory
        uint8_t Bit = 0;      // BOOL only
        int32_t DataType = 0; // elementary type reference
        int64_t Value = 0;
    };
    // Empty on success, else the reason (unsupported type, address outside the memory).
    std::string Force(int32_t Adr, uint8_t Bit, int32_t DataType, int64_t Value);
    bool ReleaseForce(int32_t Adr, uint8_t Bit, int32_t DataType);
    void ReleaseAllForces();
    // Exactly this target is forced (as given to Force).
    const TForce* FindForce(int32_t Adr, uint8_t Bit, int32_t DataType) const;
    // Some bit of the bytes [Adr, Adr + bytes) is forced (row marking).
    bool IsForcedRange(int32_t Adr, int32_t bytes) const;
    const std::vector<TForce>& Forces() const { return FForceList; }
    bool AnyForced() const { return FForceActive; }

    // Run control. Clock returns false when it caught (and reported) a runtime error.
    bool Clock();
    void Cycle();
    void StepOver();
    void StepOut();
    // The Step / Step Into commands: outside step mode enter it and run through library code;
    // in step mode StepOver or one Clock.
    void StepCommand(bool into);

    // Instruction execution.
    void ClockCmd();
    bool CheckModifierCond(const TAWLCommand& cmd) const {
        return !(cmd.Modifiers & MOD_C) || ConditionOfCR(cmd);
    }
    static bool CheckRange(int64_t S64, int32_t DataType);
    void PushCR();
    [[noreturn]] void RaiseTypeMismatch(int32_t OpdDataType) const;

private:
    // Per call level: the running POU's code and constants, cached at call time.
    struct TRunLevel {
        const TPOUDesc* POU = nullptr;
        const TAWLCommand* Code = nullptr;
        uint32_t Count = 0;
        const uint8_t* Const = nullptr;
        uint32_t ConstSize = 0;
        bool IsFB = false;
        bool Library = false;
    };

    struct TDeliveryScope;
    void Deliver(void (ISoftAGConnector::*fn)());
    void DeliverCRChange();
    void DeliverMemChange(int32_t Ofs, int32_t Bit, int32_t Len, int32_t Value);
    void DeliverStep(TCycle was);
    void EndDelivery();

    uint8_t ForcedByte(int32_t Index, uint8_t AValue) const {
        const uint8_t m = FForceMask[size_t(Index)];
        return uint8_t((AValue & ~m) | (FForceValue[size_t(Index)] & m));
    }
    void RebuildForces();

    void StoreByte(int32_t Index, uint8_t AValue) {
        if (FForceActive) [[unlikely]]
            AValue = ForcedByte(Index, AValue);
        Data->DMemory[size_t(Index)] = AValue;
        if (Index < NUME + NUMA) {
            if (Index < NUME) {
                if (Data->IDirect[size_t(Index)])
                    Data->IBuf[size_t(Index)] = AValue;
            } else if (Data->QDirect[size_t(Index - NUME)]) {
                Data->QBuf[size_t(Index - NUME)] = AValue;
            }
        }
        SendNotifyMemChange(Index, 0, 8, 0);
    }

    void EnterLevel(uint16_t level, int32_t pouIndex);
    bool LevelIsLibrary() const { return FLevel[RunningPOUNum].Library; }
    int32_t LevelLine() const {
        const TRunLevel& L = FLevel[Data->IPNum];
        if (L.Count == 0)
            return -1;
        const uint32_t ip = Data->IP[Data->IPNum];
        return L.Code[ip < L.Count ? ip : L.Count - 1].SourceLine;
    }
    bool AtBreakpoint();
    void RebuildBreakMap();
    void StartCycle();
    void RunLine();
    void RunLineInline();
    bool RunProgram();
    void ReportRuntimeError(const ERuntimeError& e);
    void EndCycle();
    void EndOfCode();
    bool ConditionOfCR(const TAWLCommand& cmd) const;
    void Execute();
    void Operation(const TAWLCommand& cmd, uint16_t op);
    void Control(const TAWLCommand& cmd, uint16_t op);
    int32_t OperandAddress(const TAWLCommand& cmd, int32_t bytes) const;

    ITickSource* FTicks;
    IRuntimeErrorReporter* FReporter = nullptr;
    std::vector<ISoftAGConnector*> FConnectors; // registration order; null = removed mid-delivery
    int FDeliveryDepth = 0;
    bool FConnectorsDirty = false;
    std::array<TRunLevel, MAX_CALLED_POU_COUNT + 1> FLevel{};
    std::array<int32_t, MAX_MEMBASES + 1> FFrameTop{}; // highest frame end among frames 0..k
    uint64_t FCycleCmds = 0;
    TRuntimeErrorInfo FLastError;
    const TBreakpoints* FBreakpoints = nullptr;
    bool FBreakHit = false;
    uint32_t FBreakRevision = 0;
    bool FBreakMapValid = false;
    std::vector<std::vector<uint8_t>> FBreakMap; // per POU index, per source line: 1 = breakpoint
    bool FForceActive = false;
    std::vector<TForce> FForceList;
    std::vector<uint8_t> FForceMask, FForceValue; // DMEMSIZE each while something is forced
    std::array<uint8_t, NUME> FOutsideIn{};       // forced input bytes: what the outside last wrote
    void RestoreOutsideInputs(const std::vector<uint8_t>& oldMask);
};

} // namespace korvo
