// Debugging in the IDE: breakpoints in the editor gutter (toggle, refusal, moving with edits,
// removal, project file), a run halting at one, the online CR values below the executed lines,
// and forcing from the watch window's pop-up.
// With KORVO_SCREENSHOT_DIR set, the main window at a breakpoint halt is saved as a PNG.
#include "UiTestSupport.h"

#include "MonitoringViews.h"
#include "Sim_ag/ForceTarget.h"
#include "Watch/WatchForm.h"

#include <Qsci/qsciscintilla.h>

#include <QAction>
#include <QMenu>
#include <QTableWidget>
#include <QTest>
#include <QToolButton>

using namespace korvo;
using namespace korvo::uitest;

namespace {

// Lines from 0: 6 is a comment, 7..11 hold instructions.
const QByteArray PROGRAM = "PROGRAM MAIN\n"
                           "VAR\n"
                           "    START AT %IX0.0 : BOOL\n"
                           "    LAMP AT %QX0.1 : BOOL\n"
                           "    COUNT : INT\n"
                           "END_VAR\n"
                           "(* count the cycles *)\n"
                           "    LD COUNT\n"
                           "    ADD 1\n"
                           "    ST COUNT\n"
                           "    LD START\n"
                           "    ST LAMP\n"
                           "END_PROGRAM\n";

} // namespace

class TestDebugging : public QObject {
    Q_OBJECT
    TScratch scratch;
    std::unique_ptr<TIde> ide;
    QString path;

    QsciScintilla* ed() { return ide->Edit().Editor(); }
    std::string File() {
        return ide->Project().POUList[size_t(ide->Main->Projects().POUIndexOfFile(0))]->FileName;
    }
    ui::TWatchForm* Watch() { return ide->Main->findChild<ui::TWatchForm*>(); }
    // Runs until the soft PLC halts (or times out).
    void RunToHalt() {
        ide->Main->ToolProgStart()->click();
        QTRY_COMPARE_WITH_TIMEOUT(int(ide->PLC().FMode), int(MM_STEP), 5000);
    }
    bool Output(const char* name) {
        TForceTarget t;
        std::string error;
        if (!ResolveForceTarget(ide->Project(), name, t, error))
            return false;
        return (ide->PLC().Data->DMemory[size_t(t.Adr)] >> t.Bit) & 1;
    }

private slots:
    void init() {
        path = scratch.Write(QStringLiteral("main.il"), PROGRAM);
        ide = std::make_unique<TIde>(QStringList{path}, true);
        ide->Main->show();
        QCOMPARE(ide->Edit().CurrentTab(), 0);
    }
    void cleanup() { ide.reset(); }

    void gutterTogglesRefusesMovesAndRemoves() {
        ui::TEditForm& e = ide->Edit();
        // A comment line and a declaration line refuse with a hint.
        for (int line : {0, 2, 6, 12}) {
            QVERIFY(!e.ToggleBreakpoint(line));
            QVERIFY(!e.HasBreakpointMarker(line));
            QVERIFY2(e.HintText().contains(QStringLiteral("no breakpoint")), qPrintable(e.HintText()));
        }
        QVERIFY(ide->Main->Breakpoints().Empty());

        // A click in the breakpoint margin sets and clears.
        Q_EMIT ed()->marginClicked(ui::TEditForm::MarginBreakpoints, 8, Qt::NoModifier);
        QVERIFY(e.HasBreakpointMarker(8));
        QVERIFY(e.HintText().isEmpty());
        QVERIFY(ide->Main->Breakpoints().Has(File(), 8));
        Q_EMIT ed()->marginClicked(ui::TEditForm::MarginBreakpoints, 8, Qt::NoModifier);
        QVERIFY(!e.HasBreakpointMarker(8));
        QVERIFY(ide->Main->Breakpoints().Empty());
        // The bookmark margin keeps its own meaning.
        Q_EMIT ed()->marginClicked(0, 9, Qt::NoModifier);
        QVERIFY(!e.HasBreakpointMarker(9));

        // F5 on the caret line.
        ed()->setCursorPosition(10, 2);
        QTest::keyClick(ed(), Qt::Key_F5);
        QVERIFY(e.HasBreakpointMarker(10));
        QVERIFY(ide->Main->Breakpoints().Has(File(), 10));

        // Lines inserted above move it; the set follows.
        ed()->insertAt(QStringLiteral("(* one *)\n(* two *)\n"), 0, 0);
        QVERIFY(e.HasBreakpointMarker(12));
        QCOMPARE(ide->Main->Breakpoints().Lines(File()), std::vector<int32_t>{12});

        // Leaving the tab and coming back keeps it.
        ide->Edit().ShowFile(-1);
        ide->Edit().ShowFile(0);
        QVERIFY(e.HasBreakpointMarker(12));

        ide->Main->MenuRemoveAllBreakpoints()->trigger();
        QVERIFY(!e.HasBreakpointMarker(12));
        QVERIFY(ide->Main->Breakpoints().Empty());
    }

