// The compiler's services for ProjectManager: the standard library loader and the name and
// kind of a file's POU. The IDE adds the soft PLC reset and the window caption.
#pragma once

#include "Main/ProjectInterfaces.h"

namespace korvo {

// LoadStdFBs reads standard.il (next to the executable, else in the installed data folder;
// libraryPath overrides both) and throws with a message when it is missing or does not compile.
TProjectServices CompilerProjectServices(const std::string& libraryPath = {});

} // namespace korvo
