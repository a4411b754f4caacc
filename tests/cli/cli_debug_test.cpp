// korvo-cli run --break and --force: where a run halts, what it prints, forced reads and writes,
// and the usage errors.
#include "Process.h"

#include <gtest/gtest.h>

using korvo::test::ProcessResult;
using korvo::test::RunProcess;

namespace {

const std::string kFix = KORVO_TEST_DATA_DIR "/debug/";

// main.il lines: 9 LD X .. 11 ST X, 14 CAL F, 15 LD F.OUTV, 17/18 Button to Lamp, 22 only from
// cycle 3 on (X >= 3); adder.il: 8 LD A, 9 ADD 1, 10 ST OUTV.
ProcessResult RunCli(std::vector<std::string> args) {
    args.insert(args.begin(), "run");
    args.push_back(kFix + "adder.il");
    args.push_back(kFix + "main.il");
    return RunProcess(KORVO_CLI, args);
}

TEST(CliDebug, BreakStopsBeforeTheLineAndPrints) {
    struct Case {
        std::vector<std::string> args;
        std::string out;
    };
    const Case cases[] = {
        {{"--cycles", "5", "--break", "main.il:15", "--print", "X", "--print", "Y"},
         "break at main.il line 15 in cycle 1\nX = 1\nY = 0\n"},
        {{"--cycles", "10", "--break", "main.il:22", "--print", "X"},
         "break at main.il line 22 in cycle 3\nX = 3\n"},
        {{"--cycles", "2", "--break", "main.il:22", "--print", "X"}, "X = 2\n"}, // never reached
        {{"--break", "adder.il:10", "--print", "F.OUTV"},
         "break at adder.il line 10 in cycle 1\nF.OUTV = 0\n"},
        {{"--cycles", "4", "--break", kFix + "main.il:9", "--print", "X"},
         "break at main.il line 9 in cycle 1\nX = 0\n"},
        {{"--cycles", "10", "--break", "main.il:22", "--break", "main.il:18"},
         "break at main.il line 18 in cycle 1\n"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, c.out) << c.args[1];
        EXPECT_EQ(r.err, "");
    }
}

TEST(CliDebug, ForcedVariablesAndInputs) {
    // X is forced: the program's ADD/ST leaves it; the block gets the forced value.
    ProcessResult r = RunCli({"--cycles", "3", "--force", "X=100", "--print", "X", "--print", "Y"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "X = 100\nY = 100\n") << "X >= 3: line 22 sets Y to 100";
    r = RunCli({"--cycles", "1", "--force", "F.OUTV=-5", "--print", "Y"});
    EXPECT_EQ(r.out, "Y = -5\n") << r.err;

    // A forced input wins over writes from outside, by address and by name.
    for (const char* name : {"%IX0.0=1", "Button=TRUE"}) {
        r = RunCli({"--cycles", "2", "--force", name, "--set", "%IB0=0", "--at", "2:%IX0.0=0", "--print",
                    "Lamp", "--print", "%IX0.0"});
        EXPECT_EQ(r.exitCode, 0) << r.err;
        EXPECT_EQ(r.out, "Lamp = 1\n%IX0.0 = 1\n") << name;
    }
    // A forced output: the program's write is suppressed.
    r = RunCli({"--force", "%QX0.0=1", "--print", "Lamp", "--print", "%QB0"});
    EXPECT_EQ(r.out, "Lamp = 1\n%QB0 = 1\n") << r.err;
    // A force and a breakpoint together: the halt shows the forced value.
    r = RunCli({"--cycles", "3", "--force", "X=7", "--break", "main.il:22", "--print", "X"});
    EXPECT_EQ(r.out, "break at main.il line 22 in cycle 1\nX = 7\n") << r.err;
}

TEST(CliDebug, UsageErrors) {
    struct Case {
        std::vector<std::string> args;
        std::string err; // first line of standard error
    };
    const Case cases[] = {
        {{"--break", "main.il"}, "korvo-cli run: expected FILE:LINE with LINE from 1, got 'main.il'"},
        {{"--break", "main.il:0"}, "korvo-cli run: expected FILE:LINE with LINE from 1, got 'main.il:0'"},
        {{"--break", "main.il:x"}, "korvo-cli run: expected FILE:LINE with LINE from 1, got 'main.il:x'"},
        {{"--break", "main.il:3"}, "korvo-cli run: --break: line 3 of main.il holds no instruction"},
        {{"--break", "main.il:24"}, "korvo-cli run: --break: line 24 of main.il holds no instruction"},
        {{"--break", "main.il:999"}, "korvo-cli run: --break: line 999 of main.il holds no instruction"},
        {{"--break", "other.il:9"}, "korvo-cli run: --break: no source file 'other.il'"},
        {{"--force", "X"}, "korvo-cli run: expected NAME=VALUE, got 'X'"},
        {{"--force", "X="}, "korvo-cli run: expected NAME=VALUE, got 'X='"},
        {{"--force", "NOPE=1"}, "korvo-cli run: --force NOPE: unknown variable 'NOPE'"},
        {{"--force", "X=abc"}, "korvo-cli run: --force X: invalid value 'abc'"},
        {{"--force", "X=70000"}, "korvo-cli run: --force X: Value out of range of type INT"},
        {{"--force", "F=1"},
         "korvo-cli run: --force F: 'F' is a function block instance; name one of its members"},
        {{"--force", "%IX0.0=2"}, "korvo-cli run: --force %IX0.0: a BOOL is forced to 0, 1, TRUE or FALSE"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 3) << c.args[0] << " " << (c.args.size() > 1 ? c.args[1] : "");
        EXPECT_EQ(r.err.substr(0, r.err.find('\n')), c.err);
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliDebug, HelpTextNamesTheOptions) {
    const ProcessResult r = RunProcess(KORVO_CLI, {"run", "--bogus"});
    EXPECT_NE(r.err.find("--break FILE:LINE"), std::string::npos);
    EXPECT_NE(r.err.find("--force NAME=VALUE"), std::string::npos);
}

} // namespace
