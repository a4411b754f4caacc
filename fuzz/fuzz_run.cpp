// Compile, then run: when the project compiles, a bounded number of cycles and steps with
// input bytes and direct switches taken from the input. Input: IL files separated by
// "@@FILE@@" lines, followed by the control bytes, read backwards from the end: mode (bit 1:
// the first file is the standard library, bit 2: step mode), cycle count, four per cycle.
#include "FuzzCommon.h"
#include "Sim_ag/SoftAG.h"

#include <fuzzer/FuzzedDataProvider.h>

using namespace korvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 128 * 1024)
        return 0;
    FuzzedDataProvider fdp(data, size);
    // Control block from the end: mode, cycle count, per-cycle actions.
    const uint8_t mode = fdp.ConsumeIntegral<uint8_t>();
    const int cycles = fdp.ConsumeIntegralInRange<int>(1, 12);
    std::vector<uint8_t> control(size_t(cycles) * 4);
    for (uint8_t& c : control)
        c = fdp.ConsumeIntegral<uint8_t>();
    const std::string text = fdp.ConsumeRemainingBytesAsString();

    TProjectDesc project;
    if (!fuzz::CompileInput(project, uint8_t(mode | 1), text))
        return 0;
    if (project.MainPOU < 0 || size_t(project.MainPOU) >= project.POUList.size())
        return 0;

    TVirtualTickSource clock(0);
    TSoftAG ag(clock);
    ag.WatchdogLimit = 20000; // an endless loop ends its cycle quickly
    ag.Data->ProjectDesc = &project;
    ag.Reset();
    ag.SetMode((mode & 4) ? MM_STEP : MM_RUN);
    for (int k = 0; k < cycles; ++k) {
        const uint8_t* c = &control[size_t(k) * 4];
        ag.SetMemory_IQBuf(c[0] % NUME, c[1]);              // an input byte
        ag.SetIDirect(c[0] % NUME, c[2] & 1);               // its direct switch
        ag.SetQDirect((c[0] >> 4) % NUMA, (c[2] >> 1) & 1); // an output's direct switch
        switch (c[3] & 7) {
        case 0:
        case 1:
        case 2:
            ag.Cycle();
            break;
        case 3:
            for (int i = 0; i < 16 && ag.FMode != MM_OFF; ++i)
                ag.Clock();
            break;
        case 4:
            ag.StepCommand(true);
            break;
        case 5:
            ag.StepCommand(false);
            break;
        case 6:
            ag.StepOut();
            break;
        case 7:
            if (c[3] & 8)
                ag.SetMode(MM_RUN);
            else
                ag.ResetAll();
            ag.SetMode(MM_RUN);
            break;
        }
        for (int i = 0; i < NUMA; ++i)
            (void)ag.GetMemory_IQBuf(NUME + i);
        clock.Advance(c[1] * 7u);
    }
    (void)ag.GetSourcePOU();
    (void)ag.GetSourceLine();
    ag.SetMode(MM_OFF);
    return 0;
}
