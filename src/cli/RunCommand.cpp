// korvo-cli run: compile the sources and run whole PLC cycles on a virtual millisecond clock,
// with inputs written from outside before chosen cycles and variables printed or traced.
#include "Commands.h"
#include "DebugOptions.h"
#include "Sources.h"
#include "VisRun.h"

#include "Compiler/CompileDriver.h"
#include "Compiler/Literals.h"
#include "LogicAny/LogicAnalyzer.h"
#include "Sim_ag/SoftAG.h"
#include "Watch/ValueFormat.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <map>
#include <optional>

namespace korvo::cli {

namespace {

const char* const kRunUsage =
    "usage: korvo-cli run [OPTIONS] SOURCES...\n"
    "  --cycles N          whole PLC cycles to run (default 1)\n"
    "  --tick MS           virtual clock step in ms after every cycle (default 10)\n"
    "  --set ADDR=VALUE    before cycle 1, write %IXb.i, %IBn, %IWn, %IDn (or %Q.., %M..) from outside\n"
    "  --at K:ADDR=VALUE   the same, just before cycle K (from 1)\n"
    "  --print NAME        after the last cycle print \"NAME = VALUE\" (PROGRAM variable, A.B member, "
    "%QX0.1)\n"
    "  --trace N1,N2,...   after every cycle print \"cycle K: N1=V1 ...\"\n"
    "  --stats             cycles, instructions, wall time and rate on stderr\n"
    "  --vcd FILE          write the logic analyzer recording (BOOL signals, newest 500 steps) as VCD\n"
    "  --csv FILE          the same as CSV\n"
    "  --vis FILE.sdf      couple a visualization: its functions and timers run on the virtual clock\n"
    "  --click OBJECT@K    with --vis: mouse down on the animated picture OBJECT before cycle K, up\n"
    "                      after it (repeatable)\n"
    "  --break FILE:LINE   halt before the first instruction of that source line (from 1), print \"break at\n"
    "                      FILE line L in cycle K\" and the --print values, exit 0 (repeatable)\n"
    "  --force NAME=VALUE  before cycle 1, force a variable (as for --print) or %IX/%QX/%IB/%QB.. address:\n"
    "                      program and outside writes leave it (repeatable)\n"
    "  --stdlib FILE       standard function block library\n";

struct UsageError {
    std::string text;
};

bool ParseUnsigned(const std::string& s, uint64_t max, uint64_t& out) {
    if (s.empty() || s.size() > 19)
        return false;
    uint64_t v = 0;
    for (char c : s) {
        if (c < '0' || c > '9')
            return false;
        v = v * 10 + uint64_t(c - '0');
    }
    if (v > max)
        return false;
    out = v;
    return true;
}

// VALUE of --set: decimal (optionally negative), 16#hex or 2#binary; '_' separates digits.
bool ParseValue(std::string s, int64_t& out) {
    bool neg = false;
    if (!s.empty() && (s[0] == '-' || s[0] == '+')) {
        neg = s[0] == '-';
        s.erase(0, 1);
    }
    unsigned base = 10;
    if (s.rfind("16#", 0) == 0) {
        base = 16;
        s.erase(0, 3);
    } else if (s.rfind("2#", 0) == 0) {
        base = 2;
        s.erase(0, 2);
    } else if (s.rfind("8#", 0) == 0) {
        base = 8;
        s.erase(0, 2);
    }
    if (s.empty() || s.front() == '_' || s.back() == '_')
        return false;
    uint64_t v = 0;
    for (char c : s) {
        if (c == '_')
            continue;
        unsigned d;
        if (c >= '0' && c <= '9')
            d = unsigned(c - '0');
        else if (c >= 'a' && c <= 'f')
            d = unsigned(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            d = unsigned(c - 'A' + 10);
        else
            return false;
        if (d >= base || v > (UINT64_MAX - d) / base)
            return false;
        v = v * base + d;
    }
    if (v > uint64_t(INT64_MAX))
        return false;
    out = neg ? -int64_t(v) : int64_t(v);
    return true;
}

struct DirectAddress {
    int32_t byte = 0;
    uint8_t bit = 0;
    int16_t bits = 0;  // 1, 8, 16, 32 or 64
    int32_t type = -1; // BOOL, BYTE, WORD, DWORD, LWORD
};

std::optional<DirectAddress> ParseDirect(const std::string& text) {
    if (text.size() < 2 || text[0] != '%')
        return std::nullopt;
    DirectAddress a;
    int32_t adrType = 0;
    try {
        if (!GetDirectAdr(std::string_view(text).substr(1), a.byte, a.bit, a.bits, a.type, adrType))
            return std::nullopt;
    } catch (const std::exception&) {
        return std::nullopt;
    }
    return a;
}

struct Write {
    DirectAddress adr;
    int64_t value;
};

Write ParseWrite(const std::string& spec) {
    size_t eq = spec.find('=');
    if (eq == std::string::npos)
        throw UsageError{"expected ADDR=VALUE, got '" + spec + "'"};
    std::string adrText = spec.substr(0, eq), valueText = spec.substr(eq + 1);
    auto adr = ParseDirect(adrText);
    if (!adr)
        throw UsageError{"invalid address '" + adrText + "' (use %IXb.i, %IBn, %IWn, %IDn, or %Q.., %M..)"};
    int64_t v = 0;
    if (!ParseValue(valueText, v))
        throw UsageError{"invalid value '" + valueText + "' (decimal, 16#.. or 2#..)"};
    const int bits = adr->bits;
    const bool fits = bits >= 64 || (v >= -(int64_t(1) << (bits - 1)) && v < (int64_t(1) << bits));
    if (!fits || (bits == 1 && (v < 0 || v > 1)))
        throw UsageError{"value '" + valueText + "' does not fit " + adrText};
    return Write{*adr, v};
}

// The outside world's write: whole bytes through SetMemory_IQBuf, a bit by read-modify-write.
void ApplyWrite(TSoftAG& ag, const Write& w) {
    if (w.adr.bits == 1) {
        uint8_t b = ag.GetMemory_IQBuf(w.adr.byte);
        uint8_t mask = uint8_t(1u << (w.adr.bit & 7));
        ag.SetMemory_IQBuf(w.adr.byte, w.value ? uint8_t(b | mask) : uint8_t(b & ~mask));
        return;
    }
    for (int i = 0; i < w.adr.bits / 8; ++i)
        ag.SetMemory_IQBuf(w.adr.byte + i, uint8_t(uint64_t(w.value) >> (8 * i)));
}

// A name of --print / --trace resolved to an address and a type.
struct Watch {
    std::string name; // as written
    int32_t adr = 0;
    uint8_t bit = 0;
    int32_t type = 0;
    bool outside = false; // direct address: read through the outside view
};

const TVarDesc* FindVar(const TPOUDesc& pou, const std::string& upper) {
    for (const auto& v : pou.VarList)
        if (v->VarName == upper)
            return v.get();
    return nullptr;
}

Watch ResolveName(const TProjectDesc& project, const std::string& name) {
    Watch w;
    w.name = name;
    if (!name.empty() && name[0] == '%') {
        auto adr = ParseDirect(name);
        if (!adr)
            throw UsageError{"invalid address '" + name + "'"};
        w.adr = adr->byte;
        w.bit = adr->bit;
        w.type = adr->type;
        w.outside = true;
        return w;
    }
    const TPOUDesc* pou = project.POUList[size_t(project.MainPOU)].get();
    std::string rest = UpperCase(name);
    int32_t base = 0;
    for (;;) {
        size_t dot = rest.find('.');
        std::string part = rest.substr(0, dot);
        const TVarDesc* v = FindVar(*pou, part);
        if (!v)
            throw UsageError{"unknown variable '" + name + "' in " +
                             project.POUList[size_t(project.MainPOU)]->POUName};
        base += v->MemAdr;
        if (dot == std::string::npos) {
            if (v->DataType >= 0)
                throw UsageError{"'" + name + "' is a function block instance; name one of its members"};
            w.adr = base;
            w.bit = v->BitAdr;
            w.type = v->DataType;
            return w;
        }
        const TTypeDesc* td = GetTypeDesc(v->DataType, project.TypeList);
        if (v->DataType < 0 || !td || td->FB < 0 || size_t(td->FB) >= project.POUList.size())
            throw UsageError{"'" + part + "' in '" + name + "' is not a function block instance"};
        pou = project.POUList[size_t(td->FB)].get();
        rest.erase(0, dot + 1);
    }
}

std::string ValueOf(const TSoftAG& ag, const Watch& w) {
    TUS64 v = w.outside ? ag.GetMemory_IQBuf64(w.adr) : ag.GetMemory64(w.adr);
    return GetValString(w.type, DTDEC, w.bit, v);
}

std::vector<std::string> SplitList(const std::string& s) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= s.size()) {
        size_t comma = s.find(',', start);
        if (comma == std::string::npos)
            comma = s.size();
        std::string item = s.substr(start, comma - start);
        if (!item.empty())
            out.push_back(item);
        start = comma + 1;
    }
    return out;
}

std::string BaseName(const std::string& path) {
    size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// A library POU holds the lines from its header to its END_ line: find where they start in the file.
int32_t LibraryLine(const std::string& library, const TPOUDesc& pou, int32_t line) {
    std::vector<std::string> lines;
    if (pou.POUText.empty() || !ReadTextLines(library, lines))
        return line;
    for (size_t start = 0; start + pou.POUText.size() <= lines.size(); ++start)
        if (std::equal(pou.POUText.begin(), pou.POUText.end(), lines.begin() + long(start)))
            return int32_t(start) + line;
    return line;
}

} // namespace

int RunCommand(const std::vector<std::string>& argsIn) {
    for (const std::string& a : argsIn)
        if (a == "--help") {
            std::fputs(kRunUsage, stdout);
            return 0;
        }
    std::vector<std::string> args = argsIn;
    std::string stdlib, error;
    if (!TakeStdlibOption(args, stdlib, error)) {
        std::fprintf(stderr, "korvo-cli run: %s\n", error.c_str());
        return 3;
    }

    uint64_t cycles = 1, tick = 10;
    bool stats = false;
    std::vector<std::string> printNames, traceNames, sources;
    std::vector<Write> initial;
    std::map<uint64_t, std::vector<Write>> atCycle;
    std::vector<std::pair<std::string, TExportFormat>> recordings; // --vcd / --csv
    TVisRunOptions visOptions;                                     // --vis / --click
    TDebugOptions debugOptions;                                    // --break / --force
    try {
        for (size_t i = 0; i < args.size(); ++i) {
            const std::string& a = args[i];
            auto value = [&](const char* what) -> const std::string& {
                if (i + 1 >= args.size())
                    throw UsageError{std::string(a) + " needs " + what};
                return args[++i];
            };
            if (a == "--cycles") {
                const std::string& v = value("a number");
                if (!ParseUnsigned(v, 1000000000, cycles))
                    throw UsageError{"invalid cycle count '" + v + "'"};
            } else if (a == "--tick") {
                const std::string& v = value("a number of milliseconds");
                if (!ParseUnsigned(v, 86400000, tick))
                    throw UsageError{"invalid tick '" + v + "'"};
            } else if (a == "--set") {
                initial.push_back(ParseWrite(value("ADDR=VALUE")));
            } else if (a == "--at") {
                const std::string& v = value("K:ADDR=VALUE");
                size_t colon = v.find(':');
                uint64_t k = 0;
                if (colon == std::string::npos || !ParseUnsigned(v.substr(0, colon), 1000000000, k) || k == 0)
                    throw UsageError{"expected K:ADDR=VALUE with K from 1, got '" + v + "'"};
                atCycle[k].push_back(ParseWrite(v.substr(colon + 1)));
            } else if (a == "--print") {
                printNames.push_back(value("a name"));
            } else if (a == "--trace") {
                auto names = SplitList(value("a list of names"));
                if (names.empty())
                    throw UsageError{"--trace needs a list of names"};
                traceNames.insert(traceNames.end(), names.begin(), names.end());
            } else if (a == "--stats") {
                stats = true;
            } else if (a == "--vcd" || a == "--csv") {
                recordings.emplace_back(value("a file name"),
                                        a == "--vcd" ? TExportFormat::Vcd : TExportFormat::Csv);
            } else if (a == "--vis") {
                visOptions.File = value("a file name");
            } else if (a == "--click") {
                if (std::string e = visOptions.AddClick(value("OBJECT@K")); !e.empty())
                    throw UsageError{e};
            } else if (a == "--break" || a == "--force") {
                if (std::string e = debugOptions.Add(a, value(a == "--break" ? "FILE:LINE" : "NAME=VALUE"));
                    !e.empty())
                    throw UsageError{e};
            } else if (a.size() > 1 && a[0] == '-') {
                throw UsageError{"unknown option '" + a + "'"};
            } else {
                sources.push_back(a);
            }
        }
        if (sources.empty())
            throw UsageError{"no SOURCES given"};
        if (std::string e = visOptions.Check(); !e.empty())
            throw UsageError{e};
    } catch (const UsageError& e) {
        std::fprintf(stderr, "korvo-cli run: %s\n%s", e.text.c_str(), kRunUsage);
        return 3;
    }

    TProjectDesc project;
    if (!LoadSources(sources, stdlib, project, error)) {
        std::fprintf(stderr, "korvo-cli run: %s\n", error.c_str());
        return 3;
    }
    if (!CompileProject(project, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    if (project.MainPOU < 0 || size_t(project.MainPOU) >= project.POUList.size()) {
        std::fprintf(stderr, "korvo-cli run: the sources hold no PROGRAM\n");
        return 3;
    }

    std::vector<Watch> prints, traces;
    try {
        for (const auto& n : printNames)
            prints.push_back(ResolveName(project, n));
        for (const auto& n : traceNames)
            traces.push_back(ResolveName(project, n));
    } catch (const UsageError& e) {
        std::fprintf(stderr, "korvo-cli run: %s\n", e.text.c_str());
        return 3;
    }

    TVirtualTickSource clock(0);
    TSoftAG ag(clock);
    ag.Data->ProjectDesc = &project;
    TLogicAnalyzer analyzer(ag);
    if (!recordings.empty())
        ag.AddConnector(&analyzer);
    // Written also after a runtime error: the recording shows how it came about.
    auto writeRecordings = [&]() -> bool {
        bool ok = true;
        for (const auto& [path, format] : recordings) {
            const std::string e = analyzer.Export(path, format);
            if (!e.empty()) {
                std::fprintf(stderr, "korvo-cli run: %s\n", e.c_str());
                ok = false;
            }
        }
        ag.RemoveConnector(&analyzer);
        return ok;
    };
    ag.Reset();
    ag.SetMode(MM_RUN);
    TVisRun vis(ag);
    if (!vis.Open(visOptions, error)) {
        std::fprintf(stderr, "korvo-cli run: %s\n", error.c_str());
        ag.RemoveConnector(&analyzer);
        return 3;
    }

    const auto started = std::chrono::steady_clock::now();
    uint64_t done = 0;
    for (const auto& w : initial) // before cycle 1, also when no cycle runs
        ApplyWrite(ag, w);
    if (std::string e = debugOptions.Apply(ag, project); !e.empty()) {
        std::fprintf(stderr, "korvo-cli run: %s\n", e.c_str());
        ag.RemoveConnector(&analyzer);
        return 3;
    }
    for (uint64_t k = 1; k <= cycles; ++k) {
        if (auto it = atCycle.find(k); it != atCycle.end())
            for (const auto& w : it->second)
                ApplyWrite(ag, w);
        const uint64_t errorsBefore = ag.RuntimeErrors;
        vis.BeforeCycle(k);
        ag.Cycle();
        if (ag.RuntimeErrors != errorsBefore) {
            const auto& e = ag.LastRuntimeError();
            std::string file = "?";
            int32_t line = e.Line;
            if (e.POU >= 0 && size_t(e.POU) < project.POUList.size()) {
                const TPOUDesc& pou = *project.POUList[size_t(e.POU)];
                if (pou.Compiled) {
                    const std::string library = stdlib.empty() ? FindStandardIL() : stdlib;
                    file = BaseName(library);
                    line = LibraryLine(library, pou, line);
                } else {
                    file = BaseName(pou.FileName);
                }
            }
            std::fflush(stdout);
            std::fprintf(stderr, "Runtime error: %s in file %s in line %d\n", e.Message.c_str(), file.c_str(),
                         line + 1);
            writeRecordings();
            return 2;
        }
        if (debugOptions.ReportBreak(ag, project, k)) {
            for (const auto& w : prints)
                std::printf("%s = %s\n", w.name.c_str(), ValueOf(ag, w).c_str());
            std::fflush(stdout);
            return writeRecordings() ? 0 : 3;
        }
        ++done;
        vis.AfterCycle(k);
        clock.Advance(uint32_t(tick));
        if (!traces.empty()) {
            std::string line = "cycle " + std::to_string(k) + ":";
            for (const auto& w : traces)
                line += " " + w.name + "=" + ValueOf(ag, w);
            std::printf("%s\n", line.c_str());
        }
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    for (const auto& w : prints)
        std::printf("%s = %s\n", w.name.c_str(), ValueOf(ag, w).c_str());
    std::fflush(stdout);
    if (stats) {
        std::fprintf(stderr,
                     "cycles: %llu\ninstructions: %llu\nwall time: %.3f ms\ninstructions per second: %.0f\n",
                     (unsigned long long)done, (unsigned long long)ag.ExecutedCmds, seconds * 1000.0,
                     seconds > 0 ? double(ag.ExecutedCmds) / seconds : 0.0);
    }
    return writeRecordings() ? 0 : 3;
}

} // namespace korvo::cli
