// korvo-cli: headless compiler and runner for IL projects.
#include "Commands.h"

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const kUsage = "usage: korvo-cli COMMAND [OPTIONS] SOURCES...\n"
                           "\n"
                           "SOURCES are one or more IL files (.il) forming a project, in that order, or one\n"
                           "project file (.plp) listing them.\n"
                           "\n"
                           "commands:\n"
                           "  check   compile; print the first error and exit 1 if there is one\n"
                           "  dump    compile and list the bytecode and variables of every compiled POU\n"
                           "  run     compile and run on the soft PLC\n"
                           "\n"
                           "options:\n"
                           "  --stdlib FILE   standard function block library (default: standard.il next to\n"
                           "                  the program, then in the installed data folder)\n"
                           "  --help          this text (run --help: the options of run)\n"
                           "  --version       program version\n"
                           "\n"
                           "exit codes: 0 success, 1 compile error, 2 runtime error, 3 usage or file error\n";

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return 3;
    }
    std::string command = argv[1];
    std::vector<std::string> args(argv + 2, argv + argc);
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (command == "--version") {
        std::puts("korvo-cli " KORVO_VERSION);
        return 0;
    }
    for (const std::string& a : args)
        if (a == "--help" && command != "run") {
            std::fputs(kUsage, stdout);
            return 0;
        }
    if (command == "check")
        return korvo::cli::CheckCommand(args);
    if (command == "dump")
        return korvo::cli::DumpCommand(args);
    if (command == "run")
        return korvo::cli::RunCommand(args);
    std::fprintf(stderr, "korvo-cli: unknown command '%s'\n%s", command.c_str(), kUsage);
    return 3;
}
