// The editor view alone: tabs with their leave and enter steps, the keyword highlighter, the
// debug line, the status text, the tab keys, and which text changes count as edits.
#include "UEditor/EditForm.h"
#include "UEditor/ILHighlighter.h"

#include <Qsci/qscicommandset.h>
#include <Qsci/qsciscintilla.h>

#include <QTest>

using namespace korvo;
using namespace korvo::ui;

namespace {
constexpr int LIB = 11;

std::vector<std::string> Lines(int n, const std::string& prefix) {
    std::vector<std::string> v;
    for (int i = 0; i < n; ++i)
        v.push_back(prefix + " line " + std::to_string(i + 1));
    return v;
}

// 11 library POUs (no tab) and the given files.
void FillProject(TProjectDesc& p, const std::vector<std::vector<std::string>>& files) {
    p.POUList.clear();
    for (int i = 0; i < LIB; ++i) {
        auto pou = std::make_unique<TPOUDesc>();
        pou->Compiled = true;
        p.POUList.push_back(std::move(pou));
    }
    for (size_t i = 0; i < files.size(); ++i) {
        auto pou = std::make_unique<TPOUDesc>();
        pou->FileName = "/tmp/dir/file" + std::to_string(i) + ".il";
        pou->POUText = files[i];
        p.POUList.push_back(std::move(pou));
    }
}
} // namespace

class TestEditForm : public QObject {
    Q_OBJECT

    TProjectDesc project;
    std::unique_ptr<TEditForm> view;
    int edits = 0;

    QsciScintilla* ed() { return view->Editor(); }

private Q_SLOTS:
    void init() {
        FillProject(project, {Lines(200, "a"), Lines(5, "b"), Lines(3, "c")});
        view = std::make_unique<TEditForm>();
        view->resize(400, 300);
        view->show();
        view->SetProject(&project);
        edits = 0;
        view->SetOnEdited([this] { ++edits; });
        view->UpdateView();
    }
    void cleanup() { view.reset(); }

    void tabsShowFileNamesAndStartWithNoneSelected() {
        QCOMPARE(view->TabCount(), 3);
        QCOMPARE(view->SelPOU()->tabText(1), QStringLiteral("file1.il"));
        QCOMPARE(view->CurrentTab(), -1);
        QVERIFY(ed()->text().isEmpty());
        QVERIFY(ed()->isReadOnly());
        QCOMPARE(view->TabInfos()[2].POUIndex, LIB + 2);
    }

    void enterLoadsTextWithoutEditing() {
        view->ShowFile(1);
        QCOMPARE(view->CurrentTab(), 1);
        QCOMPARE(ed()->text(1), QStringLiteral("b line 2\n"));
        QVERIFY(!view->EditorModified());
        QVERIFY(!ed()->isReadOnly());
        QCOMPARE(edits, 0);
        view->ShowFile(7); // beyond the tabs: ignored
        QCOMPARE(view->CurrentTab(), 1);
        view->ShowFile(-1);
        QCOMPARE(view->CurrentTab(), -1);
        QCOMPARE(edits, 0);
    }

    void leaveKeepsTextMarksModifiedAndDropsUndo() {
        view->ShowFile(1);
        ed()->setCursorPosition(0, 0);
        QTest::keyClicks(ed(), "XY");
        QCOMPARE(edits, 2);
        QVERIFY(view->EditorModified());
        view->ShowFile(2);
        QCOMPARE(project.POUList[LIB + 1]->POUText[0], std::string("XYb line 1"));
        QVERIFY(project.POUList[LIB + 1]->Modified);
        QVERIFY(!project.POUList[LIB]->Modified);
        view->ShowFile(1);
        QCOMPARE(ed()->text(0), QStringLiteral("XYb line 1\n"));
        QVERIFY(!ed()->isUndoAvailable());
        QCOMPARE(edits, 2); // switching tabs is no edit
    }

