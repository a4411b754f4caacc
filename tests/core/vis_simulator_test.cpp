// Visualization window logic: opening, idle action, timers, mouse hits, memory notifications
// with nested runs, reset, file list, titles and drag snapping.
#include "SimForm/Simulator.h"
#include "vis_fakes.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::vistest;

namespace {

const std::string Fixtures = std::string(KORVO_TEST_DATA_DIR) + "/vis/";

class VisSimulator : public ::testing::Test {
protected:
    void SetUp() override {
        Lib.Add("BTN", SolidStrip(8, 8, 2));
        Sim.SetSoftAG(&Plc);
        // The soft PLC notifies the window synchronously, inside the write.
        Plc.OnChange = [this](int32_t ofs) { Sim.NotifyMemChange(ofs, 0, 8, 0); };
    }
    void Open(const std::string& File) {
        ASSERT_TRUE(Sim.SetInfoFile(File)) << (Host.Messages.empty() ? "" : Host.Messages.back());
        Sim.SetProject(&Project);
        Sim.IdleAction();
    }
    int32_t Field(const char* Obj, const char* F) {
        TodUnknown* o = Sim.FindObject(Obj);
        return o->FFields[o->GetFieldID(F)]->Value;
    }

    TPictureLibrary Lib;
    TFakeHost Host;
    TFakePLC Plc;
    TProjectDesc Project;
    TSimulator Sim{Host, &Lib};
};

} // namespace

TEST_F(VisSimulator, MissingAndBrokenFilesAreReportedAndFreed) {
    EXPECT_FALSE(Sim.SetInfoFile("/nonexistent/x.sdf"));
    EXPECT_EQ(Host.Messages.back(), "Datei '/nonexistent/x.sdf' nicht gefunden!");
    EXPECT_FALSE(Sim.IsLoaded());
    TScratchDir dir;
    WriteText(dir.Path / "bad.sdf", "OBJECT WINDOW W\nOBJECT PICTURE P\nPICALIAS = NONE\n");
    EXPECT_FALSE(Sim.SetInfoFile((dir.Path / "bad.sdf").string()));
    EXPECT_EQ(Host.Messages.back(), "Error reading sdf (file '" + (dir.Path / "bad.sdf").string() +
                                        "', line 3): Alias 'NONE' nicht definiert!");
    EXPECT_FALSE(Sim.IsLoaded());
    EXPECT_TRUE(Sim.AllObjects().empty());
    Sim.IdleAction(); // nothing loaded: no effect
    Sim.NotifyMemChange(0, 0, 8, 0);
    EXPECT_FALSE(Sim.MouseDown(1, 1));
}

TEST_F(VisSimulator, CaptionSizeAndLabels) {
    Open(Fixtures + "clicks.sdf");
    EXPECT_EQ(Sim.Caption(), "Clicks");
    EXPECT_EQ(Sim.PaintWidth(), 100);
    EXPECT_EQ(Sim.PaintHeight(), 60);
    ASSERT_EQ(Sim.TextLabels().size(), 1u);
    EXPECT_EQ(Sim.TextLabels()[0].Left, 5);
    EXPECT_EQ(Sim.TextLabels()[0].Text, "Press here");
    TScratchDir dir;
    WriteText(dir.Path / "tank.sdf", "OBJECT WINDOW W\n");
    TSimulator other(Host, &Lib);
    ASSERT_TRUE(other.SetInfoFile((dir.Path / "tank.sdf").string()));
    EXPECT_EQ(other.Caption(), "tank.sdf");
}

TEST_F(VisSimulator, IdleActionRunsNothingWithoutProject) {
    ASSERT_TRUE(Sim.SetInfoFile(Fixtures + "clicks.sdf"));
    Sim.IdleAction();
    EXPECT_EQ(Field("CLOCK", "TICKS"), 0);
    EXPECT_EQ(Plc.Mem[32], 0);
}

