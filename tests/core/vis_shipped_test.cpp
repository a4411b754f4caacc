// The shipped picture catalogue and sample plants: everything loads cleanly, and each plant
// runs headless with its example program as a learner would operate it.
#include "SimForm/SoftAGCoupling.h"
#include "softag_il.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

using namespace korvo;
using namespace korvo::test;

namespace {

const std::string DataDir = std::string(KORVO_SOURCE_DIR) + "/data/DATA/";
const std::string Examples = std::string(KORVO_SOURCE_DIR) + "/examples/";

const TPictureLibrary& ShippedPictures() {
    static TPictureLibrary lib;
    static bool loaded = false;
    if (!loaded) {
        lib.Load(DataDir);
        loaded = true;
    }
    return lib;
}

std::string ReadFile(const std::string& path) {
    std::vector<std::string> lines;
    EXPECT_TRUE(ReadTextLines(path, lines)) << path;
    std::string s;
    for (auto& l : lines)
        s += l + "\n";
    return s;
}

// A plant with its program, driven cycle by cycle (10 ms each).
struct Plant {
    ILMachine M;
    std::unique_ptr<THeadlessVis> Vis;
    std::string Name;
    int Shots = 0;

    bool Start(const std::string& sdf, const std::string& il) {
        Name = sdf;
        M.Ticks.Set(100000);
        if (!M.Load(ReadFile(Examples + il))) {
            ADD_FAILURE() << M.Error;
            return false;
        }
        Vis = std::make_unique<THeadlessVis>(M.AG, &ShippedPictures());
        if (!Vis->Open(DataDir + sdf)) {
            ADD_FAILURE() << Vis->Messages().back();
            return false;
        }
        return true;
    }
    void Run(int cycles) {
        for (int i = 0; i < cycles; ++i) {
            M.RunCycle(10);
            Vis->AfterCycle();
        }
    }
    // Runs until Cond holds, at most MaxCycles; false when it never did.
    template <class F>
    bool RunUntil(int MaxCycles, F Cond) {
        for (int i = 0; i < MaxCycles; ++i) {
            if (Cond())
                return true;
            Run(1);
        }
        return Cond();
    }
    // Mouse down before a cycle, up after it, so the program sees the press.
    void Click(const char* obj) {
        std::string err;
        ASSERT_TRUE(Vis->MouseDown(obj, err)) << err;
        Run(1);
        ASSERT_TRUE(Vis->MouseUp(obj, err)) << err;
    }
    TodUnknown* Obj(const char* n) { return Vis->Simulator().FindObject(n); }
    int32_t Img(const char* n) { return static_cast<TodDynamicPic*>(Obj(n))->FCurrentPic; }
    int32_t MovePos(const char* n) { return static_cast<TodGroup*>(Obj(n))->FMovePos; }
    int32_t Field(const char* o, const char* f) {
        TodUnknown* x = Obj(o);
        return x->FFields[x->GetFieldID(f)]->Value;
    }
    // With KORVO_VIS_SHOTS=<dir> the picture is saved there (for looking at the plants).
    void Shot(const char* tag) {
        const char* dir = std::getenv("KORVO_VIS_SHOTS");
        if (!dir)
            return;
        const std::string file = std::string(dir) + "/" + std::filesystem::path(Name).stem().string() + "_" +
                                 std::to_string(++Shots) + "_" + tag + ".bmp";
        SaveVisImageBMP(Vis->Simulator().Image(), file);
    }
};

} // namespace

TEST(VisShipped, CatalogueLoadsWithoutErrors) {
    TPictureLibrary lib;
    std::vector<std::string> errors;
    TPictureLoadHooks hooks;
    hooks.LogErr = [&](const std::string& s) { errors.push_back(s); };
    hooks.ShowError = [&](const std::string& s, int) { errors.push_back(s); };
    EXPECT_TRUE(lib.Load(DataDir, hooks));
    EXPECT_TRUE(errors.empty()) << errors.front();
    EXPECT_GE(lib.Count(), 20);
    for (int32_t i = 0; i < lib.Count(); ++i)
        EXPECT_FALSE(lib.Strip(i).Frames.empty()) << lib.Alias(i);
}

