// Logic analyzer: recording ring and cycle numbering, signal list, trace primitives, export.
#include "LogicAny/AnalyzerBuffer.h"
#include "LogicAny/RecordingExport.h"
#include "LogicAny/Signals.h"
#include "LogicAny/TraceDrawing.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

using namespace korvo;

namespace {

// One cycle as the soft PLC records it: input phase, n program steps, output phase.
void StoreCycle(TAnalyzerRecording& rec, int progSteps, uint16_t prog = 0, uint16_t iq = 0) {
    rec.Store(prog, iq, true, true);
    for (int i = 0; i < progSteps; ++i)
        rec.Store(prog, iq, false, false);
    rec.Store(prog, iq, true, false);
}

TDrawOp Op(TDrawKind k, int x1, int y1, int x2, int y2, TRGB c, std::string t = {}) {
    return TDrawOp{k, x1, y1, x2, y2, c, std::move(t)};
}

std::vector<TDrawOp> OfKind(const std::vector<TDrawOp>& ops, TDrawKind k) {
    std::vector<TDrawOp> r;
    for (const auto& o : ops)
        if (o.Kind == k)
            r.push_back(o);
    return r;
}

} // namespace

// ---------------------------------------------------------------------------------------------
// Recording

TEST(AnalyzerRecording, RingKeepsNewestSamplesInOrderAfterWrap) {
    TAnalyzerRecording rec;
    for (int i = 0; i < 1234; ++i)
        rec.Store(uint16_t(i & 0x7FFF), uint16_t((i * 3) & 0x7FFF), false, false);
    ASSERT_EQ(rec.ValidLength(), LA_BUFFER_LENGTH);
    EXPECT_EQ(rec.WritePtr(), 1234 % LA_BUFFER_LENGTH);
    EXPECT_EQ(rec.Overwritten(), 1234u - LA_BUFFER_LENGTH);
    for (int X = 1; X <= LA_BUFFER_LENGTH; ++X) {
        const int stored = 1234 - LA_BUFFER_LENGTH + X - 1;
        ASSERT_EQ(rec.Prog(X), stored & 0x7FFF) << X;
        ASSERT_EQ(rec.IQ(X), (stored * 3) & 0x7FFF) << X;
    }
}

TEST(AnalyzerRecording, SignalBitsDoNotLeakIntoFlags) {
    TAnalyzerRecording rec;
    rec.Store(0xFFFF, 0xFFFF, false, false);
    EXPECT_EQ(rec.Prog(1), 0x7FFF);
    EXPECT_FALSE(rec.IsPhase(1));
    EXPECT_FALSE(rec.IsCycleStart(1));
    rec.Store(0, 0, true, false);
    EXPECT_TRUE(rec.IsPhase(2));
    EXPECT_EQ(rec.Prog(2), 0);
    EXPECT_EQ(rec.Buffer.Size, 1002);
}

TEST(AnalyzerRecording, CycleNumbersStayRightAfterWrap) {
    struct Case {
        int cycles, progSteps;
        int32_t firstCycleNo; // after recording
        int32_t cycleOfSample1, cycleOfLast;
    };
    // 4 samples per cycle: 150 cycles = 600 samples, 100 dropped = 25 whole cycles.
    // 6 samples per cycle: 90 cycles = 540 samples, 40 dropped = 6 cycles and 4 samples of the 7th.
    const Case cases[] = {
        {100, 2, 0, 0, 99}, // no wrap
        {150, 2, 25, 25, 149},
        {90, 4, 7, -1, 89},
    };
    for (const Case& c : cases) {
        TAnalyzerRecording rec;
        for (int i = 0; i < c.cycles; ++i)
            StoreCycle(rec, c.progSteps);
        EXPECT_EQ(rec.FirstCycleNo(), c.firstCycleNo) << c.cycles;
        EXPECT_EQ(rec.CycleOf(1), c.cycleOfSample1) << c.cycles;
        EXPECT_EQ(rec.CycleOf(rec.ValidLength()), c.cycleOfLast) << c.cycles;
    }
}

TEST(AnalyzerRecording, POUMarkGoesWithTheNextSampleOnlyAlsoWhenFull) {
    TAnalyzerRecording rec;
    rec.MarkPOUChange();
    rec.Store(0, 0, false, false);
    rec.Store(0, 0, false, false);
    EXPECT_TRUE(rec.POUChanged(1));
    EXPECT_FALSE(rec.POUChanged(2));
    for (int i = 2; i < LA_BUFFER_LENGTH + 1; ++i)
        rec.Store(0, 0, false, false); // the marked sample drops out
    // Full ring: a pending mark must neither vanish nor land on the oldest sample.
    rec.MarkPOUChange();
    EXPECT_FALSE(rec.POUChanged(1));
    rec.Store(0, 0, false, false);
    EXPECT_TRUE(rec.POUChanged(LA_BUFFER_LENGTH));
    EXPECT_FALSE(rec.POUChanged(1));
}

