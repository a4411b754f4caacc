// Visualization windows in the IDE: the menus filled from the data folder, opening a plant from
// the menu, mouse presses on animated pictures writing the soft PLC's inputs, dragging with
// magnetic edges, the reset command, closing, and a missing file.
#include "UiTestSupport.h"

#include "SimForm/SimForm.h"
#include "errorlog/errorlog.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMouseEvent>
#include <QSplitter>
#include <QToolButton>

using namespace korvo;
using namespace korvo::ui;
using namespace korvo::uitest;

namespace {

QStringList Captions(QMenu* menu) {
    QStringList out;
    for (QAction* a : menu->actions())
        out << a->text();
    return out;
}

// Mouse events straight to a control, as the window system delivers them during a drag.
void Mouse(QWidget* w, QEvent::Type type, QPoint p) {
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent e(type, QPointF(p), QPointF(w->mapToGlobal(p)), Qt::LeftButton, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &e);
}

void FlushDeletes() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::processEvents();
}

} // namespace

class TestSimForm : public QObject {
    Q_OBJECT

    // Opens the plant of the menu entry with that caption; the new window or nullptr.
    static TSimForm* OpenFromMenu(TIde& ide, const QString& caption) {
        const QList<TSimForm*> before = OpenVisualizations(*ide.Main);
        for (QAction* a : ide.Main->SimPopupMenu()->actions())
            if (a->text() == caption)
                a->trigger();
        for (TSimForm* s : OpenVisualizations(*ide.Main))
            if (!before.contains(s))
                return s;
        return nullptr;
    }

private Q_SLOTS:
    // The data folder next to the program's executable, as in the build.
    void initTestCase() { SetExecutableDir(std::string(KORVO_BIN_DIR) + "/"); }
    void cleanupTestCase() { SetExecutableDir(""); }

    void menusListThePlantsSortedByFileName() {
        TIde ide;
        const QStringList expected{QStringLiteral("Traffic light crossing"), QStringLiteral("Garage door"),
                                   QStringLiteral("Mixing tank")};
        QCOMPARE(Captions(ide.Main->SimPopupMenu()), expected);
        QCOMPARE(Captions(ide.Main->MenuExecuteProcesses()), expected);
        QCOMPARE(ide.Main->SimFiles.size(), 3);
        QVERIFY(ide.Main->SimFiles[0].endsWith(QStringLiteral("/crossing.sdf")));
        QVERIFY(ide.Main->SimFiles[2].endsWith(QStringLiteral("/tank.sdf")));
        for (int x = 0; x < 3; ++x)
            QCOMPARE(ide.Main->MenuExecuteProcesses()->actions()[x]->data().toInt(), x);
        QVERIFY(ide.Prompts.Messages.empty());
        QCOMPARE(PictureLibrary().FindAlias("TLIGHT") >= 0, true);
    }

    void openingFromTheMenuShowsThePlantInTheArea() {
        TIde ide;
        const size_t connectors = ide.PLC().ConnectorCount();
        TSimForm* s = OpenFromMenu(ide, QStringLiteral("Mixing tank"));
        QVERIFY(s);
        QCOMPARE(s->parentWidget(), ide.Main->SimulatorsPanel());
        QCOMPARE(s->pos(), QPoint(10, 10));
        QCOMPARE(s->Caption(), QStringLiteral("Mixing tank"));
        QCOMPARE(s->PaintBox()->size(), QSize(380, 300));
        QCOMPARE(s->PaintBox()->pos(), QPoint(1, 1));
        QCOMPARE(s->ToolBar()->height(), 26);
        QCOMPARE(s->CloseButton()->text(), QStringLiteral("Close"));
        QCOMPARE(ide.PLC().ConnectorCount(), connectors + 1);
        // TEXT labels lie over the picture at their positions (plus the paint box offset).
        bool found = false;
        for (QLabel* l : s->PaintBoxPanel()->findChildren<QLabel*>())
            if (l->text() == QStringLiteral("Tank control")) {
                QCOMPARE(l->pos(), QPoint(261, 49));
                found = true;
            }
        QVERIFY(found);
        // The paint box shows the plant's picture pixel for pixel.
        const QImage img = s->PaintBox()->grab().toImage().convertToFormat(QImage::Format_ARGB32);
        const TVisImage& pic = s->Simulator().Image();
        QCOMPARE(img.size(), QSize(pic.Width, pic.Height));
        int differ = 0;
        for (int y = 0; y < pic.Height; ++y)
            for (int x = 0; x < pic.Width; ++x)
                differ += (img.pixel(x, y) | 0xFF000000u) != (pic.At(x, y) | 0xFF000000u);
        QCOMPARE(differ, 0);

        // Every entry opens one more window.
        TSimForm* s2 = OpenFromMenu(ide, QStringLiteral("Mixing tank"));
        QVERIFY(s2 && s2 != s);
        QCOMPARE(ide.PLC().ConnectorCount(), connectors + 2);

        s->CloseButton()->click();
        FlushDeletes();
        QCOMPARE(OpenVisualizations(*ide.Main).size(), 1);
        QCOMPARE(ide.PLC().ConnectorCount(), connectors + 1);
        QVERIFY(ide.Prompts.Messages.empty());
    }

