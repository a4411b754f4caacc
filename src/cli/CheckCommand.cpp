// korvo-cli check: compile the sources and report the first error.
#include "Commands.h"
#include "Sources.h"

#include <cstdio>

namespace korvo::cli {

int CheckCommand(const std::vector<std::string>& argsIn) {
    std::vector<std::string> args = argsIn;
    std::string stdlib, error;
    if (!TakeStdlibOption(args, stdlib, error)) {
        std::fprintf(stderr, "korvo-cli check: %s\n", error.c_str());
        return 3;
    }
    for (const std::string& a : args)
        if (a.size() > 1 && a[0] == '-') {
            std::fprintf(stderr, "korvo-cli check: unknown option '%s'\n", a.c_str());
            return 3;
        }
    if (args.empty()) {
        std::fprintf(stderr, "usage: korvo-cli check [--stdlib FILE] SOURCES...\n");
        return 3;
    }
    TProjectDesc project;
    if (!LoadSources(args, stdlib, project, error)) {
        std::fprintf(stderr, "korvo-cli check: %s\n", error.c_str());
        return 3;
    }
    if (!CompileProject(project, error)) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    return 0;
}

} // namespace korvo::cli
