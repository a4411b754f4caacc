// The sub-commands of korvo-cli. Each takes the arguments after its name and returns the
// process exit code: 0 success, 1 compile error, 2 runtime error, 3 usage or file error.
#pragma once

#include <string>
#include <vector>

namespace korvo::cli {

int CheckCommand(const std::vector<std::string>& args);
int DumpCommand(const std::vector<std::string>& args);
int RunCommand(const std::vector<std::string>& args);

} // namespace korvo::cli
