#include "Main/CompileBridge.h"

#include "Compiler/HeaderScan.h"

#include <stdexcept>

#include "Compiler/CompileDriver.h"

namespace korvo::ui {

bool CompileProject(TProjectDesc& project, int32_t& POUIndex, int32_t& LIndex, int32_t& ChIndex,
                    std::string& message) {
    return Compile(project, POUIndex, LIndex, ChIndex, message);
}

void LoadStandardLibrary(TProjectDesc& project) {
    const std::string path = FindStandardIL();
    if (path.empty())
        throw std::runtime_error("The standard library standard.il was not found");
    LoadStdFBs(project, path);
}

std::string POUNameOf(const std::vector<std::string>& text) {
    return GetPOUName(text);
}
std::string CompileErrorText(const TProjectDesc& project, int32_t POUIndex, int32_t LIndex, int32_t ChIndex,
                             const std::string& message) {
    return FormatCompileError(project, POUIndex, LIndex, ChIndex, message);
}
TPOUType POUTypeOf(const std::vector<std::string>& text) {
    return GetPOUType(text);
}

} // namespace korvo::ui