TEST(AnalyzerRecording, ClearRestartsNumberingAtTheCurrentPosition) {
    TAnalyzerRecording rec;
    for (int i = 0; i < 130; ++i)
        StoreCycle(rec, 2); // wrapped, FirstCycleNo 5
    const int ptr = rec.WritePtr();
    rec.Clear();
    EXPECT_EQ(rec.ValidLength(), 0);
    EXPECT_EQ(rec.FirstCycleNo(), 0);
    EXPECT_EQ(rec.WritePtr(), ptr);
    rec.Store(0, 0, false, false); // mid-cycle: no number yet
    StoreCycle(rec, 1, 1);
    EXPECT_EQ(rec.ValidLength(), 4);
    EXPECT_EQ(rec.CycleOf(1), -1);
    EXPECT_EQ(rec.CycleOf(2), 0);
    EXPECT_EQ(rec.Prog(2), 1);
    // Slots outside the valid range that are overwritten do not count as dropped cycles.
    for (int i = 0; i < 100; ++i)
        StoreCycle(rec, 2);
    EXPECT_EQ(rec.FirstCycleNo(), 0);
}

// ---------------------------------------------------------------------------------------------
// Signal list

namespace {

struct ProjectBuilder {
    TProjectDesc project;

    TPOUDesc& AddPOU(const std::string& name, TPOUType type, bool library = false) {
        auto pou = std::make_unique<TPOUDesc>();
        pou->POUName = name;
        pou->POUType = type;
        pou->Compiled = library;
        project.POUList.push_back(std::move(pou));
        if (type == PTFUNCTION_BLOCK) {
            auto t = std::make_unique<TTypeDesc>();
            t->TypeName = name;
            t->DT_Type = TDT_Type::STRUCT;
            t->FB = int32_t(project.POUList.size() - 1);
            project.TypeList.push_back(std::move(t));
        }
        if (type == PTPROGRAM)
            project.MainPOU = int32_t(project.POUList.size() - 1);
        return *project.POUList.back();
    }
    int32_t TypeOf(const std::string& fb) const {
        for (size_t i = 0; i < project.TypeList.size(); ++i)
            if (project.TypeList[i]->TypeName == fb)
                return int32_t(i);
        return -1;
    }
    static void Var(TPOUDesc& pou, const std::string& name, int32_t type, int32_t adr, TVarType vt = VTVAR,
                    uint8_t bit = 0) {
        auto v = std::make_unique<TVarDesc>();
        v->VarName = name;
        v->DataType = type;
        v->MemAdr = adr;
        v->BitAdr = bit;
        v->VarType = vt;
        pou.VarList.push_back(std::move(v));
    }
};

} // namespace

TEST(SignalList, AtMostFifteenBoolsInDeclarationOrder) {
    ProjectBuilder b;
    TPOUDesc& main = b.AddPOU("MAIN", PTPROGRAM);
    ProjectBuilder::Var(main, "W", TypeRef(DT_WORD), 48);
    for (int i = 0; i < 20; ++i)
        ProjectBuilder::Var(main, "B" + std::to_string(i), TR_BOOL, 50 + i);
    ProjectBuilder::Var(main, "IN3", TR_BOOL, 0, VTVAR, 3); // AT %IX0.3
    TSignalList list = BuildSignalList(b.project);
    ASSERT_EQ(list.Count(), 15);
    EXPECT_EQ(list.Entries[0].Name, "B0");
    EXPECT_EQ(list.Entries[14].Name, "B14");
    EXPECT_EQ(list.Signals[14].MemAdr, 64);
    for (const auto& e : list.Entries)
        EXPECT_TRUE(e.Ticked);
}

