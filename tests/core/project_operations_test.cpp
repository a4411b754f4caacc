// Project and file operations with scripted prompts and a fake editor view: generated names,
// modified flags, save questions, dialogs, the command line, and what ends up on disk.
#include "Main/ProjectManager.h"
#include "ProjectFakes.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace korvo;
using namespace korvo::testkit;
namespace fs = std::filesystem;

using Lines = std::vector<std::string>;

namespace {

const char* kNoMain = "message: ERROR: This Project has no Main-POU. It will not run correctly.";

} // namespace

TEST(GeneratedNames, TwoDigitsOfTheCounter) {
    struct Case {
        int counter;
        const char* name;
    } cases[] = {{1, "noname01.il"},   {9, "noname09.il"},   {12, "noname12.il"},  {99, "noname99.il"},
                 {100, "noname00.il"}, {123, "noname23.il"}, {1001, "noname01.il"}};
    for (const auto& c : cases)
        EXPECT_EQ(GeneratedName("noname", c.counter, ".il"), c.name) << c.counter;
}

TEST(GeneratedNames, HundredthProjectWrapsToZero) {
    ProjectRig rig;
    for (int i = 1; i <= 99; ++i)
        rig.Manager.NewProject();
    EXPECT_EQ(rig.Project().FileName, "project99.plp");
    rig.Manager.NewProject();
    EXPECT_EQ(rig.Project().FileName, "project00.plp");
    // Every new project brought one new file; the file counter ran along and wrapped too.
    EXPECT_EQ(rig.File(0).FileName, "noname00.il");
    rig.Manager.NewFile();
    EXPECT_EQ(rig.File(1).FileName, "noname01.il");
}

TEST(NewProject, StartWithoutArguments) {
    ProjectRig rig;
    rig.Manager.RestoreDesktop({});
    const TProjectDesc& p = rig.Project();
    EXPECT_EQ(p.FileType, TFileType::FTPLC);
    EXPECT_EQ(p.FileName, "project01.plp");
    EXPECT_FALSE(p.FNameValid);
    EXPECT_FALSE(p.Modified);
    EXPECT_EQ(p.MainPOU, -1);
    EXPECT_EQ(rig.Title, "Korvo - project01.plp");
    EXPECT_EQ(rig.View.Captions(), Lines{"noname01.il"});
    EXPECT_EQ(rig.View.Current, 0);
    EXPECT_EQ(rig.Resets, 1);
    ASSERT_EQ(p.POUList.size(), 12u); // 11 library POUs, then the file
    EXPECT_TRUE(p.POUList[10]->Compiled);
    EXPECT_FALSE(rig.File(0).FNameValid);
    EXPECT_TRUE(rig.Prompts.Transcript.empty());

    rig.Manager.OnAddNewFile();
    EXPECT_EQ(rig.View.Captions(), (Lines{"noname01.il", "noname02.il"}));
    EXPECT_EQ(rig.View.Current, 1);
    EXPECT_TRUE(p.Modified);
}

TEST(NewProject, TabOffsetFollowsTheLoadedLibrary) {
    for (int lib : {0, 3, 11}) {
        ProjectRig rig(lib);
        rig.Manager.NewProject();
        EXPECT_EQ(rig.Manager.LibraryPOUCount(), lib);
        EXPECT_EQ(rig.Manager.POUIndexOfFile(0), lib);
        EXPECT_EQ(rig.Manager.FilePOU(0), rig.Project().POUList[size_t(lib)].get());
        EXPECT_EQ(rig.View.Tabs, std::vector<int>{lib});
    }
}

TEST(NewProject, LibraryFailureIsReportedAndTheProjectStillWorks) {
    FakePrompts prompts;
    TProjectServices s;
    s.LoadStdFBs = [](TProjectDesc& p) {
        FakeLibrary(2)(p); // two POUs made it before the error
        throw std::runtime_error("Unknown identifier");
    };
    ProjectManager pm(prompts, s);
    pm.NewProject();
    EXPECT_EQ(prompts.Messages(), Lines{"Unknown identifier"});
    EXPECT_EQ(pm.LibraryPOUCount(), 2);
    EXPECT_EQ(pm.FileCount(), 1);
    EXPECT_EQ(pm.FilePOU(0)->FileName, "noname01.il");
}

