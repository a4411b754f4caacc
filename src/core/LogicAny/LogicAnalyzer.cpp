// Logic analyzer connector.
#include "LogicAny/LogicAnalyzer.h"

#include <algorithm>

namespace korvo {

TLogicAnalyzer::TLogicAnalyzer(TSoftAG& softAG, const ITextMetrics* metrics)
    : FSoftAG(softAG), FMetrics(metrics ? metrics : &FFixedMetrics) {
    UpdatePBHeights();
    Clear();
}

void TLogicAnalyzer::NotifyStep(TCycle WasCycle) {
    uint16_t prog = 0, iq = 0;
    const int n = std::min(FSignals.Count(), LA_MAX_SIGNALS);
    for (int y = 0; y < n; ++y) {
        const TSignalInfo& s = FSignals.Signals[size_t(y)];
        prog |= uint16_t(((FSoftAG.GetMemory(s.MemAdr) >> s.BitAdr) & 1) << y);
        iq |= uint16_t(((FSoftAG.GetMemory_IQBuf(s.MemAdr) >> s.BitAdr) & 1) << y);
    }
    const int before = FRecording.ValidLength();
    FRecording.Store(prog, iq, WasCycle == DATAREAD || WasCycle == DATAWRITE, WasCycle == DATAREAD);
    if (FRecording.ValidLength() != before) {
        FDrawing.Resize(FRecording.ValidLength());
        FScrollToEnd = true;
    }
}

void TLogicAnalyzer::UpdateSignalList() {
    FSignals.Clear();
    FMaxLabelWidth = FMaxLabelHeight = 0;
    const TProjectDesc* project = FSoftAG.Data->ProjectDesc;
    if (project && FSoftAG.RunningPOUNum > 0 && FSoftAG.GetSourcePOU() >= 0)
        FSignals = BuildSignalList(*project);
    for (const TSignalEntry& e : FSignals.Entries) {
        FMaxLabelWidth = std::max(FMaxLabelWidth, FMetrics->TextWidth(e.Name));
        FMaxLabelHeight = std::max(FMaxLabelHeight, FMetrics->TextHeight(e.Name));
    }
    if (OnSignalListChanged)
        OnSignalListChanged();
    // Also without a program: the old rows must not stay in the picture.
    UpdatePBHeights();
}

void TLogicAnalyzer::SetTicked(int entry, bool ticked) {
    if (entry < 0 || entry >= FSignals.Count())
        return;
    FSignals.Entries[size_t(entry)].Ticked = ticked;
    UpdatePBHeights();
}

void TLogicAnalyzer::UpdatePBHeights() {
    std::vector<int> visible;
    for (int i = 0; i < FSignals.Count() && i < LA_MAX_SIGNALS; ++i)
        if (FSignals.Entries[size_t(i)].Ticked)
            visible.push_back(i);
    FDrawing.SetVisibleSignals(std::move(visible));
    UpdateDisplay();
}

void TLogicAnalyzer::Clear() {
    FRecording.Clear();
    FDrawing.Resize(0);
    UpdateDisplay();
}

void TLogicAnalyzer::UpdateDisplay() {
    FDrawing.UpdateDisplay(FRecording);
    if (OnPictureChanged)
        OnPictureChanged();
}

std::vector<std::string> TLogicAnalyzer::VisibleNames() const {
    std::vector<std::string> names;
    for (int i : FDrawing.VisibleSignals())
        names.push_back(FSignals.Entries[size_t(i)].Name);
    return names;
}

std::vector<std::string> TLogicAnalyzer::SignalNames() const {
    std::vector<std::string> names;
    for (const TSignalEntry& e : FSignals.Entries)
        names.push_back(e.Name);
    return names;
}

std::string TLogicAnalyzer::Export(const std::string& path, TExportFormat format) const {
    return ExportRecording(path, format, FRecording, SignalNames());
}

} // namespace korvo
