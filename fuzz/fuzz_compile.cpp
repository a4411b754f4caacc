// The IL compiler on a whole project. Input: a mode byte (bit 0: the standard library first,
// bit 1: the first file is compiled as the standard library), then IL files separated by
// "@@FILE@@" lines.
#include "FuzzCommon.h"

using namespace korvo;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 1 || size > 256 * 1024)
        return 0;
    TProjectDesc project;
    fuzz::CompileInput(project, data[0], std::string_view(reinterpret_cast<const char*>(data + 1), size - 1));
    return 0;
}
