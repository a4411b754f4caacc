// Soft PLC state: creation, memory and direct I/O, reset, mode and connector delivery.
#include "softag_util.h"

#include <gtest/gtest.h>

#include <functional>

using namespace korvo;
using namespace korvo::test;

namespace {

TEST(SoftAGState, CreatedStoppedWithOneEmptyCR) {
    TVirtualTickSource ticks;
    TSoftAG ag(ticks);
    EXPECT_EQ(ag.FMode, MM_OFF);
    EXPECT_EQ(ag.Data->Cycle, DATAREAD);
    EXPECT_EQ(ag.Data->CRNum, 1);
    EXPECT_EQ(ag.Data->CRSize, 4);
    EXPECT_EQ(ag.Data->TopCR().Size, SIZEOFCR);
    EXPECT_EQ(ag.Data->TopCR().DataType, TR_CR_EMPTY);
    EXPECT_EQ(ag.Data->CRActionsSize, 0);
    EXPECT_EQ(ag.RunningPOUNum, 0);
    EXPECT_EQ(ag.Data->DMemory.size(), 2001u);
    EXPECT_EQ(ag.GetSourcePOU(), 0);
}

TEST(SoftAGMemory, ProgramWritesFollowTheDirectSwitches) {
    Machine m;
    m.AG.SetMemory(3, 7);
    EXPECT_EQ(m.AG.Data->IBuf[3], 0) << "latched input: the buffer is not touched";
    m.AG.SetIDirect(3, 255);
    m.AG.SetMemory(3, 9);
    EXPECT_EQ(m.AG.Data->IBuf[3], 9);

    m.AG.SetMemory(20, 5);
    EXPECT_EQ(m.AG.GetMemory_IQBuf(20), 0) << "latched output reaches the outside at cycle end";
    m.AG.SetQDirect(4, 1);
    m.AG.SetMemory(20, 6);
    EXPECT_EQ(m.AG.GetMemory_IQBuf(20), 6);
    EXPECT_EQ(m.AG.GetMemory(20), 6);
}

TEST(SoftAGMemory, OutsideWritesFollowTheDirectSwitches) {
    Machine m;
    RecordingConnector rec;
    m.AG.AddConnector(&rec);
    m.AG.SetMemory_IQBuf(5, 1);
    EXPECT_EQ(m.AG.Data->IBuf[5], 1);
    EXPECT_EQ(m.AG.GetMemory(5), 0);
    m.AG.SetIDirect(5, 1);
    m.AG.SetMemory_IQBuf(5, 1);
    EXPECT_EQ(m.AG.GetMemory(5), 0) << "unchanged buffer value: nothing written, even when direct";
    EXPECT_EQ(rec.Log, std::vector<std::string>{"mem 5"});
    m.AG.SetMemory_IQBuf(5, 2);
    EXPECT_EQ(m.AG.GetMemory(5), 2);

    m.AG.SetMemory_IQBuf(17, 3);
    EXPECT_EQ(m.AG.GetMemory(17), 0);
    m.AG.SetQDirect(1, 1);
    m.AG.SetMemory_IQBuf(17, 4);
    EXPECT_EQ(m.AG.GetMemory(17), 4);

    m.AG.SetMemory_IQBuf(40, 8);
    EXPECT_EQ(m.AG.GetMemory(40), 8) << "flags and above: straight into memory";
    rec.Log.clear();
    m.AG.SetMemory_IQBuf(40, 8);
    m.AG.SetMemory(40, 8);
    EXPECT_EQ(rec.Log, std::vector<std::string>{"mem 40"}) << "the program's write always notifies";
    m.AG.RemoveConnector(&rec);
}

TEST(SoftAGMemory, WideReads) {
    Machine m;
    for (int i = 0; i < 16; ++i) {
        m.AG.Data->IBuf[size_t(i)] = uint8_t(i);
        m.AG.Data->QBuf[size_t(i)] = uint8_t(0x10 + i);
        m.AG.Data->IDirect[size_t(i)] = uint8_t(0x20 + i);
    }
    EXPECT_EQ(m.AG.GetMemory_IQBuf64(14).U64, 0x1514131211100F0EULL);
    EXPECT_EQ(m.AG.GetMemory_IQBuf64(30).U64, 0x2524232221201F1EULL) << "past QBuf into IDirect";
    m.Put(1990, 0x0807060504030201LL, 8);
    EXPECT_EQ(m.AG.GetMemory64(1990).U64, 0x0807060504030201ULL);
    m.Mem(2000) = 0xAB;
    EXPECT_EQ(m.AG.GetMemory64(2000).U64, 0xABu) << "bytes past the end read as zero";
    EXPECT_EQ(m.AG.GetMemory_IQBuf64(2000).U64, 0xABu);
}

TEST(SoftAGMemory, IndicesOutsideTheMemoryRaise) {
    Machine m;
    EXPECT_THROW(m.AG.GetMemory(2001), ERuntimeError);
    EXPECT_THROW(m.AG.GetMemory64(-1), ERuntimeError);
    EXPECT_THROW(m.AG.SetMemory(2001, 1), ERuntimeError);
    EXPECT_THROW(m.AG.SetMemory_IQBuf(-5, 1), ERuntimeError);
    EXPECT_THROW(m.AG.SetIDirect(16, 1), ERuntimeError);
    EXPECT_THROW(m.AG.SetQDirect(-1, 1), ERuntimeError);
    try {
        m.AG.SetMemory(5000, 1);
    } catch (const ERuntimeError& e) {
        EXPECT_STREQ(e.what(), "Memory address out of range");
    }
    m.AG.SetMemory(2000, 1);
    EXPECT_EQ(m.AG.GetMemory(2000), 1);
}

TEST(SoftAGReset, ClearsAllButInputsAndShrinksTheCR) {
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 60);
    Asm(p).Lit(OP_LD, T_INT, 1).Op(OP_ADD, MOD_B).Lit(OP_LD, T_INT, 2).Op(OP_ADD, MOD_B).Lit(OP_LD, T_INT, 3);
    m.StartStepped();
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(m.Exec(), "");
    ASSERT_EQ(m.AG.Data->CRNum, 3);
    m.AG.Data->CR[1]->Data.S64 = 77;
    m.AG.Data->CR[1]->DataType = T_DINT;
    m.AG.Data->IBuf[2] = 5;
    m.AG.Data->QBuf[2] = 6;
    m.AG.SetIDirect(1, 1);
    m.AG.SetQDirect(1, 1);
    m.Mem(100) = 9;
    RecordingConnector rec;
    m.AG.AddConnector(&rec);
    m.AG.Reset();
    EXPECT_EQ(rec.Log, (std::vector<std::string>{"mode", "code", "pou"}));
    EXPECT_EQ(m.AG.FMode, MM_OFF);
    EXPECT_EQ(m.AG.Data->CRNum, 1);
    EXPECT_EQ(m.AG.Data->CR[1]->Data.S64, 77) << "entry 1 keeps its value and type";
    EXPECT_EQ(m.AG.Data->CR[1]->DataType, T_DINT);
    EXPECT_EQ(m.AG.Data->IBuf[2], 5);
    EXPECT_EQ(m.AG.Data->QBuf[2], 0);
    EXPECT_EQ(m.AG.Data->IDirect[1], 0);
    EXPECT_EQ(m.AG.Data->QDirect[1], 0);
    EXPECT_EQ(m.Mem(100), 0);
    EXPECT_EQ(m.AG.RunningPOUNum, 1);
    EXPECT_EQ(m.AG.GetSourcePOU(), m.Proj.MainPOU);
    EXPECT_EQ(m.AG.Data->Cycle, DATAREAD);
    rec.Log.clear();
    m.AG.ResetAll();
    EXPECT_EQ(rec.Log, (std::vector<std::string>{"code", "pou"})) << "mode already off";
    EXPECT_EQ(m.AG.Data->IBuf[2], 0);
    m.AG.RemoveConnector(&rec);
}