TEST(NewProject, ReplacesEverythingOfTheOldProject) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Manager.OpenFile(dir.Write("main.il", "PROGRAM main\nEND_PROGRAM\n"));
    rig.Project().TypeList.push_back(std::make_unique<TTypeDesc>());
    rig.Project().Identifiers.push_back("MAIN");
    rig.Manager.NewProject();
    EXPECT_EQ(rig.Project().FileName, "project02.plp");
    EXPECT_EQ(rig.Project().POUList.size(), 12u);
    EXPECT_TRUE(rig.Project().TypeList.empty());
    EXPECT_EQ(rig.Project().MainPOU, -1);
    EXPECT_EQ(rig.View.Captions(), Lines{"noname02.il"});
}

// ---------------------------------------------------------------------------------------------
// Files

TEST(Files, NewFileTakesTheProjectFolder) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Prompts.Choices = {dir / "demo.plp", dir / "main.il"};
    ASSERT_TRUE(rig.Manager.SaveProject());
    rig.Manager.NewFile();
    EXPECT_EQ(rig.File(1).FileName, dir / "noname02.il");
    EXPECT_FALSE(fs::exists(dir / "noname02.il"));
    rig.Prompts.Choices = {std::nullopt};
    EXPECT_FALSE(rig.Manager.SaveFile(1));
    EXPECT_EQ(rig.Prompts.Transcript.back(),
              "dialog: Save IL file [" + (dir / "noname02.il") + "] -> cancel");
}

TEST(Files, OpenFileReadsTextNameAndKind) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    std::string path = dir.Write("lamp.il", "PROGRAM Lamp\r\n  LD %IX0.0\r\n  ST %QX0.0\r\nEND_PROGRAM\r\n");
    ASSERT_TRUE(rig.Manager.OpenFile(path));
    TPOUDesc& pou = rig.File(1);
    EXPECT_EQ(pou.FileName, path);
    EXPECT_TRUE(pou.FNameValid);
    EXPECT_FALSE(pou.Modified);
    EXPECT_TRUE(pou.CRLF);
    EXPECT_EQ(pou.POUText, (Lines{"PROGRAM Lamp", "  LD %IX0.0", "  ST %QX0.0", "END_PROGRAM"}));
    EXPECT_EQ(pou.POUName, "Lamp");
    EXPECT_EQ(pou.POUType, PTPROGRAM);
    EXPECT_EQ(rig.Project().MainPOU, 12);
    EXPECT_TRUE(rig.Project().Modified);
    EXPECT_EQ(rig.View.Current, 1);
    EXPECT_EQ(rig.View.Text, pou.POUText);
}

TEST(Files, SecondProgramIsAddedWithAWarning) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    std::string a = dir.Write("a.il", "PROGRAM A\nEND_PROGRAM\n");
    std::string b = dir.Write("b.il", "program B\nEND_PROGRAM\n");
    rig.Manager.OpenFile(a);
    rig.Manager.OpenFile(b);
    rig.Manager.OpenFile(a); // the same file may be added twice
    EXPECT_EQ(rig.Prompts.Messages(),
              Lines(2, "There is more than one PROGRAM-POU. The first one will be used as the Main POU."));
    EXPECT_EQ(rig.Project().MainPOU, 12);
    EXPECT_EQ(rig.Manager.FileCount(), 4);
}

TEST(Files, MissingFileAddsNothingAndSaysNothing) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    EXPECT_FALSE(rig.Manager.OpenFile(dir / "nothing.il"));
    EXPECT_EQ(rig.Manager.FileCount(), 1);
    EXPECT_FALSE(rig.Project().Modified);
    EXPECT_TRUE(rig.Prompts.Transcript.empty());
}

TEST(Files, UnreadableFileIsReported) {
    ScratchDir dir;
    fs::create_directory(dir / "folder.il");
    ProjectRig rig;
    rig.Manager.NewProject();
    EXPECT_FALSE(rig.Manager.OpenFile(dir / "folder.il"));
    EXPECT_EQ(rig.Prompts.Messages(),
              Lines{"Cannot read file '" + (dir / "folder.il") + "': Is a directory"});
    EXPECT_EQ(rig.Manager.FileCount(), 1);
}

TEST(Files, LetterCaseOfTheDiskEntryWins) {
    ScratchDir dir;
    dir.Write("Lib/Timer.il", "FUNCTION_BLOCK Timer\nEND_FUNCTION_BLOCK\n");
    ProjectRig rig;
    rig.Manager.NewProject();
    ASSERT_TRUE(rig.Manager.OpenFile(dir / "lib/TIMER.IL"));
    EXPECT_EQ(rig.File(1).FileName, dir / "Lib/Timer.il");
}

