// Editor view: one tab per project file above one shared text editor, and a status bar with
// the caret position. Only the current tab's text lives in the editor; the other texts live in
// their POU descriptors and move in and out on tab changes (leave and enter steps).
#pragma once

#include "Main/ProjectInterfaces.h"
#include "PLCTypes/PLCTypes.h"

#include <QPoint>
#include <QTabBar>
#include <QWidget>

#include <functional>
#include <string>
#include <utility>
#include <vector>

class QsciScintilla;
class QLabel;
class QStatusBar;

namespace korvo {
class TBreakpoints;
}

namespace korvo::ui {

class TSynIEC_IL;

// What a tab remembers of its file and view while another tab is current.
struct TTabInfo {
    int32_t POUIndex = 0;
    int32_t LeftChar = 0; // first visible column, from 1
    int32_t TopLine = 0;  // first visible line, from 1
    bool SelAvail = false;
    int32_t SelStart = 0; // byte positions in the text
    int32_t SelEnd = 0;
    QPoint CaretXY; // X column, Y line, both from 1
};

// Tab strip that can show "no tab current" while it holds tabs.
class TPOUTabBar : public QTabBar {
    Q_OBJECT
public:
    using QTabBar::QTabBar;
    void SetNoneSelected(bool none);
    bool NoneSelected() const { return FNoneSelected; }

protected:
    void initStyleOption(QStyleOptionTab* option, int tabIndex) const override;

private:
    bool FNoneSelected = true;
};

class TEditForm : public QWidget, public IEditorView {
    Q_OBJECT
public:
    // Marker numbers: 0..9 bookmarks, then the change bars and the debug line.
    enum { MarkBookmarkFirst = 0, MarkChanged = 10, MarkSaved = 11, MarkDebugLine = 12, MarkBreakpoint = 13 };
    // The breakpoint margin (right of the change bars); a click there toggles a breakpoint.
    enum { MarginBreakpoints = 4 };

    explicit TEditForm(QWidget* parent = nullptr);
    ~TEditForm() override;

    void SetProject(TProjectDesc* project) { FProject = project; }
    // Called for every edit the editor records for undo (the soft PLC's reset).
    void SetOnEdited(std::function<void()> handler) { FOnEdited = std::move(handler); }

    void ClearView() override;
    void UpdateView() override;
    void ShowFile(int FileNo) override;
    void ShowPOU(int POUIndex);
    void SetSelDebugLine(int AValue);

    // Breakpoints (not owned; null: none). The current tab's breakpoints live as markers that
    // move with their lines; every edit writes them back into the set under the file's name.
    void SetBreakpoints(TBreakpoints* bp);
    // Toggles the breakpoint of line (from 0) of the current tab; a line without an instruction
    // refuses with a hint. Returns whether the line has a breakpoint afterwards.
    bool ToggleBreakpoint(int line);
    bool HasBreakpointMarker(int line) const;
    void RemoveAllBreakpoints();
    // Markers of the current tab from the set (after the set was loaded or changed outside).
    void ReloadBreakpointMarkers();
    // Marker lines of the current tab into the set.
    void SyncBreakpoints();
    // The hint panel of the status bar (breakpoint refusals).
    QString HintText() const;

    // Online values: (line from 0, text) shown below their lines; empty clears them.
    void SetLineAnnotations(const std::vector<std::pair<int, QString>>& values);
    bool HasLineAnnotations() const { return FAnnotated; }

    int CurrentTab() const override { return FCurrentTab; }
    int TabCount() const override { return static_cast<int>(FTabInfos.size()); }
    const std::vector<TTabInfo>& TabInfos() const { return FTabInfos; }
    int SelDebugPOU() const { return FSelDebugPOU; }
    int SelDebugLine() const { return FSelDebugLine; }
    // Whether the editor paints line (from 0) as the debug line right now.
    bool DebugLineShown(int line) const;

    QsciScintilla* Editor() const { return FEditor; }
    TPOUTabBar* SelPOU() const { return FSelPOU; }
    std::vector<std::string> EditorLines() const override;
    bool EditorModified() const override;
    void ClearEditorModified() override { SetEditorModified(false); }
    void SetEditorModified(bool modified);
    // Puts the caret on line and column (both from 1), scrolls it into view and focuses the editor.
    void GotoPosition(int line, int column);
    QString StatusText() const;

    void SelectNextTab();
    void SelectPreviousTab();

    // Status text for a caret at line and column (both from 1): "12:   7".
    static QString FormatCaretPos(int line, int column);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void SelectTab(int index);
    void LeaveStep();
    void EnterStep();
    void SetEditorText(const std::vector<std::string>& lines);
    void UpdateDebugMarker();
    void EditorChange();
    void EditorStatusChange();
    void MarkChangedLines(int position, int modificationType, int length, int linesAdded);
    void ToggleBookmark(int line, int number);
    void GotoBookmark(int number);
    TPOUDesc* TabPOU(int tab) const;

    std::string TabFileName(int tab) const;

    TProjectDesc* FProject = nullptr;
    TBreakpoints* FBreakpoints = nullptr;
    uint32_t FMarkerRevision = 0; // set revision the markers reflect; differs: set changed outside
    bool FAnnotated = false;
    QLabel* FHint = nullptr;
    std::function<void()> FOnEdited;
    TPOUTabBar* FSelPOU = nullptr;
    QsciScintilla* FEditor = nullptr;
    TSynIEC_IL* FSynIEC_IL = nullptr;
    QStatusBar* FStatusBar = nullptr;
    QLabel* FStatusPanels[2] = {nullptr, nullptr};
    std::vector<TTabInfo> FTabInfos;
    int FCurrentTab = -1;
    int FSelDebugPOU = -1;
    int FSelDebugLine = -1;
    bool FLoading = false;     // text changes made by the view itself, not edits
    bool FTabUpdating = false; // tab strip changes made by the view itself
};

} // namespace korvo::ui
