#include "Main/MainForm.h"

#include "Main/CompileBridge.h"
#include "Main/ProjectServices.h"
#include "Main/QtPrompts.h"
#include "UEditor/EditForm.h"

#include <Qsci/qsciprinter.h>
#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QDialog>
#include <QFileInfo>
#include <QMenu>
#include <QMenuBar>
#include <QPrintDialog>
#include <QScreen>
#include <QSplitter>
#include <QStyle>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <algorithm>

namespace korvo::ui {

namespace {
QIcon ToolIcon(const char* themeName, QStyle::StandardPixmap fallback) {
    return QIcon::fromTheme(QString::fromLatin1(themeName), qApp->style()->standardIcon(fallback));
}
} // namespace

void TToolBarPanel::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Q_EMIT Resized();
}

TMainForm::TMainForm(IProjectPrompts* prompts, const std::string& libraryPath, QWidget* parent)
    : QMainWindow(parent) {
    if (!prompts) {
        FOwnPrompts = std::make_unique<TQtPrompts>(this);
        prompts = FOwnPrompts.get();
    }
    FPrompts = prompts;

    TProjectServices services = CompilerProjectServices(libraryPath);
    services.ResetSoftPLC = [this] {
        FSoftAG->Reset();
        FRunTimer.stop();
    };
    services.SetTitle = [this](const std::string& title) { setWindowTitle(QString::fromStdString(title)); };
    FProjects = std::make_unique<ProjectManager>(*FPrompts, std::move(services));

    CreateLayout();
    CreateActions();
    CreateMenus();
    FormCreate();
}

TMainForm::~TMainForm() {
    FRunTimer.stop();

    if (FEditForm) {
        FEditForm->SetOnEdited({});
        FEditForm->SetProject(nullptr);
    }
    FProjects->SetEditorView(nullptr);
    LAUpdateDisplay = nullptr;
    ResetVisualizations = nullptr;
    FWatchForm = FStatisticsForm = FAboutbox = nullptr;
    FEditForm = nullptr;
    // Child windows (views, visualizations) are connectors of the soft PLC: they go first,
    // while the soft PLC and the project they point at still exist.
    const QList<QObject*> kids = children();
    for (QObject* kid : kids)
        if (kid->isWidgetType())
            delete kid;
    if (!FClosed)
        FSoftAG->RemoveConnector(this);
}

void TMainForm::FormCreate() {
    // 972 pixels wide, or wider when the fonts make both tool bars need more than that.
    const int barsWidth = FToolBar1->sizeHint().width() + FToolBar2->sizeHint().width() + 2;
    resize(std::max(972, barsWidth), 666);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().topLeft());
    FHelpFile = QFileInfo::exists(QStringLiteral("KORVO_DE.HLP")) ? QStringLiteral("KORVO_DE.HLP")
                                                                  : QStringLiteral("KORVO_EN.HLP");
    setWindowTitle(QApplication::applicationName().isEmpty() ? QString::fromLatin1(APPLICATION_TITLE)
                                                             : QApplication::applicationName());
    FSoftAG = std::make_unique<TSoftAG>();
    FSoftAG->AddConnector(this);
    FSoftAG->SetErrorReporter(this);
    FSoftAG->Data->ProjectDesc = &FProjects->Project();
    FSoftAG->SetBreakpoints(&FProjects->Breakpoints());

    FRunTimer.setObjectName(QStringLiteral("RunTimer"));
    FRunTimer.setInterval(5);
    FRunTimer.setTimerType(Qt::PreciseTimer);
    connect(&FRunTimer, &QTimer::timeout, this, &TMainForm::RunTimerTimer);
}