    void leaveAndEnterRestoreScrollSelectionAndCaret() {
        view->ShowFile(0);
        ed()->setFirstVisibleLine(50);
        ed()->setSelection(60, 2, 62, 5); // caret ends at 62:5
        view->ShowFile(1);
        QCOMPARE(view->TabInfos()[0].TopLine, 51);
        QVERIFY(view->TabInfos()[0].SelAvail);
        QCOMPARE(view->TabInfos()[0].CaretXY, QPoint(6, 63));
        view->ShowFile(0);
        QCOMPARE(ed()->firstVisibleLine(), 50);
        int l1, i1, l2, i2;
        ed()->getSelection(&l1, &i1, &l2, &i2);
        QCOMPARE(QList<int>({l1, i1, l2, i2}), QList<int>({60, 2, 62, 5}));
        int line, index;
        ed()->getCursorPosition(&line, &index);
        QCOMPARE(line, 62);
        QCOMPARE(index, 5);
    }

    void rebuildReturnsToTextStart() {
        view->ShowFile(0);
        ed()->setFirstVisibleLine(40);
        ed()->setCursorPosition(45, 3);
        view->UpdateView();
        view->ShowFile(0);
        QCOMPARE(ed()->firstVisibleLine(), 0);
        QCOMPARE(view->StatusText(), QStringLiteral("1:   1"));
    }

    void debugLineOnlyOnItsTab() {
        view->ShowFile(1);
        view->SetSelDebugLine(3);
        QVERIFY(view->DebugLineShown(3));
        QVERIFY(!view->DebugLineShown(2));
        int line, index;
        ed()->getCursorPosition(&line, &index);
        QCOMPARE(line, 3);
        QCOMPARE(index, 0);
        view->ShowFile(2);
        QVERIFY(!view->DebugLineShown(3));
        view->ShowFile(1);
        QVERIFY(view->DebugLineShown(3));
        view->SetSelDebugLine(-1);
        QVERIFY(!view->DebugLineShown(3));
    }

    void showPOUOfLibraryOrUnknownPOUSelectsNothing() {
        view->ShowFile(2);
        view->ShowPOU(3);
        QCOMPARE(view->CurrentTab(), 2);
        view->ShowPOU(LIB + 1);
        QCOMPARE(view->CurrentTab(), 1);
    }

    void statusText_data() {
        QTest::addColumn<int>("line");
        QTest::addColumn<int>("column");
        QTest::addColumn<QString>("text");
        QTest::newRow("start") << 1 << 1 << "1:   1";
        QTest::newRow("12:7") << 12 << 7 << "12:   7";
        QTest::newRow("three digits") << 3 << 123 << "3: 123";
        QTest::newRow("five digits keep the last four") << 5 << 12345 << "5:2345";
    }
    void statusText() {
        QFETCH(int, line);
        QFETCH(int, column);
        QFETCH(QString, text);
        QCOMPARE(TEditForm::FormatCaretPos(line, column), text);
    }

    void statusFollowsCaret() {
        QCOMPARE(view->StatusText(), QStringLiteral("1:   1"));
        view->ShowFile(0);
        ed()->setCursorPosition(11, 6);
        QCOMPARE(view->StatusText(), QStringLiteral("12:   7"));
    }

