// The main window: tool bars, menus, the editor area, the visualization area and the logic
// analyzer area; the run commands and the run timer; the soft PLC's first connector. Project and
// file work is ProjectManager's, execution is TSoftAG's: this class turns events into their calls
// and their notifications into widget state.
#pragma once

#include "Main/ProjectManager.h"
#include "Sim_ag/Breakpoints.h"
#include "Sim_ag/SoftAG.h"
#include "Watch/OnlineValues.h"

#include <QMainWindow>
#include <QStringList>
#include <QTimer>

#include <functional>
#include <memory>

class QAction;
class QMenu;
class QSplitter;
class QToolBar;
class QToolButton;

namespace korvo::ui {

class TEditForm;
class TQtPrompts;

// The tool bar strip; reports its resizes so the main window can rearrange the two bars.
class TToolBarPanel : public QWidget {
    Q_OBJECT
public:
    using QWidget::QWidget;
Q_SIGNALS:
    void Resized();

protected:
    void resizeEvent(QResizeEvent* event) override;
};

class TMainForm : public QMainWindow, public ISoftAGConnector, public IRuntimeErrorReporter {
    Q_OBJECT
public:
    // prompts: message boxes and file dialogs; nullptr uses Qt standard dialogs. libraryPath:
    // the standard library file; empty finds standard.il next to the program or installed.
    explicit TMainForm(IProjectPrompts* prompts = nullptr, const std::string& libraryPath = {},
                       QWidget* parent = nullptr);
    ~TMainForm() override;

    // Start sequence step 6: the editor view goes into the editor panel and serves the project.
    void AttachEditForm(TEditForm* editForm);
    // Command line, once all windows exist (arguments without the program name).
    void RestoreDesktop(const QStringList& args);

    ProjectManager& Projects() { return *FProjects; }
    TProjectDesc& Project() { return FProjects->Project(); }
    TSoftAG& SoftAG() { return *FSoftAG; }
    TEditForm* EditForm() const { return FEditForm; }
    IProjectPrompts& Prompts() { return *FPrompts; }
    QString HelpFile() const { return FHelpFile; }

    // Places the monitoring views and visualizations plug into.
    QWidget* EditorPanel() const { return FEditorPanel; }
    QWidget* SimulatorsPanel() const { return FSimulatorsPanel; }
    QWidget* LogicAnyPanel() const { return FLogicAnyPanel; }
    QSplitter* LogicAnySplitter() const { return FLogicAnySplitter; }
    QMenu* SimPopupMenu() const { return FSimPopupMenu; }
    QMenu* MenuExecuteProcesses() const { return FMenuExecuteProcesses; }
    QAction* acLogicAnalyzer() const { return FacLogicAnalyzer; }
    QTimer& RunTimer() { return FRunTimer; }
    QStringList SimFiles;
    // The watch window, shown in step mode and hidden otherwise; the performance window.
    void SetWatchForm(QWidget* w) { FWatchForm = w; }
    void SetStatisticsForm(QWidget* w) { FStatisticsForm = w; }
    void SetAboutBox(QWidget* w) { FAboutbox = w; }
    // Redraw of the logic analyzer, and the reset of every open visualization.
    std::function<void()> LAUpdateDisplay;
    std::function<void()> ResetVisualizations;

    // Controls, for the tool bar layout and tests.
    QToolBar* ToolBar1() const { return FToolBar1; }
    QToolBar* ToolBar2() const { return FToolBar2; }
    TToolBarPanel* ToolBarPanel() const { return FToolBarPanel; }
    QToolButton* ToolProgStart() const { return FToolProgStart; }
    QToolButton* ToolProgStepOut() const { return FToolProgStepOut; }
    QAction* MenuEditUndo() const { return FMenuEditUndo; }
    QMenu* MenuEdit() const { return FMenuEdit; }
    QAction* MenuRemoveAllBreakpoints() const { return FMenuRemoveAllBreakpoints; }
    QAction* MenuOnlineValues() const { return FMenuOnlineValues; }

