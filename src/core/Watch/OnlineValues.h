// Online values: for each line executed in the current cycle, the CR after it, per POU, for the
// editor's line annotations in step mode. A connector of the soft PLC; register it after the
// watch window. Records raw values (no string work per line); texts are made on request.
// Cleared at the start of every cycle, on reset and when the soft PLC leaves step mode.
#pragma once

#include "Sim_ag/SoftAG.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace korvo {

class TOnlineValues final : public ISoftAGConnector {
public:
    explicit TOnlineValues(TSoftAG& softAG) : FSoftAG(softAG) {}

    void NotifyModeChange() override;
    void NotifyMemChange(int32_t, int32_t, int32_t, int32_t) override {}
    void NotifyCRChange() override {}
    void NotifyPOUChange() override;
    void NotifyStep(TCycle WasCycle) override;
    void NotifyCycle() override {}
    void NotifyCodeChange() override { Clear(); }

    struct TLineValue {
        int32_t Line = -1;    // source line from 0
        int32_t DataType = 0; // CR type reference
        TUS64 Value{};
        std::string Text() const; // "INT 42", "BOOL 1", "TIME t#1s"; the type alone for an empty CR
    };
    // The lines of POU pou executed in this cycle, in line order (the latest value per line).
    std::vector<TLineValue> Lines(int32_t pou) const;
    bool Empty() const { return FCount == 0; }
    void Clear();
    // Forgets the values and the remembered positions and starts following from the soft PLC's
    // present position, as if newly attached: for a viewer that stopped feeding the
    // notifications for a while.
    void Restart();

private:
    void Record(int32_t pou, int32_t line, const TCR& cr);

    struct TPos {
        int32_t POU = -1;
        int32_t Line = -1;
    };
    TSoftAG& FSoftAG;
    std::vector<std::vector<TLineValue>> FValues; // per POU index, per line; Line -1 = none
    size_t FCount = 0;
    std::array<TPos, MAX_CALLED_POU_COUNT + 1> FAt{}; // per call level: the position before the step
    uint16_t FLevel = 0;                              // call level before the step
    uint16_t FLive = 0;                               // call level at the last POU change
};

} // namespace korvo
