// Watch window model against a stepped program: rows of nested instances, the CR row, values and
// peripheral values, row lists rotating on call and return, pop-up rules, hidden-window updates.
#include "Watch/WatchModel.h"

#include "views_util.h"

#include <gtest/gtest.h>

using namespace korvo;
using korvo::test::CompiledPLC;

namespace {

const char* const MAIN_IL = R"(PROGRAM MAIN
VAR
    LAMP AT %QX0.0 : BOOL
    QW AT %QW2 : WORD
    FLAG AT %MX0.3 : BOOL
    D : DINT
    T : TIME
    O1 : OUTER
END_VAR
    LD TRUE
    ST LAMP
    LD 7
    LD DINT#-5
    ST D
    LD TRUE
    ST O1.GO
    CAL O1
    LD T#1s500ms
    ST T
    LD 16#BEEF
    ST QW
END_PROGRAM
)";

const char* const OUTER_IL = "FUNCTION_BLOCK OUTER\r\n"
                             "VAR_INPUT\r\n"
                             "    GO : BOOL\r\n"
                             "END_VAR\r\n"
                             "VAR_OUTPUT\r\n"
                             "    DONE : BOOL\r\n"
                             "END_VAR\r\n"
                             "VAR\r\n"
                             "    NEST : INNER\r\n"
                             "    W : WORD\r\n"
                             "END_VAR\r\n"
                             "    LD GO\r\n"
                             "    ST DONE\r\n"
                             "    CAL NEST\r\n"
                             "    LD 16#00FF\r\n"
                             "    ST W\r\n"
                             "END_FUNCTION_BLOCK\r\n";

const char* const INNER_IL = R"(FUNCTION_BLOCK INNER
VAR
    CNT : INT
END_VAR
    LD CNT
    ADD 1
    ST CNT
END_FUNCTION_BLOCK
)";

// Grid rows at the main level (row 1 is the CR).
enum { R_LAMP = 2, R_QW, R_FLAG, R_D, R_T, R_GO, R_DONE, R_CNT, R_W };

struct WatchFixture : ::testing::Test {
    CompiledPLC plc;
    TWatchModel watch{plc.AG};

    void SetUp() override {
        plc.Load({{"main.il", MAIN_IL}, {"outer.il", OUTER_IL}, {"inner.il", INNER_IL}});
        plc.AG.AddConnector(&watch);
        watch.SetVisible(true);
        plc.AG.Reset();
    }
    void TearDown() override { plc.AG.RemoveConnector(&watch); }

    // Steps (over calls) until the next step is line `line` of POU `pou`.
    void StepTo(const std::string& pou, int32_t line) {
        for (int i = 0; i < 60; ++i) {
            if (plc.AG.FMode == MM_STEP && plc.SourcePOUName() == pou && plc.Line() == line)
                return;
            plc.AG.StepCommand(false);
        }
        FAIL() << "line " << line << " of " << pou << " not reached";
    }
    std::vector<std::string> Column(int col) const {
        std::vector<std::string> c;
        for (int r = 1; r < watch.RowCount(); ++r)
            c.push_back(watch.Cell(col, r));
        return c;
    }
};

} // namespace

TEST_F(WatchFixture, RowsOfNestedInstancesWithTypesAndOffsets) {
    EXPECT_EQ(watch.Cell(0, 0), "Variable");
    EXPECT_EQ(watch.Cell(3, 0), "Direct Value (peripheral value)");
    EXPECT_EQ(Column(0), (std::vector<std::string>{"CR", "LAMP", "QW", "FLAG", "D", "T", "O1.GO", "O1.DONE",
                                                   "O1.NEST.CNT", "O1.W"}));
    EXPECT_EQ(Column(1), (std::vector<std::string>{"<empty>", "BOOL", "WORD", "BOOL", "DINT", "TIME", "BOOL",
                                                   "BOOL", "INT", "WORD"}));
    const TWatchList& list = watch.CurrentList();
    const int32_t o1 = plc.Var("MAIN", "O1")->MemAdr;
    const int32_t nest = plc.Var("OUTER", "NEST")->MemAdr;
    EXPECT_EQ(list.Rows[R_CNT - 1].MemOfs, o1 + nest);
    EXPECT_EQ(list.Rows[R_W - 1].MemOfs, o1);
    EXPECT_EQ(list.Rows[R_D - 1].MemOfs, 0);
    // Display types: ANY_BIT in base 2, the rest decimal.
    EXPECT_EQ(list.Rows[R_QW - 1].DisplayType, DTBIN);
    EXPECT_EQ(list.Rows[R_D - 1].DisplayType, DTDEC);
    EXPECT_EQ(watch.Cell(2, R_QW), "2#0000000000000000");
    EXPECT_EQ(watch.Cell(2, R_T), "t#0ms");
}

