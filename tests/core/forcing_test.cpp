// Forcing: program writes suppressed, reads of the forced value by program and observers, outside
// (visualization) writes to forced inputs, release, reset, names, values and refusals.
#include "debug_util.h"

#include "Sim_ag/ForceTarget.h"
#include "Watch/WatchForce.h"
#include "Watch/WatchModel.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::test;

namespace {

const char* const kForceIL = "PROGRAM MAIN\n"
                             "VAR\n"
                             "    X : INT\n"
                             "    Y : INT\n"
                             "    B AT %IX0.0 : BOOL\n"
                             "    C AT %IX0.1 : BOOL\n"
                             "    OUTA AT %QX0.0 : BOOL\n"
                             "    OUTB AT %QX0.1 : BOOL\n"
                             "    F : ADDER\n"
                             "    Z : INT\n"
                             "END_VAR\n"
                             "    LD 5\n"
                             "    ST X\n"
                             "    LD X\n"
                             "    ST Y\n"
                             "    LD B\n"
                             "    ST OUTA\n"
                             "    LD C\n"
                             "    ST OUTB\n"
                             "    LD X\n"
                             "    ST F.A\n"
                             "    CAL F\n"
                             "    LD F.OUTV\n"
                             "    ST Z\n"
                             "END_PROGRAM\n";

struct Counter : ISoftAGConnector {
    int mem = 0;
    void NotifyModeChange() override {}
    void NotifyMemChange(int32_t, int32_t, int32_t, int32_t) override { ++mem; }
    void NotifyCRChange() override {}
    void NotifyPOUChange() override {}
    void NotifyStep(TCycle) override {}
    void NotifyCycle() override {}
    void NotifyCodeChange() override {}
};

struct ForceFixture : ::testing::Test {
    DebugRig rig{kForceIL};
    TForceTarget Target(const std::string& name) {
        TForceTarget t;
        std::string error;
        EXPECT_TRUE(ResolveForceTarget(rig.project.desc, name, t, error)) << error;
        return t;
    }
    std::string Force(const std::string& name, int64_t v) {
        const TForceTarget t = Target(name);
        return rig.ag.Force(t.Adr, t.Bit, t.DataType, v);
    }
    void RunCycle() {
        rig.ag.SetMode(MM_RUN);
        rig.ag.Cycle();
    }
};

TEST_F(ForceFixture, ProgramWritesAreSuppressedAndReadsSeeTheForcedValue) {
    // Without connectors the store takes the direct path; with one, the notifying path.
    for (bool connector : {false, true}) {
        SCOPED_TRACE(connector ? "with connector" : "without connector");
        DebugRig r(kForceIL);
        Counter c;
        if (connector)
            r.ag.AddConnector(&c);
        TForceTarget t;
        std::string error;
        ASSERT_TRUE(ResolveForceTarget(r.project.desc, "X", t, error));
        EXPECT_EQ(r.ag.Force(t.Adr, t.Bit, t.DataType, 42), "");
        EXPECT_EQ(r.Int("X"), 42) << "applied at once";
        r.ag.SetMode(MM_RUN);
        r.ag.Cycle();
        EXPECT_EQ(r.Int("X"), 42) << "ST X suppressed";
        EXPECT_EQ(r.Int("Y"), 42) << "the program reads the forced value";
        EXPECT_EQ(r.Int("Z"), 43) << "and passes it to the block";
        if (connector)
            r.ag.RemoveConnector(&c);
    }
}

TEST_F(ForceFixture, InstanceMemberAndReleaseAndReset) {
    EXPECT_EQ(Force("F.OUTV", -7), "");
    RunCycle();
    EXPECT_EQ(rig.Int("Z"), -7) << "the block's own write to its output is suppressed";
    const TForceTarget t = Target("f.outv");
    ASSERT_NE(rig.ag.FindForce(t.Adr, t.Bit, t.DataType), nullptr);
    EXPECT_TRUE(rig.ag.IsForcedRange(t.Adr, 2));
    EXPECT_TRUE(rig.ag.ReleaseForce(t.Adr, t.Bit, t.DataType));
    EXPECT_FALSE(rig.ag.ReleaseForce(t.Adr, t.Bit, t.DataType));
    EXPECT_FALSE(rig.ag.AnyForced());
    rig.ag.Cycle();
    EXPECT_EQ(rig.Int("Z"), 6);

    EXPECT_EQ(Force("X", 100), "");
    EXPECT_EQ(Force("%IX0.0", 1), "");
    EXPECT_EQ(rig.ag.Forces().size(), 2u);
    rig.ag.Reset();
    EXPECT_FALSE(rig.ag.AnyForced());
    EXPECT_TRUE(rig.ag.Forces().empty());
    RunCycle();
    EXPECT_EQ(rig.Int("X"), 5);
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(0), 0) << "released, the input shows the outside value again";
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(16) & 1, 0) << "the input force went with the reset";
}

