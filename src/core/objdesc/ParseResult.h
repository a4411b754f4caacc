// Outcomes of one line of a visualization description. Inside the line parsers they travel as
// exceptions; ParseLine turns them into a TParseResult.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace korvo {

enum class TParseResult : uint8_t { prSuccess = 0, prError = 1, prEndBlock = 2, prChildObject = 3 };

class EParseOutcome : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
class EParseSuccess : public EParseOutcome {
public:
    EParseSuccess() : EParseOutcome("") {}
};
// Carries the error text shown to the user.
class EParseError : public EParseOutcome {
public:
    using EParseOutcome::EParseOutcome;
};
class EParseEndBlock : public EParseOutcome {
public:
    EParseEndBlock() : EParseOutcome("") {}
};
class EParseChildObject : public EParseOutcome {
public:
    EParseChildObject() : EParseOutcome("") {}
};

// Error texts of the line parsers.
namespace sdfmsg {
inline constexpr const char* UnknownIdentifier = "unknown identifier";
inline constexpr const char* EOLExpected = "EOL expected";
inline constexpr const char* EqualExpected = "'=' expected";
inline constexpr const char* UnknownType = "unknown type identifier";
inline constexpr const char* UnknownObjectIdentifier = "unknown object identifier";
inline constexpr const char* DotExpected = "'.' expected";
inline constexpr const char* LParenExpected = "'(' expected";
inline constexpr const char* RParenExpected = "')' expected";
inline constexpr const char* WindowExpected = "OBJECT WINDOW expected";
inline constexpr const char* WindowTooLarge = "window too large (max. 4096 x 4096)";
inline constexpr const char* NestedTooDeep = "objects nested too deeply (max. 64)";
inline std::string AliasUndefined(const std::string& Alias) {
    return "Alias '" + Alias + "' nicht definiert!";
}
} // namespace sdfmsg

} // namespace korvo
