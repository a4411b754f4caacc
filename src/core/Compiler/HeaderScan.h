// POU discovery: the header scan of a project POU, the cutter that splits the standard
// library into POUs, and the light-weight name/kind readers used by the editor.
#pragma once

#include "Compiler/CompileError.h"
#include "PLCTypes/PLCTypes.h"

#include <string>
#include <vector>

namespace korvo {

// Reads the header line of one POU, registers its name (and its type for a function block),
// resets its compiled state. A library POU (Compiled) only re-registers its type.
void UpdatePOUDesc(TCompileContext& C, TProjectDesc& Project, int32_t POUIndex, TPOUDesc& POUDesc);

// Cuts a text holding several POUs into library POU descriptors appended to the POU list.
void CreatePOUDescs(TCompileContext& C, TProjectDesc& Project, const std::vector<std::string>& ASource);

// Name and kind of the POU in a file's text, for the editor; touch no error position.
std::string GetPOUName(const std::vector<std::string>& ASource);
TPOUType GetPOUType(const std::vector<std::string>& ASource);

// Registers a function block type for POU POUIndex; DataSize -1 until it is compiled.
void RegisterFBType(TProjectDesc& Project, int32_t POUIndex, const std::string& Name, int32_t DataSize);

} // namespace korvo
