// Soft PLC throughput: IL programs typical of PLC work, run as whole cycles in run mode, without
// connectors and with one no-op connector; the arithmetic loop also as native C++ for reference.
// Usage: softag_bench [seconds per measurement, default 0.5]
#include "Compiler/CompileDriver.h"
#include "Sim_ag/SoftAG.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

using namespace korvo;

namespace {

// Thread CPU time: the figures do not depend on what else runs on the machine.
struct Clock {
    struct time_point {
        double s;
    };
    static time_point now() {
        timespec ts;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        return {double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9};
    }
};
double Seconds(Clock::time_point from) {
    return Clock::now().s - from.s;
}

// Bit logic with S/R, parentheses and jumps; `blocks` copies make the program as long as wanted.
std::string BitLogicProgram(int blocks) {
    std::string s = "PROGRAM BITS\nVAR\n"
                    "    I0 AT %IX0.0 : BOOL\n    I1 AT %IX0.1 : BOOL\n    I2 AT %IX0.2 : BOOL\n"
                    "    I3 AT %IX0.3 : BOOL\n    OUT0 AT %QX0.0 : BOOL\n    OUT1 AT %QX0.1 : BOOL\n"
                    "    M0 : BOOL\n    M1 : BOOL\n    M2 : BOOL\n    M3 : BOOL\n    TOGGLE : BOOL\nEND_VAR\n"
                    "    LDN TOGGLE\n    ST TOGGLE\n    ST I0\n";
    for (int b = 0; b < blocks; ++b) {
        std::string l = "L" + std::to_string(b);
        s += "    LD I0\n    AND I1\n    OR( I2\n    ANDN I3\n    )\n    ST M0\n"
             "    LD M0\n    S OUT0\n    LDN I0\n    R OUT0\n"
             "    LD M0\n    JMPC " +
             l + "\n    LD I1\n    XOR I2\n    ST M1\n" + l +
             ":\n"
             "    LD M1\n    ORN M2\n    ANDN( M3\n    OR I0\n    )\n    ST M2\n    STN OUT1\n";
    }
    return s + "END_PROGRAM\n";
}

// Integer arithmetic loop: S := (S + I * 3) MOD 1000003 for I := 0 .. n-1, 10 instructions each.
std::string ArithmeticProgram(int n) {
    return "PROGRAM ARITH\nVAR\n    I : DINT\n    SUMV : DINT\n    LIMIT : DINT\nEND_VAR\n"
           "    LD " +
           std::to_string(n) +
           "\n    ST LIMIT\n    LD 0\n    ST I\n    ST SUMV\n"
           "LOOP:\n    LD I\n    MUL 3\n    ADD SUMV\n    MOD 1000003\n    ST SUMV\n"
           "    LD I\n    ADD 1\n    ST I\n    LT LIMIT\n    JMPC LOOP\nEND_PROGRAM\n";
}

int32_t NativeArithmetic(int32_t n) {
    int32_t s = 0;
    for (int32_t i = 0; i < n; ++i)
        s = (s + i * 3) % 1000003;
    return s;
}

// Library timers and counters: `n` TON and `n` CTU instances driven by a blinking input.
std::string TimersCountersProgram(int n) {
    std::string s = "PROGRAM TIMERS\nVAR\n    BLINK : BOOL\n    CNT : INT\n";
    for (int i = 0; i < n; ++i)
        s += "    T" + std::to_string(i) + " : TON\n    C" + std::to_string(i) + " : CTU\n";
    s += "END_VAR\n    LDN BLINK\n    ST BLINK\n";
    for (int i = 0; i < n; ++i) {
        std::string t = "T" + std::to_string(i), c = "C" + std::to_string(i);
        s += "    LD BLINK\n    ST " + t + ".IN\n    LD T#20ms\n    ST " + t + ".PT\n    CAL " + t + "\n";
        s += "    LD " + t + ".Q\n    ST " + c + ".CU\n    LD 1000\n    ST " + c + ".PV\n    LD " + c +
             ".Q\n    ST " + c + ".R\n    CAL " + c + "\n    LD " + c + ".CV\n    ST CNT\n";
    }
    return s + "END_PROGRAM\n";
}

// User FUNCTION and FUNCTION_BLOCK calls in a loop.
std::vector<std::string> CallsProgram(int n) {
    std::string prog = "PROGRAM CALLS\nVAR\n    I : INT\n    RES : INT\n    ACC : ACCU\nEND_VAR\n"
                       "    LD 0\n    ST I\nLOOP:\n    LD I\n    SCALE 3, 7\n    ST RES\n"
                       "    LD RES\n    ST ACC.X\n    CAL ACC\n"
                       "    LD I\n    ADD 1\n    ST I\n    LT " +
                       std::to_string(n) + "\n    JMPC LOOP\nEND_PROGRAM\n";
    std::string fn = "FUNCTION SCALE : INT\nVAR_INPUT\n    X : INT\n    K : INT\n    D : INT\nEND_VAR\n"
                     "    LD X\n    MUL K\n    MOD 1000\n    ADD D\n    ST SCALE\nEND_FUNCTION\n";
    std::string fb =
        "FUNCTION_BLOCK ACCU\nVAR_INPUT\n    X : INT\nEND_VAR\nVAR_OUTPUT\n    SUM : INT\nEND_VAR\n"
        "    LD SUM\n    ADD X\n    MOD 10000\n    ST SUM\nEND_FUNCTION_BLOCK\n";
    return {prog, fn, fb};
}

class NoOpConnector final : public ISoftAGConnector {
public:
    void NotifyModeChange() override {}
    void NotifyMemChange(int32_t, int32_t, int32_t, int32_t) override {}
    void NotifyCRChange() override {}
    void NotifyPOUChange() override {}
    void NotifyStep(TCycle) override {}
    void NotifyCycle() override {}
    void NotifyCodeChange() override {}
};

bool Build(TProjectDesc& project, const std::vector<std::string>& texts) {
    std::string lib = FindStandardIL();
    std::vector<std::string> lines;
    if (lib.empty() || !ReadTextLines(lib, lines)) {
        std::fprintf(stderr, "standard.il not found\n");
        return false;
    }
    CompileStandardIL(project, lines);
    for (size_t i = 0; i < texts.size(); ++i) {
        auto pou = std::make_unique<TPOUDesc>();
        pou->POUText = SplitLines(texts[i]);
        pou->FileName = "bench" + std::to_string(i) + ".il";
        project.POUList.push_back(std::move(pou));
    }
    int32_t p = -1, l = 0, c = 0;
    std::string msg;
    if (!Compile(project, p, l, c, msg)) {
        std::fprintf(stderr, "compile error: %s\n", FormatCompileError(project, p, l, c, msg).c_str());
        return false;
    }
    return true;
}

struct Result {
    double instrPerSec = 0, cyclesPerSec = 0, instrPerCycle = 0, usPerCycle = 0;
};

Result Measure(TProjectDesc& project, bool connector, bool systemClock, double seconds) {
    TVirtualTickSource virt;
    TSoftAG ag(systemClock ? SystemTickSource() : static_cast<ITickSource&>(virt));
    NoOpConnector noop;
    ag.Data->ProjectDesc = &project;
    ag.Reset();
    if (connector)
        ag.AddConnector(&noop);
    ag.SetMode(MM_RUN);
    for (int i = 0; i < 10; ++i) { // warm up, allocate CR levels
        ag.Cycle();
        virt.Advance(5);
    }
    if (ag.RuntimeErrors) {
        std::fprintf(stderr, "runtime error: %s\n", ag.LastRuntimeError().Message.c_str());
        std::exit(1);
    }
    const uint64_t cmds0 = ag.ExecutedCmds;
    uint64_t cycles = 0;
    const auto start = Clock::now();
    double elapsed = 0;
    do {
        for (int i = 0; i < 50; ++i) {
            ag.Cycle();
            virt.Advance(5);
        }
        cycles += 50;
        elapsed = Seconds(start);
    } while (elapsed < seconds);
    if (ag.RuntimeErrors) {
        std::fprintf(stderr, "runtime error: %s\n", ag.LastRuntimeError().Message.c_str());
        std::exit(1);
    }
    if (connector)
        ag.RemoveConnector(&noop);
    Result r;
    const double cmds = double(ag.ExecutedCmds - cmds0);
    r.instrPerSec = cmds / elapsed;
    r.cyclesPerSec = double(cycles) / elapsed;
    r.instrPerCycle = cmds / double(cycles);
    r.usPerCycle = 1e6 * elapsed / double(cycles);
    return r;
}

void Report(const char* name, TProjectDesc& project, double seconds) {
    Result plain = Measure(project, false, false, seconds);
    Result conn = Measure(project, true, false, seconds);
    Result sys = Measure(project, false, true, seconds);
    std::printf("%-34s %8.0f instr/cycle\n", name, plain.instrPerCycle);
    std::printf("  no connector      %8.1f M instr/s %10.0f cycles/s %9.2f us/cycle\n",
                plain.instrPerSec / 1e6, plain.cyclesPerSec, plain.usPerCycle);
    std::printf("  no-op connector   %8.1f M instr/s %10.0f cycles/s %9.2f us/cycle\n",
                conn.instrPerSec / 1e6, conn.cyclesPerSec, conn.usPerCycle);
    std::printf("  system clock      %8.1f M instr/s %10.0f cycles/s %9.2f us/cycle\n", sys.instrPerSec / 1e6,
                sys.cyclesPerSec, sys.usPerCycle);
}

} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 0.5;
    std::printf("soft PLC benchmark, %.2f s per measurement, run mode, thread CPU time, virtual PLC clock "
                "unless noted\n\n",
                seconds);

    TProjectDesc bits;
    if (!Build(bits, {BitLogicProgram(435)}))
        return 1;
    Report("bit logic, S/R, jumps", bits, seconds);

    const int n = 1000;
    TProjectDesc arith;
    if (!Build(arith, {ArithmeticProgram(n)}))
        return 1;
    Report("integer arithmetic loop", arith, seconds);

    {
        // Same work natively; the interpreter's cycle checked against it.
        TVirtualTickSource virt;
        TSoftAG ag(virt);
        ag.Data->ProjectDesc = &arith;
        ag.Reset();
        ag.SetMode(MM_RUN);
        ag.Cycle();
        int32_t s = 0;
        for (const auto& v : arith.POUList[size_t(arith.MainPOU)]->VarList)
            if (v->VarName == "SUMV")
                s = ag.GetMemory64(v->MemAdr).S32;
        volatile int32_t sink = 0;
        volatile int32_t count = n;
        uint64_t loops = 0;
        const auto start = Clock::now();
        double elapsed = 0;
        do {
            for (int i = 0; i < 1000; ++i)
                sink = NativeArithmetic(count);
            loops += 1000;
            elapsed = Seconds(start);
        } while (elapsed < seconds);
        const double nativeCycle = elapsed / double(loops);
        Result interp = Measure(arith, false, false, seconds);
        const double interpCycle = 1.0 / interp.cyclesPerSec;
        std::printf("  native C++        %8.2f us per %d iterations (result %s)\n", 1e6 * nativeCycle, n,
                    sink == s ? "matches" : "DIFFERS");
        std::printf("  interpreter/native time ratio: %.1f\n", interpCycle / nativeCycle);
    }

    TProjectDesc timers;
    if (!Build(timers, {TimersCountersProgram(20)}))
        return 1;
    Report("library timers and counters (20+20)", timers, seconds);

    TProjectDesc calls;
    if (!Build(calls, CallsProgram(500)))
        return 1;
    Report("FUNCTION and FUNCTION_BLOCK calls", calls, seconds);
    return 0;
}
