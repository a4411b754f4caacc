// A visualization rig for the fuzz targets: a small picture catalogue and a soft PLC running a
// fixed program that copies inputs and flags to outputs, coupled to a headless visualization.
#pragma once

#include "FuzzCommon.h"
#include "SimForm/SoftAGCoupling.h"
#include "Sim_ag/SoftAG.h"

#include <memory>

namespace korvo::fuzz {

inline TPicStrip SolidStrip(int32_t W, int32_t H, int32_t FrameCount) {
    TVisImage bmp;
    bmp.Resize(W * FrameCount, H);
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W * FrameCount; ++x)
            bmp.Pixels[size_t(y * bmp.Width + x)] = VisOpaque(uint8_t(0x10 * (x / W + 1)), uint8_t(y), 0);
    return TPictureLibrary::CutStrip(bmp, FrameCount, 0xC0C0C0);
}

// Aliases LAMP (4 frames), BTN (2), DIGIT (11), BG (1).
inline const TPictureLibrary& Pictures() {
    static const TPictureLibrary lib = [] {
        TPictureLibrary l;
        l.Add("LAMP", SolidStrip(8, 8, 4));
        l.Add("BTN", SolidStrip(6, 4, 2));
        l.Add("DIGIT", SolidStrip(5, 7, 11));
        l.Add("BG", SolidStrip(40, 30, 1));
        return l;
    }();
    return lib;
}

inline constexpr const char* RigProgram = R"(PROGRAM RIG
VAR
  INA AT %IB0 : BYTE
  INB AT %IB1 : BYTE
  FLA AT %MB0 : BYTE
  OUTA AT %QB0 : BYTE
  OUTB AT %QB1 : BYTE
  INW AT %IW2 : WORD
  OUTW AT %QW2 : WORD
  OUTC AT %QW4 : INT
  INX AT %IX4.0 : BOOL
  FLX AT %MX1.0 : BOOL
  CNT : INT
END_VAR
  LD INA
  ST OUTA
  LD INB
  XOR FLA
  ST OUTB
  LD INW
  ST OUTW
  LD INX
  ST FLX
  LD CNT
  ADD 1
  ST CNT
  ST OUTC
END_PROGRAM
)";

// The compiled rig program, built once.
inline TProjectDesc& RigProject() {
    static TProjectDesc* project = [] {
        auto* p = new TProjectDesc;
        if (!CompileInput(*p, 0, RigProgram)) {
            std::fprintf(stderr, "fuzz: rig program does not compile\n");
            std::abort();
        }
        return p;
    }();
    return *project;
}

struct TVisRig {
    TVirtualTickSource Clock{0};
    TSoftAG AG{Clock};
    std::unique_ptr<THeadlessVis> Vis;

    TVisRig() {
        AG.WatchdogLimit = 20000;
        AG.Data->ProjectDesc = &RigProject();
        AG.Reset();
        AG.SetMode(MM_RUN);
        Vis = std::make_unique<THeadlessVis>(AG, &Pictures());
    }
    ~TVisRig() {
        Vis.reset();
        AG.SetMode(MM_OFF);
    }
    void Cycle(uint32_t ms) {
        AG.Cycle();
        Clock.Advance(ms);
        Vis->AfterCycle();
    }
};

} // namespace korvo::fuzz