TEST(Files, RemoveCurrentShowsTheNextFile) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Manager.OpenFile(dir.Write("a.il", "a\n"));
    rig.Manager.OpenFile(dir.Write("b.il", "b\n"));
    rig.View.ShowFile(1);
    rig.Project().Modified = false;
    rig.Manager.OnRemoveCloseFile();
    EXPECT_EQ(rig.View.Captions(), (Lines{"noname01.il", "b.il"}));
    EXPECT_EQ(rig.View.Current, 1);
    EXPECT_EQ(rig.View.Text, Lines{"b"});
    EXPECT_TRUE(rig.Project().Modified);
    EXPECT_TRUE(fs::exists(dir / "a.il"));
    EXPECT_TRUE(rig.Prompts.Transcript.empty()); // no save question
}

TEST(Files, RemoveLastTabLeavesNoTabCurrent) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Manager.OpenFile(dir.Write("a.il", "a\n"));
    rig.Manager.RemoveFile(-1);
    EXPECT_EQ(rig.View.Captions(), Lines{"noname01.il"});
    EXPECT_EQ(rig.View.Current, -1);
    EXPECT_TRUE(rig.View.Text.empty());
    // Without a current tab the remove command does nothing.
    rig.Manager.OnRemoveCloseFile();
    EXPECT_EQ(rig.Manager.FileCount(), 1);
}

TEST(Files, RemoveOnlyFileBringsANewOne) {
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Manager.RemoveFile(0);
    EXPECT_EQ(rig.View.Captions(), Lines{"noname02.il"});
    EXPECT_EQ(rig.View.Current, 0);
    EXPECT_TRUE(rig.Project().Modified);
}

TEST(Files, RemovingAModifiedTabKeepsOtherTextsIntact) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Manager.OpenFile(dir.Write("a.il", "a\n"));
    rig.Manager.OpenFile(dir.Write("b.il", "b\n"));
    rig.View.ShowFile(1);
    rig.View.Type({"edited a"});
    rig.Manager.RemoveFile(-1);
    EXPECT_EQ(rig.File(1).POUText, Lines{"b"});
    EXPECT_FALSE(rig.File(1).Modified);
    EXPECT_EQ(rig.View.Text, Lines{"b"});
}

TEST(Files, RemoveKeepsTheMainProgramIndexValid) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Manager.OpenFile(dir.Write("fb.il", "FUNCTION_BLOCK F\nEND_FUNCTION_BLOCK\n"));
    rig.Manager.OpenFile(dir.Write("main.il", "PROGRAM M\nEND_PROGRAM\n"));
    ASSERT_EQ(rig.Project().MainPOU, 13);
    rig.Manager.RemoveFile(0); // a file before the program
    EXPECT_EQ(rig.Project().MainPOU, 12);
    rig.Manager.RemoveFile(1); // the program itself
    EXPECT_EQ(rig.Project().MainPOU, -1);
    // A new program is now the main one, without the second-program warning.
    rig.Manager.OpenFile(dir / "main.il");
    EXPECT_EQ(rig.Project().MainPOU, 12);
    EXPECT_TRUE(rig.Prompts.Transcript.empty());
}

TEST(Files, SaveFileAsTakesTheEditorTextAndRenames) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.View.Type({"PROGRAM P", "END_PROGRAM"});
    ASSERT_TRUE(rig.Manager.SaveFileAs(-1, dir / "p.il"));
    EXPECT_EQ(ReadAll(dir / "p.il"), "PROGRAM P\nEND_PROGRAM\n");
    EXPECT_EQ(rig.File(0).FileName, dir / "p.il");
    EXPECT_TRUE(rig.File(0).FNameValid);
    EXPECT_FALSE(rig.File(0).Modified);
    EXPECT_FALSE(rig.View.Modified);
    EXPECT_TRUE(rig.Project().Modified); // the name changed
    EXPECT_EQ(rig.View.Captions(), Lines{"p.il"});
    EXPECT_EQ(rig.View.Current, 0);

    // Same name again: the file is written, the project flag is left alone.
    rig.Project().Modified = false;
    ASSERT_TRUE(rig.Manager.SaveFile(-1));
    EXPECT_FALSE(rig.Project().Modified);
}

