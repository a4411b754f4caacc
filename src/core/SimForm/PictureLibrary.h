// The picture catalogue: aliases from DATA/pictures.inf, each a bitmap cut into frames of
// equal width, with one colour drawn transparent. Loaded once at start, read-only afterwards.
#pragma once

#include "SimForm/VisTypes.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace korvo {

// One alias: the frames of its bitmap, cut left to right. Transparent pixels have alpha 0.
struct TPicStrip {
    int32_t FrameWidth = 0;
    int32_t FrameHeight = 0;
    uint32_t TransparentColor = 0xC0C0C0; // 0xBBGGRR: lowest byte red
    std::vector<TVisImage> Frames;
};

// What loading reports to the rest of the program. Unset hooks do nothing.
struct TPictureLoadHooks {
    std::function<void(const std::string&)> Log;    // ordinary log line
    std::function<void(const std::string&)> LogErr; // error log line
    std::function<void()> ProcessMessages;          // keep the splash window responsive
    // Modal error box with OK and Help; the second argument is the help context.
    std::function<void(const std::string&, int)> ShowError;
};

// Log and LogErr of the error log; ProcessMessages and ShowError are left for the caller.
TPictureLoadHooks ErrorLogHooks();

// Data directory of the installation: DATA next to the executable, else the installed
// share folder's DATA, else "" (with a trailing '/' otherwise).
std::string FindVisDataDir();

class TPictureLibrary {
public:
    static constexpr uint32_t DefaultTransparent = 0xC0C0C0; // silver
    static constexpr int HelpContextLoadError = 3001;
    // Largest picture files read: bigger ones are not readable bitmaps.
    static constexpr int32_t MaxBitmapSide = 16384;
    static constexpr int64_t MaxBitmapPixels = 16 * 1024 * 1024;
    static constexpr int64_t MaxBitmapFileBytes = 256 * 1024 * 1024;
    static const char* const LoadErrorText;

    // Reads section ALIASES of pictures.inf in DataDir (with or without trailing separator).
    // Returns false when at least one entry was dropped (the error box has been shown then).
    bool Load(const std::string& DataDir, const TPictureLoadHooks& Hooks = {});

    // Steps after reading the file: Entries are the "name=value" strings in file order.
    bool LoadEntries(std::vector<std::string> Entries, const std::string& DataDir,
                     const TPictureLoadHooks& Hooks = {});

    // Index of the first alias equal to Name in upper case, or -1.
    int32_t FindAlias(const std::string& Name) const;
    int32_t Count() const { return static_cast<int32_t>(ALIASES.size()); }
    const TPicStrip& Strip(int32_t Index) const { return BITMAPS[static_cast<size_t>(Index)]; }
    const std::string& Alias(int32_t Index) const { return ALIASES[static_cast<size_t>(Index)]; }

    // Adds a strip directly (tests, generated pictures). Returns its index.
    int32_t Add(const std::string& Alias, TPicStrip Strip);

    // Cuts Bitmap (opaque pixels, 0xFFRRGGBB) into FrameCount frames of width
    // Bitmap.Width div FrameCount; pixels of TransparentColor (0xBBGGRR) get alpha 0.
    static TPicStrip CutStrip(const TVisImage& Bitmap, int32_t FrameCount, uint32_t TransparentColor);
    // Decodes an image file into opaque pixels; false when it is not a readable picture.
    static bool LoadBitmapFile(const std::string& FileName, TVisImage& Out);

    std::vector<std::string> ALIASES;
    std::vector<TPicStrip> BITMAPS;
};

// The program's one catalogue, filled by the main window at start.
TPictureLibrary& PictureLibrary();

} // namespace korvo
