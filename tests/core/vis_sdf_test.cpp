// Description files: every line form and its messages, the loading state machine, object list
// order, AfterSuccess rules, positions, painting order, field identifiers and reset.
#include "Parser/RuleMachine.h"
#include "objdesc/Loader.h"
#include "vis_fakes.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::vistest;

namespace {

class VisSdf : public ::testing::Test {
protected:
    void SetUp() override {
        Lib.Add("TANKBG", SolidStrip(300, 200, 1));
        Lib.Add("VALVE", SolidStrip(32, 32, 2));
        Lib.Add("LAMP", SolidStrip(16, 10, 3));
    }
    // Loads Text; returns "" or the formatted error.
    std::string Load(const std::string& Text) {
        TSDFError err;
        if (LoadSDFLines(Lines(Text), TVisContext{&Lib, &Host}, Desc, err))
            return "";
        return FormatSDFError("f.sdf", err);
    }
    // The error of one line placed in a block of the given kind.
    std::string LineIn(const std::string& Kind, const std::string& Line) {
        return Load("OBJECT WINDOW W\nOBJECT " + Kind + " O\n" + Line + "\n");
    }
    template <class T>
    T* Obj(const std::string& Name) {
        for (TodUnknown* o : Desc.FAllObjects)
            if (o->FObjName == Name)
                return dynamic_cast<T*>(o);
        return nullptr;
    }

    TPictureLibrary Lib;
    TFakeHost Host;
    TVisDescription Desc;
};

const std::string Err3 = "Error reading sdf (file 'f.sdf', line 3): ";

} // namespace

TEST_F(VisSdf, ExampleFileBuildsObjectListAndFunctions) {
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadSDFFileLines(std::string(KORVO_TEST_DATA_DIR) + "/vis/tank_example.sdf", lines));
    TSDFError err;
    ASSERT_TRUE(LoadSDFLines(lines, TVisContext{&Lib, &Host}, Desc, err)) << err.Message;
    ASSERT_EQ(Desc.FAllObjects.size(), 4u);
    const char* names[] = {"CPU", "BACK", "VALVE", "CLOCK"};
    const TObjType kinds[] = {OTCPU, OTPICTURE, OTDYNAMICPIC, OTTIMER};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(Desc.FAllObjects[i]->FObjName, names[i]);
        EXPECT_EQ(Desc.FAllObjects[i]->FObjType, kinds[i]);
        EXPECT_EQ(Desc.FAllObjects[i]->FParent, Desc.FWindow.get());
    }
    EXPECT_EQ(Desc.FODCPU, Desc.FAllObjects[0]);
    EXPECT_EQ(Desc.FWindow->FChildren.front().get(), Desc.FODCPU);
    EXPECT_EQ(Desc.FWindow->FTitle, "Filling a tank");
    EXPECT_EQ(Desc.FWindow->FBitmap.Width, 300);
    EXPECT_EQ(Desc.FWindow->FBitmap.Height, 200);
    auto* valve = Obj<TodDynamicPic>("VALVE");
    EXPECT_EQ(valve->FWidth, 32);
    EXPECT_EQ(valve->FHeight, 32);
    EXPECT_EQ(Obj<TodTimer>("CLOCK")->FTimeOut, 500);
    EXPECT_EQ(Obj<TodTimer>("CLOCK")->GetFieldID("ticks"), 0);
    ASSERT_NE(valve->GetFunctionByName("onMouseDown"), nullptr);
    EXPECT_NE(valve->GetFunctionByName("onMouseDown")->FCode, nullptr);
    EXPECT_EQ(valve->GetFunctionByName("onMouseUp"), nullptr);
}

TEST_F(VisSdf, CrLfAndLfReadAlike) {
    TScratchDir dir;
    WriteText(dir.Path / "a.sdf", "OBJECT WINDOW A\r\nTITLE = x \r\n\r\nEND_OBJECT\r\n");
    std::vector<std::string> lines;
    ASSERT_TRUE(ReadSDFFileLines((dir.Path / "a.sdf").string(), lines));
    EXPECT_EQ(lines, (std::vector<std::string>{"OBJECT WINDOW A", "TITLE = x ", "", "END_OBJECT"}));
    EXPECT_FALSE(ReadSDFFileLines((dir.Path / "none.sdf").string(), lines));
}

