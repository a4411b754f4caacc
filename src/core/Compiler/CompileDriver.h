// Compile driver: compiles a whole project starting at its PROGRAM, loads and compiles the
// standard function block library, and formats a compile error for the user.
#pragma once

#include "Compiler/CompileError.h"
#include "PLCTypes/PLCTypes.h"

#include <string>
#include <vector>

namespace korvo {

// Scans every POU header, then compiles the PROGRAM and whatever it uses. On an error returns
// false with the message and its position (POU index or -1, line index and column from 0).
bool Compile(TProjectDesc& Project, int32_t& POUIndex, int32_t& LIndex, int32_t& ChIndex,
             std::string& AErrorMsg);

// Cuts ASource into library POUs, appends them to the (empty) POU list and compiles them with
// keywords allowed as names. Throws ECompileError.
void CompileStandardIL(TProjectDesc& Project, const std::vector<std::string>& ASource);

// Reads the library file and calls CompileStandardIL. Throws std::runtime_error when the file
// cannot be read, ECompileError when it does not compile.
void LoadStdFBs(TProjectDesc& Project, const std::string& LibraryPath);

// "standard.il" next to the running executable, else in the installed data folder; empty if
// neither exists.
std::string FindStandardIL();

// The text the user sees: "<message> in file <name> in line <L> at column <C>" (counted from 1),
// or the message alone when no project file applies.
std::string FormatCompileError(const TProjectDesc& Project, int32_t POUIndex, int32_t LIndex, int32_t ChIndex,
                               const std::string& AErrorMsg);

// Splits a text into lines at LF or CRLF; a last line without line end counts.
std::vector<std::string> SplitLines(std::string_view text);
// Reads a text file as lines; false if it cannot be read.
bool ReadTextLines(const std::string& path, std::vector<std::string>& lines);

} // namespace korvo