void TMainForm::CreateLayout() {
    auto* central = new QWidget(this);
    auto* layout = new QVBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    FToolBarPanel = new TToolBarPanel(central);
    FToolBarPanel->setObjectName(QStringLiteral("ToolBarPanel"));
    FToolBarPanel->setFixedHeight(30);
    layout->addWidget(FToolBarPanel);

    FToolBar1 = new QToolBar(QStringLiteral("ToolBar1"), FToolBarPanel);
    FToolBar1->setObjectName(QStringLiteral("ToolBar1"));
    FToolBar1->setMovable(false);
    FToolBar1->setFloatable(false);
    FToolBar1->setIconSize(QSize(20, 20));
    FToolBar1->setToolButtonStyle(Qt::ToolButtonIconOnly);
    FToolBar1->move(1, 1);
    FToolBar1->setStyleSheet(
        QStringLiteral("QToolBar#ToolBar1 { border: 0px; padding: 0px; spacing: 0px; }"));

    FToolBar2 = new QToolBar(QStringLiteral("ToolBar2"), FToolBarPanel);
    FToolBar2->setObjectName(QStringLiteral("ToolBar2"));
    FToolBar2->setMovable(false);
    FToolBar2->setFloatable(false);
    FToolBar2->setToolButtonStyle(Qt::ToolButtonTextOnly);
    connect(FToolBarPanel, &TToolBarPanel::Resized, this, &TMainForm::ToolBarPanelResize);

    FLogicAnySplitter = new QSplitter(Qt::Vertical, central);
    FLogicAnySplitter->setObjectName(QStringLiteral("LogicAnySplitter"));
    FLogicAnySplitter->setHandleWidth(5);
    FLogicAnySplitter->setChildrenCollapsible(false);
    layout->addWidget(FLogicAnySplitter, 1);

    FSplitter1 = new QSplitter(Qt::Horizontal, FLogicAnySplitter);
    FSplitter1->setObjectName(QStringLiteral("Splitter1"));
    FSplitter1->setHandleWidth(5);
    FSplitter1->setChildrenCollapsible(false);

    FEditorPanel = new QWidget(FSplitter1);
    FEditorPanel->setObjectName(QStringLiteral("EditorPanel"));
    auto* editorLayout = new QVBoxLayout(FEditorPanel);
    editorLayout->setContentsMargins(0, 0, 0, 0);
    FEditorPanel->setMinimumWidth(120);

    FSimulatorsPanel = new QWidget(FSplitter1);
    FSimulatorsPanel->setObjectName(QStringLiteral("SimulatorsPanel"));
    FSimulatorsPanel->setAutoFillBackground(true);
    QPalette simPalette = FSimulatorsPanel->palette();
    simPalette.setColor(QPalette::Window, palette().color(QPalette::Window).darker(108));
    FSimulatorsPanel->setPalette(simPalette);
    FSimulatorsPanel->setMinimumWidth(60);
    FSplitter1->addWidget(FEditorPanel);
    FSplitter1->addWidget(FSimulatorsPanel);
    FSplitter1->setStretchFactor(0, 0);
    FSplitter1->setStretchFactor(1, 1);
    FSplitter1->setSizes({400, 567});

    FLogicAnyPanel = new QWidget(FLogicAnySplitter);
    FLogicAnyPanel->setObjectName(QStringLiteral("LogicAnyPanel"));
    auto* laLayout = new QVBoxLayout(FLogicAnyPanel);
    laLayout->setContentsMargins(0, 0, 0, 0);
    FLogicAnySplitter->addWidget(FSplitter1);
    FLogicAnySplitter->addWidget(FLogicAnyPanel);
    FLogicAnySplitter->setStretchFactor(0, 1);
    FLogicAnySplitter->setStretchFactor(1, 0);
    FLogicAnyPanel->hide();

    setCentralWidget(central);
    FSimPopupMenu = new QMenu(this);
    FSimPopupMenu->setObjectName(QStringLiteral("SimPopupMenu"));
}

