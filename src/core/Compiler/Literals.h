// Literal reader, direct address reader and type conversion recogniser.
#pragma once

#include "PLCTypes/PLCTypes.h"

#include <cstdint>
#include <string_view>

namespace korvo {

// True if S is a literal: DataType its type reference (-1002 for an untyped integer) and
// LitValue its value, sign-extended. Fails with ECompileError for an unsupported type prefix,
// a bad base, a typed TRUE/FALSE, an unknown prefix or a duration beyond the TIME range.
bool GetLiteralValue(std::string_view S, int32_t& DataType, TUS64& LitValue);

// S is the address without "%" (IX0.7, QB3, MW14 ...). ByteAdr is counted from the start of
// the process image; BitAdr is set for bit addresses only; DataSize in bits.
bool GetDirectAdr(std::string_view S, int32_t& ByteAdr, uint8_t& BitAdr, int16_t& DataSize, int32_t& DataType,
                  int32_t& AdrType);

// True if S is A_TO_B with two elementary types; InType and OutType are their table indexes.
bool IsTypeConvFunc(std::string_view S, int32_t& InType, int32_t& OutType);

namespace msg {
inline constexpr const char* InvalidBase = "Invalid arithmetic base";
inline constexpr const char* ErrorInExpression = "Error in expression";
inline constexpr const char* InvalidLiteralPrefix = "Invalid literal prefix";
inline constexpr const char* TimeOutOfRange = "TIME literal out of range";
} // namespace msg

} // namespace korvo