TEST_F(VisSdf, LineErrorsOfObjectBlocks) {
    struct Case {
        const char* Kind;
        const char* Line;
        std::string Expected; // "" = accepted
    };
    const Case cases[] = {
        {"PICTURE", "BOGUS = 1", Err3 + "unknown identifier"},
        {"TIMER", "OBJECT PICTURE P", Err3 + "unknown identifier"},
        {"TIMER", "POSITION = 1,2", Err3 + "unknown identifier"},
        {"PICTURE", "TITLE = x", Err3 + "unknown identifier"},
        {"TEXT", "PICALIAS = VALVE", Err3 + "unknown identifier"},
        {"PICTURE", "POSITION 1,2", Err3 + "'=' expected"},
        {"GROUP", "POSITION_2 1,2", Err3 + "'=' expected"},
        {"TIMER", "TIMEOUT 5", Err3 + "'=' expected"},
        {"TEXT", "TEXT hello", Err3 + "'=' expected"},
        {"PICTURE", "PICALIAS VALVE", Err3 + "'=' expected"},
        {"PICTURE", "FIELD INT count", Err3 + "unknown type identifier"},
        {"PICTURE", "FIELD LINT a b", Err3 + "EOL expected"},
        {"PICTURE", "END_OBJECT x", Err3 + "EOL expected"},
        {"PICTURE", "PICALIAS = NOPE", Err3 + "Alias 'NOPE' nicht definiert!"},
        {"PICTURE", "PICALIAS = valve , 2", Err3 + "Alias 'VALVE ' nicht definiert!"},
        {"DYNAMICPIC", "PICALIAS = valve , 2", ""},
        {"DYNAMICPIC", "PERSISTENT whatever follows", ""},
        {"PICTURE", "PERSISTENT", Err3 + "unknown identifier"},
        {"PICTURE", "   # comment", ""},
        {"PICTURE", " \t ", ""},
        {"PICTURE", "FIELD PERSISTENT LINT count", ""},
        {"GROUP", "OBJECT LAMP L", "Error reading sdf (Line 3): unknown identifier"},
        {"GROUP", "OBJECT PICTURE L extra", "Error reading sdf (Line 3): EOL expected"},
    };
    for (const Case& c : cases) {
        Desc = {};
        EXPECT_EQ(LineIn(c.Kind, c.Line), c.Expected) << c.Kind << ": " << c.Line;
    }
}

TEST_F(VisSdf, FirstLineMustBeWindowHeader) {
    EXPECT_EQ(Load("# comment\nOBJECT WINDOW W\n"),
              "Error reading sdf (file 'f.sdf', line 1): OBJECT WINDOW expected");
    EXPECT_EQ(Load("OBJECT PICTURE P\n"), "Error reading sdf (file 'f.sdf', line 1): OBJECT WINDOW expected");
    EXPECT_EQ(Load("OBJECT WINDOW W X\n"), "Error reading sdf (file 'f.sdf', line 1): EOL expected");
    EXPECT_EQ(Load("WINDOW W\n"), "Error reading sdf (file 'f.sdf', line 1): unknown identifier");
    EXPECT_EQ(Load(""), "Error reading sdf (file 'f.sdf', line 1): OBJECT WINDOW expected");
    EXPECT_EQ(Desc.FWindow, nullptr);
    EXPECT_EQ(Load("  object window w\n"), "");
    EXPECT_EQ(Desc.FWindow->FObjName, "W");
}