TEST(SignalList, InstancesGiveDottedPathsAndLibraryInternalsStartUnticked) {
    ProjectBuilder b;
    TPOUDesc& ton = b.AddPOU("TON", PTFUNCTION_BLOCK, true); // standard library
    ProjectBuilder::Var(ton, "IN", TR_BOOL, 0, VTVAR_INPUT);
    ProjectBuilder::Var(ton, "PT", TypeRef(DT_TIME), 1, VTVAR_INPUT);
    ProjectBuilder::Var(ton, "Q", TR_BOOL, 5, VTVAR_OUTPUT);
    ProjectBuilder::Var(ton, "RUNNING", TR_BOOL, 6, VTVAR);
    TPOUDesc& rtrig = b.AddPOU("R_TRIG", PTFUNCTION_BLOCK, true);
    ProjectBuilder::Var(rtrig, "CLK", TR_BOOL, 0, VTVAR_INPUT);
    ProjectBuilder::Var(ton, "EDGE", b.TypeOf("R_TRIG"), 7, VTVAR); // internal instance: not entered
    TPOUDesc& inner = b.AddPOU("INNER", PTFUNCTION_BLOCK);
    ProjectBuilder::Var(inner, "X", TR_BOOL, 2, VTVAR);
    TPOUDesc& user = b.AddPOU("MYFB", PTFUNCTION_BLOCK);
    ProjectBuilder::Var(user, "IN", TR_BOOL, 0, VTVAR_INPUT);
    ProjectBuilder::Var(user, "Q", TR_BOOL, 1, VTVAR_OUTPUT);
    ProjectBuilder::Var(user, "SUB", b.TypeOf("INNER"), 4, VTVAR);
    TPOUDesc& main = b.AddPOU("MAIN", PTPROGRAM);
    ProjectBuilder::Var(main, "T1", b.TypeOf("MYFB"), 60);
    ProjectBuilder::Var(main, "TIMER", b.TypeOf("TON"), 100);
    ProjectBuilder::Var(main, "BROKEN", 77, 200); // type reference beyond the list: skipped
    ProjectBuilder::Var(main, "DONE", TR_BOOL, 48);

    TSignalList list = BuildSignalList(b.project);
    std::vector<std::tuple<std::string, int32_t, bool>> got;
    for (int i = 0; i < list.Count(); ++i)
        got.emplace_back(list.Entries[size_t(i)].Name, list.Signals[size_t(i)].MemAdr,
                         list.Entries[size_t(i)].Ticked);
    const std::vector<std::tuple<std::string, int32_t, bool>> want = {
        {"T1.IN", 60, true},     {"T1.Q", 61, true},     {"T1.SUB.X", 66, true},
        {"TIMER.IN", 100, true}, {"TIMER.Q", 105, true}, {"TIMER.RUNNING", 106, false},
        {"DONE", 48, true},
    };
    EXPECT_EQ(got, want);
}

TEST(SignalList, CyclicInstanceChainInBrokenProjectEnds) {
    ProjectBuilder b;
    TPOUDesc& fb = b.AddPOU("LOOP", PTFUNCTION_BLOCK);
    ProjectBuilder::Var(fb, "SELF", 0, 0); // instance of itself
    TPOUDesc& main = b.AddPOU("MAIN", PTPROGRAM);
    ProjectBuilder::Var(main, "L", 0, 48);
    EXPECT_EQ(BuildSignalList(b.project).Count(), 0);
    b.project.MainPOU = 99;
    EXPECT_EQ(BuildSignalList(b.project).Count(), 0);
}

// ---------------------------------------------------------------------------------------------
// Trace primitives

TEST(TraceDrawing, FirstSamplesExactPrimitives) {
    TAnalyzerRecording rec;
    rec.MarkPOUChange();
    rec.Store(0, 0, true, true);   // input phase: output low everywhere
    rec.Store(1, 0, false, false); // program sets it: program view only
    rec.Store(1, 1, true, false);  // output phase: now outside as well
    TTraceDrawing d;
    d.SetVisibleSignals({0});
    d.Resize(3);
    d.UpdateDisplay(rec);
    ASSERT_EQ(d.BitmapHeight(), 50);
    ASSERT_EQ(d.BitmapWidth(), 1520);
    using namespace la_colors;
    const TRGB grey = OutsideOdd, white = ProgramOdd;
    const std::vector<TDrawOp> want = {
        Op(TDrawKind::Fill, 0, 0, 65, 50, Background),
        Op(TDrawKind::Hatch, -7, 0, 8, 35, Hatch),
        Op(TDrawKind::Text, 0, 38, 0, 0, Marks, "0"), // not cut at the left edge
        Op(TDrawKind::Line, -7, 0, -7, 35, Marks),    // POU change before sample 1
        Op(TDrawKind::Hatch, 23, 0, 38, 35, Hatch),
        // outside view: low, low, rises at the output phase
        Op(TDrawKind::Line, 0, 25, 15, 25, grey),
        Op(TDrawKind::Line, 15, 25, 30, 25, grey),
        Op(TDrawKind::Line, 30, 25, 30, 10, grey),
        Op(TDrawKind::Line, 30, 10, 45, 10, grey),
        // program view: starts at sample 1's own level, rises at sample 2
        Op(TDrawKind::Line, 0, 25, 15, 25, white),
        Op(TDrawKind::Pixel, 15, 10, 0, 0, white),
        Op(TDrawKind::Pixel, 15, 25, 0, 0, white),
        Op(TDrawKind::Line, 15, 25, 15, 10, white),
        Op(TDrawKind::Line, 15, 10, 30, 10, white),
        Op(TDrawKind::Pixel, 30, 10, 0, 0, white),
        Op(TDrawKind::Pixel, 30, 25, 0, 0, white),
        Op(TDrawKind::Line, 30, 10, 45, 10, white),
        Op(TDrawKind::Pixel, 45, 10, 0, 0, white),
        Op(TDrawKind::Pixel, 45, 25, 0, 0, white),
    };
    EXPECT_EQ(d.TakeOps(), want);
    EXPECT_EQ(d.Painted(), 3);
    EXPECT_EQ(d.DrawToWidth(3), 55);

    // Incremental: only the new sample, continuing from the last drawn level.
    rec.Store(0, 1, true, true);
    d.UpdateDisplay(rec);
    const std::vector<TDrawOp> more = d.TakeOps();
    ASSERT_FALSE(more.empty());
    EXPECT_EQ(more[0], Op(TDrawKind::Fill, 46, 0, 80, 50, Background));
    EXPECT_EQ(OfKind(more, TDrawKind::Text),
              (std::vector<TDrawOp>{Op(TDrawKind::Text, 41, 38, 0, 0, Marks, "1")}));
    // Traces: the last drawn sample again (the new hatching reaches into it), then the new one.
    const auto lines = OfKind(more, TDrawKind::Line);
    EXPECT_EQ(lines,
              (std::vector<TDrawOp>{
                  Op(TDrawKind::Line, 30, 25, 30, 10, grey), Op(TDrawKind::Line, 30, 10, 45, 10, grey),
                  Op(TDrawKind::Line, 45, 10, 60, 10, grey), Op(TDrawKind::Line, 30, 10, 45, 10, white),
                  Op(TDrawKind::Line, 45, 10, 45, 25, white), Op(TDrawKind::Line, 45, 25, 60, 25, white)}));
    EXPECT_EQ(more.back(), Op(TDrawKind::Pixel, 60, 25, 0, 0, white));
}

