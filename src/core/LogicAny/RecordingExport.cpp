// VCD and CSV writers for the logic analyzer recording.
#include "LogicAny/RecordingExport.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace korvo {

namespace {

// Short identifier codes from the printable range '!'..'~'.
std::string VcdCode(int n) {
    std::string s;
    do {
        s.push_back(char('!' + n % 94));
        n /= 94;
    } while (n-- > 0);
    return s;
}

// VCD references may not hold white space; IL names never do, but be safe.
std::string VcdName(std::string s) {
    for (char& c : s)
        if (std::isspace(static_cast<unsigned char>(c)) || c == '$')
            c = '_';
    return s.empty() ? std::string("_") : s;
}

std::vector<std::string> SplitDots(const std::string& name) {
    std::vector<std::string> parts;
    std::string cur;
    for (char c : name) {
        if (c == '.') {
            parts.push_back(cur);
            cur.clear();
        } else {
            cur.push_back(c);
        }
    }
    parts.push_back(cur);
    return parts;
}

void WriteSignalScope(std::ostream& out, const char* scope, const std::vector<std::string>& names,
                      int firstCode) {
    out << "$scope module " << scope << " $end\n";
    std::vector<std::string> open;
    for (size_t y = 0; y < names.size(); ++y) {
        std::vector<std::string> parts = SplitDots(names[y]);
        const std::string leaf = parts.back();
        parts.pop_back();
        size_t common = 0;
        while (common < open.size() && common < parts.size() && open[common] == parts[common])
            ++common;
        while (open.size() > common) {
            out << "$upscope $end\n";
            open.pop_back();
        }
        for (size_t i = common; i < parts.size(); ++i) {
            out << "$scope module " << VcdName(parts[i]) << " $end\n";
            open.push_back(parts[i]);
        }
        out << "$var wire 1 " << VcdCode(firstCode + int(y)) << ' ' << VcdName(leaf) << " $end\n";
    }
    for (size_t i = 0; i < open.size(); ++i)
        out << "$upscope $end\n";
    out << "$upscope $end\n";
}

void WriteBinary(std::ostream& out, int32_t v, const std::string& code) {
    if (v < 0) {
        out << "bx " << code << '\n';
        return;
    }
    std::string bits;
    for (uint32_t u = uint32_t(v); u; u >>= 1)
        bits.insert(bits.begin(), char('0' + (u & 1)));
    out << 'b' << (bits.empty() ? "0" : bits) << ' ' << code << '\n';
}

std::string CsvField(const std::string& s) {
    if (s.find_first_of(",\"\r\n") == std::string::npos)
        return s;
    std::string q = "\"";
    for (char c : s) {
        if (c == '"')
            q.push_back('"');
        q.push_back(c);
    }
    return q + "\"";
}

} // namespace

