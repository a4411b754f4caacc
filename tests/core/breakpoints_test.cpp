// Breakpoints: the halt rule in run mode, Cycle, Step Over and Step Out, inside a called function
// block, lines moved or edited away, lines that hold code, and the project file section.
#include "debug_util.h"

#include "Main/ProjectFile.h"
#include "Main/ProjectManager.h"
#include "Main/SafeFile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "ProjectFakes.h"

using namespace korvo;
using namespace korvo::test;

namespace {

struct Modes : ISoftAGConnector {
    explicit Modes(TSoftAG& a) : ag(a) {}
    TSoftAG& ag;
    std::vector<TMode> modes;
    int steps = 0;
    TMode modeAtLastStep = MM_OFF;
    void NotifyModeChange() override { modes.push_back(ag.FMode); }
    void NotifyMemChange(int32_t, int32_t, int32_t, int32_t) override {}
    void NotifyCRChange() override {}
    void NotifyPOUChange() override {}
    void NotifyStep(TCycle) override {
        ++steps;
        modeAtLastStep = ag.FMode;
    }
    void NotifyCycle() override {}
    void NotifyCodeChange() override {}
};

struct BreakFixture : ::testing::Test {
    DebugRig rig;
    TBreakpoints bp;
    void SetUp() override { rig.ag.SetBreakpoints(&bp); }
};

TEST_F(BreakFixture, RunModeHaltsBeforeTheLineAndContinuesFromThere) {
    bp.Set("main.il", 8); // ST X
    Modes modes(rig.ag);
    rig.ag.AddConnector(&modes);
    rig.ag.SetMode(MM_RUN);
    rig.ag.Cycle();
    EXPECT_TRUE(rig.ag.BreakHit());
    EXPECT_EQ(rig.ag.FMode, MM_STEP);
    EXPECT_EQ(rig.ag.Data->Cycle, PROG);
    EXPECT_EQ(rig.ag.GetSourcePOU(), rig.mainPOU);
    EXPECT_EQ(rig.Line(), 8);
    EXPECT_EQ(rig.Int("X"), 0) << "the breakpoint line has not run";
    EXPECT_EQ(modes.modeAtLastStep, MM_STEP) << "the halt is visible to the NotifyStep after it";

    // Cycle from the breakpoint completes the cycle without halting on the same line again.
    rig.ag.Cycle();
    EXPECT_FALSE(rig.ag.BreakHit());
    EXPECT_EQ(rig.ag.Data->Cycle, DATAREAD);
    EXPECT_EQ(rig.Int("X"), 1);
    EXPECT_EQ(rig.Int("Y"), 2);

    // Run again: halts in the next cycle.
    rig.ag.SetMode(MM_RUN);
    rig.ag.Cycle();
    EXPECT_TRUE(rig.ag.BreakHit());
    EXPECT_EQ(rig.Line(), 8);
    EXPECT_EQ(rig.Int("X"), 1);
    rig.ag.RemoveConnector(&modes);
}

TEST_F(BreakFixture, FirstCodeLineHaltsRightAfterTheInputPhase) {
    bp.Set("main.il", 6);
    rig.ag.SetMode(MM_RUN);
    rig.ag.Cycle();
    EXPECT_TRUE(rig.ag.BreakHit());
    EXPECT_EQ(rig.Line(), 6);
    EXPECT_EQ(rig.ag.Data->IP[1], 1) << "only the frame push ran";
}

TEST_F(BreakFixture, CycleInStepModeHalts) {
    bp.Set("main.il", 12);
    rig.ag.StepCommand(false); // enter step mode, nothing runs
    rig.ag.Cycle();
    EXPECT_TRUE(rig.ag.BreakHit());
    EXPECT_EQ(rig.Line(), 12);
    EXPECT_EQ(rig.Int("X"), 1);
    EXPECT_EQ(rig.Int("Y"), 0);
}

TEST_F(BreakFixture, StepOverHaltsInsideTheCalledBlock) {
    rig.ag.SetMode(MM_STEP);
    while (rig.Line() != 11) // to the CAL line
        rig.ag.Clock();
    {
        // Control: without a breakpoint Step Over runs the call as a whole.
        DebugRig other;
        other.ag.SetMode(MM_STEP);
        while (other.Line() != 11)
            other.ag.Clock();
        other.ag.StepOver();
        EXPECT_EQ(other.Line(), 12);
        EXPECT_EQ(other.ag.RunningPOUNum, 1);
    }
    bp.Set("adder.il", 8);
    rig.ag.StepOver();
    EXPECT_TRUE(rig.ag.BreakHit());
    EXPECT_EQ(rig.ag.RunningPOUNum, 2);
    EXPECT_EQ(rig.ag.GetSourcePOU(), rig.adderPOU);
    EXPECT_EQ(rig.Line(), 8);
}

TEST_F(BreakFixture, StepOutHaltsBeforeLeavingTheBlock) {
    rig.ag.SetMode(MM_STEP);
    while (rig.ag.RunningPOUNum != 2) // Step Into the block
        rig.ag.Clock();
    ASSERT_EQ(rig.Line(), 7);
    bp.Set("adder.il", 9);
    rig.ag.StepOut();
    EXPECT_TRUE(rig.ag.BreakHit());
    EXPECT_EQ(rig.ag.RunningPOUNum, 2);
    EXPECT_EQ(rig.Line(), 9);
    // Step Out again: back in the caller past the call line.
    rig.ag.StepOut();
    EXPECT_FALSE(rig.ag.BreakHit());
    EXPECT_EQ(rig.ag.RunningPOUNum, 1);
    EXPECT_EQ(rig.Line(), 12);
}

TEST_F(BreakFixture, StepIntoAndEmptySetChangeNothing) {
    // An attached empty set: a whole cycle in run mode as without breakpoints.
    rig.ag.SetMode(MM_RUN);
    rig.ag.Cycle();
    EXPECT_EQ(rig.ag.FMode, MM_RUN);
    EXPECT_EQ(rig.ag.Data->Cycle, DATAREAD);
    // Breakpoints set, then removed again: no halt.
    bp.Set("main.il", 8);
    bp.Clear();
    rig.ag.Cycle();
    EXPECT_EQ(rig.ag.FMode, MM_RUN);
    EXPECT_EQ(rig.Int("X"), 2);
    // A breakpoint on a line without code never halts.
    bp.Set("main.il", 3);
    bp.Set("other.il", 8);
    rig.ag.Cycle();
    EXPECT_EQ(rig.ag.FMode, MM_RUN);
    EXPECT_EQ(rig.Int("X"), 3);
}

TEST_F(BreakFixture, BreakpointLineEditedAwayAndMovedLines) {
    bp.Set("main.il", 8);  // ST X: deleted below
    bp.Set("main.il", 12); // LD F.OUTV: moves up to 11
    bp.Set("main.il", 4);  // above the edit: stays
    bp.LinesDeleted("main.il", 8, 1);
    EXPECT_EQ(bp.Lines("main.il"), (std::vector<int32_t>{4, 11}));

    std::string edited = kMainIL;
    edited.erase(edited.find("    ST X\n"), 9);
    DebugRig rig2(edited);
    rig2.ag.SetBreakpoints(&bp);
    rig2.ag.SetMode(MM_RUN);
    rig2.ag.Cycle();
    EXPECT_TRUE(rig2.ag.BreakHit());
    EXPECT_EQ(rig2.Line(), 11);
    const auto& pou = *rig2.project.desc.POUList[size_t(rig2.mainPOU)];
    EXPECT_EQ(pou.POUText[11], "    LD F.OUTV");

    bp.LinesInserted("main.il", 5, 2); // two lines above: 4 stays, 11 moves to 13
    EXPECT_EQ(bp.Lines("main.il"), (std::vector<int32_t>{4, 13}));
    bp.LinesInserted("main.il", 13, 1); // inserted before the breakpoint line itself
    EXPECT_EQ(bp.Lines("main.il"), (std::vector<int32_t>{4, 14}));
    bp.LinesDeleted("main.il", 0, 100);
    EXPECT_TRUE(bp.Empty());
}

TEST(Breakpoints, SetToggleRemoveAndRevision) {
    TBreakpoints bp;
    const uint32_t r0 = bp.Revision();
    EXPECT_TRUE(bp.Set("a.il", 3));
    EXPECT_FALSE(bp.Set("a.il", 3));
    EXPECT_FALSE(bp.Set("a.il", -1));
    EXPECT_NE(bp.Revision(), r0);
    EXPECT_TRUE(bp.Toggle("b.il", 1));
    EXPECT_FALSE(bp.Toggle("b.il", 1));
    EXPECT_EQ(bp.Count(), 1u);
    EXPECT_EQ(bp.Files(), std::vector<std::string>{"a.il"});
    bp.RenameFile("a.il", "c.il");
    EXPECT_TRUE(bp.Has("c.il", 3));
    EXPECT_FALSE(bp.Has("a.il", 3));
    bp.Clear();
    EXPECT_TRUE(bp.Empty());
}

TEST(Breakpoints, LinesThatHoldAnInstruction) {
    const std::vector<std::string> text = SplitLines("(* header comment *)\n"   // 0
                                                     "PROGRAM MAIN\n"           // 1
                                                     "VAR\n"                    // 2
                                                     "    X : INT (* LD X *)\n" // 3
                                                     "END_VAR\n"                // 4
                                                     "    LD X (* load *)\n"    // 5
                                                     "\n"                       // 6
                                                     "(* a comment\n"           // 7
                                                     "   LD X over lines *)\n"  // 8
                                                     "L1:\n"                    // 9
                                                     "L2: ST X\n"               // 10
                                                     "    CAL F(A := X)\n"      // 11
                                                     "END_PROGRAM\n"            // 12
                                                     "    LD X\n");             // 13
    const bool expected[] = {false, false, false, false, false, true,  false,
                             false, false, false, true,  true,  false, false};
    for (int32_t l = 0; l < 14; ++l)
        EXPECT_EQ(LineHoldsInstruction(text, l), expected[l]) << "line " << l;
    EXPECT_FALSE(LineHoldsInstruction(text, -1));
    EXPECT_FALSE(LineHoldsInstruction(text, 14));

    DebugRig rig;
    EXPECT_TRUE(LineHoldsCode(rig.project.desc, "main.il", 6));
    EXPECT_TRUE(LineHoldsCode(rig.project.desc, "adder.il", 9));
    EXPECT_FALSE(LineHoldsCode(rig.project.desc, "main.il", 0)) << "the frame push of the header";
    EXPECT_FALSE(LineHoldsCode(rig.project.desc, "main.il", 3));
    EXPECT_FALSE(LineHoldsCode(rig.project.desc, "x.il", 6));
}

TEST(Breakpoints, ProjectFileSectionRoundTripAndOldReaders) {
    const auto dir = std::filesystem::temp_directory_path() / "korvo_bp_test";
    std::filesystem::create_directories(dir / "src");
    const std::string plp = (dir / "p.plp").string();
    const std::string a = (dir / "src" / "a.il").string(), b = (dir / "b.il").string();
    std::string error;
    ASSERT_TRUE(WriteProjectFile(plp, {a, b}, error)) << error;

    TBreakpoints bp;
    bp.Set(a, 0);
    bp.Set(a, 41);
    bp.Set(b, 7);
    ASSERT_TRUE(WriteBreakpointsSection(plp, bp, error)) << error;
    std::string content;
    ASSERT_TRUE(ReadFileBytes(plp, content, error));
    EXPECT_NE(content.find("[KORVO_BREAKPOINTS]"), std::string::npos);
    EXPECT_NE(content.find("src/a.il"), std::string::npos) << "stored relative";
    EXPECT_NE(content.find("1,42"), std::string::npos) << "lines stored from 1";

    TBreakpoints back;
    back.Set("stale.il", 1);
    ASSERT_TRUE(LoadBreakpoints(plp, back, error));
    EXPECT_EQ(back.Lines(a), (std::vector<int32_t>{0, 41}));
    EXPECT_EQ(back.Lines(b), (std::vector<int32_t>{7}));
    EXPECT_EQ(back.Count(), 3u);

    // The ordinary reader and writer keep working with the section present.
    TProjectFileData data;
    ASSERT_TRUE(ReadProjectFile(plp, data, error));
    EXPECT_EQ(data.Files.size(), 2u);
    ASSERT_TRUE(WriteProjectFile(plp, {a}, error));
    ASSERT_TRUE(LoadBreakpoints(plp, back, error));
    EXPECT_EQ(back.Count(), 3u) << "saving the file list keeps our section";

    // Removing all and saving empties the section; malformed entries are skipped.
    ASSERT_TRUE(WriteBreakpointsSection(plp, TBreakpoints{}, error));
    ASSERT_TRUE(LoadBreakpoints(plp, back, error));
    EXPECT_TRUE(back.Empty());
    TBreakpoints junk;
    ReadBreakpointsSection(
        "[KORVO_BREAKPOINTS]\nFILE0=x.il\nLINES0=3,abc,,0,-2,99999999999,5\nFILE1=\nLINES1=4\n", plp, junk);
    EXPECT_EQ(junk.Lines((dir / "x.il").string()), (std::vector<int32_t>{2, 4}));
    EXPECT_EQ(junk.Count(), 2u);
    std::filesystem::remove_all(dir);
}

TEST(Breakpoints, ProjectManagerSavesOpensRenamesAndClears) {
    korvo::testkit::ScratchDir dir;
    const std::string plp = dir / "p.plp";
    std::string file;
    {
        korvo::testkit::ProjectRig rig;
        rig.Manager.NewProject();
        file = dir.Write("main.il",
                         "PROGRAM MAIN\nVAR\n    X : INT\nEND_VAR\n    LD X\n    ST X\nEND_PROGRAM\n");
        ASSERT_TRUE(rig.Manager.OpenFile(file));
        rig.Manager.RemoveFile(0);
        rig.Manager.Breakpoints().Set(file, 4);
        ASSERT_TRUE(rig.Manager.SaveProjectAs(plp));
    }
    korvo::testkit::ProjectRig rig;
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    EXPECT_TRUE(rig.Manager.Breakpoints().Has(file, 4));
    EXPECT_EQ(rig.Manager.Breakpoints().Count(), 1u);
    const std::string renamed = dir / "renamed.il";
    ASSERT_TRUE(rig.Manager.SaveFileAs(0, renamed));
    EXPECT_TRUE(rig.Manager.Breakpoints().Has(renamed, 4));
    rig.Manager.NewProject();
    EXPECT_TRUE(rig.Manager.Breakpoints().Empty());
}

} // namespace