TEST_F(VisSdf, FunctionHeadersAndBodies) {
    const std::string head = "OBJECT WINDOW W\nOBJECT DYNAMICPIC P\nEND_OBJECT\nEND_OBJECT\n";
    const std::string e5 = "Error reading sdf (file 'f.sdf', line 5): ";
    const std::string e6 = "Error reading sdf (file 'f.sdf', line 6): ";
    struct Case {
        std::string Tail;
        std::string Expected;
    };
    const Case cases[] = {
        {"FUNCTION VOID P.onMouseDown()\nEND_FUNCTION\n", ""},
        {"function int p . onMouseDown ( )\n  # c\n\nend_function\n", ""},
        {"FUNCTION VOID CPU.onInputChange()\nEND_FUNCTION\n", ""},
        {"FUNCTION VOID W.onTimer()\n", e5 + "unknown object identifier"},
        {"FUNCTION VOID Q.x()\n", e5 + "unknown object identifier"},
        {"FUNCTION VOID P x()\n", e5 + "'.' expected"},
        {"FUNCTION VOID P.x)\n", e5 + "'(' expected"},
        {"FUNCTION VOID P.x(\n", e5 + "')' expected"},
        {"FUNCTION VOID P.x() y\n", e5 + "EOL expected"},
        {"OBJECT PICTURE Z\n", e5 + "unknown identifier"},
        {"FUNCTION VOID P.x()\nEND_FUNCTION x\n", e6 + "EOL expected"},
        {"FUNCTION VOID P.x()\nLOAD %IX0.0\n", e6 + "EOL expected"},
        {"FUNCTION VOID P.x()\nELSE x\n", e6 + "EOL expected"},
        {"FUNCTION VOID P.x()\nSET #1 = #2\n", e6 + "invalid expression target"},
        {"FUNCTION VOID P.x()\nEND_FUNCTION\nSET %QX0.0 = #1\n",
         "Error reading sdf (file 'f.sdf', line 7): unknown identifier"},
    };
    for (const Case& c : cases) {
        Desc = {};
        EXPECT_EQ(Load(head + c.Tail), c.Expected) << c.Tail;
    }
}

TEST_F(VisSdf, LastFunctionOfNameRuns) {
    ASSERT_EQ(Load("OBJECT WINDOW W\nOBJECT TIMER T\nEND_OBJECT\nEND_OBJECT\n"
                   "FUNCTION VOID T.onTimer()\nBELL\nEND_FUNCTION\n"
                   "FUNCTION VOID T.ONTIMER()\nSET %QB0 = #1\nEND_FUNCTION\n"),
              "");
    auto* t = Obj<TodTimer>("T");
    ASSERT_EQ(t->FFunctions.size(), 2u);
    EXPECT_EQ(t->GetFunctionByName("ontimer"), t->FFunctions[1].get());
}

TEST_F(VisSdf, NestedBlocksStateMachineAndObjectOrder) {
    ASSERT_EQ(Load("OBJECT WINDOW W\n"
                   "OBJECT GROUP G1\n"
                   "  OBJECT DYNAMICPIC D1\n"
                   "    OBJECT PICTURE INNER\n"
                   "    END_OBJECT\n"
                   "  END_OBJECT\n"
                   "  OBJECT TEXT T1\n"
                   "  END_OBJECT\n"
                   "END_OBJECT\n"
                   "OBJECT PICTURE P2\n"
                   "END_OBJECT\n"
                   "OBJECT TIMER CPU\n"), // open blocks at the end of the file are fine
              "");
    std::vector<std::string> names;
    for (TodUnknown* o : Desc.FAllObjects)
        names.push_back(o->FObjName);
    EXPECT_EQ(names, (std::vector<std::string>{"CPU", "G1", "D1", "INNER", "T1", "P2", "CPU"}));
    EXPECT_EQ(Desc.FAllObjects[3]->FParent, Desc.FAllObjects[2]);
    EXPECT_EQ(Desc.FAllObjects[4]->FParent, Desc.FAllObjects[1]);
    EXPECT_EQ(Desc.FAllObjects[5]->FParent, Desc.FWindow.get());
    // The file's object named CPU is never found first.
    EXPECT_EQ(Desc.FAllObjects[0]->FObjType, OTCPU);
}

TEST_F(VisSdf, PositionForms) {
    struct Case {
        const char* Line;
        int32_t L, T, W, H;
    };
    const Case cases[] = {
        {"POSITION = 10,20,30,40", 10, 20, 30, 40},
        {"POSITION = -5, 7", 0, 7, -1, -1},
        {"POSITION = 1 2,3", 12, 3, -1, -1},
        {"POSITION = 1\t2,3,4,5", 0, 3, 4, 5}, // tab inside a number: -1, corrected to 0
        {"POSITION = a,b,c,d,e", 0, 0, -1, -1},
        {"POSITION=", 0, 0, -1, -1},
        {"POSITION = 1,2,3,4,5,6", 1, 2, 3, 4},
    };
    for (const Case& c : cases) {
        Desc = {};
        ASSERT_EQ(LineIn("TEXT", c.Line), "") << c.Line;
        auto* t = Obj<TodText>("O");
        EXPECT_EQ((std::vector<int32_t>{t->FLeft, t->FTop, t->FWidth, t->FHeight}),
                  (std::vector<int32_t>{c.L, c.T, c.W, c.H}))
            << c.Line;
    }
}