TEST(SoftAGMode, NotifiesOnlyOnChange) {
    Machine m;
    RecordingConnector rec;
    m.AG.AddConnector(&rec);
    m.AG.SetMode(MM_OFF);
    m.AG.SetMode(MM_RUN);
    m.AG.SetMode(MM_RUN);
    m.AG.SetMode(MM_STEP);
    EXPECT_EQ(rec.Count("mode"), 2u);
    m.AG.RemoveConnector(&rec);
}

// ---------------------------------------------------------------------------------------------
// Connectors

// A connector that logs into a shared list and runs an action on its first notification.
class Actor : public ISoftAGConnector {
public:
    Actor(std::string name, std::vector<std::string>& log) : Name(std::move(name)), Log(log) {}
    std::string Name;
    std::vector<std::string>& Log;
    std::function<void()> OnMem;
    void NotifyModeChange() override { Log.push_back(Name + " mode"); }
    void NotifyMemChange(int32_t Ofs, int32_t, int32_t, int32_t) override {
        Log.push_back(Name + " mem " + std::to_string(Ofs));
        if (OnMem) {
            auto f = std::move(OnMem);
            OnMem = nullptr;
            f();
        }
    }
    void NotifyCRChange() override {}
    void NotifyPOUChange() override {}
    void NotifyStep(TCycle) override {}
    void NotifyCycle() override {}
    void NotifyCodeChange() override {}
};