TEST(VisShipped, EveryDescriptionLoadsAndHasATitle) {
    const auto files = CollectSimFiles(DataDir);
    ASSERT_GE(files.size(), 3u);
    for (const std::string& f : files) {
        struct : IVisHost {
            std::vector<std::string> M;
            void ShowMessage(const std::string& t) override { M.push_back(t); }
            void Beep() override {}
            uint32_t GetTickCount() override { return 0; }
        } host;
        EXPECT_FALSE(ReadSDFTitle(f, &host).empty()) << f;
        TSimulator sim(host, &ShippedPictures());
        EXPECT_TRUE(sim.SetInfoFile(f)) << (host.M.empty() ? f : host.M.back());
        EXPECT_TRUE(host.M.empty()) << f;
    }
}

TEST(VisShipped, CrossingServesTheSideRoadOnDemand) {
    Plant p;
    ASSERT_TRUE(p.Start("crossing.sdf", "crossing/crossing.il"));
    p.Run(5);
    EXPECT_EQ(p.Img("MAIN1"), 3); // main green
    EXPECT_EQ(p.Img("SIDE1"), 1); // side red
    p.Shot("main_green");
    // The side car drives down, stops at its line and is detected.
    ASSERT_TRUE(p.RunUntil(1000, [&] { return p.Img("DETECT") == 1; }));
    p.Run(2);
    EXPECT_EQ(p.Img("WAITLAMP"), 2);
    p.Shot("car_waiting");
    // Yellow, all red, red+yellow, then side green; the car leaves.
    ASSERT_TRUE(p.RunUntil(1500, [&] { return p.Img("MAIN1") == 4; }));
    ASSERT_TRUE(p.RunUntil(1500, [&] { return p.Img("SIDE1") == 2; }));
    EXPECT_EQ(p.Img("MAIN1"), 1);
    ASSERT_TRUE(p.RunUntil(300, [&] { return p.Img("SIDE1") == 3; }));
    p.Shot("side_green");
    ASSERT_TRUE(p.RunUntil(300, [&] { return p.Img("DETECT") == 0; }));
    ASSERT_TRUE(p.RunUntil(1500, [&] { return p.Img("MAIN1") == 3; }));
    EXPECT_EQ(p.Img("SIDE1"), 1);
    // The main road car never stood still for long while it had green.
    EXPECT_TRUE(p.Vis->Messages().empty());

    // Night mode: both yellows flash, nothing else.
    p.Click("NIGHT");
    p.Run(2);
    bool on = false, off = false;
    for (int i = 0; i < 150; ++i) {
        p.Run(1);
        on |= p.Img("MAIN1") == 4 && p.Img("SIDE1") == 4;
        off |= p.Img("MAIN1") == 0 && p.Img("SIDE1") == 0;
        ASSERT_TRUE(p.Img("MAIN1") == 0 || p.Img("MAIN1") == 4);
    }
    EXPECT_TRUE(on && off);
    p.Shot("night");
    p.Click("NIGHT");
    ASSERT_TRUE(p.RunUntil(500, [&] { return p.Img("MAIN1") == 3; }));
}

TEST(VisShipped, RequestButtonAlsoGivesTheSideRoadGreen) {
    Plant p;
    ASSERT_TRUE(p.Start("crossing.sdf", "crossing/crossing.il"));
    p.Run(1);
    // Keep the side car away so only the button asks.
    static_cast<TodTimer*>(p.Obj("TRAFFIC"))->FFields[0]->Value = 100000;
    static_cast<TodGroup*>(p.Obj("CARS"))->SetMovePos(-120);
    p.Run(700);
    EXPECT_EQ(p.Img("MAIN1"), 3);
    p.Click("REQUEST");
    p.Run(1);
    EXPECT_EQ(p.Img("WAITLAMP"), 2);
    ASSERT_TRUE(p.RunUntil(1000, [&] { return p.Img("SIDE1") == 3; }));
    p.Run(2);
    EXPECT_EQ(p.Img("WAITLAMP"), 0);
}

