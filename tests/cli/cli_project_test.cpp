// korvo-cli with a .plp project file as SOURCES: opened as the IDE opens it, its messages on
// stderr, exit 3 for a project file that cannot be opened.
#include "Process.h"
#include "ProjectFakes.h"

#include "Main/ProjectManager.h"

#include <gtest/gtest.h>

#include <filesystem>

using korvo::test::RunProcess;
using korvo::testkit::ScratchDir;

namespace {

const std::string kFixtures = std::string(KORVO_TEST_DATA_DIR) + "/project/app/";
const std::string kExample = std::string(KORVO_SOURCE_DIR) + "/examples/traffic_light/traffic_light.plp";

} // namespace

TEST(CliProject, WindowsWrittenProjectRuns) {
    // Backslash separators, CR LF line ends, a listed name differing in letter case.
    auto r = RunProcess(KORVO_CLI, {"run", "--cycles", "3", "--set", "%IX0.0=1", "--print", "light",
                                    kFixtures + "windows.plp"});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "light = 1\n");
    EXPECT_EQ(r.err, "");
}

TEST(CliProject, CheckAndDump) {
    auto check = RunProcess(KORVO_CLI, {"check", kFixtures + "windows.plp"});
    EXPECT_EQ(check.exitCode, 0) << check.err;
    auto dump = RunProcess(KORVO_CLI, {"dump", kFixtures + "windows.plp"});
    EXPECT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_NE(dump.out.find("PROGRAM Lamp"), std::string::npos) << dump.out;
    EXPECT_NE(dump.out.find("FUNCTION_BLOCK Debounce"), std::string::npos) << dump.out;
}

TEST(CliProject, ProjectWithoutProgram) {
    auto r = RunProcess(KORVO_CLI, {"check", kFixtures + "noprogram.plp"});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_EQ(r.err.rfind("ERROR: This Project has no Main-POU. It will not run correctly.\n", 0), 0u)
        << r.err;
    EXPECT_NE(r.err.find("No PROGRAM found"), std::string::npos) << r.err;
}

TEST(CliProject, ProjectFileErrors) {
    ScratchDir dir;
    std::string missing = dir / "missing.plp";
    std::string empty = dir.Write("empty.plp", "");
    struct Case {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"check", missing}, "korvo-cli check: File '" + missing + "' not found!\n"},
        {{"run", missing}, "korvo-cli run: File '" + missing + "' not found!\n"},
        {{"dump", kFixtures + "badid.plp"},
         "korvo-cli dump: The file '" + kFixtures + "badid.plp' is not a valid PLC Project File.\n"},
        {{"check", empty}, "korvo-cli check: The file '" + empty + "' is not a valid PLC Project File.\n"},
        {{"check", kFixtures + "lamp.il", kFixtures + "windows.plp"},
         "korvo-cli check: a project file (.plp) must be the only source\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv;
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        auto r = RunProcess(KORVO_CLI, argv);
        EXPECT_EQ(r.exitCode, 3) << c.err;
        EXPECT_EQ(r.err, c.err);
        EXPECT_EQ(r.out, "");
    }
}

TEST(CliProject, MissingListedFileIsWarnedAbout) {
    ScratchDir dir;
    dir.Write("main.il", "PROGRAM Main\nVAR\n  x : BOOL\nEND_VAR\n  LD TRUE\n  ST x\nEND_PROGRAM\n");
    std::string plp = dir.Write(
        "demo.plp", "[COMMON]\nID=MERLO19\nPOUCOUNT=2\n[POUFILENAMES]\nPOU0=main.il\nPOU1=gone.il\n");
    auto r = RunProcess(KORVO_CLI, {"run", "--print", "x", plp});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "x = 1\n");
    EXPECT_EQ(r.err, "warning: listed file '" + (dir / "gone.il") + "' not found\n");
}

TEST(CliProject, ExampleProjectRuns) {
    // Button pressed from the start: 5 s car green, 3 s yellow, 1 s all red, then walkers go.
    auto r = RunProcess(KORVO_CLI, {"run", "--cycles", "1000", "--tick", "10", "--set", "%IX0.0=1", "--print",
                                    "phase", "--print", "walk_green", "--print", "car_red", kExample});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "phase = 3\nwalk_green = 1\ncar_red = 1\n");
    EXPECT_EQ(r.err, "");
}

TEST(CliProject, ExampleProjectFileIsWhatTheIdeWrites) {
    ScratchDir dir;
    std::string il = dir / "traffic_light.il";
    std::filesystem::copy_file(std::string(KORVO_SOURCE_DIR) + "/examples/traffic_light/traffic_light.il",
                               il);
    korvo::testkit::FakePrompts prompts;
    korvo::ProjectManager pm(prompts);
    pm.NewProject();
    ASSERT_TRUE(pm.OpenFile(il));
    pm.RemoveFile(0);
    ASSERT_TRUE(pm.SaveProjectAs(dir / "traffic_light.plp"));
    EXPECT_EQ(korvo::testkit::ReadAll(dir / "traffic_light.plp"), korvo::testkit::ReadAll(kExample));
}
