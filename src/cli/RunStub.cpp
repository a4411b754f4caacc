// Placeholder until the soft PLC runner lands.
#include "Commands.h"

#include <cstdio>

namespace korvo::cli {

int RunCommand(const std::vector<std::string>&) {
    std::fprintf(stderr, "run: not available yet\n");
    return 3;
}

} // namespace korvo::cli