TEST(TraceDrawing, HeightsRowsAndAlternatingColours) {
    TTraceDrawing d;
    d.SetVisibleSignals({});
    EXPECT_EQ(d.BitmapHeight(), 13);
    d.SetVisibleSignals({0, 4, 7});
    EXPECT_EQ(d.BitmapHeight(), 124);
    EXPECT_EQ(TTraceDrawing::RowY(1), 10);
    EXPECT_EQ(TTraceDrawing::RowY(3), 84);

    TAnalyzerRecording rec;
    rec.Store(0x0090, 0x0000, false, false); // signals 4 and 7 high in the program view
    d.Resize(1);
    d.UpdateDisplay(rec);
    const auto lines = OfKind(d.TakeOps(), TDrawKind::Line);
    using namespace la_colors;
    EXPECT_EQ(lines, (std::vector<TDrawOp>{
                         Op(TDrawKind::Line, 0, 25, 15, 25, OutsideOdd), // row 1: signal 0 low
                         Op(TDrawKind::Line, 0, 25, 15, 25, ProgramOdd),
                         Op(TDrawKind::Line, 0, 62, 15, 62, OutsideEven), // row 2: signal 4
                         Op(TDrawKind::Line, 0, 47, 15, 47, ProgramEven),
                         Op(TDrawKind::Line, 0, 99, 15, 99, OutsideOdd), // row 3: signal 7
                         Op(TDrawKind::Line, 0, 84, 15, 84, ProgramOdd),
                     }));
    // No visible signal: phase marks only, no trace.
    d.SetVisibleSignals({});
    d.UpdateDisplay(rec);
    EXPECT_TRUE(OfKind(d.TakeOps(), TDrawKind::Line).empty());
}

TEST(TraceDrawing, BitmapWidthGrowsInStepsOfHundredSamples) {
    TTraceDrawing d;
    const std::pair<int, int> cases[] = {{0, 20}, {1, 1520}, {100, 1520}, {101, 3020}, {500, 7520}};
    for (auto [valid, width] : cases) {
        d.Resize(valid);
        EXPECT_EQ(d.BitmapWidth(), width) << valid;
    }
}

namespace {

// Paints primitives into a pixel array the way the window does (hatching as solid coverage,
// texts left out), so pictures built in different ways can be compared.
struct Raster {
    int w, h;
    std::vector<TRGB> px;
    Raster(int width, int height) : w(width), h(height), px(size_t(width * height), TRGB{1, 2, 3}) {}
    void Set(int x, int y, TRGB c) {
        if (x >= 0 && x < w && y >= 0 && y < h)
            px[size_t(y * w + x)] = c;
    }
    void Paint(const std::vector<TDrawOp>& ops) {
        for (const TDrawOp& o : ops) {
            switch (o.Kind) {
            case TDrawKind::Fill:
            case TDrawKind::Hatch:
                for (int y = o.Y1; y < o.Y2; ++y)
                    for (int x = o.X1; x < o.X2; ++x)
                        Set(x, y, o.Color);
                break;
            case TDrawKind::Line: {
                const int dx = (o.X2 > o.X1) - (o.X2 < o.X1), dy = (o.Y2 > o.Y1) - (o.Y2 < o.Y1);
                for (int x = o.X1, y = o.Y1; x != o.X2 || y != o.Y2; x += dx, y += dy)
                    Set(x, y, o.Color);
                break;
            }
            case TDrawKind::Pixel:
                Set(o.X1, o.Y1, o.Color);
                break;
            case TDrawKind::Scroll:
                for (int y = 0; y < h; ++y)
                    for (int x = 0; x < w; ++x)
                        px[size_t(y * w + x)] = x + o.X1 < w ? px[size_t(y * w + x + o.X1)] : TRGB{9, 9, 9};
                break;
            default:
                break;
            }
        }
    }
};

} // namespace

