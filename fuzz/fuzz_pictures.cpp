// The pictures.inf reader with random bitmaps. Input: the pictures.inf text, then up to four
// picture files separated by "@@FILE@@" lines, written as a.bmp, b.bmp, c.png, d.gif.
#include "FuzzCommon.h"
#include "SimForm/PictureLibrary.h"

using namespace korvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 256 * 1024)
        return 0;
    static const char* const names[] = {"a.bmp", "b.bmp", "c.png", "d.gif"};
    const std::vector<std::string> files =
        fuzz::SplitFiles(std::string_view(reinterpret_cast<const char*>(data), size), 5);
    const std::filesystem::path dir = fuzz::ScratchDir("pictures");
    fuzz::WriteFile(dir / "pictures.inf", files[0]);
    for (size_t i = 1; i < files.size(); ++i)
        fuzz::WriteFile(dir / names[i - 1], files[i]);

    TPictureLoadHooks hooks;
    int errors = 0;
    hooks.LogErr = [&](const std::string&) { ++errors; };
    hooks.ShowError = [&](const std::string&, int) { ++errors; };
    TPictureLibrary lib;
    const bool ok = lib.Load(dir.string(), hooks);
    if (lib.ALIASES.size() != lib.BITMAPS.size()) {
        std::fprintf(stderr, "fuzz: %zu aliases but %zu bitmaps\n", lib.ALIASES.size(), lib.BITMAPS.size());
        std::abort();
    }
    if (!ok && errors == 0) {
        std::fprintf(stderr, "fuzz: load failed without an error message\n");
        std::abort();
    }
    // Draw every frame of every strip into a small canvas.
    TVisImage canvasImage;
    canvasImage.Resize(64, 64);
    TImageCanvas canvas(canvasImage);
    for (int32_t i = 0; i < lib.Count(); ++i) {
        const TPicStrip& s = lib.Strip(i);
        for (int32_t f = -1; f <= int32_t(s.Frames.size()); ++f)
            canvas.DrawFrame(s, f, -s.FrameWidth / 2, 3);
        (void)lib.FindAlias(lib.Alias(i));
    }
    return 0;
}