TEST_F(WatchFixture, ValuesPeripheralValuesAndCRFollowTheSteps) {
    StepTo("MAIN", 11); // LAMP written, outputs not yet passed on
    EXPECT_EQ(watch.Cell(2, R_LAMP), "1");
    EXPECT_EQ(watch.Cell(3, R_LAMP), "0");
    EXPECT_EQ(watch.Cell(3, R_D), "") << "no peripheral value outside the I/O area";
    EXPECT_EQ(watch.Cell(3, R_FLAG), "") << "flags are not I/O";
    plc.AG.StepCommand(false); // LD 7: an untyped literal in the CR, shown as DINT
    EXPECT_EQ(watch.Cell(1, 1), "ANY_BIT/ANY_NUM");
    EXPECT_EQ(watch.Cell(2, 1), "7");
    plc.AG.StepCommand(false);
    EXPECT_EQ(watch.Cell(1, 1), "DINT");
    EXPECT_EQ(watch.Cell(2, 1), "-5");
    plc.AG.StepCommand(false);
    EXPECT_EQ(watch.Cell(2, R_D), "-5");
    StepTo("MAIN", 21);
    EXPECT_EQ(watch.Cell(2, R_T), "t#1s500ms");
    EXPECT_EQ(watch.Cell(2, R_QW), "2#1011111011101111");
    EXPECT_EQ(watch.Cell(3, R_QW), "2#0000000000000000");
    EXPECT_EQ(watch.Cell(2, R_DONE), "1");
    EXPECT_EQ(watch.Cell(2, R_CNT), "1");
    plc.AG.StepCommand(false); // output phase
    EXPECT_EQ(watch.Cell(3, R_LAMP), "1");
    EXPECT_EQ(watch.Cell(3, R_QW), "2#1011111011101111");
    EXPECT_EQ(watch.Cell(1, 1), "<empty>");
    EXPECT_EQ(watch.Cell(2, 1), "");

    // A BOOL at bit 3 of its byte shows exactly that bit.
    plc.AG.SetMemory(plc.Var("MAIN", "FLAG")->MemAdr, 0xF7);
    EXPECT_EQ(watch.Cell(2, R_FLAG), "0");
    plc.AG.SetMemory(plc.Var("MAIN", "FLAG")->MemAdr, 0x08);
    EXPECT_EQ(watch.Cell(2, R_FLAG), "1");
}

