// Hand-assembled bytecode and a soft PLC on a virtual clock, for the soft PLC suites.
#pragma once

#include "Sim_ag/SoftAG.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvo::test {

// Appends records to one POU's code, the way the compiler lays them out.
class Asm {
public:
    explicit Asm(TPOUDesc& pou) : P(pou) {}

    Asm& Line(int32_t line) {
        L = line;
        return *this;
    }
    uint16_t Here() const { return P.CmdCount; }

    // Instruction with a memory operand (MemBase 0 = the top frame).
    Asm& Mem(uint16_t op, int32_t type, int32_t adr, uint8_t bit = 0, TModifiers mods = 0, int32_t base = 0) {
        TAWLCommand& c = Next();
        c.MicroCmd = op;
        c.Modifiers = mods;
        c.DataType = type;
        c.ByteAdr = adr;
        c.BitAdr = bit;
        c.MemBase = base;
        return *this;
    }
    // Instruction with a literal operand in the constant memory.
    Asm& Lit(uint16_t op, int32_t type, int64_t value, TModifiers mods = 0) {
        TUS64 v{};
        v.S64 = value;
        int32_t ofs = P.AddConst(v);
        TAWLCommand& c = Next();
        c.MicroCmd = uint16_t(op | SRC_CONST);
        c.Modifiers = mods;
        c.DataType = type;
        c.OpdLong = uint32_t(ofs);
        return *this;
    }
    // Instruction without operand, or with the operand field set directly.
    Asm& Op(uint16_t micro, TModifiers mods = 0, uint32_t opdLong = 0, int32_t base = 0) {
        TAWLCommand& c = Next();
        c.MicroCmd = micro;
        c.Modifiers = mods;
        c.OpdLong = opdLong;
        c.MemBase = base;
        return *this;
    }
    Asm& Words(uint16_t micro, uint16_t w0, uint16_t w1, TModifiers mods = 0) {
        TAWLCommand& c = Next();
        c.MicroCmd = micro;
        c.Modifiers = mods;
        c.OpdWord0 = w0;
        c.OpdWord1 = w1;
        c.MemBase = -1;
        return *this;
    }
    Asm& Jmp(uint16_t target, TModifiers mods = 0) { return Words(OP_JMP, target, 0, mods); }
    // CAL of an instance at `adr` of a function block POU with `size` bytes.
    Asm& Cal(int32_t fbPOU, uint16_t adr, uint16_t size, TModifiers mods = 0) {
        Words(OP_PUSHFB, adr, size);
        Words(OP_CALLFB, uint16_t(fbPOU), 0, mods);
        return Words(OP_POPFB, 0, 0);
    }

    TPOUDesc& P;

private:
    TAWLCommand& Next() {
        TAWLCommand& c = P.CodeAt(P.CmdCount);
        c = TAWLCommand{};
        c.SourceLine = L;
        ++P.CmdCount;
        return c;
    }
    int32_t L = 0;
};

// A project of hand-built POUs and the soft PLC running it on a virtual clock.
struct Machine {
    TProjectDesc Proj;
    TVirtualTickSource Ticks;
    TSoftAG AG{Ticks};

    // Adds a POU; a PROGRAM gets its frame push as record 0 (line = startLine).
    TPOUDesc& AddPOU(TPOUType type, int32_t localMem, const std::string& name = "P", bool library = false) {
        auto pou = std::make_unique<TPOUDesc>();
        pou->POUName = name;
        pou->POUType = type;
        pou->LocalMemSize = localMem;
        pou->Compiled = library;
        pou->FileName = name + ".il";
        TPOUDesc& ref = *pou;
        Proj.POUList.push_back(std::move(pou));
        if (type == PTPROGRAM) {
            Proj.MainPOU = int32_t(Proj.POUList.size() - 1);
            Asm(ref).Line(Proj.MainPOUStartLine).Op(OP_PUSHFRAME, 0, uint32_t(localMem), 0);
        }
        return ref;
    }
    int32_t IndexOf(const TPOUDesc& pou) const {
        for (size_t i = 0; i < Proj.POUList.size(); ++i)
            if (Proj.POUList[i].get() == &pou)
                return int32_t(i);
        return -1;
    }
    // Reset and enter the mode; the next Clock starts a cycle.
    void Start(TMode mode = MM_RUN) {
        AG.Data->ProjectDesc = &Proj;
        AG.Reset();
        AG.SetMode(mode);
    }
    // Start in step mode and run the input phase with the frame push.
    void StartStepped() {
        Start(MM_STEP);
        AG.Clock();
    }
    TCR& CR() { return AG.Data->TopCR(); }
    uint8_t& Mem(int32_t i) { return AG.Data->DMemory[size_t(i)]; }
    void Put(int32_t adr, int64_t v, int bytes) {
        for (int i = 0; i < bytes; ++i)
            Mem(adr + i) = uint8_t(uint64_t(v) >> (8 * i));
    }
    int64_t Get(int32_t adr, int bytes, bool sign = false) const {
        uint64_t v = 0;
        for (int i = 0; i < bytes; ++i)
            v |= uint64_t(AG.Data->DMemory[size_t(adr + i)]) << (8 * i);
        if (sign && bytes < 8) {
            int sh = 64 - 8 * bytes;
            return int64_t(v << sh) >> sh;
        }
        return int64_t(v);
    }
    // Executes ClockCmd and returns the runtime error text, or "" when none was raised.
    std::string Exec() {
        try {
            AG.ClockCmd();
        } catch (const ERuntimeError& e) {
            return e.what();
        }
        return "";
    }
};

// Type references by name.
constexpr int32_t T_BOOL = -1, T_BYTE = -2, T_WORD = -3, T_DWORD = -4, T_SINT = -6, T_INT = -7, T_DINT = -8,
                  T_USINT = -10, T_UINT = -11, T_UDINT = -12, T_TIME = -16, T_LIT = TR_SLITERAL,
                  T_EMPTY = TR_CR_EMPTY;

// Records every notification as a short text.
class RecordingConnector : public ISoftAGConnector {
public:
    std::vector<std::string> Log;
    void NotifyModeChange() override { Log.push_back("mode"); }
    void NotifyMemChange(int32_t Ofs, int32_t, int32_t, int32_t) override {
        Log.push_back("mem " + std::to_string(Ofs));
    }
    void NotifyCRChange() override { Log.push_back("cr"); }
    void NotifyPOUChange() override { Log.push_back("pou"); }
    void NotifyStep(TCycle was) override { Log.push_back("step " + std::to_string(int(was))); }
    void NotifyCycle() override { Log.push_back("cycle"); }
    void NotifyCodeChange() override { Log.push_back("code"); }
    size_t Count(const std::string& what) const {
        size_t n = 0;
        for (const auto& s : Log)
            if (s == what)
                ++n;
        return n;
    }
};

} // namespace korvo::test
