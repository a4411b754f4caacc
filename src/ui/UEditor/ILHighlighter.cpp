#include "UEditor/ILHighlighter.h"

#include <Qsci/qsciscintilla.h>

#include <QGuiApplication>
#include <QPalette>
#include <QScreen>
#include <array>
#include <cctype>

namespace korvo::ui {

namespace {
constexpr std::array<std::string_view, 11> HighlightedKeywords = {
    "AT",      "END_FUNCTION", "END_FUNCTION_BLOCK", "END_PROGRAM", "END_VAR", "FUNCTION", "FUNCTION_BLOCK",
    "PROGRAM", "VAR",          "VAR_INPUT",          "VAR_OUTPUT"};

// Printable bytes other than the blank make up words; bytes of multi-byte characters count too.
bool IsWordByte(unsigned char c) {
    return c > ' ' && c != 0x7F;
}
} // namespace

TSynIEC_IL::TSynIEC_IL(QObject* parent) : QsciLexerCustom(parent) {
    setDefaultFont(EditorFont());
}

QFont TSynIEC_IL::EditorFont() {
    QFont f(QStringLiteral("Courier New"));
    f.setStyleHint(QFont::TypeWriter);
    f.setFixedPitch(true);
    // 13 pixels; the editor component takes point sizes only.
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal dpi = screen ? screen->logicalDotsPerInchY() : 96.0;
    f.setPointSizeF(13.0 * 72.0 / (dpi > 0 ? dpi : 96.0));
    f.setStyleStrategy(QFont::NoAntialias);
    return f;
}

QString TSynIEC_IL::description(int style) const {
    switch (style) {
    case Default:
        return QStringLiteral("Default");
    case Keyword:
        return QStringLiteral("Keyword");
    }
    return {};
}

QFont TSynIEC_IL::defaultFont(int style) const {
    QFont f = EditorFont();
    f.setBold(style == Keyword);
    return f;
}

QColor TSynIEC_IL::defaultColor(int) const {
    return QColor(Qt::black);
}
QColor TSynIEC_IL::defaultPaper(int) const {
    return QColor(Qt::white);
}

bool TSynIEC_IL::IsKeyword(std::string_view word) {
    for (std::string_view kw : HighlightedKeywords) {
        if (kw.size() != word.size())
            continue;
        bool same = true;
        for (size_t i = 0; i < kw.size() && same; ++i)
            same = std::toupper(static_cast<unsigned char>(word[i])) == kw[i];
        if (same)
            return true;
    }
    return false;
}

void TSynIEC_IL::styleText(int start, int end) {
    QsciScintilla* ed = editor();
    if (!ed || end <= start)
        return;
    // Restart at the beginning of the line so a word cut by the range is seen whole.
    const long line =
        ed->SendScintilla(QsciScintilla::SCI_LINEFROMPOSITION, static_cast<unsigned long>(start));
    start = static_cast<int>(
        ed->SendScintilla(QsciScintilla::SCI_POSITIONFROMLINE, static_cast<unsigned long>(line)));
    const long docLen = ed->SendScintilla(QsciScintilla::SCI_GETLENGTH);
    // Extend to the end of the word the range ends in.
    while (end < docLen && IsWordByte(static_cast<unsigned char>(ed->SendScintilla(
                               QsciScintilla::SCI_GETCHARAT, static_cast<unsigned long>(end)))))
        ++end;
    const QByteArray text = ed->bytes(start, end);
    const int n = static_cast<int>(text.size()) - 1; // bytes() appends a terminating zero
    startStyling(start);
    int i = 0;
    while (i < n) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!IsWordByte(c)) {
            int j = i;
            while (j < n && !IsWordByte(static_cast<unsigned char>(text[j])))
                ++j;
            setStyling(j - i, Default);
            i = j;
            continue;
        }
        int j = i;
        while (j < n && IsWordByte(static_cast<unsigned char>(text[j])))
            ++j;
        const std::string_view word(text.constData() + i, static_cast<size_t>(j - i));
        setStyling(j - i, IsKeyword(word) ? Keyword : Default);
        i = j;
    }
}

} // namespace korvo::ui
