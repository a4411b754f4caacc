// Literals (booleans, integers in base 2/10/16, typed literals, durations), direct addresses
// and type conversion names.
#include "Compiler/Literals.h"

#include "Compiler/CompileError.h"
#include "Compiler/Scanner.h"

#include <string>

namespace korvo {

namespace {

constexpr int64_t kMaxLiteral = 2147483647;
constexpr int64_t kMinLiteral = -2147483648LL;
constexpr int64_t kSaturate = int64_t(1) << 40; // beyond every accepted value

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool AllDigits(std::string_view s) {
    if (s.empty())
        return false;
    for (char c : s)
        if (!IsDigit(c))
            return false;
    return true;
}

// Value of a non-empty digit run, saturated far beyond the 32-bit range.
int64_t DigitValue(std::string_view s) {
    int64_t v = 0;
    for (char c : s) {
        v = v * 10 + (c - '0');
        if (v > kSaturate)
            v = kSaturate;
    }
    return v;
}

// Duration after T# / TIME#, already upper case.
bool ReadDuration(std::string_view s, int64_t& ms) {
    enum Unit { NONE, DAYS, HOURS, MINUTES, SECONDS, MSECS };
    static constexpr int64_t factor[] = {0, 86400000, 3600000, 60000, 1000, 1};
    static constexpr int64_t limit[] = {0, 0, 23, 59, 59, 999};
    Unit last = NONE;
    int64_t sum = 0;
    size_t i = 0;
    if (s.empty())
        return false;
    while (i < s.size()) {
        size_t d = i;
        while (i < s.size() && IsDigit(s[i]))
            ++i;
        if (i == d)
            return false; // part without digits
        int64_t number = DigitValue(s.substr(d, i - d));
        size_t u = i;
        while (i < s.size() && (s[i] == 'D' || s[i] == 'H' || s[i] == 'M' || s[i] == 'S'))
            ++i;
        std::string_view us = s.substr(u, i - u);
        Unit unit;
        if (us == "D")
            unit = DAYS;
        else if (us == "H")
            unit = HOURS;
        else if (us == "M")
            unit = MINUTES;
        else if (us == "S")
            unit = SECONDS;
        else if (us == "MS")
            unit = MSECS;
        else
            return false;
        if (unit <= last)
            return false; // out of order or repeated
        if (last != NONE && number > limit[unit])
            return false;
        last = unit;
        // Saturate before multiplying: a huge day count times the day's milliseconds would
        // overflow 64 bits.
        if (number > kSaturate / factor[unit])
            sum = kSaturate;
        else
            sum += number * factor[unit];
        if (sum > kSaturate)
            sum = kSaturate;
        if (i < s.size() && s[i] == '_' && i + 1 < s.size())
            ++i;
    }
    ms = sum;
    return true;
}

} // namespace

bool GetLiteralValue(std::string_view Src, int32_t& DataType, TUS64& LitValue) {
    LitValue.U64 = 0;
    std::string s = UpperCase(Src);
    int32_t typeIndex = -1;

    // 1. Type prefix.
    size_t hash = s.find('#');
    if (hash != std::string::npos) {
        std::string prefix = s.substr(0, hash);
        int32_t t = prefix == "T" ? DT_TIME : FindIECType(prefix);
        if (t >= 0) {
            typeIndex = t;
            s.erase(0, hash + 1);
        }
    }
    DataType = typeIndex;

    // 2./3. Duration.
    if (typeIndex == DT_TIME) {
        int64_t ms = 0;
        if (!ReadDuration(s, ms))
            return false;
        if (ms > kMaxLiteral)
            throw ECompileError(msg::TimeOutOfRange);
        LitValue.S64 = ms;
        DataType = TR_TIME;
        return true;
    }

    // 4. Base prefix.
    int base = 10;
    hash = s.find('#');
    if (hash != std::string::npos) {
        std::string prefix = s.substr(0, hash);
        if (!AllDigits(prefix))
            throw ECompileError(msg::InvalidLiteralPrefix);
        int64_t b = DigitValue(prefix);
        if (b != 2 && b != 10 && b != 16)
            throw ECompileError(msg::InvalidBase);
        base = int(b);
        s.erase(0, hash + 1);
    }

    // 5. Booleans.
    if (s == "TRUE" || s == "FALSE") {
        if (typeIndex >= 0 && typeIndex != DT_BOOL)
            throw ECompileError(msg::ErrorInExpression);
        LitValue.S64 = s == "TRUE" ? 1 : 0;
        DataType = TR_BOOL;
        return true;
    }

    // 6. Digit separators.
    if (s.find("__") != std::string::npos)
        return false;
    std::string digits;
    for (size_t i = 0; i < s.size(); ++i)
        if (s[i] != '_' || i == 0)
            digits += s[i];

    // 7. Digits.
    int64_t value = 0;
    if (digits.empty())
        return false;
    if (base == 10) {
        size_t i = 0;
        bool negative = false;
        if (digits[0] == '+' || digits[0] == '-') {
            negative = digits[0] == '-';
            i = 1;
        }
        if (!AllDigits(std::string_view(digits).substr(i)))
            return false;
        value = DigitValue(std::string_view(digits).substr(i));
        if (negative)
            value = -value;
    } else {
        for (char c : digits) {
            int d;
            if (c >= '0' && c <= '9')
                d = c - '0';
            else if (c >= 'A' && c <= 'F')
                d = c - 'A' + 10;
            else
                return false;
            if (d >= base)
                return false;
            value = value * base + d;
            if (value > kSaturate)
                value = kSaturate;
        }
    }

    // 8. Range.
    if (value < kMinLiteral || value > kMaxLiteral)
        return false;

    // 9. Type.
    LitValue.S64 = value;
    DataType = typeIndex >= 0 ? TypeRef(typeIndex) : TR_SLITERAL;
    return true;
}

bool GetDirectAdr(std::string_view Src, int32_t& ByteAdr, uint8_t& BitAdr, int16_t& DataSize,
                  int32_t& DataType, int32_t& AdrType) {
    std::string s = UpperCase(Src);
    if (s.size() < 2)
        return false;
    int32_t base;
    switch (s[0]) {
    case 'I':
        base = FIRSTE;
        break;
    case 'Q':
        base = FIRSTA;
        break;
    case 'M':
        base = FIRSTM;
        break;
    default:
        return false;
    }
    constexpr int32_t kAreaBytes = 16;
    char sizeChar = s[1];
    std::string_view rest = std::string_view(s).substr(IsDigit(sizeChar) ? 1 : 2);

    if (IsDigit(sizeChar) || sizeChar == 'X') {
        size_t dot = rest.find('.');
        int64_t byte, bit;
        if (dot == std::string_view::npos) {
            if (!AllDigits(rest))
                return false;
            int64_t n = DigitValue(rest);
            byte = n / 8;
            bit = n % 8;
        } else {
            std::string_view b = rest.substr(0, dot), x = rest.substr(dot + 1);
            if (!AllDigits(b) || !AllDigits(x))
                return false;
            byte = DigitValue(b);
            bit = DigitValue(x);
        }
        if (byte >= kAreaBytes || bit > 7)
            return false;
        ByteAdr = base + int32_t(byte);
        BitAdr = uint8_t(bit);
        DataSize = 1;
        DataType = AdrType = TypeRef(DT_BOOL);
        return true;
    }

    int32_t bytes, type;
    switch (sizeChar) {
    case 'B':
        bytes = 1;
        type = DT_BYTE;
        break;
    case 'W':
        bytes = 2;
        type = DT_WORD;
        break;
    case 'D':
        bytes = 4;
        type = DT_DWORD;
        break;
    case 'L':
        bytes = 8;
        type = DT_LWORD;
        break;
    default:
        return false;
    }
    if (!AllDigits(rest))
        return false;
    int64_t byte = DigitValue(rest);
    if (byte > kAreaBytes - bytes)
        return false;
    ByteAdr = base + int32_t(byte);
    DataSize = int16_t(bytes * 8);
    DataType = AdrType = TypeRef(type);
    return true;
}

bool IsTypeConvFunc(std::string_view Src, int32_t& InType, int32_t& OutType) {
    std::string s = UpperCase(Src);
    size_t to = s.find("_TO_");
    if (to == std::string::npos)
        return false;
    int32_t a = FindIECType(std::string_view(s).substr(0, to));
    int32_t b = FindIECType(std::string_view(s).substr(to + 4));
    if (a < 0 || b < 0)
        return false;
    InType = a;
    OutType = b;
    return true;
}

} // namespace korvo