void TMainForm::CreateActions() {
    auto make = [this](const QString& text, const QString& hint, const QIcon& icon, auto slot) {
        auto* a = new QAction(icon, text, this);
        a->setToolTip(hint);
        a->setStatusTip(hint);
        connect(a, &QAction::triggered, this, slot);
        return a;
    };
    ProjectManager* pm = FProjects.get();
    FacNewProject = make(QStringLiteral("New Projec&t"), QStringLiteral("Empty project"),
                         ToolIcon("document-new", QStyle::SP_FileDialogNewFolder), [this, pm] {
                             pm->OnNewProject();
                             ReloadBreakpointMarkers();
                         });
    FacOpenProject = make(QStringLiteral("&Open Project..."), QStringLiteral("Open project"),
                          ToolIcon("document-open", QStyle::SP_DirOpenIcon), [this, pm] {
                              pm->OnOpenProject();
                              ReloadBreakpointMarkers();
                          });
    FacSaveProject =
        make(QStringLiteral("Sa&ve Project"), QStringLiteral("Save project"),
             ToolIcon("document-save", QStyle::SP_DialogSaveButton), [pm] { pm->OnSaveProject(); });
    FacSaveProjectAs =
        make(QStringLiteral("Sav&e Project As..."), QString(), QIcon(), [pm] { pm->OnSaveProjectAs(); });
    FacNewFile = make(QStringLiteral("&New File"), QStringLiteral("Add empty file"),
                      ToolIcon("text-x-generic", QStyle::SP_FileIcon), [pm] { pm->OnAddNewFile(); });
    FacAddFile = make(QStringLiteral("A&dd File..."), QStringLiteral("Add file to project"),
                      ToolIcon("list-add", QStyle::SP_FileDialogStart), [pm] { pm->OnAddOpenFile(); });
    FacRemoveFile = make(QStringLiteral("&Remove File"), QStringLiteral("Remove file from project"),
                         ToolIcon("list-remove", QStyle::SP_TrashIcon), [pm] { pm->OnRemoveCloseFile(); });
    FacSaveFile = make(QStringLiteral("&Save File"), QStringLiteral("Save file"),
                       ToolIcon("document-save-as", QStyle::SP_DriveFDIcon), [pm] { pm->OnSaveFile(); });
    FacSaveFileAs = make(QStringLiteral("Save File &As..."), QString(), QIcon(), [this, pm] {
        pm->OnSaveFileAs(); // the file's breakpoints go with its new name
        ReloadBreakpointMarkers();
    });
    FacPrintFile =
        make(QStringLiteral("&Print File..."), QStringLiteral("Print file"),
             ToolIcon("document-print", QStyle::SP_FileDialogDetailedView), [this] { OnPrintFile(); });
    FacExit = make(QStringLiteral("E&xit"), QString(),
                   ToolIcon("application-exit", QStyle::SP_DialogCloseButton), [this] { close(); });

    for (QAction* a : {FacNewProject, FacOpenProject, FacSaveProject})
        FToolBar1->addAction(a);
    FToolBar1->addSeparator();
    for (QAction* a : {FacNewFile, FacAddFile, FacRemoveFile, FacSaveFile, FacPrintFile})
        FToolBar1->addAction(a);
    FToolBar1->addSeparator();
    auto* exitButton = new QToolButton(FToolBar1);
    exitButton->setObjectName(QStringLiteral("ToolExit"));
    exitButton->setIcon(FacExit->icon());
    connect(exitButton, &QToolButton::clicked, this, [this] { close(); });
    FToolBar1->addWidget(exitButton);
    for (QAction* a : FToolBar1->actions())
        if (QWidget* w = FToolBar1->widgetForAction(a))
            w->setFixedSize(28, 28);
    exitButton->setFixedSize(28, 28);

    auto button = [this](const char* name, const QString& caption, auto slot) {
        auto* b = new QToolButton(FToolBar2);
        b->setObjectName(QString::fromLatin1(name));
        b->setText(caption);
        b->setToolButtonStyle(Qt::ToolButtonTextOnly);
        b->setFixedWidth(81);
        b->setAutoRaise(true);
        connect(b, &QToolButton::clicked, this, slot);
        FToolBar2->addWidget(b);
        return b;
    };
    FToolProgStart = button("ToolProgStart", QStringLiteral("Run"), &TMainForm::ToolProgStartClick);
    FToolProgStart->setCheckable(true);
    FToolProgCycle = button("ToolProgCycle", QStringLiteral("Cycle"), &TMainForm::ToolProgCycleClick);
    FToolProgStepOver = button("ToolProgStepOver", QStringLiteral("Step"), &TMainForm::ToolProgStepOverClick);
    FToolProgStepInto =
        button("ToolProgStepInto", QStringLiteral("Step Into"), &TMainForm::ToolProgStepIntoClick);
    FToolProgStepOut =
        button("ToolProgStepOut", QStringLiteral("Step Out"), &TMainForm::ToolProgStepOutClick);
    FToolProgReset = button("ToolProgReset", QStringLiteral("Reset"), &TMainForm::ToolProgResetClick);
    FToolBar2->addSeparator();
    FToolSim = new QToolButton(FToolBar2);
    FToolSim->setObjectName(QStringLiteral("ToolSim"));
    FToolSim->setText(QStringLiteral("Visualization"));
    FToolSim->setToolButtonStyle(Qt::ToolButtonTextOnly);
    FToolSim->setPopupMode(QToolButton::InstantPopup);
    FToolSim->setMenu(FSimPopupMenu);
    FToolSim->setMinimumWidth(81);
    FToolSim->setAutoRaise(true);
    FToolBar2->addWidget(FToolSim);

    FacLogicAnalyzer = new QAction(QStringLiteral("&Logic Analyzer"), this);
    FacLogicAnalyzer->setObjectName(QStringLiteral("acLogicAnalyzer"));
    FacLogicAnalyzer->setCheckable(true);
    connect(FacLogicAnalyzer, &QAction::toggled, this, [this](bool on) { FLogicAnyPanel->setVisible(on); });
    FToolBar2->addAction(FacLogicAnalyzer);
    if (QWidget* w = FToolBar2->widgetForAction(FacLogicAnalyzer))
        w->setMinimumWidth(81);
    UpdateRunButton();
    ToolBarPanelResize();
}

