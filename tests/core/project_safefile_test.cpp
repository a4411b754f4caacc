// Text files: line splitting with any line ends, and saving through a temporary file that
// leaves the old file intact when the write fails.
#include "Main/SafeFile.h"
#include "ProjectFakes.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <sys/stat.h>

using namespace korvo;
using namespace korvo::testkit;
namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

TEST(SplitTextLines, AnyLineEnds) {
    struct Case {
        std::string text;
        Lines lines;
        TLineEnd end;
    } cases[] = {
        {"", {}, TLineEnd::LF},
        {"a", {"a"}, TLineEnd::LF},
        {"a\n", {"a"}, TLineEnd::LF},
        {"a\nb", {"a", "b"}, TLineEnd::LF},
        {"a\r\nb\r\n", {"a", "b"}, TLineEnd::CRLF},
        {"a\r\n\r\nb", {"a", "", "b"}, TLineEnd::CRLF},
        {"a\rb\r", {"a", "b"}, TLineEnd::LF},
        {"\n\n", {"", ""}, TLineEnd::LF},
        {"a\nb\r\nc", {"a", "b", "c"}, TLineEnd::LF}, // the first line end decides
        {"a\r\nb\nc", {"a", "b", "c"}, TLineEnd::CRLF},
        {"x\r", {"x"}, TLineEnd::LF},
        {std::string("n\0l\n", 4), {std::string("n\0l", 3)}, TLineEnd::LF},
    };
    for (const auto& c : cases) {
        TTextFile f = SplitTextLines(c.text);
        EXPECT_EQ(f.Lines, c.lines) << ::testing::PrintToString(c.text);
        EXPECT_EQ(f.LineEnd, c.end) << ::testing::PrintToString(c.text);
    }
}

TEST(JoinLines, EveryLineEnded) {
    EXPECT_EQ(JoinLines({}, TLineEnd::LF), "");
    EXPECT_EQ(JoinLines({"a", "", "b"}, TLineEnd::LF), "a\n\nb\n");
    EXPECT_EQ(JoinLines({"a", "b"}, TLineEnd::CRLF), "a\r\nb\r\n");
}

TEST(ReadTextFile, ReportsTheReason) {
    ScratchDir dir;
    TTextFile f;
    std::string error;
    EXPECT_FALSE(ReadTextFile(dir / "missing.il", f, error));
    EXPECT_EQ(error, "No such file or directory");
    EXPECT_FALSE(ReadTextFile(dir.str(), f, error));
    EXPECT_EQ(error, "Is a directory");
    dir.Write("ok.il", "L1\r\nL2\r\n");
    ASSERT_TRUE(ReadTextFile(dir / "ok.il", f, error));
    EXPECT_EQ(f.Lines, (Lines{"L1", "L2"}));
    EXPECT_EQ(f.LineEnd, TLineEnd::CRLF);
}

TEST(WriteFileAtomic, ReplacesAndLeavesNoTemporaryFile) {
    ScratchDir dir;
    std::string error;
    ASSERT_TRUE(WriteFileAtomic(dir / "a.il", "new\n", error)) << error;
    EXPECT_EQ(ReadAll(dir / "a.il"), "new\n");
    ASSERT_TRUE(WriteFileAtomic(dir / "a.il", "", error)) << error;
    EXPECT_EQ(ReadAll(dir / "a.il"), "");
    EXPECT_EQ(DirEntries(dir.str()), Lines{"a.il"});
}

TEST(WriteFileAtomic, PermissionsOfNewAndOldFiles) {
    ScratchDir dir;
    std::string error;
    mode_t mask = umask(022);
    ASSERT_TRUE(WriteFileAtomic(dir / "new.il", "x", error));
    umask(mask);
    EXPECT_EQ(fs::status(dir / "new.il").permissions(), fs::perms::owner_read | fs::perms::owner_write |
                                                            fs::perms::group_read | fs::perms::others_read);
    dir.Write("old.il", "old");
    fs::permissions(dir / "old.il", fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteFileAtomic(dir / "old.il", "new", error));
    EXPECT_EQ(fs::status(dir / "old.il").permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
}

TEST(WriteFileAtomic, FollowsASymbolicLink) {
    ScratchDir dir;
    dir.Write("real/main.il", "old\n");
    fs::create_symlink(dir / "real/main.il", dir / "link.il");
    std::string error;
    ASSERT_TRUE(WriteFileAtomic(dir / "link.il", "new\n", error)) << error;
    EXPECT_TRUE(fs::is_symlink(dir / "link.il"));
    EXPECT_EQ(ReadAll(dir / "real/main.il"), "new\n");
    EXPECT_EQ(DirEntries(dir / "real"), Lines{"main.il"});
}

TEST(WriteFileAtomic, FailuresLeaveTheOldFile) {
    ScratchDir dir;
    std::string error;
    dir.Write("file", "not a folder");
    EXPECT_FALSE(WriteFileAtomic(dir / "file/x.il", "x", error));
    EXPECT_EQ(error, "Not a directory");
    EXPECT_FALSE(WriteFileAtomic(dir / "missing/x.il", "x", error));
    EXPECT_EQ(error, "No such file or directory");
    fs::create_directory(dir / "folder.il");
    EXPECT_FALSE(WriteFileAtomic(dir / "folder.il", "x", error));
    EXPECT_EQ(error, "Is a directory");
    EXPECT_TRUE(fs::is_directory(dir / "folder.il"));
    EXPECT_FALSE(WriteFileAtomic("", "x", error));
    EXPECT_EQ(DirEntries(dir.str()), (Lines{"file", "folder.il"}));
}

TEST(WriteFileAtomic, FullDiskLeavesTheOldFile) {
    ScratchDir dir;
    std::string old(100, 'o');
    dir.Write("main.il", old);
    std::string error;
    bool ok;
    {
        FileSizeLimit disk(16);
        ok = WriteFileAtomic(dir / "main.il", std::string(64, 'n'), error);
    }
    EXPECT_FALSE(ok);
    EXPECT_EQ(error, "File too large");
    EXPECT_EQ(ReadAll(dir / "main.il"), old);
    EXPECT_EQ(DirEntries(dir.str()), Lines{"main.il"});
}