TEST(Connectors, DeliveredInRegistrationOrderAndTwiceWhenAddedTwice) {
    Machine m;
    std::vector<std::string> log;
    Actor a("a", log), b("b", log);
    m.AG.AddConnector(&a);
    m.AG.AddConnector(&b);
    m.AG.AddConnector(&a);
    m.AG.SetMemory(40, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"a mem 40", "b mem 40", "a mem 40"}));
    m.AG.RemoveConnector(&a);
    log.clear();
    m.AG.SetMemory(41, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"b mem 41", "a mem 41"})) << "only the first occurrence goes";
    Actor stranger("x", log);
    m.AG.RemoveConnector(&stranger);
    EXPECT_EQ(m.AG.ConnectorCount(), 2u);
    m.AG.RemoveConnector(&a);
    m.AG.RemoveConnector(&b);
}

TEST(Connectors, NestedWriteIsDeliveredBeforeTheFirstDeliveryEnds) {
    Machine m;
    std::vector<std::string> log;
    Actor a("a", log), b("b", log);
    a.OnMem = [&] { m.AG.SetMemory_IQBuf(6, 1); }; // a visualization answering with another input
    m.AG.AddConnector(&a);
    m.AG.AddConnector(&b);
    m.AG.SetMemory_IQBuf(5, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"a mem 5", "a mem 6", "b mem 6", "b mem 5"}));
    m.AG.RemoveConnector(&a);
    m.AG.RemoveConnector(&b);
}

TEST(Connectors, RemovalDuringDeliverySkipsNobodyElse) {
    Machine m;
    std::vector<std::string> log;
    Actor a("a", log), b("b", log), c("c", log);
    a.OnMem = [&] { m.AG.RemoveConnector(&a); }; // removes itself
    m.AG.AddConnector(&a);
    m.AG.AddConnector(&b);
    m.AG.AddConnector(&c);
    m.AG.SetMemory(40, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"a mem 40", "b mem 40", "c mem 40"}));
    log.clear();
    b.OnMem = [&] { m.AG.RemoveConnector(&c); }; // removes one not yet notified
    m.AG.SetMemory(41, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"b mem 41"}));
    EXPECT_EQ(m.AG.ConnectorCount(), 1u);
    m.AG.RemoveConnector(&b);
}

TEST(Connectors, AddedDuringDeliveryHearsFromTheNextSendOn) {
    Machine m;
    std::vector<std::string> log;
    Actor a("a", log), b("b", log);
    a.OnMem = [&] { m.AG.AddConnector(&b); };
    m.AG.AddConnector(&a);
    m.AG.SetMemory(40, 1);
    EXPECT_EQ(log, (std::vector<std::string>{"a mem 40"}));
    log.clear();
    m.AG.SetMemory(40, 2);
    EXPECT_EQ(log, (std::vector<std::string>{"a mem 40", "b mem 40"}));
    m.AG.RemoveConnector(&a);
    m.AG.RemoveConnector(&b);
}

TEST(Connectors, ResetFromANotificationInTheMiddleOfAStore) {
    Machine m;
    TPOUDesc& p = m.AddPOU(PTPROGRAM, 60);
    Asm(p).Lit(OP_LD, T_DINT, 0x01020304).Mem(OP_ST, T_DINT, 48).Lit(OP_LD, T_INT, 1);
    std::vector<std::string> log;
    Actor a("a", log);
    m.Start(MM_RUN);
    m.AG.AddConnector(&a);
    a.OnMem = [&] { m.AG.Reset(); };
    m.AG.Cycle(); // the input copy's notification resets; the cycle goes on without crashing
    m.AG.SetMode(MM_RUN);
    m.AG.Cycle();
    m.AG.Cycle();
    EXPECT_EQ(m.Get(48, 4), 0x01020304);
    m.AG.RemoveConnector(&a);
}

} // namespace
