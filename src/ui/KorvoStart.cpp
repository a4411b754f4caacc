#include "KorvoStart.h"

#include "About/Aboutbox.h"
#include "Main/MainForm.h"
#include "UEditor/EditForm.h"

namespace korvo::ui {

std::unique_ptr<TMainForm> CreateMainWindows(const QStringList& args, IProjectPrompts* prompts,
                                             const std::string& libraryPath) {
    auto mainForm = std::make_unique<TMainForm>(prompts, libraryPath);
    mainForm->AttachEditForm(new TEditForm(mainForm->EditorPanel()));
    // Performance window: created hidden here and handed over with SetStatisticsForm.
    mainForm->SetAboutBox(new TAboutbox(mainForm.get()));
    // Watch window (second connector): SetWatchForm and AddConnector here.
    // Logic analyzer (third connector): into LogicAnyPanel(), LAUpdateDisplay, AddConnector here.
    mainForm->RestoreDesktop(args);
    return mainForm;
}

} // namespace korvo::ui
