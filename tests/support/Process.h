// Runs a program and captures its exit code, standard output and standard error.
#pragma once

#include <string>
#include <vector>

namespace korvo::test {

struct ProcessResult {
    int exitCode = -1;     // exit status; 128 + signal number when killed by a signal; -1 if not started
    std::string out;       // standard output
    std::string err;       // standard error
    bool timedOut = false; // killed after the timeout
};

// Runs program with args (argv[0] is program), feeding input to its standard input. The
// child is killed after timeoutSeconds.
ProcessResult RunProcess(const std::string& program, const std::vector<std::string>& args,
                         const std::string& input = {}, int timeoutSeconds = 60);

} // namespace korvo::test
