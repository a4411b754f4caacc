#include "UEditor/EditForm.h"

#include "Sim_ag/Breakpoints.h"
#include "UEditor/ILHighlighter.h"

#include <Qsci/qscicommand.h>
#include <Qsci/qscicommandset.h>
#include <Qsci/qsciscintilla.h>
#include <Qsci/qscistyle.h>

#include <QKeyEvent>
#include <QLabel>
#include <QStatusBar>
#include <QStringDecoder>
#include <QStyleOptionTab>
#include <QVBoxLayout>

namespace korvo::ui {

namespace {
constexpr int MarginBookmarks = 0;
constexpr int MarginLineNumbers = 1;
constexpr int MarginChangeBars = 2;
constexpr int MarginSeparator = 3;
constexpr int BookmarkMask = 0x3FF;
constexpr int ChangeBarMask = (1 << TEditForm::MarkChanged) | (1 << TEditForm::MarkSaved);

// Text files are UTF-8; anything that does not decode as such is read as Latin-1.
QString DecodeLine(const std::string& line) {
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString s = utf8.decode(QByteArrayView(line.data(), static_cast<qsizetype>(line.size())));
    if (utf8.hasError())
        return QString::fromLatin1(line.data(), static_cast<qsizetype>(line.size()));
    return s;
}
// Digit of a bookmark key: Ctrl+digit goes to a bookmark, Ctrl+Shift+digit (which arrives as
// the shifted character of a US keyboard) sets it.
int BookmarkDigit(int key) {
    if (key >= Qt::Key_0 && key <= Qt::Key_9)
        return key - Qt::Key_0;
    static constexpr int shifted[10] = {
        Qt::Key_ParenRight, Qt::Key_Exclam,      Qt::Key_At,        Qt::Key_NumberSign, Qt::Key_Dollar,
        Qt::Key_Percent,    Qt::Key_AsciiCircum, Qt::Key_Ampersand, Qt::Key_Asterisk,   Qt::Key_ParenLeft};
    for (int i = 0; i < 10; ++i)
        if (shifted[i] == key)
            return i;
    return -1;
}
} // namespace

void TPOUTabBar::SetNoneSelected(bool none) {
    if (FNoneSelected == none)
        return;
    FNoneSelected = none;
    update();
}

void TPOUTabBar::initStyleOption(QStyleOptionTab* option, int tabIndex) const {
    QTabBar::initStyleOption(option, tabIndex);
    if (FNoneSelected)
        option->state &= ~QStyle::State_Selected;
}

TEditForm::TEditForm(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("EditForm"));
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    FSelPOU = new TPOUTabBar(this);
    FSelPOU->setObjectName(QStringLiteral("SelPOU"));
    FSelPOU->setFocusPolicy(Qt::NoFocus);
    FSelPOU->setExpanding(false);
    FSelPOU->setUsesScrollButtons(true);
    FSelPOU->setDocumentMode(true);
    FSelPOU->setElideMode(Qt::ElideNone);
    layout->addWidget(FSelPOU);

    FEditor = new QsciScintilla(this);
    FEditor->setObjectName(QStringLiteral("Editor"));
    FEditor->setUtf8(true);
    FEditor->setEolMode(QsciScintilla::EolUnix);
    FSynIEC_IL = new TSynIEC_IL(FEditor);
    FEditor->setLexer(FSynIEC_IL);
    FEditor->setFont(TSynIEC_IL::EditorFont());
    FEditor->setBraceMatching(QsciScintilla::SloppyBraceMatch);
    FEditor->setMatchedBraceBackgroundColor(QColor(0xC0, 0xE0, 0xFF));
    FEditor->setWrapMode(QsciScintilla::WrapNone);
    FEditor->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FEditor->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    FEditor->SendScintilla(QsciScintilla::SCI_SETSCROLLWIDTHTRACKING, 1);
    FEditor->SendScintilla(QsciScintilla::SCI_SETSCROLLWIDTH, 1);
    FEditor->setCaretLineVisible(false);
    FEditor->setReadOnly(true); // until a tab is current

