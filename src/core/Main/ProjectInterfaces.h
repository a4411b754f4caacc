// What the project and file operations need from the IDE: message boxes and file dialogs
// (IProjectPrompts), the editor's tab strip and text (IEditorView), and the services of the
// compiler, the soft PLC and the main window (TProjectServices). The IDE implements them with
// widgets; tests and korvo-cli use scripted or console versions.
#pragma once

#include "PLCTypes/PLCTypes.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace korvo {

enum class TSaveAnswer { Yes, No, Cancel };

enum class TFileDialogKind { OpenProject, SaveProject, OpenFile, SaveFile };

// Settings of one file dialog. Filter: description|pattern pairs separated by '|'.
// Open dialogs: path and file must exist. Save dialogs: ask before overwriting, path must exist.
struct TFileDialogDesc {
    TFileDialogKind Kind;
    const char* Title;      // "Open project", "Save project", "Open IL file", "Save IL file"
    const char* DefaultExt; // ".plp" or ".il"
    const char* Filter;     // "Project files|*.plp|All files|*"
    bool Save;
};

const TFileDialogDesc& FileDialogDesc(TFileDialogKind kind);

// Modal boxes. All calls come from the user-interface thread and block until answered.
class IProjectPrompts {
public:
    virtual ~IProjectPrompts() = default;
    // Message box with an OK button.
    virtual void ShowMessage(const std::string& text) = 0;
    // Confirmation box with Yes, No and Cancel; closing the box counts as Cancel.
    virtual TSaveAnswer AskSave(const std::string& question) = 0;
    // Runs a file dialog pre-set with initialName (a path or a bare name; empty for a cleared
    // dialog). Returns the chosen path, or nullopt when the dialog was cancelled.
    virtual std::optional<std::string> ChooseFile(const TFileDialogDesc& dialog,
                                                  const std::string& initialName) = 0;
};

// The source editor: a tab strip with one tab per project file (each POU whose Compiled flag
// is clear, in POU list order) above one editor that holds the current tab's text. Leaving a
// tab (selecting another, ClearView) copies a modified editor text into that tab's POU, sets
// the POU's Modified flag and clears the editor's modified flag; entering a tab loads the
// POU's text and clears the editor's modified flag.
class IEditorView {
public:
    virtual ~IEditorView() = default;
    // Leave the current tab, remove all tabs.
    virtual void ClearView() = 0;
    // ClearView, then one tab per project file of the project's POU list; no tab selected.
    virtual void UpdateView() = 0;
    // FileNo < 0: select no tab; FileNo < TabCount(): select that tab; otherwise nothing.
    virtual void ShowFile(int FileNo) = 0;
    // Index of the current tab, -1 when none.
    virtual int CurrentTab() const = 0;
    virtual int TabCount() const = 0;
    // The editor's text as lines, and its modified flag.
    virtual std::vector<std::string> EditorLines() const = 0;
    virtual bool EditorModified() const = 0;
    virtual void ClearEditorModified() = 0;
};

// Services of other modules. Empty functions are skipped, except that GetPOUName and
// GetPOUType fall back to "no name" and PTUNKNOWN.
struct TProjectServices {
    // Appends the standard library POUs (Compiled set, empty FileName) to the empty POU list.
    // Throws std::exception with a message when the library cannot be read or compiled.
    std::function<void(TProjectDesc&)> LoadStdFBs;
    // Name and kind of the POU in a file's text.
    std::function<std::string(const std::vector<std::string>&)> GetPOUName;
    std::function<TPOUType(const std::vector<std::string>&)> GetPOUType;
    // Reset the soft PLC and stop the run timer.
    std::function<void()> ResetSoftPLC;
    // Show the window caption (application title, " - ", project file name).
    std::function<void(const std::string&)> SetTitle;
};

} // namespace korvo
