// IL scanner: takes the current line apart element by element. Every routine that takes S by
// reference removes what it returns from the front of S and advances the column counter.
#pragma once

#include "Compiler/CompileError.h"

#include <string>
#include <string_view>
#include <vector>

namespace korvo {

bool IsWhitespace(char c);    // tab, blank
bool IsWordChar(char c);      // 0-9 A-Z _ a-z
bool IsSeparatorChar(char c); // ! # $ % & ( ) * + , - . : < = > |

std::string SkipWhitespace(TCompileContext& C, std::string& S);
// One comment at the very front of S: a block comment "(* *)" on this line, then a "//" rest.
std::string SkipComment(TCompileContext& C, std::string& S);
std::string GetNextElement(TCompileContext& C, std::string& S);
// As GetNextElement; characters of CS continue a word element after its first character.
std::string GetNextElementX(TCompileContext& C, std::string& S, std::string_view CS);

// Blanks, one comment, blanks.
void SkipBlanksAndComment(TCompileContext& C, std::string& S);
// The rest of the line may hold one comment and blanks only.
void ExpectEndOfLine(TCompileContext& C, std::string& S);

bool IsIdent(const TCompileContext& C, std::string_view S);
bool AlreadyDefined(const std::vector<std::string>& Ident1, const std::vector<std::string>* Ident2,
                    std::string_view S);
// Index 0..19 in the IEC type table, -1 if no type name; a known unsupported type fails.
int32_t FindIECType(std::string_view ATypeName);

// A source line without the CR of a CRLF line end.
std::string_view StripLineEnd(std::string_view line);

} // namespace korvo
