// Texts of the soft PLC's runtime errors, each defined once.
#pragma once

namespace korvo::rtmsg {

inline constexpr const char* UnexpectedBytecode = "Unexpected error in bytecode";
inline constexpr const char* NoOpenParen = "No corresponding \"(\" found";
inline constexpr const char* OperandNotBool = "Operand isn't BOOL";
inline constexpr const char* CREmpty = "CR empty";
inline constexpr const char* CRNotNumOrTime = "CR expected to be ANY_NUM or TIME";
inline constexpr const char* CRNotBit = "CR expected to be ANY_BIT";
inline constexpr const char* CRNotNum = "CR expected to be ANY_NUM";
inline constexpr const char* OperandNotNum = "operand expected to be ANY_NUM";
inline constexpr const char* OperandOutOfRange = "Operand out of range";
inline constexpr const char* CRLiteralOutOfRange = "CR literal out of range";
inline constexpr const char* OperandLiteralOutOfRange = "Operand literal out of range";
inline constexpr const char* OperandNotTime = "operand expected to be TIME";
inline constexpr const char* DivisionByZero = "Division by zero";
inline constexpr const char* ResultOutOfRange = "Result out of range";
inline constexpr const char* CRNotBool = "CR isn't BOOL";
inline constexpr const char* TypeMismatch = "Data type mismatch:   CR is %s, expected %s";
inline constexpr const char* ValueOutOfRangeOfType = "CR value out of range of type ";

// Guards of this implementation (memory, nesting, endless loops).
inline constexpr const char* MemoryOutOfRange = "Memory address out of range";
inline constexpr const char* TooManyCalls = "Call nesting deeper than 10 levels";
inline constexpr const char* TooManyFrames = "Too many memory frames (more than 10)";
inline constexpr const char* OutOfDataMemory = "Memory frame exceeds the data memory";
inline constexpr const char* CRStackOverflow = "CR stack overflow";
inline constexpr const char* NoProgram = "No PROGRAM loaded";
inline constexpr const char* Watchdog = "Cycle watchdog: too many instructions in one cycle";

} // namespace korvo::rtmsg
