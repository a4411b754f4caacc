#include "StatForm/CycleStatistics.h"

#include <cstdio>

namespace korvo {

// The program's code ended in this Clock: the phase went from PROG to DATAWRITE.
void TCycleStatistics::NotifyStep(TCycle WasCycle) {
    if (WasCycle != PROG || FSoftAG.Data->Cycle != DATAWRITE)
        return;
    if (FSoftAG.FMode != MM_RUN) {
        FRunSinceLastEnd = false;
        return;
    }
    if (FRunSinceLastEnd)
        Add(FSoftAG.CycleTime);
    FRunSinceLastEnd = true;
}

void TCycleStatistics::Add(uint32_t ms) {
    if (FCount == 0 || ms < FMin)
        FMin = ms;
    if (FCount == 0 || ms > FMax)
        FMax = ms;
    FSum += ms;
    ++FCount;
}

void TCycleStatistics::Reset() {
    FCount = 0;
    FSum = 0;
    FMin = 0;
    FMax = 0;
    FRunSinceLastEnd = false;
}

std::string TCycleStatistics::MinText() const {
    return FCount ? std::to_string(FMin) + " ms" : "-";
}

std::string TCycleStatistics::MaxText() const {
    return FCount ? std::to_string(FMax) + " ms" : "-";
}

std::string TCycleStatistics::MeanText() const {
    if (!FCount)
        return "-";
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.1f ms", Mean());
    return buf;
}

} // namespace korvo