TEST_F(VisSimulator, OnChangeOnceAtStartThenOnlyOnChange) {
    Open(Fixtures + "clicks.sdf");
    EXPECT_EQ(Plc.Mem[32], 1); // INGROUP.onChange ran once at the first idle action
    Sim.IdleAction();
    EXPECT_EQ(Plc.Mem[32], 1);
    EXPECT_TRUE(Sim.MouseDown(61, 31)); // in the group: sets IMG 1
    EXPECT_EQ(Plc.Mem[32], 2);
    EXPECT_TRUE(Sim.MouseDown(61, 31)); // unchanged frame
    EXPECT_EQ(Plc.Mem[32], 2);
    EXPECT_GE(Host.Repaints, 1);
}

TEST_F(VisSimulator, TimerFiresOnIdleActionsOnly) {
    Host.Tick = 5000;
    Open(Fixtures + "clicks.sdf");
    EXPECT_EQ(Field("CLOCK", "TICKS"), 1); // first idle action: FLastCount 0
    Host.Tick = 5999;
    Sim.IdleAction();
    EXPECT_EQ(Field("CLOCK", "TICKS"), 1);
    Host.Tick = 9000; // long gap: still once per idle action
    Sim.IdleAction();
    EXPECT_EQ(Field("CLOCK", "TICKS"), 2);
    Sim.IdleAction();
    EXPECT_EQ(Field("CLOCK", "TICKS"), 2);
    // No overflow near the end of the tick range.
    static_cast<TodTimer*>(Sim.FindObject("CLOCK"))->FLastCount = 0xFFFFFF00u;
    Host.Tick = 0xFFFFFFF0u;
    Sim.IdleAction();
    EXPECT_EQ(Field("CLOCK", "TICKS"), 2);
    Sim.Reset();
    EXPECT_EQ(Field("CLOCK", "TICKS"), 0);
    Sim.IdleAction();
    EXPECT_EQ(Field("CLOCK", "TICKS"), 1);
}

TEST_F(VisSimulator, MouseHitsLaterObjectsFirstAndFallsThrough) {
    Open(Fixtures + "clicks.sdf");
    // (25, 25) is on UNDER and OVER; OVER has no onMouseDown, so UNDER's runs.
    EXPECT_TRUE(Sim.MouseDown(25, 25));
    EXPECT_EQ(Field("UNDER", "DOWNS"), 1);
    EXPECT_EQ(Plc.Mem[0], 1);
    // On mouse up OVER, defined later, wins.
    EXPECT_TRUE(Sim.MouseUp(25, 25));
    EXPECT_EQ(Field("OVER", "DOWNS"), 1);
    EXPECT_EQ(Plc.Mem[0], 1);
    EXPECT_TRUE(Sim.MouseUp(5, 5));
    EXPECT_EQ(Plc.Mem[0], 0);
    // Right and bottom edges are exclusive; a zero-sized picture is never hit.
    EXPECT_FALSE(Sim.MouseDown(40, 5));
    EXPECT_FALSE(Sim.MouseDown(80, 0));
    EXPECT_EQ(Host.Beeps, 0);
    EXPECT_FALSE(Sim.MouseDown(99, 59)); // background: the caller starts dragging
    Sim.FDrag.Start({99, 59});
    EXPECT_FALSE(Sim.MouseUp(99, 59));
    EXPECT_FALSE(Sim.FDrag.Dragging());
}

