// The compiler's exception and the state shared by every routine of one compile call: the
// error position (POU index, line index, column, all counted from 0) and the library flag.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace korvo {

// Every compile error; carries only its message. The position is in TCompileContext.
class ECompileError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Messages raised in more than one place.
namespace msg {
inline constexpr const char* EndOfLineExpected = "End of line expected";
inline constexpr const char* InvalidIdentifier = "Invalid identifier";
inline constexpr const char* UnknownIdentifier = "Unknown identifier";
inline constexpr const char* KeywordNotSupported = "Keyword not supported";
inline constexpr const char* DataTypeNotSupported = "Data type not supported";
inline constexpr const char* ColonExpected = "':' expected";
inline constexpr const char* UnknownTypeIdentifier = "Unknown type identifier";
inline constexpr const char* PouHeaderExpected = "PROGRAM, FUNCTION or FUNCTION_BLOCK expected";
inline constexpr const char* PouNameExpected = "POU-name expected";
inline constexpr const char* PouAlreadyDefined = "POU already defined";
inline constexpr const char* OnlyInProgram = "Only allowed in a PROGRAM";
inline constexpr const char* OnlyInFunctionBlock = "Only allowed in a FUNCTION_BLOCK";
inline constexpr const char* OnlyInFunction = "Only allowed in a FUNCTION";
} // namespace msg

// Compiler-wide state of one compile call. The scanner routines advance ACHINDEX by the
// length of everything they remove; the line loops set ALINDEX and reset ACHINDEX.
struct TCompileContext {
    int32_t APOUINDEX = -1; // POU of the position; -1 when none applies
    int32_t ALINDEX = 0;    // line index in the POU's text
    int32_t ACHINDEX = 0;   // characters of the current line consumed so far
    bool COMPILINGSTANDARDIL = false;
    std::vector<int32_t> ActivePOUs; // POUs whose compilation is in progress, outermost first

    [[noreturn]] void Fail(const std::string& message) const { throw ECompileError(message); }
};

} // namespace korvo
