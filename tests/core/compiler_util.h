// Helpers of the compiler tests: projects built from IL texts, compile results, records.
#pragma once

#include "Compiler/Compiler.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace korvo::test {

inline std::string StdLibPath() {
    return KORVO_SOURCE_DIR "/data/standard.il";
}

struct CompileResult {
    bool ok = false;
    int32_t pou = -1, line = 0, column = 0;
    std::string message;
};

inline std::ostream& operator<<(std::ostream& os, const CompileResult& r) {
    return os << (r.ok ? "ok" : r.message) << " @pou " << r.pou << " line " << r.line << " col " << r.column;
}

using Files = std::vector<std::pair<std::string, std::string>>; // (file name, IL text)

// A project of IL files; with the standard library loaded first when stdlib.
class Project {
public:
    explicit Project(const Files& files, bool stdlib = true) {
        if (stdlib)
            LoadStdFBs(desc, StdLibPath());
        libCount = desc.POUList.size();
        for (const auto& [name, text] : files) {
            auto pou = std::make_unique<TPOUDesc>();
            pou->FileName = name;
            pou->POUText = SplitLines(text);
            desc.POUList.push_back(std::move(pou));
        }
    }
    // A project of one file main.il.
    explicit Project(const std::string& text, bool stdlib = true)
        : Project(Files{{"main.il", text}}, stdlib) {}

    CompileResult Compile() {
        CompileResult r;
        r.ok = korvo::Compile(desc, r.pou, r.line, r.column, r.message);
        return r;
    }
    TPOUDesc& File(size_t i) { return *desc.POUList[libCount + i]; }
    TPOUDesc& Main() { return *desc.POUList[size_t(desc.MainPOU)]; }
    const TVarDesc* Var(const TPOUDesc& pou, const std::string& name) const {
        for (const auto& v : pou.VarList)
            if (v->VarName == name)
                return v.get();
        return nullptr;
    }
    int32_t POUIndex(const std::string& name) const {
        for (size_t i = 0; i < desc.POUList.size(); ++i)
            if (SameText(desc.POUList[i]->POUName, name))
                return int32_t(i);
        return -1;
    }

    TProjectDesc desc;
    size_t libCount = 0;
};

// One record in a comparable form.
struct Rec {
    uint16_t cmd = 0;
    TModifiers mods = 0;
    int32_t memBase = 0, byteAdr = 0;
    uint8_t bitAdr = 0;
    int32_t type = 0;
    uint32_t opd = 0;
    bool operator==(const Rec&) const = default;
};

inline std::ostream& operator<<(std::ostream& os, const Rec& r) {
    return os << std::hex << "{0x" << r.cmd << std::dec << " m" << int(r.mods) << " base " << r.memBase
              << " adr " << r.byteAdr << "." << int(r.bitAdr) << " type " << r.type << " opd 0x" << std::hex
              << r.opd << std::dec << "}";
}

inline Rec ToRec(const TAWLCommand& c) {
    return {c.MicroCmd, c.Modifiers, c.MemBase, c.ByteAdr, c.BitAdr, c.DataType, c.OpdLong};
}

inline std::vector<Rec> Records(const TPOUDesc& pou, size_t from = 0) {
    std::vector<Rec> r;
    for (size_t i = from; i < pou.CmdCount; ++i)
        r.push_back(ToRec(pou.Code[i]));
    return r;
}

inline uint32_t Words(uint16_t low, uint16_t high) {
    return uint32_t(low) | (uint32_t(high) << 16);
}

} // namespace korvo::test