    void clickOnAnAnimatedPictureWritesTheInput() {
        TIde ide;
        TSimForm* s = OpenFromMenu(ide, QStringLiteral("Traffic light crossing"));
        QVERIFY(s);
        QWidget* box = s->PaintBox();
        // Request button at (268, 32): pressed while the mouse is down.
        Mouse(box, QEvent::MouseButtonPress, {275, 40});
        QCOMPARE(ide.PLC().GetMemory_IQBuf(0) & 0x02, 0x02);
        QCOMPARE(static_cast<TodDynamicPic*>(s->Simulator().FindObject("REQUEST"))->FCurrentPic, 1);
        QVERIFY(!s->Simulator().FDrag.Dragging());
        Mouse(box, QEvent::MouseButtonRelease, {275, 40});
        QCOMPARE(ide.PLC().GetMemory_IQBuf(0) & 0x02, 0);
        // Night switch at (268, 62) toggles on each press.
        Mouse(box, QEvent::MouseButtonPress, {275, 70});
        Mouse(box, QEvent::MouseButtonRelease, {275, 70});
        QCOMPARE(ide.PLC().GetMemory_IQBuf(0) & 0x04, 0x04);
        // The background is no button: it starts a drag, released anywhere on the picture.
        Mouse(box, QEvent::MouseButtonPress, {20, 20});
        QVERIFY(s->Simulator().FDrag.Dragging());
        QCOMPARE(ide.PLC().GetMemory_IQBuf(0) & 0x04, 0x04);
        Mouse(box, QEvent::MouseButtonRelease, {300, 300});
        QVERIFY(!s->Simulator().FDrag.Dragging());

        // Reset: the soft PLC's inputs and the plant's objects start over.
        ide.Main->ToolProgResetClick();
        QCOMPARE(ide.PLC().GetMemory_IQBuf(0) & 0x04, 0);
        QCOMPARE(static_cast<TodDynamicPic*>(s->Simulator().FindObject("NIGHT"))->FCurrentPic, 0);
    }

    void plantAndProgramRunTogether() {
        TScratch scratch;
        QFile il(QStringLiteral(KORVO_SOURCE_DIR "/examples/crossing/crossing.il"));
        QVERIFY(il.open(QIODevice::ReadOnly));
        const QString path = scratch.Write(QStringLiteral("crossing.il"), il.readAll());
        TIde ide(QStringList{path});
        TSimForm* s = OpenFromMenu(ide, QStringLiteral("Traffic light crossing"));
        QVERIFY(s);
        ide.Main->ToolProgStart()->click();
        QCOMPARE(ide.PLC().FMode, MM_RUN);
        // Main road green shows on both main lights.
        QTRY_COMPARE(static_cast<TodDynamicPic*>(s->Simulator().FindObject("MAIN1"))->FCurrentPic, 3);
        QCOMPARE(static_cast<TodDynamicPic*>(s->Simulator().FindObject("SIDE2"))->FCurrentPic, 1);
        ide.Main->ToolProgStart()->click();
        QVERIFY(ide.Prompts.Messages.empty());
    }

