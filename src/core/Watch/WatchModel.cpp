// Watch window model.
#include "Watch/WatchModel.h"

#include <algorithm>

namespace korvo {

const char* const WATCH_CLOSE_REFUSED_MESSAGE =
    "This window will close automatically when you finish debugging in step mode.";

namespace {

constexpr int MAX_NESTING = 16; // guards against a cyclic instance chain in a broken project
const std::string UNKNOWN = "???";
const std::string EMPTY;
const std::vector<std::unique_ptr<TTypeDesc>> NO_TYPES;

const char* const TITLES[WATCH_COLUMNS] = {"Variable", "Type", "Value", "Direct Value (peripheral value)"};

std::string IECTypeName(int32_t dataType) {
    const int32_t i = TableIndex(dataType);
    return i >= IECTYPEFIRST && i <= IECTYPELAST ? IECTYPES[size_t(i)].TypeName : UNKNOWN;
}

} // namespace

TWatchModel::TWatchModel(TSoftAG& softAG) : FSoftAG(softAG) {
    FGrid.resize(2);
    for (int c = 0; c < WATCH_COLUMNS; ++c)
        FGrid[0][size_t(c)] = TITLES[c];
    FGrid[1][0] = "CR";
}

const char* TWatchModel::ColumnTitle(int col) {
    return col >= 0 && col < WATCH_COLUMNS ? TITLES[col] : "";
}

const std::string& TWatchModel::Cell(int col, int row) const {
    if (col < 0 || col >= WATCH_COLUMNS || row < 0 || row >= RowCount())
        return EMPTY;
    return FGrid[size_t(row)][size_t(col)];
}

void TWatchModel::Changed() {
    if (OnChanged)
        OnChanged();
}

TWatchInfo& TWatchModel::AddWatch() {
    return FWatches[0].Rows.emplace_back();
}

void TWatchModel::AddWatchesFromPOU(const TPOUDesc& APOU, const std::string& ABaseName, int32_t AMemOfs) {
    if (FNesting > MAX_NESTING)
        return;
    const TProjectDesc* project = FSoftAG.Data->ProjectDesc;
    for (const auto& vp : APOU.VarList) {
        const TVarDesc& v = *vp;
        if (v.DataType < 0) {
            TWatchInfo& w = AddWatch();
            w.VarDesc = &v;
            w.DataType = v.DataType;
            w.MemAdr = v.MemAdr;
            w.BitAdr = v.BitAdr;
            w.VarName = ABaseName + v.VarName;
            w.MemOfs = AMemOfs;
            w.DisplayType = InSet(IEC_ANY_BIT, TableIndex(v.DataType)) ? DTBIN : DTDEC;
        } else if (project) {
            const TTypeDesc* type = GetTypeDesc(v.DataType, project->TypeList);
            if (!type || type->FB < 0 || size_t(type->FB) >= project->POUList.size())
                continue;
            ++FNesting;
            AddWatchesFromPOU(*project->POUList[size_t(type->FB)], ABaseName + v.VarName + ".",
                              AMemOfs + v.MemAdr);
            --FNesting;
        }
    }
}

void TWatchModel::UpdateWatchList() {
    TWatchList& list = FWatches[0];
    list.Rows.clear();
    AddWatch().DisplayType = DTDEC; // the CR entry
    FGrid.resize(2);
    for (size_t r = 1; r < FGrid.size(); ++r)
        for (auto& cell : FGrid[r])
            cell.clear();
    FGrid[1][0] = "CR";
    const int32_t pou = FSoftAG.RunningPOUNum > 0 ? FSoftAG.GetSourcePOU() : -1;
    list.POU = pou;
    list.Stale = false;
    const TProjectDesc* project = FSoftAG.Data->ProjectDesc;
    if (pou >= 0 && project && size_t(pou) < project->POUList.size())
        AddWatchesFromPOU(*project->POUList[size_t(pou)], "", 0);
}

bool TWatchModel::CurrentListFits() const {
    const TWatchList& list = FWatches[0];
    const int32_t pou = FSoftAG.RunningPOUNum > 0 ? FSoftAG.GetSourcePOU() : -1;
    return !list.Stale && list.POU == pou;
}

void TWatchModel::NotifyCodeChange() {
    // The project may have been recompiled: no list of any level is valid any more.
    for (TWatchList& list : FWatches) {
        list.Rows.clear();
        list.POU = -1;
        list.Stale = true;
    }
    FLastRunningPOUCount = FSoftAG.RunningPOUNum;
    if (FVisible) {
        UpdateWatchList();
        Changed();
    } else {
        FDirty = true;
    }
}

void TWatchModel::NotifyPOUChange() {
    const uint16_t L = FSoftAG.RunningPOUNum;
    if (L < FLastRunningPOUCount) {
        // Return: the caller's rows come back with their display types.
        const int d = std::min<int>(FLastRunningPOUCount - L, WATCH_LISTS);
        std::rotate(FWatches.begin(), FWatches.begin() + d, FWatches.end());
    } else if (L > FLastRunningPOUCount) {
        // Call: the oldest list is reused for the new level.
        const int d = std::min<int>(L - FLastRunningPOUCount, WATCH_LISTS);
        std::rotate(FWatches.begin(), FWatches.end() - d, FWatches.end());
        for (int i = 0; i < d; ++i)
            FWatches[size_t(i)].Stale = true;
    }
    FLastRunningPOUCount = L;
    if (!FVisible) {
        FDirty = true;
        return;
    }
    if (!CurrentListFits())
        UpdateWatchList();
    WriteNamesAndTypes();
    UpdateValues();
    Changed();
}

void TWatchModel::WriteNamesAndTypes() {
    const TWatchList& list = FWatches[0];
    const size_t rows = std::max<size_t>(list.Rows.size(), 1) + 1;
    FGrid.resize(rows);
    FGrid[1][0] = "CR";
    for (size_t k = 1; k < list.Rows.size(); ++k) {
        FGrid[k + 1][0] = list.Rows[k].VarName;
        FGrid[k + 1][1] = IECTypeName(list.Rows[k].DataType);
    }
}

int32_t TWatchModel::RowAddress(const TWatchInfo& w) const {
    return w.MemAdr + w.MemOfs + FSoftAG.GetCurrentMemBase();
}

void TWatchModel::UpdateValues() {
    if (FSoftAG.RunningPOUNum == 0 || FSoftAG.GetSourcePOU() < 0)
        return;
    const TProjectDesc* project = FSoftAG.Data->ProjectDesc;
    const auto& types = project ? project->TypeList : NO_TYPES;
    const TWatchList& list = FWatches[0];
    const TDisplayType crDisplay = list.Rows.empty() ? DTDEC : list.Rows[0].DisplayType;

    // CR row.
    const TCR& cr = FSoftAG.Data->TopCR();
    const int32_t T = cr.DataType;
    if (T >= 0) {
        FGrid[1][1] = UNKNOWN;
        FGrid[1][2] = UNKNOWN;
    } else if (const TTypeDesc* desc = GetTypeDesc(T, types)) {
        FGrid[1][1] = desc->TypeName;
        if (T == TR_CR_EMPTY)
            FGrid[1][2].clear();
        else
            FGrid[1][2] = GetValString(T == TR_SLITERAL ? TypeRef(DT_DINT) : T, crDisplay, 0, cr.Data);
    } else {
        FGrid[1][1] = UNKNOWN;
        FGrid[1][2] = UNKNOWN;
    }

    for (size_t k = 1; k < list.Rows.size() && k + 1 < FGrid.size(); ++k) {
        const TWatchInfo& w = list.Rows[k];
        const int32_t A = RowAddress(w);
        auto& row = FGrid[k + 1];
        if (A < 0 || A >= DMEMSIZE) {
            row[2] = UNKNOWN;
            row[3].clear();
            continue;
        }
        row[2] = GetValString(w.DataType, w.DisplayType, w.BitAdr, FSoftAG.GetMemory64(A));
        if (A < FIRSTM)
            row[3] = GetValString(w.DataType, w.DisplayType, w.BitAdr, FSoftAG.GetMemory_IQBuf64(A));
        else
            row[3].clear();
    }
}

void TWatchModel::BringUpToDate() {
    if (!FDirty)
        return;
    if (!CurrentListFits())
        UpdateWatchList();
    WriteNamesAndTypes();
    UpdateValues();
    FDirty = false;
}

void TWatchModel::SetVisible(bool visible) {
    if (visible == FVisible)
        return;
    FVisible = visible;
    if (visible) {
        BringUpToDate();
        Changed();
    }
}

void TWatchModel::NotifyMemChange(int32_t, int32_t, int32_t, int32_t) {
    if (!FVisible) {
        FDirty = true;
        return;
    }
    UpdateValues();
    Changed();
}

void TWatchModel::NotifyCRChange() {
    NotifyMemChange(0, 0, 8, 0);
}

bool TWatchModel::QueryClose(std::string& message) const {
    if (FSoftAG.FMode == MM_STEP) {
        message = WATCH_CLOSE_REFUSED_MESSAGE;
        return false;
    }
    message.clear();
    return true;
}

TWatchModel::TPopup TWatchModel::ContextPopup(int col, int row) {
    FLastPopupCol = col;
    FLastPopupRow = row;
    FPopupShown = false;
    if (col != 2 && col != 3)
        return {};
    const TWatchList& list = FWatches[0];
    int32_t type = 0, address = -1;
    if (row == 1) {
        type = FSoftAG.Data->TopCR().DataType;
    } else if (row >= 2 && size_t(row - 1) < list.Rows.size()) {
        const TWatchInfo& w = list.Rows[size_t(row - 1)];
        type = w.DataType;
        address = RowAddress(w);
    } else {
        return {};
    }
    if (type >= 0)
        return {};
    const int32_t i = TableIndex(type);
    const bool integer = InSet(IEC_ANY_INT, i) || (InSet(IEC_ANY_BIT, i) && i != DT_BOOL);
    if (!integer && type != TR_SLITERAL)
        return {};
    if (col == 3 && !(address >= 0 && address < FIRSTM))
        return {};
    if (list.Rows.empty())
        return {};
    FPopupShown = true;
    return {true, list.Rows[size_t(row - 1)].DisplayType};
}

void TWatchModel::ChooseDisplayType(TDisplayType type) {
    if (!FPopupShown || FLastPopupRow <= 0)
        return;
    TWatchList& list = FWatches[0];
    if (size_t(FLastPopupRow - 1) >= list.Rows.size())
        return;
    list.Rows[size_t(FLastPopupRow - 1)].DisplayType = type;
    UpdateValues();
    Changed();
}

} // namespace korvo