    // Gutter: bookmarks, line numbers from 1, change bars, a separator; no folding in IL.
    FEditor->setMarginType(MarginBookmarks, QsciScintilla::SymbolMargin);
    FEditor->setMarginWidth(MarginBookmarks, 16);
    FEditor->setMarginMarkerMask(MarginBookmarks, BookmarkMask);
    FEditor->setMarginSensitivity(MarginBookmarks, true);
    FEditor->setMarginType(MarginLineNumbers, QsciScintilla::NumberMargin);
    FEditor->setMarginWidth(MarginLineNumbers, QStringLiteral("000"));
    FEditor->setMarginMarkerMask(MarginLineNumbers, 0);
    FEditor->setMarginLineNumbers(MarginLineNumbers, true);
    FEditor->setMarginType(MarginChangeBars, QsciScintilla::SymbolMargin);
    FEditor->setMarginWidth(MarginChangeBars, 4);
    FEditor->setMarginMarkerMask(MarginChangeBars, ChangeBarMask);
    FEditor->setMarginType(MarginSeparator, QsciScintilla::SymbolMarginColor);
    FEditor->setMarginWidth(MarginSeparator, 2);
    FEditor->setMarginMarkerMask(MarginSeparator, 0);
    FEditor->setMarginBackgroundColor(MarginSeparator, palette().color(QPalette::Mid));
    FEditor->setMarginType(MarginBreakpoints, QsciScintilla::SymbolMargin);
    FEditor->setMarginWidth(MarginBreakpoints, 14);
    FEditor->setMarginMarkerMask(MarginBreakpoints, 1 << MarkBreakpoint);
    FEditor->setMarginSensitivity(MarginBreakpoints, true);
    FEditor->setMarginsBackgroundColor(palette().color(QPalette::Button));
    FEditor->setMarginsForegroundColor(palette().color(QPalette::ButtonText));
    FEditor->setMarginsFont(TSynIEC_IL::EditorFont());

    for (int i = 0; i <= 9; ++i) {
        FEditor->markerDefine(QsciScintilla::Circle, MarkBookmarkFirst + i);
        FEditor->setMarkerBackgroundColor(QColor(0x20, 0x60, 0xD0), MarkBookmarkFirst + i);
        FEditor->setMarkerForegroundColor(QColor(0x10, 0x30, 0x80), MarkBookmarkFirst + i);
    }
    FEditor->markerDefine(QsciScintilla::FullRectangle, MarkChanged);
    FEditor->setMarkerBackgroundColor(QColor(252, 233, 0), MarkChanged);
    FEditor->setMarkerForegroundColor(QColor(252, 233, 0), MarkChanged);
    FEditor->markerDefine(QsciScintilla::FullRectangle, MarkSaved);
    FEditor->setMarkerBackgroundColor(QColor(0, 160, 0), MarkSaved);
    FEditor->setMarkerForegroundColor(QColor(0, 160, 0), MarkSaved);
    // A background marker in no margin's mask colours the text area of its line.
    FEditor->markerDefine(QsciScintilla::Background, MarkDebugLine);
    FEditor->setMarkerBackgroundColor(QColor(255, 255, 0), MarkDebugLine);
    FEditor->markerDefine(QsciScintilla::Circle, MarkBreakpoint);
    FEditor->setMarkerBackgroundColor(QColor(0xE0, 0x10, 0x10), MarkBreakpoint);
    FEditor->setMarkerForegroundColor(QColor(0x80, 0x00, 0x00), MarkBreakpoint);
    // Online values: small grey italic text below the line.
    FEditor->setAnnotationDisplay(QsciScintilla::AnnotationIndented);

    // Ctrl+Del belongs to the Edit menu's "&Delete".
    constexpr int ctrlDel = int(Qt::ControlModifier) | int(Qt::Key_Delete);
    if (QsciCommand* cmd = FEditor->standardCommands()->boundTo(ctrlDel)) {
        if (cmd->key() == ctrlDel)
            cmd->setKey(0);
        else
            cmd->setAlternateKey(0);
    }
    layout->addWidget(FEditor, 1);