void TMainForm::CreateMenus() {
    QMenu* file = menuBar()->addMenu(QStringLiteral("&File"));
    file->addAction(FacNewProject);
    file->addAction(FacOpenProject);
    file->addAction(FacSaveProject);
    file->addAction(FacSaveProjectAs);
    file->addSeparator();
    file->addAction(FacNewFile);
    file->addAction(FacAddFile);
    file->addAction(FacRemoveFile);
    file->addAction(FacSaveFile);
    file->addAction(FacSaveFileAs);
    file->addSeparator();
    file->addAction(FacPrintFile);
    file->addSeparator();
    file->addAction(FacExit);

    FMenuEdit = menuBar()->addMenu(QStringLiteral("&Edit"));
    connect(FMenuEdit, &QMenu::aboutToShow, this, &TMainForm::OnMenuEdit);
    auto editAction = [this](const QString& text, const QKeySequence& key, auto op) {
        QAction* a = FMenuEdit->addAction(text);
        if (!key.isEmpty())
            a->setShortcut(key);
        connect(a, &QAction::triggered, this, [this, op] {
            if (FEditForm)
                op(FEditForm->Editor());
        });
        return a;
    };
    FMenuEditUndo = editAction(QStringLiteral("&Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                               [](QsciScintilla* e) { e->undo(); });
    FMenuEdit->addSeparator();
    editAction(QStringLiteral("&Cut"), QKeySequence(Qt::CTRL | Qt::Key_X),
               [](QsciScintilla* e) { e->cut(); });
    editAction(QStringLiteral("Co&py"), QKeySequence(Qt::CTRL | Qt::Key_C),
               [](QsciScintilla* e) { e->copy(); });
    editAction(QStringLiteral("P&aste"), QKeySequence(Qt::CTRL | Qt::Key_V),
               [](QsciScintilla* e) { e->paste(); });
    editAction(QStringLiteral("&Delete"), QKeySequence(Qt::CTRL | Qt::Key_Delete),
               [](QsciScintilla* e) { e->removeSelectedText(); });
    FMenuEdit->addSeparator();
    editAction(QStringLiteral("&Select All"), QKeySequence(), [](QsciScintilla* e) { e->selectAll(); });

    QMenu* view = menuBar()->addMenu(QStringLiteral("&View"));
    view->addAction(QStringLiteral("Project &Manager"));
    view->addAction(QStringLiteral("&Editor"));
    view->addAction(FacLogicAnalyzer);
    FMenuOnlineValues = view->addAction(QStringLiteral("&Online values"));
    FMenuOnlineValues->setObjectName(QStringLiteral("MenuOnlineValues"));
    FMenuOnlineValues->setCheckable(true);
    FMenuOnlineValues->setChecked(true);
    connect(FMenuOnlineValues, &QAction::toggled, this, [this](bool on) {
        if (on && FOnlineValuesMissed && FOnlineValues)
            FOnlineValues->Restart();
        if (on)
            FOnlineValuesMissed = false;
        UpdateOnlineValues();
    });
    QAction* perf = view->addAction(QStringLiteral("&Performance"));
    perf->setObjectName(QStringLiteral("MenuViewPerformance"));
    connect(perf, &QAction::triggered, this, [this] {
        if (FStatisticsForm) {
            FStatisticsForm->show();
            FStatisticsForm->raise();
        }
    });

    QMenu* exec = menuBar()->addMenu(QStringLiteral("E&xecute"));
    QAction* start = exec->addAction(QStringLiteral("&Start"));
    start->setShortcut(QKeySequence(Qt::Key_F9));
    connect(start, &QAction::triggered, this, &TMainForm::MenuStartClick);
    QAction* stop = exec->addAction(QStringLiteral("S&top"));
    stop->setShortcut(QKeySequence(Qt::Key_F10));
    stop->setEnabled(false);
    QAction* step = exec->addAction(QStringLiteral("Ste&p"));
    step->setShortcut(QKeySequence(Qt::Key_F7));
    connect(step, &QAction::triggered, this, &TMainForm::ToolProgStepOverClick);
    QAction* reset = exec->addAction(QStringLiteral("&Reset"));
    reset->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F2));
    connect(reset, &QAction::triggered, this, &TMainForm::ToolProgResetClick);
    exec->addSeparator();
    QAction* toggleBp = exec->addAction(QStringLiteral("Toggle &breakpoint"));
    toggleBp->setObjectName(QStringLiteral("MenuToggleBreakpoint"));
    toggleBp->setShortcut(QKeySequence(Qt::Key_F5));
    connect(toggleBp, &QAction::triggered, this, [this] {
        if (!FEditForm)
            return;
        int line = 0, index = 0;
        FEditForm->Editor()->getCursorPosition(&line, &index);
        FEditForm->ToggleBreakpoint(line);
    });
    FMenuRemoveAllBreakpoints = exec->addAction(QStringLiteral("Remove all breakpoints"));
    FMenuRemoveAllBreakpoints->setObjectName(QStringLiteral("MenuRemoveAllBreakpoints"));
    connect(FMenuRemoveAllBreakpoints, &QAction::triggered, this, [this] {
        if (FEditForm)
            FEditForm->RemoveAllBreakpoints();
        Breakpoints().Clear();
    });
    exec->addSeparator();
    FMenuExecuteProcesses = exec->addMenu(QStringLiteral("Pro&cesses"));
    FMenuExecuteProcesses->setObjectName(QStringLiteral("MenuExecuteProcesses"));

    QMenu* help = menuBar()->addMenu(QStringLiteral("&Help"));
    for (const char* item : {"&Contents", "&Keyword Search", "IEC &Reference", "&Online Information"})
        help->addAction(QString::fromLatin1(item))->setEnabled(false); // no help is shipped
    help->addSeparator();
    QAction* about = help->addAction(QStringLiteral("&About..."));
    connect(about, &QAction::triggered, this, [this] {
        if (auto* box = qobject_cast<QDialog*>(FAboutbox))
            box->exec();
    });
}

