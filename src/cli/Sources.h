// Loading the SOURCES of a korvo-cli command into a project: the standard library first,
// then the IL files in the order given.
#pragma once

#include "PLCTypes/PLCTypes.h"

#include <string>
#include <vector>

namespace korvo::cli {

// Removes "--stdlib FILE" (or "--stdlib=FILE") from args. False with a message if FILE is missing.
bool TakeStdlibOption(std::vector<std::string>& args, std::string& stdlib, std::string& error);

// Fills an empty project: the library (stdlib, or standard.il found next to the executable or
// in the installed data folder), then one POU per source file. False with a message on a file
// error or a library that does not compile.
bool LoadSources(const std::vector<std::string>& sources, const std::string& stdlib, TProjectDesc& project,
                 std::string& error);

// Compiles the project; false with the text the user sees ("<message> in file <name> in line
// <L> at column <C>").
bool CompileProject(TProjectDesc& project, std::string& error);

} // namespace korvo::cli
