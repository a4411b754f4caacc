// Project and file operations of the IDE.
#include "Main/ProjectManager.h"

#include "Main/ProjectFile.h"
#include "Main/SafeFile.h"

#include <algorithm>
#include <exception>
#include <filesystem>
#include <optional>

namespace fs = std::filesystem;

namespace korvo {

namespace {

const TFileDialogDesc kDialogs[] = {
    {TFileDialogKind::OpenProject, "Open project", ".plp", "Project files|*.plp|All files|*", false},
    {TFileDialogKind::SaveProject, "Save project", ".plp", "Project files|*.plp|All files|*", true},
    {TFileDialogKind::OpenFile, "Open IL file", ".il", "Instruction List files|*.il|All files|*", false},
    {TFileDialogKind::SaveFile, "Save IL file", ".il", "Instruction List files|*.il|All files|*", true},
};

std::string LowerExtension(const std::string& name) {
    std::string ext = fs::path(name).extension().string();
    for (char& c : ext)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    return ext;
}

std::string ExpandFileName(const std::string& name) {
    std::error_code ec;
    fs::path p = fs::absolute(name, ec);
    if (ec)
        p = name;
    return p.lexically_normal().string();
}

// The path of an existing directory entry for name. Where a component does not exist as
// spelled, the directory is searched for an entry equal to it in any letter case (the first
// in name order), as a case-insensitive file system would find it.
std::optional<std::string> FindOnDisk(const std::string& name) {
    std::error_code ec;
    fs::path p(name);
    if (fs::exists(p, ec))
        return name;
    fs::path cur;
    for (const fs::path& part : p) {
        fs::path next = cur / part;
        if (part == "." || part == ".." || part == p.root_path() || fs::exists(next, ec)) {
            cur = next;
            continue;
        }
        fs::path dir = cur.empty() ? fs::path(".") : cur;
        std::vector<std::string> matches;
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            std::string entry = it->path().filename().string();
            if (SameText(entry, part.string()))
                matches.push_back(entry);
        }
        if (matches.empty())
            return std::nullopt;
        std::sort(matches.begin(), matches.end());
        cur /= matches.front();
    }
    return cur.string();
}

} // namespace

const TFileDialogDesc& FileDialogDesc(TFileDialogKind kind) {
    return kDialogs[static_cast<int>(kind)];
}

std::string GeneratedName(const std::string& prefix, int counter, const std::string& ext) {
    int n = counter % 100;
    if (n < 0)
        n = -n;
    char digits[3] = {char('0' + n / 10), char('0' + n % 10), 0};
    return prefix + digits + ext;
}

ProjectManager::ProjectManager(IProjectPrompts& prompts, TProjectServices services)
    : FPrompts(prompts), FServices(std::move(services)) {}

// ---------------------------------------------------------------------------------------------
// Helpers

int ProjectManager::FileCount() const {
    return int(FProject.POUList.size()) - FLibCount;
}

TPOUDesc* ProjectManager::FilePOU(int FileNo) {
    if (FileNo < 0 || FileNo >= FileCount())
        return nullptr;
    return FProject.POUList[size_t(FileNo + FLibCount)].get();
}

int ProjectManager::CurrentTab() const {
    return FView ? FView->CurrentTab() : -1;
}

int ProjectManager::ResolveFileNo(int FileNo) const {
    if (FileNo == -1)
        FileNo = CurrentTab();
    if (FileNo < 0 || FileNo >= FileCount())
        return -1;
    return FileNo;
}

void ProjectManager::TakeEditorText(TPOUDesc& pou) {
    if (!FView)
        return;
    pou.POUText = FView->EditorLines();
    pou.Modified = pou.Modified || FView->EditorModified();
    FView->ClearEditorModified();
}

void ProjectManager::RebuildView(int showTab) {
    if (!FView)
        return;
    FView->UpdateView();
    FView->ShowFile(showTab);
}

void ProjectManager::ClearView() {
    if (FView)
        FView->ClearView();
}

void ProjectManager::ReleasePOUs() {
    FProject.POUList.clear(); // each descriptor owns its text, lists and code
    FProject.TypeList.clear();
    FProject.Identifiers.clear();
    FLibCount = 0;
}