TEST_F(VisSimulator, MemoryNotificationsRunCpuFunctionsAndSettle) {
    TScratchDir dir;
    // Input byte 0 mirrors into byte 1 shifted; a write from onInputChange notifies again.
    WriteText(dir.Path / "n.sdf",
              "OBJECT WINDOW W\nOBJECT TIMER T\nFIELD LINT IN\nFIELD LINT OUT\nFIELD LINT M\n"
              "END_OBJECT\nEND_OBJECT\n"
              "FUNCTION VOID CPU.onInputChange()\nSET $T.IN = $T.IN + #1\n"
              "SET %IB1 = %IB0 * #2\nSET %IB2 = %IB1 + #1\nEND_FUNCTION\n"
              "FUNCTION VOID CPU.onOutputChange()\nSET $T.OUT = $T.OUT + #1\nEND_FUNCTION\n"
              "FUNCTION VOID CPU.onMemChange()\nSET $T.M = $T.M + #1\nEND_FUNCTION\n");
    Open((dir.Path / "n.sdf").string());
    Plc.SetMemory_IQBuf(0, 3);
    EXPECT_EQ(Plc.Mem[1], 6);
    EXPECT_EQ(Plc.Mem[2], 7);
    // Runs: the write of byte 0, then nested for byte 1 and byte 2 (twice each from the
    // outer and the nested runs, until nothing changes any more).
    EXPECT_EQ(Field("T", "IN"), 3);
    Sim.NotifyMemChange(16, 0, 8, 0);
    Sim.NotifyMemChange(31, 0, 8, 0);
    Sim.NotifyMemChange(47, 0, 8, 0);
    Sim.NotifyMemChange(48, 0, 8, 0);
    EXPECT_EQ(Field("T", "OUT"), 2);
    EXPECT_EQ(Field("T", "M"), 1);
    EXPECT_TRUE(Host.Messages.empty());
}

TEST_F(VisSimulator, EndlessNotificationChainIsCut) {
    TScratchDir dir;
    WriteText(dir.Path / "loop.sdf", "OBJECT WINDOW W\nEND_OBJECT\nFUNCTION VOID CPU.onInputChange()\n"
                                     "SET %IB0 = %IB0 + #1\nEND_FUNCTION\n");
    Open((dir.Path / "loop.sdf").string());
    Plc.SetMemory_IQBuf(0, 1);
    EXPECT_EQ(Host.Messages, (std::vector<std::string>{vismsg::NestingTooDeep}));
    EXPECT_EQ(Plc.Mem[0], 1 + TSimulator::MaxRunNesting);
    // The next event runs normally again and reports again.
    Plc.SetMemory_IQBuf(0, 0);
    EXPECT_EQ(Host.Messages.size(), 2u);
}

TEST_F(VisSimulator, ResetRestoresFramesAndFields) {
    Open(Fixtures + "clicks.sdf");
    Sim.MouseDown(61, 31);
    Sim.MouseDown(5, 5);
    auto* in = static_cast<TodDynamicPic*>(Sim.FindObject("INGROUP"));
    EXPECT_EQ(in->FCurrentPic, 1);
    Sim.Reset();
    EXPECT_EQ(in->FCurrentPic, 0);
    EXPECT_EQ(Field("UNDER", "DOWNS"), 0);
    const uint8_t before = Plc.Mem[32];
    Sim.IdleAction(); // the frame changed back: onChange runs
    EXPECT_EQ(Plc.Mem[32], before + 1);
}

TEST_F(VisSimulator, PaintThroughCanvasAndImage) {
    Open(Fixtures + "clicks.sdf");
    TRecordingCanvas rec(&Lib);
    Sim.Paint(rec);
    EXPECT_EQ(rec.Calls, (std::vector<std::string>{"image 100x60 @0,0"}));
    const TVisImage& img = Sim.Image();
    EXPECT_EQ(img.At(1, 1), VisOpaque(0x10, 0, 0));
    EXPECT_EQ(img.At(99, 59), VisButtonFace);
}

