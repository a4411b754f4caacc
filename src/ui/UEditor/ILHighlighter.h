// Keyword highlighter of the IL editor: the declaration keywords in bold, everything else plain.
// A word is a run of printable characters other than the blank, so "END_VAR;" is no keyword.
#pragma once

#include <Qsci/qscilexercustom.h>

#include <string_view>

namespace korvo::ui {

class TSynIEC_IL : public QsciLexerCustom {
    Q_OBJECT
public:
    enum Style { Default = 0, Keyword = 1 };

    explicit TSynIEC_IL(QObject* parent = nullptr);

    const char* language() const override { return "IEC_IL"; }
    QString description(int style) const override;
    QFont defaultFont(int style) const override;
    QColor defaultColor(int style) const override;
    QColor defaultPaper(int style) const override;
    void styleText(int start, int end) override;

    // True when word (bytes, any case) is one of the highlighted keywords.
    static bool IsKeyword(std::string_view word);
    // The editor font: fixed pitch, 13 pixels, no smoothing.
    static QFont EditorFont();
};

} // namespace korvo::ui