void ProjectManager::LoadLibrary() {
    if (FServices.LoadStdFBs) {
        try {
            FServices.LoadStdFBs(FProject);
        } catch (const std::exception& e) {
            Message(e.what());
        }
    }
    // The library POUs are the head of the list; a library that failed half way still
    // leaves its POUs there, and the tab offset follows what is actually loaded.
    FLibCount = int(FProject.POUList.size());
}

void ProjectManager::ResetSoftPLC() {
    if (FServices.ResetSoftPLC)
        FServices.ResetSoftPLC();
}

void ProjectManager::Message(const std::string& text) {
    FPrompts.ShowMessage(text);
}

std::string ProjectManager::ProjectTitle() const {
    if (FProject.FileType == TFileType::FTNONE && FProject.FileName.empty())
        return APPLICATION_TITLE;
    return std::string(APPLICATION_TITLE) + " - " + FProject.FileName;
}

void ProjectManager::UpdProjectTitle() {
    if (FServices.SetTitle)
        FServices.SetTitle(ProjectTitle());
}

// ---------------------------------------------------------------------------------------------
// Projects

void ProjectManager::NewProject() {
    NewProjectNamed(GeneratedName("project", UnnamedProjects, ".plp"), false);
    ++UnnamedProjects;
}

void ProjectManager::NewProjectNamed(const std::string& AName, bool NameValid) {
    ClearView();
    FProject.FileType = TFileType::FTPLC;
    FProject.FileName = AName;
    FBreakpoints.Clear();
    FProject.FNameValid = NameValid;
    FProject.MainPOU = -1;
    ReleasePOUs();
    LoadLibrary();
    UpdProjectTitle();
    NewFile();
    FProject.Modified = false;
    RebuildView(0);
    ResetSoftPLC();
}

bool ProjectManager::OpenProject(const std::string& AFileName) {
    std::error_code ec;
    if (!fs::exists(AFileName, ec)) {
        Message("File '" + AFileName + "' not found!");
        return false;
    }
    TProjectFileData data;
    std::string error;
    if (!ReadProjectFile(AFileName, data, error) || !IsKnownProjectID(data.ID)) {
        Message("The file '" + AFileName + "' is not a valid PLC Project File.");
        return false;
    }

    ClearView();
    FProject.FileType = TFileType::FTPLC;
    FProject.FileName = AFileName;
    FProject.FNameValid = true;
    FProject.MainPOU = -1;
    ReleasePOUs();
    LoadLibrary();

    bool caseMismatch = false;
    FSkippedFiles.clear();
    for (const std::string& stored : data.Files) {
        if (stored.empty())
            continue;
        std::string v = ResolveProjectPath(stored, AFileName);
        size_t before = FProject.POUList.size();
        OpenFile(v);
        if (FProject.POUList.size() == before)
            FSkippedFiles.push_back(v);
        if (FProject.POUList.size() == before || FProject.POUList.back()->FileName != v)
            caseMismatch = true;
    }
    FProject.Modified = caseMismatch;
    if (!LoadBreakpoints(AFileName, FBreakpoints, error))
        FBreakpoints.Clear();
    if (FProject.MainPOU == -1)
        Message("ERROR: This Project has no Main-POU. It will not run correctly.");
    UpdProjectTitle();
    RebuildView(0);
    ResetSoftPLC();
    return true;
}

bool ProjectManager::SaveProject() {
    std::string name;
    if (FProject.FNameValid) {
        name = FProject.FileName;
    } else {
        auto chosen = FPrompts.ChooseFile(FileDialogDesc(TFileDialogKind::SaveProject), FProject.FileName);
        if (!chosen)
            return false;
        name = *chosen;
    }
    for (int i = 0; i < FileCount(); ++i)
        if (!SaveFile(i))
            return false;
    return SaveProjectAs(name);
}

