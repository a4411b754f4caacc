// Picture catalogue loading: pictures.inf entries, bitmap decoding, frame cutting, log lines.
#include "SimForm/PictureLibrary.h"

#include "Parser/Scanner.h"
#include "errorlog/errorlog.h"

#include <SimpleIni.h>

#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_BMP
#define STBI_ONLY_PNG
#define STBI_FAILURE_USERMSG
#include <stb_image.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <tuple>

namespace korvo {

const char* const TPictureLibrary::LoadErrorText =
    "3001: At least one error occurred while processing the pictures.inf file. Some or all of the "
    "visual processes may not work correctly. Click on Help to get more info.";

namespace {

std::string Upper(std::string s) {
    for (char& c : s)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return s;
}

// Hexadecimal digits only, at most 24 bits; anything else does not read.
bool ReadHexColor(const std::string& s, uint32_t& out) {
    if (s.empty() || s.size() > 6)
        return false;
    uint32_t v = 0;
    for (char c : s) {
        int d;
        if (c >= '0' && c <= '9')
            d = c - '0';
        else if (c >= 'a' && c <= 'f')
            d = c - 'a' + 10;
        else if (c >= 'A' && c <= 'F')
            d = c - 'A' + 10;
        else
            return false;
        v = v * 16 + static_cast<uint32_t>(d);
    }
    out = v;
    return true;
}

std::string Quoted(const std::string& s) {
    return "\"" + s + "\"";
}

void Call(const std::function<void(const std::string&)>& f, const std::string& s) {
    if (f)
        f(s);
}

} // namespace

TPictureLoadHooks ErrorLogHooks() {
    TPictureLoadHooks h;
    h.Log = [](const std::string& s) { korvo::Log(s); };
    h.LogErr = [](const std::string& s) { korvo::LogErr(s); };
    return h;
}

std::string FindVisDataDir() {
    std::error_code ec;
    const std::string local = ExecutableDir() + "DATA";
    if (std::filesystem::is_directory(local, ec))
        return local + "/";
#ifdef KORVO_INSTALLED_DATA_DIR
    const std::string installed = std::string(KORVO_INSTALLED_DATA_DIR) + "/DATA";
    if (std::filesystem::is_directory(installed, ec))
        return installed + "/";
#endif
    return "";
}

TPictureLibrary& PictureLibrary() {
    static TPictureLibrary lib;
    return lib;
}

int32_t TPictureLibrary::FindAlias(const std::string& Name) const {
    const std::string u = Upper(Name);
    for (size_t i = 0; i < ALIASES.size(); ++i)
        if (ALIASES[i] == u)
            return static_cast<int32_t>(i);
    return -1;
}

int32_t TPictureLibrary::Add(const std::string& Alias, TPicStrip Strip) {
    ALIASES.push_back(Upper(Alias));
    BITMAPS.push_back(std::move(Strip));
    return Count() - 1;
}

TPicStrip TPictureLibrary::CutStrip(const TVisImage& Bitmap, int32_t FrameCount, uint32_t TransparentColor) {
    TPicStrip strip;
    strip.TransparentColor = TransparentColor & 0xFFFFFF;
    if (FrameCount < 1)
        return strip;
    strip.FrameWidth = Bitmap.Width / FrameCount;
    strip.FrameHeight = Bitmap.Height;
    if (strip.FrameWidth <= 0)
        return strip;
    // 0xBBGGRR -> 0xRRGGBB for comparison with the pixels.
    const uint32_t key =
        ((TransparentColor & 0xFF) << 16) | (TransparentColor & 0xFF00) | ((TransparentColor >> 16) & 0xFF);
    const int32_t frames = Bitmap.Width / strip.FrameWidth;
    for (int32_t k = 0; k < frames; ++k) {
        TVisImage f;
        f.Resize(strip.FrameWidth, strip.FrameHeight);
        for (int32_t y = 0; y < f.Height; ++y)
            for (int32_t x = 0; x < f.Width; ++x) {
                const uint32_t p = Bitmap.At(k * strip.FrameWidth + x, y) & 0xFFFFFF;
                f.Pixels[static_cast<size_t>(y) * f.Width + x] = p == key ? p : (0xFF000000u | p);
            }
        strip.Frames.push_back(std::move(f));
    }
    return strip;
}

bool TPictureLibrary::LoadBitmapFile(const std::string& FileName, TVisImage& Out) {
    // Decoded from memory: a header claiming more pixels than the file holds then reads zeros
    // quickly instead of one failing getc per byte. The size is checked before decoding.
    std::string bytes;
    {
        std::ifstream f(FileName, std::ios::binary);
        if (!f)
            return false;
        f.seekg(0, std::ios::end);
        const std::streamoff len = f.tellg();
        if (len <= 0 || len > MaxBitmapFileBytes)
            return false;
        bytes.resize(static_cast<size_t>(len));
        f.seekg(0);
        if (!f.read(bytes.data(), len))
            return false;
    }
    const auto* buf = reinterpret_cast<const stbi_uc*>(bytes.data());
    const int len = static_cast<int>(bytes.size());
    int w = 0, h = 0, n = 0;
    if (!stbi_info_from_memory(buf, len, &w, &h, &n) || w <= 0 || h <= 0 || w > MaxBitmapSide ||
        h > MaxBitmapSide || int64_t(w) * h > MaxBitmapPixels)
        return false;
    unsigned char* data = stbi_load_from_memory(buf, len, &w, &h, &n, 3);
    if (!data)
        return false;
    if (w <= 0 || h <= 0) {
        stbi_image_free(data);
        return false;
    }
    Out.Resize(w, h);
    const unsigned char* p = data;
    for (uint32_t& px : Out.Pixels) {
        px = VisOpaque(p[0], p[1], p[2]);
        p += 3;
    }
    stbi_image_free(data);
    return true;
}

bool TPictureLibrary::Load(const std::string& DataDir, const TPictureLoadHooks& Hooks) {
    ALIASES.clear();
    BITMAPS.clear();

    std::string dir = DataDir;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';

    // Entries of section ALIASES in file order, as "name=value" strings. Lines without "="
    // are skipped by the reader.
    std::vector<std::string> entries;
    {
        CSimpleIniA ini(true, true, false);
        if (ini.LoadFile((dir + "pictures.inf").c_str()) >= 0) {
            if (const CSimpleIniA::TKeyVal* sec = ini.GetSection("ALIASES")) {
                std::vector<std::pair<int, std::string>> ordered;
                for (const auto& kv : *sec)
                    ordered.emplace_back(kv.first.nOrder,
                                         std::string(kv.first.pItem) + "=" + (kv.second ? kv.second : ""));
                std::stable_sort(ordered.begin(), ordered.end(),
                                 [](const auto& a, const auto& b) { return a.first < b.first; });
                for (auto& e : ordered)
                    entries.push_back(std::move(e.second));
            }
        }
    }
    return LoadEntries(std::move(entries), DataDir, Hooks);
}

bool TPictureLibrary::LoadEntries(std::vector<std::string> Entries, const std::string& DataDir,
                                  const TPictureLoadHooks& Hooks) {
    std::string dir = DataDir;
    if (!dir.empty() && dir.back() != '/')
        dir += '/';
    ALIASES = std::move(Entries);
    BITMAPS.clear();

    bool error = false;
    size_t x = 0;
    while (x < ALIASES.size()) {
        const std::string entry = ALIASES[x];
        const size_t eq = entry.find('=');
        if (eq == std::string::npos) {
            error = true;
            Call(Hooks.LogErr, "pictures.inf: " + Quoted("=") + " missing!");
            ALIASES.erase(ALIASES.begin() + static_cast<std::ptrdiff_t>(x));
            continue;
        }
        std::string value = entry.substr(eq + 1);
        if (value.find(',') == std::string::npos)
            value += ",,";
        const size_t c1 = value.find(',');
        std::string fileName = value.substr(0, c1);
        if (!std::filesystem::path(fileName).is_absolute())
            fileName = dir + fileName;
        std::error_code ec;
        if (!std::filesystem::is_regular_file(fileName, ec)) {
            error = true;
            Call(Hooks.LogErr, "pictures.inf: file " + Quoted(fileName) + " not found!");
            ALIASES.erase(ALIASES.begin() + static_cast<std::ptrdiff_t>(x));
            continue;
        }
        std::string rest = value.substr(c1 + 1);
        if (rest.find(',') == std::string::npos)
            rest += ",";
        const size_t c2 = rest.find(',');
        uint32_t color = DefaultTransparent;
        if (!ReadHexColor(rest.substr(0, c2), color))
            color = DefaultTransparent;
        int32_t frameCount = 1;
        if (!VisStrToInt(rest.substr(c2 + 1), frameCount))
            frameCount = 1;

        TVisImage bmp;
        if (!LoadBitmapFile(fileName, bmp)) {
            error = true;
            Call(Hooks.LogErr, "pictures.inf: file " + Quoted(fileName) + " is not a readable bitmap!");
            ALIASES.erase(ALIASES.begin() + static_cast<std::ptrdiff_t>(x));
            continue;
        }
        if (frameCount < 1 || frameCount > bmp.Width) {
            error = true;
            Call(Hooks.LogErr, "pictures.inf: file " + Quoted(fileName) + ": invalid frame count " +
                                   std::to_string(frameCount) + "!");
            ALIASES.erase(ALIASES.begin() + static_cast<std::ptrdiff_t>(x));
            continue;
        }
        BITMAPS.push_back(CutStrip(bmp, frameCount, color));
        ALIASES[x] = Upper(entry.substr(0, eq));
        Call(Hooks.Log, "pictures.inf: file " + Quoted(fileName) + " loaded successfully.");
        if (Hooks.ProcessMessages)
            Hooks.ProcessMessages();
        ++x;
    }

    Call(Hooks.Log, "pictures.inf: " + std::to_string(ALIASES.size()) + " files loaded.");
    if (error && Hooks.ShowError)
        Hooks.ShowError(LoadErrorText, HelpContextLoadError);
    return !error;
}

} // namespace korvo
