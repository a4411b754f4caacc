// Online values: the CR after each line of the current cycle, per POU, through calls and returns;
// cleared at a new cycle and when leaving step mode.
#include "debug_util.h"

#include "Watch/OnlineValues.h"

#include <gtest/gtest.h>

#include <map>

using namespace korvo;
using namespace korvo::test;

namespace {

std::map<int32_t, std::string> Texts(const TOnlineValues& v, int32_t pou) {
    std::map<int32_t, std::string> out;
    for (const auto& l : v.Lines(pou))
        out[l.Line] = l.Text();
    return out;
}

TEST(OnlineValues, LinesOfTheCycleThroughACall) {
    DebugRig rig;
    TOnlineValues values(rig.ag);
    rig.ag.AddConnector(&values);
    rig.ag.SetMode(MM_STEP);
    rig.ag.Clock(); // input phase
    EXPECT_TRUE(values.Empty());
    rig.ag.Clock(); // 6 LD X
    rig.ag.Clock(); // 7 ADD 1
    EXPECT_EQ(Texts(values, rig.mainPOU), (std::map<int32_t, std::string>{{6, "INT 0"}, {7, "INT 1"}}));
    while (rig.ag.RunningPOUNum != 2) // through 11 CAL F into the block
        rig.ag.Clock();
    EXPECT_EQ(Texts(values, rig.mainPOU).count(11), 0u) << "the call line is not done yet";
    rig.ag.StepOut(); // the block's lines, the return, the call line done
    EXPECT_EQ(Texts(values, rig.adderPOU),
              (std::map<int32_t, std::string>{{7, "INT 1"}, {8, "INT 2"}, {9, "INT 2"}}));
    const auto main = Texts(values, rig.mainPOU);
    EXPECT_EQ(main.at(11), "INT 1") << "the caller's CR after the call";
    EXPECT_EQ(main.at(10), "INT 1");
    rig.ag.Cycle(); // to the end of the cycle
    EXPECT_EQ(Texts(values, rig.mainPOU).at(13), "INT 2");
    rig.ag.Clock(); // the next cycle's input phase clears
    EXPECT_TRUE(values.Empty());
    rig.ag.Clock();
    EXPECT_EQ(Texts(values, rig.mainPOU), (std::map<int32_t, std::string>{{6, "INT 1"}}));
    rig.ag.SetMode(MM_RUN);
    EXPECT_TRUE(values.Empty()) << "leaving step mode clears";
    rig.ag.RemoveConnector(&values);
}

// Fed only part of the time (the IDE stops feeding while the values are switched off): after a
// restart nothing old is shown, and the lines begun after it are recorded at the right level.
TEST(OnlineValues, RestartFollowsFromThePresentPosition) {
    DebugRig rig;
    TOnlineValues values(rig.ag);
    rig.ag.AddConnector(&values);
    rig.ag.SetMode(MM_STEP);
    rig.ag.Clock(); // input phase
    rig.ag.Clock(); // 6 LD X
    rig.ag.RemoveConnector(&values);
    while (rig.ag.RunningPOUNum != 2) // unobserved: 7 ADD 1 .. into the block
        rig.ag.Clock();
    rig.ag.Clock(); // the block's first line, unobserved
    values.Restart();
    EXPECT_TRUE(values.Empty());
    rig.ag.AddConnector(&values);
    rig.ag.Clock(); // 8 in the block
    EXPECT_TRUE(Texts(values, rig.mainPOU).empty());
    EXPECT_EQ(Texts(values, rig.adderPOU), (std::map<int32_t, std::string>{{8, "INT 2"}}));
    rig.ag.StepOut(); // the return: the block's last line; the call began before the restart
    EXPECT_EQ(Texts(values, rig.adderPOU).count(9), 1u);
    EXPECT_TRUE(Texts(values, rig.mainPOU).empty());
    rig.ag.Clock(); // 12, begun after the restart
    EXPECT_EQ(Texts(values, rig.mainPOU).count(12), 1u);
    rig.ag.RemoveConnector(&values);
}

TEST(OnlineValues, TextOfEveryKindOfCR) {
    struct Case {
        int32_t type;
        int64_t value;
        const char* text;
    };
    for (const Case& c : {Case{TR_CR_EMPTY, 0, "(empty)"}, Case{TR_BOOL, 1, "BOOL 1"},
                          Case{TR_SLITERAL, -3, "ANY_BIT/ANY_NUM -3"}, Case{TR_TIME, 1500, "TIME t#1s500ms"},
                          Case{TypeRef(DT_BYTE), 255, "BYTE 255"}, Case{5, 0, "???"}}) {
        TOnlineValues::TLineValue v;
        v.DataType = c.type;
        v.Value.S64 = c.value;
        EXPECT_EQ(v.Text(), c.text);
    }
}

} // namespace