    FStatusBar = new QStatusBar(this);
    FStatusBar->setObjectName(QStringLiteral("StatusBar"));
    FStatusBar->setSizeGripEnabled(false);
    for (int i = 0; i < 2; ++i) {
        FStatusPanels[i] = new QLabel(FStatusBar);
        FStatusPanels[i]->setFixedWidth(50);
        FStatusPanels[i]->setAlignment(Qt::AlignCenter);
        FStatusPanels[i]->setFrameShape(QFrame::StyledPanel);
        FStatusBar->addWidget(FStatusPanels[i]);
    }
    FStatusPanels[0]->setText(QStringLiteral("1:   1"));
    FHint = new QLabel(FStatusBar);
    FHint->setObjectName(QStringLiteral("HintPanel"));
    FStatusBar->addWidget(FHint, 1);
    layout->addWidget(FStatusBar);

    connect(FSelPOU, &QTabBar::tabBarClicked, this, [this](int index) {
        if (!FTabUpdating && index >= 0)
            SelectTab(index);
    });
    connect(FSelPOU, &QTabBar::currentChanged, this, [this](int index) {
        if (!FTabUpdating && index >= 0)
            SelectTab(index);
    });
    connect(FEditor, &QsciScintilla::textChanged, this, &TEditForm::EditorChange);
    connect(FEditor, &QsciScintilla::cursorPositionChanged, this, &TEditForm::EditorStatusChange);
    connect(FEditor, &QsciScintilla::selectionChanged, this, &TEditForm::EditorStatusChange);
    connect(FEditor, &QsciScintillaBase::SCN_MODIFIED, this,
            [this](int position, int modificationType, const char*, int length, int linesAdded, int, int, int,
                   int, int) { MarkChangedLines(position, modificationType, length, linesAdded); });
    connect(FEditor, &QsciScintilla::marginClicked, this,
            [this](int margin, int line, Qt::KeyboardModifiers) {
                if (margin == MarginBookmarks && FCurrentTab >= 0)
                    ToggleBookmark(line, -1);
                else if (margin == MarginBreakpoints && FCurrentTab >= 0)
                    ToggleBreakpoint(line);
            });
    FEditor->installEventFilter(this);
    FEditor->viewport()->installEventFilter(this);
}

TEditForm::~TEditForm() = default;

TPOUDesc* TEditForm::TabPOU(int tab) const {
    if (!FProject || tab < 0 || tab >= TabCount())
        return nullptr;
    const int idx = FTabInfos[static_cast<size_t>(tab)].POUIndex;
    if (idx < 0 || idx >= static_cast<int>(FProject->POUList.size()))
        return nullptr;
    return FProject->POUList[static_cast<size_t>(idx)].get();
}

void TEditForm::ClearView() {
    SelectTab(-1);
    FTabUpdating = true;
    while (FSelPOU->count() > 0)
        FSelPOU->removeTab(FSelPOU->count() - 1);
    FTabUpdating = false;
    FTabInfos.clear();
}

void TEditForm::UpdateView() {
    ClearView();
    if (!FProject)
        return;
    FTabUpdating = true;
    FSelPOU->setUpdatesEnabled(false);
    for (size_t i = 0; i < FProject->POUList.size(); ++i) {
        const TPOUDesc& pou = *FProject->POUList[i];
        if (pou.Compiled)
            continue;
        TTabInfo info;
        info.POUIndex = static_cast<int32_t>(i);
        FTabInfos.push_back(info);
        const QString path = QString::fromStdString(pou.FileName);
        const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
        FSelPOU->addTab(slash >= 0 ? path.mid(slash + 1) : path);
    }
    FSelPOU->setUpdatesEnabled(true);
    FTabUpdating = false;
    SelectTab(-1);
}

void TEditForm::ShowFile(int FileNo) {
    if (FileNo < 0)
        SelectTab(-1);
    else if (FileNo < TabCount())
        SelectTab(FileNo);
}

