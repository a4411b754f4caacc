#include "Watch/OnlineValues.h"

#include "Watch/ValueFormat.h"

namespace korvo {

std::string TOnlineValues::TLineValue::Text() const {
    if (DataType == TR_CR_EMPTY)
        return "(empty)";
    const int32_t t = -DataType - 1;
    if (DataType == TR_SLITERAL)
        return "ANY_BIT/ANY_NUM " + GetValString(TypeRef(DT_DINT), DTDEC, 0, Value);
    if (t < 0 || t >= IECTYPECOUNT)
        return "???";
    return IECTYPES[size_t(t)].TypeName + " " + GetValString(DataType, DTDEC, 0, Value);
}

void TOnlineValues::Clear() {
    for (auto& v : FValues)
        v.clear();
    FCount = 0;
}

void TOnlineValues::Restart() {
    Clear();
    FAt.fill(TPos{});
    const TSoftAG& ag = FSoftAG;
    FLevel = FLive = ag.RunningPOUNum;
    if (ag.Data->Cycle == PROG && FLevel >= 1 && FLevel <= MAX_CALLED_POU_COUNT)
        FAt[FLevel] = TPos{ag.GetSourcePOU(), ag.GetSourceLine()};
}

void TOnlineValues::NotifyModeChange() {
    if (FSoftAG.FMode != MM_STEP)
        Clear();
}

void TOnlineValues::Record(int32_t pou, int32_t line, const TCR& cr) {
    if (pou < 0 || line < 0)
        return;
    if (FValues.size() <= size_t(pou))
        FValues.resize(size_t(pou) + 1);
    auto& lines = FValues[size_t(pou)];
    if (lines.size() <= size_t(line))
        lines.resize(size_t(line) + 1);
    TLineValue& v = lines[size_t(line)];
    if (v.Line < 0)
        ++FCount;
    v.Line = line;
    v.DataType = cr.DataType;
    v.Value = cr.Data;
}

// One step has run from the remembered position. Same level: that line is done. A call: the
// caller's line is done only when it is left after the return. A return: the caller's call line.
void TOnlineValues::NotifyStep(TCycle WasCycle) {
    const TSoftAG& ag = FSoftAG;
    if (WasCycle == DATAREAD)
        Clear();
    const uint16_t level = ag.RunningPOUNum;
    if (WasCycle == PROG && level >= 1 && level <= MAX_CALLED_POU_COUNT) {
        if (level <= FLevel)
            Record(FAt[level].POU, FAt[level].Line, ag.Data->TopCR());
    }
    FLevel = level;
    FLive = level;
    if (ag.Data->Cycle == PROG && level >= 1 && level <= MAX_CALLED_POU_COUNT)
        FAt[level] = TPos{ag.GetSourcePOU(), ag.GetSourceLine()};
}

// A return records the callee's last line (the step stopped there before it ran): a function
// block's CR level is popped by then but keeps its entry. A call forgets the new level's position,
// so library blocks (never stopped in) record nothing.
void TOnlineValues::NotifyPOUChange() {
    const TSoftAG& ag = FSoftAG;
    const uint16_t level = ag.RunningPOUNum;
    if (level < FLive && FLive <= MAX_CALLED_POU_COUNT) {
        const TPos p = FAt[FLive];
        const TProjectDesc* P = ag.Data->ProjectDesc;
        if (p.POU >= 0 && P && size_t(p.POU) < P->POUList.size() && P->POUList[size_t(p.POU)]) {
            const TSoftAGData& D = *ag.Data;
            const size_t popped = size_t(D.CRNum) + 1;
            const bool fb = P->POUList[size_t(p.POU)]->POUType == PTFUNCTION_BLOCK;
            Record(p.POU, p.Line, fb && popped < D.CR.size() && D.CR[popped] ? *D.CR[popped] : D.TopCR());
        }
        FAt[FLive] = TPos{};
    } else if (level > FLive && level <= MAX_CALLED_POU_COUNT) {
        FAt[level] = TPos{};
    }
    FLive = level;
}

std::vector<TOnlineValues::TLineValue> TOnlineValues::Lines(int32_t pou) const {
    std::vector<TLineValue> out;
    if (pou < 0 || size_t(pou) >= FValues.size())
        return out;
    for (const TLineValue& v : FValues[size_t(pou)])
        if (v.Line >= 0)
            out.push_back(v);
    return out;
}

} // namespace korvo