void TMainForm::AttachEditForm(TEditForm* editForm) {
    FEditForm = editForm;
    FEditForm->setParent(FEditorPanel);
    FEditorPanel->layout()->addWidget(FEditForm);
    FEditForm->SetProject(&FProjects->Project());
    FEditForm->SetOnEdited([this] { FSoftAG->Reset(); });
    FEditForm->SetBreakpoints(&FProjects->Breakpoints());
    FProjects->SetEditorView(FEditForm);
}

void TMainForm::RestoreDesktop(const QStringList& args) {
    std::vector<std::string> a;
    for (const QString& s : args)
        a.push_back(s.toStdString());
    FProjects->RestoreDesktop(a);
    ReloadBreakpointMarkers();
}

void TMainForm::ReloadBreakpointMarkers() {
    if (FEditForm)
        FEditForm->ReloadBreakpointMarkers();
}

void TMainForm::EnableOnlineValues() {
    if (FOnlineValues)
        return;
    FOnlineValues = std::make_unique<TOnlineValues>(*FSoftAG);
}

bool TMainForm::FollowOnlineValues() {
    if (!FOnlineValues)
        return false;
    if (FMenuOnlineValues && FMenuOnlineValues->isChecked())
        return true;
    FOnlineValuesMissed = true;
    return false;
}

void TMainForm::UpdateOnlineValues() {
    if (!FEditForm)
        return;
    std::vector<std::pair<int, QString>> values;
    if (FOnlineValues && FMenuOnlineValues->isChecked() && FSoftAG->FMode == MM_STEP &&
        FEditForm->CurrentTab() >= 0) {
        const int pou = FEditForm->TabInfos()[static_cast<size_t>(FEditForm->CurrentTab())].POUIndex;
        for (const TOnlineValues::TLineValue& v : FOnlineValues->Lines(pou))
            values.emplace_back(v.Line, QStringLiteral("CR: ") + QString::fromStdString(v.Text()));
    }
    FEditForm->SetLineAnnotations(values);
}

