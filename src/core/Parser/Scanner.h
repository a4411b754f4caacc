// Token scanner of visualization description text (separate from the IL scanner).
// Blanks are space and tab; a token is a run of word characters or a run of separators.
#pragma once

#include <string>
#include <string_view>

namespace korvo {

inline bool IsVisBlank(char c) {
    return c == ' ' || c == '\t';
}
inline bool IsVisWordChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
}
// ! # $ % & ( ) * + , - . : < = > [ ] |
bool IsVisSeparator(char c);

// Removes the blanks at the start of S and returns them.
std::string SkipWhitespace(std::string& S);
// Removes and returns the token at the very start of S (no blanks skipped): a maximal run of
// word characters, else a maximal run of separators, else "" with S unchanged.
std::string GetNextElement(std::string& S);
// As GetNextElement, with the characters of Extra counted as word characters too.
std::string GetNextElementX(std::string& S, std::string_view Extra);

// ASCII upper case; names and keywords are compared this way.
std::string VisUpper(std::string_view S);
// Optional sign and decimal digits that fit 32 bits.
bool VisStrToInt(std::string_view S, int32_t& Out);

} // namespace korvo
