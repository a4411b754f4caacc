// The main window with the real project manager, compiler and soft PLC: the command line, the
// caption, the compile command, the run commands with their mode, button and editor effects,
// runtime errors, edits resetting the soft PLC, the close query and the tool bar layout.
#include "UiTestSupport.h"

#include "Watch/WatchForm.h"

#include <Qsci/qsciscintilla.h>

#include <QMenu>
#include <QMenuBar>
#include <QRegularExpression>
#include <QToolBar>
#include <QToolButton>
#include <QWidgetAction>

using namespace korvo;
using namespace korvo::ui;
using namespace korvo::uitest;

namespace {
// Line numbers (from 0) are given in the comments; the tests rely on them.
const QByteArray MainIL = "PROGRAM main\n"              // 0
                          "VAR\n"                       // 1
                          "  x : INT\n"                 // 2
                          "  cnt : counter\n"           // 3
                          "  out AT %QW0 : INT\n"       // 4
                          "END_VAR\n"                   // 5
                          "  LD x\n"                    // 6
                          "  ADD 1\n"                   // 7
                          "  ST x\n"                    // 8
                          "  CAL cnt\n"                 // 9
                          "  LD x\n"                    // 10
                          "  ST out\n"                  // 11
                          "END_PROGRAM\n";              // 12
const QByteArray CounterIL = "FUNCTION_BLOCK counter\n" // 0
                             "VAR_OUTPUT\n"             // 1
                             "  count : INT\n"          // 2
                             "END_VAR\n"                // 3
                             "  LD count\n"             // 4
                             "  ADD 1\n"                // 5
                             "  ST count\n"             // 6
                             "END_FUNCTION_BLOCK\n";    // 7
const QByteArray ProjectPLP =
    "[COMMON]\nID=MERLO19\nPOUCOUNT=2\n\n[POUFILENAMES]\nPOU0=main.il\nPOU1=counter.il\n";
const QByteArray DivIL =
    "PROGRAM divide\nVAR\n  x : INT\n  zero : INT\nEND_VAR\n  LD 5\n  DIV zero\n  ST x\nEND_PROGRAM\n";
} // namespace

class TestMainForm : public QObject {
    Q_OBJECT

    TScratch scratch;
    QString plp;

    std::unique_ptr<TIde> OpenExample() {
        auto ide = std::make_unique<TIde>(QStringList{plp});
        ide->Edit().ShowFile(0);
        return ide;
    }
    static int DebugLine(TIde& ide) {
        return ide.Edit().CurrentTab() == ide.Edit().SelDebugPOU() ? ide.Edit().SelDebugLine() : -1;
    }
    static QString TabName(TIde& ide) { return ide.Edit().SelPOU()->tabText(ide.Edit().CurrentTab()); }
    static void PressRun(TIde& ide) { QTest::mouseClick(ide.Main->ToolProgStart(), Qt::LeftButton); }

private Q_SLOTS:
    void initTestCase() {
        scratch.Write("main.il", MainIL);
        scratch.Write("counter.il", CounterIL);
        scratch.Write("div.il", DivIL);
        scratch.Write("Demo.IL", "PROGRAM demo\n  LD TRUE\n  ST %QX0.0\nEND_PROGRAM\n");
        plp = scratch.Write("example.plp", ProjectPLP);
    }

    void startWithoutArgument() {
        TIde ide;
        QCOMPARE(ide.Main->windowTitle(), QStringLiteral("Korvo - project01.plp"));
        QCOMPARE(ide.Edit().TabCount(), 1);
        QCOMPARE(TabName(ide), QStringLiteral("noname01.il"));
        QVERIFY(!ide.Project().Modified);
        QVERIFY(ide.Prompts.Messages.empty());
        QCOMPARE(ide.PLC().FMode, MM_OFF);
    }

    void startWithProject() {
        TIde ide({plp});
        QCOMPARE(ide.Main->windowTitle(), QStringLiteral("Korvo - ") + plp);
        QCOMPARE(ide.Edit().TabCount(), 2);
        QCOMPARE(ide.Edit().SelPOU()->tabText(1), QStringLiteral("counter.il"));
        QVERIFY(ide.Prompts.Messages.empty());
    }

