// Breakpoint set, the text rule for lines that hold an instruction, and the project file section.
#include "Sim_ag/Breakpoints.h"

#include "Main/ProjectFile.h"
#include "Main/SafeFile.h"

#include <SimpleIni.h>

#include <algorithm>
#include <cctype>
#include <filesystem>

namespace korvo {

namespace fs = std::filesystem;

void TBreakpoints::Changed() {
    ++FRevision;
    FCount = 0;
    for (auto it = FLines.begin(); it != FLines.end();) {
        if (it->second.empty()) {
            it = FLines.erase(it);
        } else {
            FCount += it->second.size();
            ++it;
        }
    }
}

bool TBreakpoints::Has(const std::string& file, int32_t line) const {
    auto it = FLines.find(file);
    return it != FLines.end() && it->second.count(line) != 0;
}

bool TBreakpoints::Set(const std::string& file, int32_t line) {
    if (line < 0 || !FLines[file].insert(line).second)
        return false;
    Changed();
    return true;
}

bool TBreakpoints::Remove(const std::string& file, int32_t line) {
    auto it = FLines.find(file);
    if (it == FLines.end() || it->second.erase(line) == 0)
        return false;
    Changed();
    return true;
}

bool TBreakpoints::Toggle(const std::string& file, int32_t line) {
    if (Remove(file, line))
        return false;
    return Set(file, line);
}

void TBreakpoints::Clear() {
    FLines.clear();
    Changed();
}

void TBreakpoints::ClearFile(const std::string& file) {
    FLines.erase(file);
    Changed();
}

void TBreakpoints::RenameFile(const std::string& from, const std::string& to) {
    auto it = FLines.find(from);
    if (it == FLines.end() || from == to)
        return;
    std::set<int32_t> lines = std::move(it->second);
    FLines.erase(it);
    FLines[to].insert(lines.begin(), lines.end());
    Changed();
}

void TBreakpoints::LinesInserted(const std::string& file, int32_t at, int32_t count) {
    auto it = FLines.find(file);
    if (it == FLines.end() || count <= 0)
        return;
    std::set<int32_t> moved;
    for (int32_t l : it->second)
        moved.insert(l >= at ? l + count : l);
    it->second = std::move(moved);
    Changed();
}

void TBreakpoints::LinesDeleted(const std::string& file, int32_t at, int32_t count) {
    auto it = FLines.find(file);
    if (it == FLines.end() || count <= 0)
        return;
    std::set<int32_t> moved;
    for (int32_t l : it->second) {
        if (l < at)
            moved.insert(l);
        else if (l >= at + count)
            moved.insert(l - count);
    }
    it->second = std::move(moved);
    Changed();
}

void TBreakpoints::Prune(const std::string& file, const std::vector<std::string>& lines) {
    auto it = FLines.find(file);
    if (it == FLines.end())
        return;
    for (auto l = it->second.begin(); l != it->second.end();)
        l = LineHoldsInstruction(lines, *l) ? std::next(l) : it->second.erase(l);
    Changed();
}

std::vector<int32_t> TBreakpoints::Lines(const std::string& file) const {
    auto it = FLines.find(file);
    if (it == FLines.end())
        return {};
    return {it->second.begin(), it->second.end()};
}

std::vector<std::string> TBreakpoints::Files() const {
    std::vector<std::string> out;
    for (const auto& [file, lines] : FLines)
        out.push_back(file);
    return out;
}

// ---------------------------------------------------------------------------------------------

namespace {

bool IdentChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

// The line without (* *) comments; inComment carries an open comment to the next line.
std::string StripComments(const std::string& s, bool& inComment) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i) {
        if (inComment) {
            if (s[i] == '*' && i + 1 < s.size() && s[i + 1] == ')') {
                inComment = false;
                ++i;
            }
        } else if (s[i] == '(' && i + 1 < s.size() && s[i + 1] == '*') {
            inComment = true;
            ++i;
            out += ' ';
        } else if (s[i] == '\r' || s[i] == '\n') {
            out += ' ';
        } else {
            out += s[i];
        }
    }
    return out;
}

} // namespace

