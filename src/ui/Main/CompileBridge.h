// The compiler's entry points as the main window uses them: one place to adapt when they move.
#pragma once

#include "PLCTypes/PLCTypes.h"

#include <string>
#include <vector>

namespace korvo::ui {

// Compiles the project; on an error false with the position (POU index, line and column from 0;
// POUIndex -1 when no place applies) and the message.
bool CompileProject(TProjectDesc& project, int32_t& POUIndex, int32_t& LIndex, int32_t& ChIndex,
                    std::string& message);
// "<message> in file <name> in line <L> at column <C>", or the message alone without a place.
std::string CompileErrorText(const TProjectDesc& project, int32_t POUIndex, int32_t LIndex, int32_t ChIndex,
                             const std::string& message);

} // namespace korvo::ui