    void startWithILFileOfAnyCase() {
        TIde ide({scratch.Path("Demo.IL")});
        QCOMPARE(ide.Edit().TabCount(), 1);
        QCOMPARE(TabName(ide), QStringLiteral("Demo.IL"));
        QVERIFY(ide.Project().Modified);
        // Closing asks about the project; answering Cancel keeps the window open.
        ide.Prompts.Answers = {TSaveAnswer::Cancel};
        ide.Main->show();
        QVERIFY(!ide.Main->close());
        QVERIFY(ide.Main->isVisible());
        QCOMPARE(ide.Prompts.Questions.size(), size_t(1));
        QVERIFY(QString::fromStdString(ide.Prompts.Questions[0]).contains(QStringLiteral("project")));
    }

    void startWithWrongArguments_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("message");
        QTest::newRow("other extension")
            << QStringList{"notes.txt"} << "Error: File specified on commandline isn't plp or il: notes.txt";
        QTest::newRow("no extension")
            << QStringList{"readme"} << "Error: File specified on commandline isn't plp or il: readme";
        QTest::newRow("log switch") << QStringList{"/LOG"} << QString();
        QTest::newRow("two arguments") << QStringList{plp, "x.il"} << QString();
        QTest::newRow("missing il file") << QStringList{scratch.Path("missing.il")} << QString();
        QTest::newRow("missing project") << QStringList{scratch.Path("missing.plp")}
                                         << "File '" + scratch.Path("missing.plp") + "' not found!";
    }
    void startWithWrongArguments() {
        QFETCH(QStringList, args);
        QFETCH(QString, message);
        TIde ide(args);
        if (message.isEmpty())
            QVERIFY(ide.Prompts.Messages.empty());
        else
            QCOMPARE(QString::fromStdString(ide.Prompts.Messages.at(0)), message);
        QVERIFY(ide.Main->windowTitle().startsWith(QStringLiteral("Korvo - project")));
        QCOMPARE(ide.Edit().TabCount(), 1);
    }

    void missingILFileGivesTheNextGeneratedName() {
        TIde ide({scratch.Path("nothere.il")});
        QCOMPARE(ide.Edit().TabCount(), 1);
        QCOMPARE(TabName(ide), QStringLiteral("noname02.il"));
        QVERIFY(ide.Prompts.Messages.empty());
    }

    void compileErrorIsShownAtItsPlace() {
        scratch.Write("bad.il", "PROGRAM bad\nVAR\n  x : INT\nEND_VAR\n  LD x\n  ADD nosuch\nEND_PROGRAM\n");
        TIde ide({scratch.Path("bad.il")});
        ide.Edit().ShowFile(0);
        PressRun(ide);
        QCOMPARE(ide.PLC().FMode, MM_OFF);
        QVERIFY(!ide.Main->ToolProgStart()->isChecked());
        QCOMPARE(ide.Main->ToolProgStart()->text(), QStringLiteral("Run"));
        QCOMPARE(ide.Prompts.Messages.size(), size_t(1));
        const QString msg = QString::fromStdString(ide.Prompts.Messages[0]);
        const QRegularExpression re(
            QStringLiteral("^(.+) in file bad\\.il in line (\\d+) at column (\\d+)$"));
        const auto m = re.match(msg);
        QVERIFY2(m.hasMatch(), qPrintable(msg));
        QCOMPARE(m.captured(2).toInt(), 6);
        int line, index;
        ide.Edit().Editor()->getCursorPosition(&line, &index);
        QCOMPARE(line + 1, 6);
        QCOMPARE(index + 1, m.captured(3).toInt());
    }

    void compileErrorInAnotherFileSwitchesTab() {
        scratch.Write("badfb.il", "FUNCTION_BLOCK counter\nVAR_OUTPUT\n  count : INT\nEND_VAR\n  LD nosuch\n"
                                  "END_FUNCTION_BLOCK\n");
        scratch.Write("bad2.plp",
                      "[COMMON]\nID=MERLO19\nPOUCOUNT=2\n\n[POUFILENAMES]\nPOU0=main.il\nPOU1=badfb.il\n");
        TIde ide({scratch.Path("bad2.plp")});
        ide.Edit().ShowFile(0);
        QVERIFY(!ide.Main->Compile());
        QCOMPARE(TabName(ide), QStringLiteral("badfb.il"));
        QVERIFY(QString::fromStdString(ide.Prompts.Messages.at(0))
                    .contains(QStringLiteral(" in file badfb.il in line 5 ")));
    }

    void runAndReleaseRun() {
        auto ide = OpenExample();
        ide->PLC().Data->IBuf[0] = 0x5A;
        PressRun(*ide);
        QVERIFY2(ide->Prompts.Messages.empty(),
                 ide->Prompts.Messages.empty() ? "" : ide->Prompts.Messages[0].c_str());
        QCOMPARE(ide->PLC().FMode, MM_RUN);
        QVERIFY(ide->Main->ToolProgStart()->isChecked());
        QCOMPARE(ide->Main->ToolProgStart()->text(), QStringLiteral("Running"));
        QVERIFY(ide->Main->ToolProgStart()->styleSheet().contains(QStringLiteral("red")));
        QVERIFY(ide->Main->RunTimer().isActive());
        QCOMPARE(ide->Main->RunTimer().interval(), 5);
        int redraws = 0;
        ide->Main->LAUpdateDisplay = [&] { ++redraws; };
        for (int i = 0; i < 20; ++i)
            ide->Main->RunTimerTimer();
        QCOMPARE(ide->PLC().Data->Cycle, DATAREAD); // one whole cycle per tick
        QCOMPARE(ide->PLC().Data->QBuf[0], uint8_t(20));
        QCOMPARE(redraws, 2); // every 10 ticks at 5 ms
        QCOMPARE(DebugLine(*ide), -1);
        // Releasing the button resets: outputs 0, inputs stay.
        PressRun(*ide);
        QCOMPARE(ide->PLC().FMode, MM_OFF);
        QCOMPARE(ide->Main->ToolProgStart()->text(), QStringLiteral("Run"));
        QVERIFY(ide->Main->ToolProgStart()->styleSheet().contains(QStringLiteral("green")));
        QVERIFY(!ide->Main->RunTimer().isActive());
        QCOMPARE(ide->PLC().Data->QBuf[0], uint8_t(0));
        QCOMPARE(ide->PLC().Data->IBuf[0], uint8_t(0x5A));
    }

    void menuStartActsOnButtonState() {
        auto ide = OpenExample();
        ide->Main->ToolProgCycleClick();
        QCOMPARE(ide->PLC().FMode, MM_STEP);
        ide->Main->MenuStartClick(); // button up: resets
        QCOMPARE(ide->PLC().FMode, MM_OFF);
    }

    void stepThroughMainAndFunctionBlock() {
        auto ide = OpenExample();
        TIde& t = *ide;
        t.Main->ToolProgStepOverClick(); // enters step mode, runs nothing
        QCOMPARE(t.PLC().FMode, MM_STEP);
        QCOMPARE(DebugLine(t), t.Project().MainPOUStartLine);
        QCOMPARE(TabName(t), QStringLiteral("main.il"));
        t.Main->ToolProgStepOverClick(); // input phase and the frame set-up
        QCOMPARE(DebugLine(t), 6);
        t.Main->ToolProgStepOverClick();
        QCOMPARE(DebugLine(t), 7);
        t.Main->ToolProgStepOverClick();
        t.Main->ToolProgStepOverClick();
        QCOMPARE(DebugLine(t), 9); // CAL cnt
        QVERIFY(t.Main->ToolProgStepOut()->isEnabled() == false);
        t.Main->ToolProgStepIntoClick();
        QCOMPARE(TabName(t), QStringLiteral("counter.il"));
        QCOMPARE(DebugLine(t), 4);
        QVERIFY(t.Main->ToolProgStepOut()->isEnabled());
        t.Main->ToolProgStepOverClick();
        QCOMPARE(DebugLine(t), 5);
        t.Main->ToolProgStepOutClick();
        QCOMPARE(TabName(t), QStringLiteral("main.il"));
        QCOMPARE(DebugLine(t), 10);
        QVERIFY(!t.Main->ToolProgStepOut()->isEnabled());
        t.Main->ToolProgStepOverClick();
        t.Main->ToolProgStepOverClick();
        QCOMPARE(DebugLine(t), t.Project().MainPOUEndLine);
        t.Main->ToolProgStepOverClick(); // output phase
        QCOMPARE(t.PLC().Data->Cycle, DATAREAD);
        QCOMPARE(t.PLC().Data->QBuf[0], uint8_t(1));
        // Step over the call runs it whole.
        for (int i = 0; i < 4; ++i)
            t.Main->ToolProgStepOverClick();
        QCOMPARE(DebugLine(t), 9);
        t.Main->ToolProgStepOverClick();
        QCOMPARE(TabName(t), QStringLiteral("main.il"));
        QCOMPARE(DebugLine(t), 10);
        // Step Out in the main program completes the cycle.
        t.Main->ToolProgStepOutClick();
        QCOMPARE(t.PLC().Data->Cycle, DATAREAD);
        QCOMPARE(t.PLC().Data->QBuf[0], uint8_t(2));
        QVERIFY(t.Prompts.Messages.empty());
    }

    void stepOutDoesNothingOutsideStepMode() {
        auto ide = OpenExample();
        ide->Main->ToolProgStepOutClick();
        QCOMPARE(ide->PLC().FMode, MM_OFF);
        QVERIFY(ide->Prompts.Messages.empty());
    }

    void runFromStepModeContinuesWithoutReset() {
        auto ide = OpenExample();
        ide->Main->ToolProgCycleClick();
        ide->Main->ToolProgCycleClick();
        QCOMPARE(ide->PLC().Data->QBuf[0], uint8_t(2));
        ide->Main->ToolProgStepOverClick();
        ide->Main->ToolProgStepOverClick(); // middle of a cycle
        PressRun(*ide);
        QCOMPARE(ide->PLC().FMode, MM_RUN);
        QCOMPARE(DebugLine(*ide), -1);
        ide->Main->RunTimerTimer(); // completes the cycle begun
        QCOMPARE(ide->PLC().Data->Cycle, DATAREAD);
        QCOMPARE(ide->PLC().Data->QBuf[0], uint8_t(3));
    }

    void resetCommandClearsInputsAndResetsVisualizations() {
        auto ide = OpenExample();
        int resets = 0;
        ide->Main->ResetVisualizations = [&] { ++resets; };
        ide->PLC().Data->IBuf[1] = 7;
        ide->Main->ToolProgCycleClick();
        ide->Main->ToolProgResetClick();
        QCOMPARE(ide->PLC().FMode, MM_OFF);
        QCOMPARE(ide->PLC().Data->IBuf[1], uint8_t(0));
        QCOMPARE(resets, 1);
        QCOMPARE(DebugLine(*ide), -1);
    }

    void runtimeErrorInRunModeStopsInStepMode() {
        TIde ide({scratch.Path("div.il")});
        ide.Edit().ShowFile(0);
        int redraws = 0;
        ide.Main->LAUpdateDisplay = [&] { ++redraws; };
        QWidget watch;
        ide.Main->SetWatchForm(&watch);
        PressRun(ide);
        QVERIFY2(ide.Prompts.Messages.empty(),
                 ide.Prompts.Messages.empty() ? "" : ide.Prompts.Messages[0].c_str());
        QCOMPARE(ide.PLC().FMode, MM_RUN);
        ide.Main->RunTimerTimer();
        QCOMPARE(ide.PLC().FMode, MM_STEP);
        QVERIFY(!ide.Main->RunTimer().isActive());
        QVERIFY(!ide.Main->ToolProgStart()->isChecked());
        QVERIFY(watch.isVisible());
        QCOMPARE(redraws, 1);
        QCOMPARE(ide.Prompts.Messages.size(), size_t(1));
        QCOMPARE(QString::fromStdString(ide.Prompts.Messages[0]),
                 QStringLiteral("Runtime error: Division by zero"));
        QCOMPARE(DebugLine(ide), 6);
        // Stepping again repeats the failing instruction and its message once.
        ide.Main->ToolProgStepOverClick();
        QCOMPARE(ide.Prompts.Messages.size(), size_t(2));
        QCOMPARE(ide.PLC().FMode, MM_STEP);
        ide.Main->SetWatchForm(nullptr);
    }

    void editingResetsTheSoftPLC() {
        auto ide = OpenExample();
        ide->Main->ToolProgCycleClick();
        ide->Main->ToolProgStepOverClick();
        QCOMPARE(ide->PLC().FMode, MM_STEP);
        QVERIFY(DebugLine(*ide) >= 0);
        QsciScintilla* ed = ide->Edit().Editor();
        ed->setCursorPosition(11, 0);
        QTest::keyClicks(ed, " ");
        QCOMPARE(ide->PLC().FMode, MM_OFF);
        QCOMPARE(DebugLine(*ide), -1);
        QCOMPARE(ide->PLC().Data->QBuf[0], uint8_t(0));
        // Switching tabs and rebuilding the view are no edits.
        ide->Main->ToolProgCycleClick();
        ide->Edit().ShowFile(1);
        ide->Edit().ShowFile(0);
        QCOMPARE(ide->PLC().FMode, MM_STEP);
    }

    void editedTextIsCompiled() {
        auto ide = OpenExample();
        QsciScintilla* ed = ide->Edit().Editor();
        ed->setSelection(7, 6, 7, 7); // "ADD 1" -> "ADD 3"
        ed->replaceSelectedText(QStringLiteral("3"));
        ide->Main->ToolProgCycleClick();
        QCOMPARE(ide->PLC().Data->QBuf[0], uint8_t(3));
        QVERIFY(ide->Project().POUList[size_t(ide->Main->Projects().POUIndexOfFile(0))]->Modified);
    }

    void closeQueryAsksEveryFileAndCancelKeepsWindow() {
        auto ide = OpenExample();
        ide->Main->show();
        ide->Edit().Editor()->insert(QStringLiteral("(* a *)"));
        ide->Prompts.Answers = {TSaveAnswer::Cancel};
        QVERIFY(!ide->Main->close());
        QVERIFY(ide->Main->isVisible());
        QCOMPARE(ide->Prompts.Questions.size(), size_t(1));
        QVERIFY(QString::fromStdString(ide->Prompts.Questions[0]).contains(QStringLiteral("main.il")));
        // Answering No everywhere lets it close.
        ide->Prompts.Answers = {TSaveAnswer::No, TSaveAnswer::No};
        QVERIFY(ide->Main->close());
    }

    void editMenuUndoFollowsEditor() {
        auto ide = OpenExample();
        ide->Main->OnMenuEdit();
        QVERIFY(!ide->Main->MenuEditUndo()->isEnabled());
        QTest::keyClicks(ide->Edit().Editor(), "a");
        ide->Main->OnMenuEdit();
        QVERIFY(ide->Main->MenuEditUndo()->isEnabled());
        ide->Main->MenuEditUndo()->trigger();
        QCOMPARE(ide->Edit().Editor()->text(0), QStringLiteral("PROGRAM main\n"));
    }

    void toolBarsWrapWhenNarrow() {
        TIde ide;
        ide.Main->show();
        QToolBar* t1 = ide.Main->ToolBar1();
        QToolBar* t2 = ide.Main->ToolBar2();
        const int both = t1->sizeHint().width() + t2->sizeHint().width();
        ide.Main->resize(both + 40, 500);
        QTRY_COMPARE(ide.Main->ToolBarPanel()->width(), both + 40);
        QCOMPARE(t2->y(), 1);
        QCOMPARE(t2->x(), t1->x() + t1->sizeHint().width());
        QCOMPARE(ide.Main->ToolBarPanel()->height(), t1->sizeHint().height() + 2);
        ide.Main->resize(both - 100, 500);
        QTRY_COMPARE(ide.Main->ToolBarPanel()->width(), both - 100);
        QCOMPARE(t2->x(), 1);
        QCOMPARE(t2->y(), t1->y() + t1->sizeHint().height());
        QCOMPARE(ide.Main->ToolBarPanel()->height(), t1->sizeHint().height() + t2->sizeHint().height() + 2);
    }

    void fullStartRegistersTheViewsAndTearsDownCleanly() {
        auto ide = std::make_unique<TIde>(QStringList{plp}, true);
        // main window, cycle statistics of the performance window, watch window, logic analyzer
        QCOMPARE(ide->PLC().ConnectorCount(), size_t(4));
        ide->Main->show();
        ide->Edit().ShowFile(0);
        ide->Main->ToolProgStepOverClick();
        auto* watch = ide->Main->findChild<TWatchForm*>();
        QVERIFY(watch);
        QVERIFY(watch->isVisible());
        ide->Main->ToolProgResetClick();
        QVERIFY(!watch->isVisible());
        ide->Main->ToolProgStartClick();
        ide.reset(); // views leave the soft PLC before it goes
    }

    void menusCarryCaptionsAndShortcuts_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("shortcut");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("new project") << "&File"
                                     << "New Projec&t"
                                     << "" << true;
        QTest::newRow("open project") << "&File"
                                      << "&Open Project..."
                                      << "" << true;
        QTest::newRow("save project") << "&File"
                                      << "Sa&ve Project"
                                      << "" << true;
        QTest::newRow("save project as") << "&File"
                                         << "Sav&e Project As..."
                                         << "" << true;
        QTest::newRow("new file") << "&File"
                                  << "&New File"
                                  << "" << true;
        QTest::newRow("add file") << "&File"
                                  << "A&dd File..."
                                  << "" << true;
        QTest::newRow("remove file") << "&File"
                                     << "&Remove File"
                                     << "" << true;
        QTest::newRow("save file") << "&File"
                                   << "&Save File"
                                   << "" << true;
        QTest::newRow("save file as") << "&File"
                                      << "Save File &As..."
                                      << "" << true;
        QTest::newRow("exit") << "&File"
                              << "E&xit"
                              << "" << true;
        QTest::newRow("undo") << "&Edit"
                              << "&Undo"
                              << "Ctrl+Z" << true;
        QTest::newRow("cut") << "&Edit"
                             << "&Cut"
                             << "Ctrl+X" << true;
        QTest::newRow("copy") << "&Edit"
                              << "Co&py"
                              << "Ctrl+C" << true;
        QTest::newRow("paste") << "&Edit"
                               << "P&aste"
                               << "Ctrl+V" << true;
        QTest::newRow("delete") << "&Edit"
                                << "&Delete"
                                << "Ctrl+Del" << true;
        QTest::newRow("select all") << "&Edit"
                                    << "&Select All"
                                    << "" << true;
        QTest::newRow("logic analyzer") << "&View"
                                        << "&Logic Analyzer"
                                        << "" << true;
        QTest::newRow("performance") << "&View"
                                     << "&Performance"
                                     << "" << true;
        QTest::newRow("start") << "E&xecute"
                               << "&Start"
                               << "F9" << true;
        QTest::newRow("stop") << "E&xecute"
                              << "S&top"
                              << "F10" << false;
        QTest::newRow("step") << "E&xecute"
                              << "Ste&p"
                              << "F7" << true;
        QTest::newRow("reset") << "E&xecute"
                               << "&Reset"
                               << "Ctrl+F2" << true;
        QTest::newRow("processes") << "E&xecute"
                                   << "Pro&cesses"
                                   << "" << true;
        QTest::newRow("about") << "&Help"
                               << "&About..."
                               << "" << true;
    }
    void menusCarryCaptionsAndShortcuts() {
        QFETCH(QString, menu);
        QFETCH(QString, item);
        QFETCH(QString, shortcut);
        QFETCH(bool, enabled);
        TIde ide;
        QAction* found = nullptr;
        for (QAction* top : ide.Main->menuBar()->actions()) {
            if (top->text() != menu || !top->menu())
                continue;
            for (QAction* a : top->menu()->actions())
                if (a->text() == item)
                    found = a;
        }
        QVERIFY2(found, qPrintable(menu + QLatin1Char('/') + item));
        QCOMPARE(found->shortcut().toString(), shortcut);
        QCOMPARE(found->isEnabled(), enabled);
    }

    void toolButtonsAndHints() {
        TIde ide;
        QStringList hints;
        for (QAction* a : ide.Main->ToolBar1()->actions())
            if (!a->isSeparator() && !a->toolTip().isEmpty() && !qobject_cast<QWidgetAction*>(a))
                hints << a->toolTip();
        QCOMPARE(hints,
                 QStringList({"Empty project", "Open project", "Save project", "Add empty file",
                              "Add file to project", "Remove file from project", "Save file", "Print file"}));
        QStringList captions;
        for (QToolButton* b : ide.Main->ToolBar2()->findChildren<QToolButton*>())
            if (b->isVisible() || !b->text().isEmpty())
                captions << b->text();
        for (const char* c : {"Run", "Cycle", "Step", "Step Into", "Step Out", "Reset", "Visualization"})
            QVERIFY2(captions.contains(QString::fromLatin1(c)), c);
        QVERIFY(ide.Main->ToolProgStart()->isCheckable());
    }

    void missingStandardLibraryIsReportedAndTheIdeGoesOn() {
        TScriptedPrompts prompts;
        auto main = CreateMainWindows({}, &prompts, scratch.Path("no/standard.il").toStdString(), false);
        QVERIFY(!prompts.Messages.empty());
        main->ToolProgStepOverClick(); // compiles without a library: a message, no crash
        QVERIFY(main->SoftAG().FMode != MM_RUN);
        main.reset();
    }

    void logicAnalyzerActionShowsItsPanel() {
        TIde ide;
        ide.Main->show();
        QVERIFY(!ide.Main->LogicAnyPanel()->isVisible());
        ide.Main->acLogicAnalyzer()->trigger();
        QVERIFY(ide.Main->acLogicAnalyzer()->isChecked());
        QVERIFY(ide.Main->LogicAnyPanel()->isVisible());
        ide.Main->acLogicAnalyzer()->trigger();
        QVERIFY(!ide.Main->LogicAnyPanel()->isVisible());
    }
};

QTEST_MAIN(TestMainForm)
#include "tst_mainform.moc"
