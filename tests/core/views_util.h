// A project compiled from IL text (with the standard library) and a soft PLC on a virtual clock,
// for the monitoring view suites.
#pragma once

#include "Compiler/CompileDriver.h"
#include "Sim_ag/SoftAG.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace korvo::test {

struct CompiledPLC {
    TProjectDesc Proj;
    TVirtualTickSource Ticks;
    TSoftAG AG{Ticks};

    // files: (file name, IL text). Fails the test on a compile error.
    void Load(const std::vector<std::pair<std::string, std::string>>& files) {
        LoadStdFBs(Proj, std::string(KORVO_SOURCE_DIR) + "/data/standard.il");
        for (const auto& [name, text] : files) {
            auto pou = std::make_unique<TPOUDesc>();
            pou->FileName = name;
            pou->FNameValid = true;
            pou->POUText = SplitLines(text);
            Proj.POUList.push_back(std::move(pou));
        }
        int32_t pouIndex = -1, line = -1, col = -1;
        std::string msg;
        ASSERT_TRUE(Compile(Proj, pouIndex, line, col, msg))
            << FormatCompileError(Proj, pouIndex, line, col, msg);
        AG.Data->ProjectDesc = &Proj;
    }
    int32_t POUIndex(const std::string& name) const {
        for (size_t i = 0; i < Proj.POUList.size(); ++i)
            if (SameText(Proj.POUList[i]->POUName, name))
                return int32_t(i);
        return -1;
    }
    const TVarDesc* Var(const std::string& pou, const std::string& name) const {
        const int32_t i = POUIndex(pou);
        if (i < 0)
            return nullptr;
        for (const auto& v : Proj.POUList[size_t(i)]->VarList)
            if (SameText(v->VarName, name))
                return v.get();
        return nullptr;
    }
    // Source line (from 0) of the current step in the current POU.
    int32_t Line() const { return AG.GetSourceLine(); }
    std::string SourcePOUName() const {
        const int32_t p = AG.GetSourcePOU();
        return p >= 0 ? Proj.POUList[size_t(p)]->POUName : std::string();
    }
};

} // namespace korvo::test