void TEditForm::ShowPOU(int POUIndex) {
    for (int i = 0; i < TabCount(); ++i) {
        if (FTabInfos[static_cast<size_t>(i)].POUIndex == POUIndex) {
            ShowFile(i);
            return;
        }
    }
}

void TEditForm::SelectTab(int index) {
    if (index >= TabCount())
        index = -1;
    if (index == FCurrentTab) {
        FSelPOU->SetNoneSelected(index < 0);
        return;
    }
    LeaveStep();
    FCurrentTab = index;
    FTabUpdating = true;
    if (index >= 0)
        FSelPOU->setCurrentIndex(index);
    FSelPOU->SetNoneSelected(index < 0);
    FTabUpdating = false;
    EnterStep();
}

void TEditForm::LeaveStep() {
    if (FCurrentTab < 0 || FCurrentTab >= TabCount())
        return;
    TTabInfo& info = FTabInfos[static_cast<size_t>(FCurrentTab)];
    SyncBreakpoints();
    SetLineAnnotations({});
    if (EditorModified()) {
        if (TPOUDesc* pou = TabPOU(FCurrentTab)) {
            pou->POUText = EditorLines();
            pou->Modified = true;
        }
        SetEditorModified(false);
    }
    const long spaceWidth = std::max(
        1L, FEditor->SendScintilla(QsciScintilla::SCI_TEXTWIDTH, 0UL, static_cast<const char*>(" ")));
    info.LeftChar =
        static_cast<int32_t>(FEditor->SendScintilla(QsciScintilla::SCI_GETXOFFSET) / spaceWidth) + 1;
    info.TopLine = static_cast<int32_t>(FEditor->SendScintilla(QsciScintilla::SCI_GETFIRSTVISIBLELINE)) + 1;
    info.SelAvail = FEditor->hasSelectedText();
    if (info.SelAvail) {
        info.SelStart = static_cast<int32_t>(FEditor->SendScintilla(QsciScintilla::SCI_GETSELECTIONSTART));
        info.SelEnd = static_cast<int32_t>(FEditor->SendScintilla(QsciScintilla::SCI_GETSELECTIONEND));
    }
    int line = 0, index = 0;
    FEditor->getCursorPosition(&line, &index);
    info.CaretXY = QPoint(index + 1, line + 1);
    SetEditorText({});
    FEditor->setReadOnly(true);
}

void TEditForm::EnterStep() {
    TPOUDesc* pou = TabPOU(FCurrentTab);
    if (!pou) {
        UpdateDebugMarker();
        return;
    }
    const TTabInfo& info = FTabInfos[static_cast<size_t>(FCurrentTab)];
    FEditor->setReadOnly(false);
    SetEditorText(pou->POUText);
    const long spaceWidth = std::max(
        1L, FEditor->SendScintilla(QsciScintilla::SCI_TEXTWIDTH, 0UL, static_cast<const char*>(" ")));
    FEditor->SendScintilla(QsciScintilla::SCI_SETXOFFSET, std::max(0, info.LeftChar - 1) * spaceWidth);
    FEditor->SendScintilla(QsciScintilla::SCI_SETFIRSTVISIBLELINE,
                           static_cast<unsigned long>(std::max(0, info.TopLine - 1)));
    const int caretLine = std::max(0, info.CaretXY.y() - 1);
    const int caretIndex = std::max(0, info.CaretXY.x() - 1);
    const long caretPos = FEditor->positionFromLineIndex(caretLine, caretIndex);
    if (info.SelAvail) {
        // Keep the caret at the end of the selection it was on.
        const long anchor = caretPos == info.SelStart ? info.SelEnd : info.SelStart;
        const long caret = caretPos == info.SelStart ? info.SelStart : info.SelEnd;
        FEditor->SendScintilla(QsciScintilla::SCI_SETSELECTIONSTART, anchor);
        FEditor->SendScintilla(QsciScintilla::SCI_SETANCHOR, anchor);
        FEditor->SendScintilla(QsciScintilla::SCI_SETCURRENTPOS, caret);
    } else {
        FEditor->SendScintilla(QsciScintilla::SCI_SETEMPTYSELECTION, caretPos);
    }
    // Setting the caret may scroll; the stored first line wins.
    FEditor->SendScintilla(QsciScintilla::SCI_SETFIRSTVISIBLELINE,
                           static_cast<unsigned long>(std::max(0, info.TopLine - 1)));
    UpdateDebugMarker();
    ReloadBreakpointMarkers();
    EditorStatusChange();
}

