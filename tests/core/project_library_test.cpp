// Project operations with the real compiler services: the standard library from the build
// folder, POU names and kinds read by the header scanner, and a compile after opening.
#include "Compiler/CompileDriver.h"
#include "Main/ProjectManager.h"
#include "Main/ProjectServices.h"
#include "ProjectFakes.h"

#include <gtest/gtest.h>

using namespace korvo;
using namespace korvo::testkit;
using Lines = std::vector<std::string>;

namespace {

const std::string kStdlib = std::string(KORVO_BIN_DIR) + "/standard.il";

struct RealRig {
    explicit RealRig(const std::string& lib = kStdlib) : Manager(Prompts, CompilerProjectServices(lib)) {}
    FakePrompts Prompts;
    ProjectManager Manager;
};

} // namespace

TEST(ProjectWithLibrary, NewProjectLoadsTheElevenFunctionBlocks) {
    RealRig rig;
    rig.Manager.NewProject();
    ASSERT_TRUE(rig.Prompts.Transcript.empty()) << rig.Prompts.Transcript.front();
    EXPECT_EQ(rig.Manager.LibraryPOUCount(), 11);
    Lines names;
    for (int i = 0; i < rig.Manager.LibraryPOUCount(); ++i) {
        const TPOUDesc& pou = *rig.Manager.Project().POUList[size_t(i)];
        EXPECT_TRUE(pou.Compiled);
        EXPECT_TRUE(pou.FileName.empty());
        names.push_back(UpperCase(pou.POUName));
    }
    Lines expected = {"CTD", "CTU", "CTUD", "F_TRIG", "R_TRIG", "RS", "RTC", "SR", "TOF", "TON", "TP"};
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(rig.Manager.FilePOU(0)->FileName, "noname01.il");
}

TEST(ProjectWithLibrary, OpenedProjectCompiles) {
    ScratchDir dir;
    dir.Write("main.il", "PROGRAM Main\r\nVAR\r\n  t1 : TON\r\nEND_VAR\r\n  CAL t1\r\nEND_PROGRAM\r\n");
    std::string plp =
        dir.Write("demo.plp", "[COMMON]\nID=MERLO19\nPOUCOUNT=1\n[POUFILENAMES]\nPOU0=main.il\n");
    RealRig rig;
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    EXPECT_TRUE(rig.Prompts.Transcript.empty());
    TPOUDesc& main = *rig.Manager.FilePOU(0);
    EXPECT_EQ(main.POUName, "Main");
    EXPECT_EQ(main.POUType, PTPROGRAM);
    EXPECT_EQ(rig.Manager.Project().MainPOU, 11);
    int32_t pou = -1, line = 0, col = 0;
    std::string msg;
    EXPECT_TRUE(Compile(rig.Manager.Project(), pou, line, col, msg)) << msg;
}

TEST(ProjectWithLibrary, MissingLibraryIsReported) {
    ScratchDir dir;
    RealRig rig(dir / "standard.il");
    rig.Manager.NewProject();
    EXPECT_EQ(rig.Prompts.Messages(),
              Lines{"Cannot read the standard library '" + (dir / "standard.il") + "'"});
    EXPECT_EQ(rig.Manager.LibraryPOUCount(), 0);
    EXPECT_EQ(rig.Manager.FileCount(), 1);
}
