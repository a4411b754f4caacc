// korvo-cli run --vcd / --csv: the logic analyzer recording of a run written to files.
#include "Process.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

using korvo::test::RunProcess;

namespace {

const std::string kPlant = KORVO_TEST_DATA_DIR "/run/plant.il";

std::string ReadAll(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);)
        lines.push_back(l);
    return lines;
}

struct CliRunVcd : ::testing::Test {
    std::filesystem::path dir = std::filesystem::temp_directory_path() / "korvo_cli_run_vcd";
    void SetUp() override { std::filesystem::create_directories(dir); }
    void TearDown() override { std::filesystem::remove_all(dir); }
};

} // namespace

TEST_F(CliRunVcd, WritesBothFormatsOfTheRecording) {
    const auto vcd = dir / "plant.vcd", csv = dir / "plant.csv";
    auto r = RunProcess(KORVO_CLI, {"run", "--cycles", "4", "--set", "%IX0.0=1", "--vcd", vcd.string(),
                                    "--csv", csv.string(), "--print", "Delay.Q", kPlant});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(r.out, "Delay.Q = 1\n");

    const auto rows = Lines(ReadAll(csv));
    ASSERT_GT(rows.size(), 9u);
    EXPECT_EQ(rows[0], "sample,cycle,phase,pou_change,START,MOTOR,DELAY.IN,DELAY.Q,DELAY.RUNNING,"
                       "START (outside),MOTOR (outside),DELAY.IN (outside),DELAY.Q (outside),"
                       "DELAY.RUNNING (outside)");
    EXPECT_EQ(rows[1].substr(0, 8), "1,0,1,1,") << "input phase of cycle 0 after the POU change";
    // The last two samples: the motor is on in the program view, outside only from the output phase.
    auto afterNumber = [](const std::string& l) { return l.substr(l.find(',')); };
    EXPECT_EQ(afterNumber(rows[rows.size() - 2]), ",3,0,0,1,1,1,1,1,1,0,1,1,1");
    EXPECT_EQ(afterNumber(rows.back()), ",3,1,0,1,1,1,1,1,1,1,1,1,1");

    const std::string text = ReadAll(vcd);
    EXPECT_NE(text.find("$scope module program $end"), std::string::npos);
    EXPECT_NE(text.find("$scope module DELAY $end"), std::string::npos);
    EXPECT_NE(text.find(" RUNNING $end"), std::string::npos);
    EXPECT_NE(text.find("$enddefinitions $end"), std::string::npos);
    EXPECT_EQ(text.substr(text.size() - std::to_string(rows.size() - 1).size() - 2),
              "#" + std::to_string(rows.size() - 1) + "\n");
}

TEST_F(CliRunVcd, UnwritableFileAndMissingName) {
    auto r = RunProcess(KORVO_CLI, {"run", "--vcd", (dir / "no" / "x.vcd").string(), kPlant});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err, "korvo-cli run: Cannot write file " + (dir / "no" / "x.vcd").string() + "\n");
    r = RunProcess(KORVO_CLI, {"run", kPlant, "--vcd"});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_EQ(r.err.substr(0, 35), "korvo-cli run: --vcd needs a file n");
}
