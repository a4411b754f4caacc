// A BMP header claiming millions of rows in a file of a few bytes: loading read one failing
// byte at a time from the file for every missing pixel and took minutes. Found by fuzz_pictures
// (tests/fixtures/fuzz/pictures_tall_bmp.bin, files separated by "@@FILE@@" lines).
#include "ProjectFakes.h"
#include "SimForm/PictureLibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

using namespace korvo;
using korvo::testkit::ScratchDir;

namespace {

void Put32(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        s[at + size_t(i)] = char((v >> (8 * i)) & 0xFF);
}

// 24-bit BMP header of W x H with only Pixels bytes of pixel data.
std::string BMPHeader(uint32_t W, uint32_t H, size_t Pixels) {
    std::string s(54, '\0');
    s[0] = 'B';
    s[1] = 'M';
    Put32(s, 2, uint32_t(54 + Pixels));
    Put32(s, 10, 54);
    Put32(s, 14, 40);
    Put32(s, 18, W);
    Put32(s, 22, H);
    s[26] = 1;
    s[28] = 24;
    return s + std::string(Pixels, '\x40');
}

std::string Fixture() {
    std::ifstream in(KORVO_TEST_DATA_DIR "/fuzz/pictures_tall_bmp.bin", std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

} // namespace

TEST(RegressionPictures, FuzzInputLoadsQuicklyWithErrors) {
    ScratchDir dir;
    // The fuzz input: pictures.inf, a.bmp, b.bmp, c.png.
    std::vector<std::string> parts;
    std::string rest = Fixture();
    ASSERT_FALSE(rest.empty());
    const std::string sep = "\n@@FILE@@\n";
    for (size_t at; (at = rest.find(sep)) != std::string::npos; rest.erase(0, at + sep.size()))
        parts.push_back(rest.substr(0, at));
    parts.push_back(rest);
    ASSERT_EQ(parts.size(), 4u);
    dir.Write("pictures.inf", parts[0]);
    dir.Write("a.bmp", parts[1]);
    dir.Write("b.bmp", parts[2]);
    dir.Write("c.png", parts[3]);

    std::vector<std::string> errors;
    TPictureLoadHooks hooks;
    hooks.LogErr = [&](const std::string& s) { errors.push_back(s); };
    TPictureLibrary lib;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(lib.Load(dir.str(), hooks));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    EXPECT_FALSE(errors.empty());
    EXPECT_EQ(lib.ALIASES.size(), lib.BITMAPS.size());
}

TEST(RegressionPictures, OversizedHeadersAreNotReadable) {
    ScratchDir dir;
    struct Case {
        uint32_t W, H;
        bool Readable;
    } cases[] = {
        {2, 2, true},
        {2, 8978434, false},                            // the fuzz finding
        {TPictureLibrary::MaxBitmapSide + 1, 1, false}, // too wide
        {4096, 4097, false},                            // more pixels than allowed
    };
    for (const Case& c : cases) {
        // Full pixel data only for the small picture; the others are truncated.
        const size_t stride = (size_t(c.W) * 3 + 3) & ~size_t(3);
        dir.Write("p.bmp", BMPHeader(c.W, c.H, c.Readable ? stride * c.H : 64));
        TVisImage img;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(TPictureLibrary::LoadBitmapFile(dir / "p.bmp", img), c.Readable) << c.W << "x" << c.H;
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2)) << c.W << "x" << c.H;
        if (c.Readable) {
            EXPECT_EQ(img.Width, int32_t(c.W));
            EXPECT_EQ(img.Height, int32_t(c.H));
            EXPECT_EQ(img.At(0, 0), VisOpaque(0x40, 0x40, 0x40));
        }
    }
    // A truncated picture within the limits still loads (missing pixels read as black).
    dir.Write("t.bmp", BMPHeader(1000, 1000, 64));
    TVisImage img;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_TRUE(TPictureLibrary::LoadBitmapFile(dir / "t.bmp", img));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
}
