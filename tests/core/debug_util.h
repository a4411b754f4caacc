// A compiled two-file project (main.il calling a function block in adder.il) on a soft PLC with a
// virtual clock, for the breakpoint, forcing and online value suites.
#pragma once

#include "Compiler/CompileDriver.h"
#include "Sim_ag/Breakpoints.h"
#include "Sim_ag/SoftAG.h"

#include <gtest/gtest.h>

namespace korvo::test {

// Lines from 0. adder.il: 7 LD A, 8 ADD 1, 9 ST OUTV.
inline const char* const kAdderIL = "FUNCTION_BLOCK ADDER\n"
                                    "VAR_INPUT\n"
                                    "    A : INT\n"
                                    "END_VAR\n"
                                    "VAR_OUTPUT\n"
                                    "    OUTV : INT\n"
                                    "END_VAR\n"
                                    "    LD A\n"
                                    "    ADD 1\n"
                                    "    ST OUTV\n"
                                    "END_FUNCTION_BLOCK\n";

// main.il: 6 LD X, 7 ADD 1, 8 ST X, 9 LD X, 10 ST F.A, 11 CAL F, 12 LD F.OUTV, 13 ST Y.
inline const char* const kMainIL = "PROGRAM MAIN\n"
                                   "VAR\n"
                                   "    X : INT\n"
                                   "    Y : INT\n"
                                   "    F : ADDER\n"
                                   "END_VAR\n"
                                   "    LD X\n"
                                   "    ADD 1\n"
                                   "    ST X\n"
                                   "    LD X\n"
                                   "    ST F.A\n"
                                   "    CAL F\n"
                                   "    LD F.OUTV\n"
                                   "    ST Y\n"
                                   "END_PROGRAM\n";

struct DebugProject {
    TProjectDesc desc;
};

struct DebugRig {
    explicit DebugRig(const std::string& mainText = kMainIL, const std::string& adderText = kAdderIL)
        : ag(clock) {
        for (const auto& [name, text] : {std::pair{"adder.il", adderText}, std::pair{"main.il", mainText}}) {
            auto pou = std::make_unique<TPOUDesc>();
            pou->FileName = name;
            pou->POUText = SplitLines(text);
            project.desc.POUList.push_back(std::move(pou));
        }
        int32_t p = 0, l = 0, c = 0;
        std::string msg;
        EXPECT_TRUE(Compile(project.desc, p, l, c, msg)) << msg << " line " << l;
        ag.Data->ProjectDesc = &project.desc;
        ag.Reset();
        mainPOU = project.desc.MainPOU;
        adderPOU = 0;
    }
    int32_t VarAdr(const std::string& name) const {
        for (const auto& v : project.desc.POUList[size_t(mainPOU)]->VarList)
            if (v->VarName == name)
                return v->MemAdr;
        ADD_FAILURE() << "no variable " << name;
        return 0;
    }
    int64_t Int(const std::string& name) const { return int16_t(ag.GetMemory64(VarAdr(name)).U16); }
    int32_t Line() const { return ag.GetSourceLine(); }

    DebugProject project;
    TVirtualTickSource clock{0};
    TSoftAG ag;
    int32_t mainPOU = -1, adderPOU = -1;
};

} // namespace korvo::test