TEST(Files, SaveKeepsTheLineEndsOfTheFile) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Manager.OpenFile(dir.Write("dos.il", "PROGRAM D\r\nEND_PROGRAM"));
    rig.Manager.OpenFile(dir.Write("unix.il", "PROGRAM U\nEND_PROGRAM\n"));
    rig.View.ShowFile(1);
    rig.View.Type({"PROGRAM D", "  LD TRUE", "END_PROGRAM"});
    ASSERT_TRUE(rig.Manager.SaveFile(1));
    ASSERT_TRUE(rig.Manager.SaveFile(2));
    EXPECT_EQ(ReadAll(dir / "dos.il"), "PROGRAM D\r\n  LD TRUE\r\nEND_PROGRAM\r\n");
    EXPECT_EQ(ReadAll(dir / "unix.il"), "PROGRAM U\nEND_PROGRAM\n");
}

TEST(Files, FailedSaveKeepsFileAndFlags) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    dir.Write("blocker", "a file where a folder should be");
    std::string target = dir / "blocker/p.il";
    rig.View.Type({"PROGRAM P"});
    EXPECT_FALSE(rig.Manager.SaveFileAs(0, target));
    EXPECT_EQ(rig.Prompts.Messages(), Lines{"Cannot save file '" + target + "': Not a directory"});
    EXPECT_EQ(rig.File(0).FileName, "noname01.il");
    EXPECT_FALSE(rig.File(0).FNameValid);
    EXPECT_TRUE(rig.File(0).Modified); // the edit is kept, still unsaved
    EXPECT_EQ(rig.File(0).POUText, Lines{"PROGRAM P"});
}

TEST(Files, SaveFileWithoutSuchTabDoesNothing) {
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.View.ShowFile(-1);
    EXPECT_TRUE(rig.Manager.SaveFile(-1));
    EXPECT_TRUE(rig.Manager.SaveFile(5));
    EXPECT_FALSE(rig.Manager.SaveFileAs(5, "x.il"));
    rig.Manager.OnSaveFileAs(); // no current tab: no dialog
    EXPECT_TRUE(rig.Prompts.Transcript.empty());
}

// ---------------------------------------------------------------------------------------------
// Save questions

struct CloseFileCase {
    const char* name;
    bool edited;
    std::vector<TSaveAnswer> answers;
    std::vector<std::optional<std::string>> choices; // relative to the scratch folder
    bool result;
    bool written;
    bool modifiedAfter;
};

class CanCloseFileTest : public ::testing::TestWithParam<CloseFileCase> {};

