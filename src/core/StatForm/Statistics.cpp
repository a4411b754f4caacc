// Performance window model.
#include "StatForm/Statistics.h"

#include <cctype>
#include <climits>

namespace korvo {

TClockParse ParseClockText(const std::string& text) {
    size_t i = 0, end = text.size();
    while (i < end && std::isspace(static_cast<unsigned char>(text[i])))
        ++i;
    while (end > i && std::isspace(static_cast<unsigned char>(text[end - 1])))
        --end;
    bool negative = false;
    if (i < end && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    if (i == end)
        return {};
    long long v = 0;
    for (; i < end; ++i) {
        if (!std::isdigit(static_cast<unsigned char>(text[i])))
            return {};
        v = v * 10 + (text[i] - '0');
        if (v > INT_MAX)
            return {}; // not a 32-bit integer
    }
    if (negative)
        v = -v;
    if (v < MIN_PLC_CLOCK_MS)
        return {TClockParse::TooSmall, int(v)};
    return {TClockParse::Valid, int(v)};
}

TStatisticsModel::TStatisticsModel(TSoftAG& softAG, IRunTimer& runTimer)
    : FSoftAG(softAG), FRunTimer(runTimer) {}

bool TStatisticsModel::StatUpdTimerTimer() {
    if (FSoftAG.FMode != MM_RUN)
        return false;
    FCycleTimeText = std::to_string(FSoftAG.CycleTime);
    FCmdPSecText = std::to_string(FSoftAG.CmdPSec);
    return true;
}

void TStatisticsModel::SetClockChecked(bool checked) {
    FClockChecked = checked;
    if (checked) {
        ApplyClockText();
    } else {
        FClockText = "5";
        FClockHint.clear();
        FRunTimer.SetInterval(DEFAULT_PLC_CLOCK_MS);
    }
}

void TStatisticsModel::SetClockText(const std::string& text) {
    FClockText = text;
    if (FClockChecked)
        ApplyClockText();
}

void TStatisticsModel::ApplyClockText() {
    const TClockParse p = ParseClockText(FClockText);
    switch (p.Kind) {
    case TClockParse::Valid:
        FClockHint.clear();
        FRunTimer.SetInterval(p.Value);
        break;
    case TClockParse::NotANumber:
        FClockHint = "Not a whole number of milliseconds: the execution clock is " +
                     std::to_string(DEFAULT_PLC_CLOCK_MS) + " ms.";
        FRunTimer.SetInterval(DEFAULT_PLC_CLOCK_MS);
        break;
    case TClockParse::TooSmall:
        FClockHint = "The execution clock must be at least " + std::to_string(MIN_PLC_CLOCK_MS) +
                     " ms; it stays at " + std::to_string(FRunTimer.Interval()) + " ms.";
        break;
    }
}

std::string TStatisticsModel::DirectIQCaption(int index) {
    return "%ib/%qb " + std::to_string(index);
}

void TStatisticsModel::SetDirectIQChecked(int index, bool checked) {
    if (index >= 0 && index < DIRECT_IQ_COUNT)
        FDirect[size_t(index)] = checked;
    for (int i = 0; i < DIRECT_IQ_COUNT; ++i) {
        const uint8_t v = FDirect[size_t(i)] ? 255 : 0;
        FSoftAG.SetIDirect(i, v);
        FSoftAG.SetQDirect(i, v);
    }
}

bool TStatisticsModel::DirectIQChecked(int index) const {
    return index >= 0 && index < DIRECT_IQ_COUNT && FDirect[size_t(index)];
}

} // namespace korvo
