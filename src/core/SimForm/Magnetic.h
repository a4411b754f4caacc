// Dragging a visualization window inside its area with 10-pixel magnetic snapping to the
// edges of the other windows of the area.
#pragma once

#include "SimForm/VisTypes.h"

#include <cstdint>
#include <optional>
#include <vector>

namespace korvo {

constexpr int32_t MagneticDistance = 10;

// One edge test: my edge at A, my span from S for length L; the other's edge at B, its span
// S1..S2. Snaps when the edges are within 10, the spans overlap within 10 and the distance is
// below MinD (then MinD takes it). SpansClose: |S - S1| <= 10.
bool CheckMagnetic(int32_t A, int32_t S, int32_t L, int32_t B, int32_t S1, int32_t S2, int32_t& MinD,
                   bool& SpansClose);

// New top-left of a window at Bounds moved by (P - DragStart), clamped to the area's client
// size and snapped to Controls (the area's children in order, the moving window included).
TVisPoint SnapWindowPosition(const TVisRect& Bounds, TVisPoint P, TVisPoint DragStart, int32_t AreaWidth,
                             int32_t AreaHeight, const std::vector<TVisRect>& Controls);

class TWindowDrag {
public:
    // P in the window's client coordinates.
    void Start(TVisPoint P) {
        FDragging = true;
        FDragStart = P;
    }
    void End() { FDragging = false; }
    bool Dragging() const { return FDragging; }
    // The window's new top-left, or nothing when not dragging or when it does not change.
    std::optional<TVisPoint> Move(TVisPoint P, const TVisRect& Bounds, int32_t AreaWidth, int32_t AreaHeight,
                                  const std::vector<TVisRect>& Controls) const;

    bool FDragging = false;
    TVisPoint FDragStart;
};

} // namespace korvo
