// The logic analyzer: a connector of the soft PLC that records the main program's BOOL signals at
// every step (program view and outside view), marks POU changes and phase steps, and keeps the
// trace picture as drawing primitives. The window shows the signal check list, paints the
// primitives and forwards "Clear", check box clicks and the export button.
#pragma once

#include "LogicAny/AnalyzerBuffer.h"
#include "LogicAny/RecordingExport.h"
#include "LogicAny/Signals.h"
#include "LogicAny/TraceDrawing.h"
#include "Sim_ag/SoftAG.h"

#include <functional>
#include <string>
#include <vector>

namespace korvo {

// Text measurement for the label column; the window supplies its font's metrics.
class ITextMetrics {
public:
    virtual int TextWidth(const std::string& text) const = 0;
    virtual int TextHeight(const std::string& text) const = 0;

protected:
    ~ITextMetrics() = default;
};

// 7 x 13 pixels per character: headless use and tests.
class TFixedTextMetrics final : public ITextMetrics {
public:
    int TextWidth(const std::string& text) const override { return int(text.size()) * 7; }
    int TextHeight(const std::string& text) const override { return text.empty() ? 0 : 13; }
};

class TLogicAnalyzer final : public ISoftAGConnector {
public:
    // Registers nothing: the owner adds it as the soft PLC's connector and removes it before
    // destroying it. metrics must outlive the analyzer; null uses fixed metrics.
    explicit TLogicAnalyzer(TSoftAG& softAG, const ITextMetrics* metrics = nullptr);

    // Connector operations.
    void NotifyModeChange() override {}
    void NotifyMemChange(int32_t, int32_t, int32_t, int32_t) override {}
    void NotifyCRChange() override {}
    void NotifyPOUChange() override { FRecording.MarkPOUChange(); }
    void NotifyStep(TCycle WasCycle) override;
    void NotifyCycle() override {}
    void NotifyCodeChange() override { UpdateSignalList(); }

    // Rebuilds the signals from the main program; the recording is kept.
    void UpdateSignalList();
    // A check box click: ticked entries are drawn; redraws everything with the rows closed up.
    void SetTicked(int entry, bool ticked);
    // "Clear": forgets the samples, restarts the cycle numbers at 0 and clears the picture.
    void Clear();
    // Draws the samples recorded since the last update (the main window calls it after a step
    // command, every ~50 ms in run mode and when run mode ends). Once the ring is full, every
    // update that sees new samples redraws the newest LA_BUFFER_LENGTH.
    void UpdateDisplay();

    const TSignalList& Signals() const { return FSignals; }
    const TAnalyzerRecording& Recording() const { return FRecording; }
    TTraceDrawing& Drawing() { return FDrawing; }
    const TTraceDrawing& Drawing() const { return FDrawing; }
    int ValidBufferLength() const { return FRecording.ValidLength(); }
    // Paint box size: ValidBufferLength x 15 + 10 wide, the bitmap's height.
    int DrawToWidth() const { return FDrawing.DrawToWidth(FRecording.ValidLength()); }

    // Label column.
    int MaxLabelWidth() const { return FMaxLabelWidth; }
    int MaxLabelHeight() const { return FMaxLabelHeight; }
    int LabelColumnWidth() const { return FMaxLabelWidth + 10; }
    std::vector<std::string> VisibleNames() const;
    std::vector<TDrawOp> LabelOps() const { return SignalLabelOps(VisibleNames(), FMaxLabelWidth); }

    // True once after the recording grew: the trace box should scroll to its right end.
    bool TakeScrollToEnd() {
        const bool s = FScrollToEnd;
        FScrollToEnd = false;
        return s;
    }

    // Writes the recording (all recorded signals, ticked or not) as VCD or CSV. Returns an empty
    // string on success, else the message to show.
    std::string Export(const std::string& path, TExportFormat format) const;
    std::vector<std::string> SignalNames() const;

    // Window hooks: the check list must be rebuilt; the picture has new primitives or a new size.
    std::function<void()> OnSignalListChanged;
    std::function<void()> OnPictureChanged;

private:
    void UpdatePBHeights();

    TSoftAG& FSoftAG;
    TFixedTextMetrics FFixedMetrics;
    const ITextMetrics* FMetrics;
    TSignalList FSignals;
    TAnalyzerRecording FRecording;
    TTraceDrawing FDrawing;
    int FMaxLabelWidth = 0;
    int FMaxLabelHeight = 0;
    bool FScrollToEnd = false;
};

} // namespace korvo
