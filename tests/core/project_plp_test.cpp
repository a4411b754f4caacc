// The .plp project file: exact text of a fresh file, round trip, relative paths, keeping
// foreign content and stale keys, Windows separators, letter case, and safe saving.
#include "Main/ProjectFile.h"
#include "Main/ProjectManager.h"
#include "ProjectFakes.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

using namespace korvo;
using namespace korvo::testkit;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

namespace {

// Saves a project holding the given IL files (paths relative to the scratch folder) as
// plpRel and returns the project file's path.
std::string SaveProjectWith(ScratchDir& dir, const std::string& plpRel, const Lines& files) {
    ProjectRig rig;
    rig.Manager.NewProject();
    for (const auto& f : files)
        EXPECT_TRUE(
            rig.Manager.OpenFile(dir.Write(f, "PROGRAM " + fs::path(f).stem().string() + "\nEND_PROGRAM\n")));
    rig.Manager.RemoveFile(0); // the new project's empty file
    std::string plp = dir / plpRel;
    fs::create_directories(fs::path(plp).parent_path());
    EXPECT_TRUE(rig.Manager.SaveProjectAs(plp));
    EXPECT_FALSE(rig.Project().Modified);
    return plp;
}

Lines OpenedFiles(const std::string& plp) {
    ProjectRig rig;
    EXPECT_TRUE(rig.Manager.OpenProject(plp));
    Lines names;
    for (int i = 0; i < rig.Manager.FileCount(); ++i)
        names.push_back(rig.Manager.FilePOU(i)->FileName);
    return names;
}

} // namespace

TEST(ProjectFile, FreshFileText) {
    ScratchDir dir;
    std::string plp = SaveProjectWith(dir, "demo.plp", {"main.il", "lib/timer.il"});
    EXPECT_EQ(ReadAll(plp),
              "[COMMON]\nID=MERLO19\nPOUCOUNT=2\n\n[POUFILENAMES]\nPOU0=main.il\nPOU1=lib/timer.il\n");
}

TEST(ProjectFile, RoundTrip) {
    ScratchDir dir;
    std::string plp =
        SaveProjectWith(dir, "proj/demo.plp", {"proj/main.il", "shared/fb/timer.il", "proj/sub/x.il"});
    EXPECT_EQ(ReadAll(plp), "[COMMON]\nID=MERLO19\nPOUCOUNT=3\n\n[POUFILENAMES]\nPOU0=main.il\n"
                            "POU1=../shared/fb/timer.il\nPOU2=sub/x.il\n");
    EXPECT_EQ(OpenedFiles(plp),
              (Lines{dir / "proj/main.il", dir / "shared/fb/timer.il", dir / "proj/sub/x.il"}));
}

TEST(ProjectFile, RelativePaths) {
    struct Case {
        const char* file;
        const char* project;
        const char* stored;
    } cases[] = {
        {"/w/main.il", "/w/demo.plp", "main.il"},
        {"/w/lib/t.il", "/w/demo.plp", "lib/t.il"},
        {"/w/t.il", "/w/proj/demo.plp", "../t.il"},
        {"/a/b/c.il", "/w/x/y/demo.plp", "../../../a/b/c.il"},
        {"/w/./lib/../t.il", "/w/demo.plp", "t.il"},
        {"/W/t.il", "/w/demo.plp", "../W/t.il"}, // folder names differ in case: different folders here
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProjectRelativePath(c.file, c.project), c.stored) << c.file;
}

