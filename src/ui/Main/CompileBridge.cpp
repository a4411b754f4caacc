#include "Main/CompileBridge.h"

#include "Compiler/CompileDriver.h"

namespace korvo::ui {

bool CompileProject(TProjectDesc& project, int32_t& POUIndex, int32_t& LIndex, int32_t& ChIndex,
                    std::string& message) {
    return Compile(project, POUIndex, LIndex, ChIndex, message);
}

std::string CompileErrorText(const TProjectDesc& project, int32_t POUIndex, int32_t LIndex, int32_t ChIndex,
                             const std::string& message) {
    return FormatCompileError(project, POUIndex, LIndex, ChIndex, message);
}

} // namespace korvo::ui