    void breakpointsSavedWithTheProjectAndRestored() {
        QVERIFY(ide->Edit().ToggleBreakpoint(9));
        const QString plp = scratch.Path(QStringLiteral("debug.plp"));
        ide->Prompts.Files.push_back(plp.toStdString());
        ide->Main->Projects().SaveProjectAs(plp.toStdString());
        // And again through the menu action, as a user saves.
        for (QAction* a : ide->Main->findChildren<QAction*>())
            if (a->text() == QStringLiteral("Sa&ve Project"))
                a->trigger();
        QFile f(plp);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray text = f.readAll();
        QVERIFY2(text.contains("KORVO_BREAKPOINTS"), text.constData());
        f.close();

        ide.reset();
        ide = std::make_unique<TIde>(QStringList{plp}, true);
        QCOMPARE(ide->Edit().CurrentTab(), 0);
        QVERIFY(ide->Main->Breakpoints().Has(File(), 9));
        QVERIFY(ide->Edit().HasBreakpointMarker(9));
    }

    void runHaltsAtBreakpointAndShowsOnlineValues() {
        QVERIFY(ide->Edit().ToggleBreakpoint(9)); // ST COUNT
        RunToHalt();
        QVERIFY(ide->PLC().BreakHit());
        QVERIFY(!ide->Main->RunTimer().isActive());
        QCOMPARE(ide->Main->ToolProgStart()->text(), QStringLiteral("Run"));
        QVERIFY(!ide->Main->ToolProgStart()->isChecked());
        QVERIFY(ide->Edit().DebugLineShown(9));
        QVERIFY(Watch()->isVisible());

        // The lines executed so far in this cycle carry the CR after them.
        QVERIFY(ide->Edit().HasLineAnnotations());
        QVERIFY2(ed()->annotation(7).startsWith(QStringLiteral("CR: INT")), qPrintable(ed()->annotation(7)));
        QVERIFY(ed()->annotation(8).startsWith(QStringLiteral("CR: INT")));
        QVERIFY(ed()->annotation(9).isEmpty()); // not executed yet
        QVERIFY(ed()->annotation(10).isEmpty());

        const QString beforeAdd = ed()->annotation(8);
        ide->Main->ToolProgStepOverClick(); // ST COUNT
        QVERIFY(!ed()->annotation(9).isEmpty());
        ide->Main->ToolProgStepOverClick(); // LD START
        QVERIFY(ed()->annotation(10).startsWith(QStringLiteral("CR: BOOL")));

        // Cycle ends this cycle; the next one stops at the breakpoint, with that cycle's values.
        ide->Main->ToolProgCycleClick();
        QVERIFY(!ide->PLC().BreakHit());
        ide->Main->ToolProgCycleClick();
        QCOMPARE(int(ide->PLC().FMode), int(MM_STEP));
        QVERIFY(ide->PLC().BreakHit());
        QVERIFY(ide->Edit().DebugLineShown(9));
        QVERIFY(ed()->annotation(10).isEmpty());
        QVERIFY(ed()->annotation(8) != beforeAdd); // COUNT + 1 one cycle later

        const QByteArray dir = qgetenv("KORVO_SCREENSHOT_DIR");
        if (!dir.isEmpty()) {
            QTest::qWait(50);
            ide->Main->grab().save(QString::fromUtf8(dir) + QStringLiteral("/break.png"));
            QTest::qWait(
                qEnvironmentVariableIntValue("KORVO_SCREENSHOT_WAIT_MS")); // a screen grab from outside
        }

        // The View toggle hides and shows them.
        ide->Main->MenuOnlineValues()->setChecked(false);
        QVERIFY(!ide->Edit().HasLineAnnotations());
        QVERIFY(ed()->annotation(8).isEmpty());
        ide->Main->MenuOnlineValues()->setChecked(true);
        QVERIFY(!ed()->annotation(8).isEmpty());

        // Run again: halts once more in the next cycle; Reset clears everything.
        RunToHalt();
        QVERIFY(ide->Edit().DebugLineShown(9));
        ide->Main->ToolProgResetClick();
        QCOMPARE(int(ide->PLC().FMode), int(MM_OFF));
        QVERIFY(!ide->Edit().HasLineAnnotations());
        QVERIFY(ed()->annotation(8).isEmpty());
        QVERIFY(!ide->Edit().DebugLineShown(9));
    }