void TEditForm::SetEditorText(const std::vector<std::string>& lines) {
    QString text;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (i > 0)
            text += QLatin1Char('\n');
        text += DecodeLine(lines[i]);
    }
    FLoading = true;
    const bool ro = FEditor->isReadOnly();
    FEditor->setReadOnly(false);
    FEditor->setText(text);
    FEditor->setReadOnly(ro);
    FEditor->markerDeleteAll(MarkChanged);
    FEditor->markerDeleteAll(MarkSaved);
    FEditor->SendScintilla(QsciScintilla::SCI_EMPTYUNDOBUFFER);
    FEditor->setModified(false);
    FLoading = false;
}

std::vector<std::string> TEditForm::EditorLines() const {
    std::vector<std::string> lines;
    const QByteArray all = FEditor->text().toUtf8();
    qsizetype start = 0;
    for (;;) {
        const qsizetype nl = all.indexOf('\n', start);
        qsizetype end = nl < 0 ? all.size() : nl;
        qsizetype lineEnd = end;
        if (lineEnd > start && all[lineEnd - 1] == '\r')
            --lineEnd;
        lines.emplace_back(all.constData() + start, static_cast<size_t>(lineEnd - start));
        if (nl < 0)
            break;
        start = nl + 1;
    }
    return lines;
}

bool TEditForm::EditorModified() const {
    return FEditor->isModified();
}

void TEditForm::SetEditorModified(bool modified) {
    if (!modified && FEditor->isModified()) {
        // Lines changed so far are now saved: their bars turn green.
        for (int line = FEditor->markerFindNext(0, 1 << MarkChanged); line >= 0;
             line = FEditor->markerFindNext(line + 1, 1 << MarkChanged)) {
            FEditor->markerDelete(line, MarkChanged);
            FEditor->markerAdd(line, MarkSaved);
        }
    }
    FEditor->setModified(modified);
}

void TEditForm::SetSelDebugLine(int AValue) {
    FSelDebugPOU = FCurrentTab;
    FSelDebugLine = AValue;
    UpdateDebugMarker();
    if (AValue >= 0) {
        FEditor->setCursorPosition(AValue, 0);
        FEditor->ensureLineVisible(AValue);
        FEditor->viewport()->update();
    }
}

void TEditForm::UpdateDebugMarker() {
    FEditor->markerDeleteAll(MarkDebugLine);
    if (FCurrentTab >= 0 && FCurrentTab == FSelDebugPOU && FSelDebugLine >= 0 &&
        FSelDebugLine < FEditor->lines())
        FEditor->markerAdd(FSelDebugLine, MarkDebugLine);
}

bool TEditForm::DebugLineShown(int line) const {
    return line >= 0 && (FEditor->markersAtLine(line) & (1 << MarkDebugLine)) != 0;
}

void TEditForm::GotoPosition(int line, int column) {
    const int l = std::max(0, line - 1);
    const int c = std::max(0, column - 1);
    FEditor->setCursorPosition(l, c);
    FEditor->ensureCursorVisible();
    FEditor->setFocus();
}

QString TEditForm::FormatCaretPos(int line, int column) {
    const QString col = QStringLiteral("   ") + QString::number(column);
    return QString::number(line) + QLatin1Char(':') + col.right(4);
}

QString TEditForm::StatusText() const {
    return FStatusPanels[0]->text();
}

void TEditForm::EditorStatusChange() {
    const long pos = FEditor->SendScintilla(QsciScintilla::SCI_GETCURRENTPOS);
    const long line =
        FEditor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, static_cast<unsigned long>(pos));
    const long column = FEditor->SendScintilla(QsciScintilla::SCI_GETCOLUMN, static_cast<unsigned long>(pos));
    FStatusPanels[0]->setText(FormatCaretPos(static_cast<int>(line) + 1, static_cast<int>(column) + 1));
}

