// Performance window model: cycle time and commands per second (refreshed by a one-second timer
// in run mode only), the execution clock (the main window's run timer interval) and the 16
// direct input/output switches.
#pragma once

#include "Sim_ag/SoftAG.h"

#include <array>
#include <string>

namespace korvo {

constexpr int DEFAULT_PLC_CLOCK_MS = 5;
constexpr int MIN_PLC_CLOCK_MS = 1;
constexpr int STAT_UPDATE_INTERVAL_MS = 1000;
constexpr int DIRECT_IQ_COUNT = 16;

// The main window's run timer as the window sees it.
class IRunTimer {
public:
    virtual void SetInterval(int ms) = 0;
    virtual int Interval() const = 0;

protected:
    ~IRunTimer() = default;
};

struct TClockParse {
    enum TKind { Valid, NotANumber, TooSmall } Kind = NotANumber;
    int Value = DEFAULT_PLC_CLOCK_MS; // for Valid: the interval; else what applies
};
// Reads the clock edit's text: a decimal integer, white space around it allowed.
TClockParse ParseClockText(const std::string& text);

class TStatisticsModel {
public:
    TStatisticsModel(TSoftAG& softAG, IRunTimer& runTimer);

    // StatUpdTimer tick: in run mode takes CycleTime and CmdPSec; returns whether it did.
    bool StatUpdTimerTimer();
    const std::string& CycleTimeText() const { return FCycleTimeText; }
    const std::string& CmdPSecText() const { return FCmdPSecText; }

    // cbPLCClock: ticked applies the edit's text; cleared resets the text to "5" and the clock to 5 ms.
    void SetClockChecked(bool checked);
    // edPLCClock text changed. A number below 1 ms is refused: the interval stays and ClockHint
    // says why. Text that is no number gives the default 5 ms.
    void SetClockText(const std::string& text);
    bool ClockChecked() const { return FClockChecked; }
    bool ClockEditEnabled() const { return FClockChecked; }
    const std::string& ClockText() const { return FClockText; }
    // Empty when the text was applied as written.
    const std::string& ClockHint() const { return FClockHint; }

    // clbDirectIQ: "%ib/%qb 0" .. "%ib/%qb 15".
    static std::string DirectIQCaption(int index);
    // A click on an entry's box: sets that tick, then applies all 16 entries to the soft PLC
    // (input byte i and output byte i together, 255 on, 0 off).
    void SetDirectIQChecked(int index, bool checked);
    bool DirectIQChecked(int index) const;

private:
    void ApplyClockText();

    TSoftAG& FSoftAG;
    IRunTimer& FRunTimer;
    std::string FCycleTimeText;
    std::string FCmdPSecText;
    bool FClockChecked = false;
    std::string FClockText = "5";
    std::string FClockHint;
    std::array<bool, DIRECT_IQ_COUNT> FDirect{};
};

} // namespace korvo
