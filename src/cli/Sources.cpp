// Shared loading of the SOURCES of korvo-cli commands.
#include "Sources.h"

#include "ProjectSources.h"

#include "Compiler/CompileDriver.h"

#include <filesystem>

namespace korvo::cli {

bool TakeStdlibOption(std::vector<std::string>& args, std::string& stdlib, std::string& error) {
    for (size_t i = 0; i < args.size();) {
        if (args[i] == "--stdlib") {
            if (i + 1 >= args.size()) {
                error = "--stdlib needs a file name";
                return false;
            }
            stdlib = args[i + 1];
            args.erase(args.begin() + long(i), args.begin() + long(i) + 2);
        } else if (args[i].rfind("--stdlib=", 0) == 0) {
            stdlib = args[i].substr(9);
            args.erase(args.begin() + long(i));
        } else {
            ++i;
        }
    }
    return true;
}

bool LoadSources(const std::vector<std::string>& sources, const std::string& stdlib, TProjectDesc& project,
                 std::string& error) {
    std::string library = stdlib.empty() ? FindStandardIL() : stdlib;
    if (library.empty()) {
        error = "standard.il not found next to the program nor in " KORVO_INSTALLED_DATA_DIR;
        return false;
    }
    std::vector<std::string> lines;
    if (!ReadTextLines(library, lines)) {
        error = "cannot read the standard library '" + library + "'";
        return false;
    }
    if (HasProjectSource(sources))
        return LoadProjectSource(sources, library, lines, project, error);
    try {
        CompileStandardIL(project, lines);
    } catch (const ECompileError& e) {
        error = "standard library '" + library + "' does not compile: " + e.what();
        return false;
    }

    for (const std::string& file : sources) {
        std::error_code ec;
        if (std::filesystem::is_directory(file, ec)) {
            error = "'" + file + "' is a directory";
            return false;
        }
        auto pou = std::make_unique<TPOUDesc>();
        if (!ReadTextLines(file, pou->POUText)) {
            error = "cannot read '" + file + "'";
            return false;
        }
        pou->FileName = file;
        pou->FNameValid = true;
        project.POUList.push_back(std::move(pou));
    }
    project.FileType = TFileType::FTIL;
    if (!sources.empty())
        project.FileName = sources.front();
    return true;
}

bool CompileProject(TProjectDesc& project, std::string& error) {
    int32_t pou = -1, line = 0, column = 0;
    std::string message;
    if (Compile(project, pou, line, column, message))
        return true;
    error = FormatCompileError(project, pou, line, column, message);
    return false;
}

} // namespace korvo::cli
