// A .plp project file as the SOURCES of a korvo-cli command, opened as the IDE opens it.
#pragma once

#include "PLCTypes/PLCTypes.h"

#include <string>
#include <vector>

namespace korvo::cli {

// True when any source has the extension .plp (any letter case).
bool HasProjectSource(const std::vector<std::string>& sources);

// Opens the project file sources[0] (which must be the only source) into the empty project:
// the library lines compiled first, then the listed IL files. The project operations' messages
// and a warning per listed file that is missing go to stderr. False with error for a missing
// or invalid project file, a .plp among other sources, or a library that does not compile.
bool LoadProjectSource(const std::vector<std::string>& sources, const std::string& library,
                       const std::vector<std::string>& libraryLines, TProjectDesc& project,
                       std::string& error);

} // namespace korvo::cli