TEST_F(VisSdf, TitleTextTimeoutValues) {
    ASSERT_EQ(Load("OBJECT WINDOW W\nTITLE=Tank #1  \nOBJECT TEXT T\nTEXT =  Level: \nEND_OBJECT\n"
                   "OBJECT TIMER A\nTIMEOUT = 250 \nEND_OBJECT\nOBJECT TIMER B\nTIMEOUT = 2x\nEND_OBJECT\n"),
              "");
    EXPECT_EQ(Desc.FWindow->FTitle, "Tank #1  ");
    EXPECT_EQ(Obj<TodText>("T")->FText, "Level: ");
    EXPECT_EQ(Obj<TodTimer>("A")->FTimeOut, 250);
    EXPECT_EQ(Obj<TodTimer>("B")->FTimeOut, -1);
}

TEST_F(VisSdf, PictureSizeFromFrameInEitherOrder) {
    ASSERT_EQ(Load("OBJECT WINDOW W\n"
                   "OBJECT DYNAMICPIC A\nPOSITION = 40,20\nPICALIAS = VALVE\nEND_OBJECT\n"
                   "OBJECT DYNAMICPIC B\nPICALIAS = VALVE\nPOSITION = 40,20\nEND_OBJECT\n"
                   "OBJECT DYNAMICPIC C\nPOSITION = 40,20,0,0\nPICALIAS = VALVE\nEND_OBJECT\n"
                   "OBJECT PICTURE D\nPICALIAS = lamp,2\nEND_OBJECT\n"
                   "OBJECT PICTURE E\nPOSITION = 1,1,-1,7\nPICALIAS = LAMP, x\nEND_OBJECT\n"),
              "");
    for (const char* n : {"A", "B"}) {
        EXPECT_EQ(Obj<TodDynamicPic>(n)->FWidth, 32) << n;
        EXPECT_EQ(Obj<TodDynamicPic>(n)->FHeight, 32) << n;
    }
    EXPECT_EQ(Obj<TodDynamicPic>("C")->FWidth, 0);
    EXPECT_EQ(Obj<TodPicture>("D")->FWidth, 0); // no POSITION line: size stays 0
    EXPECT_EQ(Obj<TodPicture>("D")->FPicAlias, 2);
    EXPECT_EQ(Obj<TodPicture>("D")->FPicIndex, 2);
    EXPECT_EQ(Obj<TodPicture>("E")->FWidth, 16);
    EXPECT_EQ(Obj<TodPicture>("E")->FHeight, 7);
    EXPECT_EQ(Obj<TodPicture>("E")->FPicIndex, 0);
}

TEST_F(VisSdf, GroupPositionsAndMovePos) {
    ASSERT_EQ(Load("OBJECT WINDOW W\nOBJECT GROUP G\nPOSITION = 100,50\nPOSITION_2 = 300, 50\n"
                   "OBJECT PICTURE P\nPOSITION = 5,6,20,30\nEND_OBJECT\n\nEND_OBJECT\n"),
              "");
    auto* g = Obj<TodGroup>("G");
    EXPECT_EQ(g->FMovePos, 0);
    EXPECT_EQ(g->FLeft1, 100);
    EXPECT_EQ(g->FLeft2, 300);
    // The blank line after the child made the group enclose it.
    EXPECT_EQ(g->FWidth, 25);
    EXPECT_EQ(g->FHeight, 36);
    Desc.FWindow->FIsInvalid = false;
    g->SetMovePos(500);
    EXPECT_EQ(g->FLeft, 200);
    EXPECT_TRUE(Desc.FWindow->FIsInvalid);
    g->SetMovePos(1000);
    EXPECT_EQ(g->FLeft, 300);
    g->SetMovePos(-500);
    EXPECT_EQ(g->FLeft, 0);
    EXPECT_EQ(g->FTop, 50);
    Desc.FWindow->FIsInvalid = false;
    g->SetMovePos(-500);
    EXPECT_FALSE(Desc.FWindow->FIsInvalid);
}

