// korvo-cli run --vis / --click: each shipped plant model run headless with its example program;
// the plant drives the program's inputs and shows its outputs, clicks press its buttons.
#include "Process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using korvo::test::ProcessResult;
using korvo::test::RunProcess;

namespace {

const std::string kData = KORVO_BIN_DIR "/DATA/";
const std::string kExamples = KORVO_SOURCE_DIR "/examples/";

ProcessResult RunCli(std::vector<std::string> args) {
    args.insert(args.begin(), "run");
    return RunProcess(KORVO_CLI, args);
}

// The lines of a --trace whose values differ from the line before, as "K: N1=V1 ...".
std::vector<std::string> Changes(const std::string& trace) {
    std::vector<std::string> out;
    std::istringstream in(trace);
    std::string line, prev;
    while (std::getline(in, line)) {
        const size_t colon = line.find(':');
        if (line.rfind("cycle ", 0) != 0 || colon == std::string::npos)
            continue;
        const std::string values = line.substr(colon + 1);
        if (values != prev)
            out.push_back(line.substr(6));
        prev = values;
    }
    return out;
}

TEST(CliVis, CrossingCarAtTheDetectorGetsTheSideRoadGreen) {
    // No clicks: the side road car drives down to its stop line and is detected; after the
    // main road's minimum green, yellow, all red and red+yellow it gets green and drives off.
    auto r = RunCli({"--cycles", "2300", "--tick", "10", "--vis", kData + "crossing.sdf", "--trace",
                     "STEP,CAR_WAITING,MAIN_GREEN,SIDE_GREEN", kExamples + "crossing/crossing.il"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.err, "");
    const std::vector<std::string> expected{
        "1: STEP=0 CAR_WAITING=0 MAIN_GREEN=1 SIDE_GREEN=0",
        "122: STEP=0 CAR_WAITING=1 MAIN_GREEN=1 SIDE_GREEN=0",
        "601: STEP=1 CAR_WAITING=1 MAIN_GREEN=0 SIDE_GREEN=0",
        "902: STEP=2 CAR_WAITING=1 MAIN_GREEN=0 SIDE_GREEN=0",
        "1003: STEP=3 CAR_WAITING=1 MAIN_GREEN=0 SIDE_GREEN=0",
        "1104: STEP=4 CAR_WAITING=1 MAIN_GREEN=0 SIDE_GREEN=1",
        "1122: STEP=4 CAR_WAITING=0 MAIN_GREEN=0 SIDE_GREEN=1",
        "1705: STEP=5 CAR_WAITING=0 MAIN_GREEN=0 SIDE_GREEN=0",
        "2006: STEP=6 CAR_WAITING=0 MAIN_GREEN=0 SIDE_GREEN=0",
        "2107: STEP=7 CAR_WAITING=0 MAIN_GREEN=0 SIDE_GREEN=0",
        "2208: STEP=0 CAR_WAITING=0 MAIN_GREEN=1 SIDE_GREEN=0",
    };
    EXPECT_EQ(Changes(r.out), expected);
}

TEST(CliVis, CrossingRequestButtonIsHeldForItsCycleAndNightSwitchToggles) {
    auto r = RunCli({"--cycles", "160", "--tick", "10", "--vis", kData + "crossing.sdf", "--click",
                     "REQUEST@5", "--click", "night@20", "--trace",
                     "REQUEST,NIGHT,WAIT_LAMP,MAIN_GREEN,MAIN_YELLOW", kExamples + "crossing/crossing.il"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> expected{
        "1: REQUEST=0 NIGHT=0 WAIT_LAMP=0 MAIN_GREEN=1 MAIN_YELLOW=0",
        "5: REQUEST=1 NIGHT=0 WAIT_LAMP=1 MAIN_GREEN=1 MAIN_YELLOW=0",  // pressed during cycle 5
        "6: REQUEST=0 NIGHT=0 WAIT_LAMP=1 MAIN_GREEN=1 MAIN_YELLOW=0",  // released, request kept
        "20: REQUEST=0 NIGHT=1 WAIT_LAMP=0 MAIN_GREEN=0 MAIN_YELLOW=0", // night: yellow flashes
        "51: REQUEST=0 NIGHT=1 WAIT_LAMP=0 MAIN_GREEN=0 MAIN_YELLOW=1",
        "103: REQUEST=0 NIGHT=1 WAIT_LAMP=0 MAIN_GREEN=0 MAIN_YELLOW=0",
        "155: REQUEST=0 NIGHT=1 WAIT_LAMP=0 MAIN_GREEN=0 MAIN_YELLOW=1",
    };
    EXPECT_EQ(Changes(r.out), expected);
}

TEST(CliVis, TankRunsThreeBatchesBetweenItsLevelSwitches) {
    auto r = RunCli({"--cycles", "400", "--tick", "100", "--vis", kData + "tank.sdf", "--click", "START@5",
                     "--trace", "STEP,LOW_LEVEL,HIGH_LEVEL,INFLOW,MIXER,OUTFLOW,BATCHES", "--print",
                     "DONE_LAMP", "--print", "%QB1", kExamples + "tank/tank.il"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> changes = Changes(r.out);
    const std::vector<std::string> firstBatch{
        "1: STEP=0 LOW_LEVEL=0 HIGH_LEVEL=0 INFLOW=0 MIXER=0 OUTFLOW=0 BATCHES=0",
        "5: STEP=1 LOW_LEVEL=0 HIGH_LEVEL=0 INFLOW=1 MIXER=0 OUTFLOW=0 BATCHES=0",  // Start: fill
        "14: STEP=1 LOW_LEVEL=1 HIGH_LEVEL=0 INFLOW=1 MIXER=0 OUTFLOW=0 BATCHES=0", // low switch wet
        "49: STEP=2 LOW_LEVEL=1 HIGH_LEVEL=1 INFLOW=0 MIXER=1 OUTFLOW=0 BATCHES=0", // full: mix 4 s
        "89: STEP=3 LOW_LEVEL=1 HIGH_LEVEL=1 INFLOW=0 MIXER=0 OUTFLOW=1 BATCHES=0", // drain
        "92: STEP=3 LOW_LEVEL=1 HIGH_LEVEL=0 INFLOW=0 MIXER=0 OUTFLOW=1 BATCHES=0",
        "136: STEP=1 LOW_LEVEL=0 HIGH_LEVEL=0 INFLOW=1 MIXER=0 OUTFLOW=0 BATCHES=1", // empty: next batch
    };
    ASSERT_GE(changes.size(), firstBatch.size());
    EXPECT_EQ(std::vector<std::string>(changes.begin(), changes.begin() + long(firstBatch.size())),
              firstBatch);
    EXPECT_EQ(changes.back(), "387: STEP=0 LOW_LEVEL=0 HIGH_LEVEL=0 INFLOW=0 MIXER=0 OUTFLOW=0 BATCHES=3");
    EXPECT_NE(r.out.find("DONE_LAMP = 1\n%QB1 = 3\n"), std::string::npos) << r.out;
}

TEST(CliVis, GarageDoorStopsAtItsLimitsAndReopensForAnObstacle) {
    // Open; 10 s after the upper limit it closes by itself; the ball rolled into the doorway
    // at cycle 170 reverses it, taken away at 180; open again, it closes 10 s later.
    auto r = RunCli({"--cycles", "300", "--tick", "100", "--vis", kData + "garage_door.sdf", "--click",
                     "OPEN@5", "--click", "BALL@170", "--click", "BALL@180", "--trace",
                     "OPEN_LIMIT,CLOSED_LIMIT,MOTOR_UP,MOTOR_DOWN,OBSTACLE",
                     kExamples + "garage_door/garage_door.il"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::vector<std::string> expected{
        "1: OPEN_LIMIT=0 CLOSED_LIMIT=0 MOTOR_UP=0 MOTOR_DOWN=0 OBSTACLE=0",
        "3: OPEN_LIMIT=0 CLOSED_LIMIT=1 MOTOR_UP=0 MOTOR_DOWN=0 OBSTACLE=0",
        "5: OPEN_LIMIT=0 CLOSED_LIMIT=1 MOTOR_UP=1 MOTOR_DOWN=0 OBSTACLE=0",
        "7: OPEN_LIMIT=0 CLOSED_LIMIT=0 MOTOR_UP=1 MOTOR_DOWN=0 OBSTACLE=0",
        "46: OPEN_LIMIT=1 CLOSED_LIMIT=0 MOTOR_UP=0 MOTOR_DOWN=0 OBSTACLE=0",
        "147: OPEN_LIMIT=1 CLOSED_LIMIT=0 MOTOR_UP=0 MOTOR_DOWN=1 OBSTACLE=0",
        "149: OPEN_LIMIT=0 CLOSED_LIMIT=0 MOTOR_UP=0 MOTOR_DOWN=1 OBSTACLE=0",
        "170: OPEN_LIMIT=0 CLOSED_LIMIT=0 MOTOR_UP=1 MOTOR_DOWN=0 OBSTACLE=1",
        "180: OPEN_LIMIT=0 CLOSED_LIMIT=0 MOTOR_UP=1 MOTOR_DOWN=0 OBSTACLE=0",
        "194: OPEN_LIMIT=1 CLOSED_LIMIT=0 MOTOR_UP=0 MOTOR_DOWN=0 OBSTACLE=0",
        "295: OPEN_LIMIT=1 CLOSED_LIMIT=0 MOTOR_UP=0 MOTOR_DOWN=1 OBSTACLE=0",
        "297: OPEN_LIMIT=0 CLOSED_LIMIT=0 MOTOR_UP=0 MOTOR_DOWN=1 OBSTACLE=0",
    };
    EXPECT_EQ(Changes(r.out), expected);
}

TEST(CliVis, BadOptionsAndFilesAreUsageErrors) {
    const std::string il = kExamples + "crossing/crossing.il";
    const std::string sdf = kData + "crossing.sdf";
    const std::filesystem::path broken = std::filesystem::temp_directory_path() / "korvo_cli_vis_broken.sdf";
    {
        std::ofstream f(broken, std::ios::binary);
        f << "OBJECT WINDOW W\r\nPOSITION = 0,0,10,10\r\nBOGUS = 1\r\nEND_OBJECT\r\n";
    }
    struct Case {
        std::vector<std::string> args;
        std::string err; // expected part of stderr
    } cases[] = {
        {{"--click", "REQUEST@5", il}, "korvo-cli run: --click needs --vis FILE\nusage:"},
        {{"--vis", sdf, "--click", "REQUEST", il}, "expected OBJECT@K with K from 1, got 'REQUEST'"},
        {{"--vis", sdf, "--click", "REQUEST@0", il}, "expected OBJECT@K with K from 1, got 'REQUEST@0'"},
        {{"--vis", sdf, "--click", "@5", il}, "got '@5'"},
        {{"--vis", sdf, "--click", "ROADS@2", il}, "no animated picture 'ROADS' in the visualization"},
        {{"--vis", "/nonexistent/plant.sdf", il},
         "visualization: Datei '/nonexistent/plant.sdf' nicht gefunden!\n"
         "korvo-cli run: visualization '/nonexistent/plant.sdf' not opened\n"},
        {{"--vis", broken.string(), il}, "line 3"},
        {{il, "--vis"}, "--vis needs a file name"},
    };
    for (const auto& c : cases) {
        auto r = RunCli(c.args);
        EXPECT_EQ(r.exitCode, 3) << c.args[1];
        EXPECT_NE(r.err.find(c.err), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "");
    }
    std::filesystem::remove(broken);
}

TEST(CliVis, HelpNamesTheOptions) {
    auto r = RunCli({"--bogus"});
    EXPECT_NE(r.err.find("--vis FILE.sdf"), std::string::npos);
    EXPECT_NE(r.err.find("--click OBJECT@K"), std::string::npos);
}

} // namespace