TEST_F(WatchFixture, CallAndReturnRotateListsKeepingDisplayChoices) {
    StepTo("MAIN", 16); // on CAL O1
    ASSERT_TRUE(watch.ContextPopup(2, R_D).Show);
    watch.ChooseDisplayType(DTHEX);
    EXPECT_EQ(watch.Cell(2, R_D), "16#FFFFFFFB");

    plc.AG.StepCommand(true); // into OUTER
    ASSERT_EQ(plc.SourcePOUName(), "OUTER");
    EXPECT_EQ(watch.LastRunningPOUCount(), 2);
    EXPECT_EQ(Column(0), (std::vector<std::string>{"CR", "GO", "DONE", "NEST.CNT", "W"}));
    EXPECT_EQ(watch.Cell(2, 2), "1") << "GO read through the instance's frame";
    ASSERT_TRUE(watch.ContextPopup(2, 5).Show);
    watch.ChooseDisplayType(DTHEX);
    EXPECT_EQ(watch.Cell(2, 5), "16#0000");

    StepTo("OUTER", 13);
    plc.AG.StepCommand(true); // into INNER
    EXPECT_EQ(Column(0), (std::vector<std::string>{"CR", "CNT"}));
    plc.AG.StepOut();
    ASSERT_EQ(plc.SourcePOUName(), "OUTER");
    EXPECT_EQ(watch.Cell(0, 5), "W");
    EXPECT_EQ(watch.CurrentList().Rows[4].DisplayType, DTHEX) << "callee's choice survives a deeper call";
    plc.AG.StepCommand(false); // LD 16#00FF
    EXPECT_EQ(watch.Cell(2, 1), "255");
    plc.AG.StepCommand(false); // ST W, then the return: back in the caller's next line
    ASSERT_EQ(plc.SourcePOUName(), "MAIN");
    EXPECT_EQ(watch.Cell(0, R_D), "D");
    EXPECT_EQ(watch.Cell(2, R_D), "16#FFFFFFFB") << "caller's choice survives the call";
    EXPECT_EQ(watch.Cell(2, R_W), "2#0000000011111111");

    // The next call builds the callee's rows afresh.
    plc.AG.Cycle();
    StepTo("MAIN", 16);
    plc.AG.StepCommand(true);
    EXPECT_EQ(watch.CurrentList().Rows[4].DisplayType, DTBIN);
}

TEST_F(WatchFixture, PopupRules) {
    StepTo("MAIN", 12); // CR holds the untyped literal 7
    const int32_t qw = plc.Var("MAIN", "QW")->MemAdr;
    ASSERT_TRUE(qw >= 16 && qw < 32);
    struct Case {
        int col, row;
        bool show;
        TDisplayType checked;
    };
    const Case cases[] = {
        {0, R_D, false, DTDEC},    {1, R_D, false, DTDEC},    // only the value columns
        {2, R_D, true, DTDEC},     {3, R_D, false, DTDEC},    // no peripheral value outside I/O
        {2, R_QW, true, DTBIN},    {3, R_QW, true, DTBIN},    // WORD in the output area
        {2, R_LAMP, false, DTDEC}, {3, R_LAMP, false, DTDEC}, // BOOL
        {2, R_T, false, DTDEC},    {2, R_CNT, true, DTDEC},   // TIME has one form only
        {2, 1, true, DTDEC},       {3, 1, false, DTDEC},      // CR: untyped literal, no peripheral
        {2, 0, false, DTDEC},      {2, 11, false, DTDEC},     // title row, below the last row
        {-1, -1, false, DTDEC},
    };
    for (const Case& c : cases) {
        const auto p = watch.ContextPopup(c.col, c.row);
        EXPECT_EQ(p.Show, c.show) << c.col << "," << c.row;
        if (p.Show) {
            EXPECT_EQ(p.Checked, c.checked) << c.col << "," << c.row;
        }
    }
    // A choice after a suppressed pop-up changes nothing.
    watch.ContextPopup(2, R_LAMP);
    watch.ChooseDisplayType(DTHEX);
    EXPECT_EQ(watch.CurrentList().Rows[R_LAMP - 1].DisplayType, DTBIN);
    // The CR's choice applies to the CR row.
    ASSERT_TRUE(watch.ContextPopup(2, 1).Show);
    watch.ChooseDisplayType(DTBIN);
    EXPECT_EQ(watch.Cell(2, 1), "2#00000000000000000000000000000111");
    plc.AG.StepCommand(false); // LD DINT#-5
    EXPECT_EQ(watch.Cell(2, 1), "2#11111111111111111111111111111011");
    ASSERT_TRUE(watch.ContextPopup(2, 1).Show);
    // BOOL CR: no menu.
    StepTo("MAIN", 15); // LD TRUE done
    EXPECT_EQ(watch.Cell(1, 1), "BOOL");
    EXPECT_FALSE(watch.ContextPopup(2, 1).Show);
}

