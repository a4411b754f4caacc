// Couples visualizations to the soft PLC. TVisSoftAGLink gives a window's rules the soft PLC's
// outside view and forwards the soft PLC's memory notifications to the window. THeadlessVis
// runs a visualization without any widget, as the window would: for the command line and tests.
#pragma once

#include "SimForm/Simulator.h"
#include "Sim_ag/SoftAG.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace korvo {

// Registers itself with the soft PLC on construction and removes itself on destruction.
class TVisSoftAGLink final : public ISoftAGConnector, public IVisPLC {
public:
    TVisSoftAGLink(TSimulator& Sim, TSoftAG& SoftAG);
    ~TVisSoftAGLink();
    TVisSoftAGLink(const TVisSoftAGLink&) = delete;
    TVisSoftAGLink& operator=(const TVisSoftAGLink&) = delete;

    uint8_t GetMemory_IQBuf(int32_t Index) override;
    void SetMemory_IQBuf(int32_t Index, uint8_t AValue) override;

    void NotifyModeChange() override {}
    void NotifyMemChange(int32_t Ofs, int32_t Bit, int32_t Len, int32_t Value) override;
    void NotifyCRChange() override {}
    void NotifyPOUChange() override {}
    void NotifyStep(TCycle) override {}
    void NotifyCycle() override {}
    void NotifyCodeChange() override {}

private:
    TSimulator& FSim;
    TSoftAG& FSoftAG;
};

// A visualization without a window. Messages go to a list (and to OnMessage when set); the
// clock is the soft PLC's tick source.
class THeadlessVis final : public IVisHost {
public:
    explicit THeadlessVis(TSoftAG& SoftAG, const TPictureLibrary* Pictures = &PictureLibrary());
    ~THeadlessVis();

    // The opening sequence: load, project, register, one idle action. False when the file is
    // missing or has an error (the message is in Messages()).
    bool Open(const std::string& FileName);
    // Mouse down / up on the named animated picture: its onMouseDown / onMouseUp runs as if
    // it were the topmost picture under the mouse, followed by the idle action. False with
    // Error set when there is no animated picture of that name. A press the program should
    // see spans a cycle: MouseDown before it, MouseUp after it.
    bool MouseDown(const std::string& ObjectName, std::string& Error);
    bool MouseUp(const std::string& ObjectName, std::string& Error);
    // Both at once (toggles; a momentary button is released before the program sees it).
    bool Click(const std::string& ObjectName, std::string& Error);
    // After each soft PLC cycle: the idle action (timers, picture changes).
    void AfterCycle();

    // Scheduled presses for a run of numbered cycles: ScheduleClick after Open (false with
    // Error for an unknown picture); BeforeCycle(K) presses the mouse on the pictures of
    // cycle K, AfterCycle(K) runs the idle action and releases them.
    bool ScheduleClick(const std::string& ObjectName, uint64_t Cycle, std::string& Error);
    void BeforeCycle(uint64_t K);
    void AfterCycle(uint64_t K);
    // After the soft PLC's ResetAll: reset the objects, then the idle action.
    void Reset();

    // "NAME.IMG=1 DOOR.MOVEPOS=500 T.COUNT=3 ...": built-in and user fields of every object
    // of the object list, CPU object first, in list order.
    std::string DescribeState() const;

    TSimulator& Simulator() { return FSim; }
    const std::vector<std::string>& Messages() const { return FMessages; }
    int Beeps() const { return FBeeps; }
    std::function<void(const std::string&)> OnMessage;

    void ShowMessage(const std::string& Text) override;
    void Beep() override { ++FBeeps; }
    uint32_t GetTickCount() override { return FSoftAG.TickCount(); }

private:
    TodUnknown* FindAnimated(const std::string& ObjectName, std::string& Error) const;
    bool Press(const std::string& ObjectName, const char* Function, std::string& Error);

    TSoftAG& FSoftAG;
    TSimulator FSim;
    std::unique_ptr<TVisSoftAGLink> FLink;
    std::vector<std::string> FMessages;
    int FBeeps = 0;
    std::vector<std::pair<std::string, uint64_t>> FClicks;
};

// "OBJECT@K": object name and cycle number (decimal, from 0). False when malformed.
bool ParseVisClick(const std::string& Spec, std::string& Object, uint64_t& Cycle);

// Writes a picture as a 24-bit BMP file (temp file, then rename). False on a write error.
bool SaveVisImageBMP(const TVisImage& Image, const std::string& FileName);

} // namespace korvo