TEST(TraceDrawing, IncrementalUpdatesGiveTheFullRedrawPicture) {
    TAnalyzerRecording rec;
    TTraceDrawing d;
    d.SetVisibleSignals({0, 2});
    Raster incremental(7520, 87);
    int n = 0;
    for (int chunk : {1, 1, 2, 5, 3, 17, 1, 40, 8}) {
        for (int i = 0; i < chunk; ++i, ++n) {
            if (n % 7 == 3)
                rec.MarkPOUChange();
            rec.Store(uint16_t((n * 5) % 7), uint16_t((n * 3) % 5), n % 6 == 0 || n % 6 == 5, n % 6 == 0);
        }
        d.Resize(rec.ValidLength());
        d.UpdateDisplay(rec);
        incremental.Paint(d.TakeOps());
    }
    TTraceDrawing fresh;
    fresh.SetVisibleSignals({0, 2});
    fresh.Resize(rec.ValidLength());
    fresh.UpdateDisplay(rec);
    Raster full(7520, 87);
    full.Paint(fresh.TakeOps());
    int differing = 0;
    for (size_t i = 0; i < full.px.size(); ++i)
        differing += !(full.px[i] == incremental.px[i]);
    EXPECT_EQ(differing, 0);
}

TEST(TraceDrawing, FullRingScrollsAndDrawsOnlyNewSamples) {
    TAnalyzerRecording rec;
    TTraceDrawing d;
    d.SetVisibleSignals({0, 1});
    for (int i = 0; i < 125; ++i)
        StoreCycle(rec, 2, uint16_t(i & 3), uint16_t((i >> 1) & 3)); // exactly full, cycles 0..124
    d.Resize(rec.ValidLength());
    d.UpdateDisplay(rec);
    Raster incremental(d.BitmapWidth(), d.BitmapHeight());
    incremental.Paint(d.TakeOps());
    // Nothing new: nothing drawn but the empty fill.
    d.UpdateDisplay(rec);
    EXPECT_EQ(OfKind(d.TakeOps(), TDrawKind::Text).size(), 0u);

    StoreCycle(rec, 2, 3, 1); // 4 samples dropped, one cycle
    d.UpdateDisplay(rec);
    auto ops = d.TakeOps();
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops[0], Op(TDrawKind::Scroll, 60, 0, 0, 0, la_colors::Background));
    EXPECT_EQ(ops[1], Op(TDrawKind::Fill, 496 * 15 + 1, 0, 7520, 87, la_colors::Background));
    EXPECT_EQ(OfKind(ops, TDrawKind::Text), (std::vector<TDrawOp>{Op(TDrawKind::Text, 496 * 15 - 4, 87 - 12,
                                                                     0, 0, la_colors::Marks, "125")}));
    incremental.Paint(ops);

    // Scrolling by uneven amounts gives the picture a full redraw of the same samples gives
    // (apart from the first sample's column, where the redraw starts the traces afresh).
    for (int steps : {1, 7, 130, 499}) {
        for (int i = 0; i < steps; ++i)
            rec.Store(uint16_t(i % 3), uint16_t(i % 5 == 0), i % 9 == 0, i % 18 == 0);
        d.UpdateDisplay(rec);
        incremental.Paint(d.TakeOps());
        TTraceDrawing fresh;
        fresh.SetVisibleSignals({0, 1});
        fresh.Resize(rec.ValidLength());
        fresh.UpdateDisplay(rec);
        Raster full(fresh.BitmapWidth(), fresh.BitmapHeight());
        full.Paint(fresh.TakeOps());
        int differing = 0;
        for (int y = 0; y < full.h; ++y)
            for (int x = 15; x < full.w; ++x)
                differing += !(full.px[size_t(y * full.w + x)] == incremental.px[size_t(y * full.w + x)]);
        EXPECT_EQ(differing, 0) << steps;
    }
    // More dropped than drawn: a full redraw again, numbered from the first cycle kept.
    for (int i = 0; i < 130; ++i)
        StoreCycle(rec, 2);
    d.UpdateDisplay(rec);
    ops = d.TakeOps();
    EXPECT_EQ(ops[0], Op(TDrawKind::Fill, 0, 0, 7520, 87, la_colors::Background));
    const auto texts = OfKind(ops, TDrawKind::Text);
    ASSERT_EQ(texts.size(), 125u);
    EXPECT_EQ(texts.front().Text, std::to_string(rec.FirstCycleNo()));
    EXPECT_EQ(texts.front().X1, 0);
    EXPECT_EQ(texts[1].X1, 4 * 15 - 4);
    EXPECT_EQ(std::stoi(texts.back().Text), rec.CycleOf(rec.ValidLength()));
}

