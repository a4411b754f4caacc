// Visualizations coupled to a real soft PLC: rules read and write its outside view, its
// notifications run the CPU object's functions, and the headless runner drives both.
#include "SimForm/SoftAGCoupling.h"
#include "softag_il.h"
#include "vis_fakes.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::test;
using namespace korvo::vistest;

namespace {

const std::string Fixture = std::string(KORVO_TEST_DATA_DIR) + "/vis/lamp_switch.sdf";

// Lamp %QX0.0 follows switch %IX0.0; %QX0.1 follows the blink input %IX0.1.
const char* Program = "PROGRAM LAMP\nVAR\n  SW AT %IX0.0 : BOOL\n  BL AT %IX0.1 : BOOL\n"
                      "  LMP AT %QX0.0 : BOOL\n  FL AT %QX0.1 : BOOL\nEND_VAR\n"
                      "  LD SW\n  ST LMP\n  LD BL\n  ST FL\nEND_PROGRAM\n";

struct Rig {
    ILMachine M;
    TPictureLibrary Lib;
    std::unique_ptr<THeadlessVis> Vis;
    bool Start() {
        Lib.Add("BTN", SolidStrip(8, 8, 2));
        if (!M.Load(Program))
            return false;
        Vis = std::make_unique<THeadlessVis>(M.AG, &Lib);
        return Vis->Open(Fixture);
    }
    void Cycle() {
        M.RunCycle(10);
        Vis->AfterCycle();
    }
    int32_t Img(const char* name) {
        return static_cast<TodDynamicPic*>(Vis->Simulator().FindObject(name))->FCurrentPic;
    }
};

} // namespace

TEST(VisSoftAG, ClickWritesInputProgramDrivesLamp) {
    Rig r;
    ASSERT_TRUE(r.Start()) << r.M.Error;
    EXPECT_EQ(r.M.AG.ConnectorCount(), 1u);
    std::string err;
    ASSERT_TRUE(r.Vis->Click("switch", err));
    EXPECT_EQ(r.Img("SWITCH"), 1);
    EXPECT_EQ(r.M.AG.Data->IBuf[0] & 1, 1);
    EXPECT_EQ(r.Img("LAMP"), 0); // outputs change only at the end of a cycle
    r.Cycle();
    EXPECT_EQ(r.M.AG.Data->QBuf[0] & 1, 1);
    EXPECT_EQ(r.Img("LAMP"), 1);
    ASSERT_TRUE(r.Vis->Click("SWITCH", err));
    r.Cycle();
    EXPECT_EQ(r.Img("LAMP"), 0);
    EXPECT_FALSE(r.Vis->Click("BLINK", err));
    EXPECT_EQ(err, "no animated picture 'BLINK' in the visualization");
    EXPECT_TRUE(r.Vis->Messages().empty());
}

TEST(VisSoftAG, TimersRunOnTheSoftPlcClock) {
    Rig r;
    r.M.Ticks.Set(1000); // a timer fires when the clock has passed its period since tick 0
    ASSERT_TRUE(r.Start()) << r.M.Error;
    // Opening fired the timer once (N 1: blink input on).
    EXPECT_EQ(r.M.AG.Data->IBuf[0] & 2, 2);
    for (int i = 0; i < 10; ++i)
        r.Cycle(); // 100 ms
    EXPECT_NE(r.Vis->DescribeState().find("BLINK.N=2"), std::string::npos) << r.Vis->DescribeState();
    EXPECT_EQ(r.M.AG.Data->IBuf[0] & 2, 0);
    r.Cycle();
    EXPECT_EQ(r.M.AG.Data->QBuf[0] & 2, 0);
}

TEST(VisSoftAG, ScheduledClicksSpanTheirCycle) {
    // A momentary button: pressed before cycle 3, released after it; the program sees it once.
    Rig r;
    ASSERT_TRUE(r.Start()) << r.M.Error;
    std::string err;
    EXPECT_FALSE(r.Vis->ScheduleClick("nothing", 3, err));
    EXPECT_EQ(err, "no animated picture 'NOTHING' in the visualization");
    ASSERT_TRUE(r.Vis->ScheduleClick("switch", 3, err));
    for (uint64_t k = 1; k <= 5; ++k) {
        r.Vis->BeforeCycle(k);
        r.M.RunCycle(10);
        r.Vis->AfterCycle(k);
        EXPECT_EQ(r.Img("LAMP"), k >= 3 ? 1 : 0) << k; // SWITCH toggles on mouse down only
    }
}

TEST(VisSoftAG, ResetAndUnregister) {
    Rig r;
    ASSERT_TRUE(r.Start()) << r.M.Error;
    std::string err;
    r.Vis->Click("SWITCH", err);
    r.Cycle();
    r.M.AG.ResetAll();
    r.Vis->Reset();
    EXPECT_EQ(r.Img("SWITCH"), 0);
    EXPECT_EQ(r.M.AG.Data->IBuf[0], 0);
    r.Vis.reset();
    EXPECT_EQ(r.M.AG.ConnectorCount(), 0u);
}

TEST(VisSoftAG, MissingFileIsNotRegistered) {
    ILMachine m;
    ASSERT_TRUE(m.Load(Program)) << m.Error;
    TPictureLibrary lib;
    THeadlessVis vis(m.AG, &lib);
    EXPECT_FALSE(vis.Open("/nonexistent.sdf"));
    EXPECT_EQ(vis.Messages(), (std::vector<std::string>{"Datei '/nonexistent.sdf' nicht gefunden!"}));
    EXPECT_EQ(m.AG.ConnectorCount(), 0u);
}

TEST(VisSoftAG, ClickSpecAndImageFile) {
    std::string obj;
    uint64_t k = 0;
    EXPECT_TRUE(ParseVisClick("START@12", obj, k));
    EXPECT_EQ(obj, "START");
    EXPECT_EQ(k, 12u);
    EXPECT_TRUE(ParseVisClick("a@b@0", obj, k));
    EXPECT_EQ(obj, "a@b");
    for (const char* bad : {"START", "@3", "START@", "START@x", "START@-1", "S@123456789012345678901"})
        EXPECT_FALSE(ParseVisClick(bad, obj, k)) << bad;

    TScratchDir dir;
    TVisImage img;
    img.Resize(3, 2);
    img.Pixels[0] = VisOpaque(1, 2, 3);
    const std::string path = (dir.Path / "shot.bmp").string();
    ASSERT_TRUE(SaveVisImageBMP(img, path));
    TVisImage back;
    ASSERT_TRUE(TPictureLibrary::LoadBitmapFile(path, back));
    EXPECT_EQ(back.Width, 3);
    EXPECT_EQ(back.At(0, 0), VisOpaque(1, 2, 3));
    EXPECT_FALSE(SaveVisImageBMP(img, (dir.Path / "no" / "x.bmp").string()));
}
