// Fakes shared by the visualization tests: host, soft PLC outside view, recording canvas,
// a BMP writer and a scratch directory.
#pragma once

#include "SimForm/PictureLibrary.h"
#include "SimForm/VisHost.h"

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace korvo::vistest {

class TFakeHost : public IVisHost {
public:
    void ShowMessage(const std::string& Text) override { Messages.push_back(Text); }
    void Beep() override { ++Beeps; }
    uint32_t GetTickCount() override { return Tick; }
    void RepaintNeeded() override { ++Repaints; }

    std::vector<std::string> Messages;
    int Beeps = 0;
    uint32_t Tick = 0;
    int Repaints = 0;
};

// 48 bytes of outside view. A write that changes a byte calls OnChange (the soft PLC's
// notification) before it returns.
class TFakePLC : public IVisPLC {
public:
    uint8_t GetMemory_IQBuf(int32_t Index) override { return Mem.at(static_cast<size_t>(Index)); }
    void SetMemory_IQBuf(int32_t Index, uint8_t AValue) override {
        Writes.push_back({Index, AValue});
        if (Mem.at(static_cast<size_t>(Index)) == AValue)
            return;
        Mem[static_cast<size_t>(Index)] = AValue;
        if (OnChange)
            OnChange(Index);
    }

    std::array<uint8_t, 48> Mem{};
    std::vector<std::pair<int32_t, uint8_t>> Writes;
    std::function<void(int32_t)> OnChange;
};

class TRecordingCanvas : public IVisCanvas {
public:
    explicit TRecordingCanvas(const TPictureLibrary* Lib = nullptr) : FLib(Lib) {}
    void FillRect(const TVisRect& R, uint32_t) override {
        Calls.push_back("fill " + std::to_string(R.Left) + "," + std::to_string(R.Top) + "," +
                        std::to_string(R.Right) + "," + std::to_string(R.Bottom));
    }
    void DrawFrame(const TPicStrip& Strip, int32_t Frame, int32_t X, int32_t Y) override {
        std::string alias = "?";
        if (FLib)
            for (int32_t i = 0; i < FLib->Count(); ++i)
                if (&FLib->Strip(i) == &Strip)
                    alias = FLib->Alias(i);
        Calls.push_back("frame " + alias + ":" + std::to_string(Frame) + " @" + std::to_string(X) + "," +
                        std::to_string(Y));
    }
    void DrawImage(const TVisImage& Image, int32_t X, int32_t Y) override {
        Calls.push_back("image " + std::to_string(Image.Width) + "x" + std::to_string(Image.Height) + " @" +
                        std::to_string(X) + "," + std::to_string(Y));
    }

    std::vector<std::string> Calls;

private:
    const TPictureLibrary* FLib;
};

// 24-bit bottom-up BMP; Pixel(x, y) gives 0xRRGGBB.
inline void WriteBMP(const std::filesystem::path& Path, int W, int H,
                     const std::function<uint32_t(int, int)>& Pixel) {
    const int rowSize = (W * 3 + 3) & ~3;
    const uint32_t dataSize = static_cast<uint32_t>(rowSize * H);
    std::string out;
    auto u16 = [&](uint32_t v) {
        out += char(v & 0xFF);
        out += char((v >> 8) & 0xFF);
    };
    auto u32 = [&](uint32_t v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    out += "BM";
    u32(54 + dataSize);
    u32(0);
    u32(54);
    u32(40);
    u32(static_cast<uint32_t>(W));
    u32(static_cast<uint32_t>(H));
    u16(1);
    u16(24);
    u32(0);
    u32(dataSize);
    u32(2835);
    u32(2835);
    u32(0);
    u32(0);
    for (int y = H - 1; y >= 0; --y) {
        std::string row;
        for (int x = 0; x < W; ++x) {
            const uint32_t p = Pixel(x, y);
            row += char(p & 0xFF);
            row += char((p >> 8) & 0xFF);
            row += char((p >> 16) & 0xFF);
        }
        row.resize(static_cast<size_t>(rowSize), '\0');
        out += row;
    }
    std::ofstream(Path, std::ios::binary) << out;
}

inline void WriteText(const std::filesystem::path& Path, const std::string& Text) {
    std::ofstream(Path, std::ios::binary) << Text;
}

// A fresh directory under the system's temp folder, removed at the end.
class TScratchDir {
public:
    TScratchDir() {
        std::random_device rd;
        Path = std::filesystem::temp_directory_path() /
               ("korvo_vis_" + std::to_string(rd()) + std::to_string(rd()));
        std::filesystem::create_directories(Path);
    }
    ~TScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(Path, ec);
    }
    std::string Str() const { return Path.string() + "/"; }
    std::filesystem::path Path;
};

// A strip of FrameCount frames of W x H, frame k filled with colour 0x10*(k+1) in red.
inline TPicStrip SolidStrip(int32_t W, int32_t H, int32_t FrameCount) {
    TVisImage bmp;
    bmp.Resize(W * FrameCount, H);
    for (int32_t y = 0; y < H; ++y)
        for (int32_t x = 0; x < W * FrameCount; ++x)
            bmp.Pixels[static_cast<size_t>(y * bmp.Width + x)] =
                VisOpaque(static_cast<uint8_t>(0x10 * (x / W + 1)), 0, 0);
    return TPictureLibrary::CutStrip(bmp, FrameCount, 0xC0C0C0);
}

inline std::vector<std::string> Lines(const std::string& Text) {
    std::vector<std::string> r;
    std::istringstream in(Text);
    std::string l;
    while (std::getline(in, l))
        r.push_back(l);
    return r;
}

} // namespace korvo::vistest
