// Pixel-buffer canvas used for the window's off-screen image.
#include "SimForm/PictureLibrary.h"
#include "SimForm/VisHost.h"

#include <algorithm>

namespace korvo {

void TImageCanvas::FillRect(const TVisRect& R, uint32_t Color) {
    const int32_t l = std::max(R.Left, 0), t = std::max(R.Top, 0);
    const int32_t r = std::min(R.Right, FImage.Width), b = std::min(R.Bottom, FImage.Height);
    for (int32_t y = t; y < b; ++y)
        for (int32_t x = l; x < r; ++x)
            FImage.Pixels[static_cast<size_t>(y) * FImage.Width + x] = Color;
}

void TImageCanvas::Blit(const TVisImage& Src, int32_t X, int32_t Y, bool Transparent) {
    for (int32_t sy = 0; sy < Src.Height; ++sy) {
        const int64_t dy = int64_t(Y) + sy;
        if (dy < 0 || dy >= FImage.Height)
            continue;
        for (int32_t sx = 0; sx < Src.Width; ++sx) {
            const int64_t dx = int64_t(X) + sx;
            if (dx < 0 || dx >= FImage.Width)
                continue;
            const uint32_t p = Src.At(sx, sy);
            if (Transparent && (p >> 24) == 0)
                continue;
            FImage.Pixels[static_cast<size_t>(dy) * FImage.Width + static_cast<size_t>(dx)] = p | 0xFF000000u;
        }
    }
}

void TImageCanvas::DrawFrame(const TPicStrip& Strip, int32_t Frame, int32_t X, int32_t Y) {
    if (Frame < 0 || Frame >= static_cast<int32_t>(Strip.Frames.size()))
        return;
    Blit(Strip.Frames[static_cast<size_t>(Frame)], X, Y, true);
}

void TImageCanvas::DrawImage(const TVisImage& Image, int32_t X, int32_t Y) {
    Blit(Image, X, Y, false);
}

} // namespace korvo