TEST_F(ForceFixture, ForcedInputIgnoresOutsideWritesOfItsBitOnly) {
    EXPECT_EQ(Force("%IX0.0", 1), "");
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(0), 1) << "the outside view shows the forced input";
    rig.ag.SetMemory_IQBuf(0, 0x02); // a visualization clears bit 0 and sets bit 1
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(0), 0x03);
    RunCycle();
    EXPECT_EQ(rig.ag.GetMemory(0), 0x03);
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(16), 0x03) << "Q0 from forced B, Q1 from the free input C";
    // Direct input switched on: the outside write reaches the image, still without the forced bit.
    rig.ag.SetIDirect(0, 255);
    rig.ag.SetMemory_IQBuf(0, 0x00);
    EXPECT_EQ(rig.ag.GetMemory(0), 0x01);
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(0), 0x01);
    rig.ag.SetIDirect(0, 0);
    rig.ag.ReleaseAllForces();
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(0), 0x00) << "the outside's last write comes back on release";
    rig.ag.SetMemory_IQBuf(0, 0x04);
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(0), 0x04);
}

TEST_F(ForceFixture, ForcedOutputBitAndByte) {
    EXPECT_EQ(Force("%QX0.1", 0), "");
    rig.ag.SetMemory_IQBuf(0, 0x03);
    RunCycle();
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(16), 0x01) << "Q1 stays forced off, Q0 follows the program";
    EXPECT_EQ(Force("%QB0", 0xA0), "") << "a byte force over a bit force";
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(16), 0xA0) << "shown outside at once";
    rig.ag.Cycle();
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(16), 0xA0);
    EXPECT_EQ(rig.ag.GetMemory(16), 0xA0);
    const TForceTarget q = Target("%QB0");
    rig.ag.ReleaseForce(q.Adr, q.Bit, q.DataType);
    rig.ag.Cycle();
    EXPECT_EQ(rig.ag.GetMemory_IQBuf(16), 0xA1) << "the remaining bit force still holds Q1; bits the "
                                                   "program never writes keep the released value";
}

TEST_F(ForceFixture, RefusedForcesAndBadNames) {
    const TForceTarget x = Target("X");
    EXPECT_EQ(rig.ag.Force(x.Adr, 0, x.DataType, 40000), "Value out of range of type INT");
    EXPECT_EQ(rig.ag.Force(x.Adr, 0, TR_BOOL, 2), "Value out of range of type BOOL");
    EXPECT_EQ(rig.ag.Force(x.Adr, 0, TypeRef(DT_REAL), 0), "A variable of type REAL cannot be forced");
    EXPECT_EQ(rig.ag.Force(DMEMSIZE - 1, 0, x.DataType, 1), "Address outside the data memory");
    EXPECT_EQ(rig.ag.Force(-1, 0, TR_BOOL, 1), "Address outside the data memory");
    EXPECT_FALSE(rig.ag.AnyForced());

    struct Case {
        const char* name;
        const char* error;
    };
    for (const Case& c : {Case{"NOPE", "unknown variable 'NOPE'"},
                          Case{"F", "'F' is a function block instance; name one of its members"},
                          Case{"X.A", "'X' in 'X.A' is not a function block instance"},
                          Case{"F.NOPE", "unknown variable 'F.NOPE'"}, Case{"%QZ0", "invalid address '%QZ0'"},
                          Case{"%", "invalid address '%'"}}) {
        TForceTarget t;
        std::string error;
        EXPECT_FALSE(ResolveForceTarget(rig.project.desc, c.name, t, error)) << c.name;
        EXPECT_EQ(error, c.error);
    }
    const TForceTarget ib = Target("%IB3"), mw = Target("%MW2");
    EXPECT_EQ(ib.Adr, 3);
    EXPECT_EQ(ib.DataType, TypeRef(DT_BYTE));
    EXPECT_EQ(mw.Adr, FIRSTM + 2);
}

