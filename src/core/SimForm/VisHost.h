// What visualizations need from their surroundings: the host window (messages, beep, clock,
// repaint), the soft PLC's outside view, and a drawing surface. The Qt window implements the
// host and the canvas, the soft PLC coupling implements the PLC view; tests fake all three.
#pragma once

#include "SimForm/VisTypes.h"

#include <cstdint>
#include <string>

namespace korvo {

struct TPicStrip;

class IVisHost {
public:
    virtual ~IVisHost() = default;
    // Modal message box with an OK button.
    virtual void ShowMessage(const std::string& Text) = 0;
    virtual void Beep() = 0;
    // Millisecond tick count of the system clock.
    virtual uint32_t GetTickCount() = 0;
    // The window's picture was marked for redrawing by the idle action.
    virtual void RepaintNeeded() {}
};

// The soft PLC's outside view: bytes 0..15 input buffer, 16..31 output buffer, 32..47 flags.
// A write that changes a byte notifies the PLC's connectors before it returns.
class IVisPLC {
public:
    virtual ~IVisPLC() = default;
    virtual uint8_t GetMemory_IQBuf(int32_t Index) = 0;
    virtual void SetMemory_IQBuf(int32_t Index, uint8_t AValue) = 0;
};

class IVisCanvas {
public:
    virtual ~IVisCanvas() = default;
    virtual void FillRect(const TVisRect& R, uint32_t Color) = 0;
    // Frame Frame of Strip with its top-left corner at (X, Y); transparent pixels untouched.
    // A frame number outside the strip draws nothing.
    virtual void DrawFrame(const TPicStrip& Strip, int32_t Frame, int32_t X, int32_t Y) = 0;
    // Copies Image unchanged with its top-left corner at (X, Y).
    virtual void DrawImage(const TVisImage& Image, int32_t X, int32_t Y) = 0;
};

// Canvas that draws into a pixel buffer, clipped to it.
class TImageCanvas : public IVisCanvas {
public:
    explicit TImageCanvas(TVisImage& Image) : FImage(Image) {}
    void FillRect(const TVisRect& R, uint32_t Color) override;
    void DrawFrame(const TPicStrip& Strip, int32_t Frame, int32_t X, int32_t Y) override;
    void DrawImage(const TVisImage& Image, int32_t X, int32_t Y) override;

private:
    void Blit(const TVisImage& Src, int32_t X, int32_t Y, bool Transparent);
    TVisImage& FImage;
};

} // namespace korvo
