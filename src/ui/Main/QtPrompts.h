// The project prompts on Qt standard dialogs: message boxes with OK, save questions with Yes,
// No and Cancel, and the four file dialogs.
#pragma once

#include "Main/ProjectInterfaces.h"

#include <QString>

class QWidget;

namespace korvo::ui {

class TQtPrompts final : public IProjectPrompts {
public:
    explicit TQtPrompts(QWidget* parent = nullptr) : FParent(parent) {}
    void SetParent(QWidget* parent) { FParent = parent; }

    void ShowMessage(const std::string& text) override;
    TSaveAnswer AskSave(const std::string& question) override;
    std::optional<std::string> ChooseFile(const TFileDialogDesc& dialog,
                                          const std::string& initialName) override;

    // "Project files|*.plp|All files|*" -> "Project files (*.plp);;All files (*)".
    static QString QtFilter(const char* filter);

private:
    QWidget* FParent;
};

} // namespace korvo::ui
