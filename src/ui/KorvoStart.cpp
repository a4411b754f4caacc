#include "KorvoStart.h"

#include "About/Aboutbox.h"
#include "Main/MainForm.h"
#include "MonitoringViews.h"
#include "SimForm/SimForm.h"
#include "UEditor/EditForm.h"

namespace korvo::ui {

std::unique_ptr<TMainForm> CreateMainWindows(const QStringList& args, IProjectPrompts* prompts,
                                             const std::string& libraryPath, bool monitoringViews) {
    auto mainForm = std::make_unique<TMainForm>(prompts, libraryPath);
    SetupVisualizations(*mainForm); // menus from the data folder, picture catalogue
    mainForm->AttachEditForm(new TEditForm(mainForm->EditorPanel()));
    mainForm->SetAboutBox(new TAboutbox(mainForm.get()));
    // Performance window, watch window (second connector), logic analyzer (third connector).
    // They are children of the main window, which deletes them while its soft PLC still exists.
    if (monitoringViews)
        CreateMonitoringViews(*mainForm);
    mainForm->EnableOnlineValues();
    mainForm->RestoreDesktop(args);
    return mainForm;
}

} // namespace korvo::ui
