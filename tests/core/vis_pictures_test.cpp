// Picture catalogue: pictures.inf entries, defaults, dropped entries, log lines, error box.
#include "SimForm/PictureLibrary.h"
#include "errorlog/errorlog.h"
#include "vis_fakes.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::vistest;

namespace {

struct TLoadLog {
    std::vector<std::string> Lines; // "LOG ..." / "ERR ..." / "BOX <ctx> ..."
    TPictureLoadHooks Hooks() {
        TPictureLoadHooks h;
        h.Log = [this](const std::string& s) { Lines.push_back("LOG " + s); };
        h.LogErr = [this](const std::string& s) { Lines.push_back("ERR " + s); };
        h.ShowError = [this](const std::string& s, int ctx) {
            Lines.push_back("BOX " + std::to_string(ctx) + " " + s);
        };
        return h;
    }
};

uint32_t Checker(int x, int y) {
    return ((x + y) % 2) ? 0xFF00FF : 0x102030;
}

} // namespace

TEST(VisPictures, EntriesWithDefaultsAndFrames) {
    TScratchDir dir;
    WriteBMP(dir.Path / "lamp.bmp", 40, 20, Checker);
    WriteBMP(dir.Path / "motor.bmp", 40, 10, Checker);
    WriteBMP(dir.Path / "valve.bmp", 50, 8, Checker);
    WriteText(dir.Path / "pictures.inf",
              "[OTHER]\r\nX=lamp.bmp\r\n[ALIASES]\r\nlamp=lamp.bmp,FF00FF,2\r\n"
              "motor=motor.bmp,,4\r\nvalve=valve.bmp,xyz\r\nnarrow=valve.bmp,,4\r\n"
              "pref=valve.bmp,$FF00FF\r\nhex=valve.bmp,0xFF00FF,1\r\n");
    TPictureLibrary lib;
    TLoadLog log;
    EXPECT_TRUE(lib.Load(dir.Str(), log.Hooks()));
    ASSERT_EQ(lib.ALIASES, (std::vector<std::string>{"LAMP", "MOTOR", "VALVE", "NARROW", "PREF", "HEX"}));
    ASSERT_EQ(lib.BITMAPS.size(), 6u);

    const TPicStrip& lamp = lib.Strip(lib.FindAlias("Lamp"));
    EXPECT_EQ(lamp.FrameWidth, 20);
    EXPECT_EQ(lamp.FrameHeight, 20);
    EXPECT_EQ(lamp.Frames.size(), 2u);
    EXPECT_EQ(lamp.TransparentColor, 0xFF00FFu);
    // FF00FF is magenta whichever byte order: (0,0) is opaque 102030, (1,0) transparent.
    EXPECT_EQ(lamp.Frames[0].At(0, 0), 0xFF102030u);
    EXPECT_EQ(lamp.Frames[0].At(1, 0) >> 24, 0u);

    const TPicStrip& motor = lib.Strip(lib.FindAlias("MOTOR"));
    EXPECT_EQ(motor.TransparentColor, 0xC0C0C0u);
    EXPECT_EQ(motor.Frames.size(), 4u);
    EXPECT_EQ(motor.FrameWidth, 10);

    const TPicStrip& valve = lib.Strip(lib.FindAlias("valve"));
    EXPECT_EQ(valve.TransparentColor, 0xC0C0C0u);
    EXPECT_EQ(valve.Frames.size(), 1u);
    EXPECT_EQ(valve.FrameWidth, 50);

    // 50 pixels in 4 frames: width 12, the last two columns belong to no frame.
    const TPicStrip& narrow = lib.Strip(lib.FindAlias("NARROW"));
    EXPECT_EQ(narrow.FrameWidth, 12);
    EXPECT_EQ(narrow.Frames.size(), 4u);
    EXPECT_EQ(narrow.Frames[3].At(0, 0), 0xFF000000u | Checker(36, 0));

    EXPECT_EQ(lib.Strip(lib.FindAlias("PREF")).TransparentColor, 0xC0C0C0u);
    EXPECT_EQ(lib.Strip(lib.FindAlias("HEX")).TransparentColor, 0xC0C0C0u);
    EXPECT_EQ(lib.FindAlias("OTHER"), -1);
    EXPECT_EQ(lib.FindAlias("X"), -1);

    ASSERT_EQ(log.Lines.size(), 7u);
    EXPECT_EQ(log.Lines[0], "LOG pictures.inf: file \"" + dir.Str() + "lamp.bmp\" loaded successfully.");
    EXPECT_EQ(log.Lines[6], "LOG pictures.inf: 6 files loaded.");
}

