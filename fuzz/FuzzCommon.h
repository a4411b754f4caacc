// Shared pieces of the fuzz targets: splitting an input into files, a scratch directory per
// process, quiet hosts and the standard library text.
#pragma once

#include "Compiler/CompileDriver.h"
#include "SimForm/VisHost.h"

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <vector>

namespace korvo::fuzz {

// Files of one input are separated by this line.
inline constexpr std::string_view FileSeparator = "\n@@FILE@@\n";

inline std::vector<std::string> SplitFiles(std::string_view text, size_t maxFiles = 8) {
    std::vector<std::string> files;
    while (files.size() + 1 < maxFiles) {
        const size_t at = text.find(FileSeparator);
        if (at == std::string_view::npos)
            break;
        files.emplace_back(text.substr(0, at));
        text.remove_prefix(at + FileSeparator.size());
    }
    files.emplace_back(text);
    return files;
}

// A directory of this process under the system's temp folder, emptied on each call.
inline std::filesystem::path ScratchDir(const char* name) {
    static const std::filesystem::path base =
        std::filesystem::temp_directory_path() / ("korvo-fuzz-" + std::to_string(getpid()));
    const std::filesystem::path dir = base / name;
    std::error_code ec;
    std::filesystem::remove_all(dir, ec);
    std::filesystem::create_directories(dir, ec);
    return dir;
}

inline void WriteFile(const std::filesystem::path& path, std::string_view bytes) {
    std::ofstream f(path, std::ios::binary | std::ios::trunc);
    f.write(bytes.data(), std::streamsize(bytes.size()));
}

// Lines of data/standard.il, read once.
inline const std::vector<std::string>& StandardLines() {
    static const std::vector<std::string> lines = [] {
        std::vector<std::string> l;
        if (!ReadTextLines(KORVO_SOURCE_DIR "/data/standard.il", l)) {
            std::fprintf(stderr, "fuzz: cannot read %s\n", KORVO_SOURCE_DIR "/data/standard.il");
            std::abort();
        }
        return l;
    }();
    return lines;
}

// Appends the files as project POUs named f0.il, f1.il...
inline void AddProjectFiles(TProjectDesc& project, const std::vector<std::string>& files, size_t from = 0) {
    for (size_t i = from; i < files.size(); ++i) {
        auto pou = std::make_unique<TPOUDesc>();
        pou->FileName = "f" + std::to_string(i) + ".il";
        pou->POUText = SplitLines(files[i]);
        project.POUList.push_back(std::move(pou));
    }
}

// Deep copy of a project record (the POU, variable, label and type records it owns).
inline void CloneProject(const TProjectDesc& from, TProjectDesc& to) {
    to.FileType = from.FileType;
    to.FileName = from.FileName;
    to.FNameValid = from.FNameValid;
    to.MainPOU = from.MainPOU;
    to.MainPOUStartLine = from.MainPOUStartLine;
    to.MainPOUEndLine = from.MainPOUEndLine;
    to.Identifiers = from.Identifiers;
    to.Modified = from.Modified;
    to.POUList.clear();
    for (const auto& p : from.POUList) {
        auto q = std::make_unique<TPOUDesc>();
        q->FileName = p->FileName;
        q->FNameValid = p->FNameValid;
        q->POUText = p->POUText;
        q->POUName = p->POUName;
        q->Modified = p->Modified;
        q->Compiled = p->Compiled;
        q->FBCompiled = p->FBCompiled;
        for (const auto& v : p->VarList)
            q->VarList.push_back(std::make_unique<TVarDesc>(*v));
        q->VarGroups = p->VarGroups;
        for (const auto& l : p->Labels)
            q->Labels.push_back(std::make_unique<TLabelDesc>(*l));
        q->CodeSize = p->CodeSize;
        q->Code = p->Code;
        q->CmdCount = p->CmdCount;
        q->LocalMemSize = p->LocalMemSize;
        q->ConstMemSize = p->ConstMemSize;
        q->ConstMem = p->ConstMem;
        q->Identifiers = p->Identifiers;
        q->POUType = p->POUType;
        q->ReturnAdr = p->ReturnAdr;
        q->ReturnType = p->ReturnType;
        q->CRLF = p->CRLF;
        to.POUList.push_back(std::move(q));
    }
    to.TypeList.clear();
    for (const auto& t : from.TypeList)
        to.TypeList.push_back(std::make_unique<TTypeDesc>(*t));
}

// The standard library compiled once; each input starts from a copy.
inline const TProjectDesc& CompiledStandardLibrary() {
    static const TProjectDesc* lib = [] {
        auto* p = new TProjectDesc;
        CompileStandardIL(*p, StandardLines());
        return p;
    }();
    return *lib;
}

// Builds a project from an input and compiles it. mode bit 0: the standard library first;
// bit 1: the first file is compiled as the standard library instead. True when the whole
// project compiled.
inline bool CompileInput(TProjectDesc& project, uint8_t mode, std::string_view text) {
    std::vector<std::string> files = SplitFiles(text);
    size_t first = 0;
    try {
        if (mode & 2) {
            CompileStandardIL(project, SplitLines(files[0]));
            first = 1;
        } else if (mode & 1) {
            CloneProject(CompiledStandardLibrary(), project);
        }
    } catch (const ECompileError&) {
        return false;
    }
    AddProjectFiles(project, files, first);
    int32_t pou = -1, line = 0, col = 0;
    std::string msg;
    const bool ok = Compile(project, pou, line, col, msg);
    // The message the user would see must be formattable for every position reported.
    const std::string shown = FormatCompileError(project, pou, line, col, msg);
    if (!ok && msg.empty()) {
        std::fprintf(stderr, "fuzz: compile failed without a message\n");
        std::abort();
    }
    (void)shown;
    return ok;
}

class TQuietHost : public IVisHost {
public:
    void ShowMessage(const std::string& Text) override {
        LastMessage = Text;
        ++Messages;
    }
    void Beep() override { ++Beeps; }
    uint32_t GetTickCount() override { return Tick; }
    std::string LastMessage;
    int Messages = 0;
    int Beeps = 0;
    uint32_t Tick = 0;
};

} // namespace korvo::fuzz