TEST_F(VisSdf, BlankLineInGroupRecordsPositionOne) {
    ASSERT_EQ(Load("OBJECT WINDOW W\nOBJECT GROUP G\nPOSITION = 10,10\nPOSITION_2 = 110,10\nEND_OBJECT\n"),
              "");
    auto* g = Obj<TodGroup>("G");
    g->SetMovePos(500);
    EXPECT_EQ(g->FLeft, 60);
    std::string error;
    EXPECT_EQ(g->ParseLine("", error), TParseResult::prSuccess); // re-runs AfterSuccess
    EXPECT_EQ(g->FLeft1, 60);
    g->SetMovePos(1000);
    EXPECT_EQ(g->FLeft, 110);
}

TEST_F(VisSdf, AbsolutePositionsAndPaintingOrder) {
    ASSERT_EQ(Load("OBJECT WINDOW W\nPOSITION = 0,0,200,100\n"
                   "OBJECT PICTURE BACK\nPOSITION = 0,0\nPICALIAS = TANKBG\nEND_OBJECT\n"
                   "OBJECT GROUP G\nPOSITION = 50,10\n"
                   "  OBJECT DYNAMICPIC V\n  POSITION = 5,5\n  PICALIAS = VALVE\n  END_OBJECT\n"
                   "  OBJECT GROUP G2\n  POSITION = 10,10\n"
                   "    OBJECT PICTURE DEEP\n    POSITION = 1,1\n    PICALIAS = LAMP,1\n    END_OBJECT\n"
                   "  END_OBJECT\n"
                   "END_OBJECT\n"
                   "OBJECT TEXT T\nPOSITION = 3,4\nOBJECT PICTURE INTEXT\nPOSITION = 1,2\nPICALIAS = LAMP\n"
                   "END_OBJECT\nEND_OBJECT\n"
                   "OBJECT PICTURE NOALIAS\nPOSITION = 1,1\nEND_OBJECT\n"
                   "OBJECT DYNAMICPIC TOP\nPOSITION = 60,15\nPICALIAS = VALVE\nEND_OBJECT\n"),
              "");
    EXPECT_EQ(Obj<TodDynamicPic>("V")->GetAbsPos(), (TVisRect{55, 15, 87, 47}));
    EXPECT_EQ(Obj<TodPicture>("DEEP")->GetAbsPos(), (TVisRect{61, 21, 77, 31}));

    TRecordingCanvas rec(&Lib);
    Desc.FWindow->RenderTo(rec, {0, 0, 200, 100});
    // Pictures are drawn at their parent's position plus their own: one level only.
    EXPECT_EQ(rec.Calls,
              (std::vector<std::string>{"fill 0,0,200,100", "frame TANKBG:0 @0,0", "frame VALVE:0 @55,15",
                                        "frame LAMP:1 @11,11", "frame LAMP:0 @4,6", "frame VALVE:0 @60,15"}));

    // Window position moves pictures directly in it but not those in groups.
    Desc.FWindow->FLeft = 7;
    rec.Calls.clear();
    Desc.FWindow->RenderTo(rec, {0, 0, 200, 100});
    EXPECT_EQ(rec.Calls[1], "frame TANKBG:0 @7,0");
    EXPECT_EQ(rec.Calls[2], "frame VALVE:0 @55,15");
    EXPECT_EQ(Obj<TodDynamicPic>("V")->GetAbsPos().Left, 62);
}

