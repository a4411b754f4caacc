// Where the standard function block library is found.
#include "Compiler/CompileDriver.h"

#include <filesystem>
#include <system_error>

namespace korvo {

std::string FindStandardIL() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    if (!ec) {
        fs::path p = exe.parent_path() / "standard.il";
        if (fs::is_regular_file(p, ec))
            return p.string();
    }
    fs::path installed = fs::path(KORVO_INSTALLED_DATA_DIR) / "standard.il";
    if (fs::is_regular_file(installed, ec))
        return installed.string();
    return {};
}

} // namespace korvo