TEST(VisShipped, TankRunsThreeBatches) {
    Plant p;
    ASSERT_TRUE(p.Start("tank.sdf", "tank/tank.il"));
    p.Run(5);
    EXPECT_EQ(p.Img("VALVE_IN"), 0);
    p.Shot("idle");
    p.Click("START");
    p.Run(2);
    EXPECT_EQ(p.Img("VALVE_IN"), 1);
    EXPECT_EQ(p.Img("STREAM_IN"), 1);
    ASSERT_TRUE(p.RunUntil(1000, [&] { return p.Img("HIGHSW") == 1; }));
    p.Run(3);
    EXPECT_EQ(p.Img("VALVE_IN"), 0);
    EXPECT_GE(p.Img("TANK"), 8);
    const int32_t mix = p.Img("MIXER");
    p.Run(30);
    EXPECT_NE(p.Img("MIXER"), mix); // the agitator turns
    p.Shot("mixing");
    ASSERT_TRUE(p.RunUntil(1000, [&] { return p.Img("VALVE_OUT") == 1; }));
    p.Shot("draining");
    ASSERT_TRUE(p.RunUntil(1000, [&] { return p.Img("BATCH") == 1; }));
    EXPECT_EQ(p.Img("LOWSW"), 0);
    ASSERT_TRUE(p.RunUntil(6000, [&] { return p.Img("DONE") == 1; }));
    EXPECT_EQ(p.Img("BATCH"), 3);
    EXPECT_EQ(p.Img("VALVE_IN"), 0);
    EXPECT_EQ(p.Img("VALVE_OUT"), 0);
    p.Shot("done");
    // Stop in the middle of a new series closes the valves.
    p.Click("START");
    p.Run(100);
    EXPECT_EQ(p.Img("BATCH"), 0);
    EXPECT_EQ(p.Img("VALVE_IN"), 1);
    p.Click("STOP");
    p.Run(2);
    EXPECT_EQ(p.Img("VALVE_IN"), 0);
    const int32_t level = p.Field("SIM", "LEVEL");
    p.Run(100);
    EXPECT_EQ(p.Field("SIM", "LEVEL"), level);
    EXPECT_TRUE(p.Vis->Messages().empty());
}

TEST(VisShipped, GarageDoorOpensClosesAndReversesOnObstacle) {
    Plant p;
    ASSERT_TRUE(p.Start("garage_door.sdf", "garage_door/garage_door.il"));
    p.Run(20);
    EXPECT_EQ(p.MovePos("DOOR"), 0);
    EXPECT_EQ(p.Img("LIMIT_DOWN"), 1);
    p.Shot("closed");
    p.Click("OPEN");
    p.Run(100);
    EXPECT_EQ(p.Img("MOTOR"), 1);
    EXPECT_GT(p.MovePos("DOOR"), 0);
    p.Shot("opening");
    ASSERT_TRUE(p.RunUntil(600, [&] { return p.Img("LIMIT_UP") == 1; }));
    p.Run(2);
    EXPECT_EQ(p.Img("MOTOR"), 0);
    EXPECT_EQ(p.MovePos("DOOR"), 1000);
    p.Shot("open");
    // Auto-close after 10 s.
    p.Run(900);
    EXPECT_EQ(p.Img("MOTOR"), 0);
    ASSERT_TRUE(p.RunUntil(300, [&] { return p.Img("MOTOR") == 2; }));
    bool flashed = false;
    for (int i = 0; i < 100; ++i) {
        p.Run(1);
        flashed |= p.Img("WARNING") == 2;
    }
    EXPECT_TRUE(flashed);
    // A ball in the doorway: closing stops and the door opens again.
    p.Click("BALL");
    p.Run(3);
    EXPECT_EQ(p.Img("MOTOR"), 1);
    EXPECT_EQ(p.Img("BEAM"), 1);
    p.Shot("obstacle");
    ASSERT_TRUE(p.RunUntil(600, [&] { return p.Img("LIMIT_UP") == 1; }));
    // No auto-close while the ball is there; Close does not move it either.
    p.Run(1200);
    EXPECT_EQ(p.MovePos("DOOR"), 1000);
    p.Click("BALL");
    p.Click("CLOSE");
    p.Run(100);
    EXPECT_EQ(p.Img("MOTOR"), 2);
    p.Click("STOP");
    p.Run(3);
    EXPECT_EQ(p.Img("MOTOR"), 0);
    const int32_t pos = p.MovePos("DOOR");
    p.Run(100);
    EXPECT_EQ(p.MovePos("DOOR"), pos);
    p.Click("CLOSE");
    ASSERT_TRUE(p.RunUntil(600, [&] { return p.Img("LIMIT_DOWN") == 1; }));
    p.Run(3);
    EXPECT_EQ(p.Img("MOTOR"), 0);
    EXPECT_TRUE(p.Vis->Messages().empty());
}