TEST_F(VisSdf, WindowPaintRedrawsOnlyWhenMarkedOrAsked) {
    ASSERT_EQ(Load("OBJECT WINDOW W\nPOSITION = 0,0,64,40\nOBJECT DYNAMICPIC A\nPICALIAS = VALVE\n"
                   "POSITION = 0,0\nEND_OBJECT\nOBJECT DYNAMICPIC B\nPICALIAS = VALVE\nPOSITION = 16,0\n"
                   "END_OBJECT\n"),
              "");
    TRecordingCanvas rec;
    Desc.FWindow->Paint(rec, {});
    EXPECT_EQ(rec.Calls, (std::vector<std::string>{"image 64x40 @0,0"}));
    // Later children cover earlier ones; frame 0 is red 0x10, frame 1 0x20.
    EXPECT_EQ(Desc.FWindow->FBitmap.At(20, 5), VisOpaque(0x10, 0, 0));
    EXPECT_EQ(Desc.FWindow->FBitmap.At(40, 35), VisButtonFace);
    Desc.FWindow->Paint(rec, {});
    EXPECT_EQ(rec.Calls.size(), 1u);
    Desc.FWindow->Paint(rec, {0, 0, 1, 1});
    EXPECT_EQ(rec.Calls.size(), 2u);
    Obj<TodDynamicPic>("B")->SetCurrentPic(1);
    Obj<TodDynamicPic>("A")->SetCurrentPic(1);
    Desc.FWindow->Paint(rec, {});
    EXPECT_EQ(rec.Calls.size(), 3u);
    EXPECT_EQ(Desc.FWindow->FBitmap.At(20, 5), VisOpaque(0x20, 0, 0));
    // A frame outside the strip draws nothing.
    Obj<TodDynamicPic>("B")->SetCurrentPic(7);
    Desc.FWindow->Paint(rec, {});
    EXPECT_EQ(Desc.FWindow->FBitmap.At(40, 5), VisButtonFace);
}

TEST_F(VisSdf, FieldIdsAndReset) {
    ASSERT_EQ(
        Load("OBJECT WINDOW W\n"
             "OBJECT DYNAMICPIC D\nFIELD LINT img\nFIELD LINT a\nFIELD PERSISTENT LINT keep\nEND_OBJECT\n"
             "OBJECT DYNAMICPIC P\nPERSISTENT\nEND_OBJECT\n"
             "OBJECT GROUP G\nFIELD LINT movepos\nFIELD LINT n\nPOSITION_2 = 5,5\nEND_OBJECT\n"
             "OBJECT TIMER T\nFIELD LINT x\nEND_OBJECT\n"),
        "");
    auto* d = Obj<TodDynamicPic>("D");
    EXPECT_EQ(d->GetFieldID("img"), 32768);
    EXPECT_EQ(d->GetFieldID("A"), 1);
    EXPECT_EQ(d->GetFieldID("keep"), 2);
    EXPECT_EQ(d->GetFieldID("none"), 65535);
    EXPECT_EQ(Obj<TodGroup>("G")->GetFieldID("MovePos"), 32768);
    EXPECT_EQ(Obj<TodGroup>("G")->GetFieldID("n"), 1);
    EXPECT_EQ(Obj<TodTimer>("T")->GetFieldID("img"), 65535);
    EXPECT_EQ(Obj<TodTimer>("T")->GetFieldID("x"), 0);

    d->FFields[1]->Value = 5;
    d->FFields[2]->Value = 6;
    d->FCurrentPic = 3;
    Obj<TodDynamicPic>("P")->FCurrentPic = 4;
    Obj<TodGroup>("G")->SetMovePos(700);
    Obj<TodTimer>("T")->FLastCount = 99;
    Obj<TodTimer>("T")->FFields[0]->Value = 1;
    Desc.FWindow->FIsInvalid = false;
    for (TodUnknown* o : Desc.FAllObjects)
        o->Reset();
    EXPECT_EQ(d->FFields[1]->Value, 0);
    EXPECT_EQ(d->FFields[2]->Value, 6);
    EXPECT_EQ(d->FCurrentPic, 0);
    EXPECT_EQ(Obj<TodDynamicPic>("P")->FCurrentPic, 4);
    EXPECT_EQ(Obj<TodGroup>("G")->FMovePos, 700);
    EXPECT_EQ(Obj<TodTimer>("T")->FLastCount, 0u);
    EXPECT_EQ(Obj<TodTimer>("T")->FFields[0]->Value, 0);
    EXPECT_FALSE(Desc.FWindow->FIsInvalid); // reset does not mark the window
}