bool LineHoldsInstruction(const std::vector<std::string>& lines, int32_t line) {
    if (line < 0 || size_t(line) >= lines.size())
        return false;
    bool inComment = false, inPOU = false, inVar = false;
    for (int32_t k = 0; k <= line; ++k) {
        std::string t = StripComments(lines[size_t(k)], inComment);
        size_t p = t.find_first_not_of(" \t");
        if (p == std::string::npos) {
            if (k == line)
                return false;
            continue;
        }
        size_t e = p;
        while (e < t.size() && IdentChar(t[e]))
            ++e;
        std::string word = t.substr(p, e - p);
        for (char& c : word)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        bool code = false;
        if (word == "PROGRAM" || word == "FUNCTION_BLOCK" || word == "FUNCTION") {
            inPOU = true;
            inVar = false;
        } else if (word.rfind("END_", 0) == 0) {
            if (word == "END_VAR")
                inVar = false;
            else
                inPOU = false;
        } else if (word.rfind("VAR", 0) == 0 && (word.size() == 3 || word[3] == '_')) {
            inVar = true;
        } else if (inPOU && !inVar) {
            // A leading label "NAME:" (not ":=") holds no instruction by itself.
            size_t q = t.find_first_not_of(" \t", e);
            if (!word.empty() && q != std::string::npos && t[q] == ':' &&
                (q + 1 >= t.size() || t[q + 1] != '='))
                code = t.find_first_not_of(" \t", q + 1) != std::string::npos;
            else
                code = true;
        }
        if (k == line)
            return code;
    }
    return false;
}

bool LineHoldsCode(const TProjectDesc& project, const std::string& file, int32_t line) {
    for (const auto& pou : project.POUList) {
        if (!pou || pou->Compiled || pou->FileName != file)
            continue;
        const size_t n = std::min<size_t>(pou->CmdCount, pou->Code.size());
        for (size_t i = 0; i < n; ++i)
            if (pou->Code[i].SourceLine == line && pou->Code[i].Op() != OP_PUSHFRAME)
                return true;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------

void ReadBreakpointsSection(const std::string& iniText, const std::string& projectFile, TBreakpoints& bp) {
    CSimpleIniA ini;
    if (ini.LoadData(iniText) < 0)
        return;
    CSimpleIniA::TNamesDepend keys;
    ini.GetAllKeys(PLP_SECTION_BREAKPOINTS, keys);
    for (const auto& key : keys) {
        std::string name = key.pItem;
        for (char& c : name)
            c = char(std::toupper(static_cast<unsigned char>(c)));
        if (name.rfind("FILE", 0) != 0)
            continue;
        const std::string file = ini.GetValue(PLP_SECTION_BREAKPOINTS, key.pItem, "");
        const std::string lines =
            ini.GetValue(PLP_SECTION_BREAKPOINTS, ("LINES" + name.substr(4)).c_str(), "");
        if (file.empty())
            continue;
        const std::string path = ResolveProjectPath(file, projectFile);
        size_t start = 0;
        while (start < lines.size()) {
            size_t comma = lines.find(',', start);
            if (comma == std::string::npos)
                comma = lines.size();
            const std::string item = lines.substr(start, comma - start);
            start = comma + 1;
            if (item.empty() || item.size() > 9 ||
                !std::all_of(item.begin(), item.end(), [](char c) { return c >= '0' && c <= '9'; }))
                continue;
            const int32_t l = std::stoi(item);
            if (l >= 1)
                bp.Set(path, l - 1);
        }
    }
}

bool LoadBreakpoints(const std::string& projectFile, TBreakpoints& bp, std::string& error) {
    bp.Clear();
    std::string content;
    if (!ReadFileBytes(projectFile, content, error))
        return false;
    ReadBreakpointsSection(content, projectFile, bp);
    return true;
}

bool WriteBreakpointsSection(const std::string& projectFile, const TBreakpoints& bp, std::string& error) {
    std::string content;
    if (!ReadFileBytes(projectFile, content, error))
        return false;
    const size_t nl = content.find('\n');
    const bool crlf = nl != std::string::npos && nl > 0 && content[nl - 1] == '\r';
    CSimpleIniA ini;
    ini.SetSpaces(false);
    if (ini.LoadData(content) < 0) {
        error = "Not an INI file";
        return false;
    }
    if (bp.Empty() && !ini.GetSection(PLP_SECTION_BREAKPOINTS))
        return true; // nothing to store, nothing to remove
    ini.Delete(PLP_SECTION_BREAKPOINTS, nullptr);
    int k = 0;
    for (const std::string& file : bp.Files()) {
        std::string lines;
        for (int32_t l : bp.Lines(file))
            lines += (lines.empty() ? "" : ",") + std::to_string(l + 1);
        const std::string n = std::to_string(k++);
        ini.SetValue(PLP_SECTION_BREAKPOINTS, ("FILE" + n).c_str(),
                     ProjectRelativePath(file, projectFile).c_str());
        ini.SetValue(PLP_SECTION_BREAKPOINTS, ("LINES" + n).c_str(), lines.c_str());
    }
    std::string out;
    if (ini.Save(out, false) < 0) {
        error = "Cannot format the project file";
        return false;
    }
    return WriteProjectFileText(std::move(out), projectFile, crlf, error);
}

} // namespace korvo
