// IL scanner: character classes, comments, elements, identifiers and type names.
#include "Compiler/Scanner.h"

#include "PLCTypes/PLCTypes.h"

namespace korvo {

bool IsWhitespace(char c) {
    return c == '\t' || c == ' ';
}

bool IsWordChar(char c) {
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}

bool IsSeparatorChar(char c) {
    switch (c) {
    case '!':
    case '#':
    case '$':
    case '%':
    case '&':
    case '(':
    case ')':
    case '*':
    case '+':
    case ',':
    case '-':
    case '.':
    case ':':
    case '<':
    case '=':
    case '>':
    case '|':
        return true;
    default:
        return false;
    }
}

namespace {
std::string TakeFront(TCompileContext& C, std::string& S, size_t n) {
    std::string r = S.substr(0, n);
    S.erase(0, n);
    C.ACHINDEX += int32_t(n);
    return r;
}
} // namespace

std::string SkipWhitespace(TCompileContext& C, std::string& S) {
    size_t n = 0;
    while (n < S.size() && IsWhitespace(S[n]))
        ++n;
    return TakeFront(C, S, n);
}

std::string SkipComment(TCompileContext& C, std::string& S) {
    std::string text;
    if (S.size() >= 2 && S[0] == '(' && S[1] == '*') {
        size_t end = S.find("*)", 2);
        if (end == std::string::npos)
            C.Fail("'*)' (end of comment) expected");
        text = S.substr(2, end - 2);
        TakeFront(C, S, end + 2);
    }
    if (S.size() >= 2 && S[0] == '/' && S[1] == '/') {
        text = S.substr(2); // a line comment does not advance the column
        S.clear();
    }
    return text;
}

std::string GetNextElementX(TCompileContext& C, std::string& S, std::string_view CS) {
    if (S.empty())
        return {};
    size_t n = 0;
    if (IsWordChar(S[0])) {
        n = 1;
        while (n < S.size() && (IsWordChar(S[n]) || CS.find(S[n]) != std::string_view::npos))
            ++n;
    } else {
        while (n < S.size() && IsSeparatorChar(S[n]))
            ++n;
    }
    return TakeFront(C, S, n);
}

std::string GetNextElement(TCompileContext& C, std::string& S) {
    return GetNextElementX(C, S, {});
}

void SkipBlanksAndComment(TCompileContext& C, std::string& S) {
    SkipWhitespace(C, S);
    SkipComment(C, S);
    SkipWhitespace(C, S);
}

void ExpectEndOfLine(TCompileContext& C, std::string& S) {
    SkipBlanksAndComment(C, S);
    if (!S.empty())
        C.Fail(msg::EndOfLineExpected);
}

bool IsIdent(const TCompileContext& C, std::string_view S) {
    if (S.empty())
        return false;
    char first = S[0];
    if (!((first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z') || first == '_'))
        return false;
    for (char c : S)
        if (!IsWordChar(c))
            return false;
    if (S.find("__") != std::string_view::npos)
        return false;
    return C.COMPILINGSTANDARDIL || FindKeyword(S) == 0;
}

bool AlreadyDefined(const std::vector<std::string>& Ident1, const std::vector<std::string>* Ident2,
                    std::string_view S) {
    std::string u = UpperCase(S);
    for (const std::string& e : Ident1)
        if (e == u)
            return true;
    if (Ident2)
        for (const std::string& e : *Ident2)
            if (e == u)
                return true;
    return false;
}

int32_t FindIECType(std::string_view ATypeName) {
    std::string u = UpperCase(ATypeName);
    for (int32_t i = IECTYPEFIRST; i <= IECTYPELAST; ++i)
        if (IECTYPES[size_t(i)].TypeName == u) {
            if (!InSet(SUPPORTEDTYPES, i))
                throw ECompileError(msg::DataTypeNotSupported);
            return i;
        }
    return -1;
}

std::string_view StripLineEnd(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    return line;
}

} // namespace korvo