TEST(ForceValue, ParsesLiteralsForTheType) {
    struct Case {
        int32_t type;
        const char* text;
        bool ok;
        int64_t value;
    };
    const Case cases[] = {
        {TR_BOOL, "1", true, 1},
        {TR_BOOL, "TRUE", true, 1},
        {TR_BOOL, "false", true, 0},
        {TR_BOOL, "2", false, 0},
        {TR_BOOL, "T#1s", false, 0},
        {TypeRef(DT_INT), "-12", true, -12},
        {TypeRef(DT_INT), " 16#FF ", true, 255},
        {TypeRef(DT_INT), "INT#7", true, 7},
        {TypeRef(DT_INT), "DINT#7", false, 0},
        {TypeRef(DT_BYTE), "2#1010", true, 10},
        {TR_TIME, "T#1s500ms", true, 1500},
        {TR_TIME, "5", false, 0},
        {TypeRef(DT_INT), "", false, 0},
        {TypeRef(DT_INT), "abc", false, 0},
        {TypeRef(DT_INT), "16#", false, 0},
    };
    for (const Case& c : cases) {
        int64_t v = -999;
        std::string error;
        EXPECT_EQ(ParseForceValue(c.type, c.text, v, error), c.ok) << c.text;
        if (c.ok)
            EXPECT_EQ(v, c.value) << c.text;
        else
            EXPECT_FALSE(error.empty()) << c.text;
    }
}

TEST_F(ForceFixture, ObserversAreNotifiedOfForceChanges) {
    Counter c;
    rig.ag.AddConnector(&c);
    EXPECT_EQ(Force("X", 3), "");
    EXPECT_EQ(c.mem, 2) << "one notification per forced byte";
    rig.ag.ReleaseAllForces();
    EXPECT_EQ(c.mem, 3);
    rig.ag.RemoveConnector(&c);
}

TEST_F(ForceFixture, WatchRowsForceTheirVariableAndShowTheMark) {
    TWatchModel watch(rig.ag);
    rig.ag.AddConnector(&watch);
    rig.ag.Reset();
    watch.SetVisible(true);
    rig.ag.StepCommand(false);
    auto rowOf = [&](const std::string& name) {
        for (int r = 2; r < watch.RowCount(); ++r)
            if (watch.Cell(0, r) == name)
                return r;
        return -1;
    };
    const int x = rowOf("X"), y = rowOf("Y"), outa = rowOf("OUTA"), outb = rowOf("OUTB"), fa = rowOf("F.A");
    ASSERT_GT(x, 1);
    ASSERT_GT(fa, 1);
    TForceTarget t;
    std::string error;
    EXPECT_FALSE(WatchRowForceTarget(rig.ag, watch, 1, t, error)) << "the CR row";
    EXPECT_EQ(error, "Only variables can be forced");
    ASSERT_TRUE(WatchRowForceTarget(rig.ag, watch, x, t, error)) << error;
    EXPECT_EQ(t.Adr, rig.VarAdr("X"));
    EXPECT_EQ(rig.ag.Force(t.Adr, t.Bit, t.DataType, 9), "");
    EXPECT_EQ(watch.Cell(2, x), "9") << "the watch reads the forced value at once";
    EXPECT_TRUE(WatchRowForced(rig.ag, watch, x));
    EXPECT_FALSE(WatchRowForced(rig.ag, watch, y));
    ASSERT_TRUE(WatchRowForceTarget(rig.ag, watch, outb, t, error)) << error;
    EXPECT_EQ(rig.ag.Force(t.Adr, t.Bit, t.DataType, 1), "");
    EXPECT_EQ(watch.Cell(3, outb), "1") << "direct value column: the output buffer";
    EXPECT_TRUE(WatchRowForced(rig.ag, watch, outb));
    EXPECT_FALSE(WatchRowForced(rig.ag, watch, outa)) << "another bit of the same byte";
    rig.ag.RemoveConnector(&watch);
}

} // namespace
