// Logic analyzer trace drawing.
#include "LogicAny/TraceDrawing.h"

#include <algorithm>
#include <utility>

namespace korvo {

using namespace la_geometry;

void TTraceDrawing::Emit(TDrawKind k, int x1, int y1, int x2, int y2, TRGB c, std::string text) {
    FOps.push_back(TDrawOp{k, x1, y1, x2, y2, c, std::move(text)});
}

std::vector<TDrawOp> TTraceDrawing::TakeOps() {
    std::vector<TDrawOp> ops(FOps);
    FOps.clear();
    return ops;
}

void TTraceDrawing::SetVisibleSignals(std::vector<int> rows) {
    FVisible = std::move(rows);
    const int n = int(FVisible.size());
    FBitmapHeight = (n - 1) * RowPitch + 50;
    PaintedBufferLength = 0;
}

void TTraceDrawing::Resize(int validLength) {
    FBitmapWidth = ((validLength + 99) / 100) * 100 * SampleWidth + 20;
    if (validLength == 0)
        PaintedBufferLength = 0;
}

void TTraceDrawing::UpdateDisplay(const TAnalyzerRecording& rec) {
    const int valid = rec.ValidLength();
    // Samples that left the full ring shift every position to the left: move the picture along
    // and draw only the new samples behind it.
    const uint32_t dropped = rec.Overwritten() - FOverwrittenAtPaint;
    FOverwrittenAtPaint = rec.Overwritten();
    if (PaintedBufferLength > valid || (dropped > 0 && dropped >= uint32_t(PaintedBufferLength))) {
        PaintedBufferLength = 0;
    } else if (dropped > 0) {
        Emit(TDrawKind::Scroll, int(dropped) * SampleWidth, 0, 0, 0, la_colors::Background);
        PaintedBufferLength -= int(dropped);
    }
    if (PaintedBufferLength == 0)
        FOps.clear(); // everything pending is painted over
    const int h = FBitmapHeight;
    Emit(TDrawKind::Fill, PaintedBufferLength == 0 ? 0 : PaintedBufferLength * SampleWidth + 1, 0,
         valid * SampleWidth + 20, h, la_colors::Background);

    int32_t cycleNo = rec.FirstCycleNo();
    for (int X = 1; X <= PaintedBufferLength; ++X)
        if (rec.IsCycleStart(X))
            ++cycleNo;

    for (int X = PaintedBufferLength + 1; X <= valid; ++X) {
        const int x0 = (X - 1) * SampleWidth;
        if (rec.IsPhase(X)) {
            Emit(TDrawKind::Hatch, x0 - HatchShift, 0, X * SampleWidth - HatchShift, h - NumberBand,
                 la_colors::Hatch);
            if (rec.IsCycleStart(X))
                // Not left of the image: the first sample's number would be cut.
                Emit(TDrawKind::Text, std::max(0, x0 - NumberShift), h - NumberFromBottom, 0, 0,
                     la_colors::Marks, std::to_string(cycleNo++));
        }
        if (rec.POUChanged(X))
            Emit(TDrawKind::Line, x0 - HatchShift, 0, x0 - HatchShift, h - NumberBand, la_colors::Marks);
    }

    for (size_t i = 0; i < FVisible.size(); ++i) {
        const int v = int(i) + 1;
        const int yPos = RowY(v);
        const bool odd = (v % 2) == 1;
        DrawTrace(rec, FVisible[i], yPos, false, odd ? la_colors::OutsideOdd : la_colors::OutsideEven);
        DrawTrace(rec, FVisible[i], yPos, true, odd ? la_colors::ProgramOdd : la_colors::ProgramEven);
    }
    PaintedBufferLength = valid;
}

void TTraceDrawing::DrawTrace(const TAnalyzerRecording& rec, int signal, int yPos, bool program, TRGB color) {
    const int valid = rec.ValidLength();
    if (PaintedBufferLength >= valid)
        return;
    auto level = [&](int X) { return program ? rec.ProgBit(X, signal) : rec.IQBit(X, signal); };
    auto yOf = [&](bool high) { return high ? yPos : yPos + LevelHeight; };
    // The last drawn sample is drawn again: the hatching and POU line of the next sample reach
    // 7 pixels into it and must not cover its traces. The first sample of a recording starts at
    // its own level.
    const int first = std::max(1, PaintedBufferLength);
    bool prev = level(std::max(1, first - 1));
    if (program && first > 1) { // the marks between the two, which the outside edge crossed
        Emit(TDrawKind::Pixel, (first - 1) * SampleWidth, yPos, 0, 0, color);
        Emit(TDrawKind::Pixel, (first - 1) * SampleWidth, yPos + LevelHeight, 0, 0, color);
    }
    for (int X = first; X <= valid; ++X) {
        const bool cur = level(X);
        const int x0 = (X - 1) * SampleWidth;
        if (cur != prev)
            Emit(TDrawKind::Line, x0, yOf(prev), x0, yOf(cur), color);
        Emit(TDrawKind::Line, x0, yOf(cur), X * SampleWidth, yOf(cur), color);
        if (program) {
            Emit(TDrawKind::Pixel, X * SampleWidth, yPos, 0, 0, color);
            Emit(TDrawKind::Pixel, X * SampleWidth, yPos + LevelHeight, 0, 0, color);
        }
        prev = cur;
    }
}

std::vector<TDrawOp> SignalLabelOps(const std::vector<std::string>& visibleNames, int maxLabelWidth) {
    std::vector<TDrawOp> ops;
    for (size_t i = 0; i < visibleNames.size(); ++i) {
        const int v = int(i) + 1;
        const int y = TTraceDrawing::RowY(v);
        ops.push_back(TDrawOp{TDrawKind::Label, LabelLeft, y, maxLabelWidth + LabelLeft, y + LevelHeight,
                              (v % 2) == 1 ? la_colors::LabelOdd : la_colors::LabelEven, visibleNames[i]});
    }
    return ops;
}

} // namespace korvo
