// Opening a .plp for korvo-cli through the IDE's project operations.
#include "ProjectSources.h"

#include "Compiler/CompileDriver.h"
#include "Compiler/CompileError.h"
#include "Main/ProjectManager.h"
#include "Main/ProjectServices.h"

#include <cstdio>
#include <filesystem>
#include <optional>

namespace korvo::cli {

namespace {

bool IsProjectFile(const std::string& name) {
    std::string ext = std::filesystem::path(name).extension().string();
    return SameText(ext, ".plp");
}

// Collects the messages; no questions or dialogs happen while a project is opened.
class CollectingPrompts : public IProjectPrompts {
public:
    std::vector<std::string> Messages;
    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    TSaveAnswer AskSave(const std::string&) override { return TSaveAnswer::No; }
    std::optional<std::string> ChooseFile(const TFileDialogDesc&, const std::string&) override {
        return std::nullopt;
    }
};

} // namespace

bool HasProjectSource(const std::vector<std::string>& sources) {
    for (const auto& s : sources)
        if (IsProjectFile(s))
            return true;
    return false;
}

bool LoadProjectSource(const std::vector<std::string>& sources, const std::string& library,
                       const std::vector<std::string>& libraryLines, TProjectDesc& project,
                       std::string& error) {
    if (sources.size() != 1) {
        error = "a project file (.plp) must be the only source";
        return false;
    }
    const std::string& plp = sources.front();
    CollectingPrompts prompts;
    TProjectServices services = CompilerProjectServices();
    std::string libraryError;
    services.LoadStdFBs = [&](TProjectDesc& p) {
        try {
            CompileStandardIL(p, libraryLines);
        } catch (const ECompileError& e) {
            libraryError = "standard library '" + library + "' does not compile: " + e.what();
            throw;
        }
    };
    ProjectManager manager(prompts, services);
    if (!manager.OpenProject(plp)) {
        error = prompts.Messages.empty() ? "cannot open '" + plp + "'" : prompts.Messages.front();
        return false;
    }
    if (!libraryError.empty()) {
        error = libraryError;
        return false;
    }
    for (const std::string& m : prompts.Messages)
        std::fprintf(stderr, "%s\n", m.c_str());
    for (const std::string& f : manager.SkippedFiles())
        std::fprintf(stderr, "warning: listed file '%s' not found\n", f.c_str());
    project = std::move(manager.Project());
    return true;
}

} // namespace korvo::cli