    void runTimeMessagesWhileRunningWaitForTheEventLoop() {
        TScratch scratch;
        QFile il(QStringLiteral(KORVO_SOURCE_DIR "/examples/crossing/crossing.il"));
        QVERIFY(il.open(QIODevice::ReadOnly));
        const QString path = scratch.Write(QStringLiteral("crossing.il"), il.readAll());
        // Every input change runs a function whose false IF finds no ENDIF.
        const QString sdf =
            scratch.Write(QStringLiteral("broken.sdf"), "OBJECT WINDOW W\r\n"
                                                        "POSITION = 0,0,40,30\r\n"
                                                        "END_OBJECT\r\n"
                                                        "FUNCTION VOID CPU.onInputChange()\r\n"
                                                        "IF #0\r\n"
                                                        "SET %QX1.0 = #1\r\n"
                                                        "END_FUNCTION\r\n");
        TIde ide(QStringList{path});
        TSimForm* s = OpenSAG(*ide.Main, sdf);
        QVERIFY(s);
        QCOMPARE(s->Caption(), QStringLiteral("broken.sdf"));
        // Stopped: the box comes at once.
        ide.PLC().SetMemory_IQBuf(3, 1);
        QCOMPARE(ide.Prompts.Messages.size(), size_t(1));
        QCOMPARE(ide.Prompts.Messages[0], std::string("SDL-error: IF without an ENDIF"));
        ide.Main->ToolProgStart()->click();
        QCOMPARE(ide.PLC().FMode, MM_RUN);
        ide.PLC().SetMemory_IQBuf(3, 2);
        ide.PLC().SetMemory_IQBuf(3, 3);
        QCOMPARE(ide.Prompts.Messages.size(), size_t(1)); // not inside the writes
        QTRY_VERIFY(ide.Prompts.Messages.size() >= 2);
        ide.Main->ToolProgStart()->click();
        QCoreApplication::processEvents();
        for (const std::string& m : ide.Prompts.Messages)
            QCOMPARE(m, std::string("SDL-error: IF without an ENDIF"));
        const size_t shown = ide.Prompts.Messages.size();
        ide.PLC().SetMemory_IQBuf(3, 4); // stopped again: at once
        QCOMPARE(ide.Prompts.Messages.size(), shown + 1);
    }

    void dragSnapsToTheOtherWindowsEdges() {
        TIde ide;
        ide.Main->resize(1400, 1000);
        ide.Main->findChild<QSplitter*>(QStringLiteral("Splitter1"))->setSizes({150, 1245});
        ide.Main->show();
        QVERIFY(QTest::qWaitForWindowExposed(ide.Main.get()));
        QWidget* area = ide.Main->SimulatorsPanel();
        QVERIFY(area->width() > 900 && area->height() > 700);
        TSimForm* a = OpenFromMenu(ide, QStringLiteral("Garage door"));
        TSimForm* b = OpenFromMenu(ide, QStringLiteral("Mixing tank"));
        QVERIFY(a && b);
        const QRect ra = a->geometry();
        QWidget* bar = b->ToolBar();
        // The mouse held at (5, 5) of the tool bar while b's top-left would go to target.
        auto dragTo = [&](QPoint target) { Mouse(bar, QEvent::MouseMove, target - b->pos() + QPoint(5, 5)); };

        Mouse(bar, QEvent::MouseButtonPress, {5, 5});
        // Left edge 6 pixels right of a's right edge, top 7 below a's top: both snap.
        dragTo({ra.right() + 1 + 6, ra.top() + 7});
        QCOMPARE(b->pos(), QPoint(ra.right() + 1, ra.top()));
        // Farther than 10 pixels from every edge: the plain offset.
        dragTo({600, 500});
        QCOMPARE(b->pos(), QPoint(600, 500));
        // Top 4 below a's bottom, left edges 3 apart: snaps under a, lefts aligned.
        dragTo({ra.left() + 3, ra.bottom() + 1 + 4});
        QCOMPARE(b->pos(), QPoint(ra.left(), ra.bottom() + 1));
        // Clamped to the area.
        dragTo({-3000, -3000});
        QCOMPARE(b->pos(), QPoint(0, 0));
        dragTo({area->width() + 50, 30});
        QCOMPARE(b->pos(), QPoint(area->width() - b->width(), 30));
        Mouse(bar, QEvent::MouseButtonRelease, {5, 5});
        const QPoint end = b->pos();
        dragTo({400, 400});
        QCOMPARE(b->pos(), end); // no drag after the release
    }

    void missingFileOpensNoWindow() {
        TIde ide;
        const size_t connectors = ide.PLC().ConnectorCount();
        const QString missing = QStringLiteral("/nonexistent/plant.sdf");
        QVERIFY(!OpenSAG(*ide.Main, missing));
        QCOMPARE(ide.Prompts.Messages.size(), size_t(1));
        QCOMPARE(QString::fromStdString(ide.Prompts.Messages[0]),
                 QStringLiteral("Datei '/nonexistent/plant.sdf' nicht gefunden!"));
        FlushDeletes();
        QVERIFY(ide.Main->SimulatorsPanel()->findChildren<TSimForm*>().isEmpty());
        QCOMPARE(ide.PLC().ConnectorCount(), connectors);
    }
};

QTEST_MAIN(TestSimForm)
#include "tst_simform.moc"