TEST(VisSimFiles, SortedIgnoringCaseWithTitles) {
    TScratchDir dir;
    WriteText(dir.Path / "b.sdf", "OBJECT WINDOW B\nTITLE = Bee\n");
    WriteText(dir.Path / "A.SDF", "OBJECT WINDOW A\n");
    WriteText(dir.Path / "c.sdf", "OBJECT WINDOW C\nNONSENSE\n");
    WriteText(dir.Path / "notes.txt", "x");
    std::filesystem::create_directory(dir.Path / "d.sdf");
    const auto files = CollectSimFiles(dir.Path.string());
    ASSERT_EQ(files.size(), 3u);
    EXPECT_EQ(std::filesystem::path(files[0]).filename(), "A.SDF");
    EXPECT_EQ(std::filesystem::path(files[1]).filename(), "b.sdf");
    EXPECT_EQ(std::filesystem::path(files[2]).filename(), "c.sdf");
    TFakeHost host;
    EXPECT_EQ(ReadSDFTitle(files[0], &host), "");
    EXPECT_EQ(ReadSDFTitle(files[1], &host), "Bee");
    EXPECT_TRUE(host.Messages.empty());
    EXPECT_EQ(ReadSDFTitle(files[2], &host), "");
    EXPECT_EQ(host.Messages, (std::vector<std::string>{"Error reading sdf (file '" + files[2] +
                                                       "', line 2): unknown identifier"}));
    EXPECT_TRUE(CollectSimFiles((dir.Path / "none").string()).empty());
}

TEST(VisMagnetic, EdgeTests) {
    int32_t minD = 999;
    bool close = false;
    EXPECT_TRUE(CheckMagnetic(105, 0, 50, 100, 5, 60, minD, close));
    EXPECT_TRUE(close);
    EXPECT_EQ(minD, 25 + 25);
    minD = 999;
    EXPECT_TRUE(CheckMagnetic(110, 0, 50, 100, 30, 60, minD, close));
    EXPECT_FALSE(close);
    EXPECT_EQ(minD, 100 + 101);
    minD = 999;
    EXPECT_FALSE(CheckMagnetic(111, 0, 50, 100, 0, 60, minD, close));  // edges too far
    EXPECT_FALSE(CheckMagnetic(100, 0, 50, 100, 61, 90, minD, close)); // spans apart by 11
    EXPECT_TRUE(CheckMagnetic(100, 0, 50, 100, 60, 90, minD, close));
    EXPECT_FALSE(CheckMagnetic(100, 0, 50, 100, 60, 90, minD, close)); // not closer than before
}

TEST(VisMagnetic, DragSnapsAndClamps) {
    const TVisRect other{0, 0, 100, 80};
    const TVisRect me{300, 200, 360, 240}; // 60 x 40
    // Drag so that my left lands 6 right of the other's right edge and my top 4 below its top.
    TWindowDrag drag;
    EXPECT_FALSE(drag.Move({0, 0}, me, 800, 600, {other, me}).has_value()); // not dragging
    drag.Start({10, 10});
    auto p = drag.Move({10 + 106 - 300, 10 + 4 - 200}, me, 800, 600, {other, me});
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(*p, (TVisPoint{100, 0}));
    // Far from everything: plain move.
    p = drag.Move({10 - 100, 10 - 50}, me, 800, 600, {other, me});
    EXPECT_EQ(*p, (TVisPoint{200, 150}));
    // Below the other window, left edges close: snaps under it, lefts aligned.
    p = drag.Move({10 + 7 - 300, 10 + 88 - 200}, me, 800, 600, {other, me});
    EXPECT_EQ(*p, (TVisPoint{0, 80}));
    // Clamped to the area; a window wider than the area gets a negative left.
    EXPECT_EQ(SnapWindowPosition(me, {0, 0}, {500, 500}, 800, 600, {}), (TVisPoint{0, 0}));
    EXPECT_EQ(SnapWindowPosition({0, 0, 900, 40}, {10, 0}, {0, 0}, 800, 600, {}), (TVisPoint{-100, 0}));
    // No change: nothing to assign.
    EXPECT_FALSE(drag.Move({10, 10}, me, 800, 600, {}).has_value());
}
