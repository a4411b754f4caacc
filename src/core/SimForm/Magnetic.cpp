// Window dragging with magnetic edges.
#include "SimForm/Magnetic.h"

#include <cstdlib>

namespace korvo {

bool CheckMagnetic(int32_t A, int32_t S, int32_t L, int32_t B, int32_t S1, int32_t S2, int32_t& MinD,
                   bool& SpansClose) {
    const int64_t edge = int64_t(A) - B;
    if (edge > MagneticDistance || edge < -MagneticDistance)
        return false;
    if (int64_t(S) + L < int64_t(S1) - MagneticDistance || int64_t(S2) + MagneticDistance < S)
        return false;
    const int64_t span = int64_t(S) - S1;
    const bool close = span <= MagneticDistance && span >= -MagneticDistance;
    const int64_t d = edge * edge + (close ? span * span : 101);
    if (d >= MinD)
        return false;
    MinD = static_cast<int32_t>(d);
    SpansClose = close;
    return true;
}

TVisPoint SnapWindowPosition(const TVisRect& Bounds, TVisPoint P, TVisPoint DragStart, int32_t AreaWidth,
                             int32_t AreaHeight, const std::vector<TVisRect>& Controls) {
    const int32_t w = Bounds.Width(), h = Bounds.Height();
    auto clamp = [&](int32_t& l, int32_t& t) {
        if (l < 0)
            l = 0;
        if (l + w > AreaWidth)
            l = AreaWidth - w;
        if (t < 0)
            t = 0;
        if (t + h > AreaHeight)
            t = AreaHeight - h;
    };
    int32_t newLeft = Bounds.Left + P.X - DragStart.X;
    int32_t newTop = Bounds.Top + P.Y - DragStart.Y;
    clamp(newLeft, newTop);

    int32_t minD = 999;
    int32_t left2 = newLeft, top2 = newTop;
    for (const TVisRect& r : Controls) {
        bool close = false;
        if (CheckMagnetic(newTop + h, newLeft, w, r.Top, r.Left, r.Right, minD, close)) {
            top2 = r.Top - h;
            if (close)
                left2 = r.Left;
        }
        if (CheckMagnetic(newLeft, newTop, h, r.Right, r.Top, r.Bottom, minD, close)) {
            left2 = r.Right;
            if (close)
                top2 = r.Top;
        }
        if (CheckMagnetic(newTop, newLeft, w, r.Bottom, r.Left, r.Right, minD, close)) {
            top2 = r.Bottom;
            if (close)
                left2 = r.Left;
        }
        if (CheckMagnetic(newLeft + w, newTop, h, r.Left, r.Top, r.Bottom, minD, close)) {
            left2 = r.Left - w;
            if (close)
                top2 = r.Top;
        }
    }
    clamp(left2, top2);
    return {left2, top2};
}

std::optional<TVisPoint> TWindowDrag::Move(TVisPoint P, const TVisRect& Bounds, int32_t AreaWidth,
                                           int32_t AreaHeight, const std::vector<TVisRect>& Controls) const {
    if (!FDragging)
        return std::nullopt;
    const TVisPoint p = SnapWindowPosition(Bounds, P, FDragStart, AreaWidth, AreaHeight, Controls);
    if (p.X == Bounds.Left && p.Y == Bounds.Top)
        return std::nullopt;
    return p;
}

} // namespace korvo