void TMainForm::OnPrintFile() {
    if (!FEditForm || FEditForm->CurrentTab() < 0)
        return;
    QsciPrinter printer;
    printer.setDocName(FEditForm->SelPOU()->tabText(FEditForm->CurrentTab()));
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print file"));
    dialog.setOption(QAbstractPrintDialog::PrintToFile, true);
    if (dialog.exec() == QDialog::Accepted)
        printer.printRange(FEditForm->Editor());
}

void TMainForm::ToolBarPanelResize() {
    // The left edge border is 1 pixel in both rows (transparent in the second), so both bars
    // keep their sizes whichever way they are placed.
    static const QString firstRow = QStringLiteral("QToolBar#ToolBar2 { border: 0px; border-left: 1px solid "
                                                   "palette(mid); padding: 0px; spacing: 0px; }");
    static const QString secondRow = QStringLiteral(
        "QToolBar#ToolBar2 { border: 0px; border-left: 1px solid transparent; padding: 0px; spacing: 0px; }");
    const QSize s1 = FToolBar1->sizeHint();
    const QSize s2 = FToolBar2->sizeHint();
    FToolBar1->setGeometry(1, 1, s1.width(), s1.height());
    const bool wrap = FToolBarPanel->width() - 2 < s1.width() + s2.width();
    const QString& css = wrap ? secondRow : firstRow;
    if (FToolBar2->styleSheet() != css)
        FToolBar2->setStyleSheet(css);
    if (wrap) {
        FToolBarPanel->setFixedHeight(s1.height() + s2.height() + 2);
        FToolBar2->setGeometry(1, FToolBar1->y() + s1.height(), s2.width(), s2.height());
    } else {
        FToolBarPanel->setFixedHeight(s1.height() + 2);
        FToolBar2->setGeometry(FToolBar1->x() + s1.width(), 1, s2.width(), s2.height());
    }
}

void TMainForm::OnMenuEdit() {
    FMenuEditUndo->setEnabled(FEditForm && FEditForm->Editor()->isUndoAvailable());
}

int TMainForm::LibraryCount() const {
    return FProjects->LibraryPOUCount();
}

bool TMainForm::Compile() {
    TProjectDesc& project = FProjects->Project();
    if (FEditForm && FEditForm->CurrentTab() >= 0) {
        if (TPOUDesc* pou = FProjects->FilePOU(FEditForm->CurrentTab())) {
            pou->POUText = FEditForm->EditorLines();
            pou->Modified = pou->Modified || FEditForm->EditorModified();
        }
    }
    int32_t pouIndex = -1, lIndex = 0, chIndex = 0;
    std::string message;
    const bool ok = CompileProject(project, pouIndex, lIndex, chIndex, message);
    if (ok)
        return true;
    if (pouIndex < 0 || pouIndex >= static_cast<int32_t>(project.POUList.size())) {
        FPrompts->ShowMessage(message);
        return false;
    }
    if (FEditForm) {
        FEditForm->ShowPOU(pouIndex);
        // A library POU has no tab: then the caret stays where it is.
        const int tab = FEditForm->CurrentTab();
        if (tab >= 0 && FEditForm->TabInfos()[static_cast<size_t>(tab)].POUIndex == pouIndex)
            FEditForm->GotoPosition(lIndex + 1, chIndex + 1);
    }
    FPrompts->ShowMessage(CompileErrorText(project, pouIndex, lIndex, chIndex, message));
    return false;
}

bool TMainForm::SoftAGInitProgram() {
    if (FSoftAG->FMode != MM_OFF)
        return true;
    if (!Compile())
        return false;
    FSoftAG->Reset();
    return true;
}

void TMainForm::ToolProgStartClick() {
    if (FToolProgStart->isChecked()) {
        if (SoftAGInitProgram()) {
            FSoftAG->SetMode(MM_RUN);
            FLAUpdateStepCounter = 0;
        } else {
            FToolProgStart->setChecked(false);
        }
    } else {
        FSoftAG->Reset();
    }
    UpdateRunButton();
}

void TMainForm::MenuStartClick() {
    ToolProgStartClick();
}

void TMainForm::ToolProgCycleClick() {
    if (!SoftAGInitProgram())
        return;
    FSoftAG->SetMode(MM_STEP);
    FSoftAG->Cycle();
    LAUpdate();
}

void TMainForm::ToolProgStepOverClick() {
    if (!SoftAGInitProgram())
        return;
    FSoftAG->StepCommand(false);
    LAUpdate();
}

