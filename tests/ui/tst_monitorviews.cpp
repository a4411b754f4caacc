// The monitoring views in the IDE: the watch window in step mode and its refusal to close, the
// analyzer panel toggle, drawing and Clear, the performance window's clock and direct switches.
// With KORVO_SCREENSHOT_DIR set, each view is saved as a PNG during a stepped run.
#include "UiTestSupport.h"

#include "LogicAny/LAForm.h"
#include "MonitoringViews.h"
#include "StatForm/StatisticsForm.h"
#include "Watch/WatchForm.h"

#include <QAction>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPushButton>
#include <QTableWidget>
#include <QTest>

using namespace korvo;
using namespace korvo::uitest;

namespace {

const QByteArray PROGRAM = "PROGRAM MAIN\n"
                           "VAR\n"
                           "    START AT %IX0.0 : BOOL\n"
                           "    LAMP AT %QX0.1 : BOOL\n"
                           "    COUNT : INT\n"
                           "    MASK : WORD\n"
                           "    T1 : TON\n"
                           "END_VAR\n"
                           "    LD START\n"
                           "    ST LAMP\n"
                           "    ST T1.IN\n"
                           "    LD T#50ms\n"
                           "    ST T1.PT\n"
                           "    CAL T1\n"
                           "    LD COUNT\n"
                           "    ADD 1\n"
                           "    ST COUNT\n"
                           "    LD 16#0F0F\n"
                           "    ST MASK\n"
                           "END_PROGRAM\n";

void Shot(QWidget* w, const char* name) {
    const QByteArray dir = qgetenv("KORVO_SCREENSHOT_DIR");
    if (dir.isEmpty() || !w)
        return;
    QTest::qWait(50); // let the layouts settle
    w->grab().save(QString::fromUtf8(dir) + QStringLiteral("/") + QString::fromUtf8(name) +
                   QStringLiteral(".png"));
}

} // namespace

class TestMonitorViews : public QObject {
    Q_OBJECT
    TScratch scratch;
    std::unique_ptr<TIde> ide;
    ui::TMonitoringViews views;

    void Step(int n) {
        for (int i = 0; i < n; ++i)
            ide->Main->ToolProgStepOverClick();
    }

private slots:
    void init() {
        const QString path = scratch.Write(QStringLiteral("main.il"), PROGRAM);
        ide = std::make_unique<TIde>(QStringList{path});
        views = ui::CreateMonitoringViews(*ide->Main);
        ide->Main->show();
    }
    void cleanup() {
        ui::DestroyMonitoringViews(*ide->Main, views);
        QCOMPARE(ide->Main->findChild<ui::TWatchForm*>(), nullptr);
        ide.reset();
    }

    void destroyFindsTheViewsAmongTheChildren() {
        const size_t connectors = ide->PLC().ConnectorCount();
        ui::DestroyMonitoringViews(*ide->Main);
        QCOMPARE(ide->Main->findChild<ui::TLAForm*>(), nullptr);
        QCOMPARE(ide->Main->findChild<ui::TStatisticsForm*>(), nullptr);
        QCOMPARE(ide->PLC().ConnectorCount(), connectors - 3); // watch, analyzer, cycle statistics
        ide->Main->ToolProgStepOverClick();                    // no view left to notify
        views = {};
    }

    void watchWindowFollowsStepModeAndRefusesToClose() {
        ui::TWatchForm* w = views.Watch;
        QVERIFY(!w->isVisible());
        QCOMPARE(w->windowTitle(), QStringLiteral("Watch expressions"));
        Step(1);
        QCOMPARE(int(ide->PLC().FMode), int(MM_STEP));
        QVERIFY(w->isVisible());
        Step(3); // input phase, LD START, ST LAMP
        QTableWidget* grid = w->WatchList();
        QCOMPARE(grid->horizontalHeaderItem(3)->text(), QStringLiteral("Direct Value (peripheral value)"));
        QCOMPARE(grid->item(0, 0)->text(), QStringLiteral("CR"));
        QCOMPARE(grid->item(1, 0)->text(), QStringLiteral("START"));
        QCOMPARE(grid->item(4, 0)->text(), QStringLiteral("MASK"));
        QCOMPARE(grid->item(4, 2)->text(), QStringLiteral("2#0000000000000000"));
        QCOMPARE(grid->item(5, 0)->text(), QStringLiteral("T1.IN"));

        // Hex for MASK through the pop-up menu.
        QVERIFY(w->WatchListContextPopup(2, 5, QPoint(10, 10)));
        QVERIFY(w->MenuBinary()->isChecked());
        w->MenuHex()->trigger();
        w->WatchListMenu()->hide();
        Step(10);
        QCOMPARE(grid->item(4, 2)->text(), QStringLiteral("16#0F0F"));
        QVERIFY(!w->WatchListContextPopup(2, 2, QPoint(10, 10))); // BOOL: no menu
        Shot(w, "watch");

        QVERIFY(!w->close());
        QVERIFY(w->isVisible());
        QCOMPARE(ide->Prompts.Messages.back(),
                 std::string("This window will close automatically when you finish debugging in step mode."));
        ide->Main->ToolProgResetClick();
        QCOMPARE(int(ide->PLC().FMode), int(MM_OFF));
        QVERIFY(!w->isVisible());
    }

