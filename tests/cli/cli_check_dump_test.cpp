// korvo-cli check and dump on small fixture projects: exit codes and exact texts.
#include "Process.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

using korvo::test::RunProcess;

std::string Fixture(const std::string& name) {
    return KORVO_TEST_DATA_DIR "/compiler/" + name;
}

korvo::test::ProcessResult Cli(const std::vector<std::string>& args) {
    return RunProcess(KORVO_CLI, args);
}

std::string ReadFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream ss;
    ss << in.rdbuf();
    return ss.str();
}

TEST(CliCheck, ProjectOfSeveralFilesCompiles) {
    auto r = Cli({"check", Fixture("main.il"), Fixture("flashes.il"), Fixture("twice.il")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    EXPECT_EQ(r.out, "");
}

TEST(CliCheck, BundledExampleCompiles) {
    auto r = Cli({"check", KORVO_SOURCE_DIR "/examples/traffic_light/traffic_light.il"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
}

TEST(CliCheck, CompileErrorsAreReportedLikeTheMainWindow) {
    struct Case {
        std::vector<std::string> files;
        std::string expected;
    };
    const std::vector<Case> cases = {
        {{"unknown_operand.il"}, "Unknown identifier in file unknown_operand.il in line 6 at column 9\n"},
        {{"crlf_error.il"}, "Unknown identifier in file crlf_error.il in line 7 at column 13\n"},
        {{"main.il", "flashes.il"},
         "':' expected in file main.il in line 20 at column 10\n"}, // no Twice: a label
        {{"only_block.il"}, "No PROGRAM found in file only_block.il in line 1 at column 21\n"},
        {{"main.il", "small.il"}, "More than one PROGRAM in file small.il in line 1 at column 14\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> args = {"check"};
        for (const auto& f : c.files)
            args.push_back(Fixture(f));
        auto r = Cli(args);
        EXPECT_EQ(r.exitCode, 1) << c.expected;
        EXPECT_EQ(r.err, c.expected);
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliCheck, StdlibOption) {
    auto r = Cli({"check", "--stdlib", Fixture("mini_stdlib.il"), Fixture("uses_pulse.il")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    r = Cli({"check", Fixture("uses_pulse.il")}); // the standard library has no Pulse
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Unknown type identifier in file uses_pulse.il in line 3 at column 15\n");
    r = Cli({"check", "--stdlib=" + Fixture("broken_stdlib.il"), Fixture("uses_pulse.il")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("does not compile: Unknown identifier"), std::string::npos) << r.err;
    r = Cli({"check", "--stdlib", Fixture("nothing_here.il"), Fixture("uses_pulse.il")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("nothing_here.il"), std::string::npos) << r.err;
    r = Cli({"check", Fixture("uses_pulse.il"), "--stdlib"});
    EXPECT_EQ(r.exitCode, 3);
}

TEST(CliCheck, UsageAndFileErrors) {
    auto r = Cli({"check"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("usage"), std::string::npos);
    r = Cli({"check", Fixture("main.il"), Fixture("missing.il")});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_NE(r.err.find("cannot read"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("missing.il"), std::string::npos) << r.err;
    r = Cli({"check", KORVO_TEST_DATA_DIR "/compiler"});
    EXPECT_EQ(r.exitCode, 3);
    r = Cli({"check", "--frobnicate", Fixture("main.il")});
    EXPECT_EQ(r.exitCode, 3);
    r = Cli({"frobnicate"});
    EXPECT_EQ(r.exitCode, 3);
    r = Cli({});
    EXPECT_EQ(r.exitCode, 3);
}

TEST(CliCheck, HelpAndVersion) {
    auto r = Cli({"--help"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_NE(r.out.find("usage: korvo-cli"), std::string::npos);
    EXPECT_NE(r.out.find("check"), std::string::npos);
    EXPECT_NE(r.out.find("dump"), std::string::npos);
    r = Cli({"check", "--help"});
    EXPECT_EQ(r.exitCode, 0);
    r = Cli({"--version"});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out.rfind("korvo-cli ", 0), 0u) << r.out;
}

TEST(CliDump, ListingMatchesTheExpectedText) {
    auto r = Cli({"dump", Fixture("small.il")});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, ReadFile(Fixture("small.dump")));
}

TEST(CliDump, ListsTheCompiledPOUsOfTheProject) {
    auto r = Cli({"dump", Fixture("main.il"), Fixture("flashes.il"), Fixture("twice.il")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("POU 11 PROGRAM Main (main.il)"), std::string::npos);
    EXPECT_NE(r.out.find("POU 12 FUNCTION_BLOCK Flashes (flashes.il)"), std::string::npos);
    EXPECT_NE(r.out.find("POU 13 FUNCTION Twice (twice.il)"), std::string::npos);
    EXPECT_NE(r.out.find("returns INT at byte 2"), std::string::npos);
    EXPECT_NE(r.out.find("CALLFUN    -   POU 13 Twice"), std::string::npos);
    EXPECT_EQ(r.out.find("FUNCTION_BLOCK TON"), std::string::npos); // library only with --all
    r = Cli({"dump", "--all", Fixture("main.il"), Fixture("flashes.il"), Fixture("twice.il")});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("POU 7 FUNCTION_BLOCK TON"), std::string::npos);
    EXPECT_NE(r.out.find("GET_TIME"), std::string::npos);
}

TEST(CliDump, CompileErrorAndUsage) {
    auto r = Cli({"dump", Fixture("unknown_operand.il")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err, "Unknown identifier in file unknown_operand.il in line 6 at column 9\n");
    EXPECT_EQ(r.out, "");
    r = Cli({"dump"});
    EXPECT_EQ(r.exitCode, 3);
}

} // namespace