TEST(TraceDrawing, LabelsRightAlignedPerRow) {
    const auto ops = SignalLabelOps({"A", "T1.Q"}, 28);
    ASSERT_EQ(ops.size(), 2u);
    EXPECT_EQ(ops[0], Op(TDrawKind::Label, 5, 10, 33, 25, la_colors::LabelOdd, "A"));
    EXPECT_EQ(ops[1], Op(TDrawKind::Label, 5, 47, 33, 62, la_colors::LabelEven, "T1.Q"));
}

// ---------------------------------------------------------------------------------------------
// Export

namespace {

// Minimal VCD reader: full dotted names of the variables and their values at every time.
struct VcdDump {
    std::map<std::string, std::string> nameOf;                  // code -> scope.path.name
    std::map<std::string, std::map<long, std::string>> changes; // name -> time -> value
    long endTime = -1;
    std::string timescale;

    std::string At(const std::string& name, long t) const {
        const auto& c = changes.at(name);
        auto it = c.upper_bound(t);
        return it == c.begin() ? "?" : std::prev(it)->second;
    }
};

VcdDump ReadVcd(const std::string& text) {
    VcdDump d;
    std::istringstream in(text);
    std::string tok;
    std::vector<std::string> scope;
    long now = 0;
    bool defs = true;
    while (in >> tok) {
        if (defs) {
            if (tok == "$scope") {
                std::string kind, name, end;
                in >> kind >> name >> end;
                scope.push_back(name);
            } else if (tok == "$upscope") {
                in >> tok;
                scope.pop_back();
            } else if (tok == "$var") {
                std::string kind, width, code, name, end;
                in >> kind >> width >> code >> name >> end;
                std::string full;
                for (const auto& s : scope)
                    full += s + ".";
                d.nameOf[code] = full + name;
            } else if (tok == "$timescale") {
                std::string a, b;
                in >> a >> b;
                d.timescale = a + " " + b;
                in >> tok;
            } else if (tok == "$enddefinitions") {
                in >> tok;
                defs = false;
            } else if (tok == "$version" || tok == "$comment") {
                while (in >> tok && tok != "$end") {
                }
            }
            continue;
        }
        if (tok[0] == '#') {
            now = std::stol(tok.substr(1));
            d.endTime = now;
        } else if (tok == "$dumpvars" || tok == "$end") {
        } else if (tok[0] == 'b') {
            std::string code;
            in >> code;
            d.changes[d.nameOf.at(code)][now] = tok.substr(1);
        } else {
            d.changes[d.nameOf.at(tok.substr(1))][now] = tok.substr(0, 1);
        }
    }
    return d;
}

} // namespace

TEST(RecordingExport, VcdReadsBackSampleBySample) {
    TAnalyzerRecording rec;
    rec.Store(0, 0, false, false); // before the first cycle start
    rec.MarkPOUChange();
    rec.Store(0, 0, true, true);   // cycle 0 input phase
    rec.Store(3, 0, false, false); // A and T1.Q set by the program
    rec.Store(3, 2, true, false);  // output phase passes T1.Q (an output) on
    rec.Store(1, 2, true, true);   // cycle 1
    std::ostringstream out;
    WriteVcd(out, rec, {"A", "T1.Q"});
    const VcdDump d = ReadVcd(out.str());
    EXPECT_EQ(d.timescale, "1 ns");
    EXPECT_EQ(d.endTime, 5);
    struct Row {
        long t;
        const char *a, *q, *aOut, *qOut, *phase, *pou, *cycle;
    };
    const Row rows[] = {
        {0, "0", "0", "0", "0", "0", "0", "x"}, {1, "0", "0", "0", "0", "1", "1", "0"},
        {2, "1", "1", "0", "0", "0", "0", "0"}, {3, "1", "1", "0", "1", "1", "0", "0"},
        {4, "1", "0", "0", "1", "1", "0", "1"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(d.At("program.A", r.t), r.a) << r.t;
        EXPECT_EQ(d.At("program.T1.Q", r.t), r.q) << r.t;
        EXPECT_EQ(d.At("outside.A", r.t), r.aOut) << r.t;
        EXPECT_EQ(d.At("outside.T1.Q", r.t), r.qOut) << r.t;
        EXPECT_EQ(d.At("plc.phase", r.t), r.phase) << r.t;
        EXPECT_EQ(d.At("plc.pou_change", r.t), r.pou) << r.t;
        EXPECT_EQ(d.At("plc.cycle", r.t), r.cycle) << r.t;
    }
}

TEST(RecordingExport, CsvAndAtomicFileWrite) {
    TAnalyzerRecording rec;
    rec.Store(0, 0, true, true);
    rec.Store(1, 0, false, false);
    std::ostringstream out;
    WriteCsv(out, rec, {"A"});
    EXPECT_EQ(out.str(), "sample,cycle,phase,pou_change,A,A (outside)\n"
                         "1,0,1,0,0,0\n"
                         "2,0,0,0,1,0\n");

    EXPECT_EQ(ExportFormatFor("/x/rec.CSV"), TExportFormat::Csv);
    EXPECT_EQ(ExportFormatFor("/x/rec.vcd"), TExportFormat::Vcd);
    EXPECT_EQ(ExportFormatFor("csv"), TExportFormat::Vcd);

    const auto dir = std::filesystem::temp_directory_path() / "korvo_logicany_test";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "rec.csv").string();
    EXPECT_EQ(ExportRecording(path, TExportFormat::Csv, rec, {"A"}), "");
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    EXPECT_EQ(content.str(), out.str());
    EXPECT_FALSE(std::filesystem::exists(path + ".tmp"));
    const std::string bad = (dir / "no_such_dir" / "rec.vcd").string();
    EXPECT_EQ(ExportRecording(bad, TExportFormat::Vcd, rec, {"A"}), "Cannot write file " + bad);
    std::filesystem::remove_all(dir);
}