void TEditForm::EditorChange() {
    if (FLoading)
        return;
    SyncBreakpoints();
    if (FOnEdited)
        FOnEdited();
}

void TEditForm::MarkChangedLines(int position, int modificationType, int length, int linesAdded) {
    if (FLoading ||
        !(modificationType & (QsciScintilla::SC_MOD_INSERTTEXT | QsciScintilla::SC_MOD_DELETETEXT)))
        return;
    const int first = static_cast<int>(
        FEditor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, static_cast<unsigned long>(position)));
    int last = first;
    if (modificationType & QsciScintilla::SC_MOD_INSERTTEXT) {
        last = static_cast<int>(FEditor->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION,
                                                       static_cast<unsigned long>(position + length)));
        last = std::max(last, first + std::max(0, linesAdded));
    }
    for (int line = first; line <= last; ++line) {
        const unsigned mask = FEditor->markersAtLine(line);
        if (mask & (1u << MarkSaved))
            FEditor->markerDelete(line, MarkSaved);
        if (!(mask & (1u << MarkChanged)))
            FEditor->markerAdd(line, MarkChanged);
    }
}

void TEditForm::ToggleBookmark(int line, int number) {
    const unsigned mask = FEditor->markersAtLine(line) & BookmarkMask;
    if (number < 0) {
        if (mask) {
            for (int i = 0; i <= 9; ++i)
                if (mask & (1u << i))
                    FEditor->markerDelete(line, i);
            return;
        }
        for (int i = 0; i <= 9; ++i) {
            if (FEditor->markerFindNext(0, 1 << i) < 0) {
                number = i;
                break;
            }
        }
        if (number < 0)
            return;
    }
    if (mask & (1u << number)) {
        FEditor->markerDelete(line, number);
        return;
    }
    FEditor->markerDeleteAll(number);
    FEditor->markerAdd(line, number);
}

void TEditForm::GotoBookmark(int number) {
    const int line = FEditor->markerFindNext(0, 1 << number);
    if (line >= 0) {
        FEditor->setCursorPosition(line, 0);
        FEditor->ensureLineVisible(line);
    }
}

std::string TEditForm::TabFileName(int tab) const {
    const TPOUDesc* pou = TabPOU(tab);
    return pou ? pou->FileName : std::string();
}

void TEditForm::SetBreakpoints(TBreakpoints* bp) {
    FBreakpoints = bp;
    ReloadBreakpointMarkers();
}

bool TEditForm::HasBreakpointMarker(int line) const {
    return line >= 0 && (FEditor->markersAtLine(line) & (1u << MarkBreakpoint)) != 0;
}

bool TEditForm::ToggleBreakpoint(int line) {
    if (!FBreakpoints || FCurrentTab < 0 || line < 0 || line >= FEditor->lines())
        return false;
    if (HasBreakpointMarker(line)) {
        FEditor->markerDelete(line, MarkBreakpoint);
        FHint->clear();
        SyncBreakpoints();
        return false;
    }
    if (!LineHoldsInstruction(EditorLines(), line)) {
        FHint->setText(QStringLiteral("No instruction on line %1: no breakpoint").arg(line + 1));
        return false;
    }
    FEditor->markerAdd(line, MarkBreakpoint);
    FHint->clear();
    SyncBreakpoints();
    return true;
}

void TEditForm::RemoveAllBreakpoints() {
    FEditor->markerDeleteAll(MarkBreakpoint);
    if (FBreakpoints) {
        FBreakpoints->Clear();
        FMarkerRevision = FBreakpoints->Revision();
    }
}

void TEditForm::ReloadBreakpointMarkers() {
    FEditor->markerDeleteAll(MarkBreakpoint);
    if (!FBreakpoints || FCurrentTab < 0)
        return;
    const int lines = FEditor->lines();
    for (int32_t line : FBreakpoints->Lines(TabFileName(FCurrentTab)))
        if (line < lines)
            FEditor->markerAdd(line, MarkBreakpoint);
    FMarkerRevision = FBreakpoints->Revision();
}

