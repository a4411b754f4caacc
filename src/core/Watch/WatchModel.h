// Watch window model: a connector of the soft PLC holding the grid "Variable / Type / Value /
// Direct Value (peripheral value)" with the CR row and the rows of the current POU's variables
// (instance members as dotted paths), one row list per call level rotating on call and return so
// a caller's display choices survive a call, and the Decimal/Hex/Binary pop-up rules.
// While hidden it only tracks the call level and marks itself out of date; showing it brings the
// grid up to date, with the same result as recomputing on every notification.
#pragma once

#include "Sim_ag/SoftAG.h"
#include "Watch/ValueFormat.h"

#include <array>
#include <functional>
#include <string>
#include <vector>

namespace korvo {

constexpr int WATCH_COLUMNS = 4;
constexpr int WATCH_LISTS = MAX_CALLED_POU_COUNT + 1; // index 0 = current level, 1 its caller, ...
extern const char* const WATCH_CLOSE_REFUSED_MESSAGE;

struct TWatchInfo {
    const TVarDesc* VarDesc = nullptr; // the variable; null for the CR entry. Not read after building:
    int32_t DataType = 0;              // these three are copied from it, so a recompiled project
    int32_t MemAdr = 0;                // can never leave a row pointing at freed records
    uint8_t BitAdr = 0;
    std::string VarName; // instance path + variable name
    int32_t MemOfs = 0;  // sum of the enclosing instances' MemAdr
    TDisplayType DisplayType = DTDEC;
};

// Rows of one call level: entry 0 is the CR row.
struct TWatchList {
    std::vector<TWatchInfo> Rows;
    int32_t POU = -1;  // POU index the rows were built for
    bool Stale = true; // must be rebuilt before it is shown
};

class TWatchModel final : public ISoftAGConnector {
public:
    explicit TWatchModel(TSoftAG& softAG);

    // Connector operations.
    void NotifyModeChange() override {}
    void NotifyMemChange(int32_t, int32_t, int32_t, int32_t) override;
    void NotifyCRChange() override;
    void NotifyPOUChange() override;
    void NotifyStep(TCycle) override {}
    void NotifyCycle() override {}
    void NotifyCodeChange() override;

    // Shown/hidden by the main window with the step mode; showing brings the grid up to date.
    void SetVisible(bool visible);
    bool Visible() const { return FVisible; }
    // The user closes the window: false (and the message to show) in step mode; otherwise the
    // window just hides.
    bool QueryClose(std::string& message) const;

    // Grid: row 0 holds the titles, row 1 the CR, row k + 1 entry k of the current list.
    int RowCount() const { return int(FGrid.size()); }
    const std::string& Cell(int col, int row) const;
    static const char* ColumnTitle(int col);

    // WatchListContextPopup for the cell under the mouse: whether the menu shows, and then which
    // item is ticked.
    struct TPopup {
        bool Show = false;
        TDisplayType Checked = DTDEC;
    };
    TPopup ContextPopup(int col, int row);
    // MenuDecimalClick / MenuHexClick / MenuBinaryClick for the cell of the last shown pop-up.
    void ChooseDisplayType(TDisplayType type);

    const TWatchList& CurrentList() const { return FWatches[0]; }
    const TWatchList& List(int level) const { return FWatches[size_t(level)]; }
    uint16_t LastRunningPOUCount() const { return FLastRunningPOUCount; }

    // Called after the grid changed (while visible).
    std::function<void()> OnChanged;

    // Operations as named for the window; public for the tests.
    void UpdateWatchList();
    void UpdateValues();
    void AddWatchesFromPOU(const TPOUDesc& APOU, const std::string& ABaseName, int32_t AMemOfs);

private:
    TWatchInfo& AddWatch();
    void WriteNamesAndTypes();
    void BringUpToDate();
    bool CurrentListFits() const;
    int32_t RowAddress(const TWatchInfo& w) const;
    void Changed();

    TSoftAG& FSoftAG;
    uint16_t FLastRunningPOUCount = 0;
    std::array<TWatchList, WATCH_LISTS> FWatches;
    int FLastPopupCol = -1, FLastPopupRow = -1;
    bool FPopupShown = false;
    bool FVisible = false;
    bool FDirty = true; // grid behind the soft PLC's state
    std::vector<std::array<std::string, WATCH_COLUMNS>> FGrid;
    int FNesting = 0;
};

} // namespace korvo
