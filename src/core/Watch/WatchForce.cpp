#include "Watch/WatchForce.h"

namespace korvo {

namespace {

int BytesOf(int32_t type) {
    const int32_t t = -type - 1;
    if (t < 0 || t >= IECTYPECOUNT)
        return 0;
    const int32_t bits = IECTYPES[size_t(t)].DataSize;
    return bits <= 8 ? 1 : bits / 8;
}

} // namespace

bool WatchRowForceTarget(const TSoftAG& ag, const TWatchModel& model, int row, TForceTarget& target,
                         std::string& error) {
    const auto& rows = model.CurrentList().Rows;
    if (row < 2 || size_t(row - 1) >= rows.size()) {
        error = "Only variables can be forced";
        return false;
    }
    const TProjectDesc* P = ag.Data->ProjectDesc;
    const int32_t pou = ag.GetSourcePOU();
    if (P && pou >= 0 && size_t(pou) < P->POUList.size() && P->POUList[size_t(pou)] &&
        P->POUList[size_t(pou)]->POUType == PTFUNCTION) {
        error = "The variables of a FUNCTION cannot be forced";
        return false;
    }
    const TWatchInfo& w = rows[size_t(row - 1)];
    const int32_t t = -w.DataType - 1;
    if (t < 0 || t >= IECTYPECOUNT || (t > DT_ULINT && t != DT_TIME)) {
        error = "A variable of this type cannot be forced";
        return false;
    }
    target = TForceTarget{w.MemAdr + w.MemOfs + ag.GetCurrentMemBase(), w.BitAdr, w.DataType};
    return true;
}

bool WatchRowForced(const TSoftAG& ag, const TWatchModel& model, int row) {
    if (!ag.AnyForced())
        return false;
    TForceTarget t;
    std::string error;
    if (!WatchRowForceTarget(ag, model, row, t, error))
        return false;
    const int n = BytesOf(t.DataType);
    for (const TSoftAG::TForce& f : ag.Forces()) {
        const int fn = BytesOf(f.DataType);
        if (f.Adr >= t.Adr + n || t.Adr >= f.Adr + fn)
            continue;
        if (f.DataType == TR_BOOL && t.DataType == TR_BOOL && (f.Bit & 7) != (t.Bit & 7))
            continue;
        return true;
    }
    return false;
}

} // namespace korvo