void TEditForm::SyncBreakpoints() {
    if (!FBreakpoints || FCurrentTab < 0)
        return;
    if (FBreakpoints->Revision() != FMarkerRevision) {
        // The set was loaded or changed outside the editor (project opened, file renamed,
        // "Remove all breakpoints"): it wins over the markers.
        ReloadBreakpointMarkers();
        return;
    }
    const std::string file = TabFileName(FCurrentTab);
    std::vector<int32_t> marked;
    for (int line = FEditor->markerFindNext(0, 1 << MarkBreakpoint); line >= 0;
         line = FEditor->markerFindNext(line + 1, 1 << MarkBreakpoint))
        marked.push_back(line);
    if (marked == FBreakpoints->Lines(file))
        return; // unchanged: the soft PLC keeps its line maps
    FBreakpoints->ClearFile(file);
    for (int32_t line : marked)
        FBreakpoints->Set(file, line);
    FMarkerRevision = FBreakpoints->Revision();
}

QString TEditForm::HintText() const {
    return FHint->text();
}

void TEditForm::SetLineAnnotations(const std::vector<std::pair<int, QString>>& values) {
    if (!FAnnotated && values.empty())
        return;
    FEditor->clearAnnotations();
    FAnnotated = false;
    const int lines = FEditor->lines();
    for (const auto& [line, text] : values) {
        if (line < 0 || line >= lines)
            continue;
        static const QsciStyle style(-1, QStringLiteral("Online value"), QColor(0x10, 0x60, 0x10),
                                     QColor(0xE4, 0xF4, 0xE4), TSynIEC_IL::EditorFont());
        FEditor->annotate(line, text, style);
        FAnnotated = true;
    }
}

void TEditForm::SelectNextTab() {
    if (TabCount() == 0)
        return;
    SelectTab(FCurrentTab + 1 >= TabCount() ? 0 : FCurrentTab + 1);
}

void TEditForm::SelectPreviousTab() {
    if (TabCount() == 0)
        return;
    SelectTab(FCurrentTab <= 0 ? TabCount() - 1 : FCurrentTab - 1);
}

bool TEditForm::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == FEditor || watched == FEditor->viewport()) &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride)) {
        auto* key = static_cast<QKeyEvent*>(event);
        const Qt::KeyboardModifiers mods =
            key->modifiers() & (Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
        const bool tabKey = key->key() == Qt::Key_Tab || key->key() == Qt::Key_Backtab;
        if (key->key() == Qt::Key_F5 && mods == Qt::NoModifier && FCurrentTab >= 0) {
            if (event->type() == QEvent::KeyPress) {
                int line = 0, index = 0;
                FEditor->getCursorPosition(&line, &index);
                ToggleBreakpoint(line);
            }
            event->accept();
            return true;
        }
        int action = 0; // 1 next, -1 previous, 2 bookmark set, 3 bookmark go
        if (tabKey && mods == Qt::ControlModifier && key->key() == Qt::Key_Tab)
            action = 1;
        else if (tabKey && mods == (Qt::ControlModifier | Qt::ShiftModifier))
            action = -1;
        else if (BookmarkDigit(key->key()) >= 0 && FCurrentTab >= 0 &&
                 (mods == Qt::ControlModifier || mods == (Qt::ControlModifier | Qt::ShiftModifier)))
            action = mods == Qt::ControlModifier ? 3 : 2;
        if (action == 0)
            return QWidget::eventFilter(watched, event);
        if (event->type() == QEvent::ShortcutOverride) {
            event->accept(); // the key comes as a key press to us, not as a shortcut
            return true;
        }
        if (action == 1)
            SelectNextTab();
        else if (action == -1)
            SelectPreviousTab();
        else {
            const int number = BookmarkDigit(key->key());
            if (action == 2) {
                int line = 0, index = 0;
                FEditor->getCursorPosition(&line, &index);
                ToggleBookmark(line, number);
            } else {
                GotoBookmark(number);
            }
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

} // namespace korvo::ui
