// Token scanner of visualization description text.
#include "Parser/Scanner.h"

#include <cstdint>

namespace korvo {

bool IsVisSeparator(char c) {
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
    case '[':
    case ']':
    case '|':
        return true;
    default:
        return false;
    }
}

std::string SkipWhitespace(std::string& S) {
    size_t n = 0;
    while (n < S.size() && IsVisBlank(S[n]))
        ++n;
    std::string r = S.substr(0, n);
    S.erase(0, n);
    return r;
}

std::string GetNextElementX(std::string& S, std::string_view Extra) {
    auto word = [&](char c) { return IsVisWordChar(c) || Extra.find(c) != std::string_view::npos; };
    size_t n = 0;
    if (!S.empty() && word(S[0])) {
        while (n < S.size() && word(S[n]))
            ++n;
    } else {
        while (n < S.size() && IsVisSeparator(S[n]))
            ++n;
    }
    std::string r = S.substr(0, n);
    S.erase(0, n);
    return r;
}

std::string GetNextElement(std::string& S) {
    return GetNextElementX(S, {});
}

std::string VisUpper(std::string_view S) {
    std::string r(S);
    for (char& c : r)
        if (c >= 'a' && c <= 'z')
            c = static_cast<char>(c - 'a' + 'A');
    return r;
}

bool VisStrToInt(std::string_view S, int32_t& Out) {
    size_t i = 0;
    bool neg = false;
    if (i < S.size() && (S[i] == '+' || S[i] == '-'))
        neg = S[i++] == '-';
    if (i == S.size())
        return false;
    int64_t v = 0;
    for (; i < S.size(); ++i) {
        if (S[i] < '0' || S[i] > '9')
            return false;
        v = v * 10 + (S[i] - '0');
        if (v > 0x80000000LL)
            return false;
    }
    if (neg)
        v = -v;
    if (v > INT32_MAX || v < INT32_MIN)
        return false;
    Out = static_cast<int32_t>(v);
    return true;
}

} // namespace korvo
