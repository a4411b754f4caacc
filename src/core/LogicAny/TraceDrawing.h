// Logic analyzer picture as data: the trace geometry and colours turned into a list of drawing
// primitives that the window paints, in order, onto its off-screen image. Drawing is incremental:
// each update emits only the samples recorded since the last one.
#pragma once

#include "LogicAny/AnalyzerBuffer.h"

#include <cstdint>
#include <string>
#include <vector>

namespace korvo {

struct TRGB {
    uint8_t R = 0, G = 0, B = 0;
    friend bool operator==(const TRGB&, const TRGB&) = default;
};

namespace la_colors {
constexpr TRGB Background{35, 35, 35};
constexpr TRGB Hatch{166, 166, 0};
constexpr TRGB Marks{166, 166, 166}; // cycle numbers, POU change lines
constexpr TRGB OutsideOdd{128, 128, 128};
constexpr TRGB ProgramOdd{255, 255, 255};
constexpr TRGB OutsideEven{0, 128, 128};
constexpr TRGB ProgramEven{0, 255, 255};
constexpr TRGB LabelOdd{255, 255, 255};
constexpr TRGB LabelEven{0, 255, 255};
} // namespace la_colors

namespace la_geometry {
constexpr int SampleWidth = 15; // x pixels per sample
constexpr int RowPitch = 37;    // y distance of two signal rows
constexpr int FirstRowY = 10;   // high level of row 1
constexpr int LevelHeight = 15; // low level = high level + 15
constexpr int NumberBand = 15;  // bottom band holding the cycle numbers
constexpr int HatchShift = 7;   // phase hatching and POU lines sit 7 pixels left of the sample
constexpr int NumberShift = 4;
constexpr int NumberFromBottom = 12;
constexpr int LabelLeft = 5;
} // namespace la_geometry

enum class TDrawKind : uint8_t {
    Fill,   // solid rectangle X1 <= x < X2, Y1 <= y < Y2
    Hatch,  // same rectangle hatched with back-diagonal lines ("///"), background untouched
    Line,   // axis-parallel line from (X1,Y1) towards (X2,Y2), end point excluded
    Pixel,  // one pixel at (X1,Y1)
    Text,   // Text with its top left corner at (X1,Y1)
    Label,  // Text right-aligned and vertically centred in the rectangle X1..X2, Y1..Y2
    Scroll, // move the whole image X1 pixels to the left; what moves in on the right is undefined
};

struct TDrawOp {
    TDrawKind Kind = TDrawKind::Fill;
    int X1 = 0, Y1 = 0, X2 = 0, Y2 = 0;
    TRGB Color;
    std::string Text;
    friend bool operator==(const TDrawOp&, const TDrawOp&) = default;
};

// The trace image: its size and the samples already drawn.
class TTraceDrawing {
public:
    // Rows to draw: signal indexes (bits of a sample) of the ticked entries, in list order.
    // Recomputes the height and schedules a full redraw.
    void SetVisibleSignals(std::vector<int> rows);
    const std::vector<int>& VisibleSignals() const { return FVisible; }

    // Adapts the bitmap width to the number of valid samples (steps of 100 samples); 0 also
    // restarts the drawing from the left.
    void Resize(int validLength);
    // Emits the primitives for the samples recorded since the last update: a full redraw when
    // scheduled or after a Clear; once the ring is full, a Scroll by the samples that dropped off
    // and then the new samples (a full redraw when more than a ring's worth dropped off).
    void UpdateDisplay(const TAnalyzerRecording& rec);
    void ScheduleFullRedraw() { PaintedBufferLength = 0; }

    int BitmapWidth() const { return FBitmapWidth; }
    int BitmapHeight() const { return FBitmapHeight; }
    // Size of the paint box showing the image.
    int DrawToWidth(int validLength) const { return validLength * la_geometry::SampleWidth + 10; }
    int Painted() const { return PaintedBufferLength; }
    // y of the high level of visible row v (1-based).
    static int RowY(int v) { return la_geometry::FirstRowY + (v - 1) * la_geometry::RowPitch; }

    // Drawing primitives emitted since the last ClearOps/TakeOps, in painting order. The window
    // paints Ops() and calls ClearOps(), which keeps the capacity for the next update.
    const std::vector<TDrawOp>& Ops() const { return FOps; }
    void ClearOps() { FOps.clear(); }
    std::vector<TDrawOp> TakeOps();

private:
    void DrawTrace(const TAnalyzerRecording& rec, int signal, int yPos, bool program, TRGB color);
    void Emit(TDrawKind k, int x1, int y1, int x2, int y2, TRGB c, std::string text = {});

    std::vector<int> FVisible;
    int FBitmapWidth = 20;
    int FBitmapHeight = 13;
    int PaintedBufferLength = 0;
    uint32_t FOverwrittenAtPaint = 0;
    std::vector<TDrawOp> FOps;
};

// Label column: names of the visible rows right-aligned in x 5 .. maxLabelWidth + 5.
std::vector<TDrawOp> SignalLabelOps(const std::vector<std::string>& visibleNames, int maxLabelWidth);

} // namespace korvo
