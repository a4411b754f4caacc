// Project and file management of the IDE: the one open project, its IL files, the generated
// names, the modified flags, the save questions and the .plp project file. Widgets reach it
// through the command handlers (On...); everything it shows goes through IProjectPrompts.
#pragma once

#include "Main/ProjectInterfaces.h"
#include "PLCTypes/PLCTypes.h"
#include "Sim_ag/Breakpoints.h"

#include <string>
#include <vector>

namespace korvo {

inline constexpr const char* APPLICATION_TITLE = "Korvo";

// "noname01.il", "project07.plp": prefix, the counter's last two digits, extension.
std::string GeneratedName(const std::string& prefix, int counter, const std::string& ext);

class ProjectManager {
public:
    explicit ProjectManager(IProjectPrompts& prompts, TProjectServices services = {});
    ProjectManager(const ProjectManager&) = delete;
    ProjectManager& operator=(const ProjectManager&) = delete;

    // The editor view may be attached after construction; without one (korvo-cli) the view
    // steps are skipped and no tab is current.
    void SetEditorView(IEditorView* view) { FView = view; }

    TProjectDesc& Project() { return FProject; }
    // Breakpoints of the project's files: read with the project file, saved into it, cleared by
    // a new project, renamed with a file.
    TBreakpoints& Breakpoints() { return FBreakpoints; }
    const TProjectDesc& Project() const { return FProject; }

    // Number of standard library POUs at the head of the POU list: editor tab i shows POU
    // i + LibraryPOUCount(). Counted when the library is loaded.
    int LibraryPOUCount() const { return FLibCount; }
    int FileCount() const;         // project files (editor tabs)
    TPOUDesc* FilePOU(int FileNo); // POU of a tab, nullptr when out of range
    int POUIndexOfFile(int FileNo) const { return FileNo + FLibCount; }

    // Caption text: "Korvo - " + project file name; "Korvo" before the first project.
    std::string ProjectTitle() const;
    void UpdProjectTitle();

    // Project operations.
    void NewProject();
    void NewProjectNamed(const std::string& AName, bool NameValid);
    // True when the project was read; false after a message (missing or invalid file).
    bool OpenProject(const std::string& AFileName);
    // Listed files the last OpenProject could not add (resolved paths); the IDE says nothing
    // about them, korvo-cli warns.
    const std::vector<std::string>& SkippedFiles() const { return FSkippedFiles; }
    // False when a file dialog was cancelled or a file could not be written.
    bool SaveProject();
    // Writes the project file only (not the IL files). False after a message on failure.
    bool SaveProjectAs(const std::string& AFileName);
    bool CanCloseProject();

    // File operations. FileNo is an editor tab index, -1 for the current tab.
    void NewFile();
    // True when the file was added; a missing file adds nothing and says nothing.
    bool OpenFile(const std::string& AFileName);
    void RemoveFile(int FileNo);
    bool SaveFile(int FileNo);
    // False when there is no such tab or the file could not be written (after a message).
    bool SaveFileAs(int FileNo, const std::string& AFileName);
    bool CanCloseFile(int FileNo);

    // Command line after all windows exist (arguments without the program name).
    void RestoreDesktop(const std::vector<std::string>& args);

    // Command handlers of the File menu and tool bar.
    void OnNewProject();
    void OnOpenProject();
    void OnSaveProject();
    void OnSaveProjectAs();
    void OnAddNewFile();
    void OnAddOpenFile();
    void OnRemoveCloseFile();
    void OnSaveFile();
    void OnSaveFileAs();

    // Counters of the generated names; both start at 1 and are never reset.
    int UnnamedProjects = 1;
    int UnnamedFiles = 1;

private:
    TBreakpoints FBreakpoints;
    int CurrentTab() const;
    int ResolveFileNo(int FileNo) const; // -1 -> current tab; -1 when no such tab
    void TakeEditorText(TPOUDesc& pou);
    void RebuildView(int showTab);
    void ClearView();
    void ReleasePOUs();
    void LoadLibrary();
    void ResetSoftPLC();
    void Message(const std::string& text);

    IProjectPrompts& FPrompts;
    TProjectServices FServices;
    IEditorView* FView = nullptr;
    TProjectDesc FProject;
    int FLibCount = 0;
    std::vector<std::string> FSkippedFiles;
};

} // namespace korvo