bool ProjectManager::SaveProjectAs(const std::string& AFileName) {
    std::vector<std::string> files;
    for (const auto& pou : FProject.POUList)
        if (!pou->FileName.empty())
            files.push_back(pou->FileName);
    std::string error;
    if (!WriteProjectFile(AFileName, files, error) ||
        !WriteBreakpointsSection(AFileName, FBreakpoints, error)) {
        Message("Cannot save project file '" + AFileName + "': " + error);
        return false;
    }
    FProject.FileName = AFileName;
    FProject.Modified = false;
    FProject.FNameValid = true;
    UpdProjectTitle();
    RebuildView(CurrentTab());
    return true;
}

bool ProjectManager::CanCloseProject() {
    bool result = true;
    for (int i = 0; i < FileCount(); ++i)
        if (!CanCloseFile(i))
            result = false;
    if (FProject.Modified) {
        switch (FPrompts.AskSave("Save changes to project '" + FProject.FileName + "'?")) {
        case TSaveAnswer::Yes:
            if (!SaveProject())
                result = false;
            break;
        case TSaveAnswer::No:
            break;
        case TSaveAnswer::Cancel:
            result = false;
            break;
        }
    }
    return result;
}

// ---------------------------------------------------------------------------------------------
// Files

void ProjectManager::NewFile() {
    auto pou = std::make_unique<TPOUDesc>();
    std::string name = GeneratedName("noname", UnnamedFiles, ".il");
    fs::path dir = fs::path(FProject.FileName).parent_path();
    pou->FileName = dir.empty() ? name : (dir / name).string();
    ++UnnamedFiles;
    FProject.POUList.push_back(std::move(pou));
    FProject.Modified = true;
    RebuildView(FileCount() - 1);
}

bool ProjectManager::OpenFile(const std::string& AFileName) {
    std::optional<std::string> found = FindOnDisk(AFileName);
    if (!found)
        return false;
    TTextFile text;
    std::string error;
    if (!ReadTextFile(*found, text, error)) {
        Message("Cannot read file '" + *found + "': " + error);
        return false;
    }
    auto pou = std::make_unique<TPOUDesc>();
    pou->FileName = *found;
    pou->FNameValid = true;
    pou->POUText = std::move(text.Lines);
    pou->CRLF = text.LineEnd == TLineEnd::CRLF;
    if (FServices.GetPOUName)
        pou->POUName = FServices.GetPOUName(pou->POUText);
    if (FServices.GetPOUType)
        pou->POUType = FServices.GetPOUType(pou->POUText);
    bool program = pou->POUType == PTPROGRAM;
    FProject.POUList.push_back(std::move(pou));
    FProject.Modified = true;
    if (program) {
        if (FProject.MainPOU == -1)
            FProject.MainPOU = int32_t(FProject.POUList.size() - 1);
        else
            Message("There is more than one PROGRAM-POU. The first one will be used as the Main POU.");
    }
    RebuildView(FileCount() - 1);
    return true;
}

void ProjectManager::RemoveFile(int FileNo) {
    FileNo = ResolveFileNo(FileNo);
    if (FileNo < 0)
        return;
    int shown = CurrentTab();
    if (shown > FileNo)
        --shown; // keep showing the same file
    // Leave the current tab while its POU still exists: the leave step writes into it.
    ClearView();
    int index = FileNo + FLibCount;
    FProject.POUList.erase(FProject.POUList.begin() + index);
    // Keep MainPOU pointing at a live POU: the first PROGRAM left, or -1.
    if (FProject.MainPOU == index) {
        FProject.MainPOU = -1;
        for (int i = FLibCount; i < int(FProject.POUList.size()); ++i)
            if (FProject.POUList[size_t(i)]->POUType == PTPROGRAM) {
                FProject.MainPOU = i;
                break;
            }
    } else if (FProject.MainPOU > index) {
        --FProject.MainPOU;
    }
    FProject.Modified = true;
    if (FileCount() == 0) {
        NewFile();
        shown = 0;
    }
    RebuildView(shown);
}

