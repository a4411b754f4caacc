// Wiring of the compiler into the project operations.
#include "Main/ProjectServices.h"

#include "Compiler/CompileDriver.h"
#include "Compiler/HeaderScan.h"

#include <stdexcept>

namespace korvo {

TProjectServices CompilerProjectServices(const std::string& libraryPath) {
    TProjectServices s;
    s.LoadStdFBs = [libraryPath](TProjectDesc& project) {
        std::string path = libraryPath.empty() ? FindStandardIL() : libraryPath;
        if (path.empty())
            throw std::runtime_error(
                "The standard library standard.il was found neither next to the program nor "
                "in " KORVO_INSTALLED_DATA_DIR);
        LoadStdFBs(project, path);
    };
    s.GetPOUName = [](const std::vector<std::string>& text) { return GetPOUName(text); };
    s.GetPOUType = [](const std::vector<std::string>& text) { return GetPOUType(text); };
    return s;
}

} // namespace korvo
