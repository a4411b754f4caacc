// Compile driver and error text.
#include "Compiler/CompileDriver.h"

#include "Compiler/HeaderScan.h"
#include "Compiler/POUCompiler.h"

#include <filesystem>
#include <fstream>
#include <sstream>

namespace korvo {

bool Compile(TProjectDesc& Project, int32_t& POUIndex, int32_t& LIndex, int32_t& ChIndex,
             std::string& AErrorMsg) {
    TCompileContext C;
    C.APOUINDEX = -1;
    try {
        Project.TypeList.clear();
        Project.Identifiers.clear();
        Project.MainPOU = -1;
        for (size_t i = 0; i < Project.POUList.size(); ++i)
            UpdatePOUDesc(C, Project, int32_t(i), *Project.POUList[i]);
        if (Project.MainPOU == -1)
            C.Fail("No PROGRAM found");
        CompilePOU(C, Project, Project.MainPOU);
    } catch (const ECompileError& e) {
        POUIndex = C.APOUINDEX;
        LIndex = C.ALINDEX;
        ChIndex = C.ACHINDEX;
        AErrorMsg = e.what();
        return false;
    }
    POUIndex = -1;
    LIndex = 0;
    ChIndex = 0;
    AErrorMsg.clear();
    return true;
}

void CompileStandardIL(TProjectDesc& Project, const std::vector<std::string>& ASource) {
    TCompileContext C;
    C.COMPILINGSTANDARDIL = true;
    if (Project.POUList.empty())
        Project.TypeList.clear(); // type indexes must match the library POUs
    size_t first = Project.POUList.size();
    CreatePOUDescs(C, Project, ASource);
    for (size_t i = first; i < Project.POUList.size(); ++i)
        if (!Project.POUList[i]->FBCompiled)
            CompilePOU(C, Project, int32_t(i));
}

void LoadStdFBs(TProjectDesc& Project, const std::string& LibraryPath) {
    std::vector<std::string> lines;
    if (!ReadTextLines(LibraryPath, lines))
        throw std::runtime_error("Cannot read the standard library '" + LibraryPath + "'");
    CompileStandardIL(Project, lines);
}

std::string FormatCompileError(const TProjectDesc& Project, int32_t POUIndex, int32_t LIndex, int32_t ChIndex,
                               const std::string& AErrorMsg) {
    if (POUIndex < 0 || size_t(POUIndex) >= Project.POUList.size())
        return AErrorMsg;
    const TPOUDesc& pou = *Project.POUList[size_t(POUIndex)];
    if (pou.Compiled) // a library POU has no file the user could open
        return AErrorMsg;
    std::string name = pou.FileName;
    size_t slash = name.find_last_of("/\\");
    if (slash != std::string::npos)
        name.erase(0, slash + 1);
    return AErrorMsg + " in file " + name + " in line " + std::to_string(int64_t(LIndex) + 1) +
           " at column " + std::to_string(int64_t(ChIndex) + 1);
}

std::vector<std::string> SplitLines(std::string_view text) {
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos)
            end = text.size();
        std::string_view line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        lines.emplace_back(line);
        start = end + 1;
    }
    return lines;
}

bool ReadTextLines(const std::string& path, std::vector<std::string>& lines) {
    std::error_code ec;
    if (!std::filesystem::is_regular_file(path, ec))
        return false;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    std::ostringstream ss;
    ss << in.rdbuf();
    if (in.bad())
        return false;
    lines = SplitLines(ss.str());
    return true;
}

} // namespace korvo
