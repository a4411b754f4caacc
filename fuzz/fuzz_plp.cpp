// The .plp reader. Input: the project file, then IL files separated by "@@FILE@@" lines,
// written as f1.il, f2.il... beside it. The project is read, opened the way the IDE opens it
// (files added, names scanned), compiled, saved under a new name and read back.
#include "FuzzCommon.h"
#include "Main/ProjectFile.h"
#include "Main/ProjectManager.h"
#include "Main/ProjectServices.h"

using namespace korvo;

namespace {

class TPrompts : public IProjectPrompts {
public:
    void ShowMessage(const std::string&) override {}
    TSaveAnswer AskSave(const std::string&) override { return TSaveAnswer::No; }
    std::optional<std::string> ChooseFile(const TFileDialogDesc&, const std::string&) override {
        return std::nullopt;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size > 64 * 1024)
        return 0;
    const std::vector<std::string> files =
        fuzz::SplitFiles(std::string_view(reinterpret_cast<const char*>(data), size), 5);
    const std::filesystem::path dir = fuzz::ScratchDir("plp");
    const std::string plp = (dir / "p.plp").string();
    fuzz::WriteFile(plp, files[0]);
    for (size_t i = 1; i < files.size(); ++i)
        fuzz::WriteFile(dir / ("f" + std::to_string(i) + ".il"), files[i]);

    TProjectFileData pd;
    std::string error;
    if (ReadProjectFile(plp, pd, error)) {
        if (pd.Files.size() > size_t(std::max(pd.POUCount, 0))) {
            std::fprintf(stderr, "fuzz: more file entries than POUCOUNT\n");
            std::abort();
        }
        for (const auto& f : pd.Files)
            (void)ProjectRelativePath(ResolveProjectPath(f, plp), plp);
    }

    TPrompts prompts;
    ProjectManager pm(prompts, CompilerProjectServices(KORVO_SOURCE_DIR "/data/standard.il"));
    if (pm.OpenProject(plp)) {
        int32_t pou = -1, line = 0, col = 0;
        std::string msg;
        (void)Compile(pm.Project(), pou, line, col, msg);
        (void)FormatCompileError(pm.Project(), pou, line, col, msg);
        const std::string again = (dir / "again.plp").string();
        if (pm.SaveProjectAs(again)) {
            TProjectFileData back;
            if (!ReadProjectFile(again, back, error)) {
                std::fprintf(stderr, "fuzz: saved project cannot be read back: %s\n", error.c_str());
                std::abort();
            }
        }
    }
    return 0;
}
