// Plain geometry and pixel types shared by the picture catalogue, the visualization objects
// and the painting interface. Pixels are 0xAARRGGBB; alpha 0 marks a transparent pixel.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace korvo {

// Left, Top inclusive; Right, Bottom exclusive.
struct TVisRect {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;

    bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
    int32_t Width() const { return Right - Left; }
    int32_t Height() const { return Bottom - Top; }
    TVisRect Moved(int32_t dx, int32_t dy) const { return {Left + dx, Top + dy, Right + dx, Bottom + dy}; }
    bool Contains(int32_t x, int32_t y) const { return x >= Left && x < Right && y >= Top && y < Bottom; }
    bool operator==(const TVisRect&) const = default;
};

struct TVisPoint {
    int32_t X = 0;
    int32_t Y = 0;
    bool operator==(const TVisPoint&) const = default;
};

// A pixel buffer, row by row from the top; layout matches QImage::Format_ARGB32.
struct TVisImage {
    int32_t Width = 0;
    int32_t Height = 0;
    std::vector<uint32_t> Pixels;

    void Resize(int32_t w, int32_t h) {
        Width = w < 0 ? 0 : w;
        Height = h < 0 ? 0 : h;
        Pixels.assign(static_cast<size_t>(Width) * static_cast<size_t>(Height), 0xFF000000u);
    }
    uint32_t At(int32_t x, int32_t y) const { return Pixels[static_cast<size_t>(y) * Width + x]; }
};

constexpr uint32_t VisOpaque(uint8_t r, uint8_t g, uint8_t b) {
    return 0xFF000000u | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
}

// Background of a visualization's picture: the usual button-face grey.
constexpr uint32_t VisButtonFace = VisOpaque(0xF0, 0xF0, 0xF0);

} // namespace korvo