    void analyzerPanelToggleDrawingAndClear() {
        QAction* toggle = ide->Main->acLogicAnalyzer();
        QVERIFY(!ide->Main->LogicAnyPanel()->isVisible());
        toggle->trigger();
        QVERIFY(ide->Main->LogicAnyPanel()->isVisible());
        ui::TLAForm* la = views.LogicAnalyzer;
        QVERIFY(la->isVisible());

        ide->PLC().SetMemory_IQBuf(0, 1); // START on
        Step(1);
        QCOMPARE(la->WatchList()->count(), 5); // START, LAMP, T1.IN, T1.Q, T1.RUNNING (unticked)
        QCOMPARE(la->WatchList()->item(4)->text(), QStringLiteral("T1.RUNNING"));
        QCOMPARE(la->WatchList()->item(4)->checkState(), Qt::Unchecked);
        Step(14); // a whole cycle and a bit
        QVERIFY(la->Analyzer().ValidBufferLength() > 10);
        QCOMPARE(la->Bitmap().width(), 1520);
        QCOMPARE(la->Bitmap().height(), 3 * 37 + 50);
        QCOMPARE(la->DrawTo()->width(), la->Analyzer().ValidBufferLength() * 15 + 10);
        // LAMP (row 2) is drawn high in the program view at the end of the recording.
        const int x = la->Analyzer().ValidBufferLength() * 15 - 3;
        QCOMPARE(la->Bitmap().pixelColor(x, 47), QColor(0, 255, 255));
        Shot(la, "logicanalyzer");

        // Unticking closes the rows up.
        la->WatchList()->item(0)->setCheckState(Qt::Unchecked);
        QCOMPARE(la->Bitmap().height(), 2 * 37 + 50);

        la->ToolReset()->trigger();
        QCOMPARE(la->Analyzer().ValidBufferLength(), 0);
        QCOMPARE(la->Bitmap().width(), 20);
        toggle->trigger();
        QVERIFY(!ide->Main->LogicAnyPanel()->isVisible());
    }

    void analyzerFullRingScrollsThePicture() {
        ui::TLAForm* la = views.LogicAnalyzer;
        ide->PLC().SetMemory_IQBuf(0, 1);
        Step(1);
        for (int round = 0; round < 8; ++round) { // well past the 500 samples of the ring
            for (int i = 0; i < 7; ++i)
                ide->PLC().Cycle();
            la->UpdateDisplay();
            ide->PLC().SetMemory_IQBuf(0, uint8_t(round & 1));
        }
        QCOMPARE(la->Analyzer().ValidBufferLength(), LA_BUFFER_LENGTH);
        QVERIFY(la->Analyzer().Recording().Overwritten() > 0);
        const QImage scrolled = la->Bitmap().copy(15, 0, la->Bitmap().width() - 15, la->Bitmap().height());
        la->Analyzer().Drawing().ScheduleFullRedraw();
        la->UpdateDisplay();
        const QImage redrawn = la->Bitmap().copy(15, 0, la->Bitmap().width() - 15, la->Bitmap().height());
        QCOMPARE(scrolled.size(), redrawn.size());
        // Traces, marks and numbers are identical; the hatching may differ in the phase of its
        // pattern (lined up within the moved picture, from 0 in the redrawn one).
        const QRgb hatch = qRgb(166, 166, 0), back = qRgb(35, 35, 35);
        int differing = 0;
        for (int y = 0; y < scrolled.height(); ++y)
            for (int x = 0; x < scrolled.width(); ++x) {
                const QRgb a = scrolled.pixel(x, y), b = redrawn.pixel(x, y);
                differing += a != b && !((a == hatch || a == back) && (b == hatch || b == back));
            }
        QCOMPARE(differing, 0);
        Shot(la, "logicanalyzer_full");
    }

