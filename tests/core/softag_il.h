// Compiles IL text with the standard library and runs it on a soft PLC with a virtual clock.
#pragma once

#include "Compiler/CompileDriver.h"
#include "Sim_ag/SoftAG.h"
#include "Watch/ValueFormat.h"

#include <gtest/gtest.h>

#include <string>

namespace korvo::test {

struct ILMachine {
    TProjectDesc Proj;
    TVirtualTickSource Ticks;
    TSoftAG AG{Ticks};
    std::string Error;

    // The library from the source tree, then one POU per text. Reset and run mode on success.
    bool LoadAll(const std::vector<std::string>& texts) {
        std::vector<std::string> lib;
        if (!ReadTextLines(KORVO_SOURCE_DIR "/data/standard.il", lib)) {
            Error = "standard.il not readable";
            return false;
        }
        try {
            CompileStandardIL(Proj, lib);
        } catch (const std::exception& e) {
            Error = std::string("library: ") + e.what();
            return false;
        }
        for (size_t i = 0; i < texts.size(); ++i) {
            auto pou = std::make_unique<TPOUDesc>();
            pou->POUText = SplitLines(texts[i]);
            pou->FileName = "test" + std::to_string(i) + ".il";
            pou->FNameValid = true;
            Proj.POUList.push_back(std::move(pou));
        }
        int32_t p = -1, l = 0, c = 0;
        std::string msg;
        if (!Compile(Proj, p, l, c, msg)) {
            Error = FormatCompileError(Proj, p, l, c, msg);
            return false;
        }
        AG.Data->ProjectDesc = &Proj;
        AG.Reset();
        AG.SetMode(MM_RUN);
        return true;
    }
    bool Load(const std::string& text) { return LoadAll(std::vector<std::string>{text}); }

    // One whole cycle at the current tick, then the clock moves on by step ms.
    void RunCycle(uint32_t step = 10) {
        AG.Cycle();
        Ticks.Advance(step);
    }

    struct Var {
        int32_t adr = -1, type = 0;
        uint8_t bit = 0;
    };
    // A PROGRAM variable or a dotted member of an instance.
    Var Find(const std::string& name) const {
        const TPOUDesc* pou = Proj.POUList[size_t(Proj.MainPOU)].get();
        std::string rest = UpperCase(name);
        Var v;
        int32_t base = 0;
        for (;;) {
            size_t dot = rest.find('.');
            std::string part = rest.substr(0, dot);
            const TVarDesc* d = nullptr;
            for (const auto& x : pou->VarList)
                if (x->VarName == part)
                    d = x.get();
            if (!d)
                return Var{};
            base += d->MemAdr;
            if (dot == std::string::npos) {
                v.adr = base;
                v.type = d->DataType;
                v.bit = d->BitAdr;
                return v;
            }
            pou = Proj.POUList[size_t(GetTypeDesc(d->DataType, Proj.TypeList)->FB)].get();
            rest.erase(0, dot + 1);
        }
    }
    // The value in the watch window's decimal form ("1", "-5", "t#1s").
    std::string Val(const std::string& name) const {
        Var v = Find(name);
        if (v.adr < 0)
            return "<no variable " + name + ">";
        return GetValString(v.type, DTDEC, v.bit, AG.GetMemory64(v.adr));
    }
    int64_t Int(const std::string& name) const { return std::stoll(Val(name)); }
    // Writes a BOOL or INT variable of the program directly (as a test harness, not the program).
    void Set(const std::string& name, int64_t value) {
        Var v = Find(name);
        ASSERT_GE(v.adr, 0) << name;
        if (v.type == TR_BOOL) {
            uint8_t b = AG.Data->DMemory[size_t(v.adr)];
            uint8_t m = uint8_t(1u << v.bit);
            AG.Data->DMemory[size_t(v.adr)] = value ? uint8_t(b | m) : uint8_t(b & ~m);
            return;
        }
        int bytes = IECTYPES[size_t(TableIndex(v.type))].DataSize / 8;
        for (int i = 0; i < bytes; ++i)
            AG.Data->DMemory[size_t(v.adr + i)] = uint8_t(uint64_t(value) >> (8 * i));
    }
};

} // namespace korvo::test