TEST_P(CanCloseFileTest, Answers) {
    const auto& c = GetParam();
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    if (c.edited)
        rig.View.Type({"PROGRAM P"});
    rig.Prompts.Answers.assign(c.answers.begin(), c.answers.end());
    for (const auto& ch : c.choices)
        rig.Prompts.Choices.push_back(ch ? std::optional<std::string>(dir / *ch) : std::nullopt);
    EXPECT_EQ(rig.Manager.CanCloseFile(0), c.result);
    EXPECT_EQ(fs::exists(dir / "p.il"), c.written);
    EXPECT_EQ(rig.File(0).Modified, c.modifiedAfter);
    EXPECT_TRUE(rig.Prompts.Answers.empty() && rig.Prompts.Choices.empty());
    if (c.edited) {
        ASSERT_FALSE(rig.Prompts.Transcript.empty());
        EXPECT_EQ(rig.Prompts.Transcript.front().substr(0, 40), "ask: Save changes to file 'noname01.il'?");
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CanCloseFileTest,
    ::testing::Values(CloseFileCase{"Unchanged", false, {}, {}, true, false, false},
                      CloseFileCase{"YesSaves", true, {TSaveAnswer::Yes}, {"p.il"}, true, true, false},
                      CloseFileCase{
                          "YesDialogCancelled", true, {TSaveAnswer::Yes}, {std::nullopt}, false, false, true},
                      CloseFileCase{"NoKeepsChanges", true, {TSaveAnswer::No}, {}, true, false, true},
                      CloseFileCase{"Cancel", true, {TSaveAnswer::Cancel}, {}, false, false, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CanCloseProject, CancelForOneFileStillAsksTheOthers) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.View.Type({"first"});
    rig.Manager.NewFile();
    rig.View.Type({"second"});
    rig.Prompts.Answers = {TSaveAnswer::Cancel, TSaveAnswer::No, TSaveAnswer::No};
    EXPECT_FALSE(rig.Manager.CanCloseProject());
    EXPECT_EQ(rig.Prompts.Transcript, (Lines{"ask: Save changes to file 'noname01.il'? -> Cancel",
                                             "ask: Save changes to file 'noname02.il'? -> No",
                                             "ask: Save changes to project 'project01.plp'? -> No"}));
    // Nothing was lost: both texts are in their POUs.
    EXPECT_EQ(rig.File(0).POUText, Lines{"first"});
    EXPECT_EQ(rig.File(1).POUText, Lines{"second"});
}

TEST(CanCloseProject, UnchangedProjectClosesSilently) {
    ProjectRig rig;
    rig.Manager.NewProject();
    EXPECT_TRUE(rig.Manager.CanCloseProject());
    EXPECT_TRUE(rig.Prompts.Transcript.empty());
}

TEST(CanCloseProject, YesSavesFilesThenProject) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Manager.NewFile();
    rig.Prompts.Answers = {TSaveAnswer::Yes};
    rig.Prompts.Choices = {dir / "demo.plp", dir / "a.il", dir / "b.il"};
    EXPECT_TRUE(rig.Manager.CanCloseProject());
    EXPECT_EQ(rig.Prompts.Transcript, (Lines{"ask: Save changes to project 'project01.plp'? -> Yes",
                                             "dialog: Save project [project01.plp] -> " + (dir / "demo.plp"),
                                             "dialog: Save IL file [noname01.il] -> " + (dir / "a.il"),
                                             "dialog: Save IL file [noname02.il] -> " + (dir / "b.il")}));
    EXPECT_EQ(ReadAll(dir / "demo.plp"),
              "[COMMON]\nID=MERLO19\nPOUCOUNT=2\n\n[POUFILENAMES]\nPOU0=a.il\nPOU1=b.il\n");
    EXPECT_FALSE(rig.Project().Modified);
    EXPECT_EQ(rig.Title, "Korvo - " + (dir / "demo.plp"));
}

struct SaveProjectCase {
    const char* name;
    std::vector<std::optional<std::string>> choices;
    bool result;
    bool projectWritten;
    bool fileWritten;
};

class SaveProjectTest : public ::testing::TestWithParam<SaveProjectCase> {};

TEST_P(SaveProjectTest, DialogsInOrder) {
    const auto& c = GetParam();
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    for (const auto& ch : c.choices)
        rig.Prompts.Choices.push_back(ch ? std::optional<std::string>(dir / *ch) : std::nullopt);
    EXPECT_EQ(rig.Manager.SaveProject(), c.result);
    EXPECT_EQ(fs::exists(dir / "demo.plp"), c.projectWritten);
    EXPECT_EQ(fs::exists(dir / "main.il"), c.fileWritten);
    EXPECT_EQ(rig.Project().FNameValid, c.projectWritten);
    EXPECT_EQ(rig.Project().FileName, c.projectWritten ? dir / "demo.plp" : "project01.plp");
    EXPECT_EQ(rig.Prompts.Transcript.size(), c.choices.size());
    EXPECT_EQ(rig.Prompts.Transcript[0].substr(0, 36), "dialog: Save project [project01.plp]");
}

INSTANTIATE_TEST_SUITE_P(
    Table, SaveProjectTest,
    ::testing::Values(SaveProjectCase{"ProjectDialogCancelled", {std::nullopt}, false, false, false},
                      SaveProjectCase{"FileDialogCancelled", {"demo.plp", std::nullopt}, false, false, false},
                      SaveProjectCase{"Both", {"demo.plp", "main.il"}, true, true, true}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(SaveProject, NamedProjectAsksNothingAndWritesEveryFile) {
    ScratchDir dir;
    std::string plp =
        dir.Write("demo.plp", "[COMMON]\nID=MERLO19\nPOUCOUNT=1\n\n[POUFILENAMES]\nPOU0=main.il\n");
    dir.Write("main.il", "PROGRAM M\nEND_PROGRAM\n");
    ProjectRig rig;
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    fs::remove(dir / "main.il");
    EXPECT_TRUE(rig.Manager.SaveProject()); // unmodified files are written too
    EXPECT_EQ(ReadAll(dir / "main.il"), "PROGRAM M\nEND_PROGRAM\n");
    EXPECT_TRUE(rig.Prompts.Transcript.empty());
}

TEST(SaveProject, SaveAsCancelledKeepsTheName) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Prompts.Choices = {dir / "demo.plp", dir / "main.il"};
    rig.Manager.OnSaveProjectAs();
    ASSERT_TRUE(rig.Project().FNameValid);
    rig.Prompts.Choices = {std::nullopt};
    rig.Manager.OnSaveProjectAs();
    EXPECT_TRUE(rig.Project().FNameValid);
    EXPECT_EQ(rig.Project().FileName, dir / "demo.plp");
    EXPECT_EQ(rig.Prompts.Transcript.back(), "dialog: Save project [" + (dir / "demo.plp") + "] -> cancel");
    // Confirmed: a second project file, the IL files written again.
    rig.Prompts.Choices = {dir / "copy.plp"};
    rig.Manager.OnSaveProjectAs();
    EXPECT_EQ(rig.Project().FileName, dir / "copy.plp");
    EXPECT_TRUE(fs::exists(dir / "copy.plp"));
}

TEST(SaveProject, FailedWriteReportsAndKeepsState) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    dir.Write("blocker", "");
    rig.Prompts.Choices = {dir / "blocker/demo.plp", dir / "main.il"};
    EXPECT_FALSE(rig.Manager.SaveProject());
    EXPECT_EQ(rig.Prompts.Messages(),
              Lines{"Cannot save project file '" + (dir / "blocker/demo.plp") + "': Not a directory"});
    EXPECT_EQ(rig.Project().FileName, "project01.plp");
    EXPECT_FALSE(rig.Project().FNameValid);
    EXPECT_TRUE(rig.Project().Modified); // the file got a name
}

// ---------------------------------------------------------------------------------------------
// Opening projects

TEST(OpenProject, MissingOrInvalidLeavesTheProjectAlone) {
    ScratchDir dir;
    std::string lower = dir.Write("lower.plp", "[COMMON]\nID=merlo19\nPOUCOUNT=0\n");
    std::string none = dir.Write("none.plp", "[OTHER]\nID=MERLO19\n");
    std::string folder = dir / "folder.plp";
    fs::create_directory(folder);
    struct Case {
        std::string file;
        std::string message;
    } cases[] = {{dir / "missing.plp", "File '" + (dir / "missing.plp") + "' not found!"},
                 {lower, "The file '" + lower + "' is not a valid PLC Project File."},
                 {none, "The file '" + none + "' is not a valid PLC Project File."},
                 {folder, "The file '" + folder + "' is not a valid PLC Project File."}};
    for (const auto& c : cases) {
        ProjectRig rig;
        rig.Manager.NewProject();
        rig.Manager.NewFile();
        EXPECT_FALSE(rig.Manager.OpenProject(c.file));
        EXPECT_EQ(rig.Prompts.Messages(), Lines{c.message});
        EXPECT_EQ(rig.Project().FileName, "project01.plp");
        EXPECT_EQ(rig.View.Captions(), (Lines{"noname01.il", "noname02.il"}));
        EXPECT_TRUE(rig.Project().Modified);
    }
}

TEST(OpenProject, OpensListedFilesInOrder) {
    ScratchDir dir;
    dir.Write("src/main.il", "PROGRAM Main\nEND_PROGRAM\n");
    dir.Write("lib/blink.il", "FUNCTION_BLOCK Blink\nEND_FUNCTION_BLOCK\n");
    std::string plp = dir.Write(
        "proj/demo.plp",
        "[COMMON]\nID=MERLO10\nPOUCOUNT=2\n\n[POUFILENAMES]\nPOU0=../src/main.il\nPOU1=..\\lib\\blink.il\n");
    ProjectRig rig;
    rig.Manager.NewProject();
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    const TProjectDesc& p = rig.Project();
    EXPECT_EQ(p.FileName, plp);
    EXPECT_TRUE(p.FNameValid);
    EXPECT_FALSE(p.Modified);
    EXPECT_EQ(p.MainPOU, 11);
    EXPECT_EQ(rig.Manager.FilePOU(0)->FileName, dir / "src/main.il");
    EXPECT_EQ(rig.Manager.FilePOU(1)->FileName, dir / "lib/blink.il");
    EXPECT_EQ(rig.View.Captions(), (Lines{"main.il", "blink.il"}));
    EXPECT_EQ(rig.View.Current, 0);
    EXPECT_EQ(rig.Title, "Korvo - " + plp);
    EXPECT_EQ(rig.Resets, 2);
    EXPECT_TRUE(rig.Prompts.Transcript.empty());
}

TEST(OpenProject, EveryListedFileMissing) {
    ScratchDir dir;
    std::string plp =
        dir.Write("demo.plp", "[COMMON]\nID=MERLO19\nPOUCOUNT=2\n[POUFILENAMES]\nPOU0=a.il\nPOU1=b.il\n");
    ProjectRig rig;
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    EXPECT_EQ(rig.Manager.FileCount(), 0);
    EXPECT_EQ(rig.Manager.SkippedFiles(), (Lines{dir / "a.il", dir / "b.il"}));
    EXPECT_EQ(rig.View.TabCount(), 0);
    EXPECT_TRUE(rig.Project().Modified);
    // No message about the files; only the missing program is reported.
    EXPECT_EQ(rig.Prompts.Transcript, Lines{kNoMain});
}

TEST(OpenProject, LetterCaseMismatchMarksModified) {
    ScratchDir dir;
    dir.Write("main.il", "PROGRAM Main\nEND_PROGRAM\n");
    std::string plp =
        dir.Write("demo.plp", "[common]\nid=MERLO19\npoucount=1\n[poufilenames]\npou0=Main.IL\n");
    ProjectRig rig;
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    EXPECT_EQ(rig.Manager.FilePOU(0)->FileName, dir / "main.il");
    EXPECT_TRUE(rig.Project().Modified);
}

TEST(OpenProject, EmptyEntriesAndStaleKeys) {
    ScratchDir dir;
    dir.Write("a.il", "PROGRAM A\nEND_PROGRAM\n");
    dir.Write("b.il", "FUNCTION_BLOCK B\nEND_FUNCTION_BLOCK\n");
    std::string plp = dir.Write(
        "demo.plp", "[COMMON]\nID=MERLO19\nPOUCOUNT=3\n[POUFILENAMES]\nPOU0=a.il\nPOU2=\nPOU3=b.il\n");
    ProjectRig rig;
    ASSERT_TRUE(rig.Manager.OpenProject(plp));
    EXPECT_EQ(rig.View.Captions(), Lines{"a.il"});
    EXPECT_FALSE(rig.Project().Modified); // skipped entries are not a mismatch
}

// ---------------------------------------------------------------------------------------------
// Command line

TEST(RestoreDesktop, IlFileBecomesTheOnlyFile) {
    ScratchDir dir;
    std::string il = dir.Write("Demo.IL", "PROGRAM Demo\nEND_PROGRAM\n");
    ProjectRig rig;
    rig.Manager.RestoreDesktop({il});
    EXPECT_EQ(rig.View.Captions(), Lines{"Demo.IL"});
    EXPECT_EQ(rig.Project().FileName, "project01.plp");
    EXPECT_TRUE(rig.Project().Modified);
    rig.Prompts.Answers = {TSaveAnswer::No};
    EXPECT_TRUE(rig.Manager.CanCloseProject());
    EXPECT_EQ(rig.Prompts.Transcript, Lines{"ask: Save changes to project 'project01.plp'? -> No"});
}

TEST(RestoreDesktop, Arguments) {
    ScratchDir dir;
    dir.Write("main.il", "PROGRAM Main\nEND_PROGRAM\n");
    std::string plp =
        dir.Write("Demo.PLP", "[COMMON]\nID=MERLO19\nPOUCOUNT=1\n[POUFILENAMES]\nPOU0=main.il\n");
    std::string missingPlp = dir / "gone.plp";
    struct Case {
        std::vector<std::string> args;
        std::string fileName;
        Lines captions;
        Lines transcript;
    } cases[] = {
        {{}, "project01.plp", {"noname01.il"}, {}},
        {{plp}, plp, {"main.il"}, {}},
        {{plp, "extra"}, "project01.plp", {"noname01.il"}, {}},
        {{dir / "missing.il"}, "project01.plp", {"noname02.il"}, {}},
        {{"notes.txt"},
         "project01.plp",
         {"noname01.il"},
         {"message: Error: File specified on commandline isn't plp or il: notes.txt"}},
        {{"/log"}, "project01.plp", {"noname01.il"}, {}},
        {{"/ERRORLOG"}, "project01.plp", {"noname01.il"}, {}},
        {{missingPlp}, "project01.plp", {"noname01.il"}, {"message: File '" + missingPlp + "' not found!"}},
    };
    for (const auto& c : cases) {
        ProjectRig rig;
        rig.Manager.RestoreDesktop(c.args);
        EXPECT_EQ(rig.Project().FileName, c.fileName) << c.args.size();
        EXPECT_EQ(rig.View.Captions(), c.captions) << c.fileName;
        EXPECT_EQ(rig.Prompts.Transcript, c.transcript);
    }
}

TEST(RestoreDesktop, RelativeArgumentIsExpanded) {
    ScratchDir dir;
    dir.Write("main.il", "PROGRAM Main\nEND_PROGRAM\n");
    auto old = fs::current_path();
    fs::current_path(dir.str());
    ProjectRig rig;
    rig.Manager.RestoreDesktop({"./sub/../main.il"});
    fs::current_path(old);
    EXPECT_EQ(rig.Manager.FilePOU(0)->FileName, dir / "main.il");
}

// ---------------------------------------------------------------------------------------------
// Command handlers

TEST(Handlers, OpenProjectAsksBeforeReplacing) {
    ScratchDir dir;
    dir.Write("main.il", "PROGRAM Main\nEND_PROGRAM\n");
    std::string plp =
        dir.Write("demo.plp", "[COMMON]\nID=MERLO19\nPOUCOUNT=1\n[POUFILENAMES]\nPOU0=main.il\n");
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Manager.NewFile();

    rig.Prompts.Choices = {std::nullopt};
    rig.Manager.OnOpenProject(); // dialog cancelled: no question
    rig.Prompts.Choices = {plp};
    rig.Prompts.Answers = {TSaveAnswer::Cancel};
    rig.Manager.OnOpenProject(); // refused
    EXPECT_EQ(rig.Project().FileName, "project01.plp");
    rig.Prompts.Choices = {plp};
    rig.Prompts.Answers = {TSaveAnswer::No};
    rig.Manager.OnOpenProject();
    EXPECT_EQ(rig.Project().FileName, plp);
    EXPECT_EQ(
        rig.Prompts.Transcript,
        (Lines{"dialog: Open project [] -> cancel", "dialog: Open project [] -> " + plp,
               "ask: Save changes to project 'project01.plp'? -> Cancel", "dialog: Open project [] -> " + plp,
               "ask: Save changes to project 'project01.plp'? -> No"}));
}

TEST(Handlers, NewProjectAndAddFile) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.View.Type({"x"});
    rig.Prompts.Answers = {TSaveAnswer::Cancel};
    rig.Manager.OnNewProject();
    EXPECT_EQ(rig.Project().FileName, "project01.plp");
    rig.Prompts.Answers = {TSaveAnswer::No};
    rig.Manager.OnNewProject();
    EXPECT_EQ(rig.Project().FileName, "project02.plp");

    std::string il = dir.Write("a.il", "a\n");
    rig.Prompts.Choices = {std::nullopt, il};
    rig.Manager.OnAddOpenFile();
    EXPECT_EQ(rig.Manager.FileCount(), 1);
    rig.Manager.OnAddOpenFile();
    EXPECT_EQ(rig.View.Captions(), (Lines{"noname02.il", "a.il"}));
}

