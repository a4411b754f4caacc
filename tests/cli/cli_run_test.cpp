// korvo-cli run: options, output forms and exit codes.
#include "Process.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>

using korvo::test::ProcessResult;
using korvo::test::RunProcess;

namespace {

const std::string kFix = KORVO_TEST_DATA_DIR "/run/";

ProcessResult RunCli(std::vector<std::string> args) {
    args.insert(args.begin(), "run");
    return RunProcess(KORVO_CLI, args);
}

TEST(CliRun, PrintsVariablesMembersAndDirectAddressesAsWritten) {
    auto r =
        RunCli({"--cycles", "4", "--set", "%IX0.0=1", "--print", "minus", "--print", "%QX0.1", "--print",
                "%QB1", "--print", "Hold", "--print", "Delay.Q", "--print", "delay.et", kFix + "plant.il"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "minus = -4\n"
                     "%QX0.1 = 1\n"
                     "%QB1 = 4\n"
                     "Hold = t#25ms\n"
                     "Delay.Q = 1\n"
                     "delay.et = t#25ms\n");
    EXPECT_EQ(r.err, "");
}

TEST(CliRun, TracesEveryCycleAndAppliesWritesBeforeTheirCycle) {
    auto r = RunCli({"--cycles", "5", "--tick", "10", "--at", "2:%IX0.0=1", "--at", "4:%IW2=16#1234", "--at",
                     "5:%IB0=0", "--trace", "Count,Start,Motor,Delay.ET,LevelCopy", kFix + "plant.il"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "cycle 1: Count=1 Start=0 Motor=0 Delay.ET=t#0ms LevelCopy=0\n"
                     "cycle 2: Count=2 Start=1 Motor=0 Delay.ET=t#0ms LevelCopy=0\n"
                     "cycle 3: Count=3 Start=1 Motor=0 Delay.ET=t#10ms LevelCopy=0\n"
                     "cycle 4: Count=4 Start=1 Motor=0 Delay.ET=t#20ms LevelCopy=4660\n"
                     "cycle 5: Count=5 Start=0 Motor=0 Delay.ET=t#0ms LevelCopy=4660\n");
}

TEST(CliRun, TickDrivesTheTimers) {
    auto slow =
        RunCli({"--cycles", "2", "--tick", "30", "--set", "%IX0.0=1", "--print", "Motor", kFix + "plant.il"});
    EXPECT_EQ(slow.out, "Motor = 1\n") << slow.err;
    auto fast =
        RunCli({"--cycles", "2", "--tick", "1", "--set", "%IX0.0=1", "--print", "Motor", kFix + "plant.il"});
    EXPECT_EQ(fast.out, "Motor = 0\n") << fast.err;
}

TEST(CliRun, ValueForms) {
    auto r = RunCli({"--cycles", "0", "--set", "%IW2=2#1000000000000001", "--set", "%QB1=255", "--print",
                     "%IW2", "--print", "%IX2.0", "--print", "%IX3.7", "--print", "%QB1", "--print", "Count",
                     kFix + "plant.il"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "%IW2 = 32769\n%IX2.0 = 1\n%IX3.7 = 1\n%QB1 = 255\nCount = 0\n");
}

TEST(CliRun, ReadsCrLfSources) {
    auto r = RunCli({"--print", "X", kFix + "crlf.il"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "X = 7\n");
}

TEST(CliRun, StatsGoToStderr) {
    auto r = RunCli({"--cycles", "3", "--stats", kFix + "plant.il"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, "");
    EXPECT_NE(r.err.find("cycles: 3\n"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("instructions: "), std::string::npos);
    EXPECT_NE(r.err.find("wall time: "), std::string::npos);
    EXPECT_NE(r.err.find("instructions per second: "), std::string::npos);
}

TEST(CliRun, CompileErrorExitsOneLikeCheck) {
    auto r = RunCli({kFix + "badcompile.il"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Unknown identifier in file badcompile.il in line 5 at column 9\n");
    auto check = RunProcess(KORVO_CLI, {"check", kFix + "badcompile.il"});
    EXPECT_EQ(check.err, r.err);
}

TEST(CliRun, RuntimeErrorExitsTwoWithPosition) {
    auto r = RunCli({"--cycles", "5", "--trace", "X", kFix + "overflow.il"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Runtime error: Result out of range in file overflow.il in line 6\n");
    EXPECT_EQ(r.out, "cycle 1: X=50\ncycle 2: X=100\n") << "cycles before the error are traced";
    auto div = RunCli({kFix + "divzero.il"});
    EXPECT_EQ(div.exitCode, 2);
    EXPECT_EQ(div.err, "Runtime error: Division by zero in file divzero.il in line 9\n");
}

TEST(CliRun, RuntimeErrorInALibraryBlockNamesTheLibraryLine) {
    auto r = RunCli({"--stdlib", kFix + "faultylib.il", kFix + "usefault.il"});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_EQ(r.err, "Runtime error: Division by zero in file faultylib.il in line 14\n");
}

TEST(CliRun, UsageAndFileErrorsExitThree) {
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"--bogus", kFix + "plant.il"},
        {"--cycles", kFix + "plant.il"},
        {"--cycles", "-1", kFix + "plant.il"},
        {"--tick", "x", kFix + "plant.il"},
        {"--set", "%IX0.8=1", kFix + "plant.il"},
        {"--set", "%IB0=256", kFix + "plant.il"},
        {"--set", "%IX0.0=2", kFix + "plant.il"},
        {"--set", "%IB0", kFix + "plant.il"},
        {"--set", "%IB0=12z", kFix + "plant.il"},
        {"--at", "0:%IB0=1", kFix + "plant.il"},
        {"--at", "%IB0=1", kFix + "plant.il"},
        {"--print", "Nothing", kFix + "plant.il"},
        {"--print", "Delay", kFix + "plant.il"},
        {"--print", "Count.X", kFix + "plant.il"},
        {"--trace", ",", kFix + "plant.il"},
        {kFix + "missing.il"},
        {kFix},
    };
    for (const auto& args : cases) {
        auto r = RunCli(args);
        std::string joined;
        for (const auto& a : args)
            joined += a + " ";
        EXPECT_EQ(r.exitCode, 3) << joined << "\n" << r.err;
        EXPECT_FALSE(r.err.empty()) << joined;
        EXPECT_EQ(r.out, "") << joined;
    }
}

TEST(CliRun, HelpListsTheRunOptions) {
    auto r = RunCli({"--help"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    for (const char* option : {"--cycles N", "--tick MS", "--set ADDR=VALUE", "--at K:ADDR=VALUE",
                               "--print NAME", "--trace N1,N2", "--stats"})
        EXPECT_NE(r.out.find(option), std::string::npos) << option;
}

TEST(CliRun, NoProgramAmongTheSources) {
    auto dir = std::filesystem::temp_directory_path() / "korvo_cli_run_test";
    std::filesystem::create_directories(dir);
    auto file = (dir / "fb.il").string();
    std::ofstream(file) << "FUNCTION_BLOCK ONLY\nVAR\n    X : INT\nEND_VAR\n    LD X\nEND_FUNCTION_BLOCK\n";
    auto r = RunCli({file});
    EXPECT_NE(r.exitCode, 0);
    EXPECT_NE(r.exitCode, 2);
    EXPECT_FALSE(r.err.empty());
    std::filesystem::remove_all(dir);
}

} // namespace