    void analyzerExport() {
        Step(6);
        ui::TLAForm* la = views.LogicAnalyzer;
        const std::string path = scratch.Path(QStringLiteral("run.vcd")).toStdString();
        la->ChooseExportFile = [path] { return std::optional<std::string>(path); };
        la->ToolExport()->trigger();
        QFile f(QString::fromStdString(path));
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray vcd = f.readAll();
        QVERIFY(vcd.contains("$var wire 1"));
        QVERIFY(vcd.contains(" LAMP $end"));
        la->ChooseExportFile = [] { return std::optional<std::string>("/no/such/dir/run.csv"); };
        la->ToolExport()->trigger();
        QCOMPARE(ide->Prompts.Messages.back(), std::string("Cannot write file /no/such/dir/run.csv"));
    }

    void performanceWindowClockAndDirectSwitches() {
        ui::TStatisticsForm* s = views.Statistics;
        QCOMPARE(s->windowTitle(), QStringLiteral("Performance"));
        QCOMPARE(s->clbDirectIQ()->count(), 16);
        QCOMPARE(s->clbDirectIQ()->item(15)->text(), QStringLiteral("%ib/%qb 15"));
        QVERIFY(!s->edPLCClock()->isEnabled());
        QTimer& run = ide->Main->RunTimer();
        QCOMPARE(run.interval(), 5);

        s->edPLCClock()->setText(QStringLiteral("20"));
        QCOMPARE(run.interval(), 5); // box cleared: edit not applied
        s->cbPLCClock()->click();
        QVERIFY(s->edPLCClock()->isEnabled());
        QCOMPARE(run.interval(), 20);
        s->edPLCClock()->setText(QStringLiteral("0"));
        QCOMPARE(run.interval(), 20);
        QVERIFY(!s->ClockHint()->isHidden());
        QVERIFY(s->ClockHint()->text().contains(QStringLiteral("at least 1 ms")));
        s->edPLCClock()->setText(QStringLiteral("12"));
        QCOMPARE(run.interval(), 12);
        QVERIFY(s->ClockHint()->isHidden());
        s->cbPLCClock()->click();
        QCOMPARE(s->edPLCClock()->text(), QStringLiteral("5"));
        QCOMPARE(run.interval(), 5);

        s->clbDirectIQ()->item(3)->setCheckState(Qt::Checked);
        QCOMPARE(int(ide->PLC().Data->IDirect[3]), 255);
        QCOMPARE(int(ide->PLC().Data->QDirect[3]), 255);
        QCOMPARE(int(ide->PLC().Data->QDirect[2]), 0);

        // Figures: only taken in run mode.
        Step(3);
        s->StatUpdTimerTimer();
        QCOMPARE(s->edCycleTime()->text(), QString());
        ide->PLC().SetMode(MM_RUN);
        ide->PLC().Cycle();
        s->StatUpdTimerTimer();
        QCOMPARE(s->edCycleTime()->text(), QString::number(ide->PLC().CycleTime));
        ide->PLC().SetMode(MM_STEP);
        s->show();
        Shot(s, "performance");
    }

    void performanceWindowCycleStatistics() {
        ui::TStatisticsForm* s = views.Statistics;
        s->btResetStats()->click();
        QCOMPARE(s->edMinCycle()->text(), QStringLiteral("-"));
        for (uint32_t ms : {4u, 9u, 5u})
            s->CycleStatistics().Add(ms);
        s->StatUpdTimerTimer(); // the fields follow in any mode
        QCOMPARE(s->edMinCycle()->text(), QStringLiteral("4 ms"));
        QCOMPARE(s->edMaxCycle()->text(), QStringLiteral("9 ms"));
        QCOMPARE(s->edMeanCycle()->text(), QStringLiteral("6.0 ms"));
        s->btResetStats()->click();
        QCOMPARE(s->edMaxCycle()->text(), QStringLiteral("-"));
        QCOMPARE(s->CycleStatistics().Count(), uint64_t(0));
    }
};

QTEST_MAIN(TestMonitorViews)
#include "tst_monitorviews.moc"