    // Switched off, the values are not followed; switched on after steps were missed, they
    // start afresh instead of showing lines of an earlier step as current.
    void onlineValuesSwitchedOffAreNotFollowed() {
        QVERIFY(ide->Edit().ToggleBreakpoint(9)); // ST COUNT
        RunToHalt();
        QVERIFY(!ed()->annotation(8).isEmpty());
        ide->Main->MenuOnlineValues()->setChecked(false);
        ide->Main->ToolProgStepOverClick(); // ST COUNT, unobserved
        ide->Main->ToolProgStepOverClick(); // LD START, unobserved
        ide->Main->MenuOnlineValues()->setChecked(true);
        QVERIFY(!ide->Edit().HasLineAnnotations());
        QVERIFY(ed()->annotation(8).isEmpty());
        ide->Main->ToolProgStepOverClick(); // line 11, observed again
        QVERIFY(ide->Edit().HasLineAnnotations());
        QVERIFY(ed()->annotation(8).isEmpty());
        QVERIFY(!ed()->annotation(11).isEmpty());
    }

    void runWithoutBreakpointsKeepsRunning() {
        ide->Main->ToolProgStart()->click();
        QTest::qWait(100);
        QCOMPARE(int(ide->PLC().FMode), int(MM_RUN));
        QVERIFY(!ide->Edit().HasLineAnnotations());
        ide->Main->ToolProgStart()->click();
        QCOMPARE(int(ide->PLC().FMode), int(MM_OFF));
    }

    void forceMenuItemsAffectTheSoftPLC() {
        QVERIFY(ide->Edit().ToggleBreakpoint(7));
        RunToHalt();
        ui::TWatchForm* w = Watch();
        QTableWidget* grid = w->WatchList();
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("START"));
        QCOMPARE(grid->item(3, 0)->text(), QStringLiteral("COUNT"));

        // Nothing forced: Release all is off; BOOL rows get the forcing items alone.
        QVERIFY(w->ForcePopup(2, QPoint(10, 10)));
        QVERIFY(w->MenuForce()->isEnabled());
        QVERIFY(!w->MenuReleaseForce()->isEnabled());
        QVERIFY(!w->MenuReleaseAllForces()->isEnabled());
        w->AskValue = [](const QString&, const QString&) { return std::optional<std::string>("TRUE"); };
        w->MenuForce()->trigger();
        w->ForceMenu()->hide();
        QVERIFY(w->RowForced(2));
        QVERIFY(grid->item(1, 0)->font().bold());
        QVERIFY(!grid->item(3, 0)->font().bold());

        // COUNT through the value pop-up, in base-2 form: the program's ADD/ST is suppressed.
        QVERIFY(w->WatchListContextPopup(2, 4, QPoint(10, 10)));
        w->AskValue = [](const QString&, const QString&) { return std::optional<std::string>("2#101"); };
        w->MenuForce()->trigger();
        w->WatchListMenu()->hide();
        QVERIFY(w->RowForced(4));
        ide->Main->ToolProgCycleClick();
        ide->Main->ToolProgCycleClick();
        QCOMPARE(grid->item(3, 2)->text(), QStringLiteral("5"));
        QVERIFY(Output("LAMP")); // the forced input reached the program

        // A bad value and a cancelled dialog change nothing.
        QVERIFY(!w->ForceRow(4, "abc"));
        QVERIFY(!ide->Prompts.Messages.empty());
        w->AskValue = [](const QString&, const QString&) { return std::optional<std::string>(); };
        QVERIFY(w->ForcePopup(4, QPoint(10, 10)));
        w->MenuForce()->trigger();
        w->ForceMenu()->hide();
        QCOMPARE(ide->PLC().Forces().size(), size_t(2));

        // Release one, then all.
        QVERIFY(w->ForcePopup(4, QPoint(10, 10)));
        QVERIFY(w->MenuReleaseForce()->isEnabled());
        w->MenuReleaseForce()->trigger();
        w->ForceMenu()->hide();
        QVERIFY(!w->RowForced(4));
        QVERIFY(!grid->item(3, 0)->font().bold());
        ide->Main->ToolProgCycleClick();
        QCOMPARE(grid->item(3, 2)->text(), QStringLiteral("6"));
        QVERIFY(w->ForcePopup(3, QPoint(10, 10)));
        QVERIFY(w->MenuReleaseAllForces()->isEnabled());
        w->MenuReleaseAllForces()->trigger();
        w->ForceMenu()->hide();
        QVERIFY(ide->PLC().Forces().empty());
        QVERIFY(!grid->item(1, 0)->font().bold());

        // Reset releases forces too.
        QVERIFY(w->ForceRow(2, "1"));
        ide->Main->ToolProgResetClick();
        QVERIFY(ide->PLC().Forces().empty());
    }
};

QTEST_MAIN(TestDebugging)
#include "tst_debugging.moc"
