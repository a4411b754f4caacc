// Cycle time statistics for the performance window: minimum, maximum and mean of CycleTime over
// the cycles run wholly in run mode since the last reset. A connector of the soft PLC. A cycle
// counts only when run mode lasted from the previous cycle's end to its own end, so time spent
// halted or stepping (and the first cycle after a start) never enters the figures.
#pragma once

#include "Sim_ag/SoftAG.h"

#include <cstdint>
#include <string>

namespace korvo {

class TCycleStatistics final : public ISoftAGConnector {
public:
    explicit TCycleStatistics(TSoftAG& softAG) : FSoftAG(softAG) {}

    void NotifyModeChange() override { FRunSinceLastEnd = false; }
    void NotifyMemChange(int32_t, int32_t, int32_t, int32_t) override {}
    void NotifyCRChange() override {}
    void NotifyPOUChange() override {}
    void NotifyStep(TCycle WasCycle) override;
    void NotifyCycle() override {}
    void NotifyCodeChange() override { FRunSinceLastEnd = false; }

    // Adds one cycle time (what NotifyStep does at the end of a counted cycle).
    void Add(uint32_t ms);
    // "Reset statistics".
    void Reset();

    uint64_t Count() const { return FCount; }
    uint32_t Min() const { return FCount ? FMin : 0; }
    uint32_t Max() const { return FMax; }
    double Mean() const { return FCount ? double(FSum) / double(FCount) : 0.0; }
    // "3 ms", mean with one decimal "4.5 ms"; "-" before the first counted cycle.
    std::string MinText() const;
    std::string MaxText() const;
    std::string MeanText() const;

private:
    TSoftAG& FSoftAG;
    bool FRunSinceLastEnd = false;
    uint64_t FCount = 0;
    uint64_t FSum = 0;
    uint32_t FMin = 0;
    uint32_t FMax = 0;
};

} // namespace korvo