// ---------------------------------------------------------------------------------------------
// The analyzer as a connector of a stepped program

#include "LogicAny/LogicAnalyzer.h"

#include "views_util.h"

namespace {

const char* const LA_MAIN_IL = R"(PROGRAM MAIN
VAR
    START AT %IX0.0 : BOOL
    LAMP AT %QX0.1 : BOOL
    FLAG : BOOL
    P1 : PULSE
    TIMER : TON
END_VAR
    LD START
    ST LAMP
    ST FLAG
    ST P1.GO
    CAL P1
    LD P1.DONE
    ST TIMER.IN
    CAL TIMER
END_PROGRAM
)";

const char* const LA_PULSE_IL = R"(FUNCTION_BLOCK PULSE
VAR_INPUT
    GO : BOOL
END_VAR
VAR_OUTPUT
    DONE : BOOL
END_VAR
    LD GO
    ST DONE
END_FUNCTION_BLOCK
)";

enum { S_START, S_LAMP, S_FLAG, S_GO, S_DONE, S_TIMER_IN, S_TIMER_Q, S_TIMER_RUNNING };

struct AnalyzerFixture : ::testing::Test {
    korvo::test::CompiledPLC plc;
    TLogicAnalyzer la{plc.AG};

    void SetUp() override {
        plc.Load({{"main.il", LA_MAIN_IL}, {"pulse.il", LA_PULSE_IL}});
        plc.AG.AddConnector(&la);
        plc.AG.SetMemory_IQBuf(0, 1); // START pressed
        plc.AG.Reset();
        plc.AG.SetMode(MM_STEP);
    }
    void TearDown() override { plc.AG.RemoveConnector(&la); }

    // One Clock per sample; returns the (POU, line) each step stopped at.
    std::vector<std::pair<std::string, int32_t>> Steps(int n) {
        std::vector<std::pair<std::string, int32_t>> at;
        for (int i = 0; i < n; ++i) {
            plc.AG.Clock();
            at.emplace_back(plc.SourcePOUName(), plc.Line());
        }
        return at;
    }
    std::string Bits(int signal, bool program) const {
        std::string s;
        const TAnalyzerRecording& r = la.Recording();
        for (int X = 1; X <= r.ValidLength(); ++X)
            s += (program ? r.ProgBit(X, signal) : r.IQBit(X, signal)) ? '1' : '0';
        return s;
    }
    std::string Marks(bool (TAnalyzerRecording::*f)(int) const) const {
        std::string s;
        for (int X = 1; X <= la.Recording().ValidLength(); ++X)
            s += (la.Recording().*f)(X) ? '1' : '0';
        return s;
    }
};

} // namespace

TEST_F(AnalyzerFixture, SignalsOfProgramInstancesAndLibraryBlock) {
    std::vector<std::pair<std::string, bool>> got;
    for (const auto& e : la.Signals().Entries)
        got.emplace_back(e.Name, e.Ticked);
    const std::vector<std::pair<std::string, bool>> want = {
        {"START", true},   {"LAMP", true},     {"FLAG", true},    {"P1.GO", true},
        {"P1.DONE", true}, {"TIMER.IN", true}, {"TIMER.Q", true}, {"TIMER.RUNNING", false},
    };
    EXPECT_EQ(got, want);
    EXPECT_EQ(la.Signals().Signals[S_LAMP].MemAdr, 16);
    EXPECT_EQ(la.Signals().Signals[S_LAMP].BitAdr, 1);
    EXPECT_EQ(la.Drawing().BitmapHeight(), 6 * 37 + 50);
    EXPECT_EQ(la.LabelColumnWidth(), 13 * 7 + 10);
}