TEST(VisPictures, TransparentColourByteOrderIsBlueGreenRed) {
    // 0000FF is red: lowest byte red.
    TVisImage bmp;
    bmp.Resize(2, 1);
    bmp.Pixels = {VisOpaque(0xFF, 0, 0), VisOpaque(0, 0, 0xFF)};
    const TPicStrip s = TPictureLibrary::CutStrip(bmp, 1, 0x0000FF);
    EXPECT_EQ(s.Frames[0].At(0, 0) >> 24, 0u);
    EXPECT_EQ(s.Frames[0].At(1, 0) >> 24, 0xFFu);
}

TEST(VisPictures, BadEntriesAreDroppedListsStayAlignedBoxOnce) {
    TScratchDir dir;
    WriteBMP(dir.Path / "a.bmp", 4, 4, Checker);
    WriteBMP(dir.Path / "b.bmp", 6, 3, Checker);
    WriteText(dir.Path / "junk.bmp", "this is not a bitmap");
    WriteText(dir.Path / "pictures.inf", "[ALIASES]\nfirst=a.bmp\nmissing=nothere.bmp,FF00FF,2\n"
                                         "junk=junk.bmp\nzero=a.bmp,,0\nwide=a.bmp,,5\nsecond=b.bmp,,3\n"
                                         "first=b.bmp\n");
    TPictureLibrary lib;
    TLoadLog log;
    EXPECT_FALSE(lib.Load(dir.Str(), log.Hooks()));
    ASSERT_EQ(lib.ALIASES, (std::vector<std::string>{"FIRST", "SECOND", "FIRST"}));
    ASSERT_EQ(lib.BITMAPS.size(), 3u);
    EXPECT_EQ(lib.Strip(1).FrameWidth, 2); // SECOND: b.bmp in 3 frames
    EXPECT_EQ(lib.Strip(2).FrameWidth, 6); // the second FIRST
    EXPECT_EQ(lib.FindAlias("first"), 0);  // lookup finds the first of two
    EXPECT_EQ(lib.Strip(0).FrameWidth, 4);

    const std::string d = dir.Str();
    const std::vector<std::string> expected = {
        "LOG pictures.inf: file \"" + d + "a.bmp\" loaded successfully.",
        "ERR pictures.inf: file \"" + d + "nothere.bmp\" not found!",
        "ERR pictures.inf: file \"" + d + "junk.bmp\" is not a readable bitmap!",
        "ERR pictures.inf: file \"" + d + "a.bmp\": invalid frame count 0!",
        "ERR pictures.inf: file \"" + d + "a.bmp\": invalid frame count 5!",
        "LOG pictures.inf: file \"" + d + "b.bmp\" loaded successfully.",
        "LOG pictures.inf: file \"" + d + "b.bmp\" loaded successfully.",
        "LOG pictures.inf: 3 files loaded.",
        std::string("BOX 3001 ") + TPictureLibrary::LoadErrorText,
    };
    EXPECT_EQ(log.Lines, expected);
    EXPECT_EQ(std::string(TPictureLibrary::LoadErrorText),
              "3001: At least one error occurred while processing the pictures.inf file. Some or all of the "
              "visual processes may not work correctly. Click on Help to get more info.");
}

TEST(VisPictures, EntryWithoutEqualsSignAndAbsolutePath) {
    TScratchDir dir;
    WriteBMP(dir.Path / "a.bmp", 4, 4, Checker);
    TPictureLibrary lib;
    TLoadLog log;
    EXPECT_FALSE(lib.LoadEntries({"noequals", "abs=" + dir.Str() + "a.bmp"}, "/nonexistent", log.Hooks()));
    EXPECT_EQ(lib.ALIASES, (std::vector<std::string>{"ABS"}));
    ASSERT_GE(log.Lines.size(), 1u);
    EXPECT_EQ(log.Lines[0], "ERR pictures.inf: \"=\" missing!");
    EXPECT_EQ(log.Lines[1], "LOG pictures.inf: file \"" + dir.Str() + "a.bmp\" loaded successfully.");
}

TEST(VisPictures, MissingCatalogueGivesEmptyLibraryNoBox) {
    TScratchDir dir;
    TPictureLibrary lib;
    TLoadLog log;
    EXPECT_TRUE(lib.Load(dir.Str(), log.Hooks()));
    EXPECT_EQ(lib.Count(), 0);
    EXPECT_EQ(log.Lines, (std::vector<std::string>{"LOG pictures.inf: 0 files loaded."}));
    // Data dir given without trailing separator works the same.
    WriteBMP(dir.Path / "a.bmp", 4, 4, Checker);
    WriteText(dir.Path / "pictures.inf", "[ALIASES]\nA=a.bmp\n");
    EXPECT_TRUE(lib.Load(dir.Path.string()));
    EXPECT_EQ(lib.Count(), 1);
}

TEST(VisPictures, DataDirectoryNextToTheExecutable) {
    TScratchDir dir;
    std::filesystem::create_directory(dir.Path / "DATA");
    SetExecutableDir(dir.Str());
    EXPECT_EQ(FindVisDataDir(), dir.Str() + "DATA/");
    SetExecutableDir("");
}