TEST_F(WatchFixture, HiddenWindowCatchesUpWhenShown) {
    TWatchModel hidden(plc.AG);
    plc.AG.AddConnector(&hidden);
    hidden.SetVisible(true);
    plc.AG.Reset();
    StepTo("MAIN", 16);
    for (TWatchModel* w : {&watch, &hidden}) {
        ASSERT_TRUE(w->ContextPopup(2, R_D).Show);
        w->ChooseDisplayType(DTHEX);
    }
    const std::string lampBefore = hidden.Cell(2, R_LAMP);

    hidden.SetVisible(false);
    plc.AG.SetMode(MM_RUN);
    plc.AG.Cycle();
    plc.AG.SetMemory(plc.Var("MAIN", "LAMP")->MemAdr, 0);
    EXPECT_EQ(hidden.Cell(2, R_LAMP), lampBefore) << "a hidden window does no work";
    EXPECT_EQ(watch.Cell(2, R_LAMP), "0");
    plc.AG.Cycle();
    plc.AG.Cycle();
    plc.AG.SetMode(MM_STEP);
    StepTo("MAIN", 16);
    plc.AG.StepCommand(true);
    plc.AG.StepCommand(false);

    hidden.SetVisible(true);
    ASSERT_EQ(hidden.RowCount(), watch.RowCount());
    for (int r = 0; r < watch.RowCount(); ++r)
        for (int c = 0; c < WATCH_COLUMNS; ++c)
            EXPECT_EQ(hidden.Cell(c, r), watch.Cell(c, r)) << c << "," << r;
    plc.AG.StepOut();
    hidden.SetVisible(false);
    hidden.SetVisible(true);
    EXPECT_EQ(hidden.Cell(2, R_D), "16#FFFFFFFB");
    for (int r = 0; r < watch.RowCount(); ++r)
        for (int c = 0; c < WATCH_COLUMNS; ++c)
            EXPECT_EQ(hidden.Cell(c, r), watch.Cell(c, r)) << c << "," << r;
    plc.AG.RemoveConnector(&hidden);
}

TEST_F(WatchFixture, ResetInsideANestedCallShowsTheMainProgramAgain) {
    StepTo("MAIN", 16);
    plc.AG.StepCommand(true);
    StepTo("OUTER", 13);
    plc.AG.StepCommand(true);
    ASSERT_EQ(plc.SourcePOUName(), "INNER");
    plc.AG.Reset(); // from level 3 straight to level 1
    EXPECT_EQ(watch.LastRunningPOUCount(), 1);
    EXPECT_EQ(watch.Cell(0, R_LAMP), "LAMP");
    EXPECT_EQ(watch.RowCount(), R_W + 1);
    EXPECT_EQ(watch.Cell(2, R_GO), "0");
    // Works on as before.
    StepTo("MAIN", 16);
    plc.AG.StepCommand(true);
    EXPECT_EQ(watch.Cell(0, 2), "GO");
    plc.AG.StepOut();
    EXPECT_EQ(watch.Cell(0, R_LAMP), "LAMP");
}

TEST_F(WatchFixture, ClosingIsRefusedInStepModeOnly) {
    std::string msg;
    EXPECT_TRUE(watch.QueryClose(msg));
    EXPECT_EQ(msg, "");
    plc.AG.SetMode(MM_STEP);
    EXPECT_FALSE(watch.QueryClose(msg));
    EXPECT_EQ(msg, "This window will close automatically when you finish debugging in step mode.");
    plc.AG.SetMode(MM_RUN);
    EXPECT_TRUE(watch.QueryClose(msg));
}

TEST(WatchModel, NoProjectOrProgramShowsOnlyTheCRRow) {
    TVirtualTickSource ticks;
    TSoftAG ag(ticks);
    TWatchModel watch(ag);
    ag.AddConnector(&watch);
    watch.SetVisible(true);
    ag.Reset();
    EXPECT_EQ(watch.RowCount(), 2);
    EXPECT_EQ(watch.Cell(0, 1), "CR");
    EXPECT_FALSE(watch.ContextPopup(2, 1).Show);
    ag.RemoveConnector(&watch);
}