TEST_F(AnalyzerFixture, SamplingAStepOfEachKind) {
    const auto at = Steps(13);
    // Where each Clock stopped: 6 enters the user block, 8 is back in the caller, 11 ends the
    // program (library block run as a whole), 12 is the output phase, 13 the next input phase.
    ASSERT_EQ(at[5], (std::pair<std::string, int32_t>{"PULSE", 7}));
    ASSERT_EQ(at[7], (std::pair<std::string, int32_t>{"MAIN", 13}));
    ASSERT_EQ(la.Recording().ValidLength(), 13);
    EXPECT_EQ(Marks(&TAnalyzerRecording::IsPhase), "1000000000011");
    EXPECT_EQ(Marks(&TAnalyzerRecording::IsCycleStart), "1000000000001");
    EXPECT_EQ(Marks(&TAnalyzerRecording::POUChanged), "1000010100101");
    // Input: the program sees it from the input phase on, the outside all along.
    EXPECT_EQ(Bits(S_START, true), "1111111111111");
    EXPECT_EQ(Bits(S_START, false), "1111111111111");
    // Output: program view at the step that wrote it, outside view from the output phase on.
    EXPECT_EQ(Bits(S_LAMP, true), "0011111111111");
    EXPECT_EQ(Bits(S_LAMP, false), "0000000000011");
    // A flag is the same in both views.
    EXPECT_EQ(Bits(S_FLAG, true), "0001111111111");
    EXPECT_EQ(Bits(S_FLAG, false), Bits(S_FLAG, true));
    EXPECT_EQ(Bits(S_DONE, true), "0000000111111");
    EXPECT_EQ(Bits(S_TIMER_IN, true), "0000000001111");
}

TEST_F(AnalyzerFixture, DirectOutputReachesTheOutsideViewAtOnce) {
    plc.AG.SetQDirect(0, 255);
    Steps(4);
    EXPECT_EQ(Bits(S_LAMP, true), "0011");
    EXPECT_EQ(Bits(S_LAMP, false), "0011");
}

TEST_F(AnalyzerFixture, ResetKeepsSamplesClearRestartsNumbering) {
    Steps(13);
    plc.AG.Reset(); // rebuilds the signal list, keeps the recording
    EXPECT_EQ(la.Recording().ValidLength(), 13);
    EXPECT_EQ(la.Signals().Count(), 8);

    la.Clear();
    EXPECT_EQ(la.Recording().ValidLength(), 0);
    EXPECT_EQ(la.Drawing().BitmapWidth(), 20);
    la.Drawing().TakeOps();
    plc.AG.SetMode(MM_STEP);
    Steps(1);
    la.UpdateDisplay();
    const auto ops = la.Drawing().TakeOps();
    EXPECT_EQ(OfKind(ops, TDrawKind::Text),
              (std::vector<TDrawOp>{
                  Op(TDrawKind::Text, 0, la.Drawing().BitmapHeight() - 12, 0, 0, la_colors::Marks, "0")}));
    EXPECT_TRUE(la.TakeScrollToEnd());
    EXPECT_FALSE(la.TakeScrollToEnd());
}

TEST_F(AnalyzerFixture, UntickingClosesRowsUpAndRedrawsEverything) {
    Steps(13);
    la.UpdateDisplay();
    la.Drawing().TakeOps();
    la.SetTicked(S_START, false);
    EXPECT_EQ(la.Drawing().BitmapHeight(), 5 * 37 + 50);
    EXPECT_EQ(la.VisibleNames().front(), "LAMP");
    const auto ops = la.Drawing().TakeOps();
    ASSERT_FALSE(ops.empty());
    EXPECT_EQ(ops.front(), Op(TDrawKind::Fill, 0, 0, 13 * 15 + 20, 5 * 37 + 50, la_colors::Background));
    // Row 1 is now LAMP: its outside trace rises at the output phase (sample 12, x 165).
    const auto lines = OfKind(ops, TDrawKind::Line);
    EXPECT_NE(
        std::find(lines.begin(), lines.end(), Op(TDrawKind::Line, 165, 25, 165, 10, la_colors::OutsideOdd)),
        lines.end());
    la.SetTicked(S_TIMER_RUNNING, true);
    EXPECT_EQ(la.Drawing().BitmapHeight(), 6 * 37 + 50);
    la.SetTicked(99, true); // out of range: ignored
    EXPECT_EQ(la.Drawing().VisibleSignals().size(), 7u);
}

TEST_F(AnalyzerFixture, ExportHoldsEverySignalTickedOrNot) {
    Steps(13);
    const auto dir = std::filesystem::temp_directory_path() / "korvo_la_export_test";
    std::filesystem::create_directories(dir);
    const std::string path = (dir / "run.vcd").string();
    ASSERT_EQ(la.Export(path, TExportFormat::Vcd), "");
    std::ifstream in(path);
    std::stringstream content;
    content << in.rdbuf();
    const VcdDump d = ReadVcd(content.str());
    EXPECT_EQ(d.At("program.TIMER.RUNNING", 0), "0");
    EXPECT_EQ(d.At("outside.LAMP", 10), "0");
    EXPECT_EQ(d.At("outside.LAMP", 11), "1");
    EXPECT_EQ(d.At("plc.cycle", 12), "1");
    std::filesystem::remove_all(dir);
}
