// The windows of the start sequence, in their order: main window, editor view, performance
// window, about box, watch window, logic analyzer; then the command line.
#pragma once

#include "Main/ProjectInterfaces.h"

#include <QStringList>

#include <memory>
#include <string>

namespace korvo::ui {

class TMainForm;

// Creates the main window with everything it holds and handles the command line (arguments
// without the program name). prompts nullptr: Qt standard dialogs; libraryPath empty: the
// standard library found next to the program or installed. monitoringViews false leaves out the
// performance window, watch window and logic analyzer (tests that add their own).
std::unique_ptr<TMainForm> CreateMainWindows(const QStringList& args, IProjectPrompts* prompts = nullptr,
                                             const std::string& libraryPath = {},
                                             bool monitoringViews = true);

} // namespace korvo::ui