    // Breakpoints of the project's files; the soft PLC halts at them, the editor shows them.
    TBreakpoints& Breakpoints() { return FProjects->Breakpoints(); }
    // Online values per line in step mode: the main window feeds TOnlineValues its
    // notifications itself (no connector of its own). Without it the editor shows none.
    void EnableOnlineValues();
    TOnlineValues* OnlineValues() const { return FOnlineValues.get(); }
    void UpdateOnlineValues();

    // The compile command: editor text into its POU, compile, report an error at its place.
    bool Compile();
    bool SoftAGInitProgram();

public Q_SLOTS:
    void ToolProgStartClick();
    void MenuStartClick();
    void ToolProgCycleClick();
    void ToolProgStepOverClick();
    void ToolProgStepIntoClick();
    void ToolProgStepOutClick();
    void ToolProgResetClick();
    void RunTimerTimer();
    void ToolBarPanelResize();
    void OnMenuEdit();
    // Prints the current file through the print dialog (nothing without a current tab).
    void OnPrintFile();

public:
    // ISoftAGConnector
    void NotifyModeChange() override;
    void NotifyMemChange(int32_t, int32_t, int32_t, int32_t) override {}
    void NotifyCRChange() override {}
    void NotifyPOUChange() override;
    void NotifyStep(TCycle WasCycle) override;
    void NotifyCycle() override {}
    void NotifyCodeChange() override;
    // IRuntimeErrorReporter
    void ShowRuntimeError(const std::string& text) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormCreate();
    void CreateLayout();
    void CreateActions();
    void CreateMenus();
    void UpdateRunButton();
    void ShowSourcePosition();
    void LAUpdate();
    int LibraryCount() const;
    // After a project or file command: the editor's markers from the (re)loaded set.
    void ReloadBreakpointMarkers();

    std::unique_ptr<TQtPrompts> FOwnPrompts;
    IProjectPrompts* FPrompts;
    std::unique_ptr<ProjectManager> FProjects;
    std::unique_ptr<TSoftAG> FSoftAG;
    std::unique_ptr<TOnlineValues> FOnlineValues;
    // Online values are followed only while shown; steps missed while they were off make them
    // start afresh when switched on again.
    bool FollowOnlineValues();
    bool FOnlineValuesMissed = false;
    TEditForm* FEditForm = nullptr;
    QWidget* FWatchForm = nullptr;
    QWidget* FStatisticsForm = nullptr;
    QWidget* FAboutbox = nullptr;
    QString FHelpFile;
    QTimer FRunTimer;
    int32_t FLAUpdateStepCounter = 0;
    bool FClosed = false;

    TToolBarPanel* FToolBarPanel = nullptr;
    QToolBar* FToolBar1 = nullptr;
    QToolBar* FToolBar2 = nullptr;
    QWidget* FEditorPanel = nullptr;
    QWidget* FSimulatorsPanel = nullptr;
    QWidget* FLogicAnyPanel = nullptr;
    QSplitter* FSplitter1 = nullptr;
    QSplitter* FLogicAnySplitter = nullptr;
    QMenu* FSimPopupMenu = nullptr;
    QMenu* FMenuExecuteProcesses = nullptr;
    QMenu* FMenuEdit = nullptr;

    QAction* FacNewProject = nullptr;
    QAction* FacOpenProject = nullptr;
    QAction* FacSaveProject = nullptr;
    QAction* FacSaveProjectAs = nullptr;
    QAction* FacNewFile = nullptr;
    QAction* FacAddFile = nullptr;
    QAction* FacRemoveFile = nullptr;
    QAction* FacSaveFile = nullptr;
    QAction* FacSaveFileAs = nullptr;
    QAction* FacPrintFile = nullptr;
    QAction* FacExit = nullptr;
    QAction* FacLogicAnalyzer = nullptr;
    QAction* FMenuEditUndo = nullptr;
    QAction* FMenuRemoveAllBreakpoints = nullptr;
    QAction* FMenuOnlineValues = nullptr;

    QToolButton* FToolProgStart = nullptr;
    QToolButton* FToolProgCycle = nullptr;
    QToolButton* FToolProgStepOver = nullptr;
    QToolButton* FToolProgStepInto = nullptr;
    QToolButton* FToolProgStepOut = nullptr;
    QToolButton* FToolProgReset = nullptr;
    QToolButton* FToolSim = nullptr;
};

} // namespace korvo::ui
