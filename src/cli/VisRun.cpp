#include "VisRun.h"

#include <cstdio>
#include <filesystem>

namespace korvo::cli {

std::string TVisRunOptions::AddClick(const std::string& Spec) {
    std::string object;
    uint64_t k = 0;
    if (!ParseVisClick(Spec, object, k) || k == 0 || k > 1000000000)
        return "expected OBJECT@K with K from 1, got '" + Spec + "'";
    Clicks.emplace_back(object, k);
    return "";
}

std::string TVisRunOptions::Check() const {
    if (File.empty() && !Clicks.empty())
        return "--click needs --vis FILE";
    return "";
}

bool TVisRun::Open(const TVisRunOptions& Options, std::string& Error) {
    if (Options.File.empty())
        return true;
    namespace fs = std::filesystem;
    std::error_code ec;
    std::string dir = fs::absolute(fs::path(Options.File), ec).parent_path().string();
    if (!fs::is_regular_file(fs::path(dir) / "pictures.inf", ec))
        dir = FindVisDataDir();
    TPictureLoadHooks hooks;
    hooks.LogErr = [](const std::string& s) { std::fprintf(stderr, "%s\n", s.c_str()); };
    hooks.ShowError = [](const std::string& s, int) { std::fprintf(stderr, "%s\n", s.c_str()); };
    PictureLibrary().Load(dir, hooks);

    FVis = std::make_unique<THeadlessVis>(FSoftAG);
    FVis->OnMessage = [](const std::string& s) {
        std::fflush(stdout);
        std::fprintf(stderr, "visualization: %s\n", s.c_str());
    };
    if (!FVis->Open(Options.File)) {
        Error = "visualization '" + Options.File + "' not opened";
        FVis.reset();
        return false;
    }
    for (const auto& [object, k] : Options.Clicks)
        if (!FVis->ScheduleClick(object, k, Error)) {
            FVis.reset();
            return false;
        }
    return true;
}

void TVisRun::BeforeCycle(uint64_t K) {
    if (FVis)
        FVis->BeforeCycle(K);
}

void TVisRun::AfterCycle(uint64_t K) {
    if (FVis)
        FVis->AfterCycle(K);
}

} // namespace korvo::cli