TEST(ProjectFile, ResolvingStoredPaths) {
    struct Case {
        const char* stored;
        const char* resolved;
    } cases[] = {
        {"main.il", "/w/p/main.il"},
        {"lib\\timer.il", "/w/p/lib/timer.il"},
        {"..\\lib\\timer.il", "/w/lib/timer.il"},
        {"./a/../b.il", "/w/p/b.il"},
        {".\\sub\\.\\c.il", "/w/p/sub/c.il"},
        {"/abs/x.il", "/abs/x.il"},
        {"/abs/./y/../x.il", "/abs/x.il"},
        {"../../../../up.il", "/up.il"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolveProjectPath(c.stored, "/w/p/demo.plp"), c.resolved) << c.stored;
}

TEST(ProjectFile, WindowsProjectOpens) {
    ScratchDir dir;
    dir.Write("proj/main.il", "PROGRAM Main\nEND_PROGRAM\n");
    dir.Write("lib/timer.il", "FUNCTION_BLOCK Timer\nEND_FUNCTION_BLOCK\n");
    std::string plp =
        dir.Write("proj/demo.plp", "[COMMON]\r\nID=MERLO19\r\nPOUCOUNT=2\r\n\r\n[POUFILENAMES]\r\n"
                                   "POU0=main.il\r\nPOU1=..\\lib\\timer.il\r\n");
    ProjectRig rig;
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    EXPECT_EQ(rig.Manager.FilePOU(1)->FileName, dir / "lib/timer.il");
    EXPECT_FALSE(rig.Project().Modified);
    // Saved again: "/" separators, the file's CR LF line ends kept.
    ASSERT_TRUE(rig.Manager.SaveProjectAs(plp));
    EXPECT_EQ(ReadAll(plp), "[COMMON]\r\nID=MERLO19\r\nPOUCOUNT=2\r\n\r\n[POUFILENAMES]\r\n"
                            "POU0=main.il\r\nPOU1=../lib/timer.il\r\n");
}

TEST(ProjectFile, ForeignContentSurvivesSaving) {
    ScratchDir dir;
    dir.Write("main.il", "PROGRAM Main\nEND_PROGRAM\n");
    std::string plp = dir.Write("demo.plp", "; written by hand\n"
                                            "[common]\nAuthor=Jo\nid=MERLO10\nPOUCOUNT=1\n\n"
                                            "[Window]\nLeft=10\n\n"
                                            "[POUFILENAMES]\npou0=main.il\n");
    ProjectRig rig;
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    rig.Manager.NewFile();
    rig.Prompts.Choices = {dir / "second.il"};
    ASSERT_TRUE(rig.Manager.SaveProject());
    EXPECT_EQ(ReadAll(plp), "; written by hand\n\n" // kept as the file's comment
                            "[common]\nAuthor=Jo\nid=MERLO19\nPOUCOUNT=2\n\n"
                            "[Window]\nLeft=10\n\n"
                            "[POUFILENAMES]\npou0=main.il\nPOU1=second.il\n");
}

TEST(ProjectFile, StaleKeysStayAndAreIgnored) {
    ScratchDir dir;
    std::string plp = SaveProjectWith(dir, "demo.plp", {"a.il", "b.il"});
    {
        ProjectRig rig;
        ASSERT_TRUE(rig.Manager.OpenProject(plp));
        rig.Manager.RemoveFile(0);
        ASSERT_TRUE(rig.Manager.SaveProject());
    }
    EXPECT_EQ(ReadAll(plp), "[COMMON]\nID=MERLO19\nPOUCOUNT=1\n\n[POUFILENAMES]\nPOU0=b.il\nPOU1=b.il\n");
    EXPECT_EQ(OpenedFiles(plp), Lines{dir / "b.il"});
}

TEST(ProjectFile, CountValues) {
    ScratchDir dir;
    dir.Write("a.il", "PROGRAM A\nEND_PROGRAM\n");
    struct Case {
        const char* count;
        size_t files;
    } cases[] = {{"1", 1}, {"0", 0},  {"-3", 0},          {"abc", 0},
                 {"", 0},  {"1x", 0}, {"99999999999", 0}, {"2147483647", 1}};
    for (const auto& c : cases) {
        std::string plp = dir.Write("demo.plp", std::string("[COMMON]\nID=MERLO19\nPOUCOUNT=") + c.count +
                                                    "\n[POUFILENAMES]\nPOU0=a.il\n");
        TProjectFileData data;
        std::string error;
        auto start = std::chrono::steady_clock::now();
        ASSERT_TRUE(ReadProjectFile(plp, data, error));
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1));
        EXPECT_EQ(data.Files.size(), c.files) << c.count;
    }
}

TEST(ProjectFile, IdIsComparedExactly) {
    for (const char* id : {"MERLO10", "MERLO19"})
        EXPECT_TRUE(IsKnownProjectID(id));
    for (const char* id : {"", "merlo19", "MERLO20", "MERLO19 x"})
        EXPECT_FALSE(IsKnownProjectID(id)) << id;
}

TEST(ProjectFile, FailedSaveLeavesTheOldFile) {
    ScratchDir dir;
    std::string plp = SaveProjectWith(dir, "demo.plp", {"a.il"});
    std::string old = ReadAll(plp);
    ProjectRig rig;
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    rig.Manager.OpenFile(dir.Write("b.il", "FUNCTION_BLOCK B\nEND_FUNCTION_BLOCK\n"));
    bool saved;
    {
        FileSizeLimit disk(16); // the new text does not fit
        saved = rig.Manager.SaveProjectAs(plp);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(rig.Prompts.Messages(), Lines{"Cannot save project file '" + plp + "': File too large"});
    EXPECT_EQ(ReadAll(plp), old);
    EXPECT_TRUE(rig.Project().Modified);
    EXPECT_EQ(DirEntries(dir.str()), (Lines{"a.il", "b.il", "demo.plp"}));
}

TEST(ProjectFile, FailedIlSaveLeavesTheOldFile) {
    ScratchDir dir;
    std::string il = dir.Write("a.il", "PROGRAM A\nEND_PROGRAM\n");
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Manager.OpenFile(il);
    rig.View.Type({"PROGRAM A", std::string(100, ' ') + "LD TRUE", "END_PROGRAM"});
    bool saved;
    {
        FileSizeLimit disk(32);
        saved = rig.Manager.SaveFile(-1);
    }
    EXPECT_FALSE(saved);
    EXPECT_EQ(rig.Prompts.Messages(), Lines{"Cannot save file '" + il + "': File too large"});
    EXPECT_EQ(ReadAll(il), "PROGRAM A\nEND_PROGRAM\n");
    EXPECT_TRUE(rig.File(1).Modified);
    // A close now asks again and is refused when the save fails again.
    rig.Prompts.Answers = {TSaveAnswer::Yes};
    {
        FileSizeLimit disk(32);
        EXPECT_FALSE(rig.Manager.CanCloseFile(1));
    }
}
