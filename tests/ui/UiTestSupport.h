// Shared pieces of the IDE tests: prompts that answer from a script and keep a transcript,
// a scratch folder, and the main window built as the program builds it.
#pragma once

#include "KorvoStart.h"
#include "Main/MainForm.h"
#include "Main/ProjectInterfaces.h"
#include "UEditor/EditForm.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <deque>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace korvo::uitest {

class TScriptedPrompts final : public IProjectPrompts {
public:
    std::vector<std::string> Messages;            // every message box text, in order
    std::vector<std::string> Questions;           // every save question, in order
    std::vector<std::string> Dialogs;             // title of every file dialog run
    std::deque<TSaveAnswer> Answers;              // answers to save questions; No when empty
    std::deque<std::optional<std::string>> Files; // dialog results; cancelled when empty

    void ShowMessage(const std::string& text) override { Messages.push_back(text); }
    TSaveAnswer AskSave(const std::string& question) override {
        Questions.push_back(question);
        if (Answers.empty())
            return TSaveAnswer::No;
        const TSaveAnswer a = Answers.front();
        Answers.pop_front();
        return a;
    }
    std::optional<std::string> ChooseFile(const TFileDialogDesc& dialog, const std::string&) override {
        Dialogs.emplace_back(dialog.Title);
        if (Files.empty())
            return std::nullopt;
        auto f = Files.front();
        Files.pop_front();
        return f;
    }
};

inline std::string LibraryPath() {
    return std::string(KORVO_BIN_DIR) + "/standard.il";
}

// A scratch folder for IL and project files.
class TScratch {
public:
    QString Write(const QString& name, const QByteArray& content) {
        const QString path = FDir.filePath(name);
        QDir().mkpath(QFileInfo(path).absolutePath());
        QFile f(path);
        if (f.open(QIODevice::WriteOnly))
            f.write(content);
        return path;
    }
    QString Path(const QString& name) const { return FDir.filePath(name); }

private:
    QTemporaryDir FDir;
};

// The main window as the start sequence builds it, with scripted prompts.
struct TIde {
    TScriptedPrompts Prompts;
    std::unique_ptr<ui::TMainForm> Main;

    // monitoringViews: also create the performance window, watch window and logic analyzer.
    explicit TIde(const QStringList& args = {}, bool monitoringViews = false) {
        Main = ui::CreateMainWindows(args, &Prompts, LibraryPath(), monitoringViews);
    }
    ~TIde() {
        // Nothing left to ask about on teardown.
        Main.reset();
    }
    ui::TEditForm& Edit() { return *Main->EditForm(); }
    TSoftAG& PLC() { return Main->SoftAG(); }
    TProjectDesc& Project() { return Main->Project(); }
};

} // namespace korvo::uitest