TEST(Handlers, SaveFileAsPresetsTheCurrentName) {
    ScratchDir dir;
    ProjectRig rig;
    rig.Manager.NewProject();
    rig.Prompts.Choices = {std::nullopt, dir / "x.il"};
    rig.Manager.OnSaveFileAs();
    EXPECT_FALSE(fs::exists(dir / "x.il"));
    rig.Manager.OnSaveFileAs();
    EXPECT_TRUE(fs::exists(dir / "x.il"));
    EXPECT_EQ(rig.Prompts.Transcript, (Lines{"dialog: Save IL file [noname01.il] -> cancel",
                                             "dialog: Save IL file [noname01.il] -> " + (dir / "x.il")}));
}

TEST(Handlers, WorkWithoutAnEditorView) {
    ScratchDir dir;
    dir.Write("main.il", "PROGRAM Main\nEND_PROGRAM\n");
    std::string plp =
        dir.Write("demo.plp", "[COMMON]\nID=MERLO19\nPOUCOUNT=1\n[POUFILENAMES]\nPOU0=main.il\n");
    FakePrompts prompts;
    TProjectServices s;
    s.LoadStdFBs = FakeLibrary(11);
    s.GetPOUType = FakePOUType;
    ProjectManager pm(prompts, s);
    EXPECT_EQ(pm.ProjectTitle(), "Korvo");
    ASSERT_TRUE(pm.OpenProject(plp));
    EXPECT_EQ(pm.Project().MainPOU, 11);
    pm.RemoveFile(-1); // no current tab
    EXPECT_EQ(pm.FileCount(), 1);
    EXPECT_TRUE(pm.SaveProjectAs(dir / "copy.plp"));
    EXPECT_TRUE(prompts.Transcript.empty());
}
