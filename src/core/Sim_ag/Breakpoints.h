// Breakpoints: source lines per file at which run mode, Cycle, Step Over and Step Out halt in
// step mode before the line's first instruction. Lines count from 0, as TAWLCommand::SourceLine.
// Files are keyed by the name the project's POUs carry (TPOUDesc::FileName).
#pragma once

#include "PLCTypes/PLCTypes.h"

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace korvo {

inline constexpr const char* PLP_SECTION_BREAKPOINTS = "KORVO_BREAKPOINTS";

class TBreakpoints {
public:
    bool Has(const std::string& file, int32_t line) const;
    // False when the breakpoint was already set (or line < 0).
    bool Set(const std::string& file, int32_t line);
    bool Remove(const std::string& file, int32_t line);
    // Returns whether the line has a breakpoint afterwards.
    bool Toggle(const std::string& file, int32_t line);
    // "Remove all breakpoints".
    void Clear();
    void ClearFile(const std::string& file);
    // A file renamed (Save As): its breakpoints go with it.
    void RenameFile(const std::string& from, const std::string& to);

    // Editor deltas. count lines inserted before line `at`: breakpoints on lines >= at move down.
    void LinesInserted(const std::string& file, int32_t at, int32_t count);
    // count lines from `at` deleted: their breakpoints go, those below move up.
    void LinesDeleted(const std::string& file, int32_t at, int32_t count);
    // Drops the breakpoints of file on lines that no longer hold an instruction.
    void Prune(const std::string& file, const std::vector<std::string>& lines);

    std::vector<int32_t> Lines(const std::string& file) const;
    std::vector<std::string> Files() const;
    size_t Count() const { return FCount; }
    bool Empty() const { return FCount == 0; }
    // Changes on every modification; the soft PLC rebuilds its line maps when it differs.
    uint32_t Revision() const { return FRevision; }

private:
    void Changed();
    std::map<std::string, std::set<int32_t>> FLines;
    size_t FCount = 0;
    uint32_t FRevision = 0;
};

// Whether line (from 0) of a source text holds an IL instruction: inside a POU body, not in a
// VAR block, not only a comment, label or keyword line. For the editor before compiling.
bool LineHoldsInstruction(const std::vector<std::string>& lines, int32_t line);
// The same from compiled code: some user POU of file has an instruction on line.
bool LineHoldsCode(const TProjectDesc& project, const std::string& file, int32_t line);

// Project file section: FILE<k> = path relative to the project file, LINES<k> = 1-based lines
// "3,17,20". Older readers ignore the section. Read skips malformed entries.
void ReadBreakpointsSection(const std::string& iniText, const std::string& projectFile, TBreakpoints& bp);
// Rewrites the section in the existing project file (written safely); false with error set.
bool WriteBreakpointsSection(const std::string& projectFile, const TBreakpoints& bp, std::string& error);
// Reads the project file's section into bp (cleared first); false with error when unreadable.
bool LoadBreakpoints(const std::string& projectFile, TBreakpoints& bp, std::string& error);

} // namespace korvo