void TMainForm::ToolProgStepIntoClick() {
    if (!SoftAGInitProgram())
        return;
    FSoftAG->StepCommand(true);
    LAUpdate();
}

void TMainForm::ToolProgStepOutClick() {
    if (FSoftAG->FMode != MM_STEP)
        return;
    FSoftAG->StepOut();
    LAUpdate();
}

void TMainForm::ToolProgResetClick() {
    FSoftAG->ResetAll();
    if (ResetVisualizations)
        ResetVisualizations();
}

void TMainForm::RunTimerTimer() {
    if (FSoftAG->FMode != MM_RUN)
        return;
    do {
        FSoftAG->Clock();
    } while (FSoftAG->Data->Cycle != DATAREAD && FSoftAG->FMode == MM_RUN);
    if (FSoftAG->FMode != MM_RUN) {
        LAUpdate();
        return;
    }
    ++FLAUpdateStepCounter;
    const int interval = std::max(1, FRunTimer.interval());
    if (FLAUpdateStepCounter >= 50 / interval) {
        LAUpdate();
        FLAUpdateStepCounter = 0;
    }
}

void TMainForm::LAUpdate() {
    if (LAUpdateDisplay)
        LAUpdateDisplay();
}

void TMainForm::UpdateRunButton() {
    const bool running = FSoftAG && FSoftAG->FMode == MM_RUN;
    FToolProgStart->setText(running ? QStringLiteral("Running") : QStringLiteral("Run"));
    FToolProgStart->setStyleSheet(running ? QStringLiteral("QToolButton { color: red; }")
                                          : QStringLiteral("QToolButton { color: green; }"));
}

void TMainForm::ShowSourcePosition() {
    if (!FEditForm)
        return;
    const int pou = FSoftAG->GetSourcePOU();
    FEditForm->ShowPOU(pou);
    // A POU without a tab (library code, where a runtime error may stop) marks no line.
    const bool shown = FEditForm->CurrentTab() >= 0 &&
                       FEditForm->TabInfos()[static_cast<size_t>(FEditForm->CurrentTab())].POUIndex == pou;
    FEditForm->SetSelDebugLine(shown ? FSoftAG->GetSourceLine() : -1);
}

void TMainForm::NotifyModeChange() {
    if (FOnlineValues)
        FOnlineValues->NotifyModeChange();
    const TMode mode = FSoftAG->FMode;
    if (mode == MM_RUN)
        FRunTimer.start();
    else
        FRunTimer.stop();
    {
        const QSignalBlocker block(FToolProgStart);
        FToolProgStart->setChecked(mode == MM_RUN);
    }
    UpdateRunButton();
    if (mode == MM_STEP) {
        if (FWatchForm)
            FWatchForm->show();
        ShowSourcePosition();
    } else {
        if (FWatchForm)
            FWatchForm->hide();
        if (FEditForm)
            FEditForm->SetSelDebugLine(-1);
    }
    UpdateOnlineValues();
}

void TMainForm::NotifyPOUChange() {
    if (FollowOnlineValues())
        FOnlineValues->NotifyPOUChange();
    if (FSoftAG->FMode == MM_STEP)
        FToolProgStepOut->setEnabled(FSoftAG->GetSourcePOU() != FProjects->Project().MainPOU);
}

void TMainForm::NotifyStep(TCycle WasCycle) {
    if (FollowOnlineValues())
        FOnlineValues->NotifyStep(WasCycle);
    if (FSoftAG->FMode == MM_STEP) {
        ShowSourcePosition();
        UpdateOnlineValues();
    }
}

void TMainForm::NotifyCodeChange() {
    if (FOnlineValues)
        FOnlineValues->NotifyCodeChange();
}

void TMainForm::ShowRuntimeError(const std::string& text) {
    FPrompts->ShowMessage(text);
}

void TMainForm::closeEvent(QCloseEvent* event) {
    if (!FProjects->CanCloseProject()) {
        event->ignore();
        return;
    }
    FRunTimer.stop();
    if (!FClosed) {
        FSoftAG->RemoveConnector(this);
        FClosed = true;
    }
    // Floating child windows (watch, performance) close with the main window.
    for (QWidget* w : findChildren<QWidget*>())
        if (w->isWindow() && w->isVisible())
            w->hide();
    event->accept();
}

} // namespace korvo::ui