bool ProjectManager::SaveFile(int FileNo) {
    FileNo = ResolveFileNo(FileNo);
    if (FileNo < 0)
        return true;
    TPOUDesc* pou = FilePOU(FileNo);
    std::string name;
    if (pou->FNameValid) {
        name = pou->FileName;
    } else {
        auto chosen = FPrompts.ChooseFile(FileDialogDesc(TFileDialogKind::SaveFile), pou->FileName);
        if (!chosen)
            return false;
        name = *chosen;
    }
    return SaveFileAs(FileNo, name);
}

bool ProjectManager::SaveFileAs(int FileNo, const std::string& AFileName) {
    FileNo = ResolveFileNo(FileNo);
    if (FileNo < 0)
        return false;
    TPOUDesc* pou = FilePOU(FileNo);
    if (FileNo == CurrentTab())
        TakeEditorText(*pou);
    std::string error;
    if (!WriteFileAtomic(AFileName, JoinLines(pou->POUText, pou->CRLF ? TLineEnd::CRLF : TLineEnd::LF),
                         error)) {
        Message("Cannot save file '" + AFileName + "': " + error);
        return false;
    }
    if (pou->FileName != AFileName) {
        FBreakpoints.RenameFile(pou->FileName, AFileName);
        pou->FileName = AFileName;
        FProject.Modified = true;
    }
    pou->Modified = false;
    pou->FNameValid = true;
    RebuildView(CurrentTab());
    return true;
}

bool ProjectManager::CanCloseFile(int FileNo) {
    FileNo = ResolveFileNo(FileNo);
    if (FileNo < 0)
        return true;
    TPOUDesc* pou = FilePOU(FileNo);
    if (FileNo == CurrentTab())
        TakeEditorText(*pou);
    if (!pou->Modified)
        return true;
    switch (FPrompts.AskSave("Save changes to file '" + pou->FileName + "'?")) {
    case TSaveAnswer::Yes:
        return SaveFile(FileNo);
    case TSaveAnswer::No:
        return true;
    case TSaveAnswer::Cancel:
        break;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// Command line and command handlers

void ProjectManager::RestoreDesktop(const std::vector<std::string>& args) {
    if (args.size() != 1) {
        NewProject();
        return;
    }
    const std::string& arg = args[0];
    std::string ext = LowerExtension(arg);
    if (ext == ".plp") {
        // A project that cannot be opened leaves a new one, never an empty window.
        if (!OpenProject(ExpandFileName(arg)))
            NewProject();
    } else if (ext == ".il") {
        NewProject();
        OpenFile(ExpandFileName(arg));
        RemoveFile(0);
    } else {
        std::string upper = UpperCase(arg);
        // The error-log switches are the only other argument the program knows.
        if (upper != "/LOG" && upper != "/ERRORLOG")
            Message("Error: File specified on commandline isn't plp or il: " + arg);
        NewProject();
    }
}

void ProjectManager::OnNewProject() {
    if (CanCloseProject())
        NewProject();
}

void ProjectManager::OnOpenProject() {
    auto chosen = FPrompts.ChooseFile(FileDialogDesc(TFileDialogKind::OpenProject), "");
    if (chosen && CanCloseProject())
        OpenProject(*chosen);
}

void ProjectManager::OnSaveProject() {
    SaveProject();
}

void ProjectManager::OnSaveProjectAs() {
    bool valid = FProject.FNameValid;
    FProject.FNameValid = false;
    if (!SaveProject())
        FProject.FNameValid = valid;
}

void ProjectManager::OnAddNewFile() {
    NewFile();
}

void ProjectManager::OnAddOpenFile() {
    auto chosen = FPrompts.ChooseFile(FileDialogDesc(TFileDialogKind::OpenFile), "");
    if (chosen)
        OpenFile(*chosen);
}

void ProjectManager::OnRemoveCloseFile() {
    RemoveFile(-1);
}

void ProjectManager::OnSaveFile() {
    SaveFile(-1);
}

void ProjectManager::OnSaveFileAs() {
    int tab = ResolveFileNo(-1);
    if (tab < 0)
        return;
    auto chosen = FPrompts.ChooseFile(FileDialogDesc(TFileDialogKind::SaveFile), FilePOU(tab)->FileName);
    if (chosen)
        SaveFileAs(-1, *chosen);
}

} // namespace korvo
