// Run control: Clock (input phase, one source line, output phase), Cycle and the stepping commands.
// Every loop here ends when Clock caught a runtime error or the soft PLC was switched off.
#include "Sim_ag/RuntimeMessages.h"
#include "Sim_ag/SoftAG.h"

namespace korvo {

void TSoftAG::StartCycle() {
    TSoftAGData& D = *Data;
    const TProjectDesc* P = D.ProjectDesc;
    if (!P || P->MainPOU < 0 || size_t(P->MainPOU) >= P->POUList.size() || !P->POUList[size_t(P->MainPOU)])
        throw ERuntimeError(rtmsg::NoProgram);
    RunningPOUNum = 1;
    EnterLevel(1, P->MainPOU);
    SendNotifyPOUChange();
    D.CR[1]->DataType = TR_CR_EMPTY;
    MemBasesNum = 0;
    MemBases[0].Base = 0;
    FFrameTop[0] = MemBases[0].Base + MemBases[0].Size;
    D.IPNum = 1;
    D.IP[1] = 0;
    FCycleCmds = 0;
    for (int i = 0; i < NUME; ++i)
        D.DMemory[size_t(FIRSTE + i)] = D.IBuf[size_t(i)];
    SendNotifyMemChange(FIRSTE, 0, 8, 0);
    D.Cycle = PROG;
    ClockCmd();
}

void TSoftAG::EndCycle() {
    TSoftAGData& D = *Data;
    D.CR[1]->DataType = TR_CR_EMPTY;
    for (int i = 0; i < NUMA; ++i)
        D.QBuf[size_t(i)] = D.DMemory[size_t(FIRSTA + i)];
    SendNotifyMemChange(FIRSTA, 0, 8, 0);
    D.Cycle = DATAREAD;
}

void TSoftAG::ReportRuntimeError(const ERuntimeError& e) {
    ++RuntimeErrors;
    FLastError.Message = e.what();
    FLastError.POU = GetSourcePOU();
    FLastError.Line = GetSourceLine();
    SetMode(MM_STEP);
    if (FReporter)
        FReporter->ShowRuntimeError(std::string("Runtime error: ") + e.what());
}

bool TSoftAG::Clock() {
    const TCycle was = Data->Cycle;
    FBreakHit = false;
    switch (FMode) {
    case MM_OFF:
        return true;
    case MM_RUN: {
        ++CmdCounter;
        const uint32_t now = FTicks->TickCount();
        if (TicksSince(now, LastCmdStatTime) >= 1000) {
            CmdPSec = CmdCounter;
            CmdCounter = 0;
            LastCmdStatTime = now;
        }
        break;
    }
    case MM_STEP:
        break;
    }
    bool ok = true;
    try {
        switch (Data->Cycle) {
        case DATAREAD:
            StartCycle();
            break;
        case PROG:
            RunLine();
            break;
        case DATAWRITE:
            EndCycle();
            break;
        }
    } catch (const ERuntimeError& e) {
        ok = false;
        ReportRuntimeError(e);
    }
    if (FBreakpoints && ok && FMode != MM_OFF && AtBreakpoint()) {
        FBreakHit = true;
        SetMode(MM_STEP);
    }
    if (!FConnectors.empty())
        DeliverStep(was);
    return ok;
}

void TSoftAG::Cycle() {
    if (FMode == MM_OFF)
        return;
    do {
        if (FMode == MM_RUN && Data->Cycle == PROG) {
            if (!RunProgram() || FBreakHit)
                return;
        } else if (!Clock() || FBreakHit) {
            return;
        }
    } while (FMode != MM_OFF && Data->Cycle != DATAREAD);
}

void TSoftAG::StepOver() {
    if (FMode != MM_STEP)
        return;
    const uint16_t level = RunningPOUNum;
    do {
        if (!Clock() || FBreakHit)
            return;
    } while (FMode != MM_OFF && RunningPOUNum > level);
}

void TSoftAG::StepOut() {
    if (FMode != MM_STEP)
        return;
    if (RunningPOUNum <= 1) {
        Cycle();
        return;
    }
    const uint16_t level = RunningPOUNum;
    do {
        if (!Clock() || FBreakHit)
            return;
    } while (FMode != MM_OFF && RunningPOUNum >= level);
}

void TSoftAG::StepCommand(bool into) {
    if (FMode == MM_STEP) {
        if (into)
            Clock();
        else
            StepOver();
        return;
    }
    SetMode(MM_STEP);
    while (FMode == MM_STEP && RunningPOUNum >= 1 && RunningPOUNum <= MAX_CALLED_POU_COUNT &&
           LevelIsLibrary())
        if (!Clock())
            return;
}

} // namespace korvo