    void tabKeysWrapAround() {
        view->ShowFile(2);
        QTest::keyClick(ed(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(view->CurrentTab(), 0);
        QTest::keyClick(ed(), Qt::Key_Backtab, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(view->CurrentTab(), 2);
        QTest::keyClick(ed(), Qt::Key_Tab, Qt::ControlModifier);
        QTest::keyClick(ed(), Qt::Key_Tab, Qt::ControlModifier);
        QCOMPARE(view->CurrentTab(), 1);
        QCOMPARE(edits, 0); // the keys are consumed, nothing typed
        view->ShowFile(-1);
        view->SelectPreviousTab();
        QCOMPARE(view->CurrentTab(), 2);
    }

    void bookmarkKeysSetAndFind() {
        view->ShowFile(0);
        ed()->setCursorPosition(120, 0);
        QTest::keyClick(ed(), Qt::Key_Exclam, Qt::ControlModifier | Qt::ShiftModifier); // Ctrl+Shift+1
        QVERIFY(ed()->markersAtLine(120) & (1 << 1));
        ed()->setCursorPosition(3, 0);
        QTest::keyClick(ed(), Qt::Key_1, Qt::ControlModifier);
        int line, index;
        ed()->getCursorPosition(&line, &index);
        QCOMPARE(line, 120);
        QCOMPARE(edits, 0);
    }

    void ctrlDelIsLeftToTheEditMenu() {
        QCOMPARE(ed()->standardCommands()->boundTo(int(Qt::ControlModifier) | int(Qt::Key_Delete)), nullptr);
    }

    void undoAndPasteAreEdits() {
        view->ShowFile(1);
        ed()->setCursorPosition(0, 0);
        QTest::keyClicks(ed(), "Z");
        ed()->undo();
        QCOMPARE(edits, 2);
        ed()->setSelection(0, 0, 0, 1);
        ed()->cut();
        ed()->paste();
        QCOMPARE(edits, 4);
    }

    void changeBarsMarkEditedLines() {
        view->ShowFile(0);
        ed()->setCursorPosition(4, 0);
        QTest::keyClicks(ed(), "q");
        QVERIFY(ed()->markersAtLine(4) & (1 << TEditForm::MarkChanged));
        QVERIFY(!(ed()->markersAtLine(3) & (1 << TEditForm::MarkChanged)));
        view->SetEditorModified(false);
        QVERIFY(ed()->markersAtLine(4) & (1 << TEditForm::MarkSaved));
        // The bars live in their own 4-pixel margin, not behind the text; only the debug line
        // marker is in no margin's mask and so colours the text area.
        const long barMask = ed()->SendScintilla(QsciScintilla::SCI_GETMARGINMASKN, 2UL);
        QCOMPARE(barMask, long((1 << TEditForm::MarkChanged) | (1 << TEditForm::MarkSaved)));
        QCOMPARE(ed()->marginWidth(2), 4);
        for (unsigned long m = 0; m < 5; ++m)
            QVERIFY(!(ed()->SendScintilla(QsciScintilla::SCI_GETMARGINMASKN, m) &
                      (1 << TEditForm::MarkDebugLine)));
    }

    void crlfAndLatin1TextLoad() {
        project.POUList[LIB + 2]->POUText = {"ab\r", std::string("\xE4") + "x"};
        view->UpdateView();
        view->ShowFile(2);
        QCOMPARE(view->EditorLines()[1], std::string("\xC3\xA4x"));
        QCOMPARE(ed()->lines(), 2);
    }

    void keywords_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("bold");
        for (const char* kw :
             {"AT", "END_FUNCTION", "END_FUNCTION_BLOCK", "END_PROGRAM", "END_VAR", "FUNCTION",
              "FUNCTION_BLOCK", "PROGRAM", "VAR", "VAR_INPUT", "VAR_OUTPUT", "var_input", "Program"})
            QTest::newRow(kw) << QString::fromLatin1(kw) << true;
        for (const char* w : {"END_VAR;", "VARS", "LD", "(*VAR", "TON", "VAR_IN_OUT"})
            QTest::newRow(w) << QString::fromLatin1(w) << false;
    }
    void keywords() {
        QFETCH(QString, word);
        QFETCH(bool, bold);
        QCOMPARE(TSynIEC_IL::IsKeyword(word.toStdString()), bold);
    }

    void highlighterStylesWholeBlankDelimitedWords() {
        project.POUList[LIB + 1]->POUText = {"var x : INT END_VAR; AT", "\tVAR_INPUT\tq"};
        view->UpdateView();
        view->ShowFile(1);
        ed()->SendScintilla(QsciScintilla::SCI_COLOURISE, 0, -1);
        auto styleAt = [this](int line, int index) {
            const long pos = ed()->positionFromLineIndex(line, index);
            return static_cast<int>(ed()->SendScintilla(QsciScintilla::SCI_GETSTYLEAT, pos));
        };
        QCOMPARE(styleAt(0, 0), int(TSynIEC_IL::Keyword));  // var
        QCOMPARE(styleAt(0, 8), int(TSynIEC_IL::Default));  // INT
        QCOMPARE(styleAt(0, 12), int(TSynIEC_IL::Default)); // END_VAR;
        QCOMPARE(styleAt(0, 21), int(TSynIEC_IL::Keyword)); // AT
        QCOMPARE(styleAt(1, 1), int(TSynIEC_IL::Keyword));  // VAR_INPUT between tabs
        QVERIFY(ed()->lexer()->font(TSynIEC_IL::Keyword).bold());
        QVERIFY(!ed()->lexer()->font(TSynIEC_IL::Default).bold());
    }
};

QTEST_MAIN(TestEditForm)
#include "tst_editform.moc"