TEST_F(VisSdf, TitleScan) {
    bool failed = false;
    TSDFError err;
    EXPECT_EQ(
        ScanSDFTitle(Lines("OBJECT WINDOW W\nPOSITION = 0,0,10,10\nTITLE = Crossing\nBOGUS\n"), failed, err),
        "Crossing");
    EXPECT_FALSE(failed);
    // Stops at the first nested header: no picture is looked up before the catalogue exists.
    EXPECT_EQ(
        ScanSDFTitle(Lines("OBJECT WINDOW W\nOBJECT PICTURE P\nPICALIAS = X\nEND_OBJECT\nTITLE = Late\n"),
                     failed, err),
        "");
    EXPECT_FALSE(failed);
    EXPECT_EQ(ScanSDFTitle(Lines("OBJECT WINDOW W\nEND_OBJECT\nTITLE = after\n"), failed, err), "");
    EXPECT_FALSE(failed);
    EXPECT_EQ(ScanSDFTitle(Lines("OBJECT WINDOW W\nTITEL = x\nTITLE = y\n"), failed, err), "");
    EXPECT_TRUE(failed);
    EXPECT_EQ(FormatSDFError("a.sdf", err), "Error reading sdf (file 'a.sdf', line 2): unknown identifier");
    EXPECT_EQ(ScanSDFTitle(Lines("# x\n"), failed, err), "");
    EXPECT_TRUE(failed);
    EXPECT_EQ(err.Line, 1);
}

TEST_F(VisSdf, LimitsOfWindowSizeAndNesting) {
    EXPECT_EQ(Load("OBJECT WINDOW W\nPOSITION = 0,0,4096,4096\n"), "");
    Desc = {};
    EXPECT_EQ(Load("OBJECT WINDOW W\nPOSITION = 0,0,4097,10\n"),
              "Error reading sdf (file 'f.sdf', line 2): window too large (max. 4096 x 4096)");
    std::string deep = "OBJECT WINDOW W\n";
    for (int i = 0; i < MaxObjectNesting; ++i)
        deep += "OBJECT GROUP G" + std::to_string(i) + "\n";
    Desc = {};
    EXPECT_EQ(Load(deep), "");
    Desc = {};
    EXPECT_EQ(Load(deep + "OBJECT GROUP TOO\n"),
              "Error reading sdf (file 'f.sdf', line 66): objects nested too deeply (max. 64)");
}

TEST_F(VisSdf, GarbageNeverCrashes) {
    // Random lines from the format's own words and characters.
    const char* words[] = {"OBJECT ",
                           "WINDOW ",
                           "GROUP ",
                           "DYNAMICPIC ",
                           "PICTURE ",
                           "TEXT ",
                           "TIMER ",
                           "END_OBJECT",
                           "FUNCTION ",
                           "VOID ",
                           "END_FUNCTION",
                           "SET ",
                           "IF ",
                           "ELSE",
                           "ENDIF",
                           "BELL",
                           "POSITION",
                           "POSITION_2",
                           "PICALIAS",
                           "FIELD ",
                           "LINT ",
                           "PERSISTENT ",
                           "TIMEOUT",
                           "TITLE",
                           "= ",
                           "$",
                           "%",
                           "#",
                           "(",
                           ")",
                           "!",
                           ".",
                           ",",
                           " ",
                           "\t",
                           "A",
                           "VALVE",
                           "IMG",
                           "IX0.1",
                           "QB1",
                           "MW2",
                           "1",
                           "-5",
                           "==",
                           "&",
                           "|",
                           "^",
                           ">>",
                           "<=",
                           "+ ",
                           "* ",
                           "CPU",
                           "onTimer()",
                           "\xff",
                           "#99999999999"};
    std::mt19937 rng(12345);
    for (int file = 0; file < 600; ++file) {
        // Half the files put their random lines into a function body.
        std::string text =
            file % 2 ? "OBJECT WINDOW W\nEND_OBJECT\nFUNCTION VOID CPU.X()\n" : "OBJECT WINDOW W\n";
        const int lines = 1 + static_cast<int>(rng() % 30);
        for (int l = 0; l < lines; ++l) {
            const int n = static_cast<int>(rng() % 8);
            for (int k = 0; k < n; ++k)
                text += words[rng() % (sizeof(words) / sizeof(words[0]))];
            text += "\n";
        }
        Desc = {};
        Load(text);
        if (Desc.FWindow) {
            TRecordingCanvas rec(&Lib);
            Desc.FWindow->Paint(rec, {0, 0, 10, 10});
            TFakePLC plc;
            for (TodUnknown* o : Desc.FAllObjects)
                for (auto& f : o->FFunctions)
                    ExecuteRuleCode(f->FCode.get(), Desc.FAllObjects, &plc, &Host);
        }
    }
    SUCCEED();
}