void WriteVcd(std::ostream& out, const TAnalyzerRecording& rec, const std::vector<std::string>& allNames) {
    const std::vector<std::string> names(
        allNames.begin(), allNames.begin() + std::min<size_t>(allNames.size(), LA_MAX_SIGNALS));
    const int n = int(names.size());
    const std::string phaseCode = VcdCode(0), pouCode = VcdCode(1), cycleCode = VcdCode(2);
    auto progCode = [&](int y) { return VcdCode(3 + y); };
    auto iqCode = [&](int y) { return VcdCode(3 + n + y); };

    out << "$version Korvo logic analyzer $end\n"
        << "$comment one time unit per soft PLC step; cycle numbers count from the last Clear $end\n"
        << "$timescale 1 ns $end\n"
        << "$scope module plc $end\n"
        << "$var wire 1 " << phaseCode << " phase $end\n"
        << "$var wire 1 " << pouCode << " pou_change $end\n"
        << "$var integer 32 " << cycleCode << " cycle $end\n"
        << "$upscope $end\n";
    WriteSignalScope(out, "program", names, 3);
    WriteSignalScope(out, "outside", names, 3 + n);
    out << "$enddefinitions $end\n";

    const int valid = rec.ValidLength();
    bool prevPhase = false, prevPou = false;
    uint16_t prevProg = 0, prevIQ = 0;
    int32_t cycle = rec.FirstCycleNo() - 1, prevCycle = -1;
    for (int X = 1; X <= valid; ++X) {
        const bool phase = rec.IsPhase(X), pou = rec.POUChanged(X);
        const uint16_t prog = rec.Prog(X), iq = rec.IQ(X);
        if (rec.IsCycleStart(X))
            ++cycle;
        const int32_t shownCycle = cycle < rec.FirstCycleNo() ? -1 : cycle;
        const bool first = X == 1;
        std::ostringstream changes;
        if (first || phase != prevPhase)
            changes << (phase ? '1' : '0') << phaseCode << '\n';
        if (first || pou != prevPou)
            changes << (pou ? '1' : '0') << pouCode << '\n';
        if (first || shownCycle != prevCycle)
            WriteBinary(changes, shownCycle, cycleCode);
        for (int y = 0; y < n; ++y) {
            const bool p = (prog >> y) & 1, q = (iq >> y) & 1;
            if (first || p != bool((prevProg >> y) & 1))
                changes << (p ? '1' : '0') << progCode(y) << '\n';
            if (first || q != bool((prevIQ >> y) & 1))
                changes << (q ? '1' : '0') << iqCode(y) << '\n';
        }
        const std::string text = changes.str();
        if (first)
            out << "#0\n$dumpvars\n" << text << "$end\n";
        else if (!text.empty())
            out << '#' << (X - 1) << '\n' << text;
        prevPhase = phase;
        prevPou = pou;
        prevProg = prog;
        prevIQ = iq;
        prevCycle = shownCycle;
    }
    out << '#' << valid << '\n';
}

void WriteCsv(std::ostream& out, const TAnalyzerRecording& rec, const std::vector<std::string>& allNames) {
    const size_t n = std::min<size_t>(allNames.size(), LA_MAX_SIGNALS);
    out << "sample,cycle,phase,pou_change";
    for (size_t y = 0; y < n; ++y)
        out << ',' << CsvField(allNames[y]);
    for (size_t y = 0; y < n; ++y)
        out << ',' << CsvField(allNames[y] + " (outside)");
    out << '\n';
    int32_t cycle = rec.FirstCycleNo() - 1;
    for (int X = 1; X <= rec.ValidLength(); ++X) {
        if (rec.IsCycleStart(X))
            ++cycle;
        out << X << ',';
        if (cycle >= rec.FirstCycleNo())
            out << cycle;
        out << ',' << int(rec.IsPhase(X)) << ',' << int(rec.POUChanged(X));
        for (size_t y = 0; y < n; ++y)
            out << ',' << int(rec.ProgBit(X, int(y)));
        for (size_t y = 0; y < n; ++y)
            out << ',' << int(rec.IQBit(X, int(y)));
        out << '\n';
    }
}

TExportFormat ExportFormatFor(const std::string& path) {
    if (path.size() >= 4) {
        std::string ext = path.substr(path.size() - 4);
        std::transform(ext.begin(), ext.end(), ext.begin(),
                       [](unsigned char c) { return char(std::tolower(c)); });
        if (ext == ".csv")
            return TExportFormat::Csv;
    }
    return TExportFormat::Vcd;
}

std::string ExportRecording(const std::string& path, TExportFormat format, const TAnalyzerRecording& rec,
                            const std::vector<std::string>& names) {
    const std::string tmp = path + ".tmp";
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        if (!out)
            return "Cannot write file " + path;
        if (format == TExportFormat::Csv)
            WriteCsv(out, rec, names);
        else
            WriteVcd(out, rec, names);
        out.flush();
        if (!out) {
            out.close();
            std::remove(tmp.c_str());
            return "Cannot write file " + path;
        }
    }
    if (std::rename(tmp.c_str(), path.c_str()) != 0) {
        std::remove(tmp.c_str());
        return "Cannot write file " + path;
    }
    return {};
}

} // namespace korvo
