// A project file naming a device or a FIFO as one of its IL files: opening the project read
// /dev/zero without end (memory grew until the process died) and blocked forever on a FIFO
// without a writer. Only regular files are read now; the others are skipped like missing ones.
#include "Main/ProjectFile.h"
#include "Main/SafeFile.h"
#include "ProjectFakes.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <chrono>

using namespace korvo;
using namespace korvo::testkit;

TEST(RegressionPlpDeviceFile, OnlyRegularFilesAreRead) {
    ScratchDir dir;
    const std::string fifo = dir / "pipe.il";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    struct Case {
        std::string Path;
        const char* Error;
    } cases[] = {
        {"/dev/zero", "Not a regular file"}, {fifo, "Not a regular file"}, {dir.str(), "Is a directory"}};
    for (const Case& c : cases) {
        std::string content = "old", error;
        EXPECT_FALSE(ReadFileBytes(c.Path, content, error)) << c.Path;
        EXPECT_EQ(error, c.Error) << c.Path;
        EXPECT_EQ(content, "") << c.Path;
    }
    std::string content, error;
    EXPECT_TRUE(ReadFileBytes(dir.Write("a.il", "PROGRAM A\r\nEND_PROGRAM\r\n"), content, error)) << error;
    EXPECT_EQ(content, "PROGRAM A\r\nEND_PROGRAM\r\n");
}

TEST(RegressionPlpDeviceFile, ProjectListingDevicesOpensWithTheRegularFilesOnly) {
    ScratchDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe.il").c_str(), 0600), 0);
    dir.Write("main.il", "PROGRAM MAIN\nEND_PROGRAM\n");
    const std::string plp =
        dir.Write("p.plp", "[COMMON]\nID=MERLO19\nPOUCOUNT=4\n[POUFILENAMES]\n"
                           "POU0=/dev/zero\nPOU1=pipe.il\nPOU2=main.il\nPOU3=/dev/stdin\n");
    ProjectRig rig;
    const auto start = std::chrono::steady_clock::now();
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    ASSERT_EQ(rig.Manager.FileCount(), 1);
    EXPECT_EQ(rig.File(0).FileName, dir / "main.il");
    EXPECT_EQ(rig.Manager.SkippedFiles().size(), 3u);
}
